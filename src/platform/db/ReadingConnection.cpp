#include "platform/db/ReadingConnection.h"

#include "platform/db/Collation.h"
#include "platform/db/Database.h"

#include <QFile>
#include <QUrl>
#include <sqlite3.h>

namespace platform {

namespace {

int EngineFailure(sqlite3 *Db)
{
    return EngineFailureCode(sqlite3_extended_errcode(Db), QString::fromUtf8(sqlite3_errmsg(Db)));
}

} // namespace

ReadingConnection::ReadingConnection(const QString &Path, TReading Reading)
{
    int rc;
    if (Reading == rdAsItStands) {
        const QByteArray uri = "file:" + QUrl::toPercentEncoding(Path, "/") + "?immutable=1";
        rc = sqlite3_open_v2(uri.constData(), &db_, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr);
    } else {
        rc = sqlite3_open_v2(QFile::encodeName(Path).constData(), &db_, SQLITE_OPEN_READONLY, nullptr);
    }
    if (rc != SQLITE_OK) {
        failure_ = db_ ? EngineFailure(db_) : rc;
        sqlite3_close(db_);
        db_ = nullptr;
        return;
    }
    sqlite3_extended_result_codes(db_, 1);
    sqlite3_busy_timeout(db_, Database::BusyTimeoutMs());
    // The program's indexes sort text by its collation.
    RegisterJetFunctions(db_);
}

ReadingConnection::~ReadingConnection() { sqlite3_close(db_); }

bool ReadingConnection::Column(const char *Sql, const QString &Argument, QStringList &Values)
{
    Values.clear();
    if (!db_)
        return false;
    sqlite3_stmt *stmt = nullptr;
    if (sqlite3_prepare_v2(db_, Sql, -1, &stmt, nullptr) != SQLITE_OK) {
        failure_ = EngineFailure(db_);
        return false;
    }
    const QByteArray argument = Argument.toUtf8();
    if (sqlite3_bind_parameter_count(stmt) > 0)
        sqlite3_bind_text(stmt, 1, argument.constData(), argument.size(), SQLITE_TRANSIENT);
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW)
        Values << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0)));
    failure_ = rc == SQLITE_DONE ? 0 : EngineFailure(db_);
    sqlite3_finalize(stmt);
    return rc == SQLITE_DONE;
}

} // namespace platform
