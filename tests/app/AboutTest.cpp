// The About box: its size, caption and texts, this workstation's address,
// and the picture, whose damage must never close the box or the program.
#include "app/About.h"
#include "core/unSettings.h"
#include "platform/db/Database.h"
#include "support/DatabaseTest.h"
#include "support/ScopedDialogAnswers.h"
#include "support/TestEnv.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <sqlite3.h>

TEST(AboutBoxGui, HasItsSizeCaptionTextsAndAHiddenFixButton)
{
    TAboutBox box;
    EXPECT_EQ(box.size(), QSize(298, 210));
    EXPECT_EQ(box.windowTitle(), "За програмата");
    EXPECT_EQ(box.Version->text(), "Версия: 02.07.2008");
    EXPECT_EQ(box.ProductName->text(), "Tolvex2000");
    EXPECT_EQ(box.OKButton->text(), "OK");
    EXPECT_TRUE(box.OKButton->isDefault());
    EXPECT_EQ(box.btnFix->text(), "FIX");
    box.show();
    EXPECT_FALSE(box.btnFix->isVisible());
    // The address is read each time the box shows.
    EXPECT_EQ(box.labIPAddress->text(), "IPAddress: " + GetLocalIPAddress());
    box.labIPAddress->clear();
    box.hide();
    box.show();
    EXPECT_EQ(box.labIPAddress->text(), "IPAddress: " + GetLocalIPAddress());
}

TEST(AboutBoxGui, ShowsTheProgramsPictureAndClosesWithEnter)
{
    TAboutBox box;
    ASSERT_FALSE(box.ProgramIcon->pixmap().isNull());
    EXPECT_EQ(box.ProgramIcon->pixmap().size(), QSize(64, 64));
    EXPECT_EQ(box.ProgramIcon->size(), QSize(64, 64));
    testsupport::OnNextModal([](QWidget *w) { QTest::keyClick(w, Qt::Key_Return); });
    EXPECT_EQ(box.exec(), QDialog::Accepted);
}

TEST(AboutBoxGui, ADamagedPictureLeavesTheBoxOpenWithoutAPicture)
{
    TAboutBox box;
    box.show();
    const QByteArray sound = TAboutBox::ResourcePicture();
    ASSERT_FALSE(sound.isEmpty());
    EXPECT_FALSE(box.LoadPicture(sound.left(sound.size() / 3)));
    EXPECT_TRUE(box.ProgramIcon->pixmap().isNull());
    EXPECT_TRUE(box.isVisible());
    EXPECT_FALSE(box.LoadPicture(QByteArray("\xFF\xD8\xFF\xE0 garbage", 13)));
    EXPECT_TRUE(box.isVisible());
    EXPECT_TRUE(box.LoadPicture(sound));
    EXPECT_FALSE(box.ProgramIcon->pixmap().isNull());
}

TEST(AboutBoxGui, GrabsToPng)
{
    TAboutBox box;
    box.show();
    QTest::qWait(10);
    EXPECT_TRUE(box.grab().save(testsupport::OutputPath("about-box.png")));
}

namespace {

// The About box on the test's database.
class AboutUpgrade : public testsupport::DatabaseTest
{
protected:
    bool HasColumn(const QString &Table, const QString &Column)
    {
        try {
            Rows(QString("Select %1 from %2 where 1 = 0").arg(Column, Table));
            return true;
        } catch (const std::exception &) {
            return false;
        }
    }

    // The three tables as they were before the four columns came.
    void MakeOld(bool CustGroups, bool Dostavki, bool Payments)
    {
        if (CustGroups) {
            Execute("DROP TABLE CustGroups");
            Execute("CREATE TABLE CustGroups (code_c INT primary key, name_c CHAR(255), ndr CHAR(50), bulstat "
                    "CHAR(50), mol CHAR(50), Pref_code BYTE, e_mail_c CHAR(50), GSM CHAR(50), telephone CHAR(50), "
                    "fax CHAR(50), grad CHAR(50), Upravitel CHAR(50), c_bus INT)");
        }
        if (Dostavki) {
            Execute("DROP TABLE Dostavki");
            Execute("CREATE TABLE Dostavki (docno INT, code_r INT, code_supplier INT, date_doc DATETIME, "
                    "quantity_r DOUBLE, price_r DOUBLE, value_r DOUBLE, PRIMARY KEY (docno, code_r))");
        }
        if (Payments) {
            Execute("DROP TABLE Plashtane_na_dostavki");
            Execute("CREATE TABLE Plashtane_na_dostavki (docno INT primary key, date_d DATETIME, "
                    "docno_supplier INT, suma DOUBLE)");
        }
    }

    bool AllColumns()
    {
        return HasColumn("CustGroups", "TD_na_NAP") && HasColumn("Dostavki", "ByDocNo")
            && HasColumn("Dostavki", "ByDateDocNo") && HasColumn("Plashtane_na_dostavki", "code_payment");
    }
};

} // namespace

TEST_F(AboutUpgrade, OnACurrentDatabaseChangesNothingAndShowsNothing)
{
    TAboutBox box;
    testsupport::ScopedDialogAnswers dialogs;
    EXPECT_TRUE(box.btnFixClick());
    EXPECT_TRUE(dialogs.Shown().empty());
    EXPECT_TRUE(AllColumns());
}

TEST_F(AboutUpgrade, AddsTheFourColumnsToAnOldDatabase)
{
    MakeOld(true, true, true);
    Execute("Insert into Dostavki values ( 1, 2, 3, 39507, 1.5, 2.25, 3.38 )");
    ASSERT_FALSE(HasColumn("Dostavki", "ByDocNo"));
    TAboutBox box;
    testsupport::ScopedDialogAnswers dialogs;
    EXPECT_TRUE(box.btnFixClick());
    EXPECT_TRUE(dialogs.Shown().empty());
    EXPECT_TRUE(AllColumns());
    // Rows already there stay, and the new insert order works.
    EXPECT_EQ(Rows("Select docno, value_r from Dostavki"), QStringList{"1@3.38"});
    Execute("Insert into Dostavki values ( 2, 2, 3, 39507, 1, 2, 2, 17.000000, 39508 )");
    EXPECT_EQ(Rows("Select ByDocNo, ByDateDocNo from Dostavki where docno = 2"), QStringList{"17@01.03.2008"});
}

TEST_F(AboutUpgrade, FinishesAHalfUpgradedDatabase)
{
    MakeOld(false, false, true);
    TAboutBox box;
    testsupport::ScopedDialogAnswers dialogs;
    EXPECT_TRUE(box.btnFixClick());
    EXPECT_TRUE(dialogs.Shown().empty());
    EXPECT_TRUE(AllColumns());
}

TEST_F(AboutUpgrade, AFailureIsShownAndAddsNoColumn)
{
    MakeOld(true, false, true);
    platform::Database other(DatabasePath());
    ASSERT_EQ(sqlite3_exec(other.Handle(), "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    platform::Database::SetBusyTimeoutMs(50);
    TAboutBox box;
    testsupport::ScopedDialogAnswers dialogs;
    EXPECT_FALSE(box.btnFixClick());
    platform::Database::SetBusyTimeoutMs(8000);
    sqlite3_exec(other.Handle(), "ROLLBACK", nullptr, nullptr, nullptr);
    ASSERT_EQ(dialogs.Shown().size(), 1u);
    EXPECT_EQ(dialogs.Shown()[0].Text, "Грешка при работа с базата данни !\n\r" + platform::DatabaseBusyText());
    EXPECT_FALSE(HasColumn("CustGroups", "TD_na_NAP"));
    EXPECT_FALSE(HasColumn("Plashtane_na_dostavki", "code_payment"));
}

TEST_F(AboutUpgrade, TheFixButtonUpgradesAndClosesTheBox)
{
    MakeOld(true, false, false);
    TAboutBox box;
    box.show();
    box.btnFix->click();
    EXPECT_EQ(box.result(), QDialog::Accepted);
    EXPECT_FALSE(box.isVisible());
    EXPECT_TRUE(HasColumn("CustGroups", "TD_na_NAP"));
}
