#pragma once
// A small writer of word-processor documents in RTF, the format every word
// processor reads: paragraphs and tables (with
// cells spanning columns by their width and rows by vertical merging),
// fonts, colours, shading and cell borders, a page header, A4 portrait or
// landscape.
//
// Text is written for code page 1251: ASCII as it stands, every other
// character as a Unicode escape followed by its Windows-1251 byte (or '?')
// for readers that know no Unicode.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

#include "platform/Exception.h"

namespace platform::office {

TOLVEX_DECLARE_EXCEPTION(ERtfError, Exception)

struct RtfFont
{
    QString Family = QStringLiteral("Times New Roman");
    double Size = 10; // points
    // 0xRRGGBB; -1 the reader's automatic colour.
    int Color = -1;
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
};

enum class RtfAlign { Left, Center, Right };
enum class RtfVAlign { Top, Center, Bottom };

struct RtfCell
{
    // The cell's right edge, in twips from the table's left edge. A cell
    // that spans several columns simply reaches further.
    int RightEdge = 0;
    QString Text;
    RtfFont Font;
    RtfAlign Horizontal = RtfAlign::Left;
    RtfVAlign Vertical = RtfVAlign::Top;
    // 0xRRGGBB; -1 none.
    int Shading = -1;
    // A single line around the cell.
    bool Borders = false;
    // The first cell of a block merged downwards, or a cell continuing the
    // block of the row above (its text is not shown).
    enum VMerge { VNone, VFirst, VContinue } VerticalMerge = VNone;
};

class RtfDocument
{
public:
    RtfDocument();

    // A4 in the given orientation; margins in twips (1/1440 inch).
    void SetLandscape(bool Value) { landscape_ = Value; }
    bool Landscape() const { return landscape_; }
    void SetMargins(int Left, int Top, int Right, int Bottom);
    // The width between the side margins, in twips.
    int TextWidth() const;

    // Paragraphs and tables written between these two calls form the page
    // header (the same on every page).
    void BeginHeader();
    void EndHeader();

    void AddParagraph(const QString &Text, const RtfFont &Font, RtfAlign Align = RtfAlign::Left);
    // One table row; consecutive rows form one table, which ends at the
    // next paragraph, at EndHeader or at the end of the document.
    void AddTableRow(const std::vector<RtfCell> &Cells);

    // The whole document.
    QByteArray ToRtf() const;
    // Written through a temporary file that replaces FileName only when
    // complete; raises ERtfError.
    void SaveToFile(const QString &FileName) const;

    // A text as it stands in the document.
    static QByteArray EncodeText(const QString &Text);

    int FontIndex(const QString &Family);
    // 1-based index into the colour table (0 is the automatic colour).
    int ColorIndex(int Rgb);

private:
    QByteArray &Out() { return inHeader_ ? header_ : body_; }
    void EndTableIfOpen();
    QByteArray CharFormat(const RtfFont &Font);

    bool landscape_ = false;
    int marginLeft_ = 1134;
    int marginTop_ = 1134;
    int marginRight_ = 1134;
    int marginBottom_ = 1134;
    QStringList fonts_;
    std::vector<int> colors_;
    QByteArray header_;
    QByteArray body_;
    bool inHeader_ = false;
    bool hasHeader_ = false;
    bool tableOpen_ = false;
};

} // namespace platform::office
