// The text mode of the grid print: the grid as fixed-width lines for a
// dot-matrix printer, and the bytes of a page for the raw printer.
#include <QLocale>
#include <QRegularExpression>
#include <cmath>

#include "components/GridUtils.h"
#include "framework/unPrintPreview.h"
#include "platform/print/CodePages.h"

namespace {

QString Centered(const QString &S, int Width)
{
    if (Width <= 0)
        return QString();
    if (S.size() >= Width)
        return S.left(Width);
    const int left = (Width - int(S.size())) / 2;
    return QString(left, QLatin1Char(' ')) + S + QString(Width - left - int(S.size()), QLatin1Char(' '));
}

// Left text, centre text in what is left, right text; the sides take the
// width of the longer one.
QString SidedLine(const QString &Left, const QString &Centre, const QString &Right, int LineWidth)
{
    const int w = int(std::max(Left.size(), Right.size()));
    const QString line = Left.leftJustified(w, QLatin1Char(' ')) + Centered(Centre, LineWidth - 2 * w)
                         + Right.rightJustified(w, QLatin1Char(' '));
    return line.left(LineWidth);
}

QString CellLineText(QString S)
{
    S.remove(QLatin1Char('\n'));
    S.replace(QLatin1Char('\r'), QLatin1Char(' '));
    return S;
}

} // namespace

// Lines end with CR LF; the run-time grid's titles lose their CR to a
// blank, so a bare LF ends a line too.
QStringList TextBelowTableLines(const QString &Text)
{
    static const QRegularExpression breaks(QStringLiteral("\r\n|\n"));
    return Text.split(breaks);
}

void TextPageSizeFromPaper(double WidthMm, double HeightMm, int &LinesPerPage, int &LineWidth)
{
    LinesPerPage = int(std::lround(HeightMm / 4.790322580645161));
    LineWidth = int(std::lround(WidthMm / 1.6351931330472103));
}

bool BuildGridTextDocument(const platform::StringGrid &Grid, const TVisibleCols &Visible,
                           const TAutoResizeCols &AutoResize, const TGridTextLayout &Layout,
                           TGridTextDocument &Doc, QString &Error)
{
    Doc = TGridTextDocument();
    Doc.LinesPerPage = Layout.LinesPerPage;
    const int fixedRows = Grid.FixedRows();
    const int lpp = Layout.LinesPerPage;
    const int lw = std::max(0, Layout.LineWidth);
    // A page must hold its head (three lines, two rules, the header rows)
    // and one row more; else the layout would never get past a page head.
    if (Layout.Continuous ? lpp <= 0 : lpp <= fixedRows + 5) {
        Error = QStringLiteral("Страницата събира %1 реда - твърде малко за заглавната част на таблицата "
                               "(нужни са поне %2).")
                    .arg(lpp)
                    .arg(Layout.Continuous ? 1 : fixedRows + 6);
        return false;
    }

    const int cols = Grid.ColCount();
    const int rows = Grid.RowCount();
    std::vector<int> shown;
    for (int c = 0; c < cols; ++c) {
        const bool visible = size_t(c) < Visible.size() ? Visible[size_t(c)] : true;
        if (visible && Grid.ColWidths(c) > 0)
            shown.push_back(c);
    }
    std::vector<char> isShown(size_t(cols), 0);
    for (int c : shown)
        isShown[size_t(c)] = 1;

    // Widths: the longest text of each shown column, every cell read once.
    std::vector<std::vector<QString>> texts(static_cast<size_t>(rows));
    std::vector<int> width(size_t(cols), 0);
    for (int r = 0; r < rows; ++r) {
        auto &row = texts[size_t(r)];
        row.resize(size_t(cols));
        for (int c : shown) {
            QString s;
            GetCellText(Grid, c, r, s);
            row[size_t(c)] = CellLineText(s);
            width[size_t(c)] = std::max(width[size_t(c)], int(row[size_t(c)].size()));
        }
    }
    const bool rules = Layout.VerticalRules;
    int tableWidth = 0;
    for (int c : shown)
        tableWidth += width[size_t(c)];
    if (rules)
        tableWidth += int(shown.size()) + 1;
    tableWidth = std::min(tableWidth, lw);
    int stretching = 0;
    for (int c : shown)
        if (size_t(c) < AutoResize.size() && AutoResize[size_t(c)])
            ++stretching;
    if (stretching > 0) {
        for (int c : shown) {
            if (!(size_t(c) < AutoResize.size() && AutoResize[size_t(c)]))
                continue;
            const int more = std::max(0, (lw - tableWidth) / stretching);
            width[size_t(c)] += more;
            tableWidth += more;
        }
    }

    auto rowLine = [&](int r) {
        const QChar sep = r < fixedRows ? QLatin1Char('|') : QLatin1Char(' ');
        QString line;
        if (rules)
            line += sep;
        for (size_t i = 0; i < shown.size(); ++i) {
            const int c = shown[i];
            TGridRect block;
            GetCellMergeRect(Grid, c, r, block);
            // A block is written once, at its first shown column.
            bool first = true;
            for (int k = block.Left; k < c; ++k)
                if (k >= 0 && isShown[size_t(k)])
                    first = false;
            if (!first)
                continue;
            int w = 0;
            int parts = 0;
            for (int k = std::max(0, block.Left); k <= block.Right && k < cols; ++k)
                if (isShown[size_t(k)]) {
                    w += width[size_t(k)];
                    ++parts;
                }
            if (rules)
                w += parts - 1;
            QString text;
            if (r == block.Top)
                text = block.Left == c ? texts[size_t(r)][size_t(c)] : [&] {
                    QString s;
                    GetCellText(Grid, block.Left, block.Top, s);
                    return CellLineText(s);
                }();
            text = text.left(w);
            const int align = GetCellAlignment(Grid, block.Left, block.Top);
            if (align & AlignBitRight)
                text = text.rightJustified(w, QLatin1Char(' '));
            else if (align & AlignBitCenter)
                text = Centered(text, w);
            else
                text = text.leftJustified(w, QLatin1Char(' '));
            line += text;
            if (rules)
                line += sep;
        }
        return line.left(lw);
    };

    const QString now = Layout.Now.toString(QStringLiteral("dd.MM.yyyy г. / hh:mm:ss"));
    struct PageNumberLine
    {
        int index;
        int page;
    };
    std::vector<PageNumberLine> numberLines;
    int page = 0;
    int onPage = lpp; // the first line opens page 1
    std::function<void(const QString &, bool, bool)> add;
    auto pageHead = [&] {
        add(SidedLine(Layout.CompanyName, Layout.Title, now, lw), false, true);
        numberLines.push_back({int(Doc.Lines.size()), page});
        add(QString(), false, true); // page number written when the count is known
        add(QStringLiteral("Булстат: %1").arg(Layout.CompanyId).left(lw), false, false);
        add(QString(tableWidth, QLatin1Char('=')), false, false);
        for (int r = 0; r < fixedRows && r < rows; ++r)
            add(rowLine(r), false, false);
        add(QString(tableWidth, QLatin1Char('-')), false, false);
    };
    add = [&](const QString &line, bool bold, bool condensed) {
        if (onPage >= lpp) {
            ++page;
            onPage = 0;
            if (page == 1 || !Layout.Continuous) {
                pageHead();
                if (onPage >= lpp) // cannot happen after the check above
                    onPage = 0;
            }
        }
        Doc.Lines << line;
        Doc.Bold.push_back(bold);
        Doc.Condensed.push_back(condensed);
        ++onPage;
    };

    for (int r = fixedRows; r < rows; ++r) {
        TColor color = GetCellColor(Grid, 0, r);
        add(rowLine(r), color == TotalsRowColor, false);
    }
    add(QString(tableWidth, QLatin1Char('=')), false, false);
    if (!Layout.TextBelowTable.isEmpty()) {
        add(QString(), false, false);
        for (const QString &line : TextBelowTableLines(Layout.TextBelowTable))
            add(Centered(line, lw).left(lw), false, false);
    }

    Doc.PageCount = int((Doc.Lines.size() + lpp - 1) / lpp);
    for (const PageNumberLine &n : numberLines) {
        const QString number = Layout.Continuous
                                   ? QString()
                                   : QStringLiteral("Стр.: %1 / %2").arg(n.page).arg(Doc.PageCount);
        Doc.Lines[n.index] =
            SidedLine(QStringLiteral("No по НДР: %1").arg(Layout.TaxNumber), Layout.SubTitle, number, lw);
    }
    return true;
}

QByteArray GridTextPageBytes(const TGridTextDocument &Doc, int Page)
{
    QByteArray bytes;
    const int first = (Page - 1) * Doc.LinesPerPage;
    for (int i = first; i < first + Doc.LinesPerPage && i < Doc.Lines.size(); ++i) {
        if (i < 0)
            continue;
        QByteArray line = platform::EncodeCodePage(Doc.Lines[i], platform::CodePage::Mik);
        if (Doc.Condensed[size_t(i)])
            line.prepend("\x1b\x0f");
        if (Doc.Bold[size_t(i)])
            line = "\x1bG" + line + "\x1bH";
        bytes += line + "\r\n";
    }
    return bytes;
}
