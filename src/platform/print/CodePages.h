#pragma once
// The single-byte code pages of the printers: Windows-1251 (the Cyrillic
// code page of the office's texts), MIK (the DOS code page of
// Bulgarian dot-matrix printers: bytes 0x80..0xBF hold А..я in one run, box
// drawing and symbols above) and CP866 (the DOS Cyrillic OEM code page).
// Our own exact tables; the process locale and iconv play no part.
//
// Bytes 0x00..0x7F are ASCII in all three. Encoding is one byte per
// character: a character that the code page lacks is first given its
// stand-in (see RestrictToCodePage), else written as '?'.
#include <QByteArray>
#include <QChar>
#include <QString>

namespace platform {

enum class CodePage { Windows1251, Mik, Cp866 };

// The byte of Ch in Page; false when Page has no such character (no
// stand-ins here).
bool CodePageByte(char32_t Ch, CodePage Page, unsigned char &Byte);
// The character of a byte; U+FFFD for a byte the code page leaves undefined
// (0x98 of Windows-1251).
char32_t CodePageChar(unsigned char Byte, CodePage Page);

// Text to bytes, one byte per character (a surrogate pair is one
// character). Characters the page lacks take their stand-in or '?'.
QByteArray EncodeCodePage(const QString &Text, CodePage Page);
QString DecodeCodePage(const QByteArray &Bytes, CodePage Page);

// The text as the code page will carry it: every character the page has
// stays; one it lacks becomes its stand-in when the page has that (Ё/ё ->
// Е/е, no-break space -> blank, dashes -> '-', typographic double quotes
// and guillemets -> '"', single quotes -> '\''), else '?'. The length in
// characters is kept, so padded columns stay in place, and a second pass
// changes nothing.
QString RestrictToCodePage(const QString &Text, CodePage Page);

} // namespace platform
