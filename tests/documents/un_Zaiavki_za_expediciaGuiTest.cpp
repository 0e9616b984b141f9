// Expedition requests and the export pass generated from them: a request's
// lines keyed by product, its packaging changed by update; the generation
// lists requested, passed and remaining quantities and crates, writes the
// remainder as one new pass, and a second generation finds nothing left.
#include <gtest/gtest.h>

#include <QDateEdit>

#include "BusDayFixture.h"
#include "components/FloatEdit.h"
#include "components/ListEdit.h"
#include "components/RichGrid.h"
#include "documents/un_Generirane_na_Propusk_za_izvozvane.h"
#include "documents/un_Zaiavki_za_expedicia.h"
#include "support/ScopedDialogAnswers.h"

namespace {

class ExpeditionGui : public testsupport::BusDayTest
{
protected:
    static QStringList GridRecords(platform::StringGrid *Grid)
    {
        QStringList out;
        for (int r = Grid->FixedRows(); r < Grid->RowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < Grid->ColCount(); ++c)
                cells << Grid->Cells(c, r);
            out << cells.join('@');
        }
        return out;
    }
};

} // namespace

TEST_F(ExpeditionGui, RequestLinesAreKeyedByProductAndThePackagingIsUpdated)
{
    Execute(QString("Insert into Zaiavki_za_expedicia values ( %1, 3, 101, 1, 100, 5 )").arg(Day));
    auto *form = Open<TfrmZaiavki_za_expedicia>();
    form->code_bus->setText("3");
    form->Execute();
    ASSERT_EQ(form->Grid->Cells(1, 2), "Хляб Добруджа 500 г");
    EXPECT_EQ(form->GetSubTitle(), " за микробус 3 - Микробус Варна-Север за дата " + Today.toString("dd.MM.yyyy"));
    {
        testsupport::ScopedDialogAnswers dialogs;
        Add(form, "101", "2", 5, 0);
        EXPECT_EQ(dialogs.Texts(), QStringList{"Шифър \"101\" съществува в таблицата с данни!\n\r"});
    }
    {
        testsupport::ScopedDialogAnswers dialogs;
        Add(form, "", "", 0, 0);
        EXPECT_EQ(dialogs.Texts(),
                  QStringList{"Въведете изделие\n\rВъвдетете амбалаж\n\rВъведете количество!\n\r"});
    }
    form->Grid->SetRow(2);
    ASSERT_TRUE(form->Edit());
    EXPECT_TRUE(form->code_a->isEnabled());
    EXPECT_FALSE(form->code_izd->isEnabled());
    form->code_a->setText("2");
    ASSERT_TRUE(form->New());
    EXPECT_EQ(form->code_a->text(), "");
    Add(form, "205", "2", 20, 2);
    // A line added and edited before the save keeps one insert.
    form->Grid->SetRow(3);
    ASSERT_TRUE(form->Edit());
    form->quantity_izd->SetValue(25);
    form->code_a->setText("2");
    ASSERT_TRUE(form->New());
    EXPECT_EQ(form->Queue().Texts(),
              (QStringList{QString("Update Zaiavki_za_expedicia Set code_a       = 2,     quantity_izd = 100.0000,     "
                                   "quantity_amb = 5.0000 Where ( date_doc = %1 AND code_bus = 3 AND code_izd = 101 )")
                               .arg(Day),
                           QString("Insert into Zaiavki_za_expedicia values ( %1, 3, 205, 2, 25.0000, 2.0000 )").arg(Day)}));
    ASSERT_TRUE(form->Save());
    EXPECT_EQ(Rows("SELECT code_izd, code_a, quantity_izd, quantity_amb FROM Zaiavki_za_expedicia ORDER BY code_izd"),
              (QStringList{"101@2@100@5", "205@2@25@2"}));
}

TEST_F(ExpeditionGui, GenerationPassesTheRemainderOnceAndFindsNothingTheSecondTime)
{
    Execute(QString("Insert into Zaiavki_za_expedicia values ( %1, 3, 101, 1, 100, 5 )").arg(Day));
    Execute(QString("Insert into Zaiavki_za_expedicia values ( %1, 3, 205, 2, 20, 2 )").arg(Day));
    Execute(QString("Insert into Zaiavki_za_expedicia values ( %1, 4, 101, 1, 50, 3 )").arg(Day));
    Execute(QString("Insert into Propusk_za_izvozvane values ( 1, %1, 3, 101, 1, 40, 2 )").arg(Day));
    Execute(QString("Insert into Propusk_za_izvozvane values ( 1, %1, 3, 307, 2, 9, 1 )").arg(Day));
    auto *form = Open<TfrmGenerirane_na_Propusk_za_izvozvane>();
    form->code_bus->setText("3");
    form->Execute();
    EXPECT_EQ(GridRecords(form->Grid),
              (QStringList{"205@Козунак със стафиди и орехи, голям, 800 г, в кутия@кг@20.000@0.000@20.000@20.000@2@Касетка@"
                           "2.000@0.000@2.000@2.000",
                           "101@Хляб Добруджа 500 г@бр.@100.000@40.000@60.000@60.000@1@Щайга голяма@5.000@2.000@3.000@"
                           "3.000",
                           "307@Питка Чеверме@бр.@0.000@9.000@-9.000@-9.000@2@Касетка@0.000@1.000@-1.000@-1.000"}));
    // Only crates for the bread: its product quantity is written as 0.
    form->Grid->SetCells(6, 3, "0");
    {
        testsupport::ScopedDialogAnswers dialogs;
        dialogs.Press(mbYes);
        ASSERT_TRUE(form->Save());
        EXPECT_EQ(dialogs.Texts(), QStringList{"Желаете ли да се генерира пропуск за извозване?"});
    }
    EXPECT_EQ(Rows(QString("SELECT docno, code_bus, code_izd, code_a, quantity_izd, quantity_amb FROM "
                           "Propusk_za_izvozvane WHERE docno = 2 ORDER BY code_izd")),
              (QStringList{"2@3@101@1@0@3", "2@3@205@2@20@2"}));
    EXPECT_EQ(form->Grid->Cells(5, 2), "0.000");
    EXPECT_EQ(form->Grid->Cells(5, 3), "60.000");
    EXPECT_EQ(form->Grid->Cells(11, 3), "0.000");

    // Without the bread's quantity the second generation still has 60 to
    // pass; passing it leaves nothing, and a third finds nothing to write.
    {
        testsupport::ScopedDialogAnswers dialogs;
        dialogs.Press(mbYes);
        ASSERT_TRUE(form->Save());
    }
    testsupport::ScopedDialogAnswers dialogs;
    EXPECT_FALSE(form->Save());
    EXPECT_EQ(dialogs.Texts(), QStringList{"Не са въведени данни, които да се запишат в базата данни"});
    EXPECT_EQ(Rows("SELECT count(*) FROM Propusk_za_izvozvane"), QStringList{"5"});
}

TEST_F(ExpeditionGui, GenerationForAllMinibusesAsksForOneBeforeSaving)
{
    Execute(QString("Insert into Zaiavki_za_expedicia values ( %1, 3, 101, 1, 100, 5 )").arg(Day));
    Execute(QString("Insert into Zaiavki_za_expedicia values ( %1, 4, 101, 1, 50, 3 )").arg(Day));
    auto *form = Open<TfrmGenerirane_na_Propusk_za_izvozvane>();
    form->code_bus->setText("");
    form->Execute();
    EXPECT_EQ(form->Grid->Cells(3, 2), "150.000");
    testsupport::ScopedDialogAnswers dialogs;
    EXPECT_FALSE(form->Save());
    EXPECT_EQ(dialogs.Texts(), QStringList{"Въвдетете микробус"});
    EXPECT_EQ(Rows("SELECT count(*) FROM Propusk_za_izvozvane"), QStringList{"0"});
}

// Codes are numbers checked against their pickers: "0101" is the stored 101,
// letters are no product, packaging or minibus.
TEST_F(ExpeditionGui, RequestCodesAreComparedAsNumbersAndUnknownCodesAreRefused)
{
    Execute(QString("Insert into Zaiavki_za_expedicia values ( %1, 3, 101, 1, 100, 5 )").arg(Day));
    auto *form = Open<TfrmZaiavki_za_expedicia>();
    form->code_bus->setText("3");
    form->Execute();
    testsupport::ScopedDialogAnswers dialogs;
    Add(form, "0101", "2", 5, 0);
    Add(form, "abc", "xyz", 5, 0);
    EXPECT_EQ(dialogs.Texts(), (QStringList{"Шифър \"0101\" съществува в таблицата с данни!\n\r",
                                             "Въведете изделие\n\rВъвдетете амбалаж\n\r"}));
    EXPECT_TRUE(form->Queue().IsEmpty());
    EXPECT_TRUE(form->Save());
    EXPECT_EQ(Rows("SELECT code_izd, code_a FROM Zaiavki_za_expedicia"), QStringList{"101@1"});
}

TEST_F(ExpeditionGui, GenerationRefusesLettersAsTheMinibusAndMistypedQuantities)
{
    Execute(QString("Insert into Zaiavki_za_expedicia values ( %1, 3, 101, 1, 100, 5 )").arg(Day));
    Execute(QString("Insert into Zaiavki_za_expedicia values ( %1, 4, 205, 1, 50, 3 )").arg(Day));
    auto *form = Open<TfrmGenerirane_na_Propusk_za_izvozvane>();
    testsupport::ScopedDialogAnswers dialogs;
    form->code_bus->setText("abc");
    form->Execute();
    EXPECT_EQ(GridRecords(form->Grid).join('|').remove('@'), "");
    EXPECT_FALSE(form->Save());
    // F2 names the minibus first: a pass is written for one.
    EXPECT_EQ(dialogs.Texts(), (QStringList{"Въвдетете микробус", "Въвдетете микробус"}));
    EXPECT_EQ(Rows("SELECT count(*) FROM Propusk_za_izvozvane"), QStringList{"0"});

    form->code_bus->setText("3");
    form->Execute();
    ASSERT_EQ(form->Grid->Cells(0, 2), "101");
    form->Grid->SetCells(TfrmGenerirane_na_Propusk_za_izvozvane::colToPass, 2, "17.5.");
    QChar comma(',');
    form->GridKeyPress(comma);
    EXPECT_EQ(comma, QChar('.'));
    EXPECT_FALSE(form->Save());
    EXPECT_EQ(dialogs.Texts().last(),
              "Стойността \"17.5.\" за количеството за пропуск на \"Хляб Добруджа 500 г\" не е число!\n\r");
    EXPECT_EQ(Rows("SELECT count(*) FROM Propusk_za_izvozvane"), QStringList{"0"});
}
