// The printers' code pages: exact tables and the stand-ins of characters a
// page lacks.
#include <QString>
#include <gtest/gtest.h>

#include "platform/print/CodePages.h"

using platform::CodePage;

namespace {
QString UpperHalfOf(CodePage page)
{
    QByteArray bytes;
    for (int b = 0x80; b <= 0xFF; ++b)
        bytes.append(static_cast<char>(b));
    return platform::DecodeCodePage(bytes, page);
}
QByteArray Bytes(std::initializer_list<int> list)
{
    QByteArray b;
    for (int v : list)
        b.append(static_cast<char>(v));
    return b;
}
const QString CyrillicAlphabet = QString::fromUtf8(
    "АБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯабвгдежзийклмнопрстуфхцчшщъыьэюя");
} // namespace

TEST(CodePages, Windows1251UpperHalfIsTheStandardTable)
{
    EXPECT_EQ(UpperHalfOf(CodePage::Windows1251),
              QString::fromUtf8("ЂЃ‚ѓ„…†‡€‰Љ‹ЊЌЋЏђ‘’“”•–—\uFFFD™љ›њќћџ\u00A0ЎўЈ¤Ґ¦§Ё©Є«¬\u00AD®Ї"
                                "°±Ііґµ¶·ё№є»јЅѕї")
                  + CyrillicAlphabet);
}

TEST(CodePages, Cp866UpperHalfIsTheStandardTable)
{
    EXPECT_EQ(UpperHalfOf(CodePage::Cp866),
              QString::fromUtf8("АБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯабвгдежзийклмноп"
                                "░▒▓│┤╡╢╖╕╣║╗╝╜╛┐└┴┬├─┼╞╟╚╔╩╦╠═╬╧╨╤╥╙╘╒╓╫╪┘┌█▄▌▐▀"
                                "рстуфхцчшщъыьэюяЁёЄєЇїЎў°∙·√№¤■\u00A0"));
}

TEST(CodePages, MikHoldsTheWholeAlphabetAt0x80To0xBF)
{
    const QByteArray mik = platform::EncodeCodePage(CyrillicAlphabet, CodePage::Mik);
    ASSERT_EQ(mik.size(), 64);
    for (int i = 0; i < 64; ++i)
        EXPECT_EQ(static_cast<unsigned char>(mik[i]), 0x80 + i) << i;
    // The same letters are 0xC0..0xFF in Windows-1251: 64 lower.
    const QByteArray win = platform::EncodeCodePage(CyrillicAlphabet, CodePage::Windows1251);
    for (int i = 0; i < 64; ++i)
        EXPECT_EQ(static_cast<unsigned char>(win[i]) - 64, static_cast<unsigned char>(mik[i]));
    EXPECT_EQ(UpperHalfOf(CodePage::Mik).left(64), CyrillicAlphabet);
}

TEST(CodePages, MikSignsAndStandIns)
{
    EXPECT_EQ(platform::EncodeCodePage(QString::fromUtf8("№§°±"), CodePage::Mik),
              Bytes({0xD5, 0xD6, 0xF8, 0xF1}));
    EXPECT_EQ(platform::EncodeCodePage(QString::fromUtf8("─│┌┐└┘"), CodePage::Mik),
              Bytes({0xC4, 0xD3, 0xDA, 0xCF, 0xC0, 0xD9}));
    // Ё/ё have no place in MIK and print as Е/е; typographic signs as ASCII.
    EXPECT_EQ(platform::EncodeCodePage(QString::fromUtf8("Ёё„“”«»–—‘’\u00A0"), CodePage::Mik),
              Bytes({0x85, 0xA5, '"', '"', '"', '"', '"', '-', '-', '\'', '\'', 0xFF}));
    // Nothing else is guessed: one '?' per character, surrogate pairs too.
    EXPECT_EQ(platform::EncodeCodePage(QString::fromUtf8("€¤ІX\U0001F600"), CodePage::Mik),
              QByteArray("???X?"));
    // CP866 and Windows-1251 have Ё/ё of their own.
    EXPECT_EQ(platform::EncodeCodePage(QString::fromUtf8("Ёё№"), CodePage::Cp866),
              Bytes({0xF0, 0xF1, 0xFC}));
    EXPECT_EQ(platform::EncodeCodePage(QString::fromUtf8("Ёё№"), CodePage::Windows1251),
              Bytes({0xA8, 0xB8, 0xB9}));
}

TEST(CodePages, EveryTableRoundTrips)
{
    for (CodePage page : {CodePage::Windows1251, CodePage::Mik, CodePage::Cp866}) {
        for (int b = 0; b <= 0xFF; ++b) {
            const char32_t ch = platform::CodePageChar(static_cast<unsigned char>(b), page);
            if (ch == 0xFFFD)
                continue;
            unsigned char back = 0;
            ASSERT_TRUE(platform::CodePageByte(ch, page, back)) << b;
            EXPECT_EQ(back, b);
        }
    }
}

TEST(CodePages, RestrictingTwiceChangesNothing)
{
    const QString text = QString::fromUtf8("Фактура № 12 – „Ёлха“ ok €");
    const QString once = platform::RestrictToCodePage(text, CodePage::Mik);
    EXPECT_EQ(once, QString::fromUtf8("Фактура № 12 - \"Елха\" ok ?"));
    EXPECT_EQ(platform::RestrictToCodePage(once, CodePage::Mik), once);
    EXPECT_EQ(once.size(), text.size());
}
