#include "platform/office/XlsxWriter.h"

#include <QFile>
#include <QHash>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <xlsxwriter.h>

namespace platform::office {

bool XlsxLook::operator==(const XlsxLook &o) const
{
    return FontSize == o.FontSize && FontColor == o.FontColor && Bold == o.Bold && Italic == o.Italic &&
           Underline == o.Underline && StrikeOut == o.StrikeOut && Horizontal == o.Horizontal &&
           Vertical == o.Vertical && Wrap == o.Wrap && FillColor == o.FillColor && Border == o.Border &&
           BorderColor == o.BorderColor && FontName == o.FontName && NumberFormat == o.NumberFormat;
}

size_t XlsxLookHash::operator()(const XlsxLook &l) const
{
    size_t h = qHash(l.FontName);
    auto mix = [&h](size_t v) { h ^= v + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2); };
    mix(qHash(l.NumberFormat));
    mix(static_cast<size_t>(l.FontSize * 4));
    mix(static_cast<size_t>(l.FontColor));
    mix(static_cast<size_t>(l.FillColor));
    mix(static_cast<size_t>(l.BorderColor));
    mix((l.Bold ? 1u : 0u) | (l.Italic ? 2u : 0u) | (l.Underline ? 4u : 0u) | (l.StrikeOut ? 8u : 0u) |
        (l.Wrap ? 16u : 0u) | (unsigned(l.Horizontal) << 5) | (unsigned(l.Vertical) << 8) |
        (unsigned(l.Border) << 11));
    return h;
}

namespace {

// The library reads 0 as "no colour": black has a value of its own.
lxw_color_t LibraryColor(int rgb) { return rgb == 0 ? static_cast<lxw_color_t>(LXW_COLOR_BLACK) : static_cast<lxw_color_t>(rgb); }

QByteArray CellUtf8(const QString &Text)
{
    if (Text.size() <= XlsxWorkbook::MaxCellText)
        return Text.toUtf8();
    int n = XlsxWorkbook::MaxCellText;
    if (Text.at(n - 1).isHighSurrogate())
        --n;
    return Text.left(n).toUtf8();
}

} // namespace

XlsxWorkbook::XlsxWorkbook(const QString &FileName, const QString &SheetName) : file_(FileName)
{
    // The library writes a file of its own beside the target, which takes
    // the target's name in one step when the workbook is closed.
    if (!file_.Open())
        throw EXlsxError(WriteErrorText(FileName, file_.Error()));
    file_.Device().close();
    const QString temp = file_.TemporaryName();

    workbook_ = workbook_new(QFile::encodeName(temp).constData());
    if (!workbook_) {
        file_.Cancel();
        throw EXlsxError(QStringLiteral("Работната книга не може да бъде създадена."));
    }
    QByteArray sheet = SheetName.toUtf8();
    sheet_ = workbook_add_worksheet(workbook_, SheetName.isEmpty() ? nullptr : sheet.constData());
    if (!sheet_) {
        Discard();
        throw EXlsxError(QStringLiteral("Работният лист не може да бъде добавен."));
    }
}

XlsxWorkbook::~XlsxWorkbook() { Discard(); }

void XlsxWorkbook::Check(int error) const
{
    // The library's own texts are English: the clerk reads ours.
    switch (error) {
    case LXW_NO_ERROR: return;
    case LXW_ERROR_MEMORY_MALLOC_FAILED: throw EXlsxError(QStringLiteral("Няма достатъчно памет."));
    case LXW_ERROR_WORKSHEET_INDEX_OUT_OF_RANGE:
        throw EXlsxError(QStringLiteral("Таблицата не се побира в работния лист: той има най-много 1 048 576 "
                                        "реда и 16 384 колони."));
    default: throw EXlsxError(QStringLiteral("Работната книга отказа записа (код %1).").arg(error));
    }
}

lxw_format *XlsxWorkbook::Format(const XlsxLook &Look)
{
    if (!workbook_)
        throw EXlsxError(QStringLiteral("Работната книга е затворена."));
    auto it = formats_.find(Look);
    if (it != formats_.end())
        return it->second;
    lxw_format *f = workbook_add_format(workbook_);
    if (!f)
        throw EXlsxError(QStringLiteral("Форматът на клетките не може да бъде добавен."));
    if (!Look.FontName.isEmpty())
        format_set_font_name(f, Look.FontName.toUtf8().constData());
    format_set_font_size(f, Look.FontSize);
    if (Look.FontColor >= 0)
        format_set_font_color(f, LibraryColor(Look.FontColor));
    if (Look.Bold)
        format_set_bold(f);
    if (Look.Italic)
        format_set_italic(f);
    if (Look.Underline)
        format_set_underline(f, LXW_UNDERLINE_SINGLE);
    if (Look.StrikeOut)
        format_set_font_strikeout(f);
    if (!Look.NumberFormat.isEmpty())
        format_set_num_format(f, Look.NumberFormat.toUtf8().constData());
    switch (Look.Horizontal) {
    case XlsxLook::HLeft: format_set_align(f, LXW_ALIGN_LEFT); break;
    case XlsxLook::HCenter: format_set_align(f, LXW_ALIGN_CENTER); break;
    case XlsxLook::HRight: format_set_align(f, LXW_ALIGN_RIGHT); break;
    case XlsxLook::HGeneral: break;
    }
    switch (Look.Vertical) {
    case XlsxLook::VTop: format_set_align(f, LXW_ALIGN_VERTICAL_TOP); break;
    case XlsxLook::VCenter: format_set_align(f, LXW_ALIGN_VERTICAL_CENTER); break;
    case XlsxLook::VBottom: break;
    }
    if (Look.Wrap)
        format_set_text_wrap(f);
    if (Look.FillColor >= 0) {
        format_set_pattern(f, LXW_PATTERN_SOLID);
        format_set_bg_color(f, LibraryColor(Look.FillColor));
    }
    if (Look.Border) {
        format_set_border(f, Look.Border == 1 ? LXW_BORDER_THIN : LXW_BORDER_MEDIUM);
        if (Look.BorderColor >= 0)
            format_set_border_color(f, LibraryColor(Look.BorderColor));
    }
    formats_.emplace(Look, f);
    return f;
}

void XlsxWorkbook::WriteText(int Row, int Col, const QString &Text, const XlsxLook &Look)
{
    lxw_format *f = Format(Look);
    if (Text.isEmpty()) {
        Check(worksheet_write_blank(sheet_, Row, static_cast<lxw_col_t>(Col), f));
        return;
    }
    Check(worksheet_write_string(sheet_, Row, static_cast<lxw_col_t>(Col), CellUtf8(Text).constData(), f));
}

void XlsxWorkbook::WriteNumber(int Row, int Col, double Value, const XlsxLook &Look)
{
    Check(worksheet_write_number(sheet_, Row, static_cast<lxw_col_t>(Col), Value, Format(Look)));
}

void XlsxWorkbook::WriteBlank(int Row, int Col, const XlsxLook &Look)
{
    Check(worksheet_write_blank(sheet_, Row, static_cast<lxw_col_t>(Col), Format(Look)));
}

void XlsxWorkbook::Merge(int FirstRow, int FirstCol, int LastRow, int LastCol, const QString *Text, double Value,
                         const XlsxLook &Look)
{
    if (FirstRow > LastRow)
        std::swap(FirstRow, LastRow);
    if (FirstCol > LastCol)
        std::swap(FirstCol, LastCol);
    if (FirstRow == LastRow && FirstCol == LastCol) {
        if (Text)
            WriteText(FirstRow, FirstCol, *Text, Look);
        else
            WriteNumber(FirstRow, FirstCol, Value, Look);
        return;
    }
    lxw_format *f = Format(Look);
    QByteArray utf8 = Text ? CellUtf8(*Text) : QByteArray();
    Check(worksheet_merge_range(sheet_, FirstRow, static_cast<lxw_col_t>(FirstCol), LastRow,
                                static_cast<lxw_col_t>(LastCol), utf8.constData(), f));
    // The library merges with a text; a number is written over the first
    // cell afterwards, as its documentation shows.
    if (!Text)
        Check(worksheet_write_number(sheet_, FirstRow, static_cast<lxw_col_t>(FirstCol), Value, f));
    else if (Text->isEmpty())
        Check(worksheet_write_blank(sheet_, FirstRow, static_cast<lxw_col_t>(FirstCol), f));
}

void XlsxWorkbook::MergeText(int FirstRow, int FirstCol, int LastRow, int LastCol, const QString &Text,
                             const XlsxLook &Look)
{
    Merge(FirstRow, FirstCol, LastRow, LastCol, &Text, 0, Look);
}

void XlsxWorkbook::MergeNumber(int FirstRow, int FirstCol, int LastRow, int LastCol, double Value,
                               const XlsxLook &Look)
{
    Merge(FirstRow, FirstCol, LastRow, LastCol, nullptr, Value, Look);
}

void XlsxWorkbook::SetColumnWidth(int Col, double Width)
{
    if (!sheet_)
        throw EXlsxError(QStringLiteral("Работната книга е затворена."));
    Check(worksheet_set_column(sheet_, static_cast<lxw_col_t>(Col), static_cast<lxw_col_t>(Col), Width, nullptr));
}

void XlsxWorkbook::Close()
{
    if (!workbook_)
        throw EXlsxError(QStringLiteral("Работната книга е затворена."));
    lxw_workbook *wb = workbook_;
    workbook_ = nullptr;
    sheet_ = nullptr;
    formats_.clear();
    errno = 0;
    const lxw_error error = workbook_close(wb); // frees the workbook in every case
    if (error != LXW_NO_ERROR) {
        // The library tells only that writing failed; the system's code
        // (a full disk ...) says why.
        const int code = error == LXW_ERROR_MEMORY_MALLOC_FAILED ? ENOMEM : errno;
        file_.Cancel();
        throw EXlsxError(WriteErrorText(file_.FileName(), code));
    }
    if (!file_.Commit())
        throw EXlsxError(WriteErrorText(file_.FileName(), file_.Error()));
}

void XlsxWorkbook::Discard()
{
    if (workbook_) {
        lxw_workbook_free(workbook_);
        workbook_ = nullptr;
        sheet_ = nullptr;
        formats_.clear();
    }
    file_.Cancel();
}

double XlsxColumnWidth(int LongestTextLength)
{
    return std::clamp(LongestTextLength * 1.1 + 2.0, 8.43, 255.0);
}

} // namespace platform::office
