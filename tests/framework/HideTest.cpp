// The column hide-and-sort dialog, driven by program (its action stays off
// in the read forms): criteria, periods, settings, and the rebuild of the
// form's grid.
#include <QCheckBox>
#include <QComboBox>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

#include "components/Formatters.h"
#include "components/PeriodEdit.h"
#include "components/GridUtils.h"
#include "components/RichGrid.h"
#include "core/uDelimitedStrings.h"
#include "framework/Hide.h"
#include "support/QtPrinters.h"
#include "support/ScopedDialogAnswers.h"

namespace {

// Code, client, date, amount, and a column with a date formatter.
void FillList(TRichGrid &g, TDateValueFormatter *dates = nullptr)
{
    g.SetColCount(5);
    g.SetRowCount(2);
    g.SetFixedRows(1);
    g.SetRows(0, {"Код", "Клиент", "Дата", "Сума", "Падеж"});
    if (dates)
        g.GetColAttributes(4)->SetFormatter(dates);
    TDelimitedStringList list;
    list.SetTextStr(QString::fromUtf8("1@Вега@03.02.2024@12.50@°"
                                      "2@Ален мак@29.02.2024@7@°"
                                      "3@Вега-М@15.03.2024@100@°"
                                      "4@Бисер@01.01.2024@-3@°"
                                      "¤Общо:@@@116.50@"));
    FillGridFromDelimitedStrings(g, list, false);
}

// The dialog in a modal window (the window itself or its host).
TformHide *ModalDialog(QWidget *w)
{
    auto *d = qobject_cast<TformHide *>(w);
    return d ? d : w->findChild<TformHide *>();
}

std::unique_ptr<TformHide> Dialog(TRichGrid &g)
{
    std::unique_ptr<TformHide> d(CreateQuorendForm<TformHide>(nullptr, fsNormal));
    d->LoadFromGrid(&g);
    return d;
}

QStringList Column(const TRichGrid &g, int c)
{
    QStringList out;
    for (int r = g.FixedRows(); r < g.RowCount(); ++r)
        out << g.Cells(c, r);
    return out;
}

} // namespace

TEST(HideCriteria, PeriodsGiveTheirFirstAndLastDay)
{
    int from = 0, to = 0;
    ASSERT_TRUE(TformHide::PeriodBounds("5@20240105@20240220", 2024, from, to));
    EXPECT_EQ(from, 20240105);
    EXPECT_EQ(to, 20240220);
    ASSERT_TRUE(TformHide::PeriodBounds("1@2", 2024, from, to));
    EXPECT_EQ(to, 20240229);
    ASSERT_TRUE(TformHide::PeriodBounds("6@1@2", 2023, from, to));
    EXPECT_EQ(from, 20230101);
    EXPECT_EQ(to, 20230228);
    ASSERT_TRUE(TformHide::PeriodBounds("2@4", 2024, from, to));
    EXPECT_EQ(from, 20241001);
    EXPECT_EQ(to, 20241231);
    ASSERT_TRUE(TformHide::PeriodBounds("5@20240131@20240231", 2024, from, to)); // day cut to the month
    EXPECT_EQ(to, 20240229);
    EXPECT_FALSE(TformHide::PeriodBounds("1@13", 2024, from, to));
    EXPECT_FALSE(TformHide::PeriodBounds("Вега", 2024, from, to));
    EXPECT_FALSE(TformHide::PeriodBounds("", 2024, from, to));
}

TEST(HideCriteria, NumbersTextsAndDatesMatchByTheirKind)
{
    const char N = TformHide::KindNumber, T = TformHide::KindText, D = TformHide::KindDate;
    EXPECT_TRUE(TformHide::CriterionMatches(N, "7", "7.00", 2024));
    EXPECT_TRUE(TformHide::CriterionMatches(N, "5:12.5", "12.50", 2024)); // both ends included
    EXPECT_TRUE(TformHide::CriterionMatches(N, "-5:5", "-3", 2024));
    EXPECT_FALSE(TformHide::CriterionMatches(N, "5:12", "12.5", 2024));
    EXPECT_FALSE(TformHide::CriterionMatches(N, "abc", "7", 2024)); // a criterion that is no number rejects
    EXPECT_FALSE(TformHide::CriterionMatches(N, "7", "", 2024));
    EXPECT_TRUE(TformHide::CriterionMatches(T, "вега*", "Вега-М", 2024));
    EXPECT_FALSE(TformHide::CriterionMatches(T, "вега", "Вега-М", 2024));
    EXPECT_TRUE(TformHide::CriterionMatches(T, "а:в", "Бисер", 2024));
    EXPECT_FALSE(TformHide::CriterionMatches(T, "а:б", "Вега", 2024));
    EXPECT_TRUE(TformHide::CriterionMatches(D, "1@2", "29.02.2024", 2024));
    EXPECT_FALSE(TformHide::CriterionMatches(D, "1@2", "01.03.2024", 2024));
    EXPECT_FALSE(TformHide::CriterionMatches(D, "1@2", "29.02.2024", 2023)); // another year
    EXPECT_FALSE(TformHide::CriterionMatches(D, "garbage", "29.02.2024", 2024));
}

TEST(HideDialogGui, LoadsHeaderEyesSortRowAndTwoCriteriaRows)
{
    TRichGrid g;
    TDateValueFormatter dates;
    FillList(g, &dates);
    g.GetColAttributes(1)->SetVisible(false);
    auto d = Dialog(g);
    EXPECT_EQ(d->windowTitle(), QStringLiteral("Сортиране и скриване"));
    EXPECT_EQ(d->ColumnKinds(), QStringLiteral("00341"));
    EXPECT_EQ(d->RichGrid1->FixedRows(), 1);
    EXPECT_EQ(d->RichGrid1->Cells(1, 0), QStringLiteral("Клиент"));
    EXPECT_EQ(d->CriteriaRowCount(), 2);
    EXPECT_TRUE(d->ColumnShown(0));
    EXPECT_FALSE(d->ColumnShown(1));
    EXPECT_EQ(d->RichGrid1->ColWidths(1), 0);
    EXPECT_EQ(d->GetSettings(), QStringLiteral("33333")); // first use: nothing sorted
    d->SetSettings("12");
    EXPECT_EQ(d->RichGrid1->Cells(0, d->SortRow()), QStringLiteral("Възходящ"));
    EXPECT_EQ(d->RichGrid1->Cells(1, d->SortRow()), QStringLiteral("Низходящ"));
    EXPECT_EQ(d->GetSettings(), QStringLiteral("12333"));
    for (int i = 0; i < 6; ++i)
        d->AddCriteriaRow();
    EXPECT_EQ(d->CriteriaRowCount(), 5);
    for (int i = 0; i < 6; ++i)
        d->DeleteCriteriaRow();
    EXPECT_EQ(d->CriteriaRowCount(), 2);
    // the eye row toggles, the sort row opens the direction list
    d->CellClicked(2, d->EyeRow());
    EXPECT_FALSE(d->ColumnShown(2));
    d->CellClicked(3, d->SortRow());
    d->show();
    EXPECT_EQ(d->cbSortType->currentText(), QStringLiteral("(не се сортира)"));
    d->cbSortType->setCurrentIndex(1);
    d->CellClicked(0, d->FirstCriteriaRow());
    EXPECT_EQ(d->RichGrid1->Cells(3, d->SortRow()), QStringLiteral("Низходящ"));
}

TEST(HideDialogGui, ApplyKeepsRowsOfAnyCriteriaRowSortsAndHides)
{
    TRichGrid g;
    FillList(g);
    auto d = Dialog(g);
    TDelimitedStringList criteria;
    criteria.SetTextStr(QString::fromUtf8("@вега*@@@°@Бисер@@@"));
    d->SetRowList(criteria);
    d->SetSettings("3332"); // by amount, descending
    d->CellClicked(2, d->EyeRow());
    EXPECT_TRUE(d->Save());
    EXPECT_TRUE(d->Applied());
    EXPECT_EQ(Column(g, 1), QStringList({"Вега-М", "Вега", "Бисер"}));
    EXPECT_EQ(Column(g, 3), QStringList({"100", "12.50", "-3"}));
    EXPECT_FALSE(g.GetColAttributes(2)->Visible());
    EXPECT_TRUE(g.GetColAttributes(1)->Visible());
    EXPECT_EQ(d->CriteriaText(), QString::fromUtf8("@вега*@@@°@Бисер@@@"));
}

TEST(HideDialogGui, SortsByTheNextColumnWithinRunsAndHidesEmptyColumns)
{
    TRichGrid g;
    FillList(g);
    g.SetCells(1, 2, QStringLiteral("Вега")); // two rows of "Вега"
    auto d = Dialog(g);
    d->SetSettings("3213");
    d->cbNullCol->setChecked(true);
    EXPECT_TRUE(d->Save());
    EXPECT_EQ(Column(g, 1), QStringList({"Вега-М", "Вега", "Вега", "Бисер"}));
    EXPECT_EQ(Column(g, 2), QStringList({"15.03.2024", "03.02.2024", "29.02.2024", "01.01.2024"}));
    EXPECT_FALSE(g.GetColAttributes(4)->Visible()); // all empty
    EXPECT_TRUE(g.GetColAttributes(3)->Visible());
}

TEST(HideDialogGui, TheFormKeepsSettingsAndCriteriaBetweenUses)
{
    TQuorendStatusForm *form = CreateQuorendForm<TQuorendStatusForm>(nullptr, fsNormal);
    std::unique_ptr<TQuorendStatusForm> owner(form);
    TRichGrid g;
    FillList(g);
    testsupport::OnNextModal([](QWidget *w) {
        TformHide *d = ModalDialog(w);
        if (!d) {
            ADD_FAILURE() << "no dialog";
            w->close();
            return;
        }
        d->SetSettings("1");
        d->RichGrid1->SetCells(1, d->FirstCriteriaRow(), QStringLiteral("Вега*"));
        d->actSaveExecute();
    });
    EXPECT_TRUE(RunHideDialog(form, &g));
    EXPECT_EQ(form->StatusText(), QStringLiteral("Общо: 2 реда"));
    QString settings, criteria;
    testsupport::OnNextModal([&](QWidget *w) {
        TformHide *d = ModalDialog(w);
        if (!d) {
            ADD_FAILURE() << "no dialog";
            w->close();
            return;
        }
        settings = d->GetSettings();
        criteria = d->RichGrid1->Cells(1, d->FirstCriteriaRow());
        d->SetModalResult(mrCancel);
    });
    EXPECT_FALSE(RunHideDialog(form, &g));
    EXPECT_EQ(settings, QStringLiteral("13333"));
    EXPECT_EQ(criteria, QStringLiteral("Вега*"));
}

TEST(HideDialogGui, DateCriteriaAreChosenWithThePeriodEdit)
{
    TRichGrid g;
    FillList(g);
    auto d = Dialog(g);
    d->show();
    const int row = d->FirstCriteriaRow();
    d->CellClicked(2, row);
    ASSERT_TRUE(d->PeriodEdit->isVisible());
    EXPECT_EQ(d->PeriodEdit->Period(), QStringLiteral("6@1@12")); // an empty cell starts with the year
    d->PeriodEdit->SetPeriod(QStringLiteral("5@20240201@20240229"));
    d->CellClicked(1, row); // leaving the cell writes the period
    EXPECT_FALSE(d->PeriodEdit->isVisible());
    EXPECT_EQ(d->RichGrid1->Cells(2, row), QStringLiteral("5@20240201@20240229"));
    EXPECT_TRUE(d->Save());
    EXPECT_EQ(Column(g, 0), QStringList({"1", "2"}));
}

TEST(HideDialogGui, ImageColumnsTakeNoCriteriaAndKeepTheirImagesThroughASort)
{
    TRichGrid g;
    FillList(g);
    g.GetColAttributes(4)->SetBitmapDrawMode(bmCenter);
    for (int r = 1; r <= 4; ++r)
        g.GetCellAttributes(4, r)->SetImageIndex(r * 10);
    auto d = Dialog(g);
    EXPECT_EQ(d->ColumnKinds(), QStringLiteral("00342"));
    d->CellClicked(4, d->EyeRow()); // does nothing on an image column
    EXPECT_TRUE(d->ColumnShown(4));
    d->SetSettings("1111");         // no sort cell for the image column
    EXPECT_EQ(d->GetSettings(), QStringLiteral("11113"));
    d->SetSettings("3332");
    EXPECT_TRUE(d->Save());
    EXPECT_EQ(Column(g, 0), QStringList({"3", "1", "2", "4"}));
    auto image = [&g](int r) {
        TCellAttributes a;
        QString s;
        g.GetDisplayAttributes(4, r, &a, s);
        return a.ImageIndex();
    };
    EXPECT_EQ(image(1), 30);
    EXPECT_EQ(image(2), 10);
    EXPECT_EQ(image(4), 40);
}
