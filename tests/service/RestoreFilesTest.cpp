// The restore's work on the live database file: over each state the file
// may be found in, the archive's database takes its place whole and sound,
// the old file stays aside as it was (with a dead workstation's journal),
// every earlier copy aside stays, the file keeps its owner and permissions,
// another workstation's save is in one of the files or refused, and what
// cannot be done is refused before anything changes.
#include "service/RestoreFiles.h"

#include "core/un_Ado_Connection.h"
#include "platform/db/DatabaseFileLock.h"
#include "platform/db/Transaction.h"
#include "service/TestFiles.h"
#include "support/DatabaseTest.h"
#include "support/FileSizeLimit.h"

#include <QRegularExpression>
#include <QSysInfo>
#include <atomic>
#include <csignal>
#include <functional>
#include <map>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace testfiles;

namespace {

// Another workstation's save: none, one under way as the restore begins, or
// one begun while the restore holds the file.
enum TOther { oNone, oUnderWay, oWaiting };

QString One(const QString &Path, const QString &Sql)
{
    return platform::Database(Path).Query(Sql).rows.at(0).at(0);
}
QString Owner(const QString &Path)
{
    const QFileInfo f(Path);
    return QString("%1:%2 %3").arg(f.ownerId()).arg(f.groupId()).arg(int(f.permissions()), 0, 16);
}
bool Tear(const QString &Db) { return Write(Db, Read(Db).replace(21, 1, "A")); }
// Another owner and group: only root may give them.
bool OfAnother(const QString &Db, int Mode)
{
    return ::chown(qPrintable(Db), 1234, 1234) == 0 && ::chmod(qPrintable(Db), Mode) == 0;
}

class RestoreFiles : public testsupport::DatabaseTest {};

} // namespace

TEST_F(RestoreFiles, EachStateOfTheLiveFileIsReplacedAndKeptAsideOrRefusedUnchanged)
{
    const QString live = DatabasePath(), archive = base_->Path() + "archive.db";
    Execute("INSERT INTO Merki VALUES ( 1, \"бр.\" )");
    DbConnection->SetConnected(false);
    ASSERT_TRUE(QFile::copy(live, archive));
    Execute("INSERT INTO Merki VALUES ( 2, \"кг\" )");   // the work since the archive
    DbConnection->SetConnected(false);
    const QByteArray work = Read(live);
    const bool root = ::geteuid() == 0;
    std::map<QString, QByteArray> asides;
    int dead = 99999;
    while (::kill(dead, 0) == 0 || errno != ESRCH)
        ++dead;
    const QString shared = base_->Path() + "shared";
    const QString leftover =
        QString("%1/.bread.db.%2@%3.Ab12Cd").arg(shared).arg(dead).arg(QSysInfo::machineHostName());
    const std::vector<std::tuple<const char *, std::function<bool(const QString &)>, TOther, bool>> states = {
        {"sound", {}, oUnderWay, false},
        {"sound", {}, oWaiting, false},
        {"ending within a page", [](const QString &Db) { return QFile::resize(Db, QFileInfo(Db).size() + 100); },
         oWaiting, true},
        {"with a torn header", Tear, oNone, true},
        {"with a dead workstation's journal", LeaveHotJournal, oNone, true},
        {"torn where the journal holds page 1", [](const QString &Db) { return LeaveHotJournal(Db) && Tear(Db); },
         oNone, true},
        {"of another owner and group", [root](const QString &Db) { return root && OfAnother(Db, 0640) && Tear(Db); },
         oNone, true},
        // What a killed restore left beside the file goes.
        {"through a link to the shared file", [&](const QString &Db) {
             return QDir().mkpath(shared) && QFile::rename(Db, shared + "/bread.db")
                 && QFile::link(shared + "/bread.db", Db) && Write(leftover, "a restore killed half-way");
         }, oNone, false},
    };
    for (const auto &[state, make, other, whole] : states) {
        SCOPED_TRACE(state);
        ASSERT_TRUE(Write(live, work));
        if (make && !make(live)) {
            ASSERT_FALSE(root);   // a state only root can make
            continue;
        }
        const QByteArray found = Read(live), journal = Read(platform::JournalOf(live));
        const QString owner = Owner(live);
        std::unique_ptr<platform::Database> workstation;   // connected before the restore
        if (other != oNone)
            (workstation = std::make_unique<platform::Database>(live))->Query("SELECT Count(*) FROM sqlite_master");
        QString saved;
        std::atomic<bool> underWay{false};
        std::thread save;
        const auto insert = [&, other = other] {
            try {
                platform::DbTransaction tr(*workstation);
                workstation->Execute("INSERT INTO Merki VALUES ( 3, \"л\" )");
                underWay = true;
                std::this_thread::sleep_for(std::chrono::milliseconds(other == oUnderWay ? 300 : 0));
                tr.Commit();
                saved = "ok";
            } catch (const Exception &e) {
                saved = e.Message();
            }
            underWay = true;
        };
        if (other == oUnderWay)
            save = std::thread(insert);
        while (other == oUnderWay && !underWay)
            std::this_thread::yield();
        TRestoredDatabase done;
        QString error;
        SweepRestoreLeftovers(live);
        EXPECT_TRUE(RestoreDatabaseFile(archive, live, done, error, [&, other = other](qint64, qint64) {
            if (other == oWaiting && !save.joinable())
                save = std::thread(insert);
        })) << error.toStdString();
        if (save.joinable())
            save.join();
        EXPECT_EQ(done.Whole, whole);
        EXPECT_FALSE(QFileInfo::exists(platform::JournalOf(live)));
        EXPECT_EQ(One(live, "PRAGMA integrity_check"), "ok");
        EXPECT_EQ(QFileInfo(live).size(),
                  One(live, "PRAGMA page_count").toLongLong() * One(live, "PRAGMA page_size").toInt());
        // The archive's rows exactly; a save that waited for the file is refused, restored in place or whole.
        EXPECT_EQ(One(live, "SELECT group_concat(n_Miarka) FROM Merki"), "1");
        EXPECT_EQ(saved, other == oNone      ? ""
                         : other == oWaiting ? platform::DatabaseFailureText(SQLITE_READONLY_DBMOVED)
                                             : "ok");
        EXPECT_EQ(Owner(live), owner);
        // The old file aside as it was, or with the save that ended before the restore took it.
        EXPECT_TRUE(
            QFileInfo(done.Aside).fileName().contains(QRegularExpression("^bread-before-restore-\\d{8}-\\d{6}\\.db$")));
        EXPECT_TRUE(other == oUnderWay || Read(done.Aside) == found);
        EXPECT_TRUE(Read(platform::JournalOf(done.Aside)) == journal);
        EXPECT_EQ(done.AsideJournal, journal != "<missing>");
        if (other == oUnderWay || done.AsideJournal) {
            const QString look = base_->Path() + "look.db";   // the pair opened together, from a copy
            ASSERT_TRUE(Write(look, Read(done.Aside))
                        && (!done.AsideJournal || Write(platform::JournalOf(look), journal)));
            EXPECT_EQ(One(look, "SELECT group_concat(n_Miarka) FROM Merki"), other == oUnderWay ? "1,2,3" : "1,2");
            EXPECT_EQ(One(look, "PRAGMA integrity_check"), "ok");
        }
        for (const auto &[name, bytes] : asides)
            EXPECT_TRUE(Read(name) == bytes) << name.toStdString();
        asides[done.Aside] = Read(done.Aside);
    }
    EXPECT_TRUE(QFileInfo(live).isSymLink());
    EXPECT_FALSE(QFileInfo::exists(leftover));
    EXPECT_EQ(RestoredAsideText({"/db/bread-before-restore-20240131-235959.db", true, true}),
              "Данните отпреди възстановяването са запазени във файла /db/bread-before-restore-20240131-235959.db "
              "заедно с недовършения запис на работно място във файла "
              "/db/bread-before-restore-20240131-235959.db-journal; пазете двата файла заедно.");

    // Refused, the file and the folder as they were.
    const QString refused = "Данните на базата " + live + " не могат да бъдат заменени с тези от архива: ";
    const QString readOnly = "Базата данни " + live + " е само за четене: възстановяването не е извършено и базата "
                             "не е променена. Дайте право на запис във файла и опитайте отново.";
    platform::Database holder(live);
    std::unique_ptr<testsupport::FileSizeLimit> full;
    const QStringList folder = QDir(base_->DbFolder()).entryList(QDir::Files | QDir::Hidden);
    const std::vector<std::tuple<const char *, std::function<bool()>, QString>> refusals = {
        {"read-only, sound", [&] { return ::chmod(qPrintable(live), 0444) == 0; }, readOnly},
        {"read-only, torn", [&] { return Tear(live) && ::chmod(qPrintable(live), 0444) == 0; }, readOnly},
        {"held by another workstation", [&] {
             platform::Database::SetBusyTimeoutMs(100);
             return sqlite3_exec(holder.Handle(), "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK;
         }, refused + "базата данни е заета от друго работно място."},
        {"a full disk", [&] { return bool(full = std::make_unique<testsupport::FileSizeLimit>(work.size() / 2)); },
         "Данните на базата " + live + " не могат да бъдат запазени настрана преди възстановяването: файлът е "
         "по-голям, отколкото дискът позволява. Базата данни не е променена."},
        // Another user restores a third one's file, whose owner the new file cannot get.
        {"an owner the new file cannot get", [&] {
             return root && Tear(live) && OfAnother(live, 0666) && ::chmod(qPrintable(base_->Path()), 0777) == 0
                 && ::chmod(qPrintable(shared), 0777) == 0 && ::chmod(qPrintable(archive), 0666) == 0
                 && ::seteuid(65534) == 0;   // the archive extracted by the one who restores
         }, "Възстановеният файл не може да получи собственика, групата и правата на базата " + shared
                + "/bread.db (1234, група 1234, права 0666): няма права за достъп. Базата данни не е променена; "
                  "възстановяването може да извърши потребителят 1234 или администраторът."},
    };
    for (const auto &[state, make, text] : refusals) {
        SCOPED_TRACE(state);
        ASSERT_TRUE(Write(live, work));
        if (!make()) {
            ASSERT_FALSE(root);   // a state only root can make
            continue;
        }
        const QByteArray found = Read(live);
        TRestoredDatabase done;
        QString error;
        EXPECT_FALSE(RestoreDatabaseFile(archive, live, done, error));
        ::seteuid(0);
        full.reset();
        sqlite3_exec(holder.Handle(), "ROLLBACK", nullptr, nullptr, nullptr);
        platform::Database::SetBusyTimeoutMs(8000);
        EXPECT_EQ(error, text);
        EXPECT_TRUE(Read(live) == found);
        EXPECT_EQ(QDir(base_->DbFolder()).entryList(QDir::Files | QDir::Hidden), folder);
        ::chmod(qPrintable(live), 0644);
    }
}
