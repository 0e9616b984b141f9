#include "platform/system/SystemError.h"

#include <cerrno>

namespace platform {

QString SystemErrorText(int Code)
{
    switch (Code) {
    case 0: return QStringLiteral("неизвестна причина");
    case ENOSPC:
    case EDQUOT: return QStringLiteral("дискът е пълен");
    case EFBIG: return QStringLiteral("файлът е по-голям, отколкото дискът позволява");
    case EACCES:
    case EPERM: return QStringLiteral("няма права за достъп");
    case EROFS: return QStringLiteral("дискът е само за четене");
    case ENOENT: return QStringLiteral("файлът или папката не съществува");
    case ENOTDIR: return QStringLiteral("част от пътя не е папка");
    case EISDIR: return QStringLiteral("това е папка, а не файл");
    case EIO: return QStringLiteral("грешка при четене или запис на диска");
    case EBUSY:
    case ETXTBSY:
    case EAGAIN: return QStringLiteral("файлът е зает от друга програма");
    case EEXIST: return QStringLiteral("вече има файл с това име");
    case ENAMETOOLONG: return QStringLiteral("името е твърде дълго");
    case ELOOP: return QStringLiteral("пътят води през твърде много връзки");
    case EMFILE:
    case ENFILE: return QStringLiteral("отворени са твърде много файлове");
    case ENOMEM: return QStringLiteral("няма достатъчно памет");
    case ENOEXEC: return QStringLiteral("файлът не е програма");
    case ENXIO:
    case ENODEV: return QStringLiteral("устройството не е свързано");
    default: return QStringLiteral("системна грешка %1").arg(Code);
    }
}

} // namespace platform
