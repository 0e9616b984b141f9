#include "platform/office/RtfWriter.h"

#include "platform/system/ReplacingFile.h"

#include <cerrno>
#include <cmath>

#include "platform/print/CodePages.h"

namespace platform::office {

namespace {

constexpr int A4Short = 11906;
constexpr int A4Long = 16838;

void AppendInt(QByteArray &out, const char *word, long long value)
{
    out += word;
    out += QByteArray::number(value);
}

} // namespace

RtfDocument::RtfDocument() { FontIndex(QStringLiteral("Times New Roman")); }

void RtfDocument::SetMargins(int Left, int Top, int Right, int Bottom)
{
    marginLeft_ = Left;
    marginTop_ = Top;
    marginRight_ = Right;
    marginBottom_ = Bottom;
}

int RtfDocument::TextWidth() const { return (landscape_ ? A4Long : A4Short) - marginLeft_ - marginRight_; }

int RtfDocument::FontIndex(const QString &Family)
{
    int i = fonts_.indexOf(Family);
    if (i >= 0)
        return i;
    fonts_.append(Family);
    return static_cast<int>(fonts_.size()) - 1;
}

int RtfDocument::ColorIndex(int Rgb)
{
    if (Rgb < 0)
        return 0;
    for (size_t i = 0; i < colors_.size(); ++i)
        if (colors_[i] == Rgb)
            return static_cast<int>(i) + 1;
    colors_.push_back(Rgb);
    return static_cast<int>(colors_.size());
}

QByteArray RtfDocument::EncodeText(const QString &Text)
{
    QByteArray out;
    out.reserve(Text.size() + 16);
    const QChar *p = Text.constData();
    const QChar *end = p + Text.size();
    while (p < end) {
        char16_t c = p->unicode();
        if (c == '\r' || c == '\n') {
            // One line break for each of CR, LF, CR LF and LF CR.
            if (p + 1 < end && (p[1] == QLatin1Char(c == '\r' ? '\n' : '\r')))
                ++p;
            out += "\\line ";
        } else if (c == '\t') {
            out += "\\tab ";
        } else if (c == '\\' || c == '{' || c == '}') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            // other control characters have no place in a document
        } else if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            char32_t cp = c;
            if (QChar::isHighSurrogate(c) && p + 1 < end && p[1].isLowSurrogate()) {
                // each half as an escape of its own
                AppendInt(out, "\\u", static_cast<int16_t>(c));
                out += '?';
                ++p;
                c = p->unicode();
                AppendInt(out, "\\u", static_cast<int16_t>(c));
                out += '?';
                ++p;
                continue;
            }
            AppendInt(out, "\\u", static_cast<int16_t>(c));
            unsigned char byte = 0;
            if (CodePageByte(cp, CodePage::Windows1251, byte) && byte >= 0x80) {
                static const char hex[] = "0123456789abcdef";
                out += "\\'";
                out += hex[byte >> 4];
                out += hex[byte & 15];
            } else {
                out += '?';
            }
        }
        ++p;
    }
    return out;
}

QByteArray RtfDocument::CharFormat(const RtfFont &Font)
{
    QByteArray f;
    AppendInt(f, "\\f", FontIndex(Font.Family));
    AppendInt(f, "\\fs", std::lround(Font.Size * 2));
    AppendInt(f, "\\cf", ColorIndex(Font.Color));
    if (Font.Bold)
        f += "\\b";
    if (Font.Italic)
        f += "\\i";
    if (Font.Underline)
        f += "\\ul";
    if (Font.StrikeOut)
        f += "\\strike";
    f += ' ';
    return f;
}

static const char *AlignWord(RtfAlign a)
{
    switch (a) {
    case RtfAlign::Center: return "\\qc";
    case RtfAlign::Right: return "\\qr";
    case RtfAlign::Left: break;
    }
    return "\\ql";
}

void RtfDocument::EndTableIfOpen()
{
    if (tableOpen_) {
        Out() += "\\pard\\plain\\par\n";
        tableOpen_ = false;
    }
}

void RtfDocument::BeginHeader()
{
    EndTableIfOpen();
    inHeader_ = true;
    hasHeader_ = true;
}

void RtfDocument::EndHeader()
{
    EndTableIfOpen();
    inHeader_ = false;
}

void RtfDocument::AddParagraph(const QString &Text, const RtfFont &Font, RtfAlign Align)
{
    if (tableOpen_) {
        Out() += "\\pard\\plain\n";
        tableOpen_ = false;
    }
    QByteArray &out = Out();
    out += "\\pard\\plain";
    out += AlignWord(Align);
    out += '{';
    out += CharFormat(Font);
    out += EncodeText(Text);
    out += "}\\par\n";
}

void RtfDocument::AddTableRow(const std::vector<RtfCell> &Cells)
{
    QByteArray row = "\\trowd\\trgaph70\\trleft0\\trautofit1";
    for (const RtfCell &c : Cells) {
        row += '\n';
        if (c.VerticalMerge == RtfCell::VFirst)
            row += "\\clvmgf";
        else if (c.VerticalMerge == RtfCell::VContinue)
            row += "\\clvmrg";
        switch (c.Vertical) {
        case RtfVAlign::Top: row += "\\clvertalt"; break;
        case RtfVAlign::Center: row += "\\clvertalc"; break;
        case RtfVAlign::Bottom: row += "\\clvertalb"; break;
        }
        if (c.Borders)
            row += "\\clbrdrt\\brdrs\\brdrw10\\clbrdrl\\brdrs\\brdrw10\\clbrdrb\\brdrs\\brdrw10\\clbrdrr\\brdrs\\brdrw10";
        if (c.Shading >= 0)
            AppendInt(row, "\\clcbpat", ColorIndex(c.Shading));
        AppendInt(row, "\\cellx", c.RightEdge);
    }
    row += '\n';
    for (const RtfCell &c : Cells) {
        row += "\\pard\\plain\\intbl";
        row += AlignWord(c.Horizontal);
        row += '{';
        row += CharFormat(c.Font);
        if (c.VerticalMerge != RtfCell::VContinue)
            row += EncodeText(c.Text);
        row += "}\\cell\n";
    }
    row += "\\row\n";
    Out() += row;
    tableOpen_ = true;
}

QByteArray RtfDocument::ToRtf() const
{
    QByteArray out = "{\\rtf1\\ansi\\ansicpg1251\\deff0\\uc1\n{\\fonttbl";
    for (int i = 0; i < fonts_.size(); ++i) {
        AppendInt(out, "{\\f", i);
        out += "\\fnil\\fcharset204 ";
        out += EncodeText(fonts_[i]);
        out += ";}";
    }
    out += "}\n{\\colortbl;";
    for (int rgb : colors_) {
        AppendInt(out, "\\red", (rgb >> 16) & 0xFF);
        AppendInt(out, "\\green", (rgb >> 8) & 0xFF);
        AppendInt(out, "\\blue", rgb & 0xFF);
        out += ';';
    }
    out += "}\n";
    int w = landscape_ ? A4Long : A4Short;
    int h = landscape_ ? A4Short : A4Long;
    AppendInt(out, "\\paperw", w);
    AppendInt(out, "\\paperh", h);
    AppendInt(out, "\\margl", marginLeft_);
    AppendInt(out, "\\margr", marginRight_);
    AppendInt(out, "\\margt", marginTop_);
    AppendInt(out, "\\margb", marginBottom_);
    if (landscape_)
        out += "\\landscape";
    out += "\n\\sectd";
    if (landscape_)
        out += "\\lndscpsxn";
    AppendInt(out, "\\pgwsxn", w);
    AppendInt(out, "\\pghsxn", h);
    out += "\\headery567\n";
    if (hasHeader_) {
        out += "{\\header\n";
        out += header_;
        if (!header_.endsWith("\\par\n"))
            out += "\\pard\\plain\\par\n";
        out += "}\n";
    }
    out += body_;
    if (tableOpen_ && !inHeader_)
        out += "\\pard\\plain\\par\n";
    out += "}\n";
    return out;
}

void RtfDocument::SaveToFile(const QString &FileName) const
{
    ReplacingFile file(FileName);
    if (!file.Open())
        throw ERtfError(WriteErrorText(FileName, file.Error()));
    QByteArray data = ToRtf();
    errno = 0;
    if (file.Device().write(data) != data.size()) {
        const int code = errno;
        file.Cancel();
        throw ERtfError(WriteErrorText(FileName, code));
    }
    if (!file.Commit())
        throw ERtfError(WriteErrorText(FileName, file.Error()));
}

} // namespace platform::office
