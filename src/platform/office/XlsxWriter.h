#pragma once
// A spreadsheet workbook of one worksheet, written as an .xlsx file through
// libxlsxwriter. Cells are given a look (font, number format, alignment,
// fill, borders); one format object of the library serves every cell of
// one look, so a large sheet keeps a handful of formats, not one per cell.
//
// Nothing reaches the disk before Close: the file is written under a
// temporary name beside the target and takes the target's name only when it
// is complete. A workbook destroyed or discarded without Close leaves no
// file behind and the target as it was.
#include <QString>
#include <memory>
#include <unordered_map>

#include "platform/Exception.h"
#include "platform/system/ReplacingFile.h"

struct lxw_workbook;
struct lxw_worksheet;
struct lxw_format;

namespace platform::office {

// A failed call of the spreadsheet library; the message names the cause.
TOLVEX_DECLARE_EXCEPTION(EXlsxError, Exception)

// The look of a cell. Colours are 0xRRGGBB; -1 for none.
struct XlsxLook
{
    enum HAlign : unsigned char { HGeneral, HLeft, HCenter, HRight };
    enum VAlign : unsigned char { VBottom, VTop, VCenter };

    QString FontName;
    double FontSize = 11;
    int FontColor = -1;
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
    // The number format in the file's own syntax ('.' decimals, ','
    // thousands); empty: General.
    QString NumberFormat;
    HAlign Horizontal = HGeneral;
    VAlign Vertical = VBottom;
    bool Wrap = false;
    int FillColor = -1;
    // 0 none, 1 thin, 2 medium, on all four sides.
    unsigned char Border = 0;
    int BorderColor = -1;

    bool operator==(const XlsxLook &o) const;
    bool operator!=(const XlsxLook &o) const { return !(*this == o); }
};

struct XlsxLookHash
{
    size_t operator()(const XlsxLook &l) const;
};

class XlsxWorkbook
{
public:
    // The longest text a cell holds; longer texts are cut there.
    static constexpr int MaxCellText = 32767;

    // A workbook that Close will write to FileName. Raises EXlsxError when
    // the library cannot make one.
    explicit XlsxWorkbook(const QString &FileName, const QString &SheetName = QString());
    ~XlsxWorkbook();
    XlsxWorkbook(const XlsxWorkbook &) = delete;
    XlsxWorkbook &operator=(const XlsxWorkbook &) = delete;

    // Rows and columns count from 0. Each raises EXlsxError when the
    // library refuses the call.
    void WriteText(int Row, int Col, const QString &Text, const XlsxLook &Look);
    void WriteNumber(int Row, int Col, double Value, const XlsxLook &Look);
    void WriteBlank(int Row, int Col, const XlsxLook &Look);
    // A block of cells shown as one with the text of the first. A block of
    // one cell is written as that cell alone (the library refuses to merge
    // fewer than two cells). Corners may come in any order.
    void MergeText(int FirstRow, int FirstCol, int LastRow, int LastCol, const QString &Text,
                   const XlsxLook &Look);
    void MergeNumber(int FirstRow, int FirstCol, int LastRow, int LastCol, double Value, const XlsxLook &Look);
    // Width in characters of the default font.
    void SetColumnWidth(int Col, double Width);

    // The number of distinct looks written so far (one format each).
    int FormatCount() const { return static_cast<int>(formats_.size()); }

    // Writes the file and gives it its name; raises EXlsxError (and leaves
    // no file) when that fails. Once closed, the workbook takes no more.
    void Close();
    // Drops everything written; no file is made.
    void Discard();
    bool IsOpen() const { return workbook_ != nullptr; }

private:
    lxw_format *Format(const XlsxLook &Look);
    void Check(int error) const;
    void Merge(int FirstRow, int FirstCol, int LastRow, int LastCol, const QString *Text, double Value,
               const XlsxLook &Look);

    ReplacingFile file_;
    lxw_workbook *workbook_ = nullptr;
    lxw_worksheet *sheet_ = nullptr;
    std::unordered_map<XlsxLook, lxw_format *, XlsxLookHash> formats_;
};

// The width in characters that a column of texts needs in a sheet: the
// longest line of the texts, counted in characters, with a little margin,
// within the sheet's limits (at most 255).
double XlsxColumnWidth(int LongestTextLength);

} // namespace platform::office
