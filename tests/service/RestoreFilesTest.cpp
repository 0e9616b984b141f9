// The restore's work on the live database file: over each state the file
// may be found in, the archive's database takes its place whole and sound,
// the old file stays aside as it was (with a dead workstation's journal),
// every earlier copy aside stays, the file keeps its owner and permissions,
// and another workstation's save is in one of the files or refused.
#include "service/RestoreFiles.h"

#include "core/un_Ado_Connection.h"
#include "platform/db/DatabaseFileLock.h"
#include "platform/db/Transaction.h"
#include "service/TestFiles.h"
#include "support/DatabaseTest.h"
#include "support/FileSizeLimit.h"

#include <QRegularExpression>
#include <QScopeGuard>

#include <atomic>
#include <functional>
#include <map>
#include <sys/stat.h>
#include <thread>
#include <tuple>
#include <unistd.h>

using namespace testfiles;

namespace {

// Another workstation's save: none, one under way as the restore begins, or
// one begun while the restore holds the file.
enum TOther { oNone, oUnderWay, oWaiting };

QString One(const QString &Path, const QString &Sql) { return platform::Database(Path).Query(Sql).rows.at(0).at(0); }

struct stat Stat(const QString &Path)
{
    struct stat st {};
    ::stat(QFile::encodeName(Path).constData(), &st);
    return st;
}

class RestoreFiles : public testsupport::DatabaseTest
{
protected:
    void SetUp() override
    {
        DatabaseTest::SetUp();
        archive_ = base_->Path() + "archive.db";
        Execute("INSERT INTO Merki VALUES ( 1, \"бр.\" )");
        DbConnection->SetConnected(false);
        ASSERT_TRUE(QFile::copy(DatabasePath(), archive_));
        Execute("INSERT INTO Merki VALUES ( 2, \"кг\" )");   // the work since the archive
        DbConnection->SetConnected(false);
        work_ = Read(DatabasePath());
    }
    // The live file as the row finds it, and the copies kept aside so far.
    QString archive_;
    QByteArray work_;
    std::map<QString, QByteArray> asides_;
};

const auto tear = [](const QString &Db) { return Write(Db, Read(Db).replace(21, 1, "A")); };

} // namespace

TEST_F(RestoreFiles, EveryStateOfTheLiveFileIsReplacedAndKeptAside)
{
    const QString live = DatabasePath();
    const QString moved = platform::DatabaseFailureText(SQLITE_READONLY_DBMOVED);
    struct Row
    {
        const char *State;
        std::function<bool(const QString &)> Make;
        TOther Other;
        bool Whole;
    };
    const std::vector<Row> rows = {
        {"sound", {}, oUnderWay, false},
        {"sound", {}, oWaiting, false},
        {"ending within a page", [](const QString &Db) { return QFile::resize(Db, QFileInfo(Db).size() + 100); },
         oWaiting, true},
        {"with a torn header", tear, oNone, true},
        {"with a dead workstation's journal", LeaveHotJournal, oNone, true},
        {"torn where the journal holds page 1", [](const QString &Db) { return LeaveHotJournal(Db) && tear(Db); }, oNone, true},
        {"of another owner and group", [](const QString &Db) {
             return ::geteuid() == 0 && ::chown(qPrintable(Db), 1234, 1234) == 0 && ::chmod(qPrintable(Db), 0640) == 0
                 && tear(Db);
         }, oNone, true},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.State);
        ASSERT_TRUE(Write(live, work_));
        if (row.Make && !row.Make(live)) {
            EXPECT_NE(::geteuid(), 0u);   // only another owner needs the rights of root
            continue;
        }
        const QByteArray found = Read(live), journal = Read(platform::JournalOf(live));
        const struct stat before = Stat(live);
        std::unique_ptr<platform::Database> other;
        if (row.Other != oNone) {
            other = std::make_unique<platform::Database>(live);
            other->Query("SELECT Count(*) FROM sqlite_master");
        }
        QString saved;
        std::atomic<bool> underWay{false};
        std::thread save;
        const auto insert = [&] {
            try {
                platform::DbTransaction tr(*other);
                other->Execute("INSERT INTO Merki VALUES ( 3, \"л\" )");
                underWay = true;
                std::this_thread::sleep_for(std::chrono::milliseconds(row.Other == oUnderWay ? 300 : 0));
                tr.Commit();
                saved = "ok";
            } catch (const Exception &e) {
                saved = e.Message();
            }
            underWay = true;
        };
        if (row.Other == oUnderWay)
            save = std::thread(insert);
        while (row.Other == oUnderWay && !underWay)
            std::this_thread::yield();
        TRestoredDatabase done;
        QString error;
        EXPECT_TRUE(RestoreDatabaseFile(archive_, live, done, error, [&](qint64, qint64) {
            if (row.Other == oWaiting && !save.joinable())
                save = std::thread(insert);
        })) << error.toStdString();
        if (save.joinable())
            save.join();
        other.reset();
        EXPECT_EQ(done.Whole, row.Whole);
        EXPECT_FALSE(QFileInfo::exists(platform::JournalOf(live)));
        EXPECT_EQ(One(live, "PRAGMA integrity_check"), "ok");
        EXPECT_EQ(QFileInfo(live).size(), One(live, "PRAGMA page_count").toLongLong() * One(live, "PRAGMA page_size").toInt());
        // The archive's rows, and a save that waited for the file only where the engine wrote the data into it.
        EXPECT_EQ(One(live, "SELECT group_concat(n_Miarka) FROM Merki"), row.Other == oWaiting && !row.Whole ? "1,3" : "1");
        EXPECT_EQ(saved, row.Other == oNone ? "" : row.Other == oWaiting && row.Whole ? moved : "ok");
        const struct stat after = Stat(live);
        EXPECT_EQ(std::make_tuple(after.st_uid, after.st_gid, after.st_mode), std::make_tuple(before.st_uid, before.st_gid, before.st_mode));
        // The old file aside as it was, or with the save that ended before the restore took it.
        EXPECT_TRUE(QFileInfo(done.Aside).fileName().contains(QRegularExpression("^bread-before-restore-\\d{8}-\\d{6}\\.db$")));
        EXPECT_TRUE(row.Other == oUnderWay || Read(done.Aside) == found);
        EXPECT_TRUE(Read(platform::JournalOf(done.Aside)) == journal);
        EXPECT_EQ(done.AsideJournal, journal != "<missing>");
        if (row.Other == oUnderWay || done.AsideJournal) {
            const QString look = base_->Path() + "look.db";   // the pair opened together, from a copy
            ASSERT_TRUE(Write(look, Read(done.Aside)));
            ASSERT_TRUE(!done.AsideJournal || Write(platform::JournalOf(look), journal));
            EXPECT_EQ(One(look, "SELECT group_concat(n_Miarka) FROM Merki"), row.Other == oUnderWay ? "1,2,3" : "1,2");
            EXPECT_EQ(One(look, "PRAGMA integrity_check"), "ok");
        }
        for (const auto &[name, bytes] : asides_)
            EXPECT_TRUE(Read(name) == bytes) << name.toStdString();
        asides_[done.Aside] = Read(done.Aside);
    }
    EXPECT_EQ(RestoredAsideText({"/db/bread-before-restore-20240131-235959.db", true, true}),
              "Данните отпреди възстановяването са запазени във файла /db/bread-before-restore-20240131-235959.db "
              "заедно с недовършения запис на работно място във файла /db/bread-before-restore-20240131-235959.db-journal; "
              "пазете двата файла заедно.");
}

TEST_F(RestoreFiles, WhatCannotBeDoneIsRefusedBeforeAnythingChanges)
{
    const QString live = DatabasePath();
    const QString refused = "Данните на базата " + live + " не могат да бъдат заменени с тези от архива: ";
    platform::Database other(live);
    std::unique_ptr<testsupport::FileSizeLimit> full;
    const QString folders[] = {base_->Path(), base_->DbFolder()};
    const auto restoreFolders = qScopeGuard([&] {
        for (const QString &folder : folders)
            ::chmod(qPrintable(folder), 0700);
    });
    const std::vector<std::tuple<const char *, std::function<bool()>, QString>> rows = {
        {"read-only, sound", [&] { return ::chmod(qPrintable(live), 0444) == 0; },
         "Базата данни " + live + " е само за четене: възстановяването не е извършено и базата не е променена. Дайте "
         "право на запис във файла и опитайте отново."},
        {"read-only, torn", [&] { return tear(live) && ::chmod(qPrintable(live), 0444) == 0; },
         "Базата данни " + live + " е само за четене: възстановяването не е извършено и базата не е променена. Дайте "
         "право на запис във файла и опитайте отново."},
        {"held by another workstation", [&] {
             platform::Database::SetBusyTimeoutMs(100);
             return sqlite3_exec(other.Handle(), "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK;
         }, refused + "базата данни е заета от друго работно място."},
        {"a full disk", [&] { return bool(full = std::make_unique<testsupport::FileSizeLimit>(work_.size() / 2)); },
         "Данните на базата " + live + " не могат да бъдат запазени настрана преди възстановяването: файлът е "
         "по-голям, отколкото дискът позволява. Базата данни не е променена."},
        // Another user restores a file of a third one's, which the new file could not be given.
        {"an owner the new file cannot get", [&] {
             for (const QString &folder : folders)
                 ::chmod(qPrintable(folder), 0777);
             return ::geteuid() == 0 && tear(live) && ::chown(qPrintable(live), 1234, 1234) == 0
                 && ::chmod(qPrintable(live), 0666) == 0 && ::chmod(qPrintable(archive_), 0644) == 0 && ::seteuid(65534) == 0;
         }, "Възстановеният файл не може да получи собственика, групата и правата на базата " + live + " (1234, група "
            "1234, права 0666): няма права за достъп. Базата данни не е променена; възстановяването може да извърши "
            "потребителят 1234 или администраторът."},
    };
    for (const auto &[state, make, text] : rows) {
        SCOPED_TRACE(state);
        ASSERT_TRUE(Write(live, work_));
        if (!make()) {
            EXPECT_NE(::geteuid(), 0u);   // only another owner needs the rights of root
            continue;
        }
        const QByteArray found = Read(live);
        TRestoredDatabase done;
        QString error;
        EXPECT_FALSE(RestoreDatabaseFile(archive_, live, done, error));
        ::seteuid(0);
        full.reset();
        sqlite3_exec(other.Handle(), "ROLLBACK", nullptr, nullptr, nullptr);
        platform::Database::SetBusyTimeoutMs(8000);
        EXPECT_EQ(error, text);
        EXPECT_TRUE(Read(live) == found);
        EXPECT_EQ(QDir(base_->DbFolder()).entryList(QDir::Files | QDir::Hidden),
                  QStringList({"bread.db", "empty.db"}));
        ::chmod(qPrintable(live), 0644);
    }
}
