#include "service/DatabaseFileCheck.h"

#include "core/unSchema.h"
#include "platform/Exception.h"
#include "platform/db/Collation.h"
#include "platform/db/Database.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStringList>

#include <sqlite3.h>

namespace {

// A connection that only reads: the file stays as it is, whatever it holds.
class ReadingConnection
{
public:
    explicit ReadingConnection(const QString &Path)
    {
        if (sqlite3_open_v2(QFile::encodeName(Path).constData(), &db_, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
            return;
        sqlite3_busy_timeout(db_, platform::Database::BusyTimeoutMs());
        // The program's indexes sort text by its collation.
        platform::RegisterJetFunctions(db_);
        opened_ = true;
    }
    ~ReadingConnection() { sqlite3_close(db_); }
    ReadingConnection(const ReadingConnection &) = delete;
    ReadingConnection &operator=(const ReadingConnection &) = delete;

    // The first column of each row of Sql (with Argument bound as ?1); false
    // when the statement fails.
    bool Column(const char *Sql, const QString &Argument, QStringList &Values)
    {
        Values.clear();
        if (!opened_)
            return false;
        sqlite3_stmt *stmt = nullptr;
        if (sqlite3_prepare_v2(db_, Sql, -1, &stmt, nullptr) != SQLITE_OK)
            return false;
        const QByteArray argument = Argument.toUtf8();
        if (sqlite3_bind_parameter_count(stmt) > 0)
            sqlite3_bind_text(stmt, 1, argument.constData(), argument.size(), SQLITE_TRANSIENT);
        int rc;
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW)
            Values << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0)));
        sqlite3_finalize(stmt);
        return rc == SQLITE_DONE;
    }

private:
    sqlite3 *db_ = nullptr;
    bool opened_ = false;
};

// The tables of a year's documents; none of them goes into the next year.
const char *const kDocumentTables[] = {
    "Zaiavki",
    "Zaiavka_rows",
    "Invoices",
    "Invoices_rows",
    "Zaprihojdavane_na_ambalaj",
    "Akt_za_proizvedena_produkcia",
    "Akt_za_brakuvana_produkcia",
    "Plashtane_na_dostavki",
    "Iskane_za_otpuskane_na_surovini_i_materiali",
    "Plashtane_po_otchet_na_plasior",
    "Otchet_plasiori",
    "Propusk_za_izvozvane",
    "Vyrnata_produkcia",
    "Zaiavki_za_expedicia",
    "Dostavki",
    "Expedicia_na_surovini_i_materiali",
};

} // namespace

QString DamagedFileText() { return QStringLiteral("файлът е повреден или не е база данни."); }

QString DocumentsHeld(const QString &Path)
{
    ReadingConnection db(Path);
    QStringList tables;
    if (!db.Column("SELECT name FROM sqlite_master WHERE type = 'table'", QString(), tables))
        return DamagedFileText();
    for (const char *document : kDocumentTables) {
        // A table the year-end makes itself may be missing.
        const QString table = QLatin1String(document);
        if (!tables.contains(table, Qt::CaseInsensitive))
            continue;
        QStringList any;
        if (!db.Column(QStringLiteral("SELECT 1 FROM \"%1\" LIMIT 1").arg(table).toUtf8().constData(), QString(), any))
            return DamagedFileText();
        if (!any.isEmpty())
            return QStringLiteral("не е празна: в таблица %1 има документи.").arg(table);
    }
    return QString();
}

TDatabaseFileVerdict QuickCheckDatabase(const QString &Path, QString &Error)
{
    ReadingConnection db(Path);
    QStringList verdict;
    if (!db.Column("PRAGMA quick_check", QString(), verdict) || verdict.value(0) != QLatin1String("ok")) {
        Error = DamagedFileText();
        return dvDamaged;
    }
    return dvSound;
}

TDatabaseFileVerdict CheckProgramDatabase(const QString &Path, int Options, QString &Error)
{
    const QFileInfo info(Path);
    if (!info.exists()) {
        Error = QStringLiteral("файлът не съществува.");
        return dvDamaged;
    }
    if (!info.isFile()) {
        Error = info.isDir() ? QStringLiteral("това е папка, а не файл.") : QStringLiteral("това не е обикновен файл.");
        return dvDamaged;
    }
    const QString damaged = DamagedFileText();
    {
        ReadingConnection db(Path);
        QStringList verdict;
        if (!db.Column("PRAGMA integrity_check", QString(), verdict) || verdict.value(0) != QLatin1String("ok")) {
            Error = damaged;
            return dvDamaged;
        }
    }
    if (Options & dcCompleteOlder) {
        try {
            platform::Database db(Path);
            const auto &upgrades = SchemaUpgradeColumns();
            for (size_t i = 0; i < upgrades.size(); ++i) {
                const QString table = QLatin1String(upgrades[i].Table);
                if (db.TableExists(table)
                    && !db.ColumnNames(table).contains(QLatin1String(upgrades[i].Column), Qt::CaseInsensitive))
                    db.Execute(SchemaUpgradeStatements().at(int(i)));
            }
        } catch (const Exception &) {
            Error = damaged;
            return dvDamaged;
        }
    }
    ReadingConnection db(Path);
    QStringList tables;
    if (!db.Column("SELECT name FROM sqlite_master WHERE type = 'table'", QString(), tables)) {
        Error = damaged;
        return dvDamaged;
    }
    QSet<QString> present;
    for (const QString &table : tables)
        present.insert(table.toCaseFolded());
    bool readable = true;
    Error = SchemaMismatch(
        [&](const QString &Table, QStringList &Columns) {
            if (!present.contains(Table.toCaseFolded()))
                return false;
            readable = readable && db.Column("SELECT name FROM pragma_table_info(?1) ORDER BY cid", Table, Columns);
            return true;
        },
        (Options & dcMasterTablesMayLack) ? slMasterTablesMayLack : slNone);
    if (!readable) {
        Error = damaged;
        return dvDamaged;
    }
    if (!Error.isEmpty())
        return dvForeign;
    return dvSound;
}
