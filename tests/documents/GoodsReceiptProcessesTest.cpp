// Goods receipts saved by separate program processes on one database file:
// two saving at once never lose a receipt nor store two under one number,
// and a process killed while saving leaves each receipt whole or absent.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QThread>

#include "GoodsReceiptFixture.h"
#include "components/FloatEdit.h"
#include "components/ListEdit.h"
#include "documents/unPrintStokovaRazpiska.h"
#include "documents/unStokovaRazpiska.h"
#include "support/ChildProcess.h"
#include "support/ScopedDialogAnswers.h"

namespace {

const char *const kChildDb = "TOLVEX_RECEIPT_CHILD_DB";
const char *const kChildSaves = "TOLVEX_RECEIPT_CHILD_SAVES";   // 0: until killed
const char *const kChildMark = "TOLVEX_RECEIPT_CHILD_MARK";
const int kSavesEach = 25;
const int kLinesOfKilled = 20;

QStringList RunChildren(const QString &db, int count, int saves, const QString &mark,
                        std::vector<std::unique_ptr<QProcess>> &out)
{
    QStringList errors;
    for (int i = 0; i < count; ++i) {
        out.push_back(testsupport::StartChildTest("GoodsReceiptChild.SavesReceipts",
                                                  {{kChildDb, db},
                                                   {kChildSaves, QString::number(saves)},
                                                   {kChildMark, mark},
                                                   {"TOLVEX_PRN", "/dev/null"}}));
        if (!out.back()->waitForStarted())
            errors << "child did not start";
    }
    return errors;
}

} // namespace

// The child's part: a workstation saving goods receipts through the window.
// It runs only in the processes the tests below start.
TEST(GoodsReceiptChild, SavesReceipts)
{
    const QString path = qEnvironmentVariable(kChildDb);
    if (path.isEmpty())
        GTEST_SKIP() << "runs only as a child process of the goods receipt process tests";
    const int saves = qEnvironmentVariableIntValue(kChildSaves);
    const QString mark = qEnvironmentVariable(kChildMark);
    testsupport::OpenDatabaseAsChild(path);
    testsupport::ScopedDialogAnswers dialogs;  // every question answered as Enter

    auto *form = CreateQuorendForm<TfrmStokovaRazpiska>(nullptr, fsMDIChild);
    ASSERT_TRUE(form->ShowForm());
    form->leCustomer->setText("7");
    form->leObject->setText("12");
    const int lines = saves == 0 ? kLinesOfKilled : 3;
    for (int i = 0; saves == 0 || i < saves; ++i) {
        for (int line = 1; line <= lines; ++line) {
            const QString code = QString::number(line <= 3 ? QList<int>{101, 205, 307}[line - 1] : 1000 + line);
            form->leIzdelie->setText(code);
            form->edAmount->SetValue(line);
            form->edPrice->SetValue(2);
            ASSERT_TRUE(form->DoNew()) << dialogs.Texts().join('|').toStdString();
        }
        // A number the other window took after this one proposed it is no
        // refusal: the save takes the next free one and says so.
        const QString shown = form->pnlDocNo->text();
        ASSERT_TRUE(form->Save()) << dialogs.Texts().join('|').toStdString();
        const QString saved = StokovaRazpiskaNumberText(form->SavedNumber());
        EXPECT_EQ(dialogs.Texts().contains("Документът е записан с номер " + saved + "."), saved != shown) << saved.toStdString();
        if (i == 4 && !mark.isEmpty()) {
            QFile f(mark);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        }
    }
    // No save is ever refused for a number the other window took.
    for (const QString &text : dialogs.Texts())
        EXPECT_TRUE(text == "Желаете ли да отпечатате съставените документи?" ||
                    text.startsWith("Документът е записан с номер "))
            << text.toStdString();
    form->SetModified(false);
    form->Close();
    CloseDatabase();
}

class GoodsReceiptProcesses : public testsupport::GoodsReceiptTest
{
protected:
    void SetUp() override
    {
        GoodsReceiptTest::SetUp();
        for (int code = 1004; code <= 1000 + kLinesOfKilled; ++code)
            Execute(QString("Insert into Izdelia values ( %1, \"Изделие %1\", 1, 1, 2, 2, 2, 2, 2, 2 )").arg(code));
        CloseDatabase();
    }
    void TearDown() override
    {
        for (auto &p : children_)
            testsupport::EndChild(*p);
        GoodsReceiptTest::TearDown();
    }
    std::vector<std::unique_ptr<QProcess>> children_;
};

TEST_F(GoodsReceiptProcesses, TwoWindowsSavingAtOnceNeverShareANumber)
{
    ASSERT_TRUE(RunChildren(DatabasePath(), 2, kSavesEach, QString(), children_).isEmpty());
    for (auto &p : children_) {
        ASSERT_TRUE(p->waitForFinished(120000));
        EXPECT_EQ(p->exitCode(), 0) << p->readAll().toStdString();
    }
    OpenDatabase(QCoreApplication::instance(), nullptr, true);
    const int total = 2 * kSavesEach;
    EXPECT_EQ(Rows("SELECT Count(*), Min(Query_num), Max(Query_num) FROM Zaiavki"),
              QStringList{QString("%1@1@%1").arg(total)});
    EXPECT_EQ(Rows("SELECT Count(*) FROM Zaiavka_rows"), QStringList{QString::number(3 * total)});
    EXPECT_TRUE(Rows("SELECT Query_num FROM Zaiavka_rows GROUP BY Query_num HAVING Count(*) <> 3").isEmpty());
    EXPECT_EQ(Rows(QString("SELECT Value_nas FROM Nas WHERE n_nas = 1 AND IP_Address = \"%1\"").arg(Station)),
              QStringList{QString("%1").arg(total, 10, 10, QChar('0'))});
}

TEST_F(GoodsReceiptProcesses, AKilledSaveLeavesEachReceiptWholeOrAbsent)
{
    const QString mark = base_->Path() + "five-saved";
    ASSERT_TRUE(RunChildren(DatabasePath(), 1, 0, mark, children_).isEmpty());
    QDeadlineTimer wait(60000);
    while (!QFile::exists(mark) && !wait.hasExpired() && children_[0]->state() == QProcess::Running)
        QThread::msleep(5);
    ASSERT_TRUE(QFile::exists(mark)) << children_[0]->readAll().toStdString();
    // The child saves continuously; stop it at a moment of its own.
    QThread::msleep(37);
    children_[0]->kill();
    ASSERT_TRUE(children_[0]->waitForFinished(10000));

    OpenDatabase(QCoreApplication::instance(), nullptr, true);
    const QStringList headers = Rows("SELECT Count(*), Max(Query_num) FROM Zaiavki");
    ASSERT_EQ(headers.size(), 1);
    const int count = headers[0].section('@', 0, 0).toInt();
    EXPECT_GE(count, 5);
    EXPECT_EQ(headers[0].section('@', 1, 1).toInt(), count);
    // Every header has all its lines and the total they make; no line
    // without its header.
    EXPECT_TRUE(Rows("SELECT Query_num FROM Zaiavka_rows GROUP BY Query_num HAVING Count(*) <> 20").isEmpty());
    EXPECT_TRUE(Rows("SELECT Query_num FROM Zaiavka_rows WHERE Query_num NOT IN (SELECT Query_num FROM Zaiavki)")
                    .isEmpty());
    EXPECT_TRUE(Rows("SELECT Zaiavki.Query_num FROM Zaiavki LEFT JOIN Zaiavka_rows ON Zaiavki.Query_num = "
                     "Zaiavka_rows.Query_num GROUP BY Zaiavki.Query_num, Zaiavki.Total_sum "
                     "HAVING Abs(Zaiavki.Total_sum - Sum(Zaiavka_rows.Value_of_row)) > 0.001")
                    .isEmpty());
    // The counter went with the receipts.
    EXPECT_EQ(Rows(QString("SELECT Value_nas FROM Nas WHERE n_nas = 1 AND IP_Address = \"%1\"").arg(Station)),
              QStringList{QString("%1").arg(count, 10, 10, QChar('0'))});
}
