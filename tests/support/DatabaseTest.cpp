#include "support/DatabaseTest.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include "core/unSchema.h"
#include "core/un_Ado_Connection.h"

namespace testsupport {

namespace {

// The schema is built once per test process by the program's own code;
// each test gets copies of that file.
const QString &BuiltDatabase()
{
    static QTemporaryDir dir;
    static const QString path = [] {
        const QString p = dir.filePath(QString::fromLatin1(MainDatabaseFileName));
        CreateDatabaseFile(p);
        return p;
    }();
    return path;
}

} // namespace

void DatabaseTest::SetUp()
{
    DataTest::SetUp();
    for (const char *name : {MainDatabaseFileName, TemplateDatabaseFileName})
        ASSERT_TRUE(QFile::copy(BuiltDatabase(), base_->DbFolder() + QString::fromLatin1(name)));
    SetProgramFileNameForTests(base_->ProgramPath());
    OpenDatabase(QCoreApplication::instance(), nullptr, true);
    ASSERT_NE(nullptr, DbConnection);
}

void DatabaseTest::TearDown()
{
    CloseDatabase();
    SetProgramFileNameForTests(QString());
    DataTest::TearDown();
}

QString DatabaseTest::DatabasePath() const { return base_->DbFolder() + QString::fromLatin1(MainDatabaseFileName); }

void DatabaseTest::Execute(const QString &sql) { DbConnection->Execute(sql); }

QStringList DatabaseTest::Rows(const QString &sql)
{
    TDelimitedStringList list;
    SelectToList(nullptr, DbConnection, sql, list);
    QStringList out;
    for (int i = 0; i < list.Count(); ++i)
        out += list.Strings(i);
    return out;
}

} // namespace testsupport
