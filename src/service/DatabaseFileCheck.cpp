#include "service/DatabaseFileCheck.h"

#include "core/unSchema.h"
#include "platform/Exception.h"
#include "platform/db/ReadingConnection.h"

#include <QFileInfo>
#include <QStringList>

namespace {

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
    platform::ReadingConnection db(Path);
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
    platform::ReadingConnection db(Path);
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
        platform::ReadingConnection db(Path);
        QStringList verdict;
        if (!db.Column("PRAGMA integrity_check", QString(), verdict) || verdict.value(0) != QLatin1String("ok")) {
            Error = damaged;
            return dvDamaged;
        }
    }
    const int leeway = (Options & dcMasterTablesMayLack) ? slMasterTablesMayLack : slNone;
    const auto read = [&Path, leeway] {
        platform::ReadingConnection db(Path);
        return ReadSchema(db, leeway);
    };
    TSchemaReading schema = read();
    if ((Options & dcCompleteOlder) && !schema.Failure && !schema.LackingUpgrades.isEmpty()) {
        try {
            AddUpgradeColumns(Path);
        } catch (const Exception &) {
            Error = damaged;
            return dvDamaged;
        }
        schema = read();
    }
    if (schema.Failure) {
        Error = damaged;
        return dvDamaged;
    }
    Error = schema.Mismatch;
    return Error.isEmpty() ? dvSound : dvForeign;
}
