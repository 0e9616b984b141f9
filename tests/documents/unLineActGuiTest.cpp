// The line acts: packaging receipts and acts of produced and rejected
// production numbered after the acts stored in their table, their lines
// queued and saved as the clerk left them.
#include <QDateEdit>
#include <QLabel>
#include <gtest/gtest.h>
#include <memory>
#include <sqlite3.h>

#include "LineDocumentFixture.h"
#include "components/FloatEdit.h"
#include "components/ListEdit.h"
#include "components/RichGrid.h"
#include "core/uFormClasses.h"
#include "core/uHelpers.h"
#include "core/un_Ado_Connection.h"
#include "platform/db/Database.h"
#include "documents/unAkt_za_brakuvana_produkcia.h"
#include "documents/unAkt_za_proizvedena_produkcia.h"
#include "documents/unZaprihojdavane_na_ambalaj.h"
#include "support/ScopedDialogAnswers.h"

namespace {

class LineActGui : public testsupport::LineDocumentTest<TfrmLineAct>
{
protected:
    void SetUp() override
    {
        LineDocumentTest::SetUp();
        Execute(QStringLiteral("INSERT INTO Merki VALUES ( 2, \"бр\" )"));
        Execute(QStringLiteral("INSERT INTO Izdelia VALUES ( 5, \"Хляб\", 0, 0, 2, 0, 0, 0, 0, 0 )"));
        Execute(QStringLiteral("INSERT INTO Izdelia VALUES ( 6, \"Кифла\", 0, 0, 2, 0, 0, 0, 0, 0 )"));
        Execute(QStringLiteral("INSERT INTO Ambalaj VALUES ( 1, \"Щайга\" )"));
        Execute(QStringLiteral("INSERT INTO Ambalaj VALUES ( 2, \"Плик\" )"));
        Execute(QStringLiteral("INSERT INTO Ambalaj VALUES ( 3, \"Кашон\" )"));
    }
    void Enter(const QString &Code, long double Quantity)
    {
        form->code->setText(Code);
        form->quantity->SetValue(Quantity);
        form->actNew->trigger();
    }
};

} // namespace

TEST_F(LineActGui, PackagingReceiptIsNumberedAfterTheStoredActsOfAnyDate)
{
    EXPECT_TRUE(IsFormClassRegistered(QStringLiteral("TfrmZaprihojdavane_na_ambalaj")));
    // An act of another day holds the highest number.
    Execute(QStringLiteral("INSERT INTO Zaprihojdavane_na_ambalaj VALUES ( 7, 1, %1, 2 )").arg(today - 3));
    Open<TfrmZaprihojdavane_na_ambalaj>();
    EXPECT_EQ(form->pnlCaption->text(), "ЗАПРИХОЖДАВАНЕ НА АМБАЛАЖ");
    EXPECT_EQ(form->docno->text(), "");
    EXPECT_EQ(GridRows(), QStringList({"@@"}));

    testsupport::ScopedDialogAnswers dialogs;
    Enter(QStringLiteral("2"), 1.5L);
    Enter(QStringLiteral("2"), 1);
    Enter(QString(), 0);
    EXPECT_EQ(dialogs.Texts(), QStringList({"Шифър \"2\" съществува в таблицата с данни!\n\r",
                                            "Въвдетете амбалаж\n\rВъведете количество!\n\r"}));
    Enter(QStringLiteral("1"), 12.3456L);
    EXPECT_EQ(GridRows(), QStringList({"2@Плик@1.5", "1@Щайга@12.346"}));
    EXPECT_EQ(form->Pending().Texts(99),
              QStringList({QStringLiteral("Insert into Zaprihojdavane_na_ambalaj values ( 99, 2, %1, 1.500 )").arg(today),
                           QStringLiteral("Insert into Zaprihojdavane_na_ambalaj values ( 99, 1, %1, 12.346 )")
                               .arg(today)}));

    form->actSave->trigger();
    EXPECT_EQ(form->docno->text(), "8");
    EXPECT_EQ(form->GetSubTitle(), QStringLiteral(" номер 8, за дата %1").arg(DateToDisplayText(QDate::currentDate())));
    EXPECT_EQ(Rows(QStringLiteral("SELECT docno, code_a, date_doc, quantity_amb FROM Zaprihojdavane_na_ambalaj "
                                  "WHERE docno = 8 ORDER BY code_a")),
              QStringList({QStringLiteral("8@1@%1@12.346").arg(todayText), QStringLiteral("8@2@%1@1.5").arg(todayText)}));
    EXPECT_EQ(GridRows(), QStringList({"2@Плик@1.5", "1@Щайга@12.346"}));
    EXPECT_FALSE(form->Modified());

    // A second new act gets the next number.
    form->docno->clear();
    Enter(QStringLiteral("3"), 4);
    form->actSave->trigger();
    EXPECT_EQ(form->docno->text(), "9");
    EXPECT_EQ(Rows(QStringLiteral("SELECT docno, code_a FROM Zaprihojdavane_na_ambalaj ORDER BY docno, code_a")),
              QStringList({"7@1", "8@1", "8@2", "9@3"}));
}

TEST_F(LineActGui, UnsavedActIsSavedWithItsLinesAsTheClerkLeftThem)
{
    EXPECT_TRUE(IsFormClassRegistered(QStringLiteral("TfrmAkt_za_proizvedena_produkcia")));
    Execute(QStringLiteral("INSERT INTO Akt_za_proizvedena_produkcia VALUES ( 4, 5, %1, 10 )").arg(today));
    Open<TfrmAkt_za_proizvedena_produkcia>();
    EXPECT_EQ(form->pnlCaption->text(), "АКТ ЗА ПРОИЗВЕДЕНА ПРОДУКЦИЯ");
    // The act of the day is the one shown.
    EXPECT_EQ(form->docno->text(), "4");
    EXPECT_EQ(GridRows(), QStringList({"5@Хляб@бр@10"}));

    form->docno->clear();
    EXPECT_EQ(GridRows(), QStringList({"@@@"}));
    form->code->setText(QStringLiteral("6"));
    EXPECT_EQ(form->labMeasure_Izdelie->text(), "бр");
    Enter(QStringLiteral("6"), 20);
    Enter(QStringLiteral("5"), 30);
    EXPECT_EQ(GridRows(), QStringList({"6@Кифла@бр@20", "5@Хляб@бр@30"}));

    // Taken back and committed again: the queued insert carries the new
    // quantity.
    testsupport::ScopedDialogAnswers dialogs;
    Select(QStringLiteral("6"));
    form->actEdit->trigger();
    EXPECT_TRUE(form->LineInEdit());
    EXPECT_FALSE(form->code->isEnabled());
    EXPECT_FALSE(form->docno->isEnabled());
    EXPECT_EQ(form->quantity->Value(), 20);
    form->actEdit->trigger();
    EXPECT_EQ(dialogs.Texts(), QStringList({"Не можете да редактирате два реда едновремнно!"}));
    form->quantity->SetValue(25);
    form->actNew->trigger();
    EXPECT_TRUE(form->code->isEnabled());

    // Deleted before the save: its insert goes.
    dialogs.Press(mbYes);
    Select(QStringLiteral("5"));
    form->actDelete->trigger();
    EXPECT_EQ(dialogs.Texts().last(),
              "Желаете ли да изтриете ред от акт за произведена продукция: \"5\" - \"Хляб\"?");
    EXPECT_EQ(form->Pending().Texts(0),
              QStringList({QStringLiteral("Insert into Akt_za_proizvedena_produkcia values ( 0, 6, %1, 25.000 )")
                               .arg(today)}));

    form->actSave->trigger();
    EXPECT_EQ(form->docno->text(), "5");
    EXPECT_EQ(Rows(QStringLiteral("SELECT docno, code_izd, quantity_izd FROM Akt_za_proizvedena_produkcia "
                                  "ORDER BY docno, code_izd")),
              QStringList({"4@5@10", "5@6@25"}));
    EXPECT_EQ(GridRows(), QStringList({"6@Кифла@бр@25"}));
}

TEST_F(LineActGui, StoredActLinesAreUpdatedAndDeletedByTheirCode)
{
    EXPECT_TRUE(IsFormClassRegistered(QStringLiteral("TfrmAkt_za_brakuvana_produkcia")));
    Execute(QStringLiteral("INSERT INTO Akt_za_brakuvana_produkcia VALUES ( 3, 5, %1, 2 )").arg(today));
    Execute(QStringLiteral("INSERT INTO Akt_za_brakuvana_produkcia VALUES ( 3, 6, %1, 4 )").arg(today));
    Open<TfrmAkt_za_brakuvana_produkcia>();
    EXPECT_EQ(form->pnlCaption->text(), "АКТ ЗА БРАКУВАНА ПРОДУКЦИЯ");
    EXPECT_EQ(GridRows(), QStringList({"6@Кифла@бр@4", "5@Хляб@бр@2"}));

    testsupport::ScopedDialogAnswers dialogs;
    Enter(QString(), 1);
    EXPECT_EQ(dialogs.Texts(), QStringList({"Въведете изделие\n\r"}));
    Select(QStringLiteral("5"));
    form->actEdit->trigger();
    form->quantity->SetValue(7);
    form->actNew->trigger();
    dialogs.Press(mbYes);
    Select(QStringLiteral("6"));
    form->actDelete->trigger();
    EXPECT_EQ(form->Pending().Texts(),
              QStringList({"Delete * from Akt_za_brakuvana_produkcia Where ( docno = 3 AND code_izd = 6 )",
                           "Update Akt_za_brakuvana_produkcia Set quantity_izd = 7.000 Where ( docno = 3 AND "
                           "code_izd = 5 )"}));
    form->actSave->trigger();
    EXPECT_EQ(form->docno->text(), "3");
    EXPECT_EQ(Rows(QStringLiteral("SELECT docno, code_izd, quantity_izd FROM Akt_za_brakuvana_produkcia")),
              QStringList({"3@5@7"}));
}

TEST_F(LineActGui, LinesOfANewActAreAskedAboutBeforeAnotherActOrDateIsShown)
{
    Execute(QStringLiteral("INSERT INTO Zaprihojdavane_na_ambalaj VALUES ( 4, 1, %1, 2 )").arg(today));
    Open<TfrmZaprihojdavane_na_ambalaj>();
    EXPECT_EQ(form->docno->text(), "4");
    form->docno->clear();
    Enter(QStringLiteral("2"), 5);
    ASSERT_EQ(form->Pending().Count(), 1);

    // Cancel: the new act stays as it was.
    testsupport::ScopedDialogAnswers dialogs;
    dialogs.Press(mbCancel);
    form->docno->setText(QStringLiteral("4"));
    EXPECT_EQ(dialogs.Texts(), QStringList({"Данните не са записани!\rЖелаете ли да ги запишете?"}));
    EXPECT_EQ(form->docno->text(), "");
    EXPECT_EQ(GridRows(), QStringList({"2@Плик@5"}));
    EXPECT_EQ(form->Pending().Count(), 1);

    // No: the typed lines go, act 4 is shown as stored.
    dialogs.Press(mbNo);
    form->docno->setText(QStringLiteral("4"));
    EXPECT_EQ(form->docno->text(), "4");
    EXPECT_TRUE(form->Pending().IsEmpty());
    EXPECT_FALSE(form->Modified());
    form->actExecute->trigger();
    EXPECT_EQ(GridRows(), QStringList({"1@Щайга@2"}));

    // Yes: the new act is saved as a new act before the date moves.
    form->docno->clear();
    Enter(QStringLiteral("3"), 6);
    dialogs.Press(mbYes);
    form->date_doc->setDate(QDate::currentDate().addDays(-1));
    EXPECT_EQ(dialogs.Texts().size(), 3);
    EXPECT_EQ(form->date_doc->date(), QDate::currentDate().addDays(-1));
    EXPECT_TRUE(form->Pending().IsEmpty());
    EXPECT_EQ(Rows(QStringLiteral("SELECT docno, code_a, date_doc, quantity_amb FROM Zaprihojdavane_na_ambalaj "
                                  "ORDER BY docno")),
              QStringList({QStringLiteral("4@1@%1@2").arg(todayText), QStringLiteral("5@3@%1@6").arg(todayText)}));
}

TEST_F(LineActGui, ALineInEditEndsBeforeF8AndF2AndPutBackUnchangedWritesNothing)
{
    Execute(QStringLiteral("INSERT INTO Akt_za_proizvedena_produkcia VALUES ( 4, 5, %1, 3.5 )").arg(today));
    Execute(QStringLiteral("INSERT INTO Akt_za_proizvedena_produkcia VALUES ( 4, 6, %1, 8 )").arg(today));
    Open<TfrmAkt_za_proizvedena_produkcia>();
    const QStringList stored = Rows(QStringLiteral("SELECT * FROM Akt_za_proizvedena_produkcia ORDER BY code_izd"));
    ASSERT_EQ(stored.size(), 2);
    testsupport::ScopedDialogAnswers dialogs;

    // Put back unchanged: the whole-number editor shows 4, the line keeps 3.5.
    Select(QStringLiteral("5"));
    form->actEdit->trigger();
    EXPECT_TRUE(form->Modified());
    form->actNew->trigger();
    EXPECT_FALSE(form->LineInEdit());
    EXPECT_TRUE(form->Pending().IsEmpty());
    EXPECT_FALSE(form->Modified());
    const int changes = sqlite3_total_changes(DbConnection->Handle());
    form->actSave->trigger();
    EXPECT_EQ(sqlite3_total_changes(DbConnection->Handle()), changes);
    EXPECT_EQ(Rows(QStringLiteral("SELECT * FROM Akt_za_proizvedena_produkcia ORDER BY code_izd")), stored);

    // F3 then F8: asked; No gives the stored act back and F3 works again.
    Select(QStringLiteral("5"));
    form->actEdit->trigger();
    dialogs.Press(mbNo);
    form->actExecute->trigger();
    EXPECT_EQ(dialogs.Texts().size(), 1);
    EXPECT_FALSE(form->LineInEdit());
    EXPECT_TRUE(form->code->isEnabled());
    EXPECT_EQ(GridRows().size(), 2);
    Select(QStringLiteral("6"));
    form->actEdit->trigger();
    EXPECT_TRUE(form->LineInEdit());
    EXPECT_EQ(dialogs.Texts().size(), 1);

    // F2 with the line in edit commits it first.
    form->quantity->SetValue(9);
    form->actSave->trigger();
    EXPECT_FALSE(form->LineInEdit());
    EXPECT_TRUE(form->docno->isEnabled());
    EXPECT_EQ(Rows(QStringLiteral("SELECT code_izd, quantity_izd FROM Akt_za_proizvedena_produkcia ORDER BY "
                                  "code_izd")),
              QStringList({"5@3.5", "6@9"}));

    // F5 then F8: asked; No keeps the line, and it can be edited again.
    dialogs.Press(mbYes);
    Select(QStringLiteral("6"));
    form->actDelete->trigger();
    dialogs.Press(mbNo);
    form->actExecute->trigger();
    EXPECT_TRUE(form->Pending().IsEmpty());
    Select(QStringLiteral("6"));
    form->actEdit->trigger();
    form->quantity->SetValue(10);
    form->actNew->trigger();
    form->actSave->trigger();
    EXPECT_EQ(Rows(QStringLiteral("SELECT code_izd, quantity_izd FROM Akt_za_proizvedena_produkcia ORDER BY "
                                  "code_izd")),
              QStringList({"5@3.5", "6@10"}));
    for (const QString &text : dialogs.Texts())
        EXPECT_FALSE(text.contains(QStringLiteral("line"))) << text.toStdString();
}

TEST_F(LineActGui, EveryActSavedUnchangedFilteredOrWithALinePutBackWritesNothing)
{
    Execute(QStringLiteral("INSERT INTO Zaprihojdavane_na_ambalaj VALUES ( 2, 1, %1, 2.5 )").arg(today));
    Execute(QStringLiteral("INSERT INTO Zaprihojdavane_na_ambalaj VALUES ( 2, 2, %1, 1 )").arg(today));
    Open<TfrmZaprihojdavane_na_ambalaj>();
    ExpectAnUnchangedWalkWritesNothing(QStringLiteral("Щ"));
    for (const QString &table : {QStringLiteral("Akt_za_brakuvana_produkcia"),
                                 QStringLiteral("Akt_za_proizvedena_produkcia")}) {
        Execute(QStringLiteral("INSERT INTO %1 VALUES ( 3, 5, %2, 3.5 )").arg(table).arg(today));
        Execute(QStringLiteral("INSERT INTO %1 VALUES ( 3, 6, %2, 4 )").arg(table).arg(today));
    }
    form->SetModified(false);
    Open<TfrmAkt_za_brakuvana_produkcia>();
    ExpectAnUnchangedWalkWritesNothing(QStringLiteral("Х"));
    form->SetModified(false);
    Open<TfrmAkt_za_proizvedena_produkcia>();
    ExpectAnUnchangedWalkWritesNothing(QStringLiteral("К"));
}
