#pragma once
// A scoped transaction: a save of several statements either lands whole or
// leaves the database as it was, so that it can be retried.
//
//   platform::DbTransaction tr(db);
//   ... statements; numbers taken as "maximum + 1" are taken here ...
//   tr.Commit();            // not reached: the destructor rolls back
//
// The outermost transaction begins IMMEDIATE: it takes the write lock at
// once, so two workstations saving together wait for each other instead of
// deadlocking, and a number read inside it stays free until the commit. A
// busy database is retried until the busy timeout. A transaction begun
// inside another one is a savepoint of it.
#include <QString>

namespace platform {

class Database;

class DbTransaction
{
public:
    // Raises EDatabaseError when the database stays busy or cannot be opened.
    explicit DbTransaction(Database &db);
    // Rolls back unless committed.
    ~DbTransaction();
    DbTransaction(const DbTransaction &) = delete;
    DbTransaction &operator=(const DbTransaction &) = delete;

    // Makes the changes lasting. On failure the transaction is rolled back
    // and EDatabaseError raised.
    void Commit();
    // Undoes the changes now.
    void Rollback();
    bool Active() const { return active_; }

private:
    Database &db_;
    int level_ = 0;
    bool savepoint_ = false;  // begun inside another transaction
    bool active_ = false;
};

} // namespace platform
