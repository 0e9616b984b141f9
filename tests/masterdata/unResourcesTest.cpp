// The resources editor: the unit picked from the units of measure, its
// name in the grid and its code in the statements.
#include <QLabel>
#include <gtest/gtest.h>
#include <memory>

#include "components/FloatEdit.h"
#include "components/LimitedEdit.h"
#include "components/ListEdit.h"
#include "components/RichGrid.h"
#include "core/uFormClasses.h"
#include "EditorFixture.h"
#include "masterdata/unResources.h"
#include "support/DatabaseTest.h"
#include "support/ScopedDialogAnswers.h"

namespace {

class ResourcesGui : public testsupport::EditorTest<TfrmResources>
{
protected:
    void SetUp() override
    {
        EditorTest::SetUp();
        Execute(QStringLiteral("INSERT INTO Merki VALUES ( 1, \"кг\" )"));
        Execute(QStringLiteral("INSERT INTO Merki VALUES ( 2, \"бр\" )"));
        Open(TEditorSettings{"Ресурси", "Resources", "code_r", "name_r", "ресурс"});
    }
    QStringList GridRow(int Row) const
    {
        return {form->Grid->Cells(0, Row), form->Grid->Cells(1, Row), form->Grid->Cells(2, Row)};
    }
    QStringList Table()
    {
        return Rows(QStringLiteral("SELECT code_r, name_r, miarka_r FROM Resources WHERE code_r <> 0 ORDER BY code_r"));
    }
};

} // namespace

TEST_F(ResourcesGui, NewEditAndSaveCarryTheUnit)
{
    EXPECT_TRUE(IsFormClassRegistered(QStringLiteral("TfrmResources")));
    EXPECT_EQ(form->feShifyr->Value(), 1) << "the reserved code 0 row does not count";
    EXPECT_EQ(form->StatusText(), "Общо: 0 реда");

    testsupport::ScopedDialogAnswers dialogs;
    form->edNaimenovanie->setText(QStringLiteral("Брашно"));
    form->leMiarka->setText(QStringLiteral("9"));
    form->actNew->trigger();
    EXPECT_EQ(dialogs.Texts(), QStringList({"Въведете мярка.\n\r"}));

    form->leMiarka->setText(QStringLiteral("1"));
    EXPECT_EQ(form->lblMiarkaName->text(), "кг");
    form->actNew->trigger();
    EXPECT_EQ(GridRow(1), QStringList({"1", "Брашно", "кг"}));
    EXPECT_EQ(form->Pending().Texts(), QStringList({"Insert into Resources Select 1, \"Брашно\", 1 Where Not Exists ( Select * From Resources "
                           "Where code_r = 1 )"}));
    form->actSave->trigger();
    EXPECT_EQ(Table(), QStringList({"1@Брашно@1"}));

    // The unit's code is found again from its name in the grid.
    form->Grid->SetRow(1);
    form->actEdit->trigger();
    EXPECT_EQ(form->leMiarka->text(), "1");
    form->leMiarka->setText(QStringLiteral("2"));
    form->actNew->trigger();
    EXPECT_EQ(form->Pending().Texts(),
              QStringList({"Update Resources Set Miarka_r = 2 Where ( code_r = 1 ) And ( Name_r = \"Брашно\" ) And ( "
                           "Miarka_r = 1 )"}));
    form->actSave->trigger();
    EXPECT_EQ(Table(), QStringList({"1@Брашно@2"}));
    EXPECT_EQ(GridRow(1), QStringList({"1", "Брашно", "бр"}));
}
