// The code-and-name editor against a real database: new, edit, delete and
// save through the queue, the messages as the program gives them, a failed
// save that writes nothing and can be made again.
#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

#include "components/FilterMan.h"
#include "components/FloatEdit.h"
#include "components/LimitedEdit.h"
#include "components/RichGrid.h"
#include "core/LineConv.h"
#include "core/uFormClasses.h"
#include "core/uHelpers.h"
#include "core/un_Ado_Connection.h"
#include "EditorFixture.h"
#include "masterdata/unSimple_Nomenklatura.h"
#include "support/ScopedDialogAnswers.h"

namespace {

class NomenklaturaGui : public testsupport::EditorTest<TfrmSimple_Nomenklatura>
{
protected:
    // The units of measure, as the menu opens them.
    void Open() { EditorTest::Open(TEditorSettings{"Мерки", "Merki", "n_miarka", "v_miarka", "мярка"}); }
    void Enter(long double Code, const QString &Name)
    {
        form->feShifyr->SetValue(Code);
        form->edNaimenovanie->setText(Name);
    }
    QStringList GridRows() const
    {
        QStringList rows;
        for (int r = form->Grid->FixedRows(); r < form->Grid->RowCount(); ++r)
            rows << form->Grid->Cells(0, r) + "@" + form->Grid->Cells(1, r);
        return rows;
    }
    QStringList Table() { return Rows(QStringLiteral("SELECT n_miarka, v_miarka FROM Merki ORDER BY n_miarka")); }
    void SelectRowOf(const QString &Code)
    {
        for (int r = form->Grid->FixedRows(); r < form->Grid->RowCount(); ++r)
            if (form->Grid->Cells(0, r) == Code)
                form->Grid->SetRow(r);
    }
};

} // namespace

TEST(Nomenklatura, TheMenuOpensTheFiveEditors)
{
    EXPECT_TRUE(IsFormClassRegistered(QStringLiteral("TfrmSimple_Nomenklatura")));
}

TEST_F(NomenklaturaGui, EmptyTableProposesOneAndNewFillsTheBlankRow)
{
    Open();
    EXPECT_EQ(form->windowTitle(), "Мерки");
    EXPECT_EQ(form->pnlCaption->text(), "МЕРКИ");
    EXPECT_EQ(form->feShifyr->Value(), 1);
    EXPECT_EQ(form->StatusText(), "Общо: 0 реда");

    Enter(1, QStringLiteral("кг"));
    form->actNew->trigger();
    EXPECT_EQ(GridRows(), QStringList({"1@кг"}));
    EXPECT_EQ(form->feShifyr->Value(), 2);
    EXPECT_TRUE(form->Modified()) << "closing asks before the queue is lost";
    EXPECT_TRUE(Table().isEmpty()) << "nothing is written before the save";
    Enter(2, QStringLiteral("бр"));
    form->actNew->trigger();
    EXPECT_EQ(GridRows(), QStringList({"1@кг", "2@бр"}));

    form->actSave->trigger();
    EXPECT_EQ(Table(), QStringList({"1@кг", "2@бр"}));
    EXPECT_FALSE(form->Modified());
    EXPECT_TRUE(form->Pending().IsEmpty());
    EXPECT_EQ(form->StatusText(), "Общо: 2 реда");
}

TEST_F(NomenklaturaGui, RefusedEntriesShowEveryMessageInOneDialog)
{
    Execute(QStringLiteral("INSERT INTO Merki VALUES ( 1, \"кг\" )"));
    Execute(QStringLiteral("INSERT INTO Merki VALUES ( 2, \"бр\" )"));
    Open();
    testsupport::ScopedDialogAnswers dialogs;
    Enter(0, QStringLiteral(" "));
    form->actNew->trigger();
    Enter(2, QStringLiteral("бр"));
    form->actNew->trigger();
    Enter(-5, QStringLiteral("л"));
    form->actNew->trigger();
    Enter(3000000000.0L, QStringLiteral("л"));
    form->actNew->trigger();
    EXPECT_EQ(dialogs.Texts(),
              QStringList({"Въведете шифър.\n\rВъведете наименование!\n\r",
                           "Шифър \"2\" съществува в таблицата с данни!\n\rНаименование \"бр\" съществува в таблицата с "
                           "данни!\n\r",
                           "Шифърът трябва да е между 1 и 2147483647!\n\r",
                           "Шифърът трябва да е между 1 и 2147483647!\n\r"}));
    EXPECT_TRUE(form->Pending().IsEmpty());
    EXPECT_FALSE(form->Modified());

    // A queued row counts, and so does a row the filter hides.
    Enter(3, QStringLiteral("л"));
    form->actNew->trigger();
    form->CreateFilterDialog();
    form->FilterConditions()->AddObject(QStringLiteral("1"), new TFilterMan(QStringLiteral("кг"), FilterKindText));
    form->SetModified(false);
    form->Execute();
    ASSERT_EQ(GridRows(), QStringList({"1@кг", "Сума за филтъра@ "}));
    Enter(4, QStringLiteral("бр"));
    form->actNew->trigger();
    EXPECT_EQ(dialogs.Texts().last(), "Наименование \"бр\" съществува в таблицата с данни!\n\r");
}

TEST_F(NomenklaturaGui, AnEditUpdatesTheRowItWasOpenedFor)
{
    Execute(QStringLiteral("INSERT INTO Merki VALUES ( 1, \"кг\" )"));
    Execute(QStringLiteral("INSERT INTO Merki VALUES ( 2, \"бр\" )"));
    Open();
    SelectRowOf(QStringLiteral("2"));
    form->actEdit->trigger();
    EXPECT_TRUE(form->EditMode());
    EXPECT_EQ(GridRows(), QStringList({"1@кг"}));
    EXPECT_EQ(form->feShifyr->Value(), 2);
    EXPECT_EQ(form->edNaimenovanie->text(), "бр");
    {
        testsupport::ScopedDialogAnswers dialogs;
        form->actEdit->trigger();
        EXPECT_EQ(dialogs.Texts(), QStringList({"Не можете да редактирате два реда едновремнно!"}));
    }
    // The code stays editable; the update is keyed by the code it had.
    Enter(5, QStringLiteral("брой"));
    form->actNew->trigger();
    EXPECT_FALSE(form->EditMode());
    EXPECT_EQ(form->feShifyr->Value(), 5) << "a committed edit keeps its code";
    EXPECT_EQ(GridRows(), QStringList({"1@кг", "5@брой"}));
    EXPECT_EQ(form->Pending().Texts(),
              QStringList({"Update Merki Set n_miarka = 5, v_miarka = \"брой\" Where ( n_Miarka = 2 ) And ( v_Miarka = "
                           "\"бр\" ) And Not Exists ( Select * From Merki Where n_miarka = 5 )"}));

    // Edited again before the save: still one update, still by code 2.
    SelectRowOf(QStringLiteral("5"));
    form->actEdit->trigger();
    Enter(6, QStringLiteral("брой"));
    form->actNew->trigger();
    EXPECT_EQ(form->Pending().Texts(),
              QStringList({"Update Merki Set n_miarka = 6, v_miarka = \"брой\" Where ( n_Miarka = 2 ) And ( v_Miarka = "
                           "\"бр\" ) And Not Exists ( Select * From Merki Where n_miarka = 6 )"}));
    form->actSave->trigger();
    EXPECT_EQ(Table(), QStringList({"1@кг", "6@брой"}));
}

TEST_F(NomenklaturaGui, DeletingAsksAndTheLastRowLeavesABlankOne)
{
    Execute(QStringLiteral("INSERT INTO Merki VALUES ( 1, \"кг\" )"));
    Open();
    testsupport::ScopedDialogAnswers dialogs;
    dialogs.Press(mbNo).Press(mbYes);
    form->actDelete->trigger();
    EXPECT_EQ(GridRows(), QStringList({"1@кг"}));
    form->actDelete->trigger();
    EXPECT_EQ(dialogs.Texts(), QStringList({"Желаете ли да изтриете мярка: \"1\" - \"кг\"?",
                                            "Желаете ли да изтриете мярка: \"1\" - \"кг\"?"}));
    EXPECT_EQ(dialogs.Shown()[0].Buttons, (std::vector<TMsgDlgBtn>{mbYes, mbNo, mbCancel}));
    EXPECT_EQ(GridRows(), QStringList({"@"}));
    EXPECT_EQ(Table(), QStringList({"1@кг"}));
    // A row added and deleted before the save never reaches the database.
    Enter(7, QStringLiteral("л"));
    form->actNew->trigger();
    dialogs.Press(mbYes);
    form->actDelete->trigger();
    EXPECT_EQ(form->Pending().Texts(), QStringList({"Delete * from Merki Where n_miarka = 1"}));
    form->actSave->trigger();
    EXPECT_TRUE(Table().isEmpty());
}

TEST_F(NomenklaturaGui, ACodeTakenMeanwhileIsRefusedInBulgarianAndTheRowGetsTheNextFreeCode)
{
    Open();
    Enter(1, QStringLiteral("кг"));
    form->actNew->trigger();
    Enter(2, QStringLiteral("Кутия [5 л]"));
    form->actNew->trigger();
    // Another workstation took code 2 meanwhile.
    Execute(QStringLiteral("INSERT INTO Merki VALUES ( 2, \"бр\" )"));
    {
        testsupport::ScopedDialogAnswers dialogs;
        form->actSave->trigger();
        EXPECT_EQ(dialogs.Texts(), QStringList({"Шифър \"2\" е зает от друго работно място! Редът \"2 - Кутия [5 л]\" "
                                                "получи следващия свободен шифър; натиснете F2, за да го запишете."}));
    }
    EXPECT_EQ(Table(), QStringList({"2@бр"})) << "the first insert was rolled back";
    EXPECT_EQ(GridRows(), QStringList({"1@кг", "3@Кутия [5 л]"}));
    EXPECT_EQ(form->feShifyr->Value(), 4);
    EXPECT_EQ(form->Pending().Count(), 2);
    EXPECT_TRUE(form->Modified());

    testsupport::ScopedDialogAnswers none;
    form->actSave->trigger();
    EXPECT_EQ(none.Texts(), QStringList());
    EXPECT_EQ(Table(), QStringList({"1@кг", "2@бр", "3@Кутия [5 л]"}));
    EXPECT_FALSE(form->Modified());
}

TEST_F(NomenklaturaGui, AFailedSaveWritesNothingAndCanBeMadeAgain)
{
    Open();
    Enter(1, QStringLiteral("кг"));
    form->actNew->trigger();
    Enter(2, QStringLiteral("бр"));
    form->actNew->trigger();
    // The table is gone for a moment (a restore in progress elsewhere).
    Execute(QStringLiteral("ALTER TABLE Merki RENAME TO Merki_away"));
    {
        testsupport::ScopedDialogAnswers dialogs;
        form->actSave->trigger();
        ASSERT_EQ(dialogs.Shown().size(), 1u);
        EXPECT_TRUE(dialogs.Texts()[0].startsWith("Грешка при работа с базата данни !"));
    }
    Execute(QStringLiteral("ALTER TABLE Merki_away RENAME TO Merki"));
    EXPECT_TRUE(Table().isEmpty());
    EXPECT_EQ(form->Pending().Count(), 2);
    EXPECT_TRUE(form->Modified());
    testsupport::ScopedDialogAnswers none;
    form->actSave->trigger();
    EXPECT_EQ(none.Texts(), QStringList());
    EXPECT_EQ(Table(), QStringList({"1@кг", "2@бр"}));
    EXPECT_FALSE(form->Modified());
}

TEST_F(NomenklaturaGui, ARefreshShowsTheTableAsTheQueueWillLeaveIt)
{
    Execute(QStringLiteral("INSERT INTO Merki VALUES ( 1, \"кг\" )"));
    Execute(QStringLiteral("INSERT INTO Merki VALUES ( 2, \"бр\" )"));
    Execute(QStringLiteral("INSERT INTO Merki VALUES ( 4, \"м\" )"));
    Open();
    testsupport::ScopedDialogAnswers dialogs;
    Enter(3, QStringLiteral("л"));
    form->actNew->trigger();
    SelectRowOf(QStringLiteral("2"));
    form->actEdit->trigger();
    Enter(5, QStringLiteral("брой"));
    form->actNew->trigger();
    dialogs.Press(mbYes);
    SelectRowOf(QStringLiteral("1"));
    form->actDelete->trigger();
    const QStringList before = GridRows();
    EXPECT_EQ(before, QStringList({"4@м", "3@л", "5@брой"}));
    form->actExecute->trigger();
    EXPECT_EQ(GridRows(), before) << "the queued rows stay in";

    // F8 with a row in edit asks; No gives the edit up, the row as it was.
    SelectRowOf(QStringLiteral("4"));
    form->actEdit->trigger();
    Enter(4, QStringLiteral("метр"));
    dialogs.Press(mbNo);
    form->actExecute->trigger();
    EXPECT_EQ(dialogs.Texts().last(), "Редът в редакция не е добавен! Желаете ли да го добавите?");
    EXPECT_FALSE(form->EditMode());
    EXPECT_EQ(GridRows(), before);
    SelectRowOf(QStringLiteral("4"));
    form->actEdit->trigger();
    Enter(3, QStringLiteral("л"));
    form->actNew->trigger();
    EXPECT_EQ(dialogs.Texts().last(),
              "Шифър \"3\" съществува в таблицата с данни!\n\rНаименование \"л\" съществува в таблицата с данни!\n\r");
    Enter(4, QStringLiteral("метър"));
    form->actNew->trigger();
    form->actSave->trigger();
    EXPECT_EQ(Table(), QStringList({"3@л", "4@метър", "5@брой"}));
    EXPECT_EQ(GridRows(), QStringList({"3@л", "4@метър", "5@брой"}));
}
