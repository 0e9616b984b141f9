// Windows colour values ($00BBGGRR) and the system colours turned into the
// colours that are painted.
#include <gtest/gtest.h>

#include "platform/ui/Colors.h"

using platform::FromQColor;
using platform::ToQColor;

TEST(Colors, ValuesAreBlueGreenRed)
{
    // The totals row: red D8, green F0, blue F8.
    EXPECT_EQ(ToQColor(0xF8F0D8), QColor(0xD8, 0xF0, 0xF8));
    // The negative look of the number formatters, a pink.
    EXPECT_EQ(ToQColor(0xCFCDF5), QColor(0xF5, 0xCD, 0xCF));
    EXPECT_EQ(ToQColor(clRed), QColor(255, 0, 0));
    EXPECT_EQ(ToQColor(clNavy), QColor(0, 0, 128));
    EXPECT_EQ(FromQColor(QColor(0xD8, 0xF0, 0xF8)), 0xF8F0D8);
    EXPECT_EQ(FromQColor(ToQColor(15852465)), 15852465);
}

TEST(Colors, SystemColoursTakeTheSchemeOfTheProgram)
{
    EXPECT_EQ(ColorToRGB(clWindow), clWhite);
    EXPECT_EQ(ColorToRGB(clWindowText), clBlack);
    EXPECT_EQ(ToQColor(clBtnFace), QColor(240, 240, 240));
    EXPECT_EQ(ToQColor(clHighlight), QColor(0x33, 0x99, 0xFF));
    EXPECT_EQ(ToQColor(clHighlightText), QColor(Qt::white));
    // An index past the scheme falls back to the window colour.
    EXPECT_EQ(ColorToRGB(clSystemColor | 99), clWhite);
    // A plain value loses anything above its 24 bits.
    EXPECT_EQ(ColorToRGB(0x02123456), 0x123456);
}

TEST(Colors, NoneIsTransparent)
{
    EXPECT_EQ(ToQColor(clNone).alpha(), 0);
    EXPECT_EQ(ColorToRGB(clNone), clWhite);
    EXPECT_EQ(ColorToRGB(clDefault), clWhite);
}
