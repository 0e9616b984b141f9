// A stored invoice or notice: reading, deleting, the existence check, and
// the printout on both roads against its expected text.
#include <gtest/gtest.h>

#include <QRegularExpression>

#include "InvoiceFixture.h"
#include "SalesDocumentTestParts.h"
#include "core/uDelimitedStrings.h"
#include "documents/unPrint_Invoice.h"

namespace {

class FixedMoment : public testsupport::FixedPrintMoment
{
public:
    FixedMoment() : FixedPrintMoment(QDateTime(QDate(2026, 12, 8), QTime(14, 30, 0))) {}
};

bool Print5() { return PrintInvoice(nullptr, 5); }

using InvoicePrint = testsupport::InvoiceTest;

QStringList TextOf(QObject *Owner, long double Number)
{
    TDelimitedStringList header, rows, nas, va, payments, kinds;
    EXPECT_TRUE(LoadInvoice(Owner, header, rows, Number));
    EXPECT_TRUE(LoadNasSettings(Owner, GetLocalIPAddress(), nas));
    EXPECT_TRUE(LoadVaSettings(Owner, va));
    EXPECT_TRUE(SelectToList(Owner, DbConnection, "Select code_payment, name_payment From Payment_types", payments));
    EXPECT_TRUE(SelectToList(Owner, DbConnection, "Select code_fvd, name_fvd From fvd", kinds));
    TInvoicePrintData data;
    data.Nas = &nas;
    data.Va = &va;
    data.PaymentTypes = &payments;
    data.Kinds = &kinds;
    QStringList text;
    EXPECT_TRUE(InvoiceText(Owner, Number, header, rows, data, text));
    return text;
}

} // namespace

TEST_F(InvoicePrint, LoadGivesHeaderFieldsAndLinesByProduct)
{
    StoreInvoice5();
    StoreNotice6();
    TDelimitedStringList header, rows;
    ASSERT_TRUE(LoadInvoice(nullptr, header, rows, 6));
    ASSERT_EQ(header.Count(), 11);
    EXPECT_EQ(header.Strings(1), "08.12.2026");
    EXPECT_EQ(header.Strings(3), "-2.93");
    EXPECT_EQ(header.Strings(5), "False");
    EXPECT_EQ(header.Strings(8), "3");
    EXPECT_EQ(header.Strings(9), "5");
    EXPECT_EQ(header.Strings(10), "0.2");
    ASSERT_EQ(rows.Count(), 2);
    EXPECT_EQ(rows.Strings(0), "6@101@-2@0.9@0@0.9@-1.8");
    EXPECT_EQ(rows.Strings(1), "6@205@0@0@0@0@-1.13");
    ASSERT_TRUE(LoadInvoice(nullptr, header, rows, 99));
    EXPECT_EQ(header.Count(), 0);
    EXPECT_EQ(rows.Count(), 0);
}

TEST_F(InvoicePrint, DeleteRemovesOnlyItsNumber)
{
    StoreInvoice5();
    StoreNotice6();
    Execute("INSERT INTO Invoices_rows Values ( 50, 101, 1, 1, 0, 1, 1 )");
    ASSERT_TRUE(DeleteInvoice(nullptr, 5));
    EXPECT_EQ(Rows("SELECT Invoice_num FROM Invoices"), QStringList{"6"});
    EXPECT_EQ(Rows("SELECT DISTINCT Invoice_num FROM Invoices_rows ORDER BY Invoice_num"),
              (QStringList{"6", "50"}));
}

TEST_F(InvoicePrint, AFailingQueryIsShownAndAnsweredFalseWithNothingPrinted)
{
    StoreInvoice5();
    Execute("DROP TABLE Invoices_rows");
    testsupport::ScopedDialogAnswers dialogs;
    testsupport::ExpectLinesQueryFailure(dialogs, Print5,
                                         "SELECT * FROM Invoices_rows WHERE ( Invoice_num = 5.00 ) ORDER BY izdelie");
    // The header stays when its lines could not be deleted.
    EXPECT_FALSE(DeleteInvoice(nullptr, 5));
    EXPECT_EQ(Rows("SELECT Invoice_num FROM Invoices"), QStringList{"5"});
}

TEST_F(InvoicePrint, RawRoadPrintsTheInvoiceAsTheExpectedFile)
{
    StoreInvoice5();
    SetNas(NasPrintPhone, "1");
    FixedMoment moment;
    testsupport::ExpectRawPrint(Print5, "invoice_5.txt");
}

TEST_F(InvoicePrint, ANoticePrintsOldNewAndDifferenceLinesAsTheExpectedFile)
{
    StoreInvoice5();
    StoreNotice6();
    FixedMoment moment;
    testsupport::RawPrinterFile prn;
    ASSERT_TRUE(PrintInvoice(nullptr, 6));
    testsupport::ExpectLinesAsFile(prn.Lines(), "credit_notice_6.txt");
}

TEST_F(InvoicePrint, SumsAreRightAlignedTo78AndTheRateIsTheStoredOne)
{
    StoreInvoice5();
    Execute("Update Invoices Set VAT_Percent = 0.09, VAT = 2.53 Where Invoice_num = 5");
    Execute("Update VA Set value_VA = \"0.2\" Where code_VA = 9");
    const QStringList text = TextOf(nullptr, 5);
    const int sums = int(text.indexOf(QRegularExpression("^ Данъчна основа:.*")));
    ASSERT_GT(sums, 0);
    EXPECT_EQ(text[sums], " Данъчна основа:" + QString(57, ' ') + "28.13");
    EXPECT_EQ(text[sums + 1], " Начислен ДДС 9.00%:" + QString(54, ' ') + "2.53");
    EXPECT_EQ(text[sums + 2], " Обща стойност:" + QString(58, ' ') + "30.66");
    EXPECT_EQ(text[sums + 3], " Словом: тридесет лева и шестдесет и шест стотинки");
    for (int i = sums; i < sums + 3; ++i)
        EXPECT_EQ(text[i].size(), 78);
}

TEST_F(InvoicePrint, WithoutThePhoneSettingNoPhoneLineAndALongCustomerPushesTheCompanyRight)
{
    StoreInvoice5();
    Execute("Update CustGroups Set name_c = \"Пекарна Зора и син, клон Варна ЕООД\" Where code_c = 7");
    const QStringList text = TextOf(nullptr, 5);
    EXPECT_EQ(text[2], " Получател: Пекарна Зора и син, клон Варна ЕООД Доставчик: Тестена Къща ООД ");
    for (const QString &line : text)
        EXPECT_FALSE(line.contains("Тел: ")) << line.toStdString();
    EXPECT_EQ(text[5], QString(" МОЛ: Зорница Илиева").leftJustified(40) + " МОЛ: Георги Тодоров");
    EXPECT_EQ(text[6], QString(" ЕИН по ЗДДС: BG130000017 ЕИН: 130000017").leftJustified(40) +
                           " ЕИН по ЗДДС: BG200000029 ЕИН: 200000029");
}

TEST_F(InvoicePrint, PageRoadPreviewsTheSameLines)
{
    StoreInvoice5();
    SetNas(NasPrintKind, "1");
    SetNas(NasPrintPhone, "1");
    FixedMoment moment;
    const QStringList seen = testsupport::PagePreviewRuns(Print5);
    const QStringList expected = testsupport::ExpectedLines("invoice_5.txt");
    ASSERT_GT(seen.size(), 3);
    EXPECT_EQ(seen[0], " ");
    EXPECT_EQ(seen[1], "   " + expected[0]);
    EXPECT_TRUE(seen.contains("   " + expected[20]));
    StoreNotice6();
    EXPECT_EQ(testsupport::PreviewSheetAfterALandscapeList([] { return PrintInvoice(nullptr, 6); }), "210 mm x 297 mm");
}
