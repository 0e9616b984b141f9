// The named print settings and their one registry value per report.
#include <gtest/gtest.h>

#include "core/unRegistryFuncs.h"
#include "framework/unReportSettings.h"
#include "support/QtPrinters.h"
#include "support/TestEnv.h"

namespace {

class ReportSettings : public testsupport::DataTest
{
};

TReportSettings Entry(const QString &name, std::vector<bool> visible, std::vector<bool> stretch, int orientation)
{
    TReportSettings s;
    SetDefaultPrintObjects(s);
    s.Name = name;
    s.VisibleCols = std::move(visible);
    s.AutoResizeCols = std::move(stretch);
    s.Orientation = orientation;
    return s;
}

} // namespace

TEST(ReportSettingsText, DefaultObjectsAndTheStoredForm)
{
    TReportSettings s;
    SetDefaultPrintObjects(s);
    const int sizes[] = {8, 8, 14, 12, 10, 12, 10};
    for (int i = 0; i < PrintObjectCount; ++i) {
        EXPECT_EQ("Times New Roman", s.Objects[size_t(i)].Font.family()) << i;
        EXPECT_EQ(sizes[i], s.Objects[size_t(i)].Font.pointSize()) << i;
    }
    EXPECT_EQ("Стр.: %d / %d", s.Objects[pobSystemInfo].Text);
    EXPECT_EQ("%s\r№ по НДР: %s\rБулстат: %s", s.Objects[pobCompanyHeader].Text);

    TSettings all(1); // entry 0 is never stored
    all[0].Name = BuiltInSettingName;
    all.push_back(Entry("Кратка", {true, false, true}, {false, true, false}, 0));
    all.back().Default = true;
    all.back().Objects[pobTable].Font.setBold(true);
    all.push_back(Entry("Широка", {true, true, true}, {false, false, false}, 1));
    all.back().Objects[pobTable].Font = QFont("Arial", 11);
    all.back().Objects[pobTable].Font.setItalic(true);
    EXPECT_EQ(QString::fromUtf8("Кратка@1@1||1@Times New Roman|8|1,0@Portrait@|1|°"
                                "Широка@@1|1|1@Arial|11|0,1@Landscape@||"),
              ReportSettingsToText(all));
}

TEST(ReportSettingsText, ShortRecordsAreSkippedAndColumnListsFitTheGrid)
{
    TSettings s;
    AppendReportSettingsFromText(QString::fromUtf8("Три@1@1|1°Пет@@1||1|1|1@Arial|9|0,0@Portrait@1|1|1|1|1"), 3, s);
    ASSERT_EQ(1u, s.size());
    EXPECT_EQ("Пет", s[0].Name);
    EXPECT_FALSE(s[0].Default);
    EXPECT_EQ((std::vector<bool>{true, false, true}), s[0].VisibleCols);
    EXPECT_EQ((std::vector<bool>{true, true, true}), s[0].AutoResizeCols);
    EXPECT_EQ(0, s[0].Orientation);
    EXPECT_EQ(9, s[0].Objects[pobTable].Font.pointSize());
    // The other objects take their defaults.
    EXPECT_EQ(14, s[0].Objects[pobTitle].Font.pointSize());
}

TEST(ReportSettingsText, MalformedFontFallsBackToTheDefault)
{
    TSettings s;
    // Size not a number, no flags; a record with a font of one part; a
    // fourth field only, without orientation and stretch lists.
    AppendReportSettingsFromText(QString::fromUtf8("А@@1|1@Arial|голям°Б@1@|1@°В@@@Courier New|12|1,1"), 2, s);
    ASSERT_EQ(3u, s.size());
    EXPECT_EQ("Arial", s[0].Objects[pobTable].Font.family());
    EXPECT_EQ(8, s[0].Objects[pobTable].Font.pointSize());
    EXPECT_FALSE(s[0].Objects[pobTable].Font.bold());
    EXPECT_EQ("Times New Roman", s[1].Objects[pobTable].Font.family());
    EXPECT_EQ(8, s[1].Objects[pobTable].Font.pointSize());
    EXPECT_EQ(1, s[0].Orientation); // anything but "Portrait"
    EXPECT_EQ((std::vector<bool>{false, false}), s[1].AutoResizeCols);
    EXPECT_EQ((std::vector<bool>{false, false}), s[2].VisibleCols);
    EXPECT_TRUE(s[2].Objects[pobTable].Font.bold());
    EXPECT_TRUE(s[2].Objects[pobTable].Font.italic());
}

TEST(ReportSettingsText, NamesRefuseTheSeparators)
{
    EXPECT_TRUE(IsValidSettingName("Отчет 1 (кратък)"));
    for (const char *bad : {"a,b", "a@b", "a|b", "a~b", "a°b"})
        EXPECT_FALSE(IsValidSettingName(QString::fromUtf8(bad))) << bad;
}

TEST_F(ReportSettings, RoundTripThroughTheSettingsStore)
{
    TSettings all(1);
    all.push_back(Entry("Месечна", {true, false, true, true}, {false, false, true, false}, 1));
    all.back().Default = true;
    all.back().Objects[pobTable].Font = QFont("DejaVu Sans", 10);
    SaveReportSettings("frmSales_print_settings", all);
    QString stored;
    GetRegistrySetting("FRMSALES_PRINT_SETTINGS", stored);
    EXPECT_EQ(QString::fromUtf8("Месечна@1@1||1|1@DejaVu Sans|10|0,0@Landscape@||1|"), stored);

    TSettings loaded(1);
    LoadReportSettings("frmSales_print_settings", 4, loaded);
    ASSERT_EQ(2u, loaded.size());
    EXPECT_EQ(all[1].Name, loaded[1].Name);
    EXPECT_TRUE(loaded[1].Default);
    EXPECT_EQ(all[1].VisibleCols, loaded[1].VisibleCols);
    EXPECT_EQ(all[1].AutoResizeCols, loaded[1].AutoResizeCols);
    EXPECT_EQ(1, loaded[1].Orientation);
    EXPECT_EQ("DejaVu Sans", loaded[1].Objects[pobTable].Font.family());
    EXPECT_EQ(10, loaded[1].Objects[pobTable].Font.pointSize());

    // An empty key neither loads nor stores.
    SaveReportSettings("", all);
    TSettings none;
    LoadReportSettings("", 4, none);
    EXPECT_TRUE(none.empty());
}
