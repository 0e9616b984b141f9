// The returned-production protocol and the export pass in their windows
// against a real database: lines added, edited and deleted before and after
// the document has its number, the checks of a line, one transaction per
// save with its retry, the number taken inside the save (two passes saved at
// once), yesterday's pass typed into and saved as a new pass, and printing.
#include <gtest/gtest.h>

#include <QDateEdit>
#include <QPushButton>
#include <memory>
#include <sqlite3.h>

#include "BusDayFixture.h"
#include "UnchangedWalk.h"
#include "components/FloatEdit.h"
#include "components/ListEdit.h"
#include "components/RichGrid.h"
#include "core/unMessageTexts.h"
#include "documents/un_Propusk_za_izvozvane.h"
#include "documents/un_Vyrnata_produkcia.h"
#include "documents/un_Zaiavki_za_expedicia.h"
#include "components/FilterMan.h"
#include "framework/unTextDocument.h"
#include "platform/db/Database.h"
#include "platform/db/Transaction.h"
#include "support/PrintedText.h"
#include "support/ScopedDialogAnswers.h"

namespace {

class BusDayDocumentGui : public testsupport::BusDayTest
{
protected:
    // Document Number picked from the window's list of numbers.
    static void PickNumber(TfrmBusDayDocument *Form, const QString &Number)
    {
        Form->docno->setText(Number);
        Form->docno->NotifyPicked();
    }
    static int RowOf(TfrmBusDayDocument *Form, const QString &Product, const QString &Packaging = QString())
    {
        for (int r = Form->Grid->FixedRows(); r < Form->Grid->RowCount(); ++r)
            if (Form->Grid->Cells(0, r) == Product &&
                (Packaging.isEmpty() || Form->Grid->Cells(4, r) == Packaging))
                return r;
        return -1;
    }
    static bool EditRow(TfrmBusDayDocument *Form, const QString &Product)
    {
        const int row = RowOf(Form, Product);
        if (row < 0)
            return false;
        Form->Grid->SetRow(row);
        return Form->Edit();
    }
    static bool DeleteRow(TfrmBusDayDocument *Form, const QString &Product)
    {
        const int row = RowOf(Form, Product);
        if (row < 0)
            return false;
        Form->Grid->SetRow(row);
        testsupport::ScopedDialogAnswers answers;
        answers.Press(mbYes);
        return Form->Delete();
    }
    QStringList Stored(const QString &Table)
    {
        return Rows("SELECT docno, date_doc, code_bus, code_izd, code_a, quantity_izd, quantity_amb FROM " + Table +
                    " ORDER BY docno, code_bus, code_izd");
    }
    QString Today(int Number, int Bus, const QString &Rest) const
    {
        return QString("%1@%2@%3@%4").arg(Number).arg(BusDayTest::Today.toString("dd.MM.yyyy")).arg(Bus).arg(Rest);
    }
};

} // namespace

TEST_F(BusDayDocumentGui, NewProtocolSavesItsLinesAsTheClerkLeftThem)
{
    Execute(QString("Insert into Vyrnata_produkcia values ( 4, %1, 4, 101, 1, 1, 0 )").arg(Day));
    auto *form = Open<TfrmVyrnata_produkcia>();
    form->code_bus->setText("3");
    EXPECT_EQ(form->docno->text(), "");
    Add(form, "101", "1", 10, 2);
    Add(form, "205", "2", 5, 0);
    Add(form, "", "1", 0, 7);
    ASSERT_EQ(form->Queue().Count(), 3);
    EXPECT_TRUE(form->Modified());

    // An added line edited before the save changes its queued insert.
    ASSERT_TRUE(EditRow(form, "101"));
    EXPECT_TRUE(form->RowInEdit());
    EXPECT_FALSE(form->code_izd->isEnabled());
    EXPECT_EQ(form->quantity_izd->Value(), 10);
    form->quantity_izd->SetValue(12);
    ASSERT_TRUE(form->New());
    // An added line deleted before the save drops its insert.
    ASSERT_TRUE(DeleteRow(form, "205"));
    EXPECT_EQ(form->Queue().Texts(5),
              (QStringList{QString("Insert into Vyrnata_produkcia values ( 5, %1, 3, 101, 1, 12.0000, 2.0000 )").arg(Day),
                           QString("Insert into Vyrnata_produkcia values ( 5, %1, 3, 0, 1, 0.0000, 7.0000 )").arg(Day)}));

    testsupport::ScopedDialogAnswers dialogs;
    ASSERT_TRUE(form->Save());
    EXPECT_TRUE(dialogs.Shown().empty());
    EXPECT_EQ(Stored("Vyrnata_produkcia"),
              (QStringList{Today(4, 4, "101@1@1@0"), Today(5, 3, "0@1@0@7"), Today(5, 3, "101@1@12@2")}));
    EXPECT_EQ(form->docno->text(), "5");
    EXPECT_FALSE(form->Modified());
    EXPECT_EQ(form->Queue().Count(), 0);
    EXPECT_EQ(form->Grid->Cells(0, 2), "0");
    EXPECT_EQ(form->Grid->Cells(1, 3), "Хляб Добруджа 500 г");
    EXPECT_EQ(form->Grid->Cells(5, 3), "Щайга голяма");
}

TEST_F(BusDayDocumentGui, StoredProtocolUpdatesAndDeletesByItsKeyAndAddsUnderItsNumber)
{
    Execute(QString("Insert into Vyrnata_produkcia values ( 9, %1, 3, 101, 1, 5, 1 )").arg(Day));
    Execute(QString("Insert into Vyrnata_produkcia values ( 9, %1, 3, 205, 2, 3, 0 )").arg(Day));
    auto *form = Open<TfrmVyrnata_produkcia>();
    form->code_bus->setText("3");
    PickNumber(form, "9");
    ASSERT_EQ(form->Grid->Cells(0, 3), "205");
    EXPECT_EQ(form->GetSubTitle(), " номер 9, за микробус 3 - Микробус Варна-Север, за дата " +
                                       BusDayTest::Today.toString("dd.MM.yyyy"));

    ASSERT_TRUE(EditRow(form, "101"));
    form->quantity_izd->SetValue(8);
    ASSERT_TRUE(form->New());
    // The stored row edited again keeps one update, with the last quantity.
    ASSERT_TRUE(EditRow(form, "101"));
    {
        testsupport::ScopedDialogAnswers dialogs;
        EXPECT_FALSE(form->Edit());
        EXPECT_EQ(dialogs.Texts(), QStringList{LoadResString(rsOneRowInEdit)});
    }
    form->quantity_amb->SetValue(4);
    ASSERT_TRUE(form->New());
    ASSERT_TRUE(DeleteRow(form, "205"));
    Add(form, "307", "2", 4, 0);
    const QString key = QString("docno = 9 AND date_doc = %1 AND code_bus = 3").arg(Day);
    EXPECT_EQ(form->Queue().Texts(),
              (QStringList{"Delete * from Vyrnata_produkcia Where ( " + key + " AND code_izd = 205 AND code_a = 2 )",
                           "Update Vyrnata_produkcia Set quantity_izd = 8.0000,     quantity_amb = 4.0000 Where ( " +
                               key + " AND code_izd = 101 AND code_a = 1 )",
                           QString("Insert into Vyrnata_produkcia values ( 9, %1, 3, 307, 2, 4.0000, 0.0000 )").arg(Day)}));
    ASSERT_TRUE(form->Save());
    EXPECT_EQ(Stored("Vyrnata_produkcia"), (QStringList{Today(9, 3, "101@1@8@4"), Today(9, 3, "307@2@4@0")}));
    EXPECT_EQ(form->docno->text(), "9");
}

TEST_F(BusDayDocumentGui, LineChecksAreCollectedAndNewLinesOnlyToday)
{
    auto *form = Open<TfrmVyrnata_produkcia>();
    form->code_bus->setText("");
    form->date_doc->setDate(BusDayTest::Today.addDays(-1));
    {
        testsupport::ScopedDialogAnswers dialogs;
        Add(form, "", "", 0, 0);
        EXPECT_EQ(dialogs.Texts(),
                  QStringList{"Въвдетете микробус\n\rВъвдетете изделие или амбалаж\n\rВъведете количество!\n\rНов "
                              "протокол за върната продукция може да бъде направен само на днешна дата"});
    }
    form->code_bus->setText("3");
    form->date_doc->setDate(BusDayTest::Today);
    Add(form, "101", "1", 1, 0);
    {
        testsupport::ScopedDialogAnswers dialogs;
        Add(form, "101", "1", 2, 0);
        EXPECT_EQ(dialogs.Texts(), QStringList{"Изделие \"101\" и амбалж \"1\" съществуват в таблицата с данни.\n\r"});
    }
    // The same product with another packaging is another line.
    Add(form, "101", "2", 2, 0);
    EXPECT_EQ(form->Queue().Count(), 2);

    auto *pass = Open<TfrmPropusk_za_izvozvane>();
    pass->code_bus->setText("3");
    pass->date_doc->setDate(BusDayTest::Today.addDays(1));
    testsupport::ScopedDialogAnswers dialogs;
    Add(pass, "101", "1", 1, 0);
    EXPECT_EQ(dialogs.Texts(), QStringList{"Нов пропуск за извозване може да бъде направен само на днешна дата"});
}

TEST_F(BusDayDocumentGui, AFailedSaveWritesNothingAndItsRetryWritesEachLineOnce)
{
    auto *form = Open<TfrmVyrnata_produkcia>();
    form->code_bus->setText("3");
    Add(form, "101", "1", 10, 0);
    Add(form, "205", "2", 5, 1);
    // The second insert fails (another minibus's protocol holds 205 with
    // packaging 2 and a unique index forbids a second such row).
    Execute(QString("Insert into Vyrnata_produkcia values ( 3, %1, 4, 205, 2, 1, 0 )").arg(Day));
    Execute("CREATE UNIQUE INDEX one_205 ON Vyrnata_produkcia (code_izd, code_a)");
    {
        testsupport::ScopedDialogAnswers dialogs;
        EXPECT_FALSE(form->Save());
        ASSERT_EQ(dialogs.Shown().size(), 1u);
        EXPECT_TRUE(dialogs.Texts()[0].startsWith("Грешка при работа с базата данни !"));
        EXPECT_TRUE(dialogs.Texts()[0].endsWith(
            QString("Insert into Vyrnata_produkcia values ( 4, %1, 3, 205, 2, 5.0000, 1.0000 )").arg(Day)));
    }
    EXPECT_EQ(Stored("Vyrnata_produkcia"), QStringList{Today(3, 4, "205@2@1@0")});
    EXPECT_EQ(form->Queue().Count(), 2);
    EXPECT_TRUE(form->Modified());
    EXPECT_EQ(form->docno->text(), "");

    Execute("DROP INDEX one_205");
    ASSERT_TRUE(form->Save());
    EXPECT_EQ(Stored("Vyrnata_produkcia"),
              (QStringList{Today(3, 4, "205@2@1@0"), Today(4, 3, "101@1@10@0"), Today(4, 3, "205@2@5@1")}));
}

TEST_F(BusDayDocumentGui, TwoPassesSavedAtOnceGetDifferentNumbers)
{
    auto *form = Open<TfrmPropusk_za_izvozvane>();
    form->code_bus->setText("3");
    Add(form, "101", "1", 30, 2);
    // A new pass queues nothing: its rows are written at the save.
    EXPECT_EQ(form->Queue().Count(), 0);
    EXPECT_TRUE(form->Modified());

    // Another workstation is saving its pass of minibus 4 right now: it has
    // taken number 1 and not yet committed. It commits while this save waits
    // for the database, so the save cannot run past it.
    platform::Database other(DatabasePath());
    auto otherSave = std::make_unique<platform::DbTransaction>(other);
    other.Execute(QString("Insert into Propusk_za_izvozvane values ( 1, %1, 4, 205, 2, 7, 0 )").arg(Day));
    struct Waiter
    {
        std::unique_ptr<platform::DbTransaction> *Save;
        int Waits = 0;
    } waiter{&otherSave};
    sqlite3_busy_handler(
        DbConnection->Handle(),
        [](void *Data, int) {
            auto *w = static_cast<Waiter *>(Data);
            ++w->Waits;
            if (*w->Save) {
                (*w->Save)->Commit();
                w->Save->reset();
            }
            return 1;
        },
        &waiter);
    testsupport::ScopedDialogAnswers dialogs;
    const bool saved = form->Save();
    sqlite3_busy_timeout(DbConnection->Handle(), platform::Database::BusyTimeoutMs());
    ASSERT_TRUE(saved);
    EXPECT_GE(waiter.Waits, 1) << "the save waited for the other one";
    EXPECT_TRUE(dialogs.Shown().empty());
    EXPECT_EQ(Stored("Propusk_za_izvozvane"), (QStringList{Today(1, 4, "205@2@7@0"), Today(2, 3, "101@1@30@2")}));
    EXPECT_EQ(form->docno->text(), "2");
}

TEST_F(BusDayDocumentGui, YesterdaysPassIsTypedIntoAndSavedAsANewPassOfToday)
{
    const int yesterday = Day - 1;
    Execute(QString("Insert into Propusk_za_izvozvane values ( 6, %1, 3, 101, 1, 10, 2 )").arg(yesterday));
    Execute(QString("Insert into Propusk_za_izvozvane values ( 6, %1, 3, 205, 2, 4, 1 )").arg(yesterday));
    Execute(QString("Insert into Propusk_za_izvozvane values ( 8, %1, 4, 307, 2, 9, 9 )").arg(yesterday));
    auto *form = Open<TfrmPropusk_za_izvozvane>();
    form->code_bus->setText("4");
    form->date_doc->setDate(BusDayTest::Today.addDays(-3));
    {
        testsupport::ScopedDialogAnswers dialogs;
        form->btnLoadPropuskFromPreviousDay->click();
        EXPECT_EQ(dialogs.Texts(), QStringList{"Вчера не е създаван пропуск за извозване"});
    }
    form->date_doc->setDate(BusDayTest::Today);
    form->code_bus->setText("3");
    form->btnLoadPropuskFromPreviousDay->click();
    EXPECT_EQ(form->docno->text(), "");
    ASSERT_EQ(form->Grid->RowCount(), 4);
    EXPECT_EQ(form->Grid->Cells(1, 2), "Хляб Добруджа 500 г");
    EXPECT_EQ(form->Grid->Cells(3, 2), "10");

    // Only the quantity columns edit, and only digits, '.' and the editing
    // keys reach them.
    form->Grid->SetRow(2);
    form->Grid->SetCol(1);
    form->GridClick();
    EXPECT_FALSE(form->Grid->Options().Contains(goEditing));
    form->Grid->SetCol(3);
    form->GridClick();
    EXPECT_TRUE(form->Grid->Options().Contains(goEditing));
    for (QChar key : {QChar('a'), QChar('-')}) {
        form->GridKeyPress(key);
        EXPECT_EQ(key, QChar(0));
    }
    // A comma types the decimal point.
    QChar comma(',');
    form->GridKeyPress(comma);
    EXPECT_EQ(comma, QChar('.'));
    for (QChar key : {QChar('7'), QChar('.'), QChar(8), QChar(13)}) {
        const QChar kept = key;
        form->GridKeyPress(key);
        EXPECT_EQ(key, kept);
    }
    form->Grid->SetCells(3, 2, "12.5");
    form->Grid->SetCells(6, 3, "3");
    ASSERT_TRUE(form->Save());
    EXPECT_EQ(Rows(QString("SELECT docno, code_izd, code_a, quantity_izd, quantity_amb FROM Propusk_za_izvozvane "
                           "WHERE date_doc = %1 ORDER BY code_izd")
                       .arg(Day)),
              (QStringList{"9@101@1@12.5@2", "9@205@2@4@3"}));
    EXPECT_EQ(form->docno->text(), "9");
    // A numbered pass is edited through the line editors only.
    form->Grid->SetCol(3);
    form->GridClick();
    EXPECT_FALSE(form->Grid->Options().Contains(goEditing));
}

TEST_F(BusDayDocumentGui, PrintAsksForTheSaveFirstAndThenPrintsTheStoredDocument)
{
    auto *form = Open<TfrmVyrnata_produkcia>();
    form->code_bus->setText("3");
    Add(form, "101", "1", 120, 3);
    testsupport::RawPrinterFile prn;
    {
        testsupport::ScopedDialogAnswers dialogs;
        EXPECT_FALSE(form->Print());
        EXPECT_EQ(dialogs.Texts(), QStringList{"Моля съхранете документа преди да го отпечатате!"});
        EXPECT_FALSE(prn.Exists());
    }
    ASSERT_TRUE(form->Save());
    testsupport::ScopedDialogAnswers dialogs;
    ASSERT_TRUE(form->Print());
    EXPECT_TRUE(dialogs.Shown().empty());
    const QStringList lines = prn.Lines();
    ASSERT_EQ(lines.size(), 12);
    EXPECT_EQ(lines[0].trimmed(), "ПРОТОКОЛ ЗА ВЪРНАТА ПРОДУКЦИЯ");
    EXPECT_EQ(lines[6], "  101 Хляб Добруджа 500 г                   бр.     120    1 Щайга голяма     3");
}

// The lines of a shown document belong to it: moving the window to another
// minibus, date or number first asks about them, and they are saved where
// they were typed or not at all.
TEST_F(BusDayDocumentGui, ChangingTheMinibusOfANewPassAsksAboutItsLinesFirst)
{
    const QString question = "Данните не са записани!\rЖелаете ли да ги запишете?";
    auto *form = Open<TfrmPropusk_za_izvozvane>();
    form->code_bus->setText("3");
    Add(form, "101", "1", 30, 2);
    ASSERT_TRUE(form->Modified());
    auto typeBus = [form](const char *Bus) {
        form->code_bus->setFocus();
        form->code_bus->selectAll();
        QTest::keyClicks(form->code_bus, Bus);
    };

    // Cancel: the pass stays as it was, on its minibus.
    {
        testsupport::ScopedDialogAnswers dialogs;
        dialogs.Press(mbCancel);
        typeBus("4");
        EXPECT_EQ(dialogs.Texts(), QStringList{question});
        EXPECT_EQ(dialogs.Shown()[0].Buttons, (std::vector<TMsgDlgBtn>{mbYes, mbNo, mbCancel}));
    }
    EXPECT_EQ(form->code_bus->text(), "3");
    EXPECT_EQ(form->panelMicrobus->text(), "Микробус Варна-Север");
    EXPECT_TRUE(form->Modified());
    EXPECT_EQ(RowOf(form, "101"), 2);
    EXPECT_TRUE(Stored("Propusk_za_izvozvane").isEmpty());

    // No: the lines are dropped and the other minibus shown.
    {
        testsupport::ScopedDialogAnswers dialogs;
        dialogs.Press(mbNo);
        typeBus("4");
        EXPECT_EQ(dialogs.Texts(), QStringList{question});
    }
    EXPECT_EQ(form->code_bus->text(), "4");
    EXPECT_EQ(form->panelMicrobus->text(), "Микробус Юг");
    EXPECT_FALSE(form->Modified());
    EXPECT_EQ(RowOf(form, "101"), -1);
    EXPECT_TRUE(Stored("Propusk_za_izvozvane").isEmpty());

    // Yes: the pass is saved on the minibus it was typed for, then the
    // other minibus is shown, its new pass empty.
    Add(form, "205", "2", 7, 1);
    {
        testsupport::ScopedDialogAnswers dialogs;
        dialogs.Press(mbYes);
        typeBus("3");
        EXPECT_EQ(dialogs.Texts(), QStringList{question});
    }
    EXPECT_EQ(Stored("Propusk_za_izvozvane"), QStringList{Today(1, 4, "205@2@7@1")});
    EXPECT_EQ(form->code_bus->text(), "3");
    EXPECT_EQ(form->docno->text(), "");
    EXPECT_FALSE(form->Modified());
    EXPECT_EQ(RowOf(form, "205"), -1);

    // Without unsaved lines the window moves without a question.
    testsupport::ScopedDialogAnswers dialogs;
    form->date_doc->setDate(BusDayTest::Today.addDays(-1));
    form->code_bus->setText("4");
    EXPECT_TRUE(dialogs.Shown().empty());
}

TEST_F(BusDayDocumentGui, QueuedLinesAreSavedInTheirOwnProtocolOrNotAtAll)
{
    Execute(QString("Insert into Vyrnata_produkcia values ( 9, %1, 3, 101, 1, 5, 1 )").arg(Day));
    auto *form = Open<TfrmVyrnata_produkcia>();
    form->code_bus->setText("3");
    ASSERT_EQ(form->docno->text(), "");
    Add(form, "205", "2", 5, 0);
    ASSERT_EQ(form->Queue().Count(), 1);

    // Picking the stored protocol 9 while the new one has a line: Cancel
    // keeps the new protocol and its line.
    {
        testsupport::ScopedDialogAnswers dialogs;
        dialogs.Press(mbCancel);
        PickNumber(form, "9");
        EXPECT_EQ(dialogs.Shown().size(), 1u);
    }
    EXPECT_EQ(form->docno->text(), "");
    EXPECT_EQ(RowOf(form, "205"), 2);
    EXPECT_EQ(form->Queue().Count(), 1);

    // Yes: the new protocol gets its own number; protocol 9 is then shown
    // as stored.
    {
        testsupport::ScopedDialogAnswers dialogs;
        dialogs.Press(mbYes);
        PickNumber(form, "9");
        EXPECT_EQ(dialogs.Shown().size(), 1u);
    }
    EXPECT_EQ(Stored("Vyrnata_produkcia"), (QStringList{Today(9, 3, "101@1@5@1"), Today(10, 3, "205@2@5@0")}));
    EXPECT_EQ(form->docno->text(), "9");
    EXPECT_EQ(RowOf(form, "101"), 2);
    EXPECT_EQ(RowOf(form, "205"), -1);

    // A line added to protocol 9, then another day: No drops it, and F2 on
    // the day shown writes nothing of it.
    Add(form, "307", "2", 4, 0);
    ASSERT_EQ(form->Queue().Count(), 1);
    {
        testsupport::ScopedDialogAnswers dialogs;
        dialogs.Press(mbNo);
        form->date_doc->setDate(BusDayTest::Today.addDays(-1));
        EXPECT_EQ(dialogs.Shown().size(), 1u);
    }
    EXPECT_EQ(form->date_doc->date(), BusDayTest::Today.addDays(-1));
    EXPECT_EQ(form->docno->text(), "");
    EXPECT_EQ(form->Queue().Count(), 0);
    EXPECT_FALSE(form->Modified());
    EXPECT_EQ(Stored("Vyrnata_produkcia"), (QStringList{Today(9, 3, "101@1@5@1"), Today(10, 3, "205@2@5@0")}));

    // A failed save under Yes keeps the protocol, its line and its date.
    form->date_doc->setDate(BusDayTest::Today);
    Add(form, "307", "2", 4, 0);
    ASSERT_EQ(sqlite3_exec(DbConnection->Handle(),
                           "CREATE TRIGGER refuse_307 BEFORE INSERT ON Vyrnata_produkcia WHEN NEW.code_izd = 307 "
                           "BEGIN SELECT RAISE(ABORT, 'refused'); END",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    {
        testsupport::ScopedDialogAnswers dialogs;
        dialogs.Press(mbYes);
        form->date_doc->setDate(BusDayTest::Today.addDays(1));
        ASSERT_EQ(dialogs.Shown().size(), 2u);
        EXPECT_TRUE(dialogs.Texts()[1].startsWith("Грешка при работа с базата данни !"));
    }
    EXPECT_EQ(form->date_doc->date(), BusDayTest::Today);
    EXPECT_EQ(form->Queue().Count(), 1);
    EXPECT_TRUE(form->Modified());
    EXPECT_EQ(RowOf(form, "307"), 2);
    EXPECT_EQ(Stored("Vyrnata_produkcia").size(), 2);
}

// Codes are checked against their pickers' lists; a new document without
// lines takes no number.
TEST_F(BusDayDocumentGui, UnknownCodesAreRefusedAndAnEmptyNewDocumentIsNotSaved)
{
    auto *form = Open<TfrmVyrnata_produkcia>();
    form->code_bus->setText("3");
    {
        testsupport::ScopedDialogAnswers dialogs;
        Add(form, "abc", "1", 1, 0);
        Add(form, "999", "", 1, 0);
        Add(form, "101", "xyz", 1, 1);
        EXPECT_EQ(dialogs.Texts(), (QStringList{"Въведете изделие\n\r", "Въведете изделие\n\r",
                                                 "Въвдетете амбалаж\n\r"}));
        EXPECT_TRUE(form->Queue().IsEmpty());
        // The new protocol has no lines: no number is taken.
        EXPECT_FALSE(form->Save());
        EXPECT_EQ(dialogs.Texts().last(), "Не са въведени редове на документа.");
    }
    EXPECT_EQ(form->docno->text(), "");
    EXPECT_TRUE(Stored("Vyrnata_produkcia").isEmpty());
    form->code_bus->setText("abc");
    {
        testsupport::ScopedDialogAnswers dialogs;
        Add(form, "101", "1", 1, 0);
        EXPECT_EQ(dialogs.Texts(), QStringList{"Въвдетете микробус\n\r"});
    }

    // Yesterday's pass loaded, then F8 and No: the pass is empty again and
    // is not saved.
    Execute(QString("Insert into Propusk_za_izvozvane values ( 6, %1, 3, 101, 1, 10, 2 )").arg(Day - 1));
    auto *pass = Open<TfrmPropusk_za_izvozvane>();
    pass->code_bus->setText("3");
    pass->btnLoadPropuskFromPreviousDay->click();
    ASSERT_EQ(pass->Grid->Cells(0, 2), "101");
    testsupport::ScopedDialogAnswers dialogs;
    dialogs.Press(mbNo);
    pass->actExecute->trigger();
    EXPECT_FALSE(pass->Save());
    EXPECT_EQ(dialogs.Texts(), (QStringList{"Данните не са записани!\rЖелаете ли да ги запишете?",
                                             "Не са въведени редове на документа."}));
    EXPECT_EQ(pass->docno->text(), "");
    EXPECT_EQ(Rows("SELECT count(*) FROM Propusk_za_izvozvane"), QStringList{"1"});
}

// A typed quantity of a new pass is a number or the save is refused.
TEST_F(BusDayDocumentGui, AMistypedQuantityOfANewPassIsRefusedByName)
{
    Execute(QString("Insert into Propusk_za_izvozvane values ( 6, %1, 3, 101, 1, 10, 2 )").arg(Day - 1));
    auto *pass = Open<TfrmPropusk_za_izvozvane>();
    pass->code_bus->setText("3");
    pass->btnLoadPropuskFromPreviousDay->click();
    pass->Grid->SetCells(3, 2, "1.2.3");
    testsupport::ScopedDialogAnswers dialogs;
    EXPECT_FALSE(pass->Save());
    EXPECT_EQ(dialogs.Texts(),
              QStringList{"Стойността \"1.2.3\" за количеството на \"Хляб Добруджа 500 г\" не е число!\n\r"});
    EXPECT_EQ(Rows("SELECT count(*) FROM Propusk_za_izvozvane"), QStringList{"1"});
}

// The line-edit machinery: F3 then F4 unchanged writes nothing (a stored
// 3.5 crates stays 3.5 though the editor shows whole numbers), and F8 and
// F2 end a line in edit instead of stranding it.
TEST_F(BusDayDocumentGui, ALineInEditEndsBeforeF8AndF2AndPutBackUnchangedWritesNothing)
{
    Execute(QString("Insert into Propusk_za_izvozvane values ( 9, %1, 3, 101, 1, 10, 3.5 )").arg(Day));
    Execute(QString("Insert into Propusk_za_izvozvane values ( 9, %1, 3, 205, 2, 4, 1 )").arg(Day));
    auto *form = Open<TfrmPropusk_za_izvozvane>();
    form->code_bus->setText("3");
    PickNumber(form, "9");
    const QStringList stored = Stored("Propusk_za_izvozvane");
    ASSERT_EQ(stored.size(), 2);
    testsupport::ScopedDialogAnswers dialogs;

    ASSERT_TRUE(EditRow(form, "101"));
    EXPECT_TRUE(form->Modified());
    ASSERT_TRUE(form->New());
    EXPECT_TRUE(form->Queue().IsEmpty());
    EXPECT_FALSE(form->Modified());
    EXPECT_EQ(form->Grid->Cells(6, RowOf(form, "101")), "3.5");
    const int changes = sqlite3_total_changes(DbConnection->Handle());
    ASSERT_TRUE(form->Save());
    EXPECT_EQ(sqlite3_total_changes(DbConnection->Handle()), changes);
    EXPECT_EQ(Stored("Propusk_za_izvozvane"), stored);

    // F3 then F8: asked; No reads the pass again and F3 works on.
    ASSERT_TRUE(EditRow(form, "101"));
    dialogs.Press(mbNo);
    form->actExecute->trigger();
    EXPECT_FALSE(form->RowInEdit());
    EXPECT_TRUE(form->code_bus->isEnabled());
    EXPECT_EQ(form->Grid->RowCount(), 4);
    ASSERT_TRUE(EditRow(form, "205"));
    // F2 commits the line in edit first.
    form->quantity_izd->SetValue(6);
    ASSERT_TRUE(form->Save());
    EXPECT_FALSE(form->RowInEdit());
    EXPECT_EQ(Stored("Propusk_za_izvozvane"), (QStringList{stored[0], Today(9, 3, "205@2@6@1")}));

    // F5 then F8 (No), then F3 and F4 on the same line: no English text,
    // and the line is updated, not deleted.
    ASSERT_TRUE(DeleteRow(form, "205"));
    dialogs.Press(mbNo);
    form->actExecute->trigger();
    ASSERT_TRUE(EditRow(form, "205"));
    form->quantity_izd->SetValue(7);
    ASSERT_TRUE(form->New());
    ASSERT_TRUE(form->Save());
    EXPECT_EQ(Stored("Propusk_za_izvozvane"), (QStringList{stored[0], Today(9, 3, "205@2@7@1")}));
    for (const QString &text : dialogs.Texts())
        EXPECT_EQ(text, "Данните не са записани!\rЖелаете ли да ги запишете?");
}

// Every minibus day document, opened stored and saved unchanged, filtered
// and saved, and with a line taken out and put back unchanged and saved,
// writes nothing and asks nothing.
TEST_F(BusDayDocumentGui, EveryDayDocumentSavedUnchangedFilteredOrWithALinePutBackWritesNothing)
{
    for (const QString &table : {QString("Vyrnata_produkcia"), QString("Propusk_za_izvozvane")}) {
        Execute(QString("Insert into %1 values ( 9, %2, 3, 101, 1, 10, 3.5 )").arg(table).arg(Day));
        Execute(QString("Insert into %1 values ( 9, %2, 3, 205, 2, 4.5, 1 )").arg(table).arg(Day));
    }
    Execute(QString("Insert into Zaiavki_za_expedicia values ( %1, 3, 101, 1, 10, 3.5 )").arg(Day));
    Execute(QString("Insert into Zaiavki_za_expedicia values ( %1, 3, 205, 2, 4.5, 1 )").arg(Day));
    const std::vector<TfrmBusDayDocument *> forms = {Open<TfrmVyrnata_produkcia>(), Open<TfrmPropusk_za_izvozvane>(),
                                                     Open<TfrmZaiavki_za_expedicia>()};
    for (TfrmBusDayDocument *form : forms) {
        form->code_bus->setText("3");
        if (form->docno) {
            PickNumber(form, "9");
        } else {
            form->Execute();
        }
        ASSERT_EQ(testsupport::GridRows(*form).size() * form->Grid->ColCount(), 14) << form->objectName().toStdString();
        testsupport::ExpectAnUnchangedWalkWritesNothing(*form, "Х");
        form->SetModified(false);
    }
}
