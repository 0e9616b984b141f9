// The archive wizard: archives of the database to the server, a folder and
// removable disks, read back by cabextract and restored by the wizard; the
// database untouched by a damaged or foreign archive; a snapshot that holds
// while another connection writes.
#include "service/unArchive_TLV.h"

#include "core/uFormClasses.h"
#include "core/unSchema.h"
#include "core/un_Ado_Connection.h"
#include "platform/db/Transaction.h"
#include "platform/system/RemovableMedia.h"
#include "components/FloatEdit.h"
#include "service/CabArchive.h"
#include "service/FileCopier.h"
#include "service/TestFiles.h"
#include "support/ChildProcess.h"
#include "support/DatabaseTest.h"
#include "support/FileSizeLimit.h"
#include "support/ScopedDialogAnswers.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProgressBar>
#include <QRadioButton>
#include <QScopeGuard>
#include <QSysInfo>
#include <QThread>
#include <QTreeWidget>
#include <sqlite3.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>
#include <unistd.h>

using namespace testfiles;

namespace {

const QString kInsertNext = "Моля поставете следващата дискета и натиснете ОК.";

// One drive whose disks the operator changes when the program asks: the
// disks are folders in a store, the one in the drive is moved into it.
class DiskDrive : public platform::DialogBackend
{
public:
    DiskDrive(const QString &Drive, const QString &Store, int Disks) : drive_(Drive), store_(Store), disks_(Disks)
    {
        for (int i = 1; i <= Disks; ++i)
            QDir().mkpath(Disk(i));
        previous_ = platform::SetDialogBackend(this);
    }
    ~DiskDrive() override { platform::SetDialogBackend(previous_); }

    QString Disk(int n) const { return store_ + QString("/disk%1").arg(n); }
    void Insert(int n)
    {
        Move(Disk(n), drive_);
        current_ = n;
    }
    void Eject()
    {
        if (current_)
            Move(drive_, Disk(current_));
        current_ = 0;
    }
    QStringList Asked;

    TModalResult ShowMessageBox(const platform::MessageBoxRequest &Request) override
    {
        Asked << Request.Text;
        if (Request.Text != kInsertNext || current_ >= disks_)
            return mrCancel;
        const int next = current_ + 1;
        Eject();
        Insert(next);
        return mrOk;
    }
    bool ShowInputBox(const platform::InputBoxRequest &, QString &) override { return false; }

private:
    static void Move(const QString &From, const QString &To)
    {
        for (const QString &name : QDir(From).entryList(QDir::Files | QDir::Hidden))
            QFile::rename(From + "/" + name, To + "/" + name);
    }

    QString drive_, store_;
    int disks_;
    int current_ = 0;
    platform::DialogBackend *previous_ = nullptr;
};

class ArchiveGui : public testsupport::DatabaseTest
{
protected:
    void SetUp() override
    {
        DatabaseTest::SetUp();
        SetArchiveProgramFolderForTests(base_->Path() + "bin");
        Execute("INSERT INTO CustGroups ( code_c, name_c ) VALUES ( 7, \"ЕТ \"\"Дъга\"\"\" )");
        Execute("INSERT INTO Merki VALUES ( 1, \"бр.\" )");
    }
    void TearDown() override
    {
        platform::SetRemovableVolumesForTests({});
        SetArchiveProgramFolderForTests(QString());
        DatabaseTest::TearDown();
    }

    // Rows of incompressible bytes, so the archive spans several volumes.
    void AddFiller(int Rows, int Bytes)
    {
        Execute("CREATE TABLE Filler ( b BLOB )");
        for (int i = 0; i < Rows; ++i)
            ASSERT_EQ(sqlite3_exec(DbConnection->Handle(),
                                   qPrintable(QString("INSERT INTO Filler VALUES ( randomblob(%1) )").arg(Bytes)),
                                   nullptr, nullptr, nullptr),
                      SQLITE_OK);
    }

    std::unique_ptr<TformArchive> Open(int Mode)
    {
        std::unique_ptr<TformArchive> form(TformArchive::CreateMode(nullptr, Mode));
        return form;
    }

    // Archives with the target chosen; the form stays for a look.
    std::unique_ptr<TformArchive> Archive(QRadioButton *TformArchive::*Target = &TformArchive::radioServer,
                                          const QString &Folder = {})
    {
        auto form = Open(0);
        (form.get()->*Target)->click();
        if (!Folder.isEmpty())
            form->editDirectory->setText(Folder);
        form->actNext->trigger();
        return form;
    }

    QStringList Parts(const QString &Folder, const QString &Stamp) const
    {
        QStringList parts;
        for (int n = 1; QFile::exists(QString("%1/%2.%3.tlv").arg(Folder, Stamp).arg(n)); ++n)
            parts << QString("%1/%2.%3.tlv").arg(Folder, Stamp).arg(n);
        return parts;
    }

    // The database that cabextract takes out of the set beginning at First.
    QString Cabextract(const QString &First)
    {
        const QString out = base_->Path() + "cabextract";
        DeleteTree(out);
        QDir().mkpath(out);
        QString output;
        EXPECT_TRUE(RunTool("cabextract", {"-q", "-d", out, First}, &output)) << output.toStdString();
        return out + "/" + MainDatabaseFileName;
    }

    static QString One(const QString &Path, const QString &Sql)
    {
        platform::Database db(Path);
        platform::Cursor c = db.Select(Sql);
        return c.Next() ? c.Text(0) : "<none>";
    }

    // Restores the archive of the row given from the server's list.
    void Restore(TformArchive &Form, int Row = 0)
    {
        ASSERT_GT(Form.listArchives->topLevelItemCount(), Row);
        Form.listArchives->setCurrentItem(Form.listArchives->topLevelItem(Row));
        ASSERT_TRUE(Form.actNext->isEnabled());
        Form.actNext->trigger();
    }
};

} // namespace

TEST(ArchiveFormats, NamesLabelsAndFailureTexts)
{
    EXPECT_EQ(ArchiveTimestamp(QDateTime(QDate(2024, 1, 31), QTime(23, 59, 59))), "20240131-235959");
    EXPECT_EQ(ArchiveTimestamp(QDateTime(QDate(2025, 3, 4), QTime(5, 6, 7))), "20250304-050607");
    EXPECT_EQ(CabinetPartSuffix(1), ".1.tlv");
    EXPECT_EQ(CabinetPartSuffix(12), ".12.tlv");
    EXPECT_EQ(FloppyVolumeLabel(2, 3), "TLV#2-3");
    EXPECT_EQ(ArchiveFailureText(0), "");
    EXPECT_EQ(ArchiveFailureText(4), ArchiveFailureText(3));
    EXPECT_EQ(ArchiveFailureText(9), "Грешка при затварянето на базата!");
    EXPECT_EQ(ArchiveFailureText(10), "Грешка при отварянето на базата!");
    EXPECT_EQ(ArchiveFailureText(14), "Грешка при четене поредния номер на дискетата.");
}

TEST_F(ArchiveGui, ArchivesToTheServerAndRestoresEveryRow)
{
    auto form = Open(0);
    EXPECT_EQ(form->windowTitle(), "Архивно копие");
    EXPECT_EQ(form->PageNumber(), 20);
    EXPECT_EQ(form->groupFrom->title(), " Създаване на архивно копие на ");
    EXPECT_EQ(form->labelInfo->text(), "Този помощник ще ви помогле да създадете архивно копие на данните.");
    EXPECT_FALSE(form->actPrev->isEnabled());
    EXPECT_TRUE(form->actNext->isEnabled());
    EXPECT_EQ(form->actCancel->text(), "О&тказ");
    EXPECT_FALSE(form->editVolumeSize->isEnabled());

    form->actNext->trigger();
    EXPECT_EQ(form->LastFailure(), 0);
    EXPECT_EQ(form->PageNumber(), 99);
    EXPECT_EQ(form->labelInfo->text(), "Архивирането на данните е извършено успешно.");
    EXPECT_FALSE(form->actNext->isEnabled());
    EXPECT_FALSE(form->actPrev->isEnabled());
    EXPECT_EQ(form->actCancel->text(), "&Изход");
    EXPECT_EQ(form->CabinetCount(), 1);
    const QString archive = base_->DbFolder() + "Archive";
    const QStringList parts = Parts(archive, form->ArchiveStamp());
    ASSERT_EQ(parts.size(), 1);
    const QString extracted = Cabextract(parts[0]);
    EXPECT_EQ(One(extracted, "SELECT name_c FROM CustGroups WHERE code_c = 7"), "ЕТ \"Дъга\"");
    EXPECT_EQ(One(extracted, "PRAGMA integrity_check"), "ok");
    form.reset();
    EXPECT_FALSE(QFileInfo::exists(base_->Path() + "bin/Temporary archive files"));

    // Changes after the archive are undone by the restore.
    Execute("DELETE FROM CustGroups");
    Execute("INSERT INTO Merki VALUES ( 2, \"кг\" )");
    // Another workstation, connected all along.
    platform::Database other(DatabasePath());
    EXPECT_EQ(other.Query("SELECT Count(*) FROM Merki").rows.at(0).at(0), "2");
    auto restore = Open(1);
    EXPECT_EQ(restore->PageNumber(), 0);
    EXPECT_EQ(restore->groupFrom->title(), " Възстановяване на архивно копие от ");
    EXPECT_TRUE(restore->panelArchives->isVisibleTo(restore.get()));
    EXPECT_FALSE(restore->actNext->isEnabled());
    ASSERT_EQ(restore->listArchives->topLevelItemCount(), 1);
    const QString stamp = QFileInfo(parts[0]).fileName().left(15);
    EXPECT_EQ(restore->listArchives->topLevelItem(0)->text(0),
              stamp.mid(6, 2) + "." + stamp.mid(4, 2) + "." + stamp.left(4));
    EXPECT_EQ(restore->listArchives->topLevelItem(0)->text(1),
              stamp.mid(9, 2) + ":" + stamp.mid(11, 2) + ":" + stamp.mid(13, 2));
    Restore(*restore);
    EXPECT_EQ(restore->LastFailure(), 0);
    EXPECT_EQ(restore->PageNumber(), 98);
    // The data replaced are kept aside, where the success text says.
    const QStringList asides = QDir(base_->DbFolder()).entryList({"bread-before-restore-*.db"});
    ASSERT_EQ(asides.size(), 1);
    EXPECT_EQ(restore->labelInfo->text(), "Възстановяването на данните е извършено успешно.\nДанните отпреди "
                                          "възстановяването са запазени във файла " + base_->DbFolder() + asides[0] + ".");
    EXPECT_EQ(Rows("SELECT name_c FROM CustGroups"), QStringList{"ЕТ Дъга"});
    EXPECT_EQ(Rows("SELECT n_Miarka FROM Merki"), QStringList{"1"});
    EXPECT_EQ(other.Query("SELECT Count(*) FROM Merki").rows.at(0).at(0), "1");
    EXPECT_EQ(One(base_->DbFolder() + asides[0], "SELECT Count(*) FROM Merki"), "2");
}

TEST_F(ArchiveGui, ASpannedArchiveGoesOverDisksLabelledInOrderAndComesBack)
{
    AddFiller(3, 100000);
    const QString drive = base_->Path() + "drive";
    QDir().mkpath(drive);
    platform::SetRemovableVolumesForTests({{drive, 150000}});
    DiskDrive disks(drive, base_->Path() + "disks", 6);
    disks.Insert(1);
    ASSERT_TRUE(Write(drive + "/old.txt", "an old file"));

    auto form = Open(0);
    ASSERT_TRUE(form->radioFloppy->isEnabled());
    form->radioFloppy->click();
    EXPECT_TRUE(form->editVolumeSize->isEnabled());
    form->editVolumeSize->SetValue(120000);
    form->actNext->trigger();
    ASSERT_EQ(form->PageNumber(), 24) << form->labelInfo->text().toStdString();
    EXPECT_TRUE(form->checkDeleteDisk->isVisibleTo(form.get()));
    const int count = form->CabinetCount();
    ASSERT_GE(count, 3);
    form->checkDeleteDisk->setChecked(true);
    form->actNext->trigger();
    ASSERT_EQ(form->LastFailure(), 0) << form->labelInfo->text().toStdString();
    EXPECT_EQ(form->PageNumber(), 99);
    EXPECT_EQ(disks.Asked.size(), count - 1);
    disks.Eject();

    // One cabinet on each disk, each labelled with its number and the count.
    const QString stamp = form->ArchiveStamp();
    const QString all = base_->Path() + "all";
    QDir().mkpath(all);
    for (int i = 1; i <= count; ++i) {
        QString label;
        ASSERT_TRUE(platform::ReadVolumeLabel(disks.Disk(i), label));
        EXPECT_EQ(label, FloppyVolumeLabel(i, count));
        const QString cab = disks.Disk(i) + "/" + stamp + CabinetPartSuffix(i);
        ASSERT_TRUE(QFile::exists(cab)) << i;
        QFile::copy(cab, all + "/" + stamp + CabinetPartSuffix(i));
    }
    EXPECT_FALSE(QFile::exists(disks.Disk(1) + "/old.txt"));
    EXPECT_EQ(One(Cabextract(all + "/" + stamp + CabinetPartSuffix(1)), "SELECT Count(*) FROM Filler"), "3");
    form.reset();

    // Back from the disks, the first one in the drive.
    Execute("DELETE FROM Filler");
    Execute("DELETE FROM CustGroups");
    disks.Asked.clear();
    disks.Insert(1);
    auto restore = Open(1);
    restore->radioFloppy->click();
    Restore(*restore);
    EXPECT_EQ(restore->LastFailure(), 0) << restore->labelInfo->text().toStdString();
    EXPECT_EQ(disks.Asked.size(), count - 1);
    EXPECT_EQ(Rows("SELECT Count(*) FROM Filler"), QStringList{"3"});
    EXPECT_EQ(Rows("SELECT code_c FROM CustGroups"), QStringList{"7"});
}

TEST_F(ArchiveGui, ADamagedOrForeignArchiveLeavesTheDatabaseByteForByte)
{
    const QString folder = base_->Path() + "other";
    QDir().mkpath(folder);
    auto form = Archive(&TformArchive::radioPath, folder);
    ASSERT_EQ(form->PageNumber(), 99);
    const QString first = Parts(folder, form->ArchiveStamp()).value(0);
    ASSERT_FALSE(first.isEmpty());
    form.reset();
    // The archive is spoilt in its data.
    QByteArray cab = Read(first);
    cab[cab.size() - 1000] = char(cab[cab.size() - 1000] ^ 0x10);
    ASSERT_TRUE(Write(first, cab));
    // A set of the right form holding something else under the name.
    ASSERT_TRUE(Write(base_->Path() + "foreign/" + MainDatabaseFileName, TextBytes(50000, 9)));
    {
        TCabArchive foreign;
        foreign.SetCABFileName(folder + "/20200101-101010.1.tlv");
        foreign.SetVolumeName("Disk1");
        foreign.CompressionType = 1;
        foreign.CreateCabinet();
        ASSERT_TRUE(foreign.AddFile(base_->Path() + "foreign/" + MainDatabaseFileName, MainDatabaseFileName));
        ASSERT_TRUE(foreign.FlushCabinet(false));
        foreign.CloseCabinet();
    }

    Execute("INSERT INTO Merki VALUES ( 3, \"л\" )");
    DbConnection->SetConnected(false);
    const QByteArray before = Read(DatabasePath());
    for (int row = 0; row < 2; ++row) {
        auto restore = Open(1);
        restore->radioPath->click();
        restore->editDirectory->setText(folder);
        restore->actRefreshArchives->trigger();
        ASSERT_EQ(restore->listArchives->topLevelItemCount(), 2);
        Restore(*restore, row);
        EXPECT_EQ(restore->LastFailure(), 6);
        // The cause after the failure: the cabinet's damage with the
        // reader's code, or what the archive held.
        const QString archive = folder + "/" + restore->SelectedArchiveName() + ".1.tlv";
        EXPECT_EQ(restore->labelInfo->text(),
                  "\n\nВъзстановяването не е извършено успешно.\nГрешка при разархивиране на файловете.\n"
                      + (archive == first ? "Архивът " + first + " е повреден (код на грешката 4)."
                                          : "Базата данни в архива " + archive + ": файлът е повреден или не е база данни."));
        EXPECT_FALSE(restore->actNext->isEnabled());
        EXPECT_TRUE(Read(DatabasePath()) == before) << row;
    }
    EXPECT_EQ(Rows("SELECT n_Miarka FROM Merki WHERE n_Miarka = 3"), QStringList{"3"});
}

TEST_F(ArchiveGui, AnArchiveMadeWhileAnotherConnectionWritesIsConsistent)
{
    // Another workstation is half-way through raising all rows by one: its
    // small cache has already put changed pages into the file. The archive
    // must hold one moment of the database, here the one before that
    // change, which is then given up.
    Execute("CREATE TABLE Levels ( v INT, pad CHAR(50) )");
    ASSERT_EQ(sqlite3_exec(DbConnection->Handle(),
                           "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
                           "INSERT INTO Levels SELECT 0, hex(randomblob(200)) FROM n",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    std::atomic<int> stage{0};
    std::atomic<bool> failed{false};
    std::thread writer([&] {
        try {
            platform::Database db(DatabasePath());
            sqlite3_exec(db.Handle(), "PRAGMA cache_size = 5", nullptr, nullptr, nullptr);
            platform::DbTransaction tr(db);
            db.Execute("UPDATE Levels SET v = v + 1");
            stage = 1;
            // Held while the archive is being made, then given up.
            std::this_thread::sleep_for(std::chrono::milliseconds(400));
        } catch (...) {
            failed = true;
        }
        stage = 2;
    });
    while (stage == 0)
        std::this_thread::yield();
    auto form = Archive();
    writer.join();
    ASSERT_FALSE(failed);
    ASSERT_EQ(form->PageNumber(), 99);
    const QString db = Cabextract(Parts(base_->DbFolder() + "Archive", form->ArchiveStamp()).value(0));
    EXPECT_EQ(One(db, "PRAGMA integrity_check"), "ok");
    EXPECT_EQ(One(db, "SELECT Count(*) FROM Levels"), "3000");
    EXPECT_EQ(One(db, "SELECT Count(*) FROM Levels WHERE v <> 0"), "0");
}

TEST_F(ArchiveGui, TheListShowsFirstPartsOnlyAndPassesOverStrays)
{
    const QString folder = base_->Path() + "list";
    for (const char *name : {"20240131-235959.2.tlv", "20240202-101010.2.tlv", "20241399-000000.1.tlv",
                             "2024013x-101010.1.tlv", "20240101-256000.1.tlv", "notes.txt", "~archive-notes/keep"})
        ASSERT_TRUE(Write(folder + "/" + name, "x"));
    // A whole archive, and what is not one: a cabinet cut short, a copy's
    // temporary file, a set still being written, a folder.
    const QString made = folder + "/" + Archive(&TformArchive::radioPath, folder)->ArchiveStamp() + ".1.tlv";
    EXPECT_EQ(Read(folder + "/~archive-notes/keep"), "x");   // the clerk's, not an archive's
    ASSERT_TRUE(QFile::rename(made, folder + "/20240131-235959.1.tlv"));
    const QByteArray cab = Read(folder + "/20240131-235959.1.tlv");
    ASSERT_TRUE(Write(folder + "/20240131-235958.1.tlv", cab.left(cab.size() - 1)));
    ASSERT_TRUE(Write(folder + "/20240131-235957.1.tlv.Ab12Cd", cab));
    ASSERT_TRUE(Write(folder + "/~archive-20240131-235956/20240131-235956.1.tlv", cab));
    ASSERT_TRUE(QDir().mkpath(folder + "/20240131-235955.1.tlv"));
    auto form = Open(1);
    form->radioPath->click();
    form->editDirectory->setText(folder);
    form->actRefreshArchives->trigger();
    ASSERT_EQ(form->listArchives->topLevelItemCount(), 1);
    EXPECT_EQ(form->listArchives->topLevelItem(0)->text(0), "31.01.2024");
    EXPECT_EQ(form->listArchives->topLevelItem(0)->text(1), "23:59:59");
    EXPECT_EQ(form->SelectedArchiveName(), "");
    EXPECT_FALSE(form->actNext->isEnabled());
    form->listArchives->setCurrentItem(form->listArchives->topLevelItem(0));
    EXPECT_EQ(form->SelectedArchiveName(), "20240131-235959");
    EXPECT_TRUE(form->actNext->isEnabled());
    EXPECT_FALSE(form->actDeleteArchive->isEnabled());
}

TEST_F(ArchiveGui, ChoicesAreRememberedAndDisksNeedAVolume)
{
    {
        auto form = Open(0);
        EXPECT_FALSE(form->radioFloppy->isEnabled());
        EXPECT_TRUE(form->radioServer->isChecked());
        form->radioPath->click();
        form->editDirectory->setText("/srv/archive");
    }
    auto form = Open(1);
    EXPECT_TRUE(form->radioPath->isChecked());
    EXPECT_EQ(form->editDirectory->text(), "/srv/archive");
    EXPECT_EQ(form->TargetKind(), 2);
}

TEST_F(ArchiveGui, AFailedCabinetIsAFailureNotASuccess)
{
    AddFiller(3, 60000);
    const QString folder = base_->Path() + "failing";
    QDir().mkpath(folder);
    // The last good archive: every failure below leaves it the one to restore.
    ASSERT_EQ(Archive(&TformArchive::radioPath, folder)->LastFailure(), 0);
    const QStringList kept = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    DbConnection->SetConnected(false);
    const QString db = DatabasePath();
    const QByteArray sound = Read(db);
    platform::Database other(db);
    std::unique_ptr<testsupport::FileSizeLimit> full;
    const QString copyFailed = "Грешка при копиране на файловете.\nБазата данни " + db + " не може да бъде копирана в ";
    // What goes wrong, and the cause told after the failure (the copy's
    // folder is the wizard's own).
    const std::vector<std::tuple<std::function<void(TformArchive &)>, int, QString>> failures = {
        {[&](TformArchive &) {   // one page in the middle overwritten
             QByteArray damaged = sound;
             damaged.replace(damaged.size() / 8192 * 4096, 4096, QByteArray(4096, '\x5a'));
             Write(db, damaged);
         }, 16, "Архивното копие не е създадено: базата данни е повредена.\nАрхивните копия в папката не са променени.\n"
                + db + ": файлът е повреден или не е база данни."},
        {[&](TformArchive &) {   // another workstation holds the database
             platform::Database::SetBusyTimeoutMs(100);
             ASSERT_EQ(sqlite3_exec(other.Handle(), "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
         }, 2, copyFailed + "%1/" + MainDatabaseFileName + ": базата данни е заета от друго работно място."},
        {[&](TformArchive &) { full = std::make_unique<testsupport::FileSizeLimit>(100000); },
         2, copyFailed + "%1/" + MainDatabaseFileName + ": файлът е по-голям, отколкото дискът позволява."},
        {[&](TformArchive &Form) {   // the disk fills while the cabinet is written
             Form.CAB->OnFileStatus = [&](TObject *, int, int, int &) {
                 if (!full)
                     full = std::make_unique<testsupport::FileSizeLimit>(20000);
             };
         }, 7, "Архивното копие не е създадено успешно.\nГрешка при архивиране на файловете.\nАрхивът не може да бъде "
               "записан в папката " + folder + ": временният файл на архива не може да бъде записан: файлът е по-голям, "
               "отколкото дискът позволява (код на грешката 4)."},
    };
    for (const auto &[make, code, text] : failures) {
        auto form = Open(0);
        form->radioPath->click();
        form->editDirectory->setText(folder);
        make(*form);
        form->actNext->trigger();
        full.reset();
        sqlite3_exec(other.Handle(), "ROLLBACK", nullptr, nullptr, nullptr);
        platform::Database::SetBusyTimeoutMs(8000);
        Write(db, sound);
        EXPECT_EQ(form->LastFailure(), code);
        EXPECT_EQ(form->labelInfo->text(), "\n\n" + QString(text).replace("%1", form->TempFolder()))
            << form->labelInfo->text().toStdString();
        EXPECT_FALSE(form->actNext->isEnabled());
        EXPECT_EQ(form->actCancel->text(), "&Изход");
        EXPECT_EQ(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), kept) << code;
    }
    // A restore that fails on a full disk leaves the database byte for byte, sound or cut short (within its last
    // page too), and no journal.
    ASSERT_EQ(Archive()->LastFailure(), 0);
    const QByteArray small = Read(base_->DbFolder() + "empty.db");
    for (const QByteArray &live : {small, small.left(small.size() / 2), small.left(small.size() - 100)}) {
        ASSERT_TRUE(Write(db, live));
        auto restore = Open(1);
        QObject::connect(restore->Progress, &QProgressBar::valueChanged, [&] {   // the archive is out: the disk fills
            if (!full && restore->labelStatus->text() == "Възстановяване на данните ...")
                full = std::make_unique<testsupport::FileSizeLimit>((small.size() + sound.size()) / 2);
        });
        Restore(*restore);
        full.reset();
        EXPECT_EQ(restore->labelInfo->text(), "\n\nГрешка при копиране на файловете.\nДанните на базата " + db
                  + " не могат да бъдат заменени с тези от архива: файлът е по-голям, отколкото дискът позволява.");
        EXPECT_TRUE(Read(db) == live);
        EXPECT_EQ(QDir(base_->DbFolder()).entryList({"*-journal", ".bread*"}, QDir::Files | QDir::Hidden), QStringList());
    }
    ASSERT_TRUE(Write(db, QByteArray(sound).replace(18, 1, "\3", 1)));   // read-only for the engine: replaced whole
    auto restore = Open(1);
    restore->radioPath->click();
    restore->editDirectory->setText(folder);
    restore->actRefreshArchives->trigger();
    Restore(*restore);
    EXPECT_EQ(restore->LastFailure(), 0) << restore->labelInfo->text().toStdString();
    EXPECT_EQ(Rows("SELECT Count(*) FROM Filler"), QStringList{"3"});
}

TEST_F(ArchiveGui, CancelBeforeTheDisksStopsAfterTheFirstOne)
{
    AddFiller(2, 100000);
    const QString drive = base_->Path() + "drive";
    QDir().mkpath(drive);
    platform::SetRemovableVolumesForTests({{drive, 10000000}});
    auto form = Open(0);
    form->radioFloppy->click();
    form->editVolumeSize->SetValue(120000);
    form->actNext->trigger();
    ASSERT_EQ(form->PageNumber(), 24);
    ASSERT_GE(form->CabinetCount(), 2);
    // The busy mark is still set on this page: Cancel is only recorded.
    form->actCancel->trigger();
    EXPECT_TRUE(form->BusyMark());
    form->actNext->trigger();
    EXPECT_EQ(form->LastFailure(), 5);
    EXPECT_TRUE(QFile::exists(drive + "/" + form->ArchiveStamp() + CabinetPartSuffix(1)));
    EXPECT_FALSE(QFile::exists(drive + "/" + form->ArchiveStamp() + CabinetPartSuffix(2)));
    QString label;
    ASSERT_TRUE(platform::ReadVolumeLabel(drive, label));
    EXPECT_EQ(label, FloppyVolumeLabel(1, form->CabinetCount()));
}

TEST_F(ArchiveGui, TheServiceMenuOpensTheWizardsInTheirModes)
{
    QList<int> pages;
    for (int mode : {0, 1}) {
        testsupport::OnNextModal([&pages](QWidget *window) {
            auto *form = dynamic_cast<TformArchive *>(window);
            ASSERT_NE(form, nullptr);
            pages << form->PageNumber();
            form->actCancel->trigger();
        });
        TFormParams params;
        params.Mode = mode;
        OpenRegisteredForm("TformArchive", TFormShowKind::ModalDialog, params);   // freed after it closes
    }
    EXPECT_EQ(pages, (QList<int>{20, 0}));
    EXPECT_TRUE(IsFormClassRegistered("TfrmFinsihYear_TLV"));
}

TEST_F(ArchiveGui, AnEmptyOrRelativeFolderIsRefusedBeforeAnythingIsWritten)
{
    const QString work = base_->Path() + "work";
    QDir().mkpath(work);
    const QString cwd = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(work));
    const QString relative = "Папката \"%1\" в полето \"Друг носител:\" не е пълен път. Въведете пълния път на "
                             "папката, започващ с \"/\".";
    const QString missing = "Папката \"%1\" в полето \"Друг носител:\" не съществува. Въведете папка, която съществува.";
    for (const QString &folder : {QString(), QString("   "), QString("archives"), QString("c:\\tmp"), work + "/none"}) {
        auto form = Open(0);
        form->radioPath->click();
        form->editDirectory->setText(folder);
        testsupport::ScopedDialogAnswers dialogs;
        form->actNext->trigger();
        ASSERT_EQ(dialogs.Shown().size(), 1u) << folder.toStdString();
        EXPECT_EQ(dialogs.Shown()[0].Kind, mtError);
        EXPECT_EQ(dialogs.Shown()[0].Text,
                  folder.trimmed().isEmpty()
                      ? QString("Въведете папката на архивните копия в полето \"Друг носител:\".")
                      : (folder.startsWith('/') ? missing : relative).arg(folder));
        // Still on the first page, the folder to be mended.
        EXPECT_EQ(form->PageNumber(), 20);
        EXPECT_EQ(form->LastFailure(), 0);
        EXPECT_TRUE(form->actNext->isEnabled());
        EXPECT_TRUE(form->groupFrom->isVisibleTo(form.get()));
        EXPECT_FALSE(QFileInfo::exists(form->TempFolder()));
    }
    EXPECT_TRUE(QDir(work).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty());

    // The restore reads no archive through a relative folder either.
    {
        auto form = Archive(&TformArchive::radioPath, work);
        ASSERT_EQ(form->PageNumber(), 99);
    }
    ASSERT_TRUE(QDir::setCurrent(base_->Path()));
    Execute("INSERT INTO Merki VALUES ( 2, \"кг\" )");
    auto restore = Open(1);
    restore->radioPath->click();
    restore->editDirectory->setText("work");
    restore->actRefreshArchives->trigger();
    {
        testsupport::ScopedDialogAnswers dialogs;
        Restore(*restore);
        EXPECT_EQ(dialogs.Texts().size(), 1);
        EXPECT_EQ(restore->PageNumber(), 0);
    }
    EXPECT_EQ(Rows("SELECT Count(*) FROM Merki"), QStringList{"2"});
    QDir::setCurrent(cwd);
}

TEST_F(ArchiveGui, TheArchiveKeepsTheDatabasesDateAndTheRestoreGivesItBack)
{
    DbConnection->SetConnected(false);
    const QDateTime when(QDate(2024, 3, 5), QTime(10, 20, 30));
    {
        QFile f(DatabasePath());
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(when, QFileDevice::FileModificationTime));
    }
    auto form = Archive();
    ASSERT_EQ(form->PageNumber(), 99);
    const QString first = Parts(base_->DbFolder() + "Archive", form->ArchiveStamp()).value(0);
    form.reset();
    // The date stored, as any extracting program reads it.
    const QString out = base_->Path() + "out/";
    QDir().mkpath(out);
    {
        TCabArchive reader;
        reader.SetCABFileName(first);
        reader.SetDestinationPath(out);
        reader.SetFileSupport(true);
        ASSERT_TRUE(reader.ExtractFiles(0));
    }
    EXPECT_EQ(QFileInfo(out + MainDatabaseFileName).lastModified(), when);

    Execute("INSERT INTO Merki VALUES ( 2, \"кг\" )");
    DbConnection->SetConnected(false);
    auto restore = Open(1);
    Restore(*restore);
    ASSERT_EQ(restore->LastFailure(), 0) << restore->labelInfo->text().toStdString();
    EXPECT_EQ(QFileInfo(DatabasePath()).lastModified(), when);
    EXPECT_EQ(Rows("SELECT n_Miarka FROM Merki"), QStringList{"1"});
}

TEST_F(ArchiveGui, AnArchiveLackingTablesOrColumnsIsRefusedAndAnOlderOneIsCompleted)
{
    DbConnection->SetConnected(false);
    const QString folder = base_->Path() + "other";
    QDir().mkpath(folder);
    // Archives of databases changed from this one, each by one statement.
    const QStringList changes = {"DROP TABLE Ambalaj", "ALTER TABLE Merki ADD COLUMN extra INT",
                                 "ALTER TABLE CustGroups DROP COLUMN TD_na_NAP"};
    const QStringList stamps = {"20200101-101010", "20200102-101010", "20200103-101010"};
    for (int i = 0; i < changes.size(); ++i) {
        const QString db = base_->Path() + QString("changed%1/").arg(i) + MainDatabaseFileName;
        QDir().mkpath(QFileInfo(db).absolutePath());
        ASSERT_TRUE(QFile::copy(DatabasePath(), db));
        {
            platform::Database changed(db);
            ASSERT_EQ(sqlite3_exec(changed.Handle(), qPrintable(changes[i]), nullptr, nullptr, nullptr), SQLITE_OK);
        }
        TCabArchive cab;
        cab.SetCABFileName(folder + "/" + stamps[i] + CabinetPartSuffix(1));
        cab.SetVolumeName("Disk1");
        cab.CompressionType = 1;
        cab.CreateCabinet();
        ASSERT_TRUE(cab.AddFile(db, MainDatabaseFileName));
        ASSERT_TRUE(cab.FlushCabinet(false));
        cab.CloseCabinet();
    }
    Execute("INSERT INTO Merki VALUES ( 3, \"л\" )");
    DbConnection->SetConnected(false);
    const QByteArray before = Read(DatabasePath());
    const auto restoreFrom = [&](const QString &Stamp) {
        auto restore = Open(1);
        restore->radioPath->click();
        restore->editDirectory->setText(folder);
        restore->actRefreshArchives->trigger();
        for (int row = 0; row < restore->listArchives->topLevelItemCount(); ++row) {
            restore->listArchives->setCurrentItem(restore->listArchives->topLevelItem(row));
            if (restore->SelectedArchiveName() == Stamp)
                break;
        }
        EXPECT_EQ(restore->SelectedArchiveName(), Stamp);
        restore->actNext->trigger();
        return restore;
    };
    const QString refused = "\n\nВъзстановяването не е извършено успешно.\n"
                            "Архивното копие не е на база данни на програмата:\n";
    {
        auto restore = restoreFrom(stamps[0]);
        EXPECT_EQ(restore->LastFailure(), 15);
        EXPECT_EQ(restore->labelInfo->text(), refused + "липсва таблица Ambalaj.");
        EXPECT_FALSE(restore->actNext->isEnabled());
        EXPECT_TRUE(Read(DatabasePath()) == before);
    }
    {
        auto restore = restoreFrom(stamps[1]);
        EXPECT_EQ(restore->LastFailure(), 15);
        EXPECT_EQ(restore->labelInfo->text(),
                  refused + "полетата на таблица Merki се различават от тези на програмата.");
        EXPECT_TRUE(Read(DatabasePath()) == before);
    }
    // An archive from before a column was added is completed as the
    // upgrade completes an older database.
    auto restore = restoreFrom(stamps[2]);
    EXPECT_EQ(restore->LastFailure(), 0) << restore->labelInfo->text().toStdString();
    EXPECT_EQ(Rows("SELECT Count(*) FROM Merki WHERE n_Miarka = 3"), QStringList{"0"});
    EXPECT_EQ(Rows("SELECT Count(TD_na_NAP) FROM CustGroups"), QStringList{"0"});
    EXPECT_EQ(Rows("SELECT code_c FROM CustGroups"), QStringList{"7"});
}

TEST_F(ArchiveGui, AnArchiveNeverWritesThroughALinkAtItsName)
{
    const QString victim = base_->Path() + "victim.txt";
    ASSERT_TRUE(Write(victim, "keep"));
    // What stands at every name the archive can take in the next half
    // minute: links, another workstation's archive being written (its
    // claim held), an archive made before in the same second.
    for (const QString kind : {"symbolic", "hard", "writing", "made"}) {
        const QString folder = base_->Path() + kind;
        QDir().mkpath(folder);
        const QDateTime now = QDateTime::currentDateTime();
        std::vector<std::unique_ptr<TWorkMark>> claims;
        QStringList taken;
        for (int s = 0; s < 30; ++s) {
            const QString stamp = ArchiveTimestamp(now.addSecs(s));
            const QString name = folder + "/" + stamp + CabinetPartSuffix(1);
            taken << stamp;
            if (kind == "writing")
                claims.push_back(std::make_unique<TWorkMark>(folder + "/~archive-" + stamp));
            else if (kind == "made")
                ASSERT_TRUE(Write(name, "an archive"));
            else
                ASSERT_TRUE(kind == "hard" ? ::link(qPrintable(victim), qPrintable(name)) == 0 : QFile::link(victim, name));
        }
        auto form = Archive(&TformArchive::radioPath, folder);
        EXPECT_EQ(form->LastFailure(), 0) << kind.toStdString() << form->labelInfo->text().toStdString();
        // A name of its own, the taken ones as they were.
        EXPECT_FALSE(taken.contains(form->ArchiveStamp())) << kind.toStdString();
        EXPECT_EQ(Parts(folder, form->ArchiveStamp()).size(), 1);
        EXPECT_EQ(Read(victim), "keep") << kind.toStdString();
        EXPECT_EQ(QFileInfo(folder + "/" + taken[0] + CabinetPartSuffix(1)).isSymLink(), kind == "symbolic");
        // Its own claim is gone, the others stand.
        EXPECT_EQ(QDir(folder).entryList({"~*"}).size(), int(claims.size()));
    }
}

namespace {

const char *const kChildDb = "TOLVEX_ARCHIVE_CHILD_DB";
const char *const kChildMode = "TOLVEX_ARCHIVE_CHILD_MODE";        // 0 archives, 1 restores
const char *const kChildStopped = "TOLVEX_ARCHIVE_CHILD_STOPPED";  // made when it has stopped

void StopHere()
{
    Write(qEnvironmentVariable(kChildStopped), "stopped");
    QThread::sleep(120);   // until killed
}

} // namespace

// The child's part, run only in the processes the test below starts: a
// workstation stops where a kill leaves most behind: an archive while it
// writes its cabinet (the database copied into its temporary folder, the
// cabinet half-written), a restore while it copies aside the data it
// replaces.
TEST(ArchiveChild, StopsHalfWay)
{
    const QString db = qEnvironmentVariable(kChildDb);
    if (db.isEmpty())
        GTEST_SKIP() << "runs only as a child process of the archive process tests";
    testsupport::OpenDatabaseAsChild(db);
    const QString base = QDir::cleanPath(QFileInfo(db).absolutePath() + "/..") + "/";
    SetArchiveProgramFolderForTests(base + "bin");
    const int mode = qEnvironmentVariableIntValue(kChildMode);
    std::unique_ptr<TformArchive> form(TformArchive::CreateMode(nullptr, mode));
    if (mode == 0) {
        const QString folder = base + QString("child%1").arg(QCoreApplication::applicationPid());
        QDir().mkpath(folder);
        form->radioPath->click();
        form->editDirectory->setText(folder);
        form->CAB->OnFolderStatus = [](TObject *, int, int, int &) { StopHere(); };
    } else {
        // The database held, the copy of what it replaces half-way aside.
        QObject::connect(form->Progress, &QProgressBar::valueChanged, [&form](int Value) {
            if (Value > 0 && form->labelStatus->text() == "Възстановяване на данните ...")
                StopHere();
        });
        form->listArchives->setCurrentItem(form->listArchives->topLevelItem(0));
    }
    form->actNext->trigger();
}

TEST_F(ArchiveGui, WhatAKilledArchiveOrRestoreLeftGoesNextTimeTheWorkOfARunningOneStays)
{
    ASSERT_EQ(Archive()->PageNumber(), 99);   // the archive the restores read
    // Archives and restores stopped half-way on several workstations; a
    // restore holds the database while it stands there.
    std::vector<std::unique_ptr<QProcess>> children;
    const auto end = qScopeGuard([&children] {
        for (auto &child : children)
            testsupport::EndChild(*child);
    });
    std::vector<qint64> pids;
    const auto start = [&](int Mode) {
        const QString stopped = base_->Path() + QString("stopped%1").arg(children.size());
        children.push_back(testsupport::StartChildTest(
            "ArchiveChild.StopsHalfWay",
            {{kChildDb, DatabasePath()}, {kChildMode, QString::number(Mode)}, {kChildStopped, stopped}}));
        pids.push_back(children.back()->processId());
        return testsupport::WaitForFile(stopped, 60000);
    };
    for (const int mode : {0, 0, 1})
        ASSERT_TRUE(start(mode)) << children.back()->readAll().toStdString();
    // What each has in the temporary folder and beside the database.
    const QString temp = base_->Path() + "bin/Temporary archive files/";
    const auto works = [&](qint64 pid) {
        QStringList found;
        for (const QString &folder : {temp, base_->DbFolder()})
            for (const QString &name : QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot))
                if (name.contains(QString("%1-%2-").arg(QSysInfo::machineHostName()).arg(pid))
                    || name.contains(QString(".%1@").arg(pid)))
                    found << name;
        return found;
    };
    std::vector<QStringList> before;
    for (const qint64 pid : pids)
        before.push_back(works(pid));
    ASSERT_EQ(before[0].size(), 2);   // the archive's folder and its mark
    EXPECT_TRUE(QFile::exists(temp + before[0][0] + "/" + MainDatabaseFileName));
    EXPECT_EQ(QDir(temp + before[0][0]).entryList({"cab*"}, QDir::Files).size(), 1);   // the cabinet's scratch file
    ASSERT_EQ(before[2].size(), 3);   // and the restore's copy being written aside
    for (int i : {0, 2}) {
        children[i]->kill();
        ASSERT_TRUE(children[i]->waitForFinished(10000));
    }

    // The killed archive's cabinet, cut short, is listed nowhere, and goes
    // with the next archive into its folder.
    const QString mine = base_->Path() + QString("child%1").arg(pids[0]);
    ASSERT_EQ(QDir(mine).entryList({"~archive-*"}).size(), 2);   // the set being written and its mark
    {
        auto list = Open(1);
        list->radioPath->click();
        list->editDirectory->setText(mine);
        list->actRefreshArchives->trigger();
        EXPECT_EQ(list->listArchives->topLevelItemCount(), 0);
    }
    const auto made = Archive(&TformArchive::radioPath, mine);
    EXPECT_EQ(made->PageNumber(), 99);
    EXPECT_EQ(QDir(mine).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{made->ArchiveStamp() + ".1.tlv"});
    EXPECT_EQ(works(pids[0]), QStringList());
    auto restore = Open(1);
    Restore(*restore);
    EXPECT_EQ(restore->LastFailure(), 0) << restore->labelInfo->text().toStdString();
    EXPECT_EQ(works(pids[2]), QStringList());
    EXPECT_EQ(works(pids[1]), before[1]);
    // While a restore elsewhere holds the database, another one is refused
    // and the first one's work stays.
    ASSERT_TRUE(start(1)) << children.back()->readAll().toStdString();
    const QStringList holding = works(pids[3]);
    EXPECT_EQ(holding.size(), 3);
    platform::Database::SetBusyTimeoutMs(200);
    auto second = Open(1);
    Restore(*second);
    platform::Database::SetBusyTimeoutMs(8000);
    EXPECT_EQ(second->LastFailure(), 2);
    EXPECT_TRUE(second->labelInfo->text().endsWith(" не могат да бъдат заменени с тези от архива: базата данни е заета "
                                                   "от друго работно място."))
        << second->labelInfo->text().toStdString();
    EXPECT_EQ(works(pids[3]), holding);
}

TEST_F(ArchiveGui, ACabinetThatCannotBeFetchedIsToldWithItsCause)
{
    // A whole cabinet on the disk, which the full disk does not let in.
    const QString drive = base_->Path() + "drive";
    const QString cabinet = drive + "/20240101-101010.1.tlv";
    const QString folder = base_->Path() + "made";
    QDir().mkpath(folder);
    auto made = Archive(&TformArchive::radioPath, folder);
    ASSERT_TRUE(Write(cabinet, Read(folder + "/" + made->ArchiveStamp() + ".1.tlv")));
    made.reset();
    ASSERT_TRUE(platform::WriteVolumeLabel(drive, FloppyVolumeLabel(1, 1)));
    platform::SetRemovableVolumesForTests({{drive, 150000}});
    auto restore = Open(1);
    restore->radioFloppy->click();
    {
        testsupport::FileSizeLimit full(1000);
        Restore(*restore);
    }
    EXPECT_EQ(restore->LastFailure(), 2);
    EXPECT_EQ(restore->labelInfo->text(), "\n\nГрешка при копиране на файловете.\nГрешка при запис на файла "
                                              + restore->TempFolder() + "/20240101-101010.1.tlv: файлът е по-голям, "
                                              "отколкото дискът позволява.")
        << restore->labelInfo->text().toStdString();
}
