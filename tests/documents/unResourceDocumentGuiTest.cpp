// Deliveries and issues of raw materials: rows with their values, prices
// kept to six (deliveries) or four (issues) decimals, the supplier's
// invoice number and date, numbering after the stored documents.
#include <QDateEdit>
#include <QLabel>
#include <gtest/gtest.h>
#include <memory>

#include "LineDocumentFixture.h"
#include "components/FloatEdit.h"
#include "components/ListEdit.h"
#include "components/RichGrid.h"
#include "core/uFormClasses.h"
#include "core/uHelpers.h"
#include "core/unRegistryFuncs.h"
#include "documents/un_Dostavki.h"
#include "documents/un_Expedicia_na_surovini_i_materiali.h"
#include "support/ScopedDialogAnswers.h"

namespace {

class ResourceDocumentGui : public testsupport::LineDocumentTest<TfrmResourceDocument>
{
protected:
    void SetUp() override
    {
        LineDocumentTest::SetUp();
        Execute(QStringLiteral("INSERT INTO Merki VALUES ( 1, \"кг\" )"));
        Execute(QStringLiteral("INSERT INTO Resources VALUES ( 10, \"Брашно\", 1 )"));
        Execute(QStringLiteral("INSERT INTO Resources VALUES ( 11, \"Мая\", 1 )"));
        Execute(QStringLiteral("INSERT INTO CustGroups (code_c, name_c) VALUES ( 4, \"Мелница\" )"));
        twoDaysAgoText = DateToDisplayText(QDate::currentDate().addDays(-2));
    }
    void Enter(const QString &Code, long double Quantity, long double Price)
    {
        form->code_r->setText(Code);
        form->quantity_r->SetValue(Quantity);
        form->price_r->SetValue(Price);
        form->actNew->trigger();
    }

    QString twoDaysAgoText;
};

} // namespace

TEST_F(ResourceDocumentGui, DeliveryIsSavedWithItsValuesAndSixDecimalPrices)
{
    EXPECT_TRUE(IsFormClassRegistered(QStringLiteral("TfrmDostavki")));
    Execute(QStringLiteral("INSERT INTO Dostavki VALUES ( 6, 10, 4, %1, 1, 1, 1, 0, 0 )").arg(today - 10));
    Open<TfrmDostavki>();
    EXPECT_EQ(form->pnlCaption->text(), "СКЛАДОВА РАЗПИСКА ЗА ДОСТАВКА НА СУРОВИНИ И МАТЕРИАЛИ");

    testsupport::ScopedDialogAnswers dialogs;
    Enter(QStringLiteral("10"), 0, 0);
    EXPECT_EQ(dialogs.Texts(),
              QStringList({"Въведете доставчик\n\rВъведете количество!\n\rЗадайте цена\n\r"}));

    form->counterparty->setText(QStringLiteral("4"));
    EXPECT_EQ(form->panelCustomer->text(), "Мелница");
    form->ByDocNo->SetValue(3051);
    form->ByDateDocNo->setDate(QDate::currentDate().addDays(-2));
    form->code_r->setText(QStringLiteral("10"));
    EXPECT_EQ(form->labMeasure_Resource->text(), "кг");
    form->quantity_r->SetValue(12.5L);
    form->price_r->SetValue(0.123457L);
    // 12.5 * 0.123457 = 1.5432125
    EXPECT_EQ(form->value_r->Value(), 1.54L);
    form->actNew->trigger();
    Enter(QStringLiteral("11"), 3, 2.5L);
    Enter(QStringLiteral("11"), 1, 1);
    EXPECT_EQ(dialogs.Texts().last(), "Шифър \"11\" съществува в таблицата с данни!\n\r");
    EXPECT_EQ(GridRows(), QStringList({"10@Брашно@кг@12.500@0.123457@1.54", "11@Мая@кг@3.000@2.500000@7.50"}));

    form->actSave->trigger();
    EXPECT_EQ(form->docno->text(), "7");
    EXPECT_EQ(Rows(QStringLiteral("SELECT * FROM Dostavki WHERE docno = 7 ORDER BY code_r")),
              QStringList({QStringLiteral("7@10@4@%1@12.5@0.123457@1.54@3051@%2").arg(todayText, twoDaysAgoText),
                           QStringLiteral("7@11@4@%1@3@2.5@7.5@3051@%2").arg(todayText, twoDaysAgoText)}));
    // Loaded back: the supplier's invoice number and date of the rows.
    EXPECT_EQ(form->ByDocNo->Value(), 3051);
    EXPECT_EQ(form->ByDateDocNo->date(), QDate::currentDate().addDays(-2));
    EXPECT_EQ(form->GetSubTitle(),
              QStringLiteral(" номер 7, доставчик: 4 - Мелница, за дата %1").arg(DateToDisplayText(QDate::currentDate())));

    // A row edited with another invoice number: that row alone takes it,
    // and a document of two invoice numbers shows none.
    Select(QStringLiteral("11"));
    form->actEdit->trigger();
    EXPECT_FALSE(form->counterparty->isEnabled());
    EXPECT_EQ(form->price_r->Value(), 2.5L);
    form->ByDocNo->SetValue(3052);
    form->price_r->SetValue(2.4L);
    form->actNew->trigger();
    EXPECT_EQ(form->Pending().Texts(),
              QStringList({QStringLiteral("Update Dostavki Set quantity_r  = 3.000,     price_r     = 2.400000,     "
                                          "value_r     = 7.20,     ByDocNo     = 3052.00,     ByDateDocNo = %1 "
                                          "Where ( docno = 7 AND code_r = 11 )")
                               .arg(today - 2)}));
    form->actSave->trigger();
    EXPECT_EQ(Rows(QStringLiteral("SELECT code_r, ByDocNo FROM Dostavki WHERE docno = 7 ORDER BY code_r")),
              QStringList({"10@3051", "11@3052"}));
    EXPECT_EQ(form->ByDocNo->Value(), 0);
    EXPECT_EQ(form->ByDateDocNo->date(), QDate::currentDate());
}

TEST_F(ResourceDocumentGui, IssueOfANewDocumentKeepsTheLinesAsLeftAndAsksToSaveBeforePrinting)
{
    EXPECT_TRUE(IsFormClassRegistered(QStringLiteral("TfrmExpedicia_na_surovini_i_materiali")));
    Open<TfrmExpedicia_na_surovini_i_materiali>();
    testsupport::ScopedDialogAnswers dialogs;
    Enter(QStringLiteral("10"), 1, 1);
    EXPECT_EQ(dialogs.Texts(), QStringList({"Въведете клиент!\n\r"}));
    form->counterparty->setText(QStringLiteral("4"));
    Enter(QStringLiteral("10"), 2, 1.23456L);
    Enter(QStringLiteral("11"), 1, 1);
    Select(QStringLiteral("10"));
    form->actEdit->trigger();
    form->quantity_r->SetValue(4);
    form->actNew->trigger();
    dialogs.Press(mbYes);
    Select(QStringLiteral("11"));
    form->actDelete->trigger();
    EXPECT_EQ(dialogs.Texts().last(),
              "Желаете ли да изтриете ред от протокол за експедиция на суровини и материали: \"11\" - \"Мая\"?");
    EXPECT_EQ(form->Pending().Texts(1),
              QStringList({QStringLiteral("Insert into Expedicia_na_surovini_i_materiali values ( 1, 10, 4, %1, "
                                          "4.000, 1.2346, 4.94 )")
                               .arg(today)}));
    form->actPrint->trigger();
    EXPECT_EQ(dialogs.Texts().last(), "Моля съхранете документа преди да го отпечатате!");
    form->actSave->trigger();
    EXPECT_EQ(form->docno->text(), "1");
    EXPECT_EQ(Rows(QStringLiteral("SELECT * FROM Expedicia_na_surovini_i_materiali")),
              QStringList({QStringLiteral("1@10@4@%1@4@1.2346@4.94").arg(todayText)}));
}

TEST_F(ResourceDocumentGui, LinesOfANewDeliveryAreAskedAboutBeforeAnotherSupplierIsChosen)
{
    Execute(QStringLiteral("INSERT INTO CustGroups (code_c, name_c) VALUES ( 5, \"Склад\" )"));
    Open<TfrmDostavki>();
    form->counterparty->setText(QStringLiteral("4"));
    Enter(QStringLiteral("10"), 2, 1.5);
    ASSERT_EQ(form->Pending().Count(), 1);
    testsupport::ScopedDialogAnswers dialogs;
    dialogs.Press(mbCancel);
    form->counterparty->setText(QStringLiteral("5"));
    EXPECT_EQ(dialogs.Texts(), QStringList({"Данните не са записани!\rЖелаете ли да ги запишете?"}));
    EXPECT_EQ(form->counterparty->text(), "4");
    EXPECT_EQ(GridRows().size(), 1);
    EXPECT_EQ(form->Pending().Count(), 1);
    // Yes: saved as the supplier's delivery, then the other one is chosen.
    dialogs.Press(mbYes);
    form->counterparty->setText(QStringLiteral("5"));
    EXPECT_EQ(form->counterparty->text(), "5");
    EXPECT_TRUE(form->Pending().IsEmpty());
    EXPECT_EQ(Rows(QStringLiteral("SELECT docno, code_r, code_supplier, quantity_r FROM Dostavki")),
              QStringList({"1@10@4@2"}));
}

TEST_F(ResourceDocumentGui, DeliveriesAndIssuesSavedUnchangedFilteredOrWithALinePutBackWriteNothing)
{
    Execute(QStringLiteral("INSERT INTO Dostavki VALUES ( 1, 10, 4, %1, 2, 1.123456, 2.25, 77, %1 )").arg(today));
    Execute(QStringLiteral("INSERT INTO Dostavki VALUES ( 1, 11, 4, %1, 1.5, 3, 4.5, 77, %1 )").arg(today));
    Execute(QStringLiteral("INSERT INTO Expedicia_na_surovini_i_materiali VALUES ( 1, 10, 4, %1, 2, 1.1234, 2.25 )")
                .arg(today));
    Execute(QStringLiteral("INSERT INTO Expedicia_na_surovini_i_materiali VALUES ( 1, 11, 4, %1, 1.5, 3, 4.5 )")
                .arg(today));
    SetRegistrySetting(QStringLiteral("code_supplier_Text"), QStringLiteral("4"));
    Open<TfrmDostavki>();
    ASSERT_EQ(form->docno->text(), "1");
    ExpectAnUnchangedWalkWritesNothing(QStringLiteral("М"));
    form->SetModified(false);
    Open<TfrmExpedicia_na_surovini_i_materiali>();
    ASSERT_EQ(form->docno->text(), "1");
    ExpectAnUnchangedWalkWritesNothing(QStringLiteral("Б"));
}
