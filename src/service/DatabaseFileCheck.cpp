#include "service/DatabaseFileCheck.h"

#include "core/unSchema.h"
#include "platform/Exception.h"
#include "platform/db/ReadingConnection.h"

#include <QFileInfo>
#include <QStringList>

namespace {

// The engine's own check of the file's pages and records (Pragma: its quick
// or its whole check): dvSound, or dvDamaged with Error.
TDatabaseFileVerdict EngineCheck(const QString &Path, const char *Pragma, QString &Error)
{
    platform::ReadingConnection db(Path);
    QStringList verdict;
    if (!db.Column(Pragma, QString(), verdict) || verdict.value(0) != QLatin1String("ok")) {
        Error = DamagedFileText();
        return dvDamaged;
    }
    return dvSound;
}

} // namespace

QString DamagedFileText() { return QStringLiteral("файлът е повреден или не е база данни."); }

QString DocumentsHeld(const QString &Path, const QStringList &Carried)
{
    platform::ReadingConnection db(Path);
    QStringList tables;
    if (!db.Column("SELECT name FROM sqlite_master WHERE type = 'table'", QString(), tables))
        return DamagedFileText();
    for (const QString &table : AllTableNames()) {
        // A table the year-end makes itself may be missing.
        if (Carried.contains(table, Qt::CaseInsensitive) || !tables.contains(table, Qt::CaseInsensitive))
            continue;
        QStringList any;
        if (!db.Column(QStringLiteral("SELECT 1 FROM \"%1\" LIMIT 1").arg(table).toUtf8().constData(), QString(), any))
            return DamagedFileText();
        if (!any.isEmpty())
            return QStringLiteral("не е празна: в таблица %1 има записи.").arg(table);
    }
    return QString();
}

TDatabaseFileVerdict QuickCheckDatabase(const QString &Path, QString &Error)
{
    return EngineCheck(Path, "PRAGMA quick_check", Error);
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
    if (EngineCheck(Path, "PRAGMA integrity_check", Error) != dvSound)
        return dvDamaged;
    const QString damaged = DamagedFileText();
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
