// The products editor against a real database: the three pickers, the
// five prices at the price precision, a product's unit kept by its code, and
// pickers that take only the codes of their lists.
#include <QLabel>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>
#include <memory>

#include "components/BtnEdit.h"
#include "components/FloatEdit.h"
#include "components/LimitedEdit.h"
#include "components/ListEdit.h"
#include "components/RichGrid.h"
#include "core/uFormClasses.h"
#include "core/unRegistryFuncs.h"
#include "EditorFixture.h"
#include "masterdata/unIzdelia.h"
#include "support/ScopedDialogAnswers.h"

namespace {

class IzdeliaGui : public testsupport::EditorTest<TfrmIzdelia>
{
protected:
    void SetUp() override
    {
        EditorTest::SetUp();
        Execute(QStringLiteral("INSERT INTO Merki VALUES ( 1, \"бр\" )"));
        Execute(QStringLiteral("INSERT INTO Merki VALUES ( 2, \"бр\" )"));
        Execute(QStringLiteral("INSERT INTO Merki VALUES ( 3, \"кг\" )"));
        Execute(QStringLiteral("INSERT INTO Groups VALUES ( 1, \"Хляб\" )"));
        Execute(QStringLiteral("INSERT INTO SubGroup VALUES ( 4, \"Бял\" )"));
    }
    QStringList GridRow(int Row) const
    {
        QStringList cells;
        for (int c = 0; c < TfrmIzdelia::ColumnCount; ++c)
            cells << form->Grid->Cells(c, Row);
        return cells;
    }
    QStringList Table()
    {
        return Rows(QStringLiteral("SELECT * FROM Izdelia WHERE code_izd <> 0 ORDER BY code_izd"));
    }
};

} // namespace

TEST_F(IzdeliaGui, NewProductIsWrittenWithItsCodesAndPricesAtThePricePrecision)
{
    EXPECT_TRUE(IsFormClassRegistered(QStringLiteral("TfrmIzdelia")));
    Open();
    EXPECT_EQ(form->windowTitle(), "Изделия");
    EXPECT_EQ(form->feShifyr->Value(), 1) << "the reserved row of code 0 is no product";
    EXPECT_EQ(form->StatusText(), "Общо: 0 реда");

    testsupport::ScopedDialogAnswers dialogs;
    form->leGroup->setText(QStringLiteral("7"));
    form->actNew->trigger();
    EXPECT_EQ(dialogs.Texts(), QStringList({"Въведете наименование!\n\rВъведете мярка.\n\rВъведете група.\n\r"
                                            "Въведете подгрупа.\n\r"}))
        << "a code outside its list is no choice";
    EXPECT_TRUE(form->Pending().IsEmpty());

    form->edNaimenovanie->setText(QStringLiteral("Хляб [бял]"));
    form->leGroup->setText(QStringLiteral("1"));
    form->leSubGroup->setText(QStringLiteral("4"));
    form->leMjarka->setText(QStringLiteral("3"));
    EXPECT_EQ(form->pnl_Group->text(), "Хляб");
    form->edPrice[0]->SetValue(1.23456L);
    form->edPrice[4]->SetValue(0.5L);
    form->actNew->trigger();
    EXPECT_EQ(dialogs.Texts().size(), 1);
    EXPECT_EQ(form->Pending().Texts(),
              QStringList({"Insert into Izdelia Select 1, \"Хляб [бял]\", 1, 4, 3, 1.2346, 0.0000, "
                           "0.0000, 0.0000, 0.5000 Where Not Exists ( Select * From Izdelia Where code_izd = 1 )"}));
    EXPECT_EQ(GridRow(1), QStringList({"1", "Хляб [бял]", "1", "Хляб", "4", "Бял", "кг", "1.2346", "0", "0",
                                       "0", "0.5", "3"}));
    EXPECT_EQ(form->feShifyr->Value(), 2);
    form->actSave->trigger();
    EXPECT_EQ(Table(), QStringList({"1@Хляб [бял]@1@4@3@1.2346@0@0@0@0.5"}));
    EXPECT_EQ(GridRow(1), QStringList({"1", "Хляб [бял]", "1", "Хляб", "4", "Бял", "кг", "1.2346", "0", "0",
                                       "0", "0.5", "3"}));
}

TEST_F(IzdeliaGui, EditKeepsTheUnitByCodeWhereTwoUnitsShareAName)
{
    Execute(QStringLiteral("INSERT INTO Izdelia VALUES ( 5, \"Питка\", 9, 4, 2, 1.1, 0, 0, 0, 0 )"));
    Open();
    EXPECT_EQ(GridRow(1), QStringList({"5", "Питка", "9", "", "4", "Бял", "бр", "1.1", "0", "0", "0", "0", "2"}))
        << "a missing group shows no name";
    EXPECT_EQ(form->Grid->ColWidths(TfrmIzdelia::colUnitCode), 0);

    form->Grid->SetRow(1);
    form->actEdit->trigger();
    EXPECT_EQ(form->leMjarka->text(), "2") << "the second of the two units named бр";
    EXPECT_EQ(form->edPrice[0]->Value(), 1.1L);
    form->leGroup->setText(QStringLiteral("1"));
    form->edPrice[1]->SetValue(2);
    form->actNew->trigger();
    EXPECT_EQ(form->Pending().Texts(),
              QStringList({"Update Izdelia Set group_izd = 1, price_2 = 2.0000 Where ( code_izd = 5 ) And ( name_izd = "
                           "\"Питка\" ) And ( group_izd = 9 ) And ( subgroup = 4 ) And ( mjarka = 2 ) And ( Abs( "
                           "price_1 - 1.1 ) < 0.000001 ) And ( Abs( price_2 - 0 ) < 0.000001 ) And ( Abs( price_3 - 0 ) "
                           "< 0.000001 ) And ( Abs( price_4 - 0 ) < 0.000001 ) And ( Abs( price_5 - 0 ) < 0.000001 )"}))
        << "only what the clerk changed is written, keyed by the row as loaded";
    form->actSave->trigger();
    EXPECT_EQ(Table(), QStringList({"5@Питка@1@4@2@1.1@2@0@0@0"}));

    // Delete asks with the product noun.
    testsupport::ScopedDialogAnswers dialogs;
    dialogs.Press(mbYes);
    form->Grid->SetRow(1);
    form->actDelete->trigger();
    EXPECT_EQ(dialogs.Texts(), QStringList({"Желаете ли да изтриете изделие: \"5\" - \"Питка\"?"}));
    form->actSave->trigger();
    EXPECT_TRUE(Table().isEmpty());
}

TEST_F(IzdeliaGui, PickersKeepTheirTextsInTheRegistry)
{
    SetRegistrySetting(QStringLiteral("frmIzdelia_leGroup_Text"), QStringLiteral("1"));
    Open();
    EXPECT_EQ(form->leGroup->text(), "1");
    EXPECT_EQ(form->pnl_Group->text(), "Хляб");
    form->leSubGroup->setText(QStringLiteral("4"));
    form->close();
    form.reset();
    QString text;
    GetRegistrySetting(QStringLiteral("frmIzdelia_leSubGroup_Text"), text);
    EXPECT_EQ(text, "4");
}

TEST_F(IzdeliaGui, PickersTakeOnlyCodesOfTheirListsAndHaveNoSpinButton)
{
    Execute(QStringLiteral("INSERT INTO Groups VALUES ( 12, \"Сладкиши\" )"));
    Open();
    for (TListEdit *picker : {form->leGroup, form->leSubGroup, form->leMjarka}) {
        SCOPED_TRACE(picker->objectName().toStdString());
        EXPECT_FALSE(picker->EditorEnabled());
        EXPECT_TRUE(picker->SuggestText());
        EXPECT_FALSE(picker->TrackList());
        EXPECT_FALSE(picker->SpinButtonVisible());
        EXPECT_FALSE(picker->UpButton()->isVisibleTo(picker));
        EXPECT_FALSE(picker->DownButton()->isVisibleTo(picker));
        EXPECT_TRUE(picker->BitButton()->isVisibleTo(picker)) << "the list still drops down";
        EXPECT_EQ(picker->maxLength(), 30);
        EXPECT_EQ(picker->DescrColumn(), 1);
    }

    // A typed character stays only while it continues a code of the list.
    const TBeepHandler old = SetBeepHandler([](TBeepKind) {});
    form->leGroup->setFocus();
    QTest::keyClicks(form->leGroup, "5");
    EXPECT_EQ(form->leGroup->text(), "");
    EXPECT_EQ(form->pnl_Group->text(), "");
    QTest::keyClicks(form->leGroup, "12");
    EXPECT_EQ(form->leGroup->text(), "12");
    EXPECT_EQ(form->pnl_Group->text(), "Сладкиши");
    QTest::keyClick(form->leGroup, Qt::Key_Backspace);
    EXPECT_EQ(form->leGroup->text(), "12") << "the picked code is not edited away";
    // The arrows do not walk the list.
    form->leMjarka->setText(QStringLiteral("1"));
    QTest::keyClick(form->leMjarka, Qt::Key_Up);
    QTest::keyClick(form->leMjarka, Qt::Key_Down);
    EXPECT_EQ(form->leMjarka->text(), "1");
    SetBeepHandler(old);
}
