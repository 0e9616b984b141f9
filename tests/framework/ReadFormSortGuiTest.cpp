// The header sort of the list and report base form as the operator sees
// it: the marks in the header and the order of the rows agree after a
// refill (F8) and after a filter, and on headers merged over two rows.
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

#include "components/GridUtils.h"
#include "components/RichGrid.h"
#include "core/uDelimitedStrings.h"
#include "framework/QuorendReadForm.h"
#include "support/ScopedDialogAnswers.h"
#include "support/TestEnv.h"

namespace {

// Rows in a fixed order, as a query with ORDER BY gives them; the header
// has one row, or two with the result columns merged over both.
class TfrmSortProbe : public TQuorendReadForm
{
    Q_OBJECT
public:
    TfrmSortProbe(QWidget *AOwner, TFormStyle AFormStyle) : TQuorendReadForm(AOwner, AFormStyle)
    {
        setObjectName(QStringLiteral("frmSortProbe"));
        actExecute->setEnabled(true);
    }

    void UseHeaderRows(int Rows)
    {
        Grid->SetColCount(4);
        Grid->SetFixedRows(Rows);
        if (Rows == 1) {
            Grid->SetRows(0, {"Шифър", "Наименование", "Брой", "Сума"});
        } else {
            Grid->SetRows(0, {"Обект/Дата", "", "01.12", "Общо (лв.)"});
            Grid->SetRows(1, {"Шифър", "Наименование", "", ""});
            Grid->SetMergeCellsStr(QStringLiteral("0,0,1,0|2,0,2,1|3,0,3,1|"));
        }
    }

    bool DoExecute() override
    {
        TDelimitedStringList rows;
        for (const char *r : {"1@Хляб@5@1.20", "2@Кифла@3@0.60", "3@Баница@4@2.50", "4@Айрян@9@0.90"})
            rows.Add(QString::fromUtf8(r));
        ShowRows(rows);
        return true;
    }

    QStringList Column(int Col) const
    {
        QStringList cells;
        for (int r = Grid->FixedRows(); r < Grid->RowCount(); ++r)
            cells << Grid->Cells(Col, r);
        return cells;
    }
    // The mark each header cell paints (-1: none), row by row.
    QList<QList<int>> Marks() const
    {
        QList<QList<int>> marks;
        for (int r = 0; r < Grid->FixedRows(); ++r) {
            QList<int> row;
            for (int c = 0; c < Grid->ColCount(); ++c)
                row << (Grid->HasCellAttributes(c, r) ? Grid->GetCellAttributes(c, r)->ImageIndex() : -1);
            marks << row;
        }
        return marks;
    }
};

class ReadFormSortGui : public testsupport::DataTest
{
protected:
    TfrmSortProbe *Open(int HeaderRows)
    {
        form.reset(CreateQuorendForm<TfrmSortProbe>(nullptr, fsNormal));
        form->UseHeaderRows(HeaderRows);
        EXPECT_TRUE(form->ShowForm());
        EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        form->Execute();
        return form.get();
    }
    void TearDown() override
    {
        form.reset();
        DataTest::TearDown();
    }
    std::unique_ptr<TfrmSortProbe> form;
};

} // namespace

TEST_F(ReadFormSortGui, RowsComeBackInTheHeadersOrderAfterF8AndAFilter)
{
    testsupport::ScopedDialogAnswers dialogs;
    TfrmSortProbe *f = Open(1);
    f->ToggleSortColumn(TGridCoord{1, 0});
    const QStringList byName = {"Айрян", "Баница", "Кифла", "Хляб"};
    EXPECT_EQ(f->Column(1), byName);
    EXPECT_EQ(f->Marks(), (QList<QList<int>>{{-1, 0, -1, -1}}));

    f->Grid->setFocus();
    QTest::keyClick(f->Grid, Qt::Key_F8);
    EXPECT_EQ(f->Column(1), byName);
    EXPECT_EQ(f->Marks(), (QList<QList<int>>{{-1, 0, -1, -1}}));

    // The refill that a filter runs comes in the same order.
    f->Execute();
    EXPECT_EQ(f->Column(0), (QStringList{"4", "3", "2", "1"}));
    f->ToggleSortColumn(TGridCoord{1, 0});
    f->Execute();
    EXPECT_EQ(f->Column(0), (QStringList{"1", "2", "3", "4"}));
    EXPECT_EQ(f->Marks(), (QList<QList<int>>{{-1, -1, -1, -1}}));
    EXPECT_TRUE(dialogs.Shown().empty());
}

TEST_F(ReadFormSortGui, MarksOfHeadersMergedOverTwoRowsShowAndClear)
{
    TfrmSortProbe *f = Open(2);
    // A click on the lower half of a merged header.
    f->ToggleSortColumn(TGridCoord{2, 1});
    EXPECT_EQ(f->Marks(), (QList<QList<int>>{{-1, -1, 0, -1}, {-1, -1, -1, -1}}));
    EXPECT_EQ(f->Column(2), (QStringList{"3", "4", "5", "9"}));
    // The name column's own header is in the lower row.
    f->ToggleSortColumn(TGridCoord{1, 1});
    EXPECT_EQ(f->Marks(), (QList<QList<int>>{{-1, -1, 0, -1}, {-1, 1, -1, -1}}));
    // The refill redraws them where they were.
    f->Execute();
    EXPECT_EQ(f->Marks(), (QList<QList<int>>{{-1, -1, 0, -1}, {-1, 1, -1, -1}}));
    // Removing the first key: its mark goes, the other one moves up.
    f->ToggleSortColumn(TGridCoord{2, 0});
    EXPECT_EQ(f->Marks(), (QList<QList<int>>{{-1, -1, -1, -1}, {-1, 0, -1, -1}}));
    EXPECT_EQ(f->Column(1), (QStringList{"Айрян", "Баница", "Кифла", "Хляб"}));
}

#include "ReadFormSortGuiTest.moc"
