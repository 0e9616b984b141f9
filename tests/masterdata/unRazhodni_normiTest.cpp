// The consumption norms: a product's norms loaded as soon as it is chosen,
// a resource once per product, quantities with four decimals, the chosen
// product and resource remembered.
#include <QApplication>
#include <QLabel>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

#include "components/FloatEdit.h"
#include "components/ListEdit.h"
#include "components/RichGrid.h"
#include "core/uFormClasses.h"
#include "EditorFixture.h"
#include "masterdata/unRazhodni_normi.h"
#include "support/ScopedDialogAnswers.h"

namespace {

class RazhodniNormiGui : public testsupport::EditorTest<TfrmRazhodni_normi>
{
protected:
    void SetUp() override
    {
        EditorTest::SetUp();
        Execute(QStringLiteral("INSERT INTO Merki VALUES ( 1, \"кг\" )"));
        Execute(QStringLiteral("INSERT INTO Merki VALUES ( 2, \"бр\" )"));
        Execute(QStringLiteral("INSERT INTO Izdelia VALUES ( 5, \"Хляб\", 0, 0, 2, 0, 0, 0, 0, 0 )"));
        Execute(QStringLiteral("INSERT INTO Izdelia VALUES ( 6, \"Кифла\", 0, 0, 2, 0, 0, 0, 0, 0 )"));
        Execute(QStringLiteral("INSERT INTO Resources VALUES ( 10, \"Брашно\", 1 )"));
        Execute(QStringLiteral("INSERT INTO Resources VALUES ( 11, \"Мая\", 1 )"));
        Execute(QStringLiteral("INSERT INTO Razhodni_normi VALUES ( 5, 10, 0.5 )"));
    }
    QStringList GridRows() const
    {
        QStringList rows;
        for (int r = form->Grid->FixedRows(); r < form->Grid->RowCount(); ++r)
            rows << QStringList({form->Grid->Cells(0, r), form->Grid->Cells(1, r), form->Grid->Cells(2, r),
                                 form->Grid->Cells(3, r)})
                        .join("@");
        return rows;
    }
    void Enter(const QString &Resource, long double Quantity)
    {
        form->leResurs->setText(Resource);
        form->feKolichestvo->SetValue(Quantity);
    }
};

} // namespace

TEST_F(RazhodniNormiGui, NormsOfTheChosenProductAreLoadedAndChecked)
{
    EXPECT_TRUE(IsFormClassRegistered(QStringLiteral("TfrmRazhodni_normi")));
    Open();
    EXPECT_EQ(form->pnlCaption->text(), "РАЗХОДНА НОРМА");
    EXPECT_EQ(GridRows(), QStringList({"@@@"}));

    form->leIzdelie->setText(QStringLiteral("5"));
    EXPECT_EQ(form->lblIzdelieUnit->text(), "бр");
    EXPECT_EQ(GridRows(), QStringList({"10@Брашно@кг@0.5"}));
    EXPECT_EQ(form->GetSubTitle(), " за изделие 5 - Хляб ");

    testsupport::ScopedDialogAnswers dialogs;
    Enter(QStringLiteral("10"), 1);
    form->actNew->trigger();
    Enter(QString(), 0);
    form->actNew->trigger();
    EXPECT_EQ(dialogs.Texts(), QStringList({"Шифър \"10\" съществува в таблицата с данни!\n\r",
                                            "Въведете ресурс\n\rВъведете количество!\n\r"}));

    Enter(QStringLiteral("11"), 0.25L);
    EXPECT_EQ(form->lblResursUnit->text(), "кг");
    form->actNew->trigger();
    EXPECT_EQ(GridRows(), QStringList({"10@Брашно@кг@0.5", "11@Мая@кг@0.25"}));
    EXPECT_EQ(form->Pending().Texts(), QStringList({"Insert into Razhodni_normi values ( 5, 11, 0.2500 )"}));
    EXPECT_EQ(form->leResurs->text(), "");
    EXPECT_EQ(form->feKolichestvo->Value(), 0);

    // The same resource for another product is accepted.
    form->leIzdelie->setText(QStringLiteral("6"));
    EXPECT_EQ(GridRows(), QStringList({"@@@"}));
    Enter(QStringLiteral("10"), 2.12345L);
    form->actNew->trigger();
    EXPECT_EQ(dialogs.Texts().size(), 2);
    form->actSave->trigger();
    EXPECT_EQ(Rows(QStringLiteral("SELECT * FROM Razhodni_normi ORDER BY code_izdelie, code_resource")),
              QStringList({"5@10@0.5", "5@11@0.25", "6@10@2.1235"}));
}

TEST_F(RazhodniNormiGui, AnEditKeepsItsProductAndTheChoiceIsRemembered)
{
    Open();
    form->leIzdelie->setText(QStringLiteral("5"));
    form->Grid->SetRow(1);
    form->actEdit->trigger();
    EXPECT_EQ(form->leResurs->text(), "10");
    EXPECT_EQ(form->feKolichestvo->Value(), 0.5L);
    Enter(QStringLiteral("11"), 0.75L);
    form->actNew->trigger();
    EXPECT_EQ(form->Pending().Texts(),
              QStringList({"Update Razhodni_normi Set code_resource = 11, quantity_rn = 0.7500 Where ( code_izdelie "
                           "= 5 AND code_resource = 10 )"}));
    form->actSave->trigger();
    EXPECT_EQ(Rows(QStringLiteral("SELECT * FROM Razhodni_normi")), QStringList({"5@11@0.75"}));

    testsupport::ScopedDialogAnswers dialogs;
    dialogs.Press(mbYes);
    form->Grid->SetRow(1);
    form->actDelete->trigger();
    EXPECT_EQ(dialogs.Texts(), QStringList({"Желаете ли да изтриете разходна норма: \"11\" - \"Мая\"?"}));
    EXPECT_EQ(form->Pending().Texts(),
              QStringList({"Delete * from Razhodni_normi Where ( code_izdelie = 5 AND code_resource = 11 )"}));

    form->leResurs->setText(QStringLiteral("10"));
    form->FormDone();
    form->SetModified(false);
    form.reset();
    Open();
    EXPECT_EQ(form->leIzdelie->text(), "5");
    EXPECT_EQ(form->leResurs->text(), "10");
    EXPECT_EQ(GridRows(), QStringList({"11@Мая@кг@0.75"}));
}

TEST_F(RazhodniNormiGui, ChoosingAnotherProductEndsTheEditUnderItsOwnProduct)
{
    Open();
    form->leIzdelie->setText(QStringLiteral("5"));
    form->Grid->SetRow(1);
    form->actEdit->trigger();
    ASSERT_TRUE(form->EditMode());
    form->feKolichestvo->SetValue(0.75L);
    form->leIzdelie->setText(QStringLiteral("6"));
    EXPECT_FALSE(form->EditMode());
    EXPECT_EQ(GridRows(), QStringList({"@@@"})) << "the norm stays with its product";
    EXPECT_EQ(form->Pending().Texts(),
              QStringList({"Update Razhodni_normi Set code_resource = 10, quantity_rn = 0.7500 Where ( code_izdelie "
                           "= 5 AND code_resource = 10 )"}));
    form->actSave->trigger();
    EXPECT_EQ(Rows(QStringLiteral("SELECT * FROM Razhodni_normi ORDER BY code_izdelie, code_resource")),
              QStringList({"5@10@0.75"}));

    // An edit that cannot be ended keeps its product and stays open.
    form->leIzdelie->setText(QStringLiteral("5"));
    form->Grid->SetRow(1);
    form->actEdit->trigger();
    ASSERT_TRUE(form->EditMode());
    form->feKolichestvo->SetValue(0);
    testsupport::ScopedDialogAnswers dialogs;
    form->leIzdelie->setText(QStringLiteral("6"));
    EXPECT_EQ(dialogs.Texts(), QStringList({"Въведете количество!\n\r"}));
    EXPECT_EQ(form->leIzdelie->text(), "5");
    EXPECT_TRUE(form->EditMode());
    EXPECT_EQ(form->lblIzdelieUnit->text(), "бр");
}

TEST_F(RazhodniNormiGui, TabAfterATypedProductGoesOnToTheResource)
{
    Open();
    QApplication::setActiveWindow(form.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    form->leIzdelie->clear();
    form->leIzdelie->setFocus();
    QTest::keyClick(form->leIzdelie, Qt::Key_6);
    ASSERT_EQ(form->leIzdelie->text(), "6");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), form->leResurs);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_1);
    EXPECT_EQ(form->leIzdelie->text(), "6");
    EXPECT_TRUE(form->leResurs->text().startsWith(QLatin1Char('1'))) << form->leResurs->text().toStdString();
}
