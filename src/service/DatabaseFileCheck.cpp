#include "service/DatabaseFileCheck.h"

#include "core/unSchema.h"
#include "platform/Exception.h"
#include "platform/db/Database.h"
#include "platform/db/ReadingConnection.h"

#include <QFileInfo>
#include <QStringList>
#include <sqlite3.h>

namespace {

// What a file the engine could not read (its Code) is: held by another
// program, which says nothing of the file, or damaged.
TDatabaseFileVerdict Unread(int Code, QString &Error)
{
    const int primary = Code & 0xFF;
    if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED) {
        Error = platform::DatabaseFailureCause(Code) + QLatin1Char('.');
        return dvBusy;
    }
    Error = DamagedFileText();
    return dvDamaged;
}

// The engine's own check of the file's pages and records (Pragma: its quick
// or its whole check): dvSound, or dvDamaged or dvBusy with Error.
TDatabaseFileVerdict EngineCheck(const QString &Path, const char *Pragma, QString &Error)
{
    platform::ReadingConnection db(Path);
    QStringList verdict;
    if (!db.Column(Pragma, QString(), verdict))
        return Unread(db.Failure(), Error);
    if (verdict.value(0) != QLatin1String("ok"))
        return Unread(SQLITE_CORRUPT, Error);
    return dvSound;
}

} // namespace

QString DamagedFileText() { return QStringLiteral("файлът е повреден или не е база данни."); }

QString DocumentsHeld(const QString &Path, TDatabaseFileVerdict &Verdict)
{
    platform::ReadingConnection db(Path);
    QString error;
    QStringList tables;
    Verdict = dvSound;
    if (!db.Column("SELECT name FROM sqlite_master WHERE type = 'table'", QString(), tables)) {
        Verdict = Unread(db.Failure(), error);
        return error;
    }
    for (const QString &table : StoredDocumentTableNames()) {
        // A table the year-end makes itself may be missing.
        if (!tables.contains(table, Qt::CaseInsensitive))
            continue;
        QStringList any;
        if (!db.Column(QStringLiteral("SELECT 1 FROM \"%1\" LIMIT 1").arg(table).toUtf8().constData(), QString(), any)) {
            Verdict = Unread(db.Failure(), error);
            return error;
        }
        if (!any.isEmpty()) {
            Verdict = dvDamaged;
            return QStringLiteral("не е празна: в таблица %1 има записи.").arg(table);
        }
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
    if (const TDatabaseFileVerdict engine = EngineCheck(Path, "PRAGMA integrity_check", Error); engine != dvSound)
        return engine;
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
    if (schema.Failure)
        return Unread(schema.Failure, Error);
    Error = schema.Mismatch;
    return Error.isEmpty() ? dvSound : dvForeign;
}
