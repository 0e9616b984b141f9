#include "service/DatabaseFileCheck.h"

#include "core/unSchema.h"
#include "platform/Exception.h"
#include "platform/db/ReadingConnection.h"

#include <QFileInfo>
#include <QStringList>

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
    const QString damaged = QStringLiteral("файлът е повреден или не е база данни.");
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
