#pragma once
// The engine's own write lock on a database file, held by a connection of
// its own, and the copies of a database file kept aside with its journal.
//
// The lock is taken at the level of the file, by the engine's lock protocol
// (shared, reserved, then exclusive), so it holds over a file the engine
// cannot read (a damaged header) as well as over a sound one: every
// connection of this process or another waits for it as for any writer, a
// save under way ends before it is granted, and a hot journal is not rolled
// back while it is held. Only the connection's own pager may write under it:
// a backup into Handle() writes under the lock and lets it go as it ends,
// whether it succeeds or fails.
//
// While the lock is held, the file is read only through it (Read): a
// descriptor of the same file opened and closed anywhere else in the process
// would end every lock the process holds on it.
//
//   platform::DatabaseFileLock lock(path);
//   if (lock.Acquire(platform::Database::BusyTimeoutMs()) != SQLITE_OK) ...
//   QString aside;
//   if (const int error = platform::KeepAside(lock, "before-restore", aside)) ...
#include <QString>
#include <QtGlobal>

#include <functional>

struct sqlite3;
struct sqlite3_file;

namespace platform {

class DatabaseFileLock
{
public:
    // Path: the database file itself (a link resolved by the caller).
    explicit DatabaseFileLock(const QString &Path);
    // Lets the lock go.
    ~DatabaseFileLock();
    DatabaseFileLock(const DatabaseFileLock &) = delete;
    DatabaseFileLock &operator=(const DatabaseFileLock &) = delete;

    // Takes the exclusive lock, waiting out other connections for up to
    // TimeoutMs: SQLITE_OK, SQLITE_BUSY when they hold the file longer, or
    // the engine's code of another failure (the file cannot be opened).
    // Taken again after a backup into Handle() has let it go.
    int Acquire(int TimeoutMs);
    // Lets the lock go and closes the connection.
    void Release();

    QString Path() const { return path_; }
    // The connection that holds the lock (nullptr before Acquire).
    sqlite3 *Handle() const { return db_; }
    // The file's size, or -1 when it cannot be read.
    qint64 Size() const;
    // Reads Amount bytes at Offset through the lock's own descriptor:
    // SQLITE_OK, or the engine's code (a short read is an error).
    int Read(char *Buffer, int Amount, qint64 Offset) const;

private:
    QString path_;
    sqlite3 *db_ = nullptr;
    sqlite3_file *file_ = nullptr;
};

// "<File>-journal": where the engine keeps the journal of File.
QString JournalOf(const QString &File);

// Bytes done of the whole, after each part of a long copy.
using CopyProgress = std::function<void(qint64 Done, qint64 Total)>;

// Keeps a copy of the file Lock holds, and of the journal beside it when one
// stands, in the file's folder under a name of its own,
// "<base>-<Word>-<yyyyMMdd-HHmmss>.<suffix>" and that name's journal, so
// that the engine opens the two as the pair they were: the first second
// from now at which neither name stands. Both copies are written whole
// beside their names and synced before the journal, then the file, takes
// its name; a failure leaves neither.
// 0 with Aside the copy's name, or the system's error (errno).
int KeepAside(const DatabaseFileLock &Lock, const QString &Word, QString &Aside,
              const CopyProgress &Progress = {});

// Moves the journal that stands beside File, a database that holds nothing
// (empty or missing), aside under such a name, with an empty file as its
// database: the engine never plays it into a new database made as File.
// 0 with Aside, or the system's error.
int SetJournalAside(const QString &File, const QString &Word, QString &Aside);

// Removes a copy kept aside and its journal.
void RemoveAside(const QString &Aside);

} // namespace platform
