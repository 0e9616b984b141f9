#include "platform/db/Database.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/db/Collation.h"
#include "platform/db/Transaction.h"
#include "platform/db/ValueText.h"

namespace platform {

namespace {

QString ErrorText(sqlite3 *db)
{
    return db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("out of memory");
}

int g_BusyTimeoutMs = 8000;

// What the operator is told of an engine failure: its cause, and what that
// means for the work at hand, which the whole text adds.
struct FailureWords
{
    const char *Cause = nullptr;
    const char *Then = nullptr;
};

FailureWords WordsOf(int Code)
{
    switch (Code) {
    case SQLITE_CONSTRAINT_PRIMARYKEY:
    case SQLITE_CONSTRAINT_UNIQUE: return {"запис със същия ключ вече съществува", ": данните не са записани."};
    case SQLITE_CONSTRAINT_TRIGGER: return {};  // the schema's own words, RAISE's message
    // The file was replaced under the connection: a restore from an archive
    // on some workstation. The connection still reads the file that is gone.
    case SQLITE_READONLY_DBMOVED:
    // The same, over a file restored in place: its restore mark is no longer
    // the one the connection opened with (RefuseAfterRestore).
    case SQLITE_CONSTRAINT_COMMITHOOK:
        return {"базата данни е възстановена от архивно копие, докато програмата работи",
                ": данните не са записани. Затворете програмата и я стартирайте отново."};
    default: break;
    }
    switch (Code & 0xFF) {
    case SQLITE_FULL: return {"дискът е пълен", ": данните не са записани."};
    case SQLITE_READONLY:
        return {"базата данни е само за четене",
                ": данните не са записани. Проверете правата за запис във файла и в папката му."};
    case SQLITE_IOERR: return {"грешка при четене или запис на диска", ": действието не е изпълнено."};
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return {"базата данни е заета от друго работно място",
                ". Данните не са записани: опитайте отново след малко."};
    case SQLITE_CONSTRAINT: return {"данните нарушават ограничение на базата данни", ": не са записани."};
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB: return {"файлът на базата данни е повреден", ". Възстановете базата от архивно копие."};
    case SQLITE_CANTOPEN: return {"файлът на базата данни не може да бъде отворен", "."};
    case SQLITE_NOMEM: return {"няма достатъчно памет за работа с базата данни", "."};
    default: return {};
    }
}

} // namespace

QString DatabaseFailureCause(int Code)
{
    const char *const cause = WordsOf(Code).Cause;
    return cause ? QString::fromUtf8(cause) : QStringLiteral("грешка %1 на базата данни").arg(Code);
}

QString DatabaseFailureText(int Code)
{
    const FailureWords words = WordsOf(Code);
    const QString cause = DatabaseFailureCause(Code);
    return cause.left(1).toUpper() + cause.mid(1) + QString::fromUtf8(words.Then ? words.Then : ".");
}

QString DatabaseBusyText() { return DatabaseFailureText(SQLITE_BUSY); }

int EngineFailureCode(int Code, const QString &Message)
{
    return Code == SQLITE_ERROR && Message == QLatin1String("unsupported file format") ? SQLITE_NOTADB : Code;
}

THeaderReading ReadDatabaseHeader(const QString &Path, int &Errno)
{
    Errno = 0;
    const int fd = ::open(QFile::encodeName(Path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        Errno = errno;
        return hrUnread;
    }
    unsigned char header[100];
    ssize_t got = 0;
    while (got < ssize_t(sizeof header)) {
        const ssize_t n = ::read(fd, header + got, sizeof header - size_t(got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            Errno = errno;
        if (n <= 0)
            break;
        got += n;
    }
    ::close(fd);
    if (Errno)
        return hrUnread;
    static const char magic[16] = "SQLite format 3";
    if (got < ssize_t(sizeof magic) || std::memcmp(header, magic, sizeof magic) != 0)
        return hrNotADatabase;
    // Bytes 18 to 23: the write and read versions, the reserved bytes, the
    // three fractions.
    static const unsigned char written[6] = {1, 1, 0, 64, 32, 32};
    return got >= 24 && std::memcmp(header + 18, written, sizeof written) == 0 ? hrAsWritten : hrOtherHeader;
}

// The engine's failures reach the operator in Bulgarian only, whichever
// window meets them: its own English text is never shown; a failure without
// words of its own (a mistake in a statement) is told by its code, and the
// windows show the statement beside it. A trigger's refusal keeps its text:
// those words are the schema's. A database held by another connection past
// the busy timeout raises EDatabaseBusy, so that the program can say so and
// the operator can try again; any other failure EDatabaseError.
[[noreturn]] void ThrowDatabaseError(int Code, const QString &Message)
{
    Code = EngineFailureCode(Code, Message);
    const QString text = Code == SQLITE_CONSTRAINT_TRIGGER ? Message : DatabaseFailureText(Code);
    const int primary = Code & 0xFF;
    if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED)
        throw EDatabaseBusy(text, Code);
    throw EDatabaseError(text, Code);
}

namespace {

[[noreturn]] void ThrowOf(sqlite3 *db)
{
    ThrowDatabaseError(db ? sqlite3_extended_errcode(db) : SQLITE_NOMEM, ErrorText(db));
}

void ExecOrRaise(sqlite3 *db, const char *sql)
{
    char *err = nullptr;
    if (const int rc = sqlite3_exec(db, sql, nullptr, nullptr, &err); rc != SQLITE_OK) {
        const QString message = err ? QString::fromUtf8(err) : ErrorText(db);
        sqlite3_free(err);
        ThrowDatabaseError(rc, message);
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
    ExecOrRaise(db, "PRAGMA cache_size=-65536");
    RegisterJetFunctions(db);
}

Database::OpenedHook openedHook = nullptr;

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

    // Rows held in memory (a crosstab spread into its columns): the texts
    // and value types of row r at [r * columns, (r + 1) * columns).
    bool inMemory = false;
    std::vector<QString> texts;
    std::vector<unsigned char> types;
    size_t rows = 0;
    size_t current = 0;
    size_t next = 0;

    size_t At(int col) const { return current * static_cast<size_t>(names.size()) + static_cast<size_t>(col); }

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
    if (d_->inMemory) {
        if (d_->next >= d_->rows)
            return false;
        d_->current = d_->next++;
        d_->onRow = true;
        return true;
    }
    if (!d_->stmt)
        return false;
    const int rc = sqlite3_step(d_->stmt);
    if (rc == SQLITE_ROW) {
        d_->onRow = true;
        return true;
    }
    const QString message = ErrorText(d_->db);
    const int code = d_->db ? sqlite3_extended_errcode(d_->db) : rc;
    sqlite3_finalize(d_->stmt);
    d_->stmt = nullptr;
    if (rc != SQLITE_DONE)
        ThrowDatabaseError(code, message);
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
    if (!d_->onRow || col < 0 || col >= ColumnCount())
        return false;
    if (d_->inMemory)
        return d_->types[d_->At(col)] == SQLITE_TEXT;
    return sqlite3_column_type(d_->stmt, col) == SQLITE_TEXT;
}

QString Cursor::Text(int col) const
{
    if (!d_->onRow || col < 0 || col >= ColumnCount())
        return QString();
    if (d_->inMemory)
        return d_->texts[d_->At(col)];
    return RenderColumn(d_->stmt, col, d_->rendering[col]);
}

bool Cursor::IsNull(int col) const
{
    if (!d_->onRow || col < 0 || col >= ColumnCount())
        return true;
    if (d_->inMemory)
        return d_->types[d_->At(col)] == SQLITE_NULL;
    return sqlite3_column_type(d_->stmt, col) == SQLITE_NULL;
}

bool Cursor::Number(int col, double &Value) const
{
    if (!d_->onRow || col < 0 || col >= ColumnCount() || d_->inMemory)
        return false;
    // One call into the connection a field (a read along a whole index
    // takes one a row).
    sqlite3_value *field = sqlite3_column_value(d_->stmt, col);
    const int type = sqlite3_value_type(field);
    if (type != SQLITE_INTEGER && type != SQLITE_FLOAT)
        return false;
    Value = sqlite3_value_double(field);
    return true;
}

// ---------------------------------------------------------------- Database

Database::Database() = default;

Database::Database(const QString &path) : path_(path) {}

Database::~Database() { Close(); }

int Database::BusyTimeoutMs() { return g_BusyTimeoutMs; }

void Database::SetBusyTimeoutMs(int Ms) { g_BusyTimeoutMs = Ms; }

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
        throw EDatabaseError(QStringLiteral("Не е зададен файл на базата данни."));
    if (!QFileInfo(path_).isFile())
        throw EDatabaseError(QStringLiteral("Файлът \"%1\" не е намерен.").arg(QDir::toNativeSeparators(path_)),
                             SQLITE_CANTOPEN);
    sqlite3 *db = nullptr;
    // A connection is used by one thread at a time (the main thread).
    const int rc = sqlite3_open_v2(QFile::encodeName(path_).constData(), &db,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        const QString message = ErrorText(db);
        const int code = db ? sqlite3_extended_errcode(db) : rc;
        sqlite3_close(db);
        ThrowDatabaseError(code, message);
    }
    try {
        Configure(db);
    } catch (...) {
        sqlite3_close(db);
        throw;
    }
    db_ = db;
    transactionDepth_ = 0;
    markKnown_ = false;
    try {
        mark_ = RestoreMark(db);
        markKnown_ = true;
    } catch (const std::exception &) {
        // Busy or unreadable now: this connection's commits go unchecked.
    }
    sqlite3_commit_hook(db, &Database::RefuseAfterRestore, this);
    if (openedHook) {
        try {
            openedHook(*this);
        } catch (const std::exception &) {
            // A read-only or busy file keeps the figures it has.
        }
    }
}

void Database::SetOpenedHook(OpenedHook hook) { openedHook = hook; }

quint32 Database::RestoreMark(sqlite3 *db)
{
    sqlite3_stmt *stmt = nullptr;
    if (sqlite3_prepare_v2(db, "PRAGMA application_id", -1, &stmt, nullptr) != SQLITE_OK)
        ThrowOf(db);
    const int rc = sqlite3_step(stmt);
    const quint32 mark = rc == SQLITE_ROW ? quint32(sqlite3_column_int64(stmt, 0)) : 0;
    sqlite3_finalize(stmt);
    if (rc != SQLITE_ROW)
        ThrowOf(db);
    return mark;
}

void Database::SetRestoreMark(sqlite3 *db, quint32 Mark)
{
    ExecOrRaise(db, QByteArray("PRAGMA application_id=" + QByteArray::number(qint32(Mark))).constData());
}

int Database::RefuseAfterRestore(void *Self)
{
    // Called as a write transaction commits, under its write lock: the
    // restore, which holds the file while it puts the archive's data in,
    // has ended, and the mark on the disk is the restored file's. No
    // statement may run here, so the header's four bytes are read through
    // the connection's own file.
    const auto *self = static_cast<const Database *>(Self);
    if (!self->markKnown_ || sqlite3_txn_state(self->db_, "main") != SQLITE_TXN_WRITE)
        return 0;
    sqlite3_file *file = nullptr;
    if (sqlite3_file_control(self->db_, "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK || !file
        || !file->pMethods)
        return 0;
    unsigned char mark[4];
    if (file->pMethods->xRead(file, mark, sizeof mark, 68) != SQLITE_OK)
        return 0;
    return qFromBigEndian<quint32>(mark) != self->mark_ ? 1 : 0;
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
        throw EDatabaseError(QStringLiteral("Файлът \"%1\" вече съществува.").arg(QDir::toNativeSeparators(path)));
    sqlite3 *db = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    try {
        if (rc != SQLITE_OK)
            ThrowOf(db);
        Configure(db);
        // Writes the header, so that the file is a database from now on.
        ExecOrRaise(db, "PRAGMA user_version=1");
    } catch (...) {
        sqlite3_close(db);
        throw;
    }
    sqlite3_close(db);
    // The engine makes its files readable by the owner's group and others
    // only; every user of the group shares the database, so it takes the
    // umask's permissions as the program's other files do (its journals
    // then follow it).
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::chmod(QFile::encodeName(path).constData(), 0666 & ~mask);
}

void Database::Raise() { ThrowOf(db_); }

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
        const int code = sqlite3_extended_errcode(db_);
        sqlite3_finalize(stmt);
        ThrowDatabaseError(code, message);
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

void Database::MarkTemporaryTable(const QString &name)
{
    if (!IsTemporaryTable(name))
        temporaryTables_ += name.toLower();
}

bool Database::IsTemporaryTable(const QString &name) const { return temporaryTables_.contains(name.toLower()); }

void Database::ExecuteSelectInto(const JetSql::Statement &st)
{
    const bool temporary = IsTemporaryTable(st.intoTable);
    if (temporary) {
        // Only the connection's temporary schema is written: no IMMEDIATE
        // transaction, so the shared file is read, never locked for writing.
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
        for (const QString &s : JetSql::CreateTableStatements(st.intoTable, columns, true))
            RunSqlite(s);
        try {
            RunSqlite(QStringLiteral("INSERT INTO temp.%1 %2").arg(SqlIdentifier(st.intoTable), st.sql));
        } catch (...) {
            try {
                RunSqlite(QStringLiteral("DROP TABLE temp.%1").arg(SqlIdentifier(st.intoTable)));
            } catch (...) {
            }
            throw;
        }
        return;
    }
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

namespace {

// A value of a crosstab's grouped query kept past the step that read it.
struct HeldValue
{
    int type = SQLITE_NULL;
    qint64 i = 0;
    double r = 0;
    QByteArray bytes;

    static HeldValue Of(sqlite3_stmt *stmt, int col)
    {
        HeldValue v;
        v.type = sqlite3_column_type(stmt, col);
        if (v.type == SQLITE_INTEGER)
            v.i = sqlite3_column_int64(stmt, col);
        else if (v.type == SQLITE_FLOAT)
            v.r = sqlite3_column_double(stmt, col);
        else if (v.type != SQLITE_NULL)
            v.bytes = QByteArray(reinterpret_cast<const char *>(sqlite3_column_text(stmt, col)),
                                 sqlite3_column_bytes(stmt, col));
        return v;
    }
};

// The value classes in the order SQLite sorts them: NULL, numbers, text.
int ValueClass(int type)
{
    switch (type) {
    case SQLITE_NULL:
        return 0;
    case SQLITE_INTEGER:
    case SQLITE_FLOAT:
        return 1;
    default:
        return 2;
    }
}

// Compares two values as ORDER BY and GROUP BY of SQLite compare them;
// text through the text columns' collation where jet is set.
int CompareHeld(const HeldValue &a, const HeldValue &b, bool jet)
{
    const int ca = ValueClass(a.type);
    const int cb = ValueClass(b.type);
    if (ca != cb)
        return ca < cb ? -1 : 1;
    if (ca == 0)
        return 0;
    if (ca == 1) {
        if (a.type == SQLITE_INTEGER && b.type == SQLITE_INTEGER)
            return a.i < b.i ? -1 : (a.i > b.i ? 1 : 0);
        const double x = a.type == SQLITE_INTEGER ? static_cast<double>(a.i) : a.r;
        const double y = b.type == SQLITE_INTEGER ? static_cast<double>(b.i) : b.r;
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    if (jet)
        return JetCompare(a.bytes.constData(), a.bytes.size(), b.bytes.constData(), b.bytes.size());
    const int c = a.bytes.compare(b.bytes);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

struct StatementGuard
{
    sqlite3_stmt *stmt;
    ~StatementGuard() { sqlite3_finalize(stmt); }
};

} // namespace

// One grouped query gives a row per cell; the cells are spread into the
// columns of their pivot values here, in the pivot values' order.
Cursor Database::OpenCrosstab(const JetSql::Statement &st)
{
    const JetSql::GroupedCrosstab grouped = JetSql::CrosstabGroupedQuery(st);
    if (grouped.sql.isEmpty())
        return OpenCrosstabByColumns(st);
    StatementGuard guard{Prepare(grouped.sql)};
    sqlite3_stmt *stmt = guard.stmt;
    const int headings = static_cast<int>(grouped.combine.size());
    const int pivotCol = headings;
    const int cellCol = headings + 1;
    const int firstKey = headings + 2;

    auto state = std::make_unique<Cursor::State>();
    state->db = db_;
    state->inMemory = true;
    std::vector<Rendering> rendering;
    for (int c = 0; c < headings; ++c) {
        const char *decl = sqlite3_column_decltype(stmt, c);
        state->names += QString::fromUtf8(sqlite3_column_name(stmt, c));
        state->declTypes += decl ? QString::fromUtf8(decl) : QString();
        rendering.push_back(RenderingOf(decl));
    }
    auto textColumn = [stmt](int c) {
        const char *decl = sqlite3_column_decltype(stmt, c);
        return decl && JetSql::IsTextType(QString::fromUtf8(decl));
    };
    const bool pivotJet = textColumn(pivotCol);
    std::vector<bool> keyJet;
    for (int k = 0; k < grouped.keys; ++k)
        keyJet.push_back(textColumn(firstKey + k));

    // An aggregate heading of a row: the cells' shares added up as the
    // database adds values (whole numbers stay whole, NULLs do not count).
    struct Share
    {
        bool any = false;
        bool real = false;
        qint64 i = 0;
        double r = 0;
    };
    auto finish = [&](size_t row, const std::vector<Share> &shares, std::vector<QString> &texts,
                      std::vector<unsigned char> &types) {
        for (int c = 0; c < headings; ++c) {
            const JetSql::GroupedCrosstab::Combine how = grouped.combine[c];
            if (how == JetSql::GroupedCrosstab::Plain)
                continue;
            const Share &s = shares[c];
            const size_t at = row * headings + c;
            if (how == JetSql::GroupedCrosstab::Total || (s.real && how == JetSql::GroupedCrosstab::Sum)) {
                texts[at] = FormatGeneral(s.r);
                types[at] = SQLITE_FLOAT;
            } else if (s.any || how == JetSql::GroupedCrosstab::Count) {
                texts[at] = QString::number(s.i);
                types[at] = SQLITE_INTEGER;
            } else {
                texts[at] = QString();
                types[at] = SQLITE_NULL;
            }
        }
    };

    // The row groups with their headings, and every cell with its row.
    struct Cell
    {
        size_t row;
        HeldValue pivot;
        QString text;
        int type;
    };
    std::vector<Cell> cells;
    std::vector<QString> headingTexts;
    std::vector<unsigned char> headingTypes;
    std::vector<HeldValue> lastKeys;
    std::vector<HeldValue> keys;
    std::vector<Share> shares(headings);
    size_t rows = 0;
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        bool same = rows > 0;
        keys.clear();
        for (int k = 0; k < grouped.keys; ++k) {
            keys.push_back(HeldValue::Of(stmt, firstKey + k));
            if (same && CompareHeld(keys.back(), lastKeys[k], keyJet[k]) != 0)
                same = false;
        }
        if (!same) {
            if (rows > 0)
                finish(rows - 1, shares, headingTexts, headingTypes);
            ++rows;
            for (int c = 0; c < headings; ++c) {
                headingTexts.push_back(grouped.combine[c] == JetSql::GroupedCrosstab::Plain
                                           ? RenderColumn(stmt, c, rendering[c])
                                           : QString());
                headingTypes.push_back(static_cast<unsigned char>(sqlite3_column_type(stmt, c)));
            }
            std::swap(lastKeys, keys);
            shares.assign(headings, Share());
        }
        for (int c = 0; c < headings; ++c) {
            if (grouped.combine[c] == JetSql::GroupedCrosstab::Plain)
                continue;
            Share &s = shares[c];
            switch (sqlite3_column_type(stmt, c)) {
            case SQLITE_NULL:
                break;
            case SQLITE_INTEGER: {
                const qint64 v = sqlite3_column_int64(stmt, c);
                s.any = true;
                s.i += v;
                s.r += static_cast<double>(v);
                break;
            }
            default:
                s.any = true;
                s.real = true;
                s.r += sqlite3_column_double(stmt, c);
                break;
            }
        }
        cells.push_back({rows - 1, HeldValue::Of(stmt, pivotCol), RenderColumn(stmt, cellCol, Rendering::ByValue),
                         sqlite3_column_type(stmt, cellCol)});
    }
    if (rc != SQLITE_DONE)
        Raise();
    if (rows > 0)
        finish(rows - 1, shares, headingTexts, headingTypes);

    // The pivot values in order, values equal for the database made one.
    std::vector<const HeldValue *> order;
    order.reserve(cells.size());
    for (const Cell &c : cells)
        order.push_back(&c.pivot);
    auto less = [pivotJet](const HeldValue *a, const HeldValue *b) { return CompareHeld(*a, *b, pivotJet) < 0; };
    std::stable_sort(order.begin(), order.end(), less);
    order.erase(std::unique(order.begin(), order.end(),
                            [pivotJet](const HeldValue *a, const HeldValue *b) {
                                return CompareHeld(*a, *b, pivotJet) == 0;
                            }),
                order.end());
    for (const HeldValue *v : order) {
        JetSql::PivotValue p;
        switch (v->type) {
        case SQLITE_INTEGER:
            p.type = JetSql::PivotValue::Integer;
            p.i = v->i;
            break;
        case SQLITE_FLOAT:
            p.type = JetSql::PivotValue::Real;
            p.r = v->r;
            break;
        case SQLITE_NULL:
            break;
        default:
            p.type = JetSql::PivotValue::Text;
            p.text = QString::fromUtf8(v->bytes);
            break;
        }
        state->names += JetSql::PivotCaption(st, p);
        state->declTypes += QString();
    }

    const size_t width = static_cast<size_t>(headings) + order.size();
    state->texts.resize(rows * width);
    state->types.assign(rows * width, SQLITE_NULL);
    for (size_t r = 0; r < rows; ++r)
        for (int c = 0; c < headings; ++c) {
            state->texts[r * width + c] = headingTexts[r * headings + c];
            state->types[r * width + c] = headingTypes[r * headings + c];
        }
    for (const Cell &c : cells) {
        const auto at = std::lower_bound(order.begin(), order.end(), &c.pivot, less);
        const size_t i = c.row * width + static_cast<size_t>(headings) + static_cast<size_t>(at - order.begin());
        state->texts[i] = c.text;
        state->types[i] = static_cast<unsigned char>(c.type);
    }
    state->rows = rows;
    return Cursor(std::move(state));
}

Cursor Database::OpenCrosstabByColumns(const JetSql::Statement &st)
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
            const int code = sqlite3_extended_errcode(db_);
            sqlite3_finalize(stmt);
            ThrowDatabaseError(code, message);
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
    Cursor c = Select(QStringLiteral("SELECT name FROM sqlite_temp_master WHERE type = 'table'"));
    while (c.Next())
        if (c.Text(0).compare(name, Qt::CaseInsensitive) == 0)
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
