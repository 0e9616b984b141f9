// What the master-data editors write when a row is taken out and put back:
// a row in edit that F2 and F8 end, only the changed columns, stored texts
// the editors cannot show whole, rows changed elsewhere meanwhile, codes
// that documents use, and the checks of codes, user names and e-mails.
#include <QLineEdit>
#include <QSpinBox>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

#include "components/FloatEdit.h"
#include "components/LimitedEdit.h"
#include "components/ListEdit.h"
#include "components/RichGrid.h"
#include "core/uFormClasses.h"
#include "core/unSettings.h"
#include "core/un_Ado_Connection.h"
#include "masterdata/unIzdelia.h"
#include "masterdata/unUsers_passwords.h"
#include "masterdata/un_CustGroups.h"
#include "support/DatabaseTest.h"
#include "support/ScopedDialogAnswers.h"

namespace {

const TEditorSettings Units{"Мерки", "Merki", "n_miarka", "v_miarka", "мярка"};
const TEditorSettings Buses{"Микробуси", "Busses", "c_bus", "n_bus", "микробус"};
const TEditorSettings Customers{"Контрагенти", "CustGroups", "code_c", "name_c", "контрагент"};
const TEditorSettings Operators{"Оператори", "Users_passwords", "user_name", "user_password", "оператор"};

class MasterDataEditsGui : public testsupport::DatabaseTest
{
protected:
    void SetUp() override
    {
        DatabaseTest::SetUp();
        Execute(QStringLiteral("INSERT INTO Merki VALUES ( 1, \"бр\" )"));
        Execute(QStringLiteral("INSERT INTO Merki VALUES ( 2, \"кг\" )"));
        Execute(QStringLiteral("INSERT INTO Groups VALUES ( 1, \"Хляб\" )"));
        Execute(QStringLiteral("INSERT INTO SubGroup VALUES ( 1, \"Бял\" )"));
        Execute(QStringLiteral("INSERT INTO Izdelia VALUES ( 101, \"Хляб \"\"Добруджа\"\"\", 1, 1, 1, 1.2, 1.3, 0, 0, 0 )"));
        Execute(QStringLiteral("INSERT INTO Izdelia VALUES ( 102, \"Кифла (малка) №5 & 10%\", 1, 1, 1, 0.4, 0, 0, 0, 0 )"));
    }
    void TearDown() override
    {
        if (form)
            form->SetModified(false);
        form.reset();
        DatabaseTest::TearDown();
    }
    template <class T> T *Open(const std::optional<TEditorSettings> &Settings = std::nullopt)
    {
        auto *editor = CreateQuorendForm<T>(nullptr, fsNormal);
        form.reset(editor);
        if (Settings) {
            TFormParams params;
            params.Settings = Settings;
            form->Configure(params);
        }
        EXPECT_TRUE(form->ShowForm());
        return editor;
    }
    void SelectRowOf(const QString &Key)
    {
        for (int r = form->Grid->FixedRows(); r < form->Grid->RowCount(); ++r)
            if (form->Grid->Cells(0, r) == Key)
                form->Grid->SetRow(r);
    }
    // The products as stored (a record list would drop their '"').
    QString Products()
    {
        QStringList rows;
        for (const QStringList &row : DbConnection->Query(QStringLiteral("SELECT * FROM Izdelia WHERE code_izd <> 0 "
                                                                         "ORDER BY 1")).rows)
            rows << row.join('@');
        return rows.join('|');
    }

    std::unique_ptr<TfrmSimple_Nomenklatura> form;
};

} // namespace

TEST_F(MasterDataEditsGui, F2CommitsTheRowInEditAndTheWindowGoesOn)
{
    Open<TfrmSimple_Nomenklatura>(Units);
    testsupport::ScopedDialogAnswers dialogs;
    // A row the editors refuse stops the save; the edit stays.
    SelectRowOf("2");
    form->actEdit->trigger();
    form->edNaimenovanie->setText(QString());
    form->actSave->trigger();
    EXPECT_EQ(dialogs.Texts(), QStringList({"Въведете наименование!\n\r"}));
    EXPECT_TRUE(form->EditMode());
    EXPECT_EQ(Rows("SELECT * FROM Merki WHERE n_miarka > 0 ORDER BY 1"), QStringList({"1@бр", "2@кг"}));

    form->edNaimenovanie->setText(QStringLiteral("килограм"));
    form->actSave->trigger();
    EXPECT_FALSE(form->EditMode());
    EXPECT_FALSE(form->Modified());
    EXPECT_EQ(Rows("SELECT * FROM Merki WHERE n_miarka > 0 ORDER BY 1"), QStringList({"1@бр", "2@килограм"}));
    // F4 now adds the editors' row as a new one, and F3 takes another row.
    form->actNew->trigger();
    EXPECT_EQ(dialogs.Texts().last(), "Шифър \"2\" съществува в таблицата с данни!\n\rНаименование \"килограм\" "
                                      "съществува в таблицата с данни!\n\r");
    SelectRowOf("1");
    form->actEdit->trigger();
    EXPECT_TRUE(form->EditMode());
    EXPECT_EQ(form->edNaimenovanie->text(), "бр");
    EXPECT_EQ(dialogs.Texts().size(), 2);
    // F8 asks; Yes commits the edit, unchanged: nothing is written.
    dialogs.Press(mbYes);
    form->actExecute->trigger();
    EXPECT_FALSE(form->EditMode());
    EXPECT_TRUE(form->Pending().IsEmpty());
    EXPECT_FALSE(form->Modified());
}

TEST_F(MasterDataEditsGui, ARowPutBackUnchangedWritesNothingAndAChangeWritesOnlyItsColumns)
{
    auto *products = Open<TfrmIzdelia>();
    SelectRowOf("101");
    products->actEdit->trigger();
    EXPECT_EQ(products->edNaimenovanie->text(), "Хляб Добруджа");
    products->actNew->trigger();
    EXPECT_TRUE(products->Pending().IsEmpty());
    EXPECT_FALSE(products->Modified());

    // A name the field cannot hold whole loads its allowed characters, not
    // the name of the row edited before.
    SelectRowOf("102");
    products->actEdit->trigger();
    EXPECT_EQ(products->edNaimenovanie->text(), "Кифла малка 5  10");
    products->edPrice[1]->SetValue(0.45L);
    products->actNew->trigger();
    EXPECT_EQ(products->Grid->Cells(TfrmIzdelia::colName, products->Grid->Row()), "Кифла (малка) №5 & 10%")
        << "the grid shows the name that stays stored";
    SelectRowOf("101");
    products->actEdit->trigger();
    products->edPrice[0]->SetValue(1.25L);
    products->actNew->trigger();
    products->actSave->trigger();
    EXPECT_EQ(Products(), "101@Хляб \"Добруджа\"@1@1@1@1.25@1.3@0@0@0|102@Кифла (малка) №5 & 10%@1@1@1@0.4@0.45@0@0@0");
    // Renamed, the name is the one typed.
    SelectRowOf("102");
    products->actEdit->trigger();
    products->edNaimenovanie->setText(QStringLiteral("Кифла 5"));
    products->actNew->trigger();
    products->actSave->trigger();
    EXPECT_EQ(Rows("SELECT name_izd FROM Izdelia WHERE code_izd = 102"), QStringList({"Кифла 5"}));
}

TEST_F(MasterDataEditsGui, ARowChangedOrDeletedElsewhereIsRefusedAndNothingIsWritten)
{
    auto *products = Open<TfrmIzdelia>();
    testsupport::ScopedDialogAnswers dialogs;
    // Another workstation changes price 1 after this one loaded the row.
    Execute(QStringLiteral("UPDATE Izdelia SET price_1 = 1.5 WHERE code_izd = 101"));
    SelectRowOf("102");
    products->actEdit->trigger();
    products->edPrice[2]->SetValue(3);
    products->actNew->trigger();
    SelectRowOf("101");
    products->actEdit->trigger();
    products->edPrice[1]->SetValue(2);
    products->actNew->trigger();
    products->actSave->trigger();
    EXPECT_EQ(dialogs.Texts(), QStringList({"Редът \"101 - Хляб Добруджа\" е променен или изтрит от друго работно "
                                            "място. Натиснете F8 и въведете промяната отново."}));
    EXPECT_EQ(Products(), "101@Хляб \"Добруджа\"@1@1@1@1.5@1.3@0@0@0|102@Кифла (малка) №5 & 10%@1@1@1@0.4@0@0@0@0")
        << "nothing of the save is written";
    // The refused change is given up: the row shows as it is now; the
    // other change stays queued.
    SelectRowOf("101");
    EXPECT_EQ(products->Grid->Cells(TfrmIzdelia::colPrice1, products->Grid->Row()), "1.5");
    EXPECT_EQ(products->Pending().Count(), 1);
    products->actEdit->trigger();
    products->edPrice[1]->SetValue(2);
    products->actNew->trigger();
    products->actSave->trigger();
    EXPECT_EQ(dialogs.Texts().size(), 1);
    EXPECT_EQ(Products(), "101@Хляб \"Добруджа\"@1@1@1@1.5@2@0@0@0|102@Кифла (малка) №5 & 10%@1@1@1@0.4@0@3@0@0");

    // Deleted elsewhere: refused the same way.
    SelectRowOf("102");
    products->actEdit->trigger();
    products->edPrice[4]->SetValue(5);
    products->actNew->trigger();
    Execute(QStringLiteral("DELETE FROM Izdelia WHERE code_izd = 102"));
    products->actSave->trigger();
    EXPECT_EQ(dialogs.Texts().size(), 2);
    EXPECT_TRUE(dialogs.Texts().last().startsWith("Редът \"102 - Кифла (малка) №5 & 10%\" е променен или изтрит"));
    EXPECT_EQ(Rows("SELECT Count(*) FROM Izdelia WHERE code_izd = 102"), QStringList({"0"}));
}

TEST_F(MasterDataEditsGui, ACodeThatDocumentsUseIsNotDeleted)
{
    Execute(QStringLiteral("INSERT INTO Busses VALUES ( 3, \"Бус 3\" )"));
    Execute(QStringLiteral("INSERT INTO Busses VALUES ( 4, \"Бус 4\" )"));
    Execute(QStringLiteral("INSERT INTO Otchet_plasiori VALUES ( 45000, 3, 101, 1, 2, 1.2, 2.4 )"));
    Execute(QStringLiteral("INSERT INTO Zaiavki_za_expedicia VALUES ( 45000, 3, 101, 0, 2, 0 )"));
    Execute(QStringLiteral("INSERT INTO Zaiavka_rows VALUES ( 1, 101, 2, 1.2, 0, 1.2, 2.4 )"));
    testsupport::ScopedDialogAnswers dialogs;
    Open<TfrmSimple_Nomenklatura>(Buses);
    SelectRowOf("3");
    form->actDelete->trigger();
    EXPECT_EQ(dialogs.Texts(), QStringList({"Шифър \"3\" не може да бъде изтрит: използва се в заявки за "
                                            "експедиция, отчети на пласьори!"}));
    EXPECT_TRUE(form->Pending().IsEmpty());
    form->actEdit->trigger();
    form->feShifyr->SetValue(9);
    form->actNew->trigger();
    EXPECT_EQ(dialogs.Texts().last(), "Шифър \"3\" не може да бъде променен: използва се в заявки за експедиция, "
                                      "отчети на пласьори!\n\r");
    form->feShifyr->SetValue(3);
    form->actNew->trigger();
    dialogs.Press(mbYes);
    SelectRowOf("4");
    form->actDelete->trigger();
    form->actSave->trigger();
    EXPECT_EQ(Rows("SELECT c_bus FROM Busses"), QStringList({"3"}));

    auto *products = Open<TfrmIzdelia>();
    SelectRowOf("101");
    products->actDelete->trigger();
    EXPECT_EQ(dialogs.Texts().last(), "Шифър \"101\" не може да бъде изтрит: използва се в стокови разписки, заявки "
                                      "за експедиция, отчети на пласьори!");
    Open<TfrmSimple_Nomenklatura>(Units);
    SelectRowOf("1");
    form->actDelete->trigger();
    EXPECT_EQ(dialogs.Texts().last(), "Шифър \"1\" не може да бъде изтрит: използва се в изделия!");
    EXPECT_TRUE(form->Pending().IsEmpty());
}

TEST_F(MasterDataEditsGui, ACodeIsAWholeNumberAUserNameIsUniqueInAnyCaseAndAnEmailKeepsItsDash)
{
    testsupport::ScopedDialogAnswers dialogs;
    Open<TfrmSimple_Nomenklatura>(Units);
    // Typed, then left: the fraction stays for the check to see (it is no
    // duplicate of code 2).
    form->feShifyr->clear();
    QTest::keyClicks(form->feShifyr, QStringLiteral("1.5"));
    QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
    QCoreApplication::sendEvent(form->feShifyr, &leave);
    form->edNaimenovanie->setText(QStringLiteral("л"));
    form->actNew->trigger();
    EXPECT_EQ(dialogs.Texts(), QStringList({"Шифърът трябва да е цяло число!\n\r"}));
    EXPECT_TRUE(form->Pending().IsEmpty());

    Execute(QStringLiteral("INSERT INTO Users_passwords VALUES ( \"ivan\", \"111\", \"Иван Петров\" )"));
    auto *users = Open<TfrmUsers_passwords>(Operators);
    users->edUser->setText(QStringLiteral("IVAN"));
    users->edPassword->setText(QStringLiteral("222"));
    users->edNames->setText(QStringLiteral("Иван Иванов"));
    users->actNew->trigger();
    EXPECT_EQ(dialogs.Texts().last(), "Потребител IVAN съществува в базата данни\n\r");
    EXPECT_TRUE(users->Pending().IsEmpty());

    auto *customers = Open<TfrmCustGroups>(Customers);
    customers->ed_E_mail->setFocus();
    QTest::keyClicks(customers->ed_E_mail, QStringLiteral("ivan-petrov@abv.bg"));
    EXPECT_EQ(customers->ed_E_mail->text(), "ivan-petrov@abv.bg");
    customers->feShifyr->SetText(QStringLiteral("7.5"));
    customers->edNaimenovanie->setText(QStringLiteral("Вега"));
    customers->ed_Bulstat->setText(QStringLiteral("111"));
    customers->actNew->trigger();
    EXPECT_EQ(dialogs.Texts().last(), "Шифърът трябва да е цяло число!\n\r");
    customers->feShifyr->SetValue(7);
    customers->actNew->trigger();
    customers->actSave->trigger();
    EXPECT_EQ(Rows("SELECT e_mail_c FROM CustGroups WHERE code_c = 7"), QStringList({"ivan-petrov~abv.bg"}));
}

TEST_F(MasterDataEditsGui, ANewCounterpartysSiteFollowsItsFinalCodeAndNameAndGoesWithIt)
{
    Execute(QStringLiteral("INSERT INTO Nas VALUES ( 14, \"%1\", \"1\" )").arg(GetLocalIPAddress()));
    auto *customers = Open<TfrmCustGroups>(Customers);
    testsupport::ScopedDialogAnswers dialogs;
    auto enter = [&](int Code, const QString &Name, const QString &Bulstat) {
        customers->feShifyr->SetValue(Code);
        customers->edNaimenovanie->setText(Name);
        customers->ed_Bulstat->setText(Bulstat);
        customers->ed_Adres->setText(QStringLiteral("Добрич"));
        customers->actNew->trigger();
    };
    enter(1, QStringLiteral("Вега"), QStringLiteral("111"));
    enter(2, QStringLiteral("Алфа"), QStringLiteral("222"));
    // Renamed and given another code before the save.
    SelectRowOf("1");
    customers->actEdit->trigger();
    customers->feShifyr->SetValue(5);
    customers->edNaimenovanie->setText(QStringLiteral("Вега 2"));
    customers->ed_Adres->setText(QStringLiteral("Варна"));
    customers->actNew->trigger();
    // Given another code, then deleted before the save.
    SelectRowOf("2");
    customers->actEdit->trigger();
    customers->feShifyr->SetValue(6);
    customers->actNew->trigger();
    dialogs.Press(mbYes);
    SelectRowOf("6");
    customers->actDelete->trigger();
    customers->actSave->trigger();
    EXPECT_EQ(dialogs.Texts().size(), 1);
    EXPECT_EQ(Rows("SELECT code_c, name_c FROM CustGroups WHERE code_c > 0"), QStringList({"5@Вега 2"}));
    EXPECT_EQ(Rows("SELECT * FROM Obekti WHERE code_of_object > 0"), QStringList({"1@5@Вега 2@Вега 2@Варна@@"}));
}

TEST_F(MasterDataEditsGui, AUserNameTakenMeanwhileIsRefusedInBulgarian)
{
    auto *users = Open<TfrmUsers_passwords>(Operators);
    testsupport::ScopedDialogAnswers dialogs;
    users->edUser->setText(QStringLiteral("maria"));
    users->edPassword->setText(QStringLiteral("222"));
    users->edNames->setText(QStringLiteral("Мария Петрова"));
    users->actNew->trigger();
    Execute(QStringLiteral("INSERT INTO Users_passwords VALUES ( \"Maria\", \"333\", \"Мария Иванова\" )"));
    users->actSave->trigger();
    EXPECT_EQ(dialogs.Texts(), QStringList({"\"maria\" е записан от друго работно място! Редактирайте реда (F3) и "
                                            "натиснете F2."}));
    EXPECT_EQ(Rows("SELECT * FROM Users_passwords"), QStringList({"Maria@333@Мария Иванова"}));
    SelectRowOf("maria");
    users->actEdit->trigger();
    users->edUser->setText(QStringLiteral("mpetrova"));
    users->actNew->trigger();
    users->actSave->trigger();
    EXPECT_EQ(dialogs.Texts().size(), 1);
    EXPECT_EQ(Rows("SELECT * FROM Users_passwords ORDER BY 1"),
              QStringList({"Maria@333@Мария Иванова", "mpetrova@222@Мария Петрова"}));
}
