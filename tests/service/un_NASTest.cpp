// The workstation and company settings form against a real database.
#include "service/un_NAS.h"

#include "components/LimitedEdit.h"
#include "core/unRegistryFuncs.h"
#include "core/unSettings.h"
#include "core/un_Ado_Connection.h"
#include "core/uFormClasses.h"
#include "support/DatabaseTest.h"
#include "support/ScopedDialogAnswers.h"

#include <QDate>
#include <QGroupBox>
#include <QTest>
#include <memory>

namespace {

class NasFormGui : public testsupport::DatabaseTest
{
protected:
    std::unique_ptr<TfrmNAS> Make() { return std::unique_ptr<TfrmNAS>(CreateQuorendForm<TfrmNAS>(nullptr, fsMDIChild)); }
    QString Address() const { return GetLocalIPAddress(); }
};

} // namespace

TEST_F(NasFormGui, ANewWorkstationInsertsEverySettingOnceThenOnlyWhatChanged)
{
    testsupport::ScopedDialogAnswers dialogs;
    EXPECT_TRUE(IsFormClassRegistered("TfrmNAS"));
    auto form = Make();
    EXPECT_EQ(form->windowTitle(), "Настройки за " + Address());
    EXPECT_EQ(form->pnlCaption->text(), ("Настройки за " + Address()).toUpper());
    EXPECT_EQ(form->ed_VA[VaYear]->text(), QString::number(QDate::currentDate().year()));
    EXPECT_EQ(form->ed_VA[VaVatPercent]->text(), "0.2");

    form->ed_NAS[1]->SetText("0000000041");
    form->ed_NAS[4]->SetText("Иван Петров");
    TfrmNAS::SetItemIndex(form->rg_NAS[11], 1);
    TfrmNAS::SetItemIndex(form->rg_Registry_21, 1);
    form->ed_VA[VaCompanyName]->SetText("ЕТ \"Хляб\"");
    EXPECT_EQ(form->SaveStatements().size(), 9 + 14);
    ASSERT_TRUE(form->Save());
    EXPECT_TRUE(dialogs.Texts().isEmpty()) << dialogs.Texts().join("|").toStdString();
    EXPECT_EQ(Rows("SELECT n_nas, Value_nas FROM Nas WHERE IP_Address = \"" + Address() + "\" ORDER BY n_nas"),
              QStringList({"1@0000000041", "2@", "3@", "4@Иван Петров", "5@", "11@1", "12@0", "13@0", "14@0"}));
    EXPECT_EQ(Rows("SELECT Count(*) FROM VA"), QStringList{"14"});
    EXPECT_EQ(Rows("SELECT value_VA FROM VA WHERE code_VA = 1"), QStringList{"ЕТ Хляб"});  // '"' leaves on reading
    QString value;
    GetRegistrySetting("Print_Laser", value);
    EXPECT_EQ(value, "1");
    GetRegistrySetting("rg_Registry_21", value);
    EXPECT_EQ(value, "1");

    // Reloaded: nothing to write; one change gives one update.
    EXPECT_EQ(form->SaveStatements(), QStringList());
    form->ed_NAS[5]->SetText("София");
    EXPECT_EQ(form->SaveStatements(),
              QStringList{"Update nas set value_nas = \"София\" where n_nas = 5 and ip_address = \"" + Address() + "\""});

    // The year takes four digits at most.
    form->ed_VA[VaYear]->clear();
    QTest::keyClicks(form->ed_VA[VaYear], "20245");
    EXPECT_EQ(form->ed_VA[VaYear]->text(), "2024");
}

TEST_F(NasFormGui, AFailedSaveWritesNothingAndNamesTheTableThatFailed)
{
    testsupport::ScopedDialogAnswers dialogs;
    auto form = Make();
    form->ed_NAS[2]->SetText("17");
    Execute("DROP TABLE VA");
    EXPECT_FALSE(form->Save());
    ASSERT_EQ(dialogs.Texts().size(), 2);
    EXPECT_TRUE(dialogs.Texts()[0].startsWith("Грешка при работа с базата данни !")) << dialogs.Texts()[0].toStdString();
    EXPECT_EQ(dialogs.Texts()[1], "Грешка при актуализиране на VA на ред 1.");
    EXPECT_EQ(Rows("SELECT Count(*) FROM Nas"), QStringList{"0"});
    QString value;
    GetRegistrySetting("Print_Laser", value);
    EXPECT_EQ(value, "");
    EXPECT_EQ(form->ed_NAS[2]->text(), "17");  // the window keeps what was typed
}
