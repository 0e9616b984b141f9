// The year-end closing: the next year's database made from the template with
// the master data carried over, never over an existing one.
#include "service/unFinsihYear_TLV.h"

#include "core/unSchema.h"
#include "core/un_Ado_Connection.h"
#include "service/FileCopier.h"
#include "service/TestFiles.h"
#include "support/ChildProcess.h"
#include "support/DatabaseTest.h"
#include "support/FileSizeLimit.h"
#include "support/ScopedDialogAnswers.h"

#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QThread>

#include <cstdio>
#include <functional>
#include <memory>
#include <sqlite3.h>
#include <sys/fsuid.h>
#include <unistd.h>

using namespace testfiles;

namespace {

const char *const kChildDb = "TOLVEX_YEAREND_CHILD_DB";
const char *const kChildGo = "TOLVEX_YEAREND_CHILD_GO";      // the closing starts when this file appears
const char *const kChildHold = "TOLVEX_YEAREND_CHILD_HOLD";  // only claims, makes this file and waits
const QString kRunning = "Годишното приключване в момента се извършва от друго работно място. Изчакайте го да завърши.";
const QString kDone = "Годишното приключване вече е извършено.";

using testsupport::WaitForFile;

// A workstation's program in a process of its own, running the closing.
std::unique_ptr<QProcess> StartWorkstation(const QString &Db, const QString &Go, const QString &Hold = {})
{
    return testsupport::StartChildTest("YearEndChild.ClosesTheYear", {{kChildDb, Db}, {kChildGo, Go}, {kChildHold, Hold}});
}

} // namespace

// The child's part, run only in the processes the tests below start: the
// year-end closing pressed on one workstation; it prints what it was told.
TEST(YearEndChild, ClosesTheYear)
{
    const QString db = qEnvironmentVariable(kChildDb);
    if (db.isEmpty())
        GTEST_SKIP() << "runs only as a child process of the year-end process tests";
    testsupport::OpenDatabaseAsChild(db);
    const QString hold = qEnvironmentVariable(kChildHold);
    if (!hold.isEmpty()) {
        TfrmFinsihYear_TLV form;
        const QString folder = QFileInfo(form.NextYearDatabasePath(form.CurrentYearText().toInt() + 1)).absolutePath();
        QDir().mkpath(folder);
        TYearEndClaim claim(folder);
        ASSERT_TRUE(claim.Held());
        ASSERT_TRUE(Write(hold, "held"));
        QThread::sleep(120);   // until killed
        return;
    }
    ASSERT_TRUE(WaitForFile(qEnvironmentVariable(kChildGo), 60000));
    TfrmFinsihYear_TLV form;
    testsupport::ScopedDialogAnswers dialogs;
    const bool done = form.btnNextClick();
    std::printf("RESULT %s|%s\n", done ? "success" : "refused", qPrintable(dialogs.Texts().join('|')));
    std::fflush(stdout);
    CloseDatabase();
}

namespace {

// For its life, files are opened as another user's would be, so that their
// permissions bind the superuser too; the folders of Base stay open to it.
struct OtherUser {
    explicit OtherUser(const testsupport::TempBaseFolder &Base) {
        for (const QString &folder : {Base.Path(), Base.DbFolder()})
            QFile::setPermissions(folder, QFile::permissions(folder) | QFileDevice::ExeGroup | QFileDevice::ExeOther);
        if (::geteuid() == 0)
            ::setfsgid(65534), ::setfsuid(65534);
    }
    ~OtherUser() { ::setfsuid(::geteuid()), ::setfsgid(::getegid()); }
};

class YearEnd : public testsupport::DatabaseTest
{
protected:
    void SetUp() override
    {
        DatabaseTest::SetUp();
        Execute("INSERT INTO VA VALUES ( 8, \"2025\" )");
        Execute("INSERT INTO VA VALUES ( 1, \"Хлебозавод \"\"Зора\"\" ООД\" )");
    }

    QString NextYearPath() const { return base_->DbFolder() + "2026/" + YearDatabaseFileName; }

    // The rows of a query on another database file.
    static QStringList RowsOf(const QString &path, const QString &sql)
    {
        TADOConnection db;
        db.SetConnectionString(ConnectionStringTemplate("Data Source = " + path + "; "));
        TDelimitedStringList list;
        SelectToList(nullptr, &db, sql, list);
        QStringList out;
        for (int i = 0; i < list.Count(); ++i)
            out << list.Strings(i);
        return out;
    }
    static QString Raw(const QString &path, const QString &sql)
    {
        TADOConnection db;
        db.SetConnectionString(ConnectionStringTemplate("Data Source = " + path + "; "));
        platform::Cursor c = db.Select(sql);
        return c.Next() ? c.Text(0) : "<none>";
    }
};

} // namespace

TEST_F(YearEnd, CarriesMasterDataIntoTheNextYearsDatabase)
{
    // A counterparty whose name holds quotes and the record lists' marks.
    Execute("INSERT INTO CustGroups ( code_c, name_c, bulstat ) VALUES ( 7, \"ЕТ \"\"Дъга\"\" 'Юг' 50% @°\", \"123\" )");
    Execute("INSERT INTO Izdelia VALUES ( 12, \"Хляб \"\"Добруджа\"\"\", 1, 0, 1, 1.2345, 0.0625, 0, 0, 0 )");
    Execute("INSERT INTO Resources VALUES ( 3, \"Брашно\", 1 )");
    Execute("INSERT INTO Razhodni_normi VALUES ( 12, 3, 0.0125 )");
    Execute("INSERT INTO Obekti VALUES ( 4, 7, \"Магазин 1\", \"\", \"\", \"\", \"\" )");
    Execute("INSERT INTO Merki VALUES ( 1, \"бр.\" )");
    Execute("INSERT INTO Nas VALUES ( 1, \"10.0.0.5\", \"41\" )");
    // Documents stay in their year.
    Execute("INSERT INTO Zaiavki ( Query_num, obekt ) VALUES ( 1, 4 )");

    // Tables the closing makes itself may be missing from the template.
    platform::Database(base_->DbFolder() + TemplateDatabaseFileName).Execute("DROP TABLE Merki");

    TfrmFinsihYear_TLV form;
    form.show();
    EXPECT_EQ(form.panelText->text(),
              "   Моля останалите потребители на системата да НЕ работят с нея\n"
              " докато се извършва годишното приключване. \n"
              "   Добре е да създадете предварително архивно копие\n на 2025 година.");
    testsupport::ScopedDialogAnswers dialogs;
    ASSERT_TRUE(form.btnNextClick());
    EXPECT_TRUE(dialogs.Shown().empty()) << dialogs.Texts().join('|').toStdString();
    EXPECT_EQ(form.panelText->text(), "Годишното приключване завърши успешно.");
    EXPECT_FALSE(form.btnNext->isVisible());

    const QString db = NextYearPath();
    ASSERT_TRUE(QFileInfo::exists(db));
    EXPECT_FALSE(QFileInfo::exists(base_->DbFolder() + "2026/~" + YearDatabaseFileName));
    EXPECT_EQ(Raw(db, "SELECT name_c FROM CustGroups WHERE code_c = 7"), "ЕТ \"Дъга\" 'Юг' 50% @°");
    EXPECT_EQ(Raw(db, "SELECT bulstat FROM CustGroups WHERE code_c = 7"), "123");
    EXPECT_EQ(Raw(db, "SELECT name_izd FROM Izdelia WHERE code_izd = 12"), "Хляб \"Добруджа\"");
    // Four-decimal prices and norms keep every digit.
    EXPECT_EQ(Raw(db, "SELECT price_1 FROM Izdelia WHERE code_izd = 12"), "1.2345");
    EXPECT_EQ(Raw(db, "SELECT price_2 FROM Izdelia WHERE code_izd = 12"), "0.0625");
    EXPECT_EQ(Raw(db, "SELECT quantity_rn FROM Razhodni_normi"), "0.0125");
    // The template's reserved rows are there once, the carried keys beside.
    EXPECT_EQ(RowsOf(db, "SELECT code_izd FROM Izdelia ORDER BY code_izd"), (QStringList{"0", "12"}));
    EXPECT_EQ(RowsOf(db, "SELECT code_r FROM Resources ORDER BY code_r"), (QStringList{"0", "3"}));
    EXPECT_EQ(RowsOf(db, "SELECT code_of_object FROM Obekti ORDER BY 1"), (QStringList{"0", "4"}));
    EXPECT_EQ(RowsOf(db, "SELECT n_Miarka, v_Miarka FROM Merki"), (QStringList{"1@бр."}));
    EXPECT_EQ(RowsOf(db, "SELECT * FROM Nas"), (QStringList{"1@10.0.0.5@41"}));
    EXPECT_EQ(RowsOf(db, "SELECT Count(*) FROM FVD"), (QStringList{"6"}));
    EXPECT_EQ(RowsOf(db, "SELECT value_va FROM VA WHERE code_va = 8"), (QStringList{"2026"}));
    EXPECT_EQ(RowsOf(db, "SELECT Count(*) FROM Zaiavki"), (QStringList{"0"}));
    // The current year is untouched.
    EXPECT_EQ(Rows("SELECT value_va FROM VA WHERE code_va = 8"), (QStringList{"2025"}));
    EXPECT_EQ(Raw(db, "PRAGMA integrity_check"), "ok");
}

TEST_F(YearEnd, ASecondRunLeavesTheExistingDatabaseByteForByte)
{
    {
        TfrmFinsihYear_TLV form;
        testsupport::ScopedDialogAnswers dialogs;
        ASSERT_TRUE(form.btnNextClick());
    }
    const QByteArray before = Read(NextYearPath());
    // Data entered into the new year meanwhile must survive a second run.
    Execute("INSERT INTO Merki VALUES ( 9, \"кг\" )");
    TfrmFinsihYear_TLV form;
    testsupport::ScopedDialogAnswers dialogs;
    EXPECT_FALSE(form.btnNextClick());
    EXPECT_EQ(dialogs.Texts(), QStringList{"Годишното приключване вече е извършено."});
    EXPECT_TRUE(Read(NextYearPath()) == before);
    EXPECT_TRUE(form.btnNext->isEnabled());
}

TEST_F(YearEnd, FileFailuresAreToldInBulgarianWithTheFileAndTheCause)
{
    const QString folder = base_->DbFolder() + "2026/";
    ASSERT_TRUE(Write(base_->DbFolder() + "2026", "not a folder"));
    {
        TfrmFinsihYear_TLV form;
        testsupport::ScopedDialogAnswers dialogs;
        EXPECT_FALSE(form.btnNextClick());
        ASSERT_EQ(dialogs.Shown().size(), 1u);
        EXPECT_EQ(dialogs.Shown()[0].Kind, mtError);
        EXPECT_EQ(dialogs.Shown()[0].Text, "Директорията " + folder + " не може да бъде създадена: част от пътя не е папка");
        EXPECT_EQ(Read(base_->DbFolder() + "2026"), "not a folder");
    }
    // A full disk stops the copy of the template.
    QFile::remove(base_->DbFolder() + "2026");
    TfrmFinsihYear_TLV form;
    testsupport::ScopedDialogAnswers dialogs;
    {
        testsupport::FileSizeLimit full(10000);
        EXPECT_FALSE(form.btnNextClick());
    }
    EXPECT_EQ(dialogs.Texts(), QStringList{"Годишното приключване не е извършено: празната база данни " + base_->DbFolder()
                                           + "empty.db не може да бъде копирана в папката " + folder + ".\rГрешка при запис на файла "
                                           + folder + QString("~%1.").arg(QCoreApplication::applicationPid())
                                           + YearDatabaseFileName + ": файлът е по-голям, отколкото дискът позволява."});
    EXPECT_TRUE(QDir(folder).entryList(QDir::Files | QDir::Hidden).isEmpty());
    EXPECT_TRUE(form.btnNext->isEnabled());
}

TEST_F(YearEnd, AMissingOrBadTemplateOrYearStopsBeforeAnythingIsMade)
{
    const QString empty = base_->DbFolder() + TemplateDatabaseFileName;
    const QByteArray program = Read(empty);
    QByteArray damaged = program;
    damaged.replace(8192, 4096, QByteArray(4096, '\x5a'));
    const QString kDelete = "Изтрийте я и стартирайте програмата отново: програмата ще създаде нова празна база данни.";
    const auto refused = [&empty, &kDelete](const QString &Reason, const QString &Remedy = {}) {
        return "Годишното приключване не е извършено: празната база данни " + empty + " не може да бъде използвана:\r"
             + Reason + "\r" + (Remedy.isEmpty() ? kDelete : Remedy);
    };
    std::unique_ptr<platform::Database> holder;   // another program holding the template
    std::unique_ptr<OtherUser> stranger;          // a clerk whom the permissions bind
    // Each template, made by a step, and what the closing says of it.
    const std::vector<std::pair<std::function<void()>, QString>> templates = {
        {[] {}, "Файлът " + empty + " не съществува."},
        {[&] {   // another program's database
             platform::Database::CreateFile(empty);
             platform::Database(empty).Execute("CREATE TABLE Klienti ( id INT, ime CHAR(50) )");
         }, refused("липсва таблица Ambalaj.")},
        {[&] { QDir().mkpath(empty); }, refused("това е папка, а не файл.")},
        {[&] { Write(empty, damaged); }, refused("файлът е повреден или не е база данни.")},
        {[&] {   // a year's database copied over it
             Execute("INSERT INTO Zaiavki ( Query_num, obekt ) VALUES ( 1, 0 )");
             QFile::copy(DatabasePath(), empty);
         }, refused("не е празна: в таблица Zaiavki има записи.")},
        {[&] {   // documents beside master data the closing does not carry, which a new template lacks
             Write(empty, program);
             for (const char *row : {"Dostavki ( docno, code_r ) VALUES ( 1, 1 )", "Invoices ( Invoice_num ) VALUES ( 1 )",
                                     "Ambalaj VALUES ( 3, \"Каса\" )", "Nepreki_razhodi VALUES ( 1, 100 )"})
                 platform::Database(empty).Execute(QString("INSERT INTO ") + row);
         }, refused("не е празна: в таблици Invoices, Dostavki има записи.", kDelete + " Новата няма да съдържа записите на "
                    "таблици Nepreki_razhodi, Ambalaj, които са в тази и които годишното приключване не пренася: след "
                    "приключването ги въведете отново в новата година.")},
        {[&] { Write(empty, QByteArray(program).replace(18, 1, "\3", 1)); }, refused("файлът е повреден или не е база данни.")},
        {[&] { Write(empty, program), QFile::setPermissions(empty, {}), stranger = std::make_unique<OtherUser>(*base_); },
         refused("няма права за достъп.", "Файлът не е променен. Отстранете причината и опитайте отново.")},
        {[&] { Write(empty, program), holder = std::make_unique<platform::Database>(empty), platform::Database::SetBusyTimeoutMs(50);
               sqlite3_exec(holder->Handle(), "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr); },
         refused("базата данни е заета от друго работно място.", "Затворете програмата, която я използва, и опитайте отново.")},
    };
    for (const auto &[make, text] : templates) {
        DeleteTree(empty);
        make();
        TfrmFinsihYear_TLV form;
        testsupport::ScopedDialogAnswers dialogs;
        EXPECT_FALSE(form.btnNextClick());
        EXPECT_EQ(dialogs.Texts(), QStringList{text});
        EXPECT_FALSE(QFileInfo::exists(base_->DbFolder() + "2026"));
        stranger.reset();
    }
    holder.reset(), platform::Database::SetBusyTimeoutMs(8000);
    // Years the settings window does not take are refused before any
    // arithmetic: no folder, no success.
    Write(empty, program);
    const QStringList folders = QDir(base_->DbFolder()).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString year : {"", "2147483647", "0000", "-5", "20 25", "12345", "9999"}) {
        Execute("UPDATE VA SET value_va = \"" + year + "\" WHERE code_va = 8");
        TfrmFinsihYear_TLV form;
        testsupport::ScopedDialogAnswers dialogs;
        EXPECT_FALSE(form.btnNextClick());
        EXPECT_EQ(dialogs.Texts(), QStringList{year == "9999" ? "Годишното приключване не е извършено: 9999 е последната година, която програмата може да води, и след нея не може да бъде открита нова."
                                               : "Годишното приключване не е извършено: текущата година (\"" + year
                                               + "\") не е година от 1 до 9999. Въведете я в настройките на фирмата."});
        EXPECT_EQ(QDir(base_->DbFolder()).entryList(QDir::Dirs | QDir::NoDotAndDotDot), folders);
    }
    // The program's own template serves once it is back; master data kept in it goes into the new year as it stands.
    for (const char *row : {"Ambalaj VALUES ( 3, \"Каса\" )", "Users_passwords VALUES ( \"иван\", \"1\", \"Иван\" )", "Nepreki_razhodi "
                            "VALUES ( 1, 100 )", "Prices_by_items_and_stores VALUES ( 1, 2, 1.25 )", "Resources_prices VALUES ( 1, 1, 0.5 )"})
        platform::Database(empty).Execute(QString("INSERT INTO ") + row);
    Execute("UPDATE VA SET value_va = \"2025\" WHERE code_va = 8");
    TfrmFinsihYear_TLV form;
    testsupport::ScopedDialogAnswers dialogs;
    EXPECT_TRUE(form.btnNextClick()) << dialogs.Texts().join('|').toStdString();
    EXPECT_EQ(Raw(NextYearPath(), "SELECT Count(*) FROM Zaiavki"), "0");
    EXPECT_EQ(RowsOf(NextYearPath(), "SELECT * FROM Ambalaj, Users_passwords, Prices_by_items_and_stores, Nepreki_razhodi, "
                                     "Resources_prices"), QStringList{"3@Каса@иван@1@Иван@1@2@1.25@1@100@1@1@0.5"});
}

TEST_F(YearEnd, AFailingCarryLeavesNoDatabaseBehind)
{
    // A table of the current year that no longer reads as the template's.
    Execute("DROP TABLE Busses");
    Execute("CREATE TABLE Busses ( c_bus CHAR(50), n_bus CHAR(50) )");
    Execute("INSERT INTO Busses VALUES ( \"x\", \"a\" )");
    Execute("INSERT INTO Busses VALUES ( \"x\", \"b\" )");
    TfrmFinsihYear_TLV form;
    testsupport::ScopedDialogAnswers dialogs;
    EXPECT_FALSE(form.btnNextClick());
    ASSERT_FALSE(dialogs.Shown().empty());
    EXPECT_TRUE(dialogs.Shown()[0].Text.startsWith("Грешка при работа с базата данни !"));
    EXPECT_NE(form.panelText->text(), "Годишното приключване завърши успешно.");
    EXPECT_FALSE(QFileInfo::exists(NextYearPath()));
    EXPECT_TRUE(QDir(base_->DbFolder() + "2026").entryList(QDir::Files | QDir::Hidden).isEmpty());
}

TEST_F(YearEnd, ThePerYearDatabaseNamesTheYearAndItsGroup)
{
    const QString current = base_->DbFolder() + "FIRM/2030/" + YearDatabaseFileName;
    QDir().mkpath(QFileInfo(current).absolutePath());
    ASSERT_TRUE(QFile::copy(base_->DbFolder() + TemplateDatabaseFileName, current));
    {
        testsupport::ScopedDialogAnswers dialogs;
        dialogs.Type("firm 2030");
        QWidget owner;
        owner.setWindowTitle("Tolvex2000");
        OpenDatabase(QCoreApplication::instance(), &owner, false);
    }
    ASSERT_EQ(DatabaseTag(), "FIRM_2030");
    Execute("INSERT INTO Groups VALUES ( 5, \"Сладкарски\" )");
    TfrmFinsihYear_TLV form;
    EXPECT_EQ(form.CurrentYearText(), "2030");
    testsupport::ScopedDialogAnswers dialogs;
    ASSERT_TRUE(form.btnNextClick());
    const QString next = base_->DbFolder() + "FIRM/2031/" + YearDatabaseFileName;
    EXPECT_EQ(RowsOf(next, "SELECT * FROM Groups"), QStringList{"5@Сладкарски"});
}

TEST_F(YearEnd, WorkstationsClosingAtOnceMakeOneWholeDatabase)
{
    for (int code = 1; code <= 400; ++code)
        Execute(QString("INSERT INTO Izdelia VALUES ( %1, \"Изделие %1\", 1, 0, 1, 1.5, 0, 0, 0, 0 )").arg(code));
    CloseDatabase();
    const QByteArray empty = Read(base_->DbFolder() + TemplateDatabaseFileName);
    const QString go = base_->Path() + "go";
    int running = 0;
    for (int round = 0; round < 4; ++round) {
        QFile::remove(go);
        DeleteTree(base_->DbFolder() + "2026");
        std::vector<std::unique_ptr<QProcess>> children;
        for (int i = 0; i < 3; ++i) {
            children.push_back(StartWorkstation(DatabasePath(), go));
            ASSERT_TRUE(children.back()->waitForStarted());
        }
        QThread::msleep(300);
        ASSERT_TRUE(Write(go, "go"));
        QStringList results;
        for (auto &child : children) {
            ASSERT_TRUE(child->waitForFinished(120000));
            const QString out = QString::fromLocal8Bit(child->readAll());
            ASSERT_EQ(child->exitCode(), 0) << out.toStdString();
            const int at = out.indexOf("RESULT ");
            ASSERT_GE(at, 0) << out.toStdString();
            results << out.mid(at + 7).section('\n', 0, 0);
        }
        // One closing made the database; each other one was told why not.
        EXPECT_EQ(results.filter(QRegularExpression("^success\\|$")).size(), 1) << results.join(" / ").toStdString();
        for (const QString &r : results)
            EXPECT_TRUE(r == "success|" || r == "refused|" + kRunning || r == "refused|" + kDone)
                << r.toStdString();
        running += int(results.count("refused|" + kRunning));
        const QString db = NextYearPath();
        ASSERT_TRUE(QFileInfo::exists(db));
        EXPECT_FALSE(Read(db) == empty);
        EXPECT_EQ(Raw(db, "SELECT value_va FROM VA WHERE code_va = 8"), "2026");
        EXPECT_EQ(Raw(db, "SELECT Count(*) FROM Izdelia"), "401");
        EXPECT_EQ(Raw(db, "PRAGMA integrity_check"), "ok");
        EXPECT_EQ(QDir(base_->DbFolder() + "2026").entryList(QDir::Files | QDir::Hidden),
                  QStringList{YearDatabaseFileName});
    }
    // The closings did run at the same time.
    EXPECT_GT(running, 0);
    OpenDatabase(QCoreApplication::instance(), nullptr, true);
}

TEST_F(YearEnd, AClosingRunningElsewhereIsRefusedAndItsClaimEndsWithItsProcess)
{
    CloseDatabase();
    const QString held = base_->Path() + "held";
    const std::unique_ptr<QProcess> holder = StartWorkstation(DatabasePath(), QString(), held);
    ASSERT_TRUE(WaitForFile(held, 60000)) << holder->readAll().toStdString();
    OpenDatabase(QCoreApplication::instance(), nullptr, true);
    {
        TfrmFinsihYear_TLV form;
        testsupport::ScopedDialogAnswers dialogs;
        EXPECT_FALSE(form.btnNextClick());
        EXPECT_EQ(dialogs.Texts(), QStringList{kRunning});
        EXPECT_FALSE(QFileInfo::exists(NextYearPath()));
        EXPECT_TRUE(form.btnNext->isEnabled());
    }
    // The workstation dies in the middle: its claim does not outlive it, nor
    // do the files it was making.
    holder->kill();
    ASSERT_TRUE(holder->waitForFinished(10000));
    const QString halfMade = "~4242." + QString(YearDatabaseFileName);
    for (const QString &name : {halfMade, halfMade + "-journal", "." + halfMade + ".Ab12Cd"})
        ASSERT_TRUE(Write(base_->DbFolder() + "2026/" + name, "half made"));
    TfrmFinsihYear_TLV form;
    testsupport::ScopedDialogAnswers dialogs;
    EXPECT_TRUE(form.btnNextClick()) << dialogs.Texts().join('|').toStdString();
    EXPECT_EQ(Raw(NextYearPath(), "SELECT value_va FROM VA WHERE code_va = 8"), "2026");
    EXPECT_EQ(QDir(base_->DbFolder() + "2026").entryList(QDir::Files | QDir::Hidden),
              QStringList{YearDatabaseFileName});
}
