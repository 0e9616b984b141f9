#include "platform/ui/Colors.h"

namespace {

// The system colours of the desktop scheme the program was laid out for.
constexpr TColor SystemColors[] = {
    0xC8C8C8, // scroll bar
    0x000000, // background
    0xD1B499, // active caption
    0xDBCDBF, // inactive caption
    0xF0F0F0, // menu
    0xFFFFFF, // window
    0x646464, // window frame
    0x000000, // menu text
    0x000000, // window text
    0x000000, // caption text
    0xB4B4B4, // active border
    0xFCF7F4, // inactive border
    0xABABAB, // application work space
    0xFF9933, // highlight
    0xFFFFFF, // highlight text
    0xF0F0F0, // button face
    0xA0A0A0, // button shadow
    0x6D6D6D, // grey text
    0x000000, // button text
    0x544E43, // inactive caption text
    0xFFFFFF, // button highlight
    0x696969, // 3-D dark shadow
    0xE3E3E3, // 3-D light
    0x000000, // info text
    0xE1FFFF, // info background
    0xB5B5B5, // (unused index 25)
    0xCC6600, // hot light
    0xEAD1B9, // gradient active caption
    0xF2E4D7, // gradient inactive caption
    0xFF9933, // menu highlight
    0xF0F0F0, // menu bar
};

} // namespace

TColor ColorToRGB(TColor color)
{
    if (color == clNone || color == clDefault)
        return SystemColors[5];
    if ((static_cast<std::uint32_t>(color) & 0xFF000000u) == 0xFF000000u) {
        const std::uint32_t index = static_cast<std::uint32_t>(color) & 0xFFu;
        if (index < sizeof(SystemColors) / sizeof(SystemColors[0]))
            return SystemColors[index];
        return SystemColors[5];
    }
    return color & 0x00FFFFFF;
}

namespace platform {

QColor ToQColor(TColor color)
{
    if (color == clNone)
        return QColor(Qt::transparent);
    const TColor rgb = ColorToRGB(color);
    return QColor(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
}

TColor FromQColor(const QColor &color)
{
    return static_cast<TColor>(color.red() | (color.green() << 8) | (color.blue() << 16));
}

} // namespace platform
