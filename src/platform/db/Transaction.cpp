#include "platform/db/Transaction.h"

#include <QDeadlineTimer>
#include <QThread>
#include <sqlite3.h>

#include "platform/db/Database.h"

namespace platform {

namespace {

// Runs a statement of the transaction's own, retrying while the database is
// busy (another workstation is writing) until the busy timeout.
int ExecRetrying(sqlite3 *db, const QByteArray &sql)
{
    QDeadlineTimer deadline(Database::BusyTimeoutMs());
    for (;;) {
        const int rc = sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr);
        const int primary = rc & 0xFF;
        if ((primary != SQLITE_BUSY && primary != SQLITE_LOCKED) || deadline.hasExpired())
            return rc;
        QThread::msleep(20);
    }
}

QByteArray SavepointName(int level) { return "tolvex_sp" + QByteArray::number(level); }

} // namespace

DbTransaction::DbTransaction(Database &db) : db_(db)
{
    sqlite3 *h = db.Handle();
    level_ = db.transactionDepth_ + 1;
    if (sqlite3_get_autocommit(h)) {
        level_ = 1;
        if (ExecRetrying(h, "BEGIN IMMEDIATE") != SQLITE_OK)
            db.Raise();
    } else {
        savepoint_ = true;
        if (sqlite3_exec(h, "SAVEPOINT " + SavepointName(level_), nullptr, nullptr, nullptr) != SQLITE_OK)
            db.Raise();
    }
    db.transactionDepth_ = level_;
    active_ = true;
}

DbTransaction::~DbTransaction()
{
    try {
        Rollback();
    } catch (...) {
    }
}

void DbTransaction::Commit()
{
    if (!active_)
        throw EDatabaseError(QStringLiteral("The transaction has already ended."));
    sqlite3 *h = db_.db_;
    if (!h) {
        active_ = false;
        throw EDatabaseError(QStringLiteral("The connection was closed inside a transaction."));
    }
    const int rc = !savepoint_ ? ExecRetrying(h, "COMMIT")
                               : sqlite3_exec(h, "RELEASE " + SavepointName(level_), nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
        const QString message = QString::fromUtf8(sqlite3_errmsg(h));
        const int code = sqlite3_extended_errcode(h);
        Rollback();
        ThrowDatabaseError(code, message);
    }
    active_ = false;
    db_.transactionDepth_ = level_ - 1;
}

void DbTransaction::Rollback()
{
    if (!active_)
        return;
    active_ = false;
    db_.transactionDepth_ = level_ - 1;
    sqlite3 *h = db_.db_;
    if (!h || sqlite3_get_autocommit(h))
        return;  // closed, or already undone by the database itself
    if (!savepoint_) {
        sqlite3_exec(h, "ROLLBACK", nullptr, nullptr, nullptr);
    } else {
        const QByteArray name = SavepointName(level_);
        sqlite3_exec(h, "ROLLBACK TO " + name + "; RELEASE " + name, nullptr, nullptr, nullptr);
    }
}

} // namespace platform
