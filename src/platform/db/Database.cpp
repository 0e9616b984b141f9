#include "platform/db/Database.h"

#include <QDir>
#include <QFileInfo>
#include <sqlite3.h>

#include "platform/db/Collation.h"
#include "platform/db/Transaction.h"
#include "platform/db/ValueText.h"

namespace platform {

namespace {

QString ErrorText(sqlite3 *db)
{
    return db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("out of memory");
}

void ExecOrRaise(sqlite3 *db, const char *sql)
{
    char *err = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &err) != SQLITE_OK) {
        const QString message = err ? QString::fromUtf8(err) : ErrorText(db);
        sqlite3_free(err);
        throw EDatabaseError(message);
    }
}

// The settings of every connection the program makes.
void Configure(sqlite3 *db)
{
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_timeout(db, Database::BusyTimeoutMs());
    // With the defaults SQLite reads "code_g" as the column code_g when no
    // such column exists... and as the column when it does: SET name = "x"
    // would copy a column. Only single quotes make literals here.
    sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
    ExecOrRaise(db, "PRAGMA journal_mode=DELETE");
    ExecOrRaise(db, "PRAGMA synchronous=FULL");
    RegisterJetFunctions(db);
}

} // namespace

// ---------------------------------------------------------------- Cursor

struct Cursor::State
{
    sqlite3 *db = nullptr;
    sqlite3_stmt *stmt = nullptr;
    QStringList names;
    QStringList declTypes;
    std::vector<Rendering> rendering;
    bool onRow = false;

    ~State() { sqlite3_finalize(stmt); }
};

Cursor::Cursor(std::unique_ptr<State> state) : d_(std::move(state))
{
    sqlite3_stmt *s = d_->stmt;
    if (!s)
        return;
    const int n = sqlite3_column_count(s);
    d_->rendering.reserve(n);
    for (int i = 0; i < n; ++i) {
        const char *decl = sqlite3_column_decltype(s, i);
        d_->names += QString::fromUtf8(sqlite3_column_name(s, i));
        d_->declTypes += decl ? QString::fromUtf8(decl) : QString();
        d_->rendering.push_back(RenderingOf(decl));
    }
}

Cursor::Cursor(Cursor &&) noexcept = default;
Cursor &Cursor::operator=(Cursor &&) noexcept = default;
Cursor::~Cursor() = default;

bool Cursor::Next()
{
    d_->onRow = false;
    if (!d_->stmt)
        return false;
    const int rc = sqlite3_step(d_->stmt);
    if (rc == SQLITE_ROW) {
        d_->onRow = true;
        return true;
    }
    const QString message = ErrorText(d_->db);
    sqlite3_finalize(d_->stmt);
    d_->stmt = nullptr;
    if (rc != SQLITE_DONE)
        throw EDatabaseError(message);
    return false;
}

int Cursor::ColumnCount() const { return d_->names.size(); }
QString Cursor::ColumnName(int col) const { return d_->names.value(col); }
QString Cursor::DeclType(int col) const { return d_->declTypes.value(col); }

bool Cursor::IsTextColumn(int col) const
{
    const QString decl = DeclType(col);
    if (!decl.isEmpty())
        return JetSql::IsTextType(decl);
    return d_->onRow && sqlite3_column_type(d_->stmt, col) == SQLITE_TEXT;
}

QString Cursor::Text(int col) const
{
    if (!d_->onRow || col < 0 || col >= ColumnCount())
        return QString();
    return RenderColumn(d_->stmt, col, d_->rendering[col]);
}

bool Cursor::IsNull(int col) const
{
    return !d_->onRow || col < 0 || col >= ColumnCount() ||
           sqlite3_column_type(d_->stmt, col) == SQLITE_NULL;
}

// ---------------------------------------------------------------- Database

Database::Database() = default;

Database::Database(const QString &path) : path_(path) {}

Database::~Database() { Close(); }

int Database::BusyTimeoutMs() { return 8000; }

void Database::SetPath(const QString &path)
{
    if (path == path_)
        return;
    Close();
    path_ = path;
}

void Database::Open()
{
    if (db_)
        return;
    if (path_.isEmpty())
        throw EDatabaseError(QStringLiteral("No database file is given."));
    if (!QFileInfo(path_).isFile())
        throw EDatabaseError(QStringLiteral("Could not find file '%1'.").arg(QDir::toNativeSeparators(path_)));
    sqlite3 *db = nullptr;
    // A connection is used by one thread at a time (the main thread).
    const int rc = sqlite3_open_v2(QFile::encodeName(path_).constData(), &db,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        const QString message = ErrorText(db);
        sqlite3_close(db);
        throw EDatabaseError(message);
    }
    try {
        Configure(db);
    } catch (...) {
        sqlite3_close(db);
        throw;
    }
    db_ = db;
    transactionDepth_ = 0;
}

void Database::Close()
{
    if (!db_)
        return;
    sqlite3_close_v2(db_);
    db_ = nullptr;
    transactionDepth_ = 0;
}

sqlite3 *Database::Handle()
{
    Open();
    return db_;
}

void Database::CreateFile(const QString &path)
{
    if (QFileInfo::exists(path))
        throw EDatabaseError(QStringLiteral("File '%1' already exists.").arg(QDir::toNativeSeparators(path)));
    sqlite3 *db = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    try {
        if (rc != SQLITE_OK)
            throw EDatabaseError(ErrorText(db));
        Configure(db);
        // Writes the header, so that the file is a database from now on.
        ExecOrRaise(db, "PRAGMA user_version=1");
    } catch (...) {
        sqlite3_close(db);
        throw;
    }
    sqlite3_close(db);
}

void Database::Raise() { throw EDatabaseError(ErrorText(db_)); }

sqlite3_stmt *Database::Prepare(const QString &sql)
{
    sqlite3 *db = Handle();
    const QByteArray utf8 = sql.toUtf8();
    sqlite3_stmt *stmt = nullptr;
    const char *tail = nullptr;
    if (sqlite3_prepare_v2(db, utf8.constData(), utf8.size(), &stmt, &tail) != SQLITE_OK)
        Raise();
    if (tail && !QByteArray(tail).trimmed().isEmpty()) {
        sqlite3_finalize(stmt);
        throw EDatabaseError(QStringLiteral("Characters found after end of SQL statement."));
    }
    return stmt;
}

void Database::RunSqlite(const QString &sql)
{
    sqlite3_stmt *stmt = Prepare(sql);
    if (!stmt)
        return;
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE) {
        const QString message = ErrorText(db_);
        sqlite3_finalize(stmt);
        throw EDatabaseError(message);
    }
    sqlite3_finalize(stmt);
}

void Database::Execute(const QString &jet)
{
    const JetSql::Statement st = JetSql::Translate(jet);
    switch (st.kind) {
    case JetSql::Statement::Empty:
        return;
    case JetSql::Statement::SelectInto:
        ExecuteSelectInto(st);
        return;
    case JetSql::Statement::Crosstab: {
        Cursor c = OpenCrosstab(st);
        while (c.Next()) {
        }
        return;
    }
    case JetSql::Statement::Plain:
        break;
    }
    if (st.after.isEmpty()) {
        RunSqlite(st.sql);
        return;
    }
    DbTransaction tr(*this);
    RunSqlite(st.sql);
    for (const QString &s : st.after)
        RunSqlite(s);
    tr.Commit();
}

void Database::ExecuteSelectInto(const JetSql::Statement &st)
{
    DbTransaction tr(*this);
    std::vector<JetSql::ColumnDef> columns;
    {
        sqlite3_stmt *stmt = Prepare(st.sql);
        if (!stmt)
            throw EDatabaseError(QStringLiteral("SELECT ... INTO without a query"));
        for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
            const char *decl = sqlite3_column_decltype(stmt, i);
            columns.push_back({QString::fromUtf8(sqlite3_column_name(stmt, i)),
                               decl ? QString::fromUtf8(decl) : QString()});
        }
        sqlite3_finalize(stmt);
    }
    for (const QString &s : JetSql::CreateTableStatements(st.intoTable, columns))
        RunSqlite(s);
    RunSqlite(QStringLiteral("INSERT INTO %1 %2").arg(SqlIdentifier(st.intoTable), st.sql));
    tr.Commit();
}

Cursor Database::OpenCrosstab(const JetSql::Statement &st)
{
    std::vector<JetSql::PivotValue> values;
    {
        sqlite3_stmt *stmt = Prepare(JetSql::CrosstabValuesQuery(st));
        int rc;
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
            JetSql::PivotValue v;
            switch (sqlite3_column_type(stmt, 0)) {
            case SQLITE_INTEGER:
                v.type = JetSql::PivotValue::Integer;
                v.i = sqlite3_column_int64(stmt, 0);
                break;
            case SQLITE_FLOAT:
                v.type = JetSql::PivotValue::Real;
                v.r = sqlite3_column_double(stmt, 0);
                break;
            case SQLITE_NULL:
                break;
            default:
                v.type = JetSql::PivotValue::Text;
                v.text = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0)),
                                           sqlite3_column_bytes(stmt, 0));
                break;
            }
            values.push_back(v);
        }
        if (rc != SQLITE_DONE) {
            const QString message = ErrorText(db_);
            sqlite3_finalize(stmt);
            throw EDatabaseError(message);
        }
        sqlite3_finalize(stmt);
    }
    auto state = std::make_unique<Cursor::State>();
    state->db = db_;
    state->stmt = Prepare(JetSql::CrosstabQuery(st, values));
    return Cursor(std::move(state));
}

Cursor Database::Select(const QString &jet)
{
    const JetSql::Statement st = JetSql::Translate(jet);
    auto none = [this] {
        auto state = std::make_unique<Cursor::State>();
        state->db = db_;
        return Cursor(std::move(state));
    };
    switch (st.kind) {
    case JetSql::Statement::Empty:
        return none();
    case JetSql::Statement::SelectInto:
        ExecuteSelectInto(st);
        return none();
    case JetSql::Statement::Crosstab:
        return OpenCrosstab(st);
    case JetSql::Statement::Plain:
        break;
    }
    if (!st.after.isEmpty()) {
        Execute(jet);
        return none();
    }
    auto state = std::make_unique<Cursor::State>();
    state->stmt = Prepare(st.sql);
    state->db = db_;
    return Cursor(std::move(state));
}

QueryResult Database::Query(const QString &jet)
{
    QueryResult r;
    Cursor c = Select(jet);
    for (int i = 0; i < c.ColumnCount(); ++i) {
        r.columns += c.ColumnName(i);
        r.declTypes += c.DeclType(i);
    }
    while (c.Next()) {
        QStringList row;
        row.reserve(c.ColumnCount());
        for (int i = 0; i < c.ColumnCount(); ++i)
            row += c.Text(i);
        r.rows.push_back(row);
    }
    return r;
}

QStringList Database::TableNames()
{
    QStringList names;
    Cursor c = Select(QStringLiteral(
        "SELECT name FROM sqlite_master WHERE type = 'table' AND substr(name, 1, 7) <> 'sqlite_' ORDER BY rowid"));
    while (c.Next())
        names += c.Text(0);
    return names;
}

bool Database::TableExists(const QString &name)
{
    for (const QString &t : TableNames())
        if (t.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

QStringList Database::ColumnNames(const QString &table)
{
    QStringList names;
    Cursor c = Select(QStringLiteral("PRAGMA table_info(%1)").arg(SqlIdentifier(table)));
    while (c.Next())
        names += c.Text(1);
    return names;
}

bool Database::InTransaction() { return db_ && !sqlite3_get_autocommit(db_); }

} // namespace platform
