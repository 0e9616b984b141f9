// A stored goods receipt: reading, deleting, the existence check, and the
// printout on both roads against its expected text.
#include <gtest/gtest.h>

#include "GoodsReceiptFixture.h"
#include "SalesDocumentTestParts.h"
#include "core/uDelimitedStrings.h"
#include "documents/unPrintStokovaRazpiska.h"

namespace {

class FixedMoment : public testsupport::FixedPrintMoment
{
public:
    FixedMoment() : FixedPrintMoment(QDateTime(QDate(2026, 12, 7), QTime(9, 5, 3))) {}
};

bool Print42() { return PrintStokovaRazpiska(nullptr, 42); }

class StokovaRazpiskaPrint : public testsupport::GoodsReceiptTest
{
protected:
    void StoreReceipt42()
    {
        Execute("INSERT INTO Zaiavki Values ( 42, 46363, 12, 46364, 33.75, 0, 0, 0 )");
        Execute("INSERT INTO Zaiavka_rows Values ( 42, 205, 2.5, 9.18, 0, 9.18, 22.95 )");
        Execute("INSERT INTO Zaiavka_rows Values ( 42, 101, 10, 1.2, -10, 1.08, 10.8 )");
    }
};

} // namespace

TEST_F(StokovaRazpiskaPrint, LoadGivesHeaderFieldsAndLinesByProduct)
{
    StoreReceipt42();
    Execute("INSERT INTO Zaiavki Values ( 43, 46363, 13, 46364, 1, -1, 46370, -1 )");
    TDelimitedStringList header, lines;
    ASSERT_TRUE(LoadStokovaRazpiska(nullptr, 42, header, lines));
    EXPECT_EQ(header.Count(), 8);
    EXPECT_EQ(header.Strings(1), "07.12.2026");
    EXPECT_EQ(header.Strings(2), "12");
    EXPECT_EQ(header.Strings(3), "08.12.2026");
    EXPECT_EQ(header.Strings(4), "33.75");
    EXPECT_EQ(header.Strings(5), "False");
    ASSERT_EQ(lines.Count(), 2);
    EXPECT_EQ(lines.Strings(0), "42@101@10@1.2@-10@1.08@10.8");
    EXPECT_EQ(lines.Strings(1), "42@205@2.5@9.18@0@9.18@22.95");
    ASSERT_TRUE(LoadStokovaRazpiska(nullptr, 43, header, lines));
    EXPECT_EQ(header.Strings(5), "True");
    EXPECT_EQ(header.Strings(6), "14.12.2026");
    EXPECT_EQ(header.Strings(7), "True");
    EXPECT_EQ(lines.Count(), 0);
}

TEST_F(StokovaRazpiskaPrint, DeleteRemovesTheHeaderAndLinesOfItsNumberOnly)
{
    StoreReceipt42();
    Execute("INSERT INTO Zaiavka_rows Values ( 50, 101, 1, 1, 0, 1, 1 )");
    ASSERT_TRUE(DeleteStokovaRazpiska(nullptr, 42));
    EXPECT_TRUE(Rows("SELECT * FROM Zaiavki").isEmpty());
    EXPECT_EQ(Rows("SELECT Query_num FROM Zaiavka_rows"), QStringList{"50"});
}

TEST_F(StokovaRazpiskaPrint, AFailingQueryIsShownAndAnsweredFalse)
{
    StoreReceipt42();
    Execute("DROP TABLE Zaiavka_rows");
    testsupport::ScopedDialogAnswers dialogs;
    testsupport::ExpectLinesQueryFailure(dialogs, Print42,
                                         "SELECT * FROM Zaiavka_rows WHERE ( Query_num = 42.00 ) ORDER BY izdelie");
    // The header stays when its lines could not be deleted.
    EXPECT_FALSE(DeleteStokovaRazpiska(nullptr, 42));
    EXPECT_EQ(Rows("SELECT Query_num FROM Zaiavki"), QStringList{"42"});
}

TEST_F(StokovaRazpiskaPrint, RawRoadPrintsTheReceiptAsTheExpectedFile)
{
    StoreReceipt42();
    SetNas(NasPrintPhone, "1");
    FixedMoment moment;
    testsupport::ExpectRawPrint(Print42, "goods_receipt_42.txt");
}

TEST_F(StokovaRazpiskaPrint, WithoutThePhoneSettingNoPhoneLineAndNoLinesStillPrintsTheFrame)
{
    Execute("INSERT INTO Zaiavki Values ( 7, 46363, 21, 46364, 12.5, 0, 0, 0 )");
    FixedMoment moment;
    TDelimitedStringList header, lines, nas, va;
    ASSERT_TRUE(LoadStokovaRazpiska(nullptr, 7, header, lines));
    ASSERT_TRUE(LoadNasSettings(nullptr, Station, nas));
    ASSERT_TRUE(LoadVaSettings(nullptr, va));
    const QStringList text = GoodsReceiptText(nullptr, 7, header, lines, nas, va);
    ASSERT_EQ(text.size(), 19);
    EXPECT_EQ(text[1].trimmed(), "N: 0000000007 / 07.12.2026 за дата 08.12.2026");
    EXPECT_EQ(text[2], QString(" Получател: Кафе Морско").leftJustified(40) + " Доставчик: Тестена Къща ООД ");
    EXPECT_EQ(text[5], QString(79, '-'));
    EXPECT_TRUE(text[6].startsWith("! N:!"));
    EXPECT_TRUE(text[7].startsWith("!---!"));
    EXPECT_EQ(text[8], QString(79, '-'));
    // The total is the stored one, not a sum of lines.
    EXPECT_EQ(text[9], " Общо:" + QString(67, ' ') + "12.50");
    EXPECT_EQ(text[10], " Словом: дванадесет лева и петдесет стотинки");
    EXPECT_EQ(text.mid(16), (QStringList{" ", " ", " "}));
}

TEST_F(StokovaRazpiskaPrint, LongNamesAreCutToTheirColumnAndWideAmountsPrintWhole)
{
    Execute("Update Obekti Set name_o = \"Магазин с много дълго име на улица Независимост\" Where code_of_object = 12");
    Execute("INSERT INTO Zaiavki Values ( 44, 46363, 12, 46364, 411518538.46, 0, 0, 0 )");
    Execute("INSERT INTO Zaiavka_rows Values ( 44, 205, 123456789.125, 3.3333, 0, 3.3333, 411518538.46 )");
    TDelimitedStringList header, lines, nas, va;
    ASSERT_TRUE(LoadStokovaRazpiska(nullptr, 44, header, lines));
    const QStringList text = GoodsReceiptText(nullptr, 44, header, lines, nas, va);
    // The left half is not cut; the right half starts later.
    EXPECT_EQ(text[3], " Обект: Магазин с много дълго име на улица Независимост Варна гр. ");
    EXPECT_EQ(text[8], "   1 Козунак със стафиди и орехи, голябр.   123456789.125     3.3333411518538.46");
    EXPECT_EQ(text[10], " Общо:" + QString(60, ' ') + "411518538.46");
}

TEST_F(StokovaRazpiskaPrint, PageRoadPreviewsTheSameLines)
{
    StoreReceipt42();
    SetNas(NasPrintKind, "1");
    FixedMoment moment;
    const QStringList seen = testsupport::PagePreviewRuns(Print42);
    ASSERT_GT(seen.size(), 3);
    EXPECT_EQ(seen[0], " ");
    EXPECT_EQ(seen[1], "   " + testsupport::ExpectedLines("goods_receipt_42.txt")[0]);
    EXPECT_TRUE(seen.contains("   " + testsupport::ExpectedLines("goods_receipt_42.txt")[9]));
    EXPECT_EQ(testsupport::PreviewSheetAfterALandscapeList(Print42), "210 mm x 297 mm");
}
