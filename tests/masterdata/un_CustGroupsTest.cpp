// The counterparties and sites editors against a real database: the e-mail
// stored with '~', the site a new counterparty gets on a workstation whose
// setting 14 is on, its number taken inside the save.
#include <QSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <future>
#include <gtest/gtest.h>
#include <memory>
#include <thread>

#include "components/FloatEdit.h"
#include "components/LimitedEdit.h"
#include "components/ListEdit.h"
#include "components/RichGrid.h"
#include "core/uFormClasses.h"
#include "core/unSettings.h"
#include "core/un_Ado_Connection.h"
#include "masterdata/un_CustGroups.h"
#include "masterdata/un_Obekti.h"
#include "platform/db/Database.h"
#include "support/DatabaseTest.h"
#include "support/ScopedDialogAnswers.h"

namespace {

class CustGroupsGui : public testsupport::DatabaseTest
{
protected:
    void SetUp() override
    {
        DatabaseTest::SetUp();
        Execute(QStringLiteral("INSERT INTO Busses VALUES ( 3, \"Бус 3\" )"));
    }
    void TearDown() override
    {
        if (form)
            form->SetModified(false);
        form.reset();
        if (sites)
            sites->SetModified(false);
        sites.reset();
        DatabaseTest::TearDown();
    }
    void SitesOn()
    {
        Execute(QStringLiteral("INSERT INTO Nas VALUES ( 14, \"%1\", \"1\" )").arg(GetLocalIPAddress()));
    }
    void Open()
    {
        form.reset(CreateQuorendForm<TfrmCustGroups>(nullptr, fsNormal));
        form->SetFormTitle(QStringLiteral("Контрагенти"));
        form->SetTableName(QStringLiteral("CustGroups"));
        form->SetKeyField(QStringLiteral("code_c"));
        form->SetNameField(QStringLiteral("name_c"));
        form->SetItemNoun(QStringLiteral("контрагент"));
        ASSERT_TRUE(form->ShowForm());
    }
    void Enter(int Code, const QString &Name, const QString &Bulstat)
    {
        form->feShifyr->SetValue(Code);
        form->edNaimenovanie->setText(Name);
        form->ed_Bulstat->setText(Bulstat);
    }
    QStringList GridRow(int Row) const
    {
        QStringList cells;
        for (int c = 0; c < TfrmCustGroups::ColumnCount; ++c)
            cells << form->Grid->Cells(c, Row);
        return cells;
    }
    QStringList Sites() { return Rows(QStringLiteral("SELECT * FROM Obekti WHERE code_of_object <> 0 ORDER BY 1")); }

    std::unique_ptr<TfrmCustGroups> form;
    std::unique_ptr<TfrmObekti> sites;
};

} // namespace

TEST_F(CustGroupsGui, ACounterpartyIsSavedWithItsEmailAndShownUnderTwoHeaderRows)
{
    EXPECT_TRUE(IsFormClassRegistered(QStringLiteral("TfrmCustGroups")));
    Open();
    EXPECT_TRUE(form->Image_obekt->isHidden());
    EXPECT_EQ(form->Grid->FixedRows(), 2);
    EXPECT_EQ(form->Grid->Cells(TfrmCustGroups::colBus, 0), "Микробус");
    EXPECT_EQ(form->Grid->MergeCellsStr(),
              "11,0,11,1|10,0,10,1|9,0,9,1|8,0,8,1|7,0,7,1|6,0,6,1|5,0,5,1|4,0,4,1|3,0,3,1|2,0,2,1|1,0,1,1|0,0,0,1|"
              "12,0,13,0|14,0,14,1|");

    testsupport::ScopedDialogAnswers dialogs;
    form->feShifyr->SetValue(0);
    form->actNew->trigger();
    EXPECT_EQ(dialogs.Texts(),
              QStringList({"Въведете шифър.\n\rВъведете наименование!\n\rВъведете коректен ЕИН\n\r"}));

    Enter(1, QStringLiteral("Вега ООД"), QStringLiteral("123456789"));
    form->ed_E_mail->setText(QStringLiteral("office@vega.bg"));
    form->sePref_code->setValue(2);
    form->leMicrobus->setText(QStringLiteral("3"));
    form->ed_Adres->setText(QStringLiteral("Добрич"));
    form->actNew->trigger();
    ASSERT_EQ(form->Pending().Texts().size(), 1) << "no site where setting 14 is off";
    EXPECT_EQ(form->Pending().Texts()[0],
              "Insert into CustGroups Select 1, \"Вега ООД\", \"\", \"123456789\", \"\", 2, \"office~vega.bg\", \"\", "
              "\"\", \"\", \"Добрич\", \"\", 3, \"\" Where Not Exists ( Select * From CustGroups Where code_c = 1 )");
    const QStringList row{"1", "Вега ООД", "", "123456789", "", "2", "office@vega.bg", "", "", "",
                          "Добрич", "", "3", "Бус 3", ""};
    EXPECT_EQ(GridRow(2), row);
    // A refresh before the save shows the queued row whole.
    form->Execute();
    EXPECT_EQ(GridRow(2), row);
    form->actSave->trigger();
    EXPECT_EQ(Rows(QStringLiteral("SELECT code_c, e_mail_c, c_bus FROM CustGroups")),
              QStringList({"1@office~vega.bg@3"}));
    EXPECT_EQ(GridRow(2), QStringList({"1", "Вега ООД", "", "123456789", "", "2", "office@vega.bg", "", "", "",
                                       "Добрич", "", "3", "Бус 3", ""}));
    EXPECT_TRUE(Sites().isEmpty());

    // The same company number is refused; an edit writes the '~' again.
    Enter(2, QStringLiteral("Друг"), QStringLiteral("123456789"));
    form->actNew->trigger();
    EXPECT_EQ(dialogs.Texts().last(), "Булстат \"123456789\" съществува в таблицата с данни!\n\r");
    form->Grid->SetRow(2);
    form->actEdit->trigger();
    EXPECT_EQ(form->ed_E_mail->text(), "office@vega.bg");
    EXPECT_EQ(form->sePref_code->value(), 2);
    form->leMicrobus->setText(QString());
    form->actNew->trigger();
    form->actSave->trigger();
    EXPECT_EQ(Rows(QStringLiteral("SELECT code_c, e_mail_c, c_bus FROM CustGroups")),
              QStringList({"1@office~vega.bg@0"}));
    EXPECT_EQ(form->Grid->Cells(TfrmCustGroups::colBus, 2), "") << "minibus 0 shows as an empty cell";
}

TEST_F(CustGroupsGui, NewCounterpartiesGetDistinctSitesTakenAtTheSave)
{
    SitesOn();
    Execute(QStringLiteral("INSERT INTO Obekti VALUES ( 4, 0, \"Стар\", \"\", \"\", \"\", \"\" )"));
    Open();
    EXPECT_FALSE(form->Image_obekt->isHidden());
    Enter(1, QStringLiteral("Вега"), QStringLiteral("111"));
    form->ed_Adres->setText(QStringLiteral("ул. Рила 1"));
    form->ed_Telephone->setText(QStringLiteral("058"));
    form->ed_MOL->setText(QStringLiteral("Иван"));
    form->actNew->trigger();
    Enter(2, QStringLiteral("Алфа"), QStringLiteral("222"));
    form->actNew->trigger();
    Enter(3, QStringLiteral("Бета"), QStringLiteral("333"));
    form->actNew->trigger();
    // Dropped before the save: its site goes with it.
    testsupport::ScopedDialogAnswers dialogs;
    dialogs.Press(mbYes);
    form->Grid->SetRow(form->Grid->RowCount() - 1);
    form->actDelete->trigger();
    // Another workstation adds a site meanwhile.
    Execute(QStringLiteral("INSERT INTO Obekti VALUES ( 5, 0, \"Чужд\", \"\", \"\", \"\", \"\" )"));
    form->actSave->trigger();
    EXPECT_EQ(Sites(), QStringList({"4@0@Стар@@@@", "5@0@Чужд@@@@", "6@1@Вега@Вега@ул. Рила 1@058@Иван",
                                    "7@2@Алфа@Алфа@ул. Рила 1@058@Иван"}));

    // An edit never adds a site.
    form->Grid->SetRow(form->Grid->FixedRows());
    form->actEdit->trigger();
    form->ed_Fax->setText(QStringLiteral("052"));
    form->actNew->trigger();
    EXPECT_EQ(form->Pending().Count(), 1);
    form->actSave->trigger();
    EXPECT_EQ(Sites().size(), 4);
}

TEST_F(CustGroupsGui, TwoWorkstationsSavingAtOnceGetDistinctSiteNumbers)
{
    SitesOn();
    Open();
    Enter(1, QStringLiteral("Вега"), QStringLiteral("111"));
    form->actNew->trigger();

    // The other workstation is in the middle of its own save of a new
    // counterparty with its site, holding the write lock; ours waits for it
    // and then numbers its site after the other's.
    platform::Database other(DatabasePath());
    std::promise<void> locked, saving;
    std::thread workstation([&] {
        platform::DbTransaction tr(other);
        other.Execute(QStringLiteral("Insert into CustGroups values ( 2, \"Алфа\", \"\", \"222\", \"\", 1, \"\", \"\", "
                                     "\"\", \"\", \"\", \"\", 0, \"\" )"));
        other.Execute(QStringLiteral("Insert into Obekti values ( 1, 2, \"Алфа\", \"Алфа\", \"\", \"\", \"\" )"));
        locked.set_value();
        saving.get_future().wait();
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        tr.Commit();
    });
    locked.get_future().wait();
    saving.set_value();
    form->actSave->trigger();
    workstation.join();
    EXPECT_FALSE(form->Modified());
    EXPECT_EQ(Rows(QStringLiteral("SELECT code_of_object, code_of_CustGroup FROM Obekti WHERE code_of_object <> 0 "
                                  "ORDER BY 1")),
              QStringList({"1@2", "2@1"}));
}

TEST_F(CustGroupsGui, SitesAreEditedWithTheirCounterparty)
{
    EXPECT_TRUE(IsFormClassRegistered(QStringLiteral("TfrmObekti")));
    Execute(QStringLiteral("Insert into CustGroups values ( 7, \"Вега\", \"\", \"1\", \"\", 1, \"\", \"\", \"\", \"\", "
                           "\"\", \"\", 0, \"\" )"));
    sites.reset(CreateQuorendForm<TfrmObekti>(nullptr, fsNormal));
    sites->SetFormTitle(QStringLiteral("Обекти"));
    sites->SetTableName(QStringLiteral("Obekti"));
    sites->SetKeyField(QStringLiteral("code_of_object"));
    sites->SetNameField(QStringLiteral("name_o"));
    sites->SetItemNoun(QStringLiteral("обект"));
    ASSERT_TRUE(sites->ShowForm());
    EXPECT_EQ(sites->feShifyr->Value(), 1);

    testsupport::ScopedDialogAnswers dialogs;
    sites->edNaimenovanie->setText(QStringLiteral("Магазин"));
    sites->leCustomer->setText(QStringLiteral("8"));
    sites->actNew->trigger();
    EXPECT_EQ(dialogs.Texts(), QStringList({"Въведете клиент!\n\r"}));
    sites->leCustomer->setText(QStringLiteral("7"));
    sites->edGrad->setText(QStringLiteral("Добрич"));
    sites->edPriel->setText(QStringLiteral("Мария"));
    sites->actNew->trigger();
    EXPECT_EQ(sites->Pending().Texts(),
              QStringList({"Insert into Obekti Select 1, 7, \"Магазин\", \"Добрич\", \"\", \"\", \"Мария\" Where Not "
                           "Exists ( Select * From Obekti Where code_of_object = 1 )"}));
    sites->actSave->trigger();
    EXPECT_EQ(Rows(QStringLiteral("SELECT * FROM Obekti WHERE code_of_object <> 0")),
              QStringList({"1@7@Магазин@Добрич@@@Мария"}));
    EXPECT_EQ(sites->Grid->Cells(TfrmObekti::colCustomerName, 1), "Вега");

    sites->Grid->SetRow(1);
    sites->actEdit->trigger();
    EXPECT_EQ(sites->leCustomer->text(), "7");
    sites->edAdres->setText(QStringLiteral("ул. 1"));
    sites->actNew->trigger();
    EXPECT_EQ(sites->Pending().Texts(),
              QStringList({"Update Obekti Set adres = \"ул. 1\" Where ( code_of_object = 1 ) And ( code_of_CustGroup = 7 ) "
                           "And ( name_o = \"Магазин\" ) And ( grad = \"Добрич\" ) And ( adres = \"\" ) And ( telefon = "
                           "\"\" ) And ( priel = \"Мария\" )"}));
    sites->actSave->trigger();
    EXPECT_EQ(Rows(QStringLiteral("SELECT adres FROM Obekti WHERE code_of_object = 1")), QStringList({"ул. 1"}));
}
