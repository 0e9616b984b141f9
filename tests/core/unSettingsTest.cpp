// Workstation and company settings in the database: separate counters per
// workstation address, switches, company values.
#include "core/unSettings.h"
#include "core/un_Ado_Connection.h"
#include "support/DatabaseTest.h"
#include "support/ScopedDialogAnswers.h"

namespace {

// Writes a counter as the shared save does: the row's update when it
// exists, else its insert.
bool SaveNasCounter(int Setting, long double Number, const QString &Address)
{
    return ExecSQL(nullptr, DbConnection, NasCounterStatement(nullptr, Setting, Address, Number));
}

class Settings : public testsupport::DatabaseTest
{
protected:
    QString Counter(const QString &Address, int Number)
    {
        TDelimitedStringList list;
        EXPECT_TRUE(LoadNasSettings(nullptr, Address, list));
        return NasSetting(list, Number);
    }
};

} // namespace

TEST_F(Settings, TwoWorkstationAddressesKeepSeparateCounters)
{
    const QString a = "192.168.1.20", b = "192.168.1.21";
    // A workstation without rows counts from 0.
    EXPECT_EQ(Counter(a, NasGoodsReceiptCounter), "");
    ASSERT_TRUE(SaveNasCounter(NasGoodsReceiptCounter, 1, a));
    ASSERT_TRUE(SaveNasCounter(NasGoodsReceiptCounter, 2, a));
    ASSERT_TRUE(SaveNasCounter(NasGoodsReceiptCounter, 41, b));
    ASSERT_TRUE(SaveNasCounter(NasInvoiceCounter, 7, b));
    EXPECT_EQ(Counter(a, NasGoodsReceiptCounter), "0000000002");
    EXPECT_EQ(Counter(a, NasInvoiceCounter), "");
    EXPECT_EQ(Counter(b, NasGoodsReceiptCounter), "0000000041");
    EXPECT_EQ(Counter(b, NasInvoiceCounter), "0000000007");
    // One row per number and address, updated in place.
    EXPECT_EQ(Rows("Select n_nas, IP_Address, Value_nas From Nas Order By IP_Address, n_nas"),
              (QStringList{"1@192.168.1.20@0000000002", "1@192.168.1.21@0000000041", "2@192.168.1.21@0000000007"}));
}

TEST_F(Settings, ACounterKeepsOneFormAndReadsEveryFormerOne)
{
    // The one form: the document's own number, ten digits.
    EXPECT_EQ(NasCounterText(7), "0000000007");
    EXPECT_EQ(NasCounterText(12345678901.0L), "12345678901");
    // Every form a writer has left reads as its number; empty and
    // not-a-number count as 0.
    const std::vector<std::pair<QString, long double>> forms = {
        {"0000000007", 7}, {"7", 7}, {"7.00", 7}, {"7.000000", 7}, {"7,00", 7}, {" 700 ", 700},
        {"7.5", 7},        {"", 0},  {"  ", 0},   {"abc", 0},      {"-3", 0},   {"1e5", 0}};
    for (const auto &[text, number] : forms)
        EXPECT_EQ(NasCounterNumber(text), number) << text.toStdString();

    // A row that exists is updated whatever it holds: "" is a row too.
    const QString ip = "10.0.0.9";
    Execute("Insert into nas values ( 1, \"10.0.0.9\", \"\" )");
    Execute("Insert into nas values ( 2, \"10.0.0.9\", \"7.00\" )");
    const TNasCounter receipts = ReadNasCounter(nullptr, NasGoodsReceiptCounter, ip);
    EXPECT_TRUE(receipts.RowExists);
    EXPECT_EQ(receipts.Number, 0);
    EXPECT_EQ(ReadNasCounter(nullptr, NasInvoiceCounter, ip).Number, 7);
    EXPECT_FALSE(ReadNasCounter(nullptr, NasInvoiceCounter, "10.0.0.10").RowExists);
    testsupport::ScopedDialogAnswers dialogs;
    ASSERT_TRUE(SaveNasCounter(NasGoodsReceiptCounter, 1, ip)) << dialogs.Texts().join("|").toStdString();
    ASSERT_TRUE(SaveNasCounter(NasInvoiceCounter, 8, ip));
    EXPECT_EQ(Rows("Select n_nas, Value_nas From Nas Order By n_nas"),
              (QStringList{"1@0000000001", "2@0000000008"}));
}

TEST_F(Settings, SwitchesAreOnOnlyForOne)
{
    const QString ip = "10.0.0.5";
    Execute("Insert into nas values ( 11, \"10.0.0.5\", \"0\" )");
    Execute("Insert into nas values ( 12, \"10.0.0.5\", \"1\" )");
    Execute("Insert into nas values ( 13, \"10.0.0.5\", \"2\" )");
    TDelimitedStringList list;
    ASSERT_TRUE(LoadNasSettings(nullptr, ip, list));
    EXPECT_FALSE(NasSwitchOn(list, NasPrintKind));
    EXPECT_TRUE(NasSwitchOn(list, NasLineSpacing));
    EXPECT_FALSE(NasSwitchOn(list, NasPrintPhone));
    EXPECT_FALSE(NasSwitchOn(list, NasAutoCreateObject));
    // Another workstation's rows are not this one's.
    ASSERT_TRUE(LoadNasSettings(nullptr, "10.0.0.6", list));
    EXPECT_FALSE(NasSwitchOn(list, NasLineSpacing));
}

TEST_F(Settings, AnAddressWithAQuoteNeitherBreaksNorWidensTheStatement)
{
    ASSERT_TRUE(SaveNasCounter(NasInvoiceCounter, 5, "10.0.0.1"));
    const QString odd = "x\" or \"1\"=\"1";
    ASSERT_TRUE(SaveNasCounter(NasInvoiceCounter, 9, odd));
    EXPECT_EQ(Counter("10.0.0.1", NasInvoiceCounter), "0000000005");
}

TEST_F(Settings, CompanySettingsReadByCode)
{
    Execute("Insert into VA values ( 1, \"Хлебозавод ООД\" )");
    Execute("Insert into VA values ( 9, \"0.2\" )");
    TDelimitedStringList list;
    ASSERT_TRUE(LoadVaSettings(nullptr, list));
    EXPECT_EQ(VaSetting(list, VaCompanyName), "Хлебозавод ООД");
    EXPECT_EQ(VaSetting(list, VaVatPercent), "0.2");
    EXPECT_EQ(VaSetting(list, VaTaxOffice), "");
    EXPECT_EQ(VaSettingLabel(VaTaxOffice), "14. ТД на НАП");
    EXPECT_EQ(VaSettingLabel(VaCompanyName), "1. Наименование на фирма");
    EXPECT_EQ(VaSettingLabel(15), "");
}

TEST_F(Settings, AMissingSettingsTableRaisesToTheCaller)
{
    Execute("DROP TABLE Nas");
    testsupport::ScopedDialogAnswers dialogs;
    EXPECT_THROW(SaveNasCounter(NasGoodsReceiptCounter, 1, "10.0.0.1"), std::exception);
    TDelimitedStringList list;
    EXPECT_THROW(LoadNasSettings(nullptr, "10.0.0.1", list), std::exception);
    EXPECT_TRUE(dialogs.Shown().empty());
}
