// Products by minibus over a real database: the ordered quantities per
// product of one minibus's customers or of all (customers without a
// minibus included), the totals row, the remembered parameters, the
// subtitle, and the window driven by keys.
#include <QDate>
#include <QDateEdit>
#include <QLabel>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

#include "ReportData.h"
#include "components/Formatters.h"
#include "components/ListEdit.h"
#include "components/RichGrid.h"
#include "core/uFormClasses.h"
#include "core/uHelpers.h"
#include "core/unRegistryFuncs.h"
#include "reports/unArtikuli_po_microbusi.h"
#include "support/ScopedDialogAnswers.h"

namespace {

const QDate kMarch1(2026, 3, 1);
const QDate kMarch31(2026, 3, 31);

class ProductsByMinibusGui : public reporttest::ReportTest
{
protected:
    void SetUp() override
    {
        ReportTest::SetUp();
        Execute(QStringLiteral("INSERT INTO Busses VALUES ( 7, \"Бус Север\" )"));
        Execute(QStringLiteral("INSERT INTO Busses VALUES ( 8, \"Бус Юг\" )"));
        const QString customer = QStringLiteral("INSERT INTO CustGroups (code_c, name_c, c_bus) VALUES ( %d, \"%s\", %s )");
        Execute(Format(customer, {1, QStringLiteral("Клиент А"), QStringLiteral("7")}));
        Execute(Format(customer, {2, QStringLiteral("Клиент Б"), QStringLiteral("8")}));
        Execute(Format(customer, {3, QStringLiteral("Клиент В"), QStringLiteral("NULL")})); // no minibus
        Site(11, 1, QStringLiteral("Магазин 1"));
        Site(12, 2, QStringLiteral("Магазин 2"));
        Site(13, 3, QStringLiteral("Магазин 3"));
        Unit(1, QStringLiteral("кг"));
        Unit(2, QStringLiteral("бр"));
        Product(1, QStringLiteral("Хляб"), 2);
        Product(2, QStringLiteral("Козунак"), 2);
        Product(3, QStringLiteral("Питка"), 1);
        Receipt(1, 11, QDate(2026, 3, 5), 0, false, QDate(), {{1, 10, 0}, {2, 2.125, 0}});
        Receipt(2, 12, QDate(2026, 3, 10), 0, false, QDate(), {{1, 5.5, 0}, {3, 1.004, 0}, {0, 9, 0}});
        Receipt(3, 13, QDate(2026, 3, 31), 0, false, QDate(), {{1, 4, 0}, {3, 0.003, 0}});
        Receipt(4, 11, QDate(2026, 4, 1), 0, false, QDate(), {{1, 100, 0}});  // after the period
        Receipt(5, 12, QDate(2026, 2, 28), 0, false, QDate(), {{2, 50, 0}}); // before it
    }

    std::unique_ptr<TfrmArtikuli_po_microbusi> MakeReport(const QString &Bus)
    {
        auto form = std::unique_ptr<TfrmArtikuli_po_microbusi>(
            CreateQuorendForm<TfrmArtikuli_po_microbusi>(nullptr, fsNormal));
        form->SetPeriod(kMarch1, kMarch31);
        form->leMicrobus->setText(Bus);
        return form;
    }

    testsupport::ScopedDialogAnswers dialogs;
};

TEST_F(ProductsByMinibusGui, AllMinibusesCountCustomersWithoutOne)
{
    auto form = MakeReport(QString());
    ASSERT_TRUE(form->Execute());
    // Козунак 2.125; Питка 1.004 + 0.003; Хляб 10 + 5.5 + 4 (the customer
    // without a minibus included, the line of product 0 left out). The
    // total adds each quantity rounded to the stotinka: 2.13 + 1.01 + 19.5.
    EXPECT_EQ(GridRows(*form->Grid),
              (QStringList{QStringLiteral("2|Козунак|бр|2.125"), QStringLiteral("3|Питка|кг|1.007"),
                           QStringLiteral("1|Хляб|бр|19.5"), QStringLiteral("Общо:|||22.64")}));
    EXPECT_TRUE(form->IsTotalsRow(5));
    EXPECT_EQ(form->StatusText(), QStringLiteral("Общо: 3 реда"));
    EXPECT_EQ(form->GetSubTitle(), QStringLiteral("от дата 01.03.2026 до дата 31.03.2026"));
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Артикули по микробуси"));
    EXPECT_EQ(form->pnlCaption->text(), QStringLiteral("АРТИКУЛИ ПО МИКРОБУСИ"));
    EXPECT_EQ(form->Grid->Cells(0, 0), QStringLiteral("Артикул"));
    EXPECT_EQ(form->Grid->Cells(3, 0), QStringLiteral("Количество"));
    EXPECT_EQ(form->Grid->Cells(2, 1), QStringLiteral("Мярка"));
    EXPECT_EQ(form->Grid->MergeCellsStr(), QStringLiteral("0,0,2,0|3,0,3,1|5,0,5,1|"));
    EXPECT_EQ(form->Grid->GetColAttributes(3)->Formatter(), static_cast<TCellFormatter *>(form->AmountFormatter));
    EXPECT_EQ(form->AmountFormatter->Precision(), 3);
    EXPECT_TRUE(dialogs.Texts().isEmpty());
    EXPECT_TRUE(IsFormClassRegistered(QStringLiteral("TfrmArtikuli_po_microbusi")));
}

TEST_F(ProductsByMinibusGui, OneMinibusTakesOnlyItsCustomers)
{
    auto form = MakeReport(QStringLiteral("8"));
    EXPECT_EQ(form->panelMicrobus->text(), QStringLiteral("Бус Юг"));
    ASSERT_TRUE(form->Execute());
    EXPECT_EQ(GridRows(*form->Grid), (QStringList{QStringLiteral("3|Питка|кг|1.004"), QStringLiteral("1|Хляб|бр|5.5"),
                                                  QStringLiteral("Общо:|||6.50")}));
    EXPECT_EQ(form->GetSubTitle(), QStringLiteral("микробус: 8 - Бус Юг, от дата 01.03.2026 до дата 31.03.2026"));

    // A change of the minibus clears the result.
    form->leMicrobus->setText(QStringLiteral("7"));
    EXPECT_EQ(form->Grid->RowCount(), form->Grid->FixedRows() + 1);
    EXPECT_TRUE(form->Grid->Cells(1, 2).isEmpty());
    ASSERT_TRUE(form->Execute());
    EXPECT_EQ(GridRows(*form->Grid), (QStringList{QStringLiteral("2|Козунак|бр|2.125"),
                                                  QStringLiteral("1|Хляб|бр|10"), QStringLiteral("Общо:|||12.13")}));

    // A text that is no code enters the statement as the number 0, which
    // no customer's minibus is: nothing but the totals row.
    form->leMicrobus->setText(QStringLiteral("7 OR 1=1"));
    EXPECT_TRUE(form->BuildFilter().endsWith(QStringLiteral("AND Busses.c_bus = 0 ")));
    ASSERT_TRUE(form->Execute());
    EXPECT_EQ(GridRows(*form->Grid), QStringList{QStringLiteral("Общо:|||0.00")});
}

TEST_F(ProductsByMinibusGui, RemembersPeriodAndMinibus)
{
    {
        auto form = MakeReport(QStringLiteral("7"));
        ASSERT_TRUE(form->FormDone());
    }
    QString from, to, bus;
    GetRegistrySetting(QStringLiteral("frmArtikuli_po_microbusi_dtp_From"), from);
    GetRegistrySetting(QStringLiteral("frmArtikuli_po_microbusi_dtp_To"), to);
    GetRegistrySetting(QStringLiteral("frmArtikuli_po_microbusi_leMicrobus_Text"), bus);
    EXPECT_EQ(from, QString::number(DateToDayNumber(kMarch1)));
    EXPECT_EQ(to, QString::number(DateToDayNumber(kMarch31)));
    EXPECT_EQ(bus, QStringLiteral("7"));

    auto form = std::unique_ptr<TfrmArtikuli_po_microbusi>(
        CreateQuorendForm<TfrmArtikuli_po_microbusi>(nullptr, fsNormal));
    EXPECT_EQ(form->From(), kMarch1);
    EXPECT_EQ(form->To(), kMarch31);
    EXPECT_EQ(form->leMicrobus->text(), QStringLiteral("7"));
    EXPECT_EQ(form->panelMicrobus->text(), QStringLiteral("Бус Север"));
}

TEST_F(ProductsByMinibusGui, EnterInTheMinibusEditRunsTheReport)
{
    SetRegistrySetting(QStringLiteral("frmArtikuli_po_microbusi_dtp_From"),
                       QString::number(DateToDayNumber(kMarch1)));
    SetRegistrySetting(QStringLiteral("frmArtikuli_po_microbusi_dtp_To"), QString::number(DateToDayNumber(kMarch31)));
    auto form = std::unique_ptr<TfrmArtikuli_po_microbusi>(
        CreateQuorendForm<TfrmArtikuli_po_microbusi>(nullptr, fsNormal));
    form->resize(900, 400);
    ASSERT_TRUE(form->ShowForm());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    EXPECT_EQ(form->LastParamControl(), form->leMicrobus);
    form->leMicrobus->setFocus();
    QTest::keyClicks(form->leMicrobus, QStringLiteral("8"));
    QTest::keyClick(form->leMicrobus, Qt::Key_Return);
    EXPECT_EQ(GridRows(*form->Grid).last(), QStringLiteral("Общо:|||6.50"));
    EXPECT_EQ(form->StatusText(), QStringLiteral("Общо: 2 реда"));
}

} // namespace
