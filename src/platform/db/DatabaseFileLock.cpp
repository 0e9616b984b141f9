#include "platform/db/DatabaseFileLock.h"

#include "platform/system/ReplacingFile.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace platform {

namespace {

constexpr int kChunk = 256 * 1024;
// How many seconds from now a copy kept aside looks for a name of its own.
constexpr int kNameSeconds = 120;

// The lock's step up to Level, or the engine's code.
int LockTo(sqlite3_file *File, int Level) { return File->pMethods->xLock(File, Level); }

// The system's error behind a failed step of the engine on Db, EIO when it
// tells none.
int SystemErrorOf(sqlite3 *Db)
{
    const int error = Db ? sqlite3_system_errno(Db) : 0;
    return error != 0 ? error : EIO;
}

// Puts a copy of File aside under the first name from now on,
// "<base>-<Word>-<stamp>.<suffix>", at which Place (given the name) finds
// neither that file nor its journal: Place answers 0 when done, EEXIST to go
// on to the next second, or the system's error.
int PlaceAside(const QString &File, const QString &Word, const std::function<int(const QString &)> &Place,
               QString &Name)
{
    const QFileInfo info(File);
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    const QString stem = info.absolutePath() + QLatin1Char('/') + info.completeBaseName() + QLatin1Char('-') + Word
                       + QLatin1Char('-');
    const QDateTime now = QDateTime::currentDateTime();
    for (int second = 0; second < kNameSeconds; ++second) {
        const QString name = stem + now.addSecs(second).toString(QStringLiteral("yyyyMMdd-HHmmss")) + suffix;
        struct stat st;
        if (::lstat(QFile::encodeName(name).constData(), &st) == 0
            || ::lstat(QFile::encodeName(JournalOf(name)).constData(), &st) == 0)
            continue;
        const int error = Place(name);
        if (error == EEXIST)
            continue;
        if (error == 0) {
            SyncToDisk(info.absolutePath());   // some file systems cannot sync a folder: the names stand
            Name = name;
        }
        return error;
    }
    return EEXIST;
}

// Writes Total bytes that Read gives into a new file Out; 0 or errno.
int WriteCopy(ReplacingFile &Out, qint64 Total, const std::function<int(char *, int, qint64)> &Read,
              const CopyProgress &Progress, qint64 Before, qint64 All)
{
    if (!Out.Open())
        return Out.Error();
    QByteArray buffer(kChunk, Qt::Uninitialized);
    for (qint64 done = 0; done < Total;) {
        const int amount = int(qMin<qint64>(kChunk, Total - done));
        if (const int error = Read(buffer.data(), amount, done))
            return error;
        errno = 0;
        if (Out.Device().write(buffer.constData(), amount) != amount)
            return errno != 0 ? errno : EIO;
        done += amount;
        if (Progress)
            Progress(Before + done, All);
    }
    return 0;
}

} // namespace

DatabaseFileLock::DatabaseFileLock(const QString &Path) : path_(Path) {}

DatabaseFileLock::~DatabaseFileLock() { Release(); }

int DatabaseFileLock::Acquire(int TimeoutMs)
{
    // A step to a level the file holds already is granted at once: after a
    // backup into the connection has let the lock go, this takes it anew.
    if (!db_) {
        // Opening reads nothing the engine could refuse: a damaged file
        // opens, and so the lock holds over it too.
        const int rc = sqlite3_open_v2(QFile::encodeName(path_).constData(), &db_, SQLITE_OPEN_READWRITE, nullptr);
        if (rc == SQLITE_OK)
            sqlite3_extended_result_codes(db_, 1);
        if (rc == SQLITE_OK
            && (sqlite3_file_control(db_, "main", SQLITE_FCNTL_FILE_POINTER, &file_) != SQLITE_OK || !file_
                || !file_->pMethods)) {
            Release();
            return SQLITE_CANTOPEN;
        }
        if (rc != SQLITE_OK) {
            Release();
            return rc;
        }
    }
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        int rc = LockTo(file_, SQLITE_LOCK_SHARED);
        if (rc == SQLITE_OK)
            rc = LockTo(file_, SQLITE_LOCK_RESERVED);
        // Reserved, it waits for the readers to finish; its pending lock
        // lets no new one begin meanwhile.
        if (rc == SQLITE_OK)
            while ((rc = LockTo(file_, SQLITE_LOCK_EXCLUSIVE)) == SQLITE_BUSY && waited.elapsed() < TimeoutMs)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
        if (rc == SQLITE_OK)
            return SQLITE_OK;
        // Not even shared while another writes: a writer that holds the
        // reserved lock needs every reader gone to commit, this one too.
        file_->pMethods->xUnlock(file_, SQLITE_LOCK_NONE);
        if ((rc & 0xFF) != SQLITE_BUSY || waited.elapsed() >= TimeoutMs)
            return rc;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

void DatabaseFileLock::Release()
{
    if (file_)
        file_->pMethods->xUnlock(file_, SQLITE_LOCK_NONE);
    file_ = nullptr;
    sqlite3_close(db_);
    db_ = nullptr;
}

qint64 DatabaseFileLock::Size() const
{
    sqlite3_int64 size = -1;
    if (!file_ || file_->pMethods->xFileSize(file_, &size) != SQLITE_OK)
        return -1;
    return size;
}

int DatabaseFileLock::Read(char *Buffer, int Amount, qint64 Offset) const
{
    if (!file_)
        return SQLITE_CANTOPEN;
    return file_->pMethods->xRead(file_, Buffer, Amount, Offset);
}

QString JournalOf(const QString &File) { return File + QStringLiteral("-journal"); }

int KeepAside(const DatabaseFileLock &Lock, const QString &Word, QString &Aside, const CopyProgress &Progress)
{
    const QString file = Lock.Path();
    const qint64 size = Lock.Size();
    if (size < 0)
        return SystemErrorOf(Lock.Handle());
    // The journal as it stands; nothing writes it while the lock is held.
    // Anything but a regular file there is no journal of the engine's.
    QFile journal;
    const int fd =
        ::open(QFile::encodeName(JournalOf(file)).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    struct stat st {};
    if (fd >= 0 && (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)))
        ::close(fd);
    else if (fd >= 0 && !journal.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        ::close(fd);
    const qint64 journalSize = journal.isOpen() ? st.st_size : 0;

    // Both written whole before either takes a name; the journal is named
    // first: a journal alone is never played into anything.
    const QString scratch = file + QStringLiteral(".aside");
    ReplacingFile copy(scratch);
    ReplacingFile journalCopy(JournalOf(scratch));
    const qint64 all = size + journalSize;
    int error = WriteCopy(copy, size, [&Lock](char *Buffer, int Amount, qint64 Offset) {
        return Lock.Read(Buffer, Amount, Offset) == SQLITE_OK ? 0 : SystemErrorOf(Lock.Handle());
    }, Progress, 0, all);
    if (error == 0 && journal.isOpen())
        error = WriteCopy(journalCopy, journalSize, [&journal](char *Buffer, int Amount, qint64) {
            errno = 0;
            return journal.read(Buffer, Amount) == Amount ? 0 : errno != 0 ? errno : EIO;
        }, Progress, size, all);
    if (error != 0)
        return error;
    return PlaceAside(file, Word, [&](const QString &Name) {
        if (journal.isOpen())
            if (const int placed = journalCopy.Place(JournalOf(Name)))
                return placed;
        const int placed = copy.Place(Name);
        if (placed == 0 || !journal.isOpen())
            return placed;
        // Its file taken meanwhile: the journal placed is no one's, and
        // there is no copy of it left to name anew.
        ::unlink(QFile::encodeName(JournalOf(Name)).constData());
        return placed == EEXIST ? EIO : placed;
    }, Aside);
}

int SetJournalAside(const QString &File, const QString &Word, QString &Aside)
{
    // The empty file is made anew first, then the journal named beside it.
    return PlaceAside(File, Word, [&File](const QString &Name) {
        const int fd = ::open(QFile::encodeName(Name).constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                              0666);
        if (fd < 0)
            return errno;
        ::close(fd);
        const int error = PlaceWithoutReplacing(JournalOf(File), JournalOf(Name));
        if (error != 0)
            ::unlink(QFile::encodeName(Name).constData());
        return error;
    }, Aside);
}

void RemoveAside(const QString &Aside)
{
    ::unlink(QFile::encodeName(JournalOf(Aside)).constData());
    ::unlink(QFile::encodeName(Aside).constData());
}

} // namespace platform
