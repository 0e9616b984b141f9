#include "service/FileCopier.h"

#include "core/DialogsEx.h"
#include "core/uHelpers.h"
#include "platform/system/ReplacingFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QCoreApplication>
#include <QPlainTextEdit>
#include <QSysInfo>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
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

QPlainTextEdit *TFileCopier::Memo() const { return memo_; }

void TFileCopier::SetMemo(QPlainTextEdit *Value) { memo_ = Value; }

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

bool TFileCopier::Fail(TCopyFailureKind Kind, const QString &File, int Code, const QString &Message)
{
    status_ = 1;
    failure_ = {Kind, File, Code};
    if (OnError)
        OnError(this, Message);
    ToMemo(Message);
    return false;
}

bool TFileCopier::Execute()
{
    status_ = 0;
    failure_ = {};
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
        return Fail(cfOntoItself, Source, 0, QStringLiteral("Cannot copy ") + Source + QStringLiteral(" onto itself"));

    // Opened without blocking and checked before anything is read: a pipe
    // or a device would block the copy forever or never end.
    errno = 0;
    const int fd = ::open(QFile::encodeName(Source).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int code = LastError();
        if (code == ENOENT || code == EACCES || code == EBUSY)
            return Fail(cfSourceMissing, Source, code,
                        Source + QStringLiteral(" missing or corrupted or opened for exclusive use"));
        return Fail(cfOpenSource, Source, code, WithCode(QStringLiteral("Error opening "), Source, code));
    }
    struct stat before {};
    if (::fstat(fd, &before) != 0 || !S_ISREG(before.st_mode)) {
        ::close(fd);
        return Fail(cfNotAFile, Source, S_ISDIR(before.st_mode) ? EISDIR : 0,
                    QStringLiteral("Cannot copy ") + Source + QStringLiteral(": not a regular file"));
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    QFile in;
    if (!in.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return Fail(cfOpenSource, Source, EIO, WithCode(QStringLiteral("Error opening "), Source, EIO));
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
    if (!target.Open()) {
        const int code = LastError();
        return Fail(cfCreateTarget, Target, code, WithCode(QStringLiteral("Error creating "), Target, code));
    }
    QFile &out = target.Device();

    const qint64 total = before.st_size;
    qint64 read = 0;
    qint64 written = 0;
    QByteArray buffer(int(kBufferSize), Qt::Uninitialized);
    const auto percent = [total](qint64 n) { return total > 0 ? int(n * 100 / total) : 100; };
    for (;;) {
        errno = 0;
        const qint64 n = in.read(buffer.data(), kBufferSize);
        if (n < 0) {
            const int code = LastError();
            return Fail(cfReadSource, Source, code, WithCode(QStringLiteral("Error reading "), Source, code));
        }
        if (n == 0 && read > 0)
            break;
        read += n;
        if (read > total) {
            target.Cancel();
            return Fail(cfSourceChanged, Source, 0, Source + QStringLiteral(" changed while it was copied"));
        }
        errno = 0;
        if (out.write(buffer.constData(), n) != n) {
            const int code = LastError();
            return Fail(cfWriteTarget, Target, code, WithCode(QStringLiteral("Error writing "), Target, code));
        }
        written += n;
        bool cancel = false;
        if (OnCopyProgress)
            OnCopyProgress(this, written, total, percent(read), percent(written), cancel);
        if (cancel) {
            cancelled_ = true;
            return Fail(cfCancelled, Source, 0, QStringLiteral("Canceled"));
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
        return Fail(cfSourceChanged, Source, 0, Source + QStringLiteral(" changed while it was copied"));
    }
    // Flushed first, so that no later write of the buffer moves the time;
    // a failure is told with the system's code of that very write.
    errno = 0;
    if (!out.flush()) {
        const int code = LastError();
        target.Cancel();
        return Fail(cfWriteTarget, Target, code, WithCode(QStringLiteral("Error writing "), Target, code));
    }
    out.setFileTime(modified, QFileDevice::FileModificationTime);
    errno = 0;
    if (!target.Commit()) {
        const int code = LastError();
        return Fail(cfWriteTarget, Target, code, WithCode(QStringLiteral("Error writing "), Target, code));
    }
    return true;
}

bool TFileCopier::CopyFolder(const QString &Source, const QString &Target)
{
    const QString source = ResolvedPath(Source);
    const QString target = ResolvedPath(Target);
    if (target == source || target.startsWith(source + QLatin1Char('/')))
        return Fail(cfFolderRecursion, Source, 0, QStringLiteral("ERROR : folder recursion\r\rCan't copy !"));
    errno = 0;
    if (!QDir().mkpath(Target)) {
        const int code = LastError();
        return Fail(cfCreateTarget, Target, code, WithCode(QStringLiteral("Error creating "), Target, code));
    }

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

// ---------------------------------------------------------------- texts

QString CopyFailureText(const TCopyFailure &Failure)
{
    const QString file = QDir::toNativeSeparators(Failure.File);
    const QString cause = SystemErrorText(Failure.Code);
    switch (Failure.Kind) {
    case cfNone: return QString();
    case cfOntoItself: return QStringLiteral("Файлът %1 не може да бъде копиран върху себе си.").arg(file);
    case cfSourceMissing:
    case cfOpenSource: return QStringLiteral("Файлът %1 не може да бъде отворен: %2.").arg(file, cause);
    case cfNotAFile:
        return QStringLiteral("%1 не може да бъде копиран: %2.")
            .arg(file, Failure.Code ? cause : QStringLiteral("това не е обикновен файл"));
    case cfCreateTarget: return QStringLiteral("Файлът %1 не може да бъде създаден: %2.").arg(file, cause);
    case cfReadSource: return QStringLiteral("Грешка при четене на файла %1: %2.").arg(file, cause);
    case cfWriteTarget: return QStringLiteral("Грешка при запис на файла %1: %2.").arg(file, cause);
    case cfSourceChanged:
        return QStringLiteral("Файлът %1 се промени по време на копирането: копието не е направено.").arg(file);
    case cfCancelled: return QStringLiteral("Копирането на файла %1 е прекъснато.").arg(file);
    case cfFolderRecursion: return QStringLiteral("Папката %1 не може да бъде копирана в самата себе си.").arg(file);
    }
    return QString();
}

// ---------------------------------------------------------------- locks and works

bool TFileLock::TryLock(const QString &Path, bool Create)
{
    Release();
    path_ = Path;
    error_.clear();
    const QByteArray name = QFile::encodeName(Path);
    for (int attempt = 0; attempt < 50; ++attempt) {
        const int fd = ::open(name.constData(), O_RDWR | O_NOFOLLOW | O_CLOEXEC | (Create ? O_CREAT : 0), 0666);
        if (fd < 0) {
            error_ = SystemErrorText(errno);
            return false;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int e = errno;
            ::close(fd);
            if (e != EWOULDBLOCK)
                error_ = SystemErrorText(e);
            return false;
        }
        // A holder removes the file as it lets go, so a lock got on a file
        // that no longer stands under the name locks nothing: try again.
        struct stat held, named;
        if (::fstat(fd, &held) == 0 && ::stat(name.constData(), &named) == 0 && held.st_dev == named.st_dev
            && held.st_ino == named.st_ino) {
            fd_ = fd;
            return true;
        }
        ::close(fd);
        if (!Create) {
            error_ = SystemErrorText(ENOENT);
            return false;
        }
    }
    error_ = SystemErrorText(EAGAIN);
    return false;
}

void TFileLock::Release()
{
    if (fd_ < 0)
        return;
    // Removed while still held: the next one to lock the name makes a
    // fresh file.
    ::unlink(QFile::encodeName(path_).constData());
    ::close(fd_);
    fd_ = -1;
}

namespace {

const QLatin1String kMarkSuffix(".lock");
const QLatin1String kJournalSuffix("-journal");

QString ProcessTag()
{
    return QSysInfo::machineHostName() + QLatin1Char('-') + QString::number(QCoreApplication::applicationPid())
         + QLatin1Char('-');
}

} // namespace

QString TWorkMark::NewWorkName(const QString &Stem)
{
    static std::atomic<int> works{0};
    return Stem + ProcessTag() + QString::number(++works);
}

TWorkMark::TWorkMark(const QString &Path) : path_(Path)
{
    lock_.TryLock(Path + kMarkSuffix, true);
}

TWorkMark::~TWorkMark()
{
    if (!lock_.Held())
        return;
    DeleteTree(path_);
    DeleteTree(path_ + kJournalSuffix);
    lock_.Release();
}

void TWorkMark::RemoveAbandoned(const QString &Folder, const QString &Stem, const QRegularExpression &Form)
{
    const QDir folder(Folder);
    const QString own = Stem + ProcessTag();
    for (const QString &name :
         folder.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
        if (!name.startsWith(Stem))
            continue;
        if (name.endsWith(kMarkSuffix)) {
            const QString work = name.chopped(kMarkSuffix.size());
            // This process's own works are its to remove; a lock taken here
            // as a test could even end its hold on some network disks.
            if (work.startsWith(own) || !Form.match(work).hasMatch())
                continue;
            TFileLock mark;
            if (!mark.TryLock(folder.filePath(name), false))
                continue;   // its process runs, or it is gone already
            DeleteTree(folder.filePath(work));
            DeleteTree(folder.filePath(work + kJournalSuffix));
            mark.Release();
            continue;
        }
        // A work stands only while its mark does (made before it, removed
        // after it): without one it is a leftover.
        const QString work = name.endsWith(kJournalSuffix) ? name.chopped(kJournalSuffix.size()) : name;
        if (!QFileInfo::exists(folder.filePath(work + kMarkSuffix)) && !work.startsWith(own)
            && Form.match(work).hasMatch())
            DeleteTree(folder.filePath(name));
    }
}
