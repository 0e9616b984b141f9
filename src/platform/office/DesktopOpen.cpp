#include "platform/office/DesktopOpen.h"

#include <QDesktopServices>
#include <QUrl>

namespace platform::office {

namespace {
DesktopOpener &CurrentOpener()
{
    static DesktopOpener opener;
    return opener;
}
} // namespace

bool OpenWithDesktop(const QString &FileName)
{
    if (CurrentOpener())
        return CurrentOpener()(FileName);
    return QDesktopServices::openUrl(QUrl::fromLocalFile(FileName));
}

DesktopOpener SetDesktopOpener(DesktopOpener Opener)
{
    DesktopOpener previous = std::move(CurrentOpener());
    CurrentOpener() = std::move(Opener);
    return previous;
}

} // namespace platform::office
