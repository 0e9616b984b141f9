// The release request of raw materials against a real database: what the
// day's produced production used by the norms next to what is requested,
// quantities typed into the grid, "Изписване", and the day's request
// replaced as a whole in one transaction.
#include <gtest/gtest.h>

#include <QDate>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <memory>
#include <sqlite3.h>

#include "components/FilterMan.h"
#include "components/GridAmountEntry.h"
#include "core/LineConv.h"
#include "components/RichGrid.h"
#include "core/uFormClasses.h"
#include "core/uHelpers.h"
#include "core/un_Ado_Connection.h"
#include "documents/un_Iskane_za_otpuskane_na_surovini_i_materiali.h"
#include "platform/db/Database.h"
#include "support/DatabaseTest.h"
#include "support/ScopedDialogAnswers.h"

namespace {

using Form = TfrmIskane_za_otpuskane_na_surovini_i_materiali;

class IskaneGui : public testsupport::DatabaseTest
{
protected:
    void SetUp() override
    {
        DatabaseTest::SetUp();
        today_ = DateToDayNumber(QDate::currentDate());
        Execute("INSERT INTO Merki VALUES ( 1, \"кг\" )");
        Execute("INSERT INTO Merki VALUES ( 2, \"бр\" )");
        Execute("INSERT INTO Merki VALUES ( 3, \"л\" )");
        Execute("INSERT INTO Resources VALUES ( 11, \"Брашно\", 1 )");
        Execute("INSERT INTO Resources VALUES ( 12, \"Мая\", 1 )");
        Execute("INSERT INTO Resources VALUES ( 13, \"Сол\", 1 )");
        Execute("INSERT INTO Resources VALUES ( 14, \"Захар\", 1 )");
        Execute("INSERT INTO Resources VALUES ( 15, \"Олио\", 3 )");
        Execute("INSERT INTO Izdelia VALUES ( 5, \"Хляб\", 0, 0, 2, 0, 0, 0, 0, 0 )");
        Execute("INSERT INTO Izdelia VALUES ( 6, \"Кифла\", 0, 0, 2, 0, 0, 0, 0, 0 )");
        Execute("INSERT INTO Izdelia VALUES ( 7, \"Козунак\", 0, 0, 2, 0, 0, 0, 0, 0 )");
        // Norms: bread 0.45 flour, 0.012 yeast, 0.009 salt; a roll 0.08
        // flour and 0.0025 yeast; the cake (not produced today) 0.05 oil.
        Execute("INSERT INTO Razhodni_normi VALUES ( 5, 11, 0.4500 )");
        Execute("INSERT INTO Razhodni_normi VALUES ( 5, 12, 0.0120 )");
        Execute("INSERT INTO Razhodni_normi VALUES ( 5, 13, 0.0090 )");
        Execute("INSERT INTO Razhodni_normi VALUES ( 6, 11, 0.0800 )");
        Execute("INSERT INTO Razhodni_normi VALUES ( 6, 12, 0.0025 )");
        Execute("INSERT INTO Razhodni_normi VALUES ( 7, 15, 0.0500 )");
        // Today two acts: 120 + 30 loaves and 200 rolls; yesterday 1000
        // loaves and 10 cakes, which today's request does not see.
        Execute(QString("INSERT INTO Akt_za_proizvedena_produkcia VALUES ( 1, 5, %1, 120 )").arg(today_));
        Execute(QString("INSERT INTO Akt_za_proizvedena_produkcia VALUES ( 1, 6, %1, 200 )").arg(today_));
        Execute(QString("INSERT INTO Akt_za_proizvedena_produkcia VALUES ( 2, 5, %1, 30 )").arg(today_));
        Execute(QString("INSERT INTO Akt_za_proizvedena_produkcia VALUES ( 3, 5, %1, 1000 )").arg(today_ - 1));
        Execute(QString("INSERT INTO Akt_za_proizvedena_produkcia VALUES ( 3, 7, %1, 10 )").arg(today_ - 1));
        // Already requested today: yeast 2.5 and sugar 4 (no norm needs
        // sugar); yesterday's request of flour stays whatever today does.
        Execute(QString("INSERT INTO Iskane_za_otpuskane_na_surovini_i_materiali VALUES ( %1, 12, 2.5 )").arg(today_));
        Execute(QString("INSERT INTO Iskane_za_otpuskane_na_surovini_i_materiali VALUES ( %1, 14, 4 )").arg(today_));
        Execute(QString("INSERT INTO Iskane_za_otpuskane_na_surovini_i_materiali VALUES ( %1, 11, 500 )")
                    .arg(today_ - 1));
    }
    void TearDown() override
    {
        if (form_)
            form_->SetModified(false);
        form_.reset();
        DatabaseTest::TearDown();
    }

    void Open()
    {
        form_.reset(CreateQuorendForm<Form>(nullptr, fsNormal));
        form_->resize(1000, 500);
        ASSERT_TRUE(form_->ShowForm());
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form_.get()));
    }

    QStringList GridRows() const
    {
        QStringList rows;
        for (int r = form_->Grid->FixedRows(); r < form_->Grid->RowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < Form::colCount; ++c)
                cells << form_->Grid->Cells(c, r);
            rows << cells.join("@");
        }
        return rows;
    }

    int RowOf(const QString &code) const
    {
        for (int r = form_->Grid->FixedRows(); r < form_->Grid->RowCount(); ++r)
            if (form_->Grid->Cells(0, r) == code)
                return r;
        return -1;
    }

    // Types into the requested cell of a resource's row, as the operator
    // does.
    void Type(const QString &code, const QString &keys)
    {
        form_->Grid->setFocus();
        form_->Grid->SetCol(Form::colRequested);
        form_->Grid->SetRow(RowOf(code));
        QTest::keyClicks(form_->Grid->InplaceEditor() && form_->Grid->InplaceEditor()->isVisible()
                             ? static_cast<QWidget *>(form_->Grid->InplaceEditor())
                             : static_cast<QWidget *>(form_->Grid),
                         keys);
    }

    QStringList Day(int day)
    {
        return Rows(QString("SELECT code_r, quantity_r FROM Iskane_za_otpuskane_na_surovini_i_materiali WHERE "
                            "date_doc = %1 ORDER BY code_r")
                        .arg(day));
    }

    int today_ = 0;
    std::unique_ptr<Form> form_;
};

} // namespace

TEST_F(IskaneGui, ByNormFromTheDaysActsNextToTheRequestAndTypedQuantitiesReplaceTheDay)
{
    EXPECT_TRUE(IsFormClassRegistered("TfrmIskane_za_otpuskane_na_surovini_i_materiali"));
    Open();
    EXPECT_EQ(form_->windowTitle(), "Изписване на суровини и материали на база актувана готова продукция");
    EXPECT_EQ(form_->pnlCaption->text(), "ИЗПИСВАНЕ НА СУРОВИНИ И МАТЕРИАЛИ НА БАЗА АКТУВАНА ГОТОВА ПРОДУКЦИЯ");
    EXPECT_EQ(form_->GetSubTitle(), "за дата " + DateToDisplayText(QDate::currentDate()));
    EXPECT_EQ(form_->Grid->FixedRows(), 2);
    // Flour (120 + 30) * 0.45 + 200 * 0.08 = 83.5; yeast 150 * 0.012 +
    // 200 * 0.0025 = 2.3 against 2.5 requested; salt 150 * 0.009 = 1.35;
    // sugar only requested. By name, the requested-only rows after them.
    EXPECT_EQ(GridRows(), QStringList({"11@Брашно@кг@83.500@@83.500", "12@Мая@кг@2.300@2.500@-0.200",
                                       "13@Сол@кг@1.350@@1.350", "14@Захар@кг@@4.000@-4.000"}));
    EXPECT_FALSE(form_->Modified());

    // Only the requested column of a resource row edits; keys other than
    // digits and the point are dropped; the difference follows the typing.
    form_->Grid->SetRow(RowOf("13"));
    form_->Grid->SetCol(Form::colByNorm);
    form_->GridClick();
    EXPECT_FALSE(form_->Grid->Options().Contains(goEditing));
    form_->Grid->SetCol(Form::colRequested);
    form_->GridClick();
    EXPECT_TRUE(form_->Grid->Options().Contains(goEditing));
    Type("13", "-1a.4x");
    EXPECT_EQ(form_->Grid->Cells(Form::colRequested, RowOf("13")), "1.4");
    EXPECT_EQ(form_->Grid->Cells(Form::colDifference, RowOf("13")), "-0.050");
    EXPECT_TRUE(form_->Modified());
    // Sugar set to 0 leaves the day's request; flour typed with more
    // decimals is written rounded to three.
    form_->Grid->SetCells(Form::colRequested, RowOf("14"), "0");
    form_->Grid->SetCells(Form::colRequested, RowOf("11"), "80.0004");

    testsupport::ScopedDialogAnswers dialogs;
    ASSERT_TRUE(form_->Save());
    EXPECT_TRUE(dialogs.Shown().empty()) << dialogs.Texts().join('|').toStdString();
    EXPECT_EQ(Day(today_), QStringList({"11@80", "12@2.5", "13@1.4"}));
    EXPECT_EQ(Day(today_ - 1), QStringList({"11@500"}));
    // Loaded again: the sugar row is gone.
    EXPECT_EQ(GridRows(), QStringList({"11@Брашно@кг@83.500@80.000@3.500", "12@Мая@кг@2.300@2.500@-0.200",
                                       "13@Сол@кг@1.350@1.400@-0.050"}));
    EXPECT_FALSE(form_->Modified());
}

TEST_F(IskaneGui, IzpisvaneRequestsExactlyWhatTheNormsGive)
{
    Open();
    form_->btnIzpisvane->click();
    EXPECT_EQ(GridRows(), QStringList({"11@Брашно@кг@83.500@83.500@0.000", "12@Мая@кг@2.300@2.300@0.000",
                                       "13@Сол@кг@1.350@1.350@0.000", "14@Захар@кг@@@0.000"}));
    EXPECT_TRUE(form_->Modified());
    form_->actSave->trigger();
    EXPECT_EQ(Day(today_), QStringList({"11@83.5", "12@2.3", "13@1.35"}));
}

TEST_F(IskaneGui, ADayWithoutActsListsItsRequestAndAnEmptyRequestIsRefused)
{
    Open();
    // Yesterday: 1000 loaves and 10 cakes by norm (flour 450, yeast 12,
    // salt 9, oil 0.5); the flour already requested.
    form_->date_doc->setDate(QDate::currentDate().addDays(-1));
    EXPECT_EQ(GridRows(), QStringList({"@@@@@"})) << "a change of date clears the grid";
    form_->actExecute->trigger();
    EXPECT_EQ(GridRows(), QStringList({"11@Брашно@кг@450.000@500.000@-50.000", "12@Мая@кг@12.000@@12.000",
                                       "15@Олио@л@0.500@@0.500", "13@Сол@кг@9.000@@9.000"}));

    // A day without acts: only its request, the by-norm column empty.
    Execute(QString("INSERT INTO Iskane_za_otpuskane_na_surovini_i_materiali VALUES ( %1, 13, 0.75 )")
                .arg(today_ - 5));
    form_->date_doc->setDate(QDate::currentDate().addDays(-5));
    form_->actExecute->trigger();
    EXPECT_EQ(GridRows(), QStringList({"13@Сол@кг@@0.750@-0.750"}));

    // Every requested quantity 0 (or below the third decimal): refused,
    // nothing written.
    testsupport::ScopedDialogAnswers dialogs;
    form_->Grid->SetCells(Form::colRequested, RowOf("13"), "0.0004");
    EXPECT_FALSE(form_->Save());
    EXPECT_EQ(dialogs.Texts(), QStringList({"Не са въведени данни, които да се запишат в базата данни"}));
    EXPECT_EQ(Day(today_ - 5), QStringList({"13@0.75"}));

    // After a change of date the cleared grid has nothing to save.
    form_->date_doc->setDate(QDate::currentDate());
    EXPECT_FALSE(form_->Save());
    EXPECT_EQ(dialogs.Texts().size(), 2);
    EXPECT_EQ(Day(today_), QStringList({"12@2.5", "14@4"}));
}

TEST_F(IskaneGui, AFailedSaveLeavesTheDayAsItWasAndARetryWritesItOnce)
{
    Open();
    form_->btnIzpisvane->click();
    ASSERT_EQ(sqlite3_exec(DbConnection->Handle(),
                           "CREATE TRIGGER refuse_salt BEFORE INSERT ON Iskane_za_otpuskane_na_surovini_i_materiali "
                           "WHEN NEW.code_r = 13 BEGIN SELECT RAISE(ABORT, 'salt refused'); END",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    testsupport::ScopedDialogAnswers dialogs;
    EXPECT_FALSE(form_->Save());
    ASSERT_EQ(dialogs.Texts().size(), 1);
    EXPECT_TRUE(dialogs.Texts()[0].contains("salt refused")) << dialogs.Texts()[0].toStdString();
    EXPECT_TRUE(dialogs.Texts()[0].contains(QString("values ( %1, 13, 1.350 )").arg(today_)));
    // Neither emptied by the delete nor half written by the inserts before
    // the failing one.
    EXPECT_EQ(Day(today_), QStringList({"12@2.5", "14@4"}));
    // The window keeps what was typed.
    EXPECT_TRUE(form_->Modified());
    EXPECT_EQ(form_->Grid->Cells(Form::colRequested, RowOf("13")), "1.350");

    ASSERT_EQ(sqlite3_exec(DbConnection->Handle(), "DROP TRIGGER refuse_salt", nullptr, nullptr, nullptr), SQLITE_OK);
    ASSERT_TRUE(form_->Save());
    EXPECT_EQ(Day(today_), QStringList({"11@83.5", "12@2.3", "13@1.35"}));
}

TEST_F(IskaneGui, ARequestTheFilterHidesIsKeptBySave)
{
    Open();
    // The F6 filter shows only the resources whose name begins with "М".
    form_->CreateFilterDialog();
    form_->FilterConditions()->AddObject("1", new TFilterMan("~М", FilterKindText));
    form_->Execute();
    ASSERT_EQ(form_->Grid->Cells(0, 2), "12");
    ASSERT_TRUE(form_->IsTotalsRow(3));
    // The filter's totals row takes no quantity.
    form_->Grid->SetRow(3);
    form_->Grid->SetCol(Form::colRequested);
    form_->GridClick();
    EXPECT_FALSE(form_->Grid->Options().Contains(goEditing));

    form_->Grid->SetCells(Form::colRequested, 2, "3");
    testsupport::ScopedDialogAnswers dialogs;
    ASSERT_TRUE(form_->Save());
    EXPECT_TRUE(dialogs.Shown().empty()) << dialogs.Texts().join('|').toStdString();
    // Sugar, hidden by the filter, keeps its request.
    EXPECT_EQ(Day(today_), QStringList({"12@3", "14@4"}));
}

TEST_F(IskaneGui, AMistypedQuantityIsRefusedByNameAndACommaTypesTheDecimalPoint)
{
    Open();
    const QStringList stored = Day(today_);
    // Saved unchanged, the day's request is not written again.
    const int changes = sqlite3_total_changes(DbConnection->Handle());
    EXPECT_TRUE(form_->Save());
    EXPECT_EQ(sqlite3_total_changes(DbConnection->Handle()), changes);
    Type("12", "17.5.");
    Type("11", "2,5");
    EXPECT_EQ(form_->Grid->Cells(Form::colRequested, RowOf("11")), "2.5");
    testsupport::ScopedDialogAnswers dialogs;
    EXPECT_FALSE(form_->Save());
    EXPECT_EQ(dialogs.Texts(), QStringList({"Стойността \"17.5.\" за заявеното количество на \"Мая\" не е число!\n\r"}));
    // Nothing written: yeast keeps its stored request.
    EXPECT_EQ(Day(today_), stored);
    form_->Grid->SetCells(Form::colRequested, RowOf("12"), "1.2.3");
    EXPECT_FALSE(form_->Save());
    EXPECT_EQ(Day(today_), stored);
    form_->Grid->SetCells(Form::colRequested, RowOf("12"), "3");
    EXPECT_TRUE(form_->Save());
    EXPECT_EQ(Day(today_), QStringList({"11@2.5", "12@3", "14@4"}));
}

TEST_F(IskaneGui, TypedQuantitiesAreAskedAboutBeforeTheRequestIsReadAgain)
{
    Open();
    Type("13", "1.4");
    ASSERT_TRUE(form_->Modified());
    testsupport::ScopedDialogAnswers dialogs;
    dialogs.Press(mbCancel);
    form_->date_doc->setDate(QDate::currentDate().addDays(-1));
    dialogs.Press(mbCancel);
    form_->actExecute->trigger();
    EXPECT_EQ(dialogs.Texts(), QStringList({"Данните не са записани!\rЖелаете ли да ги запишете?",
                                            "Данните не са записани!\rЖелаете ли да ги запишете?"}));
    EXPECT_EQ(form_->date_doc->date(), QDate::currentDate());
    EXPECT_EQ(form_->Grid->Cells(Form::colRequested, RowOf("13")), "1.4");
    // Yes saves the request of the day shown, then the date moves.
    dialogs.Press(mbYes);
    form_->date_doc->setDate(QDate::currentDate().addDays(-1));
    EXPECT_EQ(form_->date_doc->date(), QDate::currentDate().addDays(-1));
    EXPECT_EQ(Day(today_), QStringList({"12@2.5", "13@1.4", "14@4"}));
    EXPECT_EQ(Day(today_ - 1), QStringList({"11@500"}));
}
