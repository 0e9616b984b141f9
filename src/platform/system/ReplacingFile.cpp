#include "platform/system/ReplacingFile.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSysInfo>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// The machine part of a temporary name: the host name in the characters a
// file name of any file system keeps.
QString MachineTag()
{
    static const QString tag = [] {
        QString host = QSysInfo::machineHostName();
        for (QChar &ch : host)
            if (!(ch.isLetterOrNumber() && ch.unicode() < 0x80) && ch != QLatin1Char('-') && ch != QLatin1Char('_'))
                ch = QLatin1Char('_');
        return host.isEmpty() ? QStringLiteral("local") : host;
    }();
    return tag;
}

// ".<name>.<pid>@<machine>.XXXXXX": the writer's process, then six
// characters that make the name unique.
const QRegularExpression &LeftoverPattern()
{
    static const QRegularExpression re(QStringLiteral("^\\..*\\.(\\d+)@([A-Za-z0-9_-]+)\\.[A-Za-z0-9]{6}$"));
    return re;
}

// The longest name of a file in Folder, in bytes.
long NameMax(const QString &Folder)
{
    const long max = ::pathconf(QFile::encodeName(Folder).constData(), _PC_NAME_MAX);
    return max > 0 ? max : NAME_MAX;
}

// A name as a message shows it: a long one keeps its start and its end.
QString Shown(const QString &Path)
{
    const QString native = QDir::toNativeSeparators(Path);
    constexpr int Max = 100;
    if (native.size() <= Max)
        return native;
    return native.left(40) + QStringLiteral("…") + native.right(Max - 41);
}

bool ProcessEnded(qint64 Pid)
{
    if (Pid <= 0 || Pid > INT_MAX)
        return false;
    if (Pid == ::getpid())
        return false;
    // A process of another user answers EPERM: it runs.
    return ::kill(static_cast<pid_t>(Pid), 0) != 0 && errno == ESRCH;
}

} // namespace

QString WriteErrorCause(const QString &FileName, int Code)
{
    const QString folder = QFileInfo(FileName).absolutePath();
    switch (Code) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return QStringLiteral("няма място на диска");
    case ENOENT:
    case ENOTDIR: return QStringLiteral("папката \"%1\" не съществува").arg(Shown(folder));
    case EISDIR: return QStringLiteral("\"%1\" е папка").arg(Shown(FileName));
    case EACCES:
    case EPERM: return QStringLiteral("няма право на запис в папката \"%1\"").arg(Shown(folder));
    case EROFS: return QStringLiteral("дискът е само за четене");
    case ENAMETOOLONG: return QStringLiteral("името на файла е твърде дълго");
    case ENOMEM: return QStringLiteral("няма достатъчно памет");
    case EIO:
    case 0: return QStringLiteral("грешка при запис на диска");
    default: return QStringLiteral("системна грешка %1").arg(Code);
    }
}

QString WriteErrorText(const QString &FileName, int Code)
{
    return QStringLiteral("Файлът \"%1\" не може да бъде записан: %2.")
        .arg(Shown(FileName), WriteErrorCause(FileName, Code));
}

int PlaceWithoutReplacing(const QString &From, const QString &To)
{
    const QByteArray from = QFile::encodeName(From);
    const QByteArray to = QFile::encodeName(To);
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        return errno;
    // A file system without that step: a second name fails as well when one
    // stands there (a rename that fails may even fall back on copying over
    // it).
    if (::link(from.constData(), to.constData()) == 0) {
        ::unlink(from.constData());
        return 0;
    }
    if (errno == EEXIST)
        return EEXIST;
    // Nor hard links (some network and removable disks): the rename, after
    // a look at the name.
    struct stat st;
    if (::lstat(to.constData(), &st) == 0)
        return EEXIST;
    return std::rename(from.constData(), to.constData()) == 0 ? 0 : errno;
}

ReplacingFile::ReplacingFile(const QString &FileName) : fileName_(FileName) {}

ReplacingFile::~ReplacingFile() { Cancel(); }

QString ReplacingFile::ErrorString() const { return WriteErrorCause(fileName_, code_); }

bool ReplacingFile::Open()
{
    Cancel();
    const QFileInfo target(fileName_);
    const QString folder = target.absolutePath();
    const QByteArray finalName = QFile::encodeName(target.fileName());
    // Refused now rather than after the whole file is written.
    struct stat st;
    if (::lstat(QFile::encodeName(target.absoluteFilePath()).constData(), &st) == 0 && S_ISDIR(st.st_mode))
        return Fail(EISDIR);
    const long nameMax = NameMax(folder);
    if (finalName.size() > nameMax)
        return Fail(ENAMETOOLONG);

    // Made anew under a name nobody could know before (never opened through
    // a link), in the final folder so that the last step is a rename. The
    // name carries its writer; the final name in it is shortened where the
    // whole would be too long.
    const QByteArray suffix =
        QFile::encodeName(QStringLiteral(".%1@%2.XXXXXX").arg(::getpid()).arg(MachineTag()));
    QString part = target.fileName();
    while (!part.isEmpty() && 1 + QFile::encodeName(part).size() + suffix.size() > nameMax) {
        part.chop(1);
        if (!part.isEmpty() && part.back().isHighSurrogate())
            part.chop(1);
    }
    QByteArray path = QFile::encodeName(folder + QLatin1String("/.") + part) + suffix;
    errno = 0;
    const int fd = ::mkostemp(path.data(), O_CLOEXEC);
    if (fd < 0)
        return Fail(errno);
    auto file = std::make_unique<QFile>();
    if (!file->open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        ::unlink(path.constData());
        return Fail(EIO);
    }
    temp_ = std::move(file);
    tempName_ = QFile::decodeName(path);
    code_ = 0;
    return true;
}

QFile &ReplacingFile::Device()
{
    static QFile none;
    return temp_ ? *temp_ : none;
}

QString ReplacingFile::TemporaryName() const { return temp_ ? tempName_ : QString(); }

bool ReplacingFile::Fail(int Code)
{
    if (Code == 0)
        Code = EIO;
    code_ = Code;
    Cancel();
    errno = Code;
    return false;
}

bool ReplacingFile::Finish()
{
    if (!temp_)
        return Fail(EBADF);
    errno = 0;
    if (temp_->isOpen()) {
        // A failing flush of the last buffer (a full disk) must not give a
        // short file the final name.
        if (temp_->error() != QFileDevice::NoError || !temp_->flush() || ::fsync(temp_->handle()) != 0
            || temp_->error() != QFileDevice::NoError)
            return Fail(errno);
        temp_->close();
    }
    return true;
}

int ReplacingFile::Place(const QString &To)
{
    if (!Finish())
        return code_;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    const QByteArray temp = QFile::encodeName(tempName_);
    int error = ::chmod(temp.constData(), 0666 & ~mask) == 0 ? PlaceWithoutReplacing(tempName_, To) : errno;
    if (error == EEXIST)
        return EEXIST;
    if (error != 0) {
        Fail(error);
        return error;
    }
    temp_.reset();
    tempName_.clear();
    code_ = 0;
    return 0;
}

bool ReplacingFile::Commit()
{
    if (!Finish())
        return false;
    const QByteArray temp = QFile::encodeName(tempName_);
    const QByteArray target = QFile::encodeName(fileName_);
    mode_t mode = 0;
    struct stat old;
    if (::lstat(target.constData(), &old) == 0 && S_ISREG(old.st_mode)) {
        mode = old.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    if (::chmod(temp.constData(), mode) != 0)
        return Fail(errno);
    if (std::rename(temp.constData(), target.constData()) != 0)
        return Fail(errno);
    temp_.reset();
    tempName_.clear();
    code_ = 0;
    errno = 0;
    return true;
}

void ReplacingFile::Cancel()
{
    if (!temp_)
        return;
    temp_->close();
    temp_.reset();
    if (!tempName_.isEmpty())
        ::unlink(QFile::encodeName(tempName_).constData());
    tempName_.clear();
}

int ReplacingFile::RemoveLeftovers(const QString &Folder)
{
    const QDir dir(Folder);
    int removed = 0;
    const QStringList names =
        dir.entryList({QStringLiteral(".*@*")}, QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks);
    for (const QString &name : names) {
        const QRegularExpressionMatch m = LeftoverPattern().match(name);
        if (!m.hasMatch() || m.captured(2) != MachineTag() || !ProcessEnded(m.captured(1).toLongLong()))
            continue;
        if (::unlink(QFile::encodeName(dir.filePath(name)).constData()) == 0)
            ++removed;
    }
    return removed;
}

int SyncToDisk(const QString &Path)
{
    const int fd = ::open(QFile::encodeName(Path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    const int error = ::fsync(fd) == 0 ? 0 : errno;
    ::close(fd);
    return error;
}

} // namespace platform
