#pragma once
// The one shared database connection and the small set of primitives through
// which every window reads and writes: a query into a record list, a
// statement, table existence and dropping, the next free code, and the
// searches over record lists that forms use on query results.
//
// Statements are the program's own SQL text; the layer of
// platform/db carries them to SQLite. Text values go into a statement only
// through SqlEscape (platform/db/JetSql.h), between the template's double
// quotes:  "Update va set value_va = \"%s\" where code_va = %d".
// A save of several statements runs inside one platform::DbTransaction
// (platform/db/Transaction.h), or through ExecSQLInTransaction below.
#include <QString>
#include <QStringList>
#include <optional>

#include "core/uDelimitedStrings.h"
#include "platform/db/Database.h"
#include "platform/db/JetSql.h"
#include "platform/db/Transaction.h"

class QCoreApplication;
class QObject;

using platform::SqlEscape;

// The connection object. Its connection string is kept as the program
// writes it; only the data-source piece means anything here: it
// names the database file. The other pieces (the provider, the sharing mode,
// the database password "vux" ...) have no counterpart in SQLite and are
// carried as text only, so that the year-end closing can edit the string.
class TADOConnection : public platform::Database
{
public:
    explicit TADOConnection(QObject *Owner = nullptr) : Owner_(Owner) {}

    QObject *Owner() const { return Owner_; }
    QString ConnectionString() const { return ConnectionString_; }
    // Sets the text and the file that its data-source piece names.
    void SetConnectionString(const QString &Value);
    bool LoginPrompt() const { return LoginPrompt_; }
    void SetLoginPrompt(bool Value) { LoginPrompt_ = Value; }
    // True while the file is open. The first statement opens it.
    bool Connected() const { return IsOpen(); }
    void SetConnected(bool Value);

private:
    QObject *Owner_ = nullptr;
    QString ConnectionString_;
    bool LoginPrompt_ = true;
};

// The data-source value of a connection string ("" when it has none).
QString DataSourceOf(const QString &ConnectionString);

// The query object: one statement, its rows read forward.
class TADOQuery
{
public:
    explicit TADOQuery(QObject *Owner = nullptr) : Owner_(Owner) {}

    TADOConnection *Connection() const { return Connection_; }
    void SetConnection(TADOConnection *Value);
    QString SQL() const { return SQL_; }
    void SetSQL(const QString &Value);

    // Runs the statement and stands on its first row. Raises on failure.
    void Open();
    void Close();
    bool Active() const { return Cursor_.has_value(); }
    bool Eof() const { return !OnRow_; }
    void Next();

    int FieldCount() const;
    QString FieldName(int Index) const;
    // The field's text by its column's type ("" for NULL).
    QString FieldText(int Index) const;
    // The declared type of the field's column ("" for an expression).
    QString FieldDeclType(int Index) const;
    bool FieldIsText(int Index) const;

private:
    QObject *Owner_ = nullptr;
    TADOConnection *Connection_ = nullptr;
    QString SQL_;
    std::optional<platform::Cursor> Cursor_;
    bool OnRow_ = false;
};

// ---------------------------------------------------------------------------
// Process-wide state of the connection

// The shared connection: nullptr before OpenDatabase and after CloseDatabase.
extern TADOConnection *DbConnection;

// The parent folder of the folder that holds the program file, with a
// trailing '/': the program /opt/tolvex/bin/tolvex has the base folder
// /opt/tolvex/.
QString BaseFolder();
// The folder of the open database file with a trailing '/': BaseFolder +
// "db/" for the main database.
QString DataFolder();
// "" for the main database; "A_B" in the per-year mode.
QString DatabaseTag();

// The base folder of a given program file.
QString BaseFolderOfProgram(const QString &ProgramFileName);
// Tests (and only they) make OpenDatabase take the base folder from this
// program file instead of the running program's own; "" undoes it.
void SetProgramFileNameForTests(const QString &ProgramFileName);

// The connection string with the given data-source piece, before the folder
// names are filled in.
QString ConnectionStringTemplate(const QString &DataSourcePiece);
// The data-source pieces of the main database and of the per-year mode.
extern const char *const MainDataSourcePiece;      // "Data Source = %sdb/bread.db; "
extern const char *const PerYearDataSourcePiece;   // "Data Source = %sdb/%s/%s/bread_production.db; "

// ---------------------------------------------------------------------------
// The primitives

// Creates the shared connection for the database file under the base
// folder of Application's program file; the connection opens with the first
// statement. MainDatabase: "db/bread.db"; at the program's first start the
// main database and the year-end template "db/empty.db" are created with
// the whole schema (EnsureDatabaseFiles); a file that cannot serve raises
// EDatabaseError, and when the clerk keeps an empty database file no
// connection is made. The program's own database, damaged, raises
// EDatabaseFileDamaged with no connection and the folders set to it, so
// that the restore can reach it. Otherwise the per-year mode: the
// operator's password text "A B" names "db/A/B/bread_production.db" (never
// created here).
void OpenDatabase(QCoreApplication *Application, QObject *Owner, bool MainDatabase);
// Closes and frees the shared connection.
void CloseDatabase();

// Runs a query into List (cleared first) as records of '@'-joined fields,
// each field without '"', trimmed of blanks and control characters, with
// '@' and '°' made harmless (CleanFieldValue). An empty SQL gives True and
// an empty list. A failing query raises EDatabaseError.
bool SelectToList(QObject *Owner, TADOConnection *Connection, const QString &SQL, TDelimitedStringList &List);
// Closes Query, gives it the statement and opens it; True. Raises on failure.
bool ReopenQuery(TADOConnection *Connection, const QString &SQL, TADOQuery &Query);
// Adds every remaining row of DataSet to List as its fields' texts joined by
// '@', through AddText.
void DataSetToList(TADOQuery &DataSet, TDelimitedStrings &List);
// The text of a database failure for the operator: the exception's message
// (the database layer's Bulgarian text of the failure, or its code where it
// has no words), or, when another workstation held the database past the
// busy timeout, the Bulgarian text of that (nothing was written; save again).
QString DatabaseErrorMessage(const std::exception &E);
// Runs one statement; True. On failure (also a statement that does not
// prepare: a syntax error, a missing table, told by the engine's code) shows
// "Грешка при работа с базата данни !", the database's message and the
// statement, and gives False.
bool ExecSQL(QObject *Owner, TADOConnection *Connection, const QString &SQL);
// Runs the statements in order in one transaction: all or none. The first
// failure is shown as ExecSQL shows it, the rest is not run and nothing is
// written; False then.
bool ExecSQLInTransaction(QObject *Owner, TADOConnection *Connection, const QStringList &Statements);
// Whether the database has a table of that name, whatever its case.
bool TableExists(TADOConnection *Connection, const QString &Name);
// Drops the table when it exists; True. A failing drop raises.
bool DropTableIfExists(QObject *Owner, TADOConnection *Connection, const QString &Name);
// Code := the largest Field of Table + 1 (1 for an empty table) on the
// shared connection; the query's success. A failing query raises with Code
// left 0. Inside a DbTransaction the number stays free until the commit.
bool NextCode(QObject *Owner, const QString &Field, const QString &Table, int &Code);

// Searches over record lists. Texts compare exactly; columns are 0-based
// field indexes; a null list finds nothing (-1 or "").
int IndexOfFieldValue(const QString &Value, const TDelimitedStrings *List, int Col);
int FindRowByTwoColumns(const QString &Value1, const QString &Value2, const TDelimitedStrings *List, int Col2,
                        int Col1);
int FindLastRowByColumn(const QString &Value, const TDelimitedStrings *List, int Col);
// Binary search over a list sorted ascending by the integer value of field
// Col; -1 when not found.
int FindRowByCode(int Code, const TDelimitedStrings *List, int Col);
// Result := field ResultCol of the first record whose field KeyCol is Key;
// "" when none, or when the first record has no such fields.
void LookupColumn(const QString &Key, const TDelimitedStrings *List, int KeyCol, QString &Result, int ResultCol);
// The same by code through FindRowByCode; "" when the code is not found.
void LookupColumnByCode(int Code, const TDelimitedStrings *List, int KeyCol, QString &Result, int ResultCol);
