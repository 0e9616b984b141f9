// Layout of the page printer, read back from the recorded pages of a test
// printer at 300 dpi (Letter, quarter-inch edges unless a test says
// otherwise). The default font is 10 points: 42 pixels high, 25.2 pixels a
// character.
#include <gtest/gtest.h>

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QFontMetrics>

#include "framework/TextPagePrinter.h"
#include "support/TestPrinter.h"

using testsupport::TestPrinterDevice;

namespace {

struct Line
{
    int x;
    int top;
    QString text;
    bool operator==(const Line &o) const { return x == o.x && top == o.top && text == o.text; }
};

void PrintTo(const Line &line, std::ostream *os)
{
    *os << "(" << line.x << ", " << line.top << ", \"" << line.text.toStdString() << "\")";
}

std::vector<Line> LinesOf(const TTextPagePrinter &page, int pageNumber)
{
    std::vector<Line> lines;
    for (const auto &run : page.Pages().Items(pageNumber - 1)->TextRuns())
        lines.push_back({qRound(run.baseline.x()), run.top, run.text});
    return lines;
}

std::vector<QString> TextsOf(const TTextPagePrinter &page, int pageNumber)
{
    std::vector<QString> texts;
    for (const auto &line : LinesOf(page, pageNumber))
        texts.push_back(line.text);
    return texts;
}

// A printer whose printable area has the given size, at (75, 75).
struct Fixture
{
    explicit Fixture(QSize printable = QSize(2400, 3150)) : Fixture(QRect(QPoint(75, 75), printable)) {}
    explicit Fixture(QRect printable) : printer(300, QSize(2550, 3300), printable), page(nullptr, &printer) {}
    TestPrinterDevice printer;
    TTextPagePrinter page;
};

QFont FontOfHeight(int pixels)
{
    QFont font("Courier New");
    font.setStyleHint(QFont::TypeWriter);
    font.setPointSizeF(pixels * 72.0 / 300.0);
    return font;
}

template <typename F>
QString RefusalOf(F action)
{
    try {
        action();
    } catch (const ETextPagePrinter &e) {
        return e.Message();
    }
    return "<no refusal>";
}

} // namespace

TEST(TextPagePrinter, LineHeightFollowsTheSpacing)
{
    Fixture f;
    EXPECT_EQ(f.page.Font().family(), "Courier New");
    EXPECT_EQ(f.page.Font().pointSize(), 10);
    EXPECT_EQ(f.page.LineHeight(), 42);
    f.page.SetLineSpacing(lsHalfSpace);
    EXPECT_EQ(f.page.LineHeight(), 21);
    f.page.SetLineSpacing(lsSingleAndAHalf);
    EXPECT_EQ(f.page.LineHeight(), 63);
    f.page.SetLineSpacing(lsDoubleSpace);
    EXPECT_EQ(f.page.LineHeight(), 84);

    // A font 13 pixels high: 19 with one and a half, 6 with half spacing.
    f.page.SetFont(FontOfHeight(13));
    f.page.SetLineSpacing(lsSingleAndAHalf);
    EXPECT_EQ(f.page.LineHeight(), 19);
    f.page.SetLineSpacing(lsHalfSpace);
    EXPECT_EQ(f.page.LineHeight(), 6);

    // The lines of a document stand that far apart.
    f.page.SetFont(QFont("Courier New", 10));
    f.page.SetLineSpacing(lsDoubleSpace);
    f.page.BeginDoc();
    f.page.WriteLine("one");
    f.page.NewLine();
    f.page.WriteLine("two");
    f.page.EndDoc();
    EXPECT_EQ(LinesOf(f.page, 1), (std::vector<Line>{{0, 0, "one"}, {0, 84, "two"}}));
}

TEST(TextPagePrinter, TabsExpandToTheNextStop)
{
    Fixture f;
    f.page.BeginDoc();
    f.page.WriteLine("a\tb");
    f.page.NewLine();
    f.page.WriteLine("12345678\tx");
    f.page.NewLine();
    f.page.SetTabSize(4);
    f.page.WriteLine("ab\tc\td");
    f.page.NewLine();
    // A tab size below one cannot divide: every tab gives one blank.
    f.page.SetTabSize(0);
    f.page.WriteLine("a\t\tb");
    f.page.EndDoc();
    EXPECT_EQ(TextsOf(f.page, 1), (std::vector<QString>{"a       b", "12345678        x", "ab  c   d", "a  b"}));
}

TEST(TextPagePrinter, WritesContinueOnTheSameLine)
{
    Fixture f;
    f.page.BeginDoc();
    f.page.WriteLine("ab");
    f.page.WriteLine("cd");
    EXPECT_EQ(f.page.NewLine(), 1);
    f.page.WriteLine("e");
    f.page.EndDoc();
    EXPECT_EQ(LinesOf(f.page, 1), (std::vector<Line>{{0, 0, "ab"}, {50, 0, "cd"}, {0, 42, "e"}}));
}

TEST(TextPagePrinter, NewPageComesWhenTheNextLineWouldReachTheBottom)
{
    // Printable height 100 and lines of 20: lines at 0, 20, 40, 60; the
    // fifth starts page 2.
    Fixture f(QSize(2400, 100));
    f.page.SetFont(FontOfHeight(20));
    ASSERT_EQ(f.page.LineHeight(), 20);
    int pagesSeen = 0;
    f.page.OnNewPage = [&](QObject *sender) {
        EXPECT_EQ(sender, &f.page);
        ++pagesSeen;
    };
    f.page.BeginDoc();
    for (int i = 1; i <= 6; ++i) {
        f.page.WriteLine(QString("line %1").arg(i));
        if (i < 6)
            f.page.NewLine();
    }
    f.page.EndDoc();
    ASSERT_EQ(f.page.PageCount(), 2);
    EXPECT_EQ(pagesSeen, 2);
    EXPECT_EQ(LinesOf(f.page, 1),
              (std::vector<Line>{{0, 0, "line 1"}, {0, 20, "line 2"}, {0, 40, "line 3"}, {0, 60, "line 4"}}));
    EXPECT_EQ(LinesOf(f.page, 2), (std::vector<Line>{{0, 0, "line 5"}, {0, 20, "line 6"}}));
}

TEST(TextPagePrinter, LetterPageHoldsSeventyFourLines)
{
    // 3150 / 42 = 75 slots, the last of which would touch the bottom.
    Fixture f;
    f.page.BeginDoc();
    for (int i = 1; i <= 150; ++i) {
        f.page.WriteLine(QString::number(i));
        f.page.NewLine();
    }
    f.page.EndDoc();
    ASSERT_EQ(f.page.PageCount(), 3);
    EXPECT_EQ(LinesOf(f.page, 1).size(), 74u);
    EXPECT_EQ(LinesOf(f.page, 1).back(), (Line{0, 73 * 42, "74"}));
    EXPECT_EQ(LinesOf(f.page, 2).front(), (Line{0, 0, "75"}));
    EXPECT_EQ(TextsOf(f.page, 3), (std::vector<QString>{"149", "150"}));
}

TEST(TextPagePrinter, LineTallerThanThePageStillAdvancesOnePerPage)
{
    Fixture f(QSize(2400, 50));
    f.page.SetLineSpacing(lsDoubleSpace);
    f.page.BeginDoc();
    f.page.WriteLine("one");
    f.page.NewLine();
    f.page.WriteLine("two");
    f.page.NewLine();
    f.page.SetAlignment(TTextPagePrinter::taRightJustify);
    f.page.WriteAlignedLine("three");
    f.page.EndDoc();
    // "three" ends its line, which turns to a fourth, empty page.
    ASSERT_EQ(f.page.PageCount(), 4);
    EXPECT_EQ(LinesOf(f.page, 1), (std::vector<Line>{{0, 0, "one"}}));
    EXPECT_EQ(LinesOf(f.page, 2), (std::vector<Line>{{0, 0, "two"}}));
    EXPECT_EQ(LinesOf(f.page, 3), (std::vector<Line>{{2400 - 126, 0, "three"}}));
    EXPECT_TRUE(LinesOf(f.page, 4).empty());
}

TEST(TextPagePrinter, AlignedLinesKeepTheirPlaceOnANewPage)
{
    Fixture f(QSize(2400, 100));
    f.page.SetFont(FontOfHeight(20));
    f.page.SetAlignment(TTextPagePrinter::taRightJustify);
    f.page.BeginDoc();
    for (int i = 0; i < 3; ++i)
        f.page.WriteAlignedLine("xy");
    // Taller lines no longer fit below: the aligned line turns the page
    // itself and still stands where its alignment puts it.
    f.page.SetLineSpacing(lsDoubleSpace);
    f.page.WriteAlignedLine("xy");
    f.page.SetAlignment(TTextPagePrinter::taCenter);
    f.page.WriteAlignedLine("xy");
    f.page.EndDoc();
    const int width = 24; // two characters of 12 pixels
    // The last line's end opens a third, empty page.
    ASSERT_EQ(f.page.PageCount(), 3);
    EXPECT_EQ(LinesOf(f.page, 1).size(), 3u);
    EXPECT_EQ(LinesOf(f.page, 2), (std::vector<Line>{{2400 - width, 0, "xy"}, {(2400 - width) / 2, 40, "xy"}}));
}

TEST(TextPagePrinter, WrapBreaksAfterTheBlankBeforeAWord)
{
    // Ten characters fit (252 pixels), eleven do not.
    Fixture f(QSize(260, 3150));
    f.page.BeginDoc();
    f.page.WriteLine("aaaa bbbb cccc");
    f.page.NewLine();
    // A break that falls on a blank: in write mode the blank opens the
    // next line, in line mode it is dropped.
    f.page.WriteLine("aaaa bbbbb cc");
    f.page.NewLine();
    f.page.WriteAlignedLine("aaaa bbbbb cc");
    // A word longer than the line is broken inside.
    f.page.WriteLine("abcdefghijklmno");
    f.page.EndDoc();
    EXPECT_EQ(TextsOf(f.page, 1), (std::vector<QString>{"aaaa bbbb ", "cccc", "aaaa bbbbb", " cc", "aaaa bbbbb",
                                                        "cc", "abcdefghij", "klmno"}));
    // The last piece of a wrapped write stays on its line.
    const auto lines = LinesOf(f.page, 1);
    EXPECT_EQ(lines.back().top, 7 * 42);
}

TEST(TextPagePrinter, WithoutWrapOnlyTheFittingPrefixIsWritten)
{
    Fixture f(QSize(260, 3150));
    f.page.SetWordWrap(false);
    f.page.BeginDoc();
    f.page.WriteLine("abcdefghijklmno");
    f.page.NewLine();
    f.page.WriteAlignedLine("0123456789ABCDEF");
    f.page.WriteLine("abcdefghij");
    // One character wider than the room left is drawn anyway.
    f.page.WriteLine("WX");
    f.page.WriteLine("Y");
    f.page.EndDoc();
    EXPECT_EQ(LinesOf(f.page, 1), (std::vector<Line>{{0, 0, "abcdefghij"},
                                                     {0, 42, "0123456789"},
                                                     {0, 84, "abcdefghij"},
                                                     {252, 84, "W"},
                                                     {277, 84, "Y"}}));
}

TEST(TextPagePrinter, TextExactlyAsWideAsTheRoomFitsWhole)
{
    // The printable width is exactly ten characters: a prefix that
    // measures exactly the width is taken, never a longer one.
    Fixture f(QSize(252, 3150));
    f.page.SetWordWrap(false);
    f.page.BeginDoc();
    f.page.WriteLine(QString(20, 'x'));
    f.page.NewLine();
    f.page.SetWordWrap(true);
    f.page.WriteLine(QString(20, 'y'));
    f.page.EndDoc();
    EXPECT_EQ(TextsOf(f.page, 1), (std::vector<QString>{QString(10, 'x'), QString(10, 'y'), QString(10, 'y')}));
}

TEST(TextPagePrinter, TableFormatsAreStoredNormalised)
{
    Fixture f;
    f.page.SetTableFormat(">");
    EXPECT_EQ(f.page.TableFormat(), ">0");
    f.page.SetDefaultColWidth(1.5);
    f.page.SetTableFormat("<2|>3.50||^|12|<-30|^abc| <7");
    EXPECT_EQ(f.page.TableFormat(), "<2|>3.5|<1.5|^1.5|<12|<-30|^1.5|<1.5");
    f.page.SetTableFormat("");
    EXPECT_EQ(f.page.TableFormat(), "");
    f.page.SetTokenSeparator(';');
    f.page.SetHeaderFormat("^0.125;>1e1");
    EXPECT_EQ(f.page.HeaderFormat(), "^0.125;>10");
    f.page.SetFooterFormat("^0.1");
    EXPECT_EQ(f.page.FooterFormat(), "^0.1");
}

TEST(TextPagePrinter, TableCellsAreAlignedPaddedAndRuled)
{
    Fixture f;
    f.page.SetTableFormat("<1|>1|^1|<-1");
    f.page.SetTableGrid(true);
    f.page.BeginDoc();
    f.page.WriteTableLine("ab|cd|ef|gh|ignored");
    f.page.WriteTableLine("x");
    f.page.EndDoc();
    // Columns of 300 pixels; two characters are 50 wide; padding 6.
    EXPECT_EQ(LinesOf(f.page, 1), (std::vector<Line>{{6, 0, "ab"},
                                                     {300 + 300 - 50 - 6, 0, "cd"},
                                                     {600 + 125, 0, "ef"},
                                                     {900 + 6, 0, "gh"},
                                                     {6, 42, "x"}}));
    // Ruled columns: top and sides on the first pass, bottom and sides on
    // the last; the negative-width column has none.
    QVector<QLineF> lines;
    for (const auto &segment : f.page.Pages().Items(0)->LineSegments()) {
        lines << segment.line;
        EXPECT_EQ(segment.penWidth, 2);
        EXPECT_LE(std::max(segment.line.x1(), segment.line.x2()), 900);
    }
    EXPECT_EQ(lines.size(), 2 * 18);
    EXPECT_TRUE(lines.contains(QLineF(0, 0, 300, 0)));
    EXPECT_TRUE(lines.contains(QLineF(0, 42, 300, 42)));
    EXPECT_TRUE(lines.contains(QLineF(900, 0, 900, 42)));
    EXPECT_TRUE(lines.contains(QLineF(600, 84, 900, 84)));
}

TEST(TextPagePrinter, WrappedCellsContinueOnTheLinesOfTheirRow)
{
    Fixture f;
    f.page.SetTableFormat("<1|<1");
    f.page.BeginDoc();
    f.page.WriteTableLine("one\ntwo|right");
    // Half an inch holds five characters: the cell breaks after its blank.
    f.page.SetTableFormat("<0.5|<1");
    f.page.WriteTableLine("abc defgh|next");
    f.page.SetWordWrap(false);
    f.page.WriteTableLine("abcdefghijk|cut");
    f.page.EndDoc();
    EXPECT_EQ(LinesOf(f.page, 1), (std::vector<Line>{{6, 0, "one"},
                                                     {306, 0, "right"},
                                                     {6, 42, "two"},
                                                     {6, 84, "abc "},
                                                     {156, 84, "next"},
                                                     {6, 126, "defgh"},
                                                     {6, 168, "abcde"},
                                                     {156, 168, "cut"}}));
}

TEST(TextPagePrinter, LineFeedInANarrowCellStartsItsNextLine)
{
    Fixture f;
    f.page.SetTableFormat("<0.5");
    f.page.BeginDoc();
    // "one\ntw" is the fitting prefix; the break goes back to the line feed.
    f.page.WriteTableLine("one\ntwo three");
    f.page.EndDoc();
    EXPECT_EQ(TextsOf(f.page, 1), (std::vector<QString>{"one", "two ", "three"}));
}

TEST(TextPagePrinter, MacrosFillTableCells)
{
    Fixture f;
    f.page.SetTitle("Отчет");
    f.page.SetTableFormat("<5");
    f.page.BeginDoc();
    f.page.NewLine();
    f.page.NewLine();
    f.page.WriteTableLine("L{$LINE} P{$PAGE} {$TITLE} {$DATE}");
    f.page.EndDoc();
    EXPECT_EQ(LinesOf(f.page, 1).front().text,
              "L2 P1 Отчет " + QDate::currentDate().toString("dd.MM.yyyy"));
    EXPECT_EQ(f.printer.Title(), "Отчет");
}

TEST(TextPagePrinter, FriendlyHeaderBuildsHeaderAndFormat)
{
    Fixture f;
    f.page.SetMarginLeft(1);
    f.page.SetMarginRight(0.5);
    f.page.SetFriendlyHeader("&lPage &p&rPrinted &d");
    const QString today = QDate::currentDate().toString("dd.MM.yyyy");
    EXPECT_EQ(f.page.Header(), "Page {$PAGE}|Printed " + today);
    // Two columns, each half of 8.5 - 1 - 0.5 inches.
    EXPECT_EQ(f.page.HeaderFormat(), "<3.5|>3.5");

    f.page.SetFileName("/home/office/reports/day.txt");
    f.page.SetFriendlyFooter("&&&f&x&F&i&c");
    EXPECT_EQ(f.page.Footer(), "&day.txt /home/office/reports/day.txt{$TITLE}|");
    EXPECT_EQ(f.page.FooterFormat(), "<3.5|^3.5");
    f.page.SetFriendlyFooter("plain");
    EXPECT_EQ(f.page.Footer(), "plain");
    EXPECT_EQ(f.page.FooterFormat(), "<7");
}

TEST(TextPagePrinter, HeadersAndFootersCarryPageNumbersAndKeepClearOfTheBody)
{
    Fixture f;
    f.page.SetTitle("Report");
    f.page.SetHeader("Page {$PAGE} line {$LINE}|{$TITLE}");
    f.page.SetHeaderFormat("<4|>4");
    f.page.SetFriendlyFooter("&cСтр. &p");
    f.page.BeginDoc();
    for (int i = 1; i <= 100; ++i) {
        f.page.WriteLine(QString("body %1").arg(i));
        f.page.NewLine();
    }
    f.page.EndDoc();
    ASSERT_EQ(f.page.PageCount(), 2);
    for (int page = 1; page <= 2; ++page) {
        const auto lines = LinesOf(f.page, page);
        EXPECT_EQ(lines[0], (Line{6, 0, QString("Page %1 line 0").arg(page)}));
        EXPECT_EQ(lines[1], (Line{2400 - 151 - 6, 0, "Report"}));
        EXPECT_EQ(lines[2], (Line{(2400 - 151) / 2, 3150 - 42, QString("Стр. %1").arg(page)}));
        // The body starts below the header and ends above the footer.
        EXPECT_EQ(lines[3].top, 42);
        EXPECT_LE(lines.back().top + 42, 3150 - 42);
    }
    EXPECT_EQ(LinesOf(f.page, 1)[3].text, "body 1");
    EXPECT_EQ(LinesOf(f.page, 1).size(), 3u + 73u);
    EXPECT_EQ(LinesOf(f.page, 2)[3].text, "body 74");
}

TEST(TextPagePrinter, HeaderFontSetsTheHeadersOwnLine)
{
    Fixture f;
    QFont big("Courier New", 12);
    f.page.SetAutoHeaderFont(false);
    f.page.SetHeaderFont(big);
    f.page.SetHeader("Title");
    f.page.SetHeaderFormat("<8");
    f.page.BeginDoc();
    f.page.WriteLine("body");
    f.page.EndDoc();
    const auto lines = LinesOf(f.page, 1);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].text, "Title");
    EXPECT_EQ(lines[1], (Line{0, 50, "body"}));
    // The body font came back after the header.
    EXPECT_EQ(f.page.LineHeight(), 42);
    EXPECT_EQ(f.page.HeaderFont().pointSize(), 12);

    // With the Auto flag on, the header font follows every font change.
    f.page.SetAutoHeaderFont(true);
    EXPECT_EQ(f.page.HeaderFont().pointSize(), 10);
    f.page.SetFont(QFont("Courier New", 14));
    EXPECT_EQ(f.page.HeaderFont().pointSize(), 14);
    EXPECT_EQ(f.page.FooterFont().pointSize(), 14);
}

TEST(TextPagePrinter, PageBordersStandOutsideThePrintableArea)
{
    Fixture f;
    f.page.SetPageBorders(pbTop | pbLeft | pbRight);
    f.page.SetPageBorderOffset(0.1);
    f.page.BeginDoc();
    f.page.EndDoc();
    QVector<QLineF> lines;
    for (const auto &segment : f.page.Pages().Items(0)->LineSegments()) {
        lines << segment.line;
        EXPECT_EQ(segment.penWidth, 2);
    }
    EXPECT_EQ(lines, (QVector<QLineF>{QLineF(-30, -30, 2430, -30), QLineF(-30, -30, -30, 3180),
                                      QLineF(2430, -30, 2430, 3180)}));
}

TEST(TextPagePrinter, MarginsAreClampedToWhatThePrinterReaches)
{
    // Edges: left 0.2, top 0.3, right 0.3, bottom 0.2 inches.
    Fixture f(QRect(60, 90, 2400, 3150));
    EXPECT_DOUBLE_EQ(f.page.MarginLeft(), 0.2);
    EXPECT_DOUBLE_EQ(f.page.MarginTop(), 0.3);
    EXPECT_DOUBLE_EQ(f.page.MarginRight(), 0.3);
    EXPECT_DOUBLE_EQ(f.page.MarginBottom(), 0.2);
    f.page.SetMarginLeft(0.1);
    EXPECT_DOUBLE_EQ(f.page.MarginLeft(), 0.2);
    f.page.SetMarginLeft(9);
    EXPECT_DOUBLE_EQ(f.page.MarginLeft(), 8.5 - 0.3);
    f.page.SetMarginTop(-1);
    EXPECT_DOUBLE_EQ(f.page.MarginTop(), 0.3);
    f.page.SetMarginBottom(20);
    EXPECT_DOUBLE_EQ(f.page.MarginBottom(), 11 - 0.3);

    // A turn to landscape keeps each margin's distance from its edge.
    f.page.SetMarginLeft(1);
    f.page.SetMarginTop(1.5);
    f.page.SetMarginRight(0.5);
    f.page.SetMarginBottom(0.75);
    f.page.SetOrientation(poLandscape);
    EXPECT_EQ(f.printer.Orientation(), QPageLayout::Landscape);
    EXPECT_EQ(f.page.Orientation(), poLandscape);
    EXPECT_DOUBLE_EQ(f.page.PageWidth(), 11);
    EXPECT_NEAR(f.page.MarginLeft(), 0.3 + 0.8, 1e-12);
    EXPECT_NEAR(f.page.MarginTop(), 0.2 + 1.2, 1e-12);
    EXPECT_NEAR(f.page.MarginRight(), 0.2 + 0.2, 1e-12);
    EXPECT_NEAR(f.page.MarginBottom(), 0.3 + 0.55, 1e-12);
}

TEST(TextPagePrinter, SettingsThatShapeTheDocumentAreRefusedWhilePrinting)
{
    Fixture f;
    f.page.SetMarginTop(1);
    f.page.BeginDoc();
    EXPECT_EQ(RefusalOf([&] { f.page.SetMarginTop(2); }), "Unable to change top margin while printing");
    EXPECT_EQ(RefusalOf([&] { f.page.SetMarginBottom(2); }), "Unable to change bottom margin while printing");
    EXPECT_EQ(RefusalOf([&] { f.page.SetMarginLeft(2); }), "Unable to change left margin while printing");
    EXPECT_EQ(RefusalOf([&] { f.page.SetMarginRight(2); }), "Unable to change right margin while printing");
    EXPECT_EQ(RefusalOf([&] { f.page.SetOrientation(poLandscape); }), "Unable to change orientation while printing");
    EXPECT_EQ(RefusalOf([&] { f.page.SetPrintToFile(true); }), "Can't change PrintToFile while printing");
    EXPECT_EQ(RefusalOf([&] { f.page.SetFileName("x.txt"); }), "Can't change FileName while printing");
    EXPECT_DOUBLE_EQ(f.page.MarginTop(), 1);
    EXPECT_EQ(f.page.Orientation(), poPortrait);
    EXPECT_FALSE(f.page.PrintToFile());
    EXPECT_EQ(f.page.FileName(), "");
    // Storing the same value is no change.
    f.page.SetPrintToFile(false);
    f.page.EndDoc();
    f.page.SetMarginTop(2);
    EXPECT_DOUBLE_EQ(f.page.MarginTop(), 2);
}

TEST(TextPagePrinter, ShownPageMustExist)
{
    Fixture f;
    // Without pages any number gives page 0.
    f.page.SetCurrentPage(5);
    EXPECT_EQ(f.page.CurrentPage(), 0);
    f.page.BeginDoc();
    EXPECT_EQ(f.page.CurrentPage(), 1);
    f.page.NewPage();
    EXPECT_EQ(f.page.NewPage(), 3);
    f.page.EndDoc();
    EXPECT_EQ(f.page.PageCount(), 3);
    EXPECT_EQ(f.page.CurrentPage(), 1);
    f.page.SetCurrentPage(3);
    EXPECT_EQ(f.page.CurrentPage(), 3);
    EXPECT_EQ(RefusalOf([&] { f.page.SetCurrentPage(4); }), "PageNumber must be between 1 and 3");
    EXPECT_EQ(RefusalOf([&] { f.page.SetCurrentPage(0); }), "PageNumber must be between 1 and 3");
    EXPECT_EQ(f.page.CurrentPage(), 3);
}

TEST(TextPagePrinter, PrintRangeBoundsMoveTogether)
{
    Fixture f;
    f.page.SetPrintFromPage(4);
    EXPECT_EQ(f.page.PrintToPage(), 4);
    f.page.SetPrintToPage(2);
    EXPECT_EQ(f.page.PrintFromPage(), 2);
    EXPECT_EQ(f.page.PrintToPage(), 2);
    f.page.SetPrintToPage(6);
    EXPECT_EQ(f.page.PrintFromPage(), 2);
    f.page.SetCopies(0);
    EXPECT_EQ(f.page.Copies(), 1);
    f.page.SetCopies(-3);
    EXPECT_EQ(f.page.Copies(), 1);
}

TEST(TextPagePrinter, MeasureUnitChangeConvertsEveryLength)
{
    Fixture f;
    f.page.SetMarginLeft(1);
    f.page.SetPageBorderOffset(0.1);
    f.page.SetDefaultColWidth(2);
    f.page.SetTableFormat("<1|>2.5");
    f.page.SetHeaderFormat("^0.5");
    f.page.SetFriendlyFooter("&cx");
    f.page.SetMeasureUnit(muMillimeters);
    EXPECT_DOUBLE_EQ(f.page.MarginLeft(), 25.4);
    EXPECT_DOUBLE_EQ(f.page.MarginTop(), 6.35);
    EXPECT_DOUBLE_EQ(f.page.PageBorderOffset(), 2.54);
    EXPECT_DOUBLE_EQ(f.page.DefaultColWidth(), 50.8);
    EXPECT_EQ(f.page.TableFormat(), "<25.4|>63.5");
    EXPECT_EQ(f.page.HeaderFormat(), "^12.7");
    // The friendly footer is built again from the page in millimetres.
    EXPECT_EQ(f.page.FooterFormat(), "^" + QString::number(215.9 - 25.4 - 6.35, 'f', 2));
    EXPECT_DOUBLE_EQ(f.page.PageWidth(), 215.9);
    EXPECT_EQ(f.page.UnitsToPixelsX(25.4), 300);
    EXPECT_DOUBLE_EQ(f.page.PixelsToUnitsY(600), 50.8);
    // Lines and text do not move with the unit.
    EXPECT_EQ(f.page.PrintableWidthPixels(), 2400);
    f.page.SetMeasureUnit(muInches);
    EXPECT_EQ(f.page.TableFormat(), "<1|>2.5");
    EXPECT_DOUBLE_EQ(f.page.MarginLeft(), 1);
}

TEST(TextPagePrinter, WithoutAPrinterTheFallBackSheetServes)
{
    platform::NoPrinterDevice none;
    TTextPagePrinter page(nullptr, &none);
    EXPECT_EQ(page.LogPixelsX(), 300);
    EXPECT_DOUBLE_EQ(page.PageWidth(), 8.5);
    EXPECT_DOUBLE_EQ(page.PageHeight(), 11);
    EXPECT_DOUBLE_EQ(page.MarginLeft(), 0.25);
    EXPECT_DOUBLE_EQ(page.MarginRight(), 0.25);
    EXPECT_DOUBLE_EQ(page.MarginBottom(), 0.25);
    EXPECT_EQ(page.PrintableWidthPixels(), 2400);
    EXPECT_EQ(page.PrintableHeightPixels(), 3150);
    page.SetMeasureUnit(muMillimeters);
    page.ResetMargins();
    EXPECT_DOUBLE_EQ(page.PageWidth(), 210);
    EXPECT_DOUBLE_EQ(page.MarginRight(), 6);
    EXPECT_DOUBLE_EQ(page.MarginBottom(), 7);
    EXPECT_EQ(page.PrintableWidthPixels(), 2339);
    EXPECT_EQ(page.PrintableHeightPixels(), 3354);
    EXPECT_EQ(page.LineHeight(), 42);

    page.SetShowProgress(false);
    page.BeginDoc();
    page.WriteLine("Текст");
    page.EndDoc();
    EXPECT_EQ(page.PageCount(), 1);
    try {
        page.Print();
        FAIL() << "printed without a printer";
    } catch (const EPrinter &e) {
        EXPECT_EQ(e.Message(), "There is no default printer currently selected");
    }
}

TEST(TextPagePrinter, ZoomBelowOnePercentIsClamped)
{
    Fixture f;
    EXPECT_EQ(f.page.ZoomPercent(), 25);
    f.page.SetZoomPercent(0);
    EXPECT_EQ(f.page.ZoomPercent(), 1);
    f.page.SetZoomPercent(-40);
    EXPECT_EQ(f.page.ZoomPercent(), 1);
    EXPECT_GT(f.page.PageWidthOnScreen(), 0);
    // Fitting into a window with no room at all still leaves a zoom.
    f.page.resize(0, 0);
    f.page.ZoomToPage();
    EXPECT_GE(f.page.ZoomPercent(), 1);
    f.page.SetZoomPercent(100);
    // 100 % shows the sheet at its size on the screen.
    const int dpi = f.page.viewport()->logicalDpiX();
    EXPECT_EQ(f.page.PageWidthOnScreen(), qRound(8.5 * dpi));
}

TEST(TextPagePrinter, FooterKeepsItsLineWhenThePageIsNotWholeLines)
{
    // Printable height 110, lines of 20: the footer stands at 90. Without
    // it a fifth line would stand at 80 and reach into the footer's line.
    Fixture f(QSize(2400, 110));
    f.page.SetFont(FontOfHeight(20));
    f.page.SetFooter("{$PAGE}");
    f.page.SetFooterFormat("<1");
    f.page.BeginDoc();
    for (int i = 1; i <= 6; ++i) {
        f.page.WriteLine(QString("line %1").arg(i));
        f.page.NewLine();
    }
    f.page.EndDoc();
    ASSERT_EQ(f.page.PageCount(), 2);
    EXPECT_EQ(LinesOf(f.page, 1), (std::vector<Line>{{6, 90, "1"},
                                                     {0, 0, "line 1"},
                                                     {0, 20, "line 2"},
                                                     {0, 40, "line 3"},
                                                     {0, 60, "line 4"}}));
    EXPECT_EQ(LinesOf(f.page, 2), (std::vector<Line>{{6, 90, "2"}, {0, 0, "line 5"}, {0, 20, "line 6"}}));

    // Without a footer the same page holds five lines.
    f.page.SetFooter("");
    f.page.BeginDoc();
    for (int i = 1; i <= 6; ++i) {
        f.page.WriteLine(QString("line %1").arg(i));
        f.page.NewLine();
    }
    f.page.EndDoc();
    EXPECT_EQ(TextsOf(f.page, 1).size(), 5u);
    EXPECT_EQ(LinesOf(f.page, 1).back(), (Line{0, 80, "line 5"}));
}

TEST(TextPagePrinter, NewLineCountsTheLinesOfThePageAndNotifies)
{
    Fixture f(QSize(2400, 100));
    f.page.SetFont(FontOfHeight(20));
    std::vector<QString> events;
    f.page.OnNewPage = [&](QObject *) { events.push_back(QString("page %1").arg(f.page.CurrentPage())); };
    f.page.OnNewLine = [&](QObject *sender) {
        EXPECT_EQ(sender, &f.page);
        events.push_back("line");
    };
    f.page.BeginDoc();
    EXPECT_EQ(events, (std::vector<QString>{"page 1", "line"}));
    events.clear();
    std::vector<int> counters;
    for (int i = 0; i < 6; ++i)
        counters.push_back(f.page.NewLine());
    f.page.EndDoc();
    // The fourth advance reaches the bottom: page 2 starts with line 0.
    EXPECT_EQ(counters, (std::vector<int>{1, 2, 3, 0, 1, 2}));
    EXPECT_EQ(events, (std::vector<QString>{"line", "line", "line", "page 2", "line", "line", "line", "line"}));
}

TEST(TextPagePrinter, NewPageHandlerWritesAboveTheBody)
{
    Fixture f;
    f.page.SetHeader("Header");
    f.page.SetHeaderFormat("<4");
    // The handler writes two lines of its own at the top of every page;
    // the body follows them, and the header keeps its own line above.
    f.page.OnNewPage = [&](QObject *) {
        f.page.NewLine();
        f.page.WriteLine(QString("Стр. %1").arg(f.page.CurrentPage()));
        f.page.NewLine();
    };
    f.page.BeginDoc();
    f.page.WriteLine("body");
    EXPECT_EQ(f.page.NewLine(), 3);
    f.page.EndDoc();
    EXPECT_EQ(LinesOf(f.page, 1), (std::vector<Line>{{0, 42, "Стр. 1"}, {6, 0, "Header"}, {0, 84, "body"}}));
}

TEST(TextPagePrinter, FriendlyCodesTakeTheDateAndTimeOfTheConversion)
{
    Fixture f;
    const QDateTime before = QDateTime::currentDateTime();
    f.page.SetFriendlyHeader("&D;&d;&t;&T;&q;&");
    const QDateTime after = QDateTime::currentDateTime();
    auto expected = [](const QDateTime &at) {
        const QLocale bg(QLocale::Bulgarian, QLocale::Bulgaria);
        return bg.toString(at.date(), "dd MMMM yyyy") + " г.;" + at.toString("dd.MM.yyyy;HH:mm;HH:mm:ss")
               + "; ;";
    };
    EXPECT_TRUE(f.page.Header() == expected(before) || f.page.Header() == expected(after)) << f.page.Header().toStdString();
    EXPECT_TRUE(f.page.Header().contains(" г.;"));
}

TEST(TextPagePrinter, LoadedStartsAnEmptyPageListAndRebuildsTheFriendlyTexts)
{
    Fixture f;
    f.page.SetFriendlyFooter("&rx");
    f.page.BeginDoc();
    f.page.NewPage();
    f.page.EndDoc();
    ASSERT_EQ(f.page.PageCount(), 2);
    // The footer text was changed by hand; Loaded builds it again from the
    // friendly text.
    f.page.SetFooter("changed");
    f.page.Loaded();
    EXPECT_EQ(f.page.PageCount(), 0);
    EXPECT_EQ(f.page.CurrentPage(), 0);
    EXPECT_EQ(f.page.Footer(), "x");
    EXPECT_EQ(f.page.FooterFormat(), ">8");
}
