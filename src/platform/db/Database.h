#pragma once
// One connection to the program's database file. Statements are given in
// the program's SQL dialect (see JetSql.h); rows come back as one text per
// field, chosen by the column's declared type (see ValueText.h).
//
// The file is opened by the first statement, never created by it; a new
// file is made only by CreateFile. Every connection runs with a rollback
// journal, synchronous=FULL, a busy timeout, double-quoted string literals
// switched off, and the collation and functions of Collation.h.
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

#include "platform/db/JetSql.h"

struct sqlite3;
struct sqlite3_stmt;

namespace platform {

// The database stayed held by another connection (another workstation's
// write) past the busy timeout.
class EDatabaseBusy : public EDatabaseError
{
public:
    EDatabaseBusy(const QString &message, int code) : EDatabaseError(message, code) {}
};
// Raises EDatabaseBusy for SQLite's busy and locked codes, else
// EDatabaseError, carrying Code. The message is DatabaseFailureText(Code)
// alone: what happened in Bulgarian (a full disk, a read-only database, a
// disk error, a busy database, a key that exists already, a damaged file
// ...), or "Грешка <Code> на базата данни." for a code without words of its
// own (a mistake in a statement). The engine's own Message is kept only for
// a trigger's refusal, whose words are the schema's.
[[noreturn]] void ThrowDatabaseError(int Code, const QString &Message);
// The code a failure of the engine (its extended Code and its own Message)
// is known by in the program: Code, except for a schema format the engine
// cannot read (header bytes 44 to 47), which it gives as a plain error
// "unsupported file format": that file is as unreadable to it as one whose
// header is damaged, SQLITE_NOTADB.
int EngineFailureCode(int Code, const QString &Message);
// The operator's text of an SQLite result code: its cause (below), then
// what it means for the work at hand; "Грешка <Code> на базата данни." for
// a code without words of its own.
QString DatabaseFailureText(int Code);
// The cause alone, a small letter first and no full stop, for the middle of
// a sentence ("дискът е пълен"); "грешка <Code> на базата данни" for a code
// without words of its own.
QString DatabaseFailureCause(int Code);
// The one of a database held by another workstation past the busy timeout:
// nothing was written, and the same save can be made again.
QString DatabaseBusyText();

// What the first bytes of a file say of it, next to the header the engine
// writes into every file a connection of ours makes or writes: the journal
// versions 1 and 1 (a rollback journal, never a WAL log), no bytes
// reserved at the end of a page, and the payload fractions 64, 32 and 32.
// A file holding other values there was written by something else, or is
// damaged: the engine may read it with no error and still not as it was
// written (another page layout), or take it for read-only.
enum THeaderReading {
    hrAsWritten,     // a database header as our connections write it
    hrNotADatabase,  // no database header at all (another kind of file, an empty one)
    hrOtherHeader,   // a database header with values our connections never write there, or cut off before them
    hrUnread,        // the file could not be read (Errno)
};
// Reads the header (the first 100 bytes) of the file at Path, and nothing
// else: no lock, no engine. Errno is the system's code for hrUnread, else 0.
THeaderReading ReadDatabaseHeader(const QString &Path, int &Errno);

// The rows of a query, read forward one at a time.
class Cursor
{
public:
    Cursor(Cursor &&) noexcept;
    Cursor &operator=(Cursor &&) noexcept;
    ~Cursor();

    // Moves to the next row; false after the last. Raises EDatabaseError.
    bool Next();

    int ColumnCount() const;
    // The field name: the alias, or the origin column's name.
    QString ColumnName(int col) const;
    // The declared type of the origin column; empty for an expression.
    QString DeclType(int col) const;
    // Whether the column holds text (its declared type, or its value).
    bool IsTextColumn(int col) const;
    // The field of the current row as text; NULL gives "".
    QString Text(int col) const;
    bool IsNull(int col) const;
    // Whether the field of the current row holds a number (an integer or a
    // floating value; not NULL, text or a blob), and then its Value. Rows
    // of a crosstab, held as their texts, give none.
    bool Number(int col, double &Value) const;

private:
    friend class Database;
    struct State;
    explicit Cursor(std::unique_ptr<State> state);
    std::unique_ptr<State> d_;
};

// All rows of a query, already as text.
struct QueryResult
{
    QStringList columns;
    QStringList declTypes;
    std::vector<QStringList> rows;
};

class Database
{
public:
    Database();
    explicit Database(const QString &path);
    virtual ~Database();
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    // The database file. Changing it closes the connection.
    QString Path() const { return path_; }
    void SetPath(const QString &path);

    bool IsOpen() const { return db_ != nullptr; }
    // Opens the existing file (never creates it); raises EDatabaseError.
    void Open();
    // Closes the connection; an open transaction is rolled back.
    void Close();

    // Runs one statement that returns no rows. Raises EDatabaseError.
    void Execute(const QString &jet);
    // Opens a query; the rows are read through the cursor.
    Cursor Select(const QString &jet);
    // A query's rows, all at once.
    QueryResult Query(const QString &jet);

    // The user tables, in the order of their creation.
    QStringList TableNames();
    // Whether a table of that name exists, whatever the case of the name
    // (a temporary table of this connection included).
    bool TableExists(const QString &name);
    // Names given here are work tables of this connection: SELECT ... INTO
    // one of them makes a TEMP table, which takes no write lock on the file
    // and which no other connection sees. Names compare case-insensitively.
    void MarkTemporaryTable(const QString &name);
    bool IsTemporaryTable(const QString &name) const;
    // The columns of a table in their order ("" list for no such table).
    QStringList ColumnNames(const QString &table);

    bool InTransaction();
    // Busy waits end after this many milliseconds (8000); a connection
    // takes the value when it opens.
    static int BusyTimeoutMs();
    static void SetBusyTimeoutMs(int Ms);

    // The raw connection, opened on first use (for the transaction class).
    sqlite3 *Handle();

    // Creates a new, empty database file with the connection settings; an
    // existing file raises EDatabaseError.
    static void CreateFile(const QString &path);

    // A routine run on every connection right after it is opened (the
    // program's schema keeps the planner's statistics whole there). An
    // error in it does not stop the opening: the connection works without.
    using OpenedHook = void (*)(Database &);
    static void SetOpenedHook(OpenedHook hook);

    // The database file's restore mark (its header's application id): a
    // restore gives the file a new one, and a connection opened before that
    // commits nothing more into it (a write then fails with
    // SQLITE_CONSTRAINT_COMMITHOOK, told as a database restored meanwhile).
    static quint32 RestoreMark(sqlite3 *db);
    static void SetRestoreMark(sqlite3 *db, quint32 Mark);

private:
    friend class DbTransaction;
    static int RefuseAfterRestore(void *Self);
    void RunSqlite(const QString &sql);
    sqlite3_stmt *Prepare(const QString &sql);
    [[noreturn]] void Raise();
    void ExecuteSelectInto(const JetSql::Statement &st);
    Cursor OpenCrosstab(const JetSql::Statement &st);
    Cursor OpenCrosstabByColumns(const JetSql::Statement &st);

    QString path_;
    sqlite3 *db_ = nullptr;
    int transactionDepth_ = 0;
    QStringList temporaryTables_;
    // The restore mark read as the connection opened, when it could be.
    bool markKnown_ = false;
    quint32 mark_ = 0;
};

} // namespace platform
