#pragma once
// A connection that only reads a database file: opened read-only, with no
// setting and no statement that writes, so the file stays as it is whatever
// it holds (another program's database in any journal mode, a damaged one).
// A file in WAL mode is read together with its log, which stays unfolded;
// the engine makes the shared-memory file beside them, as any reader does.
#include <QString>
#include <QStringList>

struct sqlite3;

namespace platform {

class ReadingConnection
{
public:
    enum TReading {
        // The committed state, waiting out a writer up to the busy timeout.
        rdCommitted,
        // The main file as it stands, taking no lock and reading neither a
        // journal left by a write broken off nor a WAL log: for looking at a
        // file whose journal only a writer could roll back.
        rdAsItStands,
    };

    explicit ReadingConnection(const QString &Path, TReading Reading = rdCommitted);
    ~ReadingConnection();
    ReadingConnection(const ReadingConnection &) = delete;
    ReadingConnection &operator=(const ReadingConnection &) = delete;

    // The first column of each row of Sql (with Argument bound as ?1); false
    // when the file cannot be opened or the statement fails.
    bool Column(const char *Sql, const QString &Argument, QStringList &Values);
    // SQLite's extended code of the last failure, of the opening too, as
    // EngineFailureCode gives it; 0 when the last statement ran.
    int Failure() const { return failure_; }

private:
    sqlite3 *db_ = nullptr;
    int failure_ = 0;
};

} // namespace platform
