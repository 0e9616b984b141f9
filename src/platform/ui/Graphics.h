#pragma once
// Font styles and bevels as the class library named them.
#include <QFont>

#include "platform/EnumSet.h"

#include <cstdint>

enum TFontStyle : unsigned char { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = platform::EnumSet<TFontStyle, std::uint8_t>;

enum TBevelCut : unsigned char { bvNone, bvLowered, bvRaised, bvSpace };

namespace platform {

// The font with exactly these styles.
inline QFont StyledFont(QFont font, TFontStyles styles)
{
    font.setBold(styles.Contains(fsBold));
    font.setItalic(styles.Contains(fsItalic));
    font.setUnderline(styles.Contains(fsUnderline));
    font.setStrikeOut(styles.Contains(fsStrikeOut));
    return font;
}

inline TFontStyles FontStylesOf(const QFont &font)
{
    TFontStyles s;
    s.Set(fsBold, font.bold());
    s.Set(fsItalic, font.italic());
    s.Set(fsUnderline, font.underline());
    s.Set(fsStrikeOut, font.strikeOut());
    return s;
}

} // namespace platform
