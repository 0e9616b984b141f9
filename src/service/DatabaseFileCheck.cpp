#include "service/DatabaseFileCheck.h"

#include "core/unSchema.h"
#include "platform/Exception.h"
#include "platform/db/Database.h"
#include "platform/db/ReadingConnection.h"
#include "platform/system/SystemError.h"

#include <QFileInfo>
#include <QStringList>
#include <sqlite3.h>

namespace {

// What a file the engine could not read (its Code) is: damaged when the
// engine finds it so (a journal of a write broken off beside it included:
// only a writer could roll it back); else held by another program or not
// read for a cause of its own (permissions, the disk, memory), which say
// nothing of the file.
TDatabaseFileVerdict Unread(int Code, QString &Error)
{
    const int primary = Code & 0xFF;
    if (primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB || Code == SQLITE_READONLY_ROLLBACK) {
        Error = DamagedFileText();
        return dvDamaged;
    }
    Error = platform::DatabaseFailureCause(Code) + QLatin1Char('.');
    return primary == SQLITE_BUSY || primary == SQLITE_LOCKED ? dvBusy : dvUnreadable;
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

QStringList TablesHoldingRows(const QString &Path, const QStringList &Tables, TDatabaseFileVerdict &Verdict,
                              QString &Error)
{
    platform::ReadingConnection db(Path);
    QStringList present;
    QStringList holding;
    Verdict = dvSound;
    if (!db.Column("SELECT name FROM sqlite_master WHERE type = 'table'", QString(), present)) {
        Verdict = Unread(db.Failure(), Error);
        return holding;
    }
    for (const QString &table : Tables) {
        if (!present.contains(table, Qt::CaseInsensitive))
            continue;
        QStringList any;
        if (!db.Column(QStringLiteral("SELECT 1 FROM \"%1\" LIMIT 1").arg(table).toUtf8().constData(), QString(), any)) {
            Verdict = Unread(db.Failure(), Error);
            return holding;
        }
        if (!any.isEmpty())
            holding << table;
    }
    return holding;
}

QString DocumentsHeld(const QString &Path, TDatabaseFileVerdict &Verdict)
{
    QString error;
    // A table the year-end makes itself may be missing.
    const QStringList held = TablesHoldingRows(Path, StoredDocumentTableNames(), Verdict, error);
    if (Verdict != dvSound)
        return error;
    if (held.isEmpty())
        return QString();
    Verdict = dvDamaged;
    return (held.size() == 1 ? QStringLiteral("не е празна: в таблица %1 има записи.")
                             : QStringLiteral("не е празна: в таблици %1 има записи."))
        .arg(held.join(QStringLiteral(", ")));
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
    int readError = 0;
    const platform::THeaderReading header = platform::ReadDatabaseHeader(Path, readError);
    if (header == platform::hrUnread) {
        Error = platform::SystemErrorText(readError) + QLatin1Char('.');
        return dvUnreadable;
    }
    if (const TDatabaseFileVerdict engine = EngineCheck(Path, "PRAGMA integrity_check", Error); engine != dvSound)
        return engine;
    // A header the program never writes: its tables may still tell whose
    // the file is; if the program's, it is damaged, and never completed.
    const bool otherHeader = header == platform::hrOtherHeader;
    const QString damaged = DamagedFileText();
    const int leeway = (Options & dcMasterTablesMayLack) ? slMasterTablesMayLack : slNone;
    const auto read = [&Path, leeway] {
        platform::ReadingConnection db(Path);
        return ReadSchema(db, leeway);
    };
    TSchemaReading schema = read();
    if ((Options & dcCompleteOlder) && !otherHeader && !schema.Failure && !schema.LackingUpgrades.isEmpty()) {
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
    if (otherHeader && (schema.Mismatch.isEmpty() || IsProgramDatabase(schema))) {
        Error = damaged;
        return dvDamaged;
    }
    Error = schema.Mismatch;
    return Error.isEmpty() ? dvSound : dvForeign;
}
