#include "service/RestoreFiles.h"

#include "platform/db/Database.h"
#include "platform/db/DatabaseFileLock.h"
#include "platform/system/ReplacingFile.h"
#include "service/FileCopier.h"

#include <QDir>
#include <QFile>
#include <QDateTime>
#include <QFileInfo>
#include <QtEndian>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString Native(const QString &Path) { return QDir::toNativeSeparators(QDir::cleanPath(Path)); }

// The cause of a failed step of the database engine, in the clerk's words:
// the system's error behind a failed opening, reading or writing on either
// connection, else what the engine's code tells.
QString EngineCause(int Code, sqlite3 *Db, sqlite3 *Other = nullptr)
{
    switch (Code & 0xFF) {
    case SQLITE_IOERR:
    case SQLITE_CANTOPEN:
    case SQLITE_READONLY:
    case SQLITE_PERM:
        for (sqlite3 *db : {Db, Other})
            if (db && sqlite3_system_errno(db) != 0)
                return SystemErrorText(sqlite3_system_errno(db));
        break;
    default: break;
    }
    return platform::DatabaseFailureCause(Code);
}

// The engine's code a failure raised by the program's connection carries,
// with its cause in the clerk's words.
int RaisedCause(const Exception &Raised, QString &Cause)
{
    const auto *failure = dynamic_cast<const platform::EDatabaseError *>(&Raised);
    const int code = failure && failure->Code() ? failure->Code() : SQLITE_ERROR;
    Cause = EngineCause(code, nullptr);
    return code;
}

// Copies the whole of one database into another in one step of the engine:
// the source is read under one read lock (a consistent state even while
// others write) and the target written in one transaction. SQLITE_OK or the
// engine's code of the failure.
int Backup(sqlite3 *From, sqlite3 *To)
{
    sqlite3_backup *backup = sqlite3_backup_init(To, "main", From, "main");
    if (!backup)
        return sqlite3_extended_errcode(To);
    const int step = sqlite3_backup_step(backup, -1);
    const int finish = sqlite3_backup_finish(backup);
    if (step != SQLITE_DONE)
        return step == SQLITE_OK ? SQLITE_ERROR : step;
    return finish;
}

// The names of the copies of Target being written: PartStem + a process's tag.
QString PartStem(const QString &Target) { return Target + QStringLiteral(".part-"); }

bool IsRegularFile(const QString &Path)
{
    struct stat st;
    return ::lstat(QFile::encodeName(Path).constData(), &st) == 0 && S_ISREG(st.st_mode);
}

// Whether the locked database file ends within a page (its page size read
// from its header): cut short there, the engine still reads and copies it,
// but a write of its that is rolled back fills the last page out, so the
// file would not stay as it was.
bool EndsWithinAPage(const platform::DatabaseFileLock &Lock)
{
    char header[18];
    const qint64 size = Lock.Size();
    if (size < qint64(sizeof header) || Lock.Read(header, sizeof header, 0) != SQLITE_OK)
        return false;
    const int given = (uchar(header[16]) << 8) | uchar(header[17]);
    const qint64 page = given == 1 ? 65536 : given;
    return page >= 512 && size % page != 0;
}

// The restored data put into the locked file through the engine: 0, or the
// engine's code with Cause.
int BackupInto(const QString &Restored, const platform::DatabaseFileLock &Lock, QString &Cause)
{
    try {
        platform::Database from(Restored);
        sqlite3 *source = from.Handle();
        const int rc = Backup(source, Lock.Handle());
        if (rc != SQLITE_OK)
            Cause = EngineCause(rc, Lock.Handle(), source);
        return rc;
    } catch (const Exception &e) {
        return RaisedCause(e, Cause);
    }
}

// The restored data get a restore mark other than the one of the file they
// replace: a connection another workstation opened before the restore then
// refuses to commit into them, its windows showing what was replaced. The
// file's modification time (the archive's) is kept. 0, or the engine's code
// with Cause.
int MarkRestored(const QString &Restored, const platform::DatabaseFileLock &Lock, QString &Cause)
{
    unsigned char old[4] = {};
    Lock.Read(reinterpret_cast<char *>(old), sizeof old, 68);   // a short file has none
    quint32 mark = qFromBigEndian<quint32>(old) + 1;
    if (mark == 0)
        mark = 1;
    const QDateTime modified = QFileInfo(Restored).lastModified();
    sqlite3 *db = nullptr;
    int rc = sqlite3_open_v2(QFile::encodeName(Restored).constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    if (rc == SQLITE_OK) {
        try {
            platform::Database::SetRestoreMark(db, mark);
        } catch (const Exception &e) {
            rc = RaisedCause(e, Cause);
        }
    } else {
        Cause = EngineCause(rc, db);
    }
    sqlite3_close(db);
    QFile file(Restored);
    if (rc == SQLITE_OK && modified.isValid() && file.open(QIODevice::ReadWrite))
        file.setFileTime(modified, QFileDevice::FileModificationTime);
    return rc;
}

QString OwnerName(uid_t Uid)
{
    const passwd *user = ::getpwuid(Uid);
    return user ? QString::fromLocal8Bit(user->pw_name) : QString::number(Uid);
}

QString GroupName(gid_t Gid)
{
    const group *g = ::getgrgid(Gid);
    return g ? QString::fromLocal8Bit(g->gr_name) : QString::number(Gid);
}

// Replaces the locked file whole with a copy of Restored written beside it,
// which gets the owner, group and permissions of the file (Old) before it
// takes its name; the journal beside the file, kept aside already, goes in
// the same moment. True, or false through Fail (given the cause) or with
// Error, the file and its journal as they were.
bool ReplaceWhole(const QString &Restored, const platform::DatabaseFileLock &Lock, const struct stat &Old,
                  const std::function<bool(const QString &)> &Fail, QString &Error, const TFileProgress &Progress)
{
    const QString file = Lock.Path();
    QFile in(Restored);
    if (!in.open(QIODevice::ReadOnly))
        return Fail(SystemErrorText(ENOENT));
    platform::ReplacingFile out(file);
    if (!out.Open())
        return Fail(SystemErrorText(out.Error()));
    const qint64 total = in.size();
    QByteArray buffer(256 * 1024, Qt::Uninitialized);
    for (qint64 done = 0; done < total;) {
        errno = 0;
        const qint64 n = in.read(buffer.data(), buffer.size());
        if (n <= 0)
            return Fail(SystemErrorText(errno != 0 ? errno : EIO));
        errno = 0;
        if (out.Device().write(buffer.constData(), n) != n)
            return Fail(SystemErrorText(errno != 0 ? errno : EIO));
        done += n;
        if (Progress)
            Progress(done, total);
    }
    // The restored file stays the shared one: every workstation that could
    // write the old one writes it.
    const int fd = out.Device().handle();
    struct stat made {};
    errno = 0;
    if (::fchown(fd, Old.st_uid, Old.st_gid) != 0 || ::fchmod(fd, Old.st_mode & 07777) != 0 || ::fstat(fd, &made) != 0
        || made.st_uid != Old.st_uid || made.st_gid != Old.st_gid || (made.st_mode & 07777) != (Old.st_mode & 07777)) {
        const int error = errno != 0 ? errno : EPERM;
        const QString owner = OwnerName(Old.st_uid);
        Error = QStringLiteral("Възстановеният файл не може да получи собственика, групата и правата на базата %1 "
                               "(%2, група %3, права %4): %5. Базата данни не е променена; възстановяването може да "
                               "извърши потребителят %2 или администраторът.")
                    .arg(Native(file), owner, GroupName(Old.st_gid),
                         QString::number(Old.st_mode & 07777, 8).rightJustified(4, QLatin1Char('0')),
                         SystemErrorText(error));
        return false;
    }
    // The old journal leaves with the old file: moved to a name of this
    // process (swept as a leftover should the process die) and dropped once
    // the new file stands, or put back should it not.
    const QString journal = platform::JournalOf(file);
    platform::ReplacingFile held(journal);
    const bool holding = IsRegularFile(journal);
    const QByteArray journalName = QFile::encodeName(journal);
    if (holding && (!held.Open() || std::rename(journalName, QFile::encodeName(held.TemporaryName())) != 0))
        return Fail(SystemErrorText(errno != 0 ? errno : EIO));
    if (!out.Commit()) {
        const int error = out.Error();
        if (holding)
            std::rename(QFile::encodeName(held.TemporaryName()), journalName);
        return Fail(SystemErrorText(error));
    }
    platform::SyncToDisk(QFileInfo(file).absolutePath());
    return true;
}

} // namespace

TSnapshotResult SnapshotDatabase(const QString &Source, const QString &Target, QString &Error)
{
    const auto fail = [&](TSnapshotResult Result, const QString &Cause) {
        Error = QStringLiteral("Базата данни %1 не може да бъде копирана в %2: %3.")
                    .arg(Native(Source), Native(Target), Cause);
        return Result;
    };
    if (!QFileInfo(Source).isFile())
        return fail(srFailed, SystemErrorText(ENOENT));
    // Written under a name of this process, marked as its own while it is
    // written: a restore on another workstation neither takes it nor, while
    // this process runs, removes it.
    const TWorkMark mark(TWorkMark::NewWorkName(PartStem(Target)));
    if (!mark.Held())
        return fail(srFailed, mark.Error());
    const QString part = mark.Path();
    sqlite3 *to = nullptr;
    QString cause;
    int rc = SQLITE_OK;
    try {
        // The source through the program's own connection; the copy is
        // never opened through a link planted at its name.
        platform::Database source(Source);
        rc = sqlite3_open_v2(QFile::encodeName(part).constData(), &to,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOFOLLOW, nullptr);
        if (to)
            sqlite3_busy_timeout(to, platform::Database::BusyTimeoutMs());
        if (rc != SQLITE_OK) {
            cause = EngineCause(rc, to);
        } else {
            sqlite3 *from = source.Handle();
            // The read lock is taken first, waiting out a writer as every
            // statement does; the copy then runs under it.
            rc = sqlite3_exec(from, "BEGIN; SELECT Count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
            if (rc == SQLITE_OK)
                rc = Backup(from, to);
            if (rc != SQLITE_OK)
                cause = EngineCause(rc, to, from);
            sqlite3_exec(from, "ROLLBACK", nullptr, nullptr, nullptr);
        }
    } catch (const Exception &e) {
        rc = RaisedCause(e, cause);
    }
    sqlite3_close(to);
    if (rc != SQLITE_OK) {
        const int primary = rc & 0xFF;
        return fail(primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB ? srDamaged : srFailed, cause);
    }
    if (std::rename(QFile::encodeName(part).constData(), QFile::encodeName(Target).constData()) != 0)
        return fail(srFailed, SystemErrorText(errno));
    return srTaken;
}

bool RestoreDatabaseFile(const QString &Restored, const QString &Live, TRestoredDatabase &Done, QString &Error,
                         const TFileProgress &Progress)
{
    Done = {};
    const auto fail = [&](const QString &Cause) {
        Error = QStringLiteral("Данните на базата %1 не могат да бъдат заменени с тези от архива: %2.")
                    .arg(Native(Live), Cause);
        return false;
    };
    // Through a link to the shared file, the file itself is replaced, not
    // the link: every workstation goes on with the one database.
    const QString file = QFileInfo(Live).canonicalFilePath();
    struct stat old {};
    if (file.isEmpty() || ::stat(QFile::encodeName(file).constData(), &old) != 0 || !S_ISREG(old.st_mode))
        return fail(SystemErrorText(ENOENT));
    // Refused on either way of replacing it: the engine would not write it,
    // and a whole replacement would make it writable.
    if ((old.st_mode & 0222) == 0 || ::access(QFile::encodeName(file).constData(), W_OK) != 0) {
        Error = QStringLiteral("Базата данни %1 е само за четене: възстановяването не е извършено и базата не е "
                               "променена. Дайте право на запис във файла и опитайте отново.")
                    .arg(Native(Live));
        return false;
    }

    // Taken before anything is copied: a save under way ends first and is in
    // the copy kept aside; a later one waits, and finds the restored data or
    // a file that is gone.
    platform::DatabaseFileLock lock(file);
    int rc = lock.Acquire(platform::Database::BusyTimeoutMs());
    if (rc != SQLITE_OK)
        return fail(EngineCause(rc, lock.Handle()));
    if (const int error = platform::KeepAside(lock, QStringLiteral("before-restore"), Done.Aside, Progress)) {
        Error = QStringLiteral("Данните на базата %1 не могат да бъдат запазени настрана преди възстановяването: %2. "
                               "Базата данни не е променена.")
                    .arg(Native(Live), SystemErrorText(error));
        return false;
    }
    Done.AsideJournal = IsRegularFile(platform::JournalOf(Done.Aside));
    const auto giveUp = [&](const QString &Cause) {
        platform::RemoveAside(Done.Aside);
        Done = {};
        return Cause.isEmpty() ? false : fail(Cause);
    };

    if (QString cause; MarkRestored(Restored, lock, cause) != SQLITE_OK)
        return giveUp(cause);

    // A journal a dead workstation left belongs to the old file alone, and
    // the engine would play it into whatever stands under the name: that
    // file is replaced whole, the journal going with it.
    Done.Whole = Done.AsideJournal || EndsWithinAPage(lock);
    if (!Done.Whole) {
        QString cause;
        rc = BackupInto(Restored, lock, cause);
        if (rc == SQLITE_OK)
            return true;
        // A journal stands once a page was written (the engine rolls a
        // write that failed part-way back before it answers; should that
        // fail too, the journal stays for the next reader, and so does the
        // copy aside).
        if (IsRegularFile(platform::JournalOf(file)))
            return fail(cause);
        // The engine would not begin to write the file: its header is one
        // it cannot read, or marks it read-only for the engine though the
        // file may be written. Nothing of it was written, and no other
        // connection can write it either; it is replaced whole, under the
        // lock taken anew (the failed backup let it go).
        const int primary = rc & 0xFF;
        if (primary != SQLITE_CORRUPT && primary != SQLITE_NOTADB && primary != SQLITE_READONLY)
            return giveUp(cause);
        if ((rc = lock.Acquire(platform::Database::BusyTimeoutMs())) != SQLITE_OK)
            return giveUp(EngineCause(rc, lock.Handle()));
        Done.Whole = true;
    }
    return ReplaceWhole(Restored, lock, old, fail, Error, Progress) || giveUp(QString());
}

QString RestoredAsideText(const TRestoredDatabase &Done)
{
    if (Done.Aside.isEmpty())
        return QString();
    const QString aside =
        QStringLiteral("Данните отпреди възстановяването са запазени във файла %1").arg(Native(Done.Aside));
    if (!Done.AsideJournal)
        return aside + QLatin1Char('.');
    return aside
         + QStringLiteral(" заедно с недовършения запис на работно място във файла %1; пазете двата файла заедно.")
               .arg(Native(platform::JournalOf(Done.Aside)));
}

bool RecoverFromJournal(const QString &Live, QString &Aside)
{
    const QString file = QFileInfo(Live).canonicalFilePath();
    if (file.isEmpty() || !IsRegularFile(platform::JournalOf(file)))
        return false;
    {
        platform::DatabaseFileLock lock(file);
        if (lock.Acquire(platform::Database::BusyTimeoutMs()) != SQLITE_OK)
            return false;
        // Another workstation has rolled it back meanwhile.
        if (!IsRegularFile(platform::JournalOf(file)))
            return true;
        if (platform::KeepAside(lock, QStringLiteral("before-recovery"), Aside) != 0)
            return false;
    }
    // The engine plays a hot journal back into its file as it first reads
    // it, on a bare connection that writes nothing else; whether that made
    // the file sound, the check that follows says.
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(file).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
        sqlite3_busy_timeout(db, platform::Database::BusyTimeoutMs());
        sqlite3_exec(db, "SELECT Count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
    }
    sqlite3_close(db);
    return true;
}

void SweepRestoreLeftovers(const QString &Live)
{
    const QFileInfo live(Live);
    const QString target = live.canonicalFilePath();
    for (const QString &folder : {live.absolutePath(), QFileInfo(target.isEmpty() ? Live : target).absolutePath()})
        platform::ReplacingFile::RemoveLeftovers(folder);
    // What restores of earlier versions wrote aside under their one name.
    TWorkMark::RemoveAbandoned(live.absolutePath(),
                               PartStem(live.completeBaseName() + QStringLiteral("-before-restore.db")));
}

bool CopyModificationTime(const QString &From, const QString &To)
{
    struct stat from;
    if (::stat(QFile::encodeName(From).constData(), &from) != 0)
        return false;
    const struct timespec times[2] = {{0, UTIME_OMIT}, from.st_mtim};
    return ::utimensat(AT_FDCWD, QFile::encodeName(To).constData(), times, 0) == 0;
}
