// The period lists of protocols, passes, paid goods receipts and payments
// on minibus reports, on a database made by the schema code; the cash
// receipt order printed from a payment.
#include <QCoreApplication>
#include <QDate>
#include <QPushButton>
#include <gtest/gtest.h>
#include <memory>

#include "components/ListEdit.h"
#include "components/RichGrid.h"
#include "core/uFormClasses.h"
#include "core/uHelpers.h"
#include "core/unRegistryFuncs.h"
#include "framework/unTextDocument.h"
#include "reports/unOpis_na_plashtania_po_SR.h"
#include "reports/unOpis_na_plashtania_po_microbusi.h"
#include "reports/unOpis_na_propuski_za_izvozvane.h"
#include "reports/unOpis_na_protokoli_za_vyrnata_produkcia.h"
#include "ReportData.h"
#include "support/PrintedText.h"
#include "support/ScopedDialogAnswers.h"

namespace {

const QDate kFirst(2026, 3, 1);
const QDate kLast(2026, 3, 31);

QString Day(const QDate &D) { return QString::number(DateToDayNumber(D)); }

class DocumentListsGui : public reporttest::ReportTest
{
protected:
    void SetUp() override
    {
        ReportTest::SetUp();
        Execute("INSERT INTO Busses VALUES ( 2, \"Иван Петров\" )");
        Execute("INSERT INTO Busses VALUES ( 5, \"Георги Колев\" )");
    }
    template <class T> std::unique_ptr<T> Open()
    {
        std::unique_ptr<T> form(CreateQuorendForm<T>(nullptr, fsNormal));
        EXPECT_TRUE(form->ShowForm());
        form->SetPeriod(kFirst, kLast);
        return form;
    }
    // Products and packaging of one document of a minibus.
    void BusDocument(const char *Table, int DocNo, const QDate &D, int Bus, int Lines)
    {
        for (int line = 1; line <= Lines; ++line)
            Execute(QString("INSERT INTO %1 VALUES ( %2, %3, %4, %5, %6, 1, 1 )")
                        .arg(Table)
                        .arg(DocNo)
                        .arg(Day(D))
                        .arg(Bus)
                        .arg(line)
                        .arg(line % 2));
    }
};

} // namespace

TEST_F(DocumentListsGui, AProtocolOfSeveralLinesIsListedOnceAndAnUnknownBusHidesItsDocuments)
{
    EXPECT_TRUE(IsFormClassRegistered("TfrmOpis_na_protokoli_za_vyrnata_produkcia"));
    BusDocument("Vyrnata_produkcia", 4, QDate(2026, 3, 5), 5, 3);
    BusDocument("Vyrnata_produkcia", 3, QDate(2026, 3, 6), 2, 2);
    BusDocument("Vyrnata_produkcia", 6, QDate(2026, 3, 7), 9, 1);
    BusDocument("Vyrnata_produkcia", 7, QDate(2026, 4, 1), 2, 1);
    BusDocument("Propusk_za_izvozvane", 8, QDate(2026, 3, 9), 2, 4);

    auto form = Open<TfrmOpis_na_protokoli_za_vyrnata_produkcia>();
    EXPECT_EQ(form->pnlCaption->text(), "ОПИС НА ПРОТОКОЛИ ЗА ВЪРНАТА ПРОДУКЦИЯ");
    EXPECT_EQ(GridRows(*form->Grid), QStringList({"|||"})) << "the list runs only when asked";
    ASSERT_TRUE(form->Execute());
    EXPECT_EQ(GridRows(*form->Grid),
              QStringList({"3|06.03.2026|2|Иван Петров", "4|05.03.2026|5|Георги Колев"}));
    EXPECT_EQ(form->StatusText(), "Общо: 2 реда");
    EXPECT_EQ(form->GetSubTitle(), "от дата 01.03.2026 до дата 31.03.2026");

    form->code_bus->setText("5");
    EXPECT_EQ(GridRows(*form->Grid), QStringList({"|||"})) << "a parameter change clears the grid";
    ASSERT_TRUE(form->Execute());
    EXPECT_EQ(GridRows(*form->Grid), QStringList({"4|05.03.2026|5|Георги Колев"}));
    EXPECT_EQ(form->GetSubTitle(), "за микробус 5 - Георги Колев, от дата 01.03.2026 до дата 31.03.2026");

    auto passes = Open<TfrmOpis_na_propuski_za_izvozvane>();
    passes->code_bus->setText("");
    ASSERT_TRUE(passes->Execute());
    EXPECT_EQ(GridRows(*passes->Grid), QStringList({"8|09.03.2026|2|Иван Петров"}));
    EXPECT_EQ(passes->GetPrintOrientation(), poLandscape);
}

TEST_F(DocumentListsGui, TheProtocolListRemembersItsDatesAndBus)
{
    {
        auto form = Open<TfrmOpis_na_protokoli_za_vyrnata_produkcia>();
        form->code_bus->setText("2");
        form->Close();
        form.release();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    QString from, to, bus;
    GetRegistrySetting("frmAnalit_po_klienti_dtp_From", from);
    GetRegistrySetting("frmAnalit_po_klienti_dtp_To", to);
    GetRegistrySetting("code_bus_Text", bus);
    EXPECT_EQ(from, Day(kFirst));
    EXPECT_EQ(to, Day(kLast));
    EXPECT_EQ(bus, "2");
    std::unique_ptr<TfrmOpis_na_propuski_za_izvozvane> passes(
        CreateQuorendForm<TfrmOpis_na_propuski_za_izvozvane>(nullptr, fsNormal));
    EXPECT_EQ(passes->From(), kFirst);
    EXPECT_EQ(passes->To(), kLast);
    EXPECT_EQ(passes->code_bus->text(), "2");
    EXPECT_EQ(passes->panelMicrobus->text(), "Иван Петров");
}

TEST_F(DocumentListsGui, PaidReceiptsAreTakenByTheirPaymentDateAndShowBothDates)
{
    EXPECT_TRUE(IsFormClassRegistered("TfrmOpis_na_plashtania_po_SR"));
    Execute("INSERT INTO CustGroups (code_c, name_c) VALUES ( 3, \"Верига Лидер\" )");
    Execute("INSERT INTO CustGroups (code_c, name_c) VALUES ( 4, \"Кафе Роза\" )");
    Execute("INSERT INTO Obekti (code_of_object, code_of_CustGroup, name_o) VALUES ( 31, 3, \"Лидер Център\" )");
    Execute("INSERT INTO Obekti (code_of_object, code_of_CustGroup, name_o) VALUES ( 41, 4, \"Роза\" )");
    auto receipt = [this](int No, const QDate &Made, int Site, const QDate &For, const char *Sum, bool Paid,
                          const QDate &PaidOn) {
        Execute(QString("INSERT INTO Zaiavki VALUES ( %1, %2, %3, %4, %5, %6, %7, False )")
                    .arg(No)
                    .arg(Day(Made))
                    .arg(Site)
                    .arg(Day(For))
                    .arg(Sum)
                    .arg(Paid ? "True" : "False")
                    .arg(Day(PaidOn)));
    };
    // Delivered in February, paid in March: listed; delivered in March,
    // paid in April: not.
    receipt(101, QDate(2026, 2, 20), 31, QDate(2026, 2, 21), "120.455", true, QDate(2026, 3, 10));
    receipt(102, QDate(2026, 3, 2), 41, QDate(2026, 3, 3), "35.5", true, QDate(2026, 3, 4));
    receipt(103, QDate(2026, 3, 5), 31, QDate(2026, 3, 6), "50", true, QDate(2026, 4, 2));
    receipt(104, QDate(2026, 3, 5), 41, QDate(2026, 3, 6), "70", false, QDate(2026, 3, 7));

    auto form = Open<TfrmOpis_na_plashtania_po_SR>();
    EXPECT_EQ(form->Grid->FixedCols(), 2);
    ASSERT_TRUE(form->Execute());
    EXPECT_EQ(GridRows(*form->Grid),
              QStringList({"04.03.2026|102|02.03.2026|41|Роза|03.03.2026|35.50|4|Кафе Роза",
                           "10.03.2026|101|20.02.2026|31|Лидер Център|21.02.2026|120.46|3|Верига Лидер",
                           "Общо:||||||155.96||"}));
    EXPECT_EQ(form->GetSubTitle(), "от дата 01.03.2026 до дата 31.03.2026");

    form->leCustomer->setText("3");
    ASSERT_TRUE(form->Execute());
    EXPECT_EQ(GridRows(*form->Grid).size(), 2);
    EXPECT_EQ(form->GetSubTitle(), "клиент: 3 - Верига Лидер, от дата 01.03.2026 до дата 31.03.2026");
}

namespace {

class MinibusPaymentsListGui : public DocumentListsGui
{
protected:
    void SetUp() override
    {
        DocumentListsGui::SetUp();
        auto report = [this](const QDate &D, int Bus, int Product, const char *Value) {
            Execute(QString("INSERT INTO Otchet_plasiori VALUES ( %1, %2, %3, 0, 1, %4, %4 )")
                        .arg(Day(D))
                        .arg(Bus)
                        .arg(Product)
                        .arg(Value));
        };
        auto payment = [this](int No, const QDate &D, int Bus, const QDate &Report, const char *Sum) {
            Execute(QString("INSERT INTO Plashtane_po_otchet_na_plasior VALUES ( %1, %2, %3, %4, %5 )")
                        .arg(No)
                        .arg(Day(D))
                        .arg(Bus)
                        .arg(Day(Report))
                        .arg(Sum));
        };
        report(QDate(2026, 2, 27), 2, 1, "200.1");
        report(QDate(2026, 2, 27), 2, 2, "34.5");
        report(QDate(2026, 3, 2), 5, 1, "80");
        // A payment in the period on a report of February, one on a report
        // that has no rows, one outside the period.
        payment(31, QDate(2026, 3, 2), 2, QDate(2026, 2, 27), "234.6");
        payment(32, QDate(2026, 3, 3), 5, QDate(2026, 3, 2), "1234.5");
        payment(33, QDate(2026, 3, 4), 5, QDate(2026, 3, 3), "10");
        payment(34, QDate(2026, 4, 1), 2, QDate(2026, 3, 30), "15");
        form = Open<TfrmOpis_na_plashtania_po_microbusi>();
        EXPECT_TRUE(form->Execute());
    }
    void TearDown() override
    {
        form.reset();
        DocumentListsGui::TearDown();
    }
    std::unique_ptr<TfrmOpis_na_plashtania_po_microbusi> form;
};

class FixedMoment
{
public:
    FixedMoment()
    {
        SetDocumentPrintMomentForTests([] { return QDateTime(QDate(2026, 3, 5), QTime(14, 30, 0)); });
    }
    ~FixedMoment() { SetDocumentPrintMomentForTests(nullptr); }
};

} // namespace

TEST_F(MinibusPaymentsListGui, EachPaymentShowsTheValueOfTheReportItPays)
{
    EXPECT_TRUE(IsFormClassRegistered("TfrmOpis_na_plashtania_po_microbusi"));
    EXPECT_EQ(GridRows(*form->Grid),
              QStringList({"31|02.03.2026|234.60|27.02.2026|234.60|2|Иван Петров",
                           "32|03.03.2026|1234.50|02.03.2026|80.00|5|Георги Колев",
                           "33|04.03.2026|10.00|03.03.2026|0.00|5|Георги Колев", "Общо:||1479.10||||"}));
    EXPECT_EQ(form->GetSubTitle(), " за микробус  - , от дата 01.03.2026, до дата 31.03.2026");

    form->code_bus->setText("2");
    ASSERT_TRUE(form->Execute());
    EXPECT_EQ(GridRows(*form->Grid), QStringList({"31|02.03.2026|234.60|27.02.2026|234.60|2|Иван Петров",
                                                  "Общо:||234.60||||"}));
}

TEST_F(MinibusPaymentsListGui, TheCashReceiptOrderIsPrintedOnlyForAPayment)
{
    testsupport::RawPrinterFile prn;
    SetRegistrySetting("Print_Laser", "0");
    {
        testsupport::ScopedDialogAnswers dialogs;
        form->Grid->SetRow(form->Grid->RowCount() - 1);
        form->btnPrint_PKO->click();
        EXPECT_EQ(dialogs.Texts(), QStringList({"Избраният ред не е за документ !"}));
    }
    EXPECT_FALSE(prn.Exists());

    FixedMoment moment;
    testsupport::ScopedDialogAnswers dialogs;
    form->Grid->SetRow(form->Grid->FixedRows() + 1);
    form->btnPrint_PKO->click();
    EXPECT_TRUE(dialogs.Shown().empty());
    testsupport::ExpectLinesAsFile(prn.Lines(), "minibus_payment_cash_receipt_order.txt");
}
