#pragma once
// Opens a finished file with the program the desktop assigns to its kind
// (a spreadsheet, a document, a text file). Tests put an opener of their own
// in place, so that no program starts.
#include <QString>
#include <functional>

namespace platform::office {

using DesktopOpener = std::function<bool(const QString &FileName)>;

// True when the desktop took the file; false when nothing opens it.
bool OpenWithDesktop(const QString &FileName);
// Replaces the opener (an empty function restores the desktop's) and
// returns the one before.
DesktopOpener SetDesktopOpener(DesktopOpener Opener);

} // namespace platform::office
