// Text helpers: characters, padding, line items, MIK conversion.
#include <gtest/gtest.h>

#include "core/LineConv.h"
#include "core/uHelpers.h"
#include "platform/Exception.h"
#include "platform/print/CodePages.h"

namespace {
QString U(const char *s)
{
    return QString::fromUtf8(s);
}
} // namespace

TEST(TextHelpers, CharactersReplacedRemovedAndKept)
{
    QString r;
    ReplaceChar("a@b@c", '@', '~', r);
    EXPECT_EQ(r, "a~b~c");
    SubstituteChar("1,5", ',', '.', r);
    EXPECT_EQ(r, "1.5");
    RemoveChar("1 234 567", ' ', r);
    EXPECT_EQ(r, "1234567");
    DeleteAllChar('-', "--a-b", r);
    EXPECT_EQ(r, "ab");
    KeepNumericChars(U("цена: -12.50 лв."), r);
    EXPECT_EQ(r, "-12.50.");
    IncludeTrailingChar("dir", '/', r);
    EXPECT_EQ(r, "dir/");
    IncludeTrailingChar("dir/", '/', r);
    EXPECT_EQ(r, "dir/");
    IncludeTrailingChar("", '/', r);
    EXPECT_EQ(r, "");
    UpperCaseChars(U("хляб Bread ё"), r);
    EXPECT_EQ(r, U("ХЛЯБ BREAD Ё"));
}

TEST(TextHelpers, ReplaceStrWithoutOverlap)
{
    QString r;
    ReplaceStr("aaaa", "aa", "b", r);
    EXPECT_EQ(r, "bb");
    ReplaceStr("a.b.c", ".", "::", r);
    EXPECT_EQ(r, "a::b::c");
    ReplaceStr("abc", "", "x", r);
    EXPECT_EQ(r, "abc");
    ReplaceStr("ab", "abc", "x", r);
    EXPECT_EQ(r, "ab");
    ReplaceStr("Abc", "a", "x", r);
    EXPECT_EQ(r, "Abc");
}

TEST(TextHelpers, PadToWidthKeepsTheMinusInFront)
{
    QString r;
    PadToWidth("-5", 4, '0', r, 0);
    EXPECT_EQ(r, "-005");
    PadToWidth("-x", 4, '0', r, 0);
    EXPECT_EQ(r, "00-x");
    PadToWidth("5", 4, '0', r, 0);
    EXPECT_EQ(r, "0005");
    PadToWidth("ab", 8, '*', r, 1);
    EXPECT_EQ(r, "**ab****");
    PadToWidth("ab", 3, '*', r, 1);
    EXPECT_EQ(r, "ab*");
    PadToWidth("ab", 5, '.', r, 2);
    EXPECT_EQ(r, "ab...");
    PadToWidth("abcdef", 3, '.', r, 0);
    EXPECT_EQ(r, "abcdef");
    PadText("-5", 0, 4, r, '0');
    EXPECT_EQ(r, "00-5");
    PadText("ab", 2, 4, r, QChar());
    EXPECT_EQ(r, "ab");
    PadTextLeft("7", 3, ' ', r);
    EXPECT_EQ(r, "  7");
    PadTextRight("7", 3, ' ', r);
    EXPECT_EQ(r, "7  ");
    PadLeft("42", '0', 5, r);
    EXPECT_EQ(r, "00042");
    PadLeftBlank("42", 4, r);
    EXPECT_EQ(r, "  42");
    PadLeftBlank("12345", 4, r);
    EXPECT_EQ(r, "12345");
}

TEST(TextHelpers, LineItemsCutAtDelimiterTexts)
{
    QString r;
    GetLineItem(" a ; b ;c", "; ", 1, r);
    EXPECT_EQ(r, "b ;c");
    GetLineItem("a; b", "; ", 0, r);
    EXPECT_EQ(r, "a");
    GetLineItem(" a @b", "@", 0, r);
    EXPECT_EQ(r, " a ");
    GetDelimitedField(" a @b", "@", 0, r);
    EXPECT_EQ(r, "a");
    GetLineItem("a@b", "@", 2, r);
    EXPECT_EQ(r, "");
    GetLineItem("a@b", "@", -1, r);
    EXPECT_EQ(r, "");
    EXPECT_EQ(LineItemCount("a@b@", "@"), 3);
    EXPECT_EQ(LineItemCount("", "@"), 0);
}

TEST(TextHelpers, SplitToKeyedListKeysRecordsByTheirFirstField)
{
    TLineConv list;
    list.Add("kept");
    SplitToKeyedList(U("1@хляб@2.5°°2@ кифла @0.8°"), list, U("°"), "@");
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Strings(1), "1");
    EXPECT_EQ(list.Strings(2), "2");
    auto *fields = dynamic_cast<TLineConv *>(list.Objects(2));
    ASSERT_NE(fields, nullptr);
    ASSERT_EQ(fields->Count(), 3);
    EXPECT_EQ(fields->Strings(1), U(" кифла "));
    EXPECT_EQ(fields->Strings(2), "0.8");
}

TEST(TextHelpers, Win1251ToMikPrintsWhatTheMikPageHolds)
{
    QString r;
    Win1251ToMik("Invoice 2024-01/7: OK!", r);
    EXPECT_EQ(r, "Invoice 2024-01/7: OK!");
    const QString text = U("Фактура № 15 – Ёлхов");
    Win1251ToMik(text, r);
    EXPECT_EQ(r, U("Фактура № 15 - Елхов"));
    QString again;
    Win1251ToMik(r, again);
    EXPECT_EQ(again, r);
    const QByteArray bytes = platform::EncodeCodePage(r, platform::CodePage::Mik);
    EXPECT_EQ(bytes.left(7), QByteArray("\x94\xA0\xAA\xB2\xB3\xB0\xA0", 7)); // Фактура
    EXPECT_EQ(static_cast<unsigned char>(bytes[8]), 0xD5);
}

TEST(FormatText, FillsTheMessageTextsDirectives)
{
    EXPECT_EQ(Format(U("Шифър \"%s\" съществува в таблицата с данни!"), {U("Хляб")}),
              U("Шифър \"Хляб\" съществува в таблицата с данни!"));
    EXPECT_EQ(Format(U("Начислен ДДС %.2f%%:"), {20.0}), U("Начислен ДДС 20.00%:"));
    EXPECT_EQ(Format("%d mm x %d mm", {210, 297}), "210 mm x 297 mm");
    EXPECT_EQ(Format(U("Грешка при актуализиране на %s на ред %d."), {"Nas", -3}),
              U("Грешка при актуализиране на Nas на ред -3."));
    // Floats go through the system's rounding: no tie to even, no "-0.00".
    EXPECT_EQ(Format("%.2f", {0.125}), "0.13");
    EXPECT_EQ(Format("%.2f", {2.675}), "2.68");
    EXPECT_EQ(Format("%.2f", {-0.001}), "0.00");
    EXPECT_EQ(Format("%f", {1.5L}), "1.50"); // two decimals unless told
    EXPECT_EQ(Format("[%5d|%-5d|%.3d|%3s|%-3s|%.2s]", {42, 42, -7, "a", "b", "abc"}),
              "[   42|42   |-007|  a|b  |ab]");
    EXPECT_EQ(Format("100%% %s", {"left", "over"}), "100% left");
    EXPECT_EQ(Format("", {}), "");
    // The text of an argument is never read as a format.
    EXPECT_EQ(Format("%s", {"%d %s %%"}), "%d %s %%");
}

TEST(FormatText, TakesWidthAndPrecisionFromArguments)
{
    EXPECT_EQ(Format("%.*f|%.*f", {4, 1.5, 0, 2.5}), "1.5000|3");
    EXPECT_EQ(Format("[%*s|%-*s|%*s]", {5, "ab", 5, "cd", -4, "e"}), "[   ab|cd   |e   ]");
    // The totals labels: thousands grouped by a blank, '.' before the decimals.
    EXPECT_EQ(Format(U("Общо с ДДС: %10.*n лв."), {2, 1234.565}), U("Общо с ДДС:   1 234.57 лв."));
    EXPECT_EQ(Format(U("Общо: %10.2n лв."), {-1234567.891}), U("Общо: -1 234 567.89 лв."));
    EXPECT_EQ(Format("%n|%.0n|%.3n", {999.999, 123456.0, -0.0001}), "1 000.00|123 456|0.000");
    EXPECT_THROW(Format("%.*f", {1.5, 2}), EConvertError);
    EXPECT_THROW(Format("%*s", {"a"}), EConvertError);
    EXPECT_THROW(Format("%n", {12}), EConvertError);
}

TEST(FormatText, ArgumentsThatDoNotFitRaise)
{
    const QString message = "Format '%d lines' invalid or incompatible with argument";
    try {
        Format("%d lines", {"3"});
        ADD_FAILURE() << "no exception";
    } catch (const EConvertError &e) {
        EXPECT_EQ(e.Message(), message);
    }
    EXPECT_THROW(Format("%d", {1.5}), EConvertError);
    EXPECT_THROW(Format("%.2f", {20}), EConvertError);
    EXPECT_THROW(Format("%s", {7}), EConvertError);
    EXPECT_THROW(Format("%s and %s", {"one"}), EConvertError);
    EXPECT_THROW(Format("50%", {}), EConvertError);
    EXPECT_THROW(Format("%q", {1}), EConvertError);
    EXPECT_THROW(Format("%.f", {1.0}), EConvertError);
}
