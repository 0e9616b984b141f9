#include "service/FileCopier.h"

#include "core/DialogsEx.h"
#include "core/uHelpers.h"
#include "platform/system/ReplacingFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPlainTextEdit>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qint64 kBufferSize = 256000;

int LastError()
{
    return errno != 0 ? errno : EIO;
}

QString WithCode(const QString &text, const QString &name, int code)
{
    return text + name + QStringLiteral("\rErrorCode: ") + QString::number(code);
}

// True when both names reach one file: the same device and inode, links
// followed.
bool SameFile(const QString &a, const QString &b)
{
    struct stat sa, sb;
    if (::stat(QFile::encodeName(a).constData(), &sa) != 0 || ::stat(QFile::encodeName(b).constData(), &sb) != 0)
        return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

// The canonical form of a path that need not exist yet: its nearest
// existing folder resolved, the rest appended.
QString ResolvedPath(const QString &path)
{
    QString rest;
    QFileInfo info(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
    while (!info.exists() && !info.isRoot()) {
        rest = QLatin1Char('/') + info.fileName() + rest;
        info = QFileInfo(info.absolutePath());
    }
    const QString base = info.canonicalFilePath();
    return base == QLatin1String("/") ? rest.isEmpty() ? base : rest : base + rest;
}

} // namespace

TFileCopier::TFileCopier(QObject *Owner) : QObject(Owner)
{
}

void TFileCopier::SetShowProgressOnMemo(bool Value)
{
    if (Value && !memo_) {
        ShowMessage(QStringLiteral("Грешка: преди да включите показването на напредъка,\r"
                                   "задайте полето, в което той да се показва."));
        return;
    }
    showProgressOnMemo_ = Value;
}

void TFileCopier::ToMemo(const QString &Line)
{
    if (showProgressOnMemo_ && memo_)
        memo_->appendPlainText(Line);
}

bool TFileCopier::Fail(const QString &Message)
{
    status_ = 1;
    if (OnError)
        OnError(this, Message);
    ToMemo(Message);
    return false;
}

bool TFileCopier::Execute()
{
    status_ = 0;
    cancelled_ = false;
    if (sourceFile_.isEmpty()) {
        status_ = 1;
        ShowMessage(QStringLiteral("Копирането е невъзможно.\rЛипсва името на изходния файл."));
        return false;
    }
    if (targetFile_.isEmpty()) {
        status_ = 1;
        ShowMessage(QStringLiteral("Копирането е невъзможно.\rЛипсва името на целевия файл."));
        return false;
    }
    if (QFileInfo(sourceFile_).isDir())
        CopyFolder(sourceFile_, targetFile_);
    else
        CopyFile(sourceFile_, targetFile_);
    return status_ == 0;
}

bool TFileCopier::CopyFile(const QString &Source, const QString &Target)
{
    if (SameFile(Source, Target))
        return Fail(QStringLiteral("Cannot copy ") + Source + QStringLiteral(" onto itself"));

    // Opened without blocking and checked before anything is read: a pipe
    // or a device would block the copy forever or never end.
    errno = 0;
    const int fd = ::open(QFile::encodeName(Source).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int code = LastError();
        if (code == ENOENT || code == EACCES || code == EBUSY)
            return Fail(Source + QStringLiteral(" missing or corrupted or opened for exclusive use"));
        return Fail(WithCode(QStringLiteral("Error opening "), Source, code));
    }
    struct stat before;
    if (::fstat(fd, &before) != 0 || !S_ISREG(before.st_mode)) {
        ::close(fd);
        return Fail(QStringLiteral("Cannot copy ") + Source + QStringLiteral(": not a regular file"));
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    QFile in;
    if (!in.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return Fail(WithCode(QStringLiteral("Error opening "), Source, EIO));
    }
    const QDateTime modified = QFileInfo(Source).lastModified();

    if (QFileInfo::exists(Target)) {
        bool replace = true;
        if (OnOverriding)
            OnOverriding(this, Target, replace);
        if (!replace)
            return true;
    }

    // The copy goes to a temporary file beside the target and replaces the
    // target only once it is whole.
    // A link standing at the target is replaced, never written through.
    platform::ReplacingFile target(Target);
    errno = 0;
    if (!target.Open())
        return Fail(WithCode(QStringLiteral("Error creating "), Target, LastError()));
    QFile &out = target.Device();

    const qint64 total = before.st_size;
    qint64 read = 0;
    qint64 written = 0;
    QByteArray buffer(int(kBufferSize), Qt::Uninitialized);
    const auto percent = [total](qint64 n) { return total > 0 ? int(n * 100 / total) : 100; };
    for (;;) {
        errno = 0;
        const qint64 n = in.read(buffer.data(), kBufferSize);
        if (n < 0)
            return Fail(WithCode(QStringLiteral("Error reading "), Source, LastError()));
        if (n == 0 && read > 0)
            break;
        read += n;
        if (read > total) {
            target.Cancel();
            return Fail(Source + QStringLiteral(" changed while it was copied"));
        }
        errno = 0;
        if (out.write(buffer.constData(), n) != n)
            return Fail(WithCode(QStringLiteral("Error writing "), Target, LastError()));
        written += n;
        bool cancel = false;
        if (OnCopyProgress)
            OnCopyProgress(this, written, total, percent(read), percent(written), cancel);
        if (cancel) {
            cancelled_ = true;
            return Fail(QStringLiteral("Canceled"));
        }
        if (n == 0)
            break;
    }
    // A source that grew, shrank or was rewritten while it was read would
    // give a torn copy.
    struct stat after;
    if (read != total || written != read || ::fstat(fd, &after) != 0 || after.st_size != before.st_size ||
        after.st_mtim.tv_sec != before.st_mtim.tv_sec || after.st_mtim.tv_nsec != before.st_mtim.tv_nsec) {
        target.Cancel();
        return Fail(Source + QStringLiteral(" changed while it was copied"));
    }
    // Flushed first, so that no later write of the buffer moves the time.
    if (out.flush())
        out.setFileTime(modified, QFileDevice::FileModificationTime);
    if (!target.Commit())
        return Fail(WithCode(QStringLiteral("Error writing "), Target, LastError()));
    return true;
}

bool TFileCopier::CopyFolder(const QString &Source, const QString &Target)
{
    const QString source = ResolvedPath(Source);
    const QString target = ResolvedPath(Target);
    if (target == source || target.startsWith(source + QLatin1Char('/')))
        return Fail(QStringLiteral("ERROR : folder recursion\r\rCan't copy !"));
    errno = 0;
    if (!QDir().mkpath(Target))
        return Fail(WithCode(QStringLiteral("Error creating "), Target, LastError()));

    const QDir from(Source);
    bool ok = true;
    for (const QString &name : from.entryList(QDir::Files | QDir::Hidden, QDir::Name)) {
        const QString file = from.filePath(name);
        const bool copied = CopyFile(file, QDir(Target).filePath(name));
        ToMemo((copied ? QStringLiteral("Ok - ") : QStringLiteral("failed - ")) + file);
        ok = ok && copied;
        if (cancelled_)
            return false;
    }
    if (includeSubFolders_) {
        // Linked folders are not followed: they may lead out of the tree or
        // back into it.
        for (const QString &name :
             from.entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot | QDir::NoSymLinks, QDir::Name)) {
            ok = CopyFolder(from.filePath(name), QDir(Target).filePath(name)) && ok;
            if (cancelled_)
                return false;
        }
    }
    return ok;
}

namespace {

// Removes the entry name of the folder open as parent: a folder with all it
// holds, anything else (a symbolic link included) as it is.
bool RemoveAt(int parent, const char *name)
{
    struct stat st;
    if (::fstatat(parent, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT;
    if (!S_ISDIR(st.st_mode))
        return ::unlinkat(parent, name, 0) == 0 || errno == ENOENT;
    // A write-protected folder is opened up so that its entries can go.
    if ((st.st_mode & S_IRWXU) != S_IRWXU)
        ::fchmodat(parent, name, (st.st_mode & 07777) | S_IRWXU, 0);
    const int fd = ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    DIR *dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return false;
    }
    bool ok = true;
    while (const dirent *entry = ::readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0)
            continue;
        ok = RemoveAt(::dirfd(dir), entry->d_name) && ok;
    }
    ::closedir(dir);
    return ::unlinkat(parent, name, AT_REMOVEDIR) == 0 && ok;
}

} // namespace

bool DeleteTree(const QString &Folder)
{
    const QString path = QDir::cleanPath(QFileInfo(Folder).absoluteFilePath());
    const QFileInfo info(path);
    if (info.isRoot())
        return false;
    const QByteArray parent = QFile::encodeName(info.absolutePath());
    const QByteArray name = QFile::encodeName(info.fileName());
    const int fd = ::open(parent.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT;
    const bool ok = RemoveAt(fd, name.constData());
    ::close(fd);
    return ok;
}

qint64 FileSizeByName(const QString &Name)
{
    const QFileInfo info(Name);
    if (!info.isFile())
        return 0;
    return std::max<qint64>(0, info.size());
}
