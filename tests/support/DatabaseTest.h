#pragma once
// The fixture of every test that works on data:
//
//   class GoodsReceipt : public testsupport::DatabaseTest {};
//   TEST_F(GoodsReceipt, SavesItsLines) { ... DbConnection ... }
//
// Each test gets a private settings store, a fresh base folder, a database
// made there by the program's own schema code (db/bread.db and the year-end
// template db/empty.db), and the shared connection opened on it with
// OpenDatabase, exactly as the main window opens it. TearDown closes it.
#include <QStringList>

#include "support/QtPrinters.h"
#include "support/TestEnv.h"

namespace testsupport {

class DatabaseTest : public DataTest
{
protected:
    void SetUp() override;
    void TearDown() override;

    // <base>/db/bread.db
    QString DatabasePath() const;
    // Runs a statement on the shared connection; a failure raises (no dialog).
    void Execute(const QString &sql);
    // The records of a query as SelectToList gives them.
    QStringList Rows(const QString &sql);
};

} // namespace testsupport
