// The M-language link is never connected: every call gives its unconnected
// answer, with or without a placed control.
#include <gtest/gtest.h>

#include "core/uMLinkFuncs.h"
#include "platform/system/MLanguageControl.h"

namespace {

void ExpectUnconnectedAnswers()
{
    EXPECT_FALSE(MLinkConnected());

    QStringList fields{"keep"};
    EXPECT_FALSE(MReadFirmRecord(fields));
    EXPECT_EQ(QStringList{"keep"}, fields);
    EXPECT_FALSE(MGetPrintSettings("Report", fields));
    EXPECT_EQ(QStringList{"keep"}, fields);

    QString text = "31.01.2008";
    EXPECT_FALSE(MGetPeriodEndDate(text));
    EXPECT_EQ("31.01.2008", text);
    text = "5";
    EXPECT_FALSE(MGetPeriodMonth(text));
    EXPECT_EQ("", text);
    text = "2008";
    EXPECT_FALSE(MGetPeriodYear(text));
    EXPECT_EQ("", text);

    bool flag = true;
    EXPECT_FALSE(MIsBlackWhitePrint(flag));
    EXPECT_TRUE(flag);

    QString value = "v";
    EXPECT_FALSE(MGetNasValue("83", value));
    EXPECT_EQ("v", value);

    const QDate d(2008, 3, 31);
    EXPECT_EQ(d, FitDateToPeriod(true, d));
    EXPECT_EQ(d, FitDateToPeriod(false, d));
}

} // namespace

TEST(MLink, NoControlIsPlacedAndEveryCallAnswersUnconnected)
{
    EXPECT_EQ(nullptr, MLinkControl());
    ClearMParams(); // harmless without a control
    ExpectUnconnectedAnswers();
}

TEST(MLink, PlacedControlStaysUnconnectedAndClearEmptiesItsParameters)
{
    platform::MLanguageControl control;
    SetMLinkControl(&control);
    for (int p = 1; p <= 9; ++p)
        control.SetProperty(p, "x");
    control.SetProperty(platform::MLanguageControl::P0, "p0");
    control.SetProperty(platform::MLanguageControl::Value, "v");
    control.SetProperty(platform::MLanguageControl::CommandText, "S P1=1");

    ClearMParams();
    for (int p = 1; p <= 9; ++p)
        EXPECT_EQ("", control.Property(p));
    EXPECT_EQ("", control.Property(platform::MLanguageControl::P0));
    EXPECT_EQ("", control.Property(platform::MLanguageControl::Value));
    EXPECT_EQ("S P1=1", control.Property(platform::MLanguageControl::CommandText));

    ExpectUnconnectedAnswers();
    SetMLinkControl(nullptr);
}
