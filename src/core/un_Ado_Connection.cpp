#include "core/un_Ado_Connection.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QWidget>

#include "core/DialogsEx.h"
#include "core/uHelpers.h"
#include "core/unMessageTexts.h"
#include "core/unRegistryFuncs.h"
#include "core/unSchema.h"

TADOConnection *DbConnection = nullptr;

const char *const MainDataSourcePiece = "Data Source = %sdb/bread.db; ";
const char *const PerYearDataSourcePiece = "Data Source = %sdb/%s/%s/bread_production.db; ";

namespace {

QString g_BaseFolder;
QString g_DataFolder;
QString g_DatabaseTag;
QString g_ProgramFileNameForTests;

// The pieces of the connection string around the data source, as the
// program writes them.
const char *const kPiecesBefore = "Provider=Microsoft.Jet.OLEDB.4.0; User ID=Admin; ";
const char *const kPiecesAfter =
    "Mode=Share Deny None; "
    "Extended Properties=\"\"; "
    "Jet OLEDB:System database=\"\"; "
    "Jet OLEDB:Registry Path=\"\"; "
    "Jet OLEDB:Database Password=\"vux\"; "
    "Jet OLEDB:Engine Type=5; "
    "Jet OLEDB:Database Locking Mode=1; "
    "Jet OLEDB:Global Partial Bulk Ops=2; "
    "Jet OLEDB:Global Bulk Transactions=1; "
    "Jet OLEDB:New Database Password=\"\"; "
    "Jet OLEDB:Create System Database=False; "
    "Jet OLEDB:Encrypt Database=False; "
    "Jet OLEDB:Don't Copy Locale on Compact=False; "
    "Jet OLEDB:Compact Without Replica Repair=False; "
    "Jet OLEDB:SFP=False";

// Fills the "%s" places of a text in order; the values are not looked at
// again, so a '%' in a folder name stays as it is.
QString FillPlaces(const QString &text, const QStringList &values)
{
    QString out;
    int from = 0;
    int k = 0;
    for (int at = text.indexOf(QLatin1String("%s")); at >= 0; at = text.indexOf(QLatin1String("%s"), from)) {
        out += text.mid(from, at - from);
        out += values.value(k++);
        from = at + 2;
    }
    return out + text.mid(from);
}

// Blanks and control characters off both ends.
QString TrimControl(const QString &s)
{
    int b = 0;
    int e = s.size();
    while (b < e && s[b].unicode() <= ' ')
        ++b;
    while (e > b && s[e - 1].unicode() <= ' ')
        --e;
    return (b == 0 && e == s.size()) ? s : s.mid(b, e - b);
}

// A field as a record list receives it from the database.
QString CleanField(const QString &raw)
{
    // Most fields need nothing: no copy then.
    bool clean = raw.isEmpty() || (raw.front().unicode() > ' ' && raw.back().unicode() > ' ');
    for (const QChar c : raw) {
        if (!clean)
            break;
        const char16_t u = c.unicode();
        clean = u != u'"' && u != FieldDelimiterChar && u != RecordDelimiterChar;
    }
    if (clean)
        return raw;
    QString s = raw;
    s.remove(QLatin1Char('"'));
    return CleanFieldValue(TrimControl(s));
}

// Adds the rows of Query to List; Clean makes each field a record list's
// field (see SelectToList).
void RowsToList(TADOQuery &Query, TDelimitedStrings &List, bool Clean)
{
    const int n = Query.FieldCount();
    const QChar fieldDelim(FieldDelimiterChar);
    const QChar recordDelim = List.RecordDelimiter();
    List.BeginUpdate();
    try {
        for (; !Query.Eof(); Query.Next()) {
            QString record;
            bool empty = true;
            for (int i = 0; i < n; ++i) {
                if (i)
                    record += fieldDelim;
                const QString raw = Query.FieldText(i);
                empty = empty && raw.isEmpty();
                record += Clean ? CleanField(raw) : raw;
            }
            // The rows are added as text: an empty one-column row adds no
            // record, as the text splitter reads "" as no record at all.
            if (n == 1 && empty)
                continue;
            if (record.contains(recordDelim))
                List.AddText(record);
            else
                List.Add(record);
        }
    } catch (...) {
        List.EndUpdate();
        throw;
    }
    List.EndUpdate();
}

[[noreturn]] void NoConnection() { throw platform::EDatabaseError(QStringLiteral("Няма връзка с базата данни.")); }

// Whether the operator has chosen not to be asked for the year's password.
bool YearPasswordSkipped()
{
    QString value;
    GetRegistrySetting(QStringLiteral("rg_Registry_21"), value);
    return value == QLatin1String("1");
}

void ShowDatabaseError(const QString &message, const QString &sql)
{
    ShowError(LoadResString(rsDatabaseError) + QStringLiteral("\n\r") + message + QStringLiteral("\n\r") + sql);
}

QString FieldOf(const TDelimitedStrings *List, int Row, int Col)
{
    QString s;
    GetPiece(List->Strings(Row), List->FieldDelimiter(), Col, s);
    return s;
}

} // namespace

// ---------------------------------------------------------------- TADOConnection

QString DataSourceOf(const QString &ConnectionString)
{
    for (const QString &piece : ConnectionString.split(QLatin1Char(';'))) {
        const int eq = piece.indexOf(QLatin1Char('='));
        if (eq > 0 && piece.left(eq).trimmed().compare(QLatin1String("Data Source"), Qt::CaseInsensitive) == 0)
            return piece.mid(eq + 1).trimmed();
    }
    return QString();
}

void TADOConnection::SetConnectionString(const QString &Value)
{
    ConnectionString_ = Value;
    SetPath(DataSourceOf(Value));
}

void TADOConnection::SetConnected(bool Value)
{
    if (Value)
        Open();
    else
        Close();
}

// ---------------------------------------------------------------- TADOQuery

void TADOQuery::SetConnection(TADOConnection *Value)
{
    Close();
    Connection_ = Value;
}

void TADOQuery::SetSQL(const QString &Value)
{
    Close();
    SQL_ = Value;
}

void TADOQuery::Open()
{
    Close();
    if (!Connection_)
        NoConnection();
    Cursor_.emplace(Connection_->Select(SQL_));
    OnRow_ = Cursor_->Next();
}

void TADOQuery::Close()
{
    Cursor_.reset();
    OnRow_ = false;
}

void TADOQuery::Next()
{
    if (OnRow_)
        OnRow_ = Cursor_->Next();
}

int TADOQuery::FieldCount() const { return Cursor_ ? Cursor_->ColumnCount() : 0; }
QString TADOQuery::FieldName(int Index) const { return Cursor_ ? Cursor_->ColumnName(Index) : QString(); }
QString TADOQuery::FieldText(int Index) const { return OnRow_ ? Cursor_->Text(Index) : QString(); }
QString TADOQuery::FieldDeclType(int Index) const { return Cursor_ ? Cursor_->DeclType(Index) : QString(); }
bool TADOQuery::FieldIsText(int Index) const { return Cursor_ && Cursor_->IsTextColumn(Index); }

// ---------------------------------------------------------------- state

QString BaseFolder() { return g_BaseFolder; }
QString DataFolder() { return g_DataFolder; }
QString DatabaseTag() { return g_DatabaseTag; }

QString BaseFolderOfProgram(const QString &ProgramFileName)
{
    const QDir programFolder = QFileInfo(ProgramFileName).absoluteDir();
    QString base = QDir::cleanPath(programFolder.absoluteFilePath(QStringLiteral("..")));
    if (!base.endsWith(QLatin1Char('/')))
        base += QLatin1Char('/');
    return base;
}

void SetProgramFileNameForTests(const QString &ProgramFileName) { g_ProgramFileNameForTests = ProgramFileName; }

QString ConnectionStringTemplate(const QString &DataSourcePiece)
{
    return QLatin1String(kPiecesBefore) + DataSourcePiece + QLatin1String(kPiecesAfter);
}

// ---------------------------------------------------------------- primitives

void OpenDatabase(QCoreApplication *Application, QObject *Owner, bool MainDatabase)
{
    QString program = g_ProgramFileNameForTests;
    if (program.isEmpty())
        program = Application ? Application->applicationFilePath() : QCoreApplication::applicationFilePath();
    const QString base = BaseFolderOfProgram(program);

    QString dataSource;
    QString dataFolder;
    QString tag;
    QString damaged;
    if (MainDatabase) {
        dataSource = FillPlaces(QLatin1String(MainDataSourcePiece), {base});
        dataFolder = base + QStringLiteral("db/");
        // The program's first start makes the database and the year-end
        // template.
        try {
            EnsureDatabaseFiles(dataFolder);
        } catch (const EDatabaseFileKept &) {
            // The clerk kept an empty database file: no connection.
            CloseDatabase();
            return;
        } catch (const EDatabaseFileDamaged &e) {
            // No connection; the folders name the refused file and its
            // archives, so that it can be restored before anything else.
            damaged = LoadResString(rsDatabaseOpenError) + QLatin1Char('\n') + e.Message();
        } catch (const Exception &e) {
            throw platform::EDatabaseError(LoadResString(rsDatabaseOpenError) + QLatin1Char('\n') + e.Message());
        }
    } else {
        QString password;
        auto *form = qobject_cast<QWidget *>(Owner);
        if (!YearPasswordSkipped() && form) {
            if (!InputQuery(form->windowTitle(), QStringLiteral("Въведете парола"), QLatin1Char('*'), password))
                return;
        }
        const QStringList parts = password.toUpper().split(QLatin1Char(' '));
        const QString a = parts.value(0);
        const QString b = parts.value(1);
        dataSource = FillPlaces(QLatin1String(PerYearDataSourcePiece), {base, a, b});
        dataFolder = FillPlaces(QStringLiteral("%sdb/%s/%s/"), {base, a, b});
        tag = a + QLatin1Char('_') + b;
    }

    CloseDatabase();
    g_BaseFolder = base;
    g_DataFolder = dataFolder;
    g_DatabaseTag = tag;
    if (!damaged.isEmpty())
        throw EDatabaseFileDamaged(damaged);
    DbConnection = new TADOConnection(Owner);
    DbConnection->SetConnectionString(ConnectionStringTemplate(dataSource));
    DbConnection->SetLoginPrompt(false);
}

void CloseDatabase()
{
    if (!DbConnection)
        return;
    if (DbConnection->Connected())
        DbConnection->SetConnected(false);
    delete DbConnection;
    DbConnection = nullptr;
}

bool ReopenQuery(TADOConnection *Connection, const QString &SQL, TADOQuery &Query)
{
    Query.Close();
    Query.SetConnection(Connection);
    Query.SetSQL(SQL);
    Query.Open();
    return true;
}

void DataSetToList(TADOQuery &DataSet, TDelimitedStrings &List) { RowsToList(DataSet, List, false); }

bool SelectToList(QObject *Owner, TADOConnection *Connection, const QString &SQL, TDelimitedStringList &List)
{
    List.Clear();
    if (SQL.isEmpty())
        return true;
    TADOQuery query(Owner);
    ReopenQuery(Connection, SQL, query);
    RowsToList(query, List, true);
    return true;
}

QString DatabaseErrorMessage(const std::exception &E)
{
    if (dynamic_cast<const platform::EDatabaseBusy *>(&E))
        return platform::DatabaseBusyText();
    if (const auto *own = dynamic_cast<const Exception *>(&E))
        return own->Message();
    return QString::fromUtf8(E.what());
}

bool ExecSQL(QObject *Owner, TADOConnection *Connection, const QString &SQL)
{
    Q_UNUSED(Owner);
    try {
        if (!Connection)
            NoConnection();
        Connection->Execute(SQL);
        return true;
    } catch (const Exception &e) {
        ShowDatabaseError(DatabaseErrorMessage(e), SQL);
    } catch (const std::exception &e) {
        ShowDatabaseError(QString::fromUtf8(e.what()), SQL);
    }
    return false;
}

bool ExecSQLInTransaction(QObject *Owner, TADOConnection *Connection, const QStringList &Statements)
{
    QString current;
    try {
        if (!Connection)
            NoConnection();
        platform::DbTransaction tr(*Connection);
        for (const QString &s : Statements)
            if (!ExecSQL(Owner, Connection, s))
                return false;  // shown; the transaction rolls back
        current = QStringLiteral("COMMIT");
        tr.Commit();
        return true;
    } catch (const Exception &e) {
        ShowDatabaseError(DatabaseErrorMessage(e), current);
    }
    return false;
}

bool TableExists(TADOConnection *Connection, const QString &Name)
{
    if (!Connection)
        NoConnection();
    return Connection->TableExists(Name);
}

bool DropTableIfExists(QObject *Owner, TADOConnection *Connection, const QString &Name)
{
    Q_UNUSED(Owner);
    if (TableExists(Connection, Name))
        Connection->Execute(QStringLiteral("DROP TABLE %1").arg(Name));
    return true;
}

bool NextCode(QObject *Owner, const QString &Field, const QString &Table, int &Code)
{
    Code = 0;
    TDelimitedStringList list;
    const bool ok = SelectToList(Owner, DbConnection, QStringLiteral("Select max( %1 ) from %2").arg(Field, Table), list);
    if (ok)
        Code = StrToIntOrZero(list.Text()) + 1;
    return ok;
}

// ---------------------------------------------------------------- searches

int IndexOfFieldValue(const QString &Value, const TDelimitedStrings *List, int Col)
{
    if (!List)
        return -1;
    for (int i = 0; i < List->Count(); ++i)
        if (FieldOf(List, i, Col) == Value)
            return i;
    return -1;
}

int FindRowByTwoColumns(const QString &Value1, const QString &Value2, const TDelimitedStrings *List, int Col2,
                        int Col1)
{
    if (!List)
        return -1;
    for (int i = 0; i < List->Count(); ++i)
        if (FieldOf(List, i, Col1) == Value1 && FieldOf(List, i, Col2) == Value2)
            return i;
    return -1;
}

int FindLastRowByColumn(const QString &Value, const TDelimitedStrings *List, int Col)
{
    if (!List)
        return -1;
    for (int i = List->Count() - 1; i >= 0; --i)
        if (FieldOf(List, i, Col) == Value)
            return i;
    return -1;
}

int FindRowByCode(int Code, const TDelimitedStrings *List, int Col)
{
    if (!List)
        return -1;
    int low = 0;
    int high = List->Count() - 1;
    while (low <= high) {
        const int middle = (low + high) / 2;
        const int value = StrToIntOrZero(FieldOf(List, middle, Col));
        if (value == Code)
            return middle;
        if (value > Code)
            high = middle - 1;
        else
            low = middle + 1;
    }
    return -1;
}

namespace {

// The look-ups: Result is field ResultCol of the row that Find gives, when
// the list's first record has both columns; "" otherwise, also when nothing
// is found (never a row before the first).
template <typename FindRow>
void LookupBy(const TDelimitedStrings *List, int KeyCol, QString &Result, int ResultCol, FindRow Find)
{
    Result.clear();
    if (!List || List->Count() < 1)
        return;
    const int fields = List->GetFieldCount(0);
    if (fields <= KeyCol || fields <= ResultCol)
        return;
    const int row = Find();
    if (row >= 0)
        Result = FieldOf(List, row, ResultCol);
}

} // namespace

void LookupColumn(const QString &Key, const TDelimitedStrings *List, int KeyCol, QString &Result, int ResultCol)
{
    LookupBy(List, KeyCol, Result, ResultCol, [&] { return IndexOfFieldValue(Key, List, KeyCol); });
}

void LookupColumnByCode(int Code, const TDelimitedStrings *List, int KeyCol, QString &Result, int ResultCol)
{
    LookupBy(List, KeyCol, Result, ResultCol, [&] { return FindRowByCode(Code, List, KeyCol); });
}
