// The operators editor: user names and passwords unique among all
// operators, an edit keyed by the user name it was opened with.
#include <gtest/gtest.h>
#include <memory>

#include "components/LimitedEdit.h"
#include "components/RichGrid.h"
#include "core/uFormClasses.h"
#include "EditorFixture.h"
#include "masterdata/unUsers_passwords.h"
#include "support/ScopedDialogAnswers.h"

namespace {

class UsersPasswordsGui : public testsupport::EditorTest<TfrmUsers_passwords>
{
protected:
    void SetUp() override
    {
        EditorTest::SetUp();
        Execute(QStringLiteral("INSERT INTO Users_passwords VALUES ( \"ivan\", \"111\", \"Иван Петров\" )"));
        Open(TEditorSettings{"Оператори", "Users_passwords", "user_name", "user_password", "оператор"});
    }
    void Enter(const QString &User, const QString &Password, const QString &Names)
    {
        form->edUser->setText(User);
        form->edPassword->setText(Password);
        form->edNames->setText(Names);
    }
    QStringList Table() { return Rows(QStringLiteral("SELECT * FROM Users_passwords ORDER BY user_name")); }
};

} // namespace

TEST_F(UsersPasswordsGui, PasswordsDifferAndAnEditRenamesItsOwnRow)
{
    EXPECT_TRUE(IsFormClassRegistered(QStringLiteral("TfrmUsers_passwords")));
    testsupport::ScopedDialogAnswers dialogs;
    Enter(QStringLiteral("maria"), QStringLiteral("111"), QString());
    form->actNew->trigger();
    Enter(QString(), QString(), QString());
    form->actNew->trigger();
    EXPECT_EQ(dialogs.Texts(),
              QStringList({"Парола 111 съществува в базата данни\n\rВъведете имена на оператор\n\r",
                           "Въведете потребител\n\rВъведете парола\n\rВъведете имена на оператор\n\r"}));

    Enter(QStringLiteral("maria"), QStringLiteral("222"), QStringLiteral("Мария"));
    form->actNew->trigger();
    EXPECT_EQ(form->Grid->Cells(0, 2), "maria");

    // ivan becomes petar: the update finds the row by "ivan".
    form->Grid->SetRow(1);
    form->actEdit->trigger();
    EXPECT_EQ(form->edUser->text(), "ivan");
    form->edUser->setText(QStringLiteral("petar"));
    form->actNew->trigger();
    form->actSave->trigger();
    EXPECT_EQ(Table(), QStringList({"maria@222@Мария", "petar@111@Иван Петров"}));

    dialogs.Press(mbYes);
    form->Grid->SetRow(1);
    form->actDelete->trigger();
    EXPECT_EQ(dialogs.Texts().last(), "Желаете ли да изтриете оператор: \"maria\" - \"222\"?");
    form->actSave->trigger();
    EXPECT_EQ(Table(), QStringList({"petar@111@Иван Петров"}));
}
