// The list and report base form over a real database: fetch and count,
// header sort on several keys with the totals rows last, the row filter
// with its totals row, the filter dialog and the find-row dialog driven by
// keys.
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QPointer>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>
#include <unistd.h>
#include <vector>

#include "components/Formatters.h"
#include "components/GridUtils.h"
#include "components/PeriodEdit.h"
#include "components/RichGrid.h"
#include "core/LineConv.h"
#include "core/uDelimitedStrings.h"
#include "core/un_Ado_Connection.h"
#include "framework/FilterTypes.h"
#include "framework/GridSearch.h"
#include "framework/QuorendReadForm.h"
#include "framework/SimpleFilter.h"
#include "support/DatabaseTest.h"
#include "support/ScopedDialogAnswers.h"

namespace {

// Runs Action on the next modal window once it is the active window (its
// key shortcuts work only then); a window still open afterwards is closed,
// so that a failure cannot leave the test waiting.
void OnModal(std::function<void(QWidget *)> Action)
{
    testsupport::OnNextModal([Action](QWidget *modal) {
        QPointer<QWidget> window(modal);
        modal->activateWindow();
        QApplication::setActiveWindow(modal);
        EXPECT_TRUE(QTest::qWaitForWindowActive(modal));
        Action(modal);
        if (window && window->isVisible()) {
            ADD_FAILURE() << "the dialog stayed open";
            if (auto *dialog = qobject_cast<QDialog *>(window.data()))
                dialog->reject();
        }
    });
}

// A small list of products: code, name, quantity with its unit, price.
class TfrmProbeList : public TQuorendReadForm
{
    Q_OBJECT
public:
    TfrmProbeList(QWidget *AOwner, TFormStyle AFormStyle) : TQuorendReadForm(AOwner, AFormStyle)
    {
        setObjectName(QStringLiteral("frmProbeList"));
        pnlCaption->setText(QStringLiteral("ИЗДЕЛИЯ"));
        edFirst = new QLineEdit(pnlParams);
        edLast = new QLineEdit(pnlParams);
        pnlParams->layout()->addWidget(edFirst);
        pnlParams->layout()->addWidget(edLast);
        Grid->SetColCount(4);
        Grid->SetFixedRows(1);
        Grid->SetRows(0, {QStringLiteral("Код"), QStringLiteral("Име"), QStringLiteral("Количество"),
                          QStringLiteral("Цена")});
        Grid->GetColAttributes(3)->SetFormatter(PriceFormatter);
        actExecute->setEnabled(true);
    }

    bool CanExecute() override { return canExecute; }
    QString GetExecuteErrorText() override { return QStringLiteral("Няма период"); }
    bool DoExecute() override
    {
        ++executes;
        if (failExecute)
            throw Exception(QStringLiteral("няма връзка"));
        TDelimitedStringList rows;
        SelectToList(this, DbConnection, QStringLiteral("select code, name, qty, price from probe order by code"),
                     rows);
        if (withTotal && rows.Count() > 0)
            rows.Add(QStringLiteral("¤Общо:@@@"));
        FilterRows(rows, sumColumns);
        FillGridFromDelimitedStrings(*Grid, rows, false);
        SetHeaderSort(true);
        return true;
    }

    QLineEdit *edFirst;
    QLineEdit *edLast;
    int executes = 0;
    bool canExecute = true;
    bool failExecute = false;
    bool withTotal = false;
    QString sumColumns;
};

class ReadFormGui : public testsupport::DatabaseTest
{
protected:
    void SetUp() override
    {
        DatabaseTest::SetUp();
        Execute(QStringLiteral("create table probe (code integer, name text(40), qty text(20), price double)"));
        Execute(QStringLiteral("insert into probe values (1, \"Хляб\", \"2.5 кг\", 1.2)"));
        Execute(QStringLiteral("insert into probe values (2, \"Кифла\", \"1.25 кг\", 0.6)"));
        Execute(QStringLiteral("insert into probe values (3, \"Баница\", \"3 кг\", 2.5)"));
        Execute(QStringLiteral("insert into probe values (4, \"Кифла\", \"4 кг\", 0.4)"));
        form.reset(CreateQuorendForm<TfrmProbeList>(nullptr, fsNormal));
        ASSERT_TRUE(form->ShowForm());
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    }
    void TearDown() override
    {
        form.reset();
        DatabaseTest::TearDown();
    }

    QStringList Column(int Col) const
    {
        QStringList cells;
        for (int r = form->Grid->FixedRows(); r < form->Grid->RowCount(); ++r)
            cells << form->Grid->Cells(Col, r);
        return cells;
    }
    void ClickHeader(int Col)
    {
        const QPoint p = form->Grid->CellRect(Col, 0).center();
        QTest::mouseClick(form->Grid->viewport(), Qt::LeftButton, Qt::NoModifier, p);
    }
    // Runs F6 with the dialog's inputs given their texts, then Action.
    void Filter(const QStringList &Texts, int Key = Qt::Key_F2)
    {
        OnModal([Texts, Key](QWidget *modal) {
            auto *dialog = qobject_cast<TfrmSimpleFilter *>(modal);
            ASSERT_NE(dialog, nullptr);
            for (int i = 0; i < Texts.size(); ++i) {
                auto *edit = qobject_cast<QLineEdit *>(dialog->Input(i));
                // Key events carry Latin letters only: Cyrillic goes in as
                // typed text.
                edit->clear();
                edit->insert(Texts[i]);
            }
            QTest::keyClick(dialog->focusWidget(), static_cast<Qt::Key>(Key));
        });
        form->actFilter->trigger();
    }

    std::unique_ptr<TfrmProbeList> form;
};

} // namespace

TEST_F(ReadFormGui, ExecuteFillsTheGridAndCountsDataRowsOnly)
{
    form->withTotal = true;
    form->Execute();
    EXPECT_EQ(Column(1), QStringList({"Хляб", "Кифла", "Баница", "Кифла", ""}));
    EXPECT_EQ(form->Grid->Cells(0, 5), "Общо:");
    EXPECT_EQ(form->StatusText(), "Общо: 4 реда");
    EXPECT_TRUE(form->IsTotalsRow(5));
    EXPECT_EQ(form->DataRowCount(), 5);

    // The current row stays where it was, or goes to the last row.
    form->Grid->SetRow(5);
    form->UpdateActions();
    EXPECT_FALSE(form->IsDataRow()) << "a totals row whose first cell holds text";
    Execute(QStringLiteral("delete * from probe where code > 2"));
    form->Execute();
    EXPECT_EQ(form->Grid->Row(), 3);
    form->Grid->SetRow(1);
    form->UpdateActions();
    EXPECT_TRUE(form->IsDataRow());

    Execute(QStringLiteral("delete * from probe"));
    form->Execute();
    EXPECT_EQ(form->StatusText(), "Общо: 0 реда");
    EXPECT_EQ(form->DataRowCount(), 1);

    testsupport::ScopedDialogAnswers dialogs;
    form->failExecute = true;
    Execute(QStringLiteral("insert into probe values (5, \"Сомун\", \"1\", 1)"));
    form->actExecute->trigger();
    EXPECT_EQ(dialogs.Texts(), QStringList({"няма връзка."}));
    EXPECT_EQ(form->StatusText(), "Общо: 0 реда");
}

TEST_F(ReadFormGui, EnterInTheLastParameterRefreshesWithoutRefusalText)
{
    EXPECT_EQ(form->LastParamControl(), form->edLast);
    form->activateWindow();
    QApplication::setActiveWindow(form.get());
    form->edLast->setFocus();
    const int before = form->executes;
    QTest::keyClick(form->edLast, Qt::Key_Return);
    EXPECT_EQ(form->executes, before + 1);
    EXPECT_EQ(form->StatusText(), "Общо: 4 реда");

    testsupport::ScopedDialogAnswers dialogs;
    form->canExecute = false;
    form->edLast->setFocus();
    QTest::keyClick(form->edLast, Qt::Key_Return);
    EXPECT_EQ(form->executes, before + 1);
    EXPECT_TRUE(dialogs.Shown().empty());
    // Enter elsewhere only moves on; F8 tells why it refuses.
    form->edFirst->setFocus();
    QTest::keyClick(form->edFirst, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), form->edLast);
    form->actExecute->trigger();
    EXPECT_EQ(dialogs.Texts(), QStringList({"Няма период"}));
}

TEST_F(ReadFormGui, WorkLocksTheParametersAndTheGridEditing)
{
    TGridOptions options = form->Grid->Options();
    options.Include(goEditing);
    form->Grid->SetOptions(options);
    form->EnableActions(false);
    EXPECT_FALSE(form->pnlParams->isEnabled());
    EXPECT_FALSE(form->Grid->Options().Contains(goEditing));
    EXPECT_FALSE(form->actFilter->isEnabled());
    form->EnableActions(true);
    EXPECT_TRUE(form->edLast->isEnabled());
    EXPECT_TRUE(form->Grid->Options().Contains(goEditing));
    EXPECT_TRUE(form->actFilter->isEnabled());
    EXPECT_TRUE(form->actSearch->isEnabled());
    EXPECT_FALSE(form->actHide->isEnabled());
    EXPECT_EQ(form->actPrint->isEnabled(), ReadFormGridPrinterInstalled());
    EXPECT_EQ(form->GetPrintOrientation(), poLandscape);
    form->setObjectName(QStringLiteral("frmVyrnata_produkcia"));
    EXPECT_EQ(form->GetPrintOrientation(), poPortrait);
}

TEST_F(ReadFormGui, HeaderClicksSortOnSeveralKeysWithTotalsLast)
{
    form->withTotal = true;
    form->Execute();
    ClickHeader(1);
    EXPECT_EQ(Column(1), QStringList({"Баница", "Кифла", "Кифла", "Хляб", ""}));
    ClickHeader(3);
    EXPECT_EQ(Column(0), QStringList({"3", "4", "2", "1", "Общо:"}));
    EXPECT_EQ(form->SortColumns(), std::vector<int>({1, 3}));
    EXPECT_TRUE(form->IsTotalsRow(5));
    EXPECT_EQ(form->Grid->Cells(0, 5), "Общо:");
    EXPECT_EQ(form->Grid->GetCellAttributes(1, 0)->ImageIndex(), 0);
    EXPECT_EQ(form->Grid->GetCellAttributes(3, 0)->ImageIndex(), 1);
    EXPECT_FALSE(form->Grid->HasCellAttributes(0, 0));

    // Taking off the last key leaves the order as it is (a re-sort by the
    // name alone would put the changed price first).
    form->Grid->SetCells(0, 2, QStringLiteral("9"));
    ClickHeader(3);
    EXPECT_EQ(Column(0), QStringList({"3", "9", "2", "1", "Общо:"}));
    EXPECT_EQ(form->Grid->GetCellAttributes(3, 0)->ImageIndex(), -1);
    // Taking off a key before others sorts again by the rest.
    ClickHeader(0);
    ClickHeader(1);
    EXPECT_EQ(form->SortColumns(), std::vector<int>({0}));
    EXPECT_EQ(Column(0), QStringList({"1", "2", "3", "9", "Общо:"}));

    // The keys survive a refresh; the marks come back with the fill.
    form->Execute();
    EXPECT_EQ(form->Grid->GetCellAttributes(0, 0)->ImageIndex(), 0);
    form->SetHeaderSort(false);
    EXPECT_EQ(form->Grid->GetCellAttributes(0, 0)->ImageIndex(), -1);
    ClickHeader(2);
    EXPECT_EQ(form->SortColumns(), std::vector<int>({0}));
    // A press on one header and a release on another sorts nothing.
    form->SetHeaderSort(true);
    QTest::mousePress(form->Grid->viewport(), Qt::LeftButton, Qt::NoModifier, form->Grid->CellRect(1, 0).center());
    QTest::mouseRelease(form->Grid->viewport(), Qt::LeftButton, Qt::NoModifier, form->Grid->CellRect(2, 0).center());
    EXPECT_EQ(form->SortColumns(), std::vector<int>({0}));
    EXPECT_EQ(form->MouseDownCell(), (TGridCoord{-1, -1}));
}

TEST_F(ReadFormGui, SortRowListKeepsOnlyTrailingTotalsInPlace)
{
    form->SetSortColumns({1});
    TDelimitedStringList list;
    list.SetTextStr(QStringLiteral("1@Хляб°2@Баница°3@Айрян"));
    form->SortRowList(&list);
    EXPECT_EQ(list.Text(), "3@Айрян°2@Баница°1@Хляб") << "the last real record is sorted too";
    list.SetTextStr(QStringLiteral("1@Хляб°2@Баница°¤Общо:@°Сума за филтъра@"));
    form->SortRowList(&list);
    EXPECT_EQ(list.Text(), "2@Баница°1@Хляб°¤Общо:@°Сума за филтъра@");
}

TEST(ReadFormTotals, ColumnTotalsFollowDecimalsUnitsAndDates)
{
    EXPECT_EQ(FilterColumnTotal({"2.5 кг", "1.25 кг"}), "3.75");
    EXPECT_EQ(FilterColumnTotal({"2.5 кг", "1.25 бр"}), " ");
    EXPECT_EQ(FilterColumnTotal({"1,5", "2"}), "3.5");
    EXPECT_EQ(FilterColumnTotal({"1", "20240131", "2"}), " ");
    EXPECT_EQ(FilterColumnTotal({"1", "abc"}), " ");
    EXPECT_EQ(FilterColumnTotal({"", ""}), " ");
    EXPECT_EQ(FilterColumnTotal({"3", "", "4"}), "7");
    EXPECT_EQ(FilterColumnTotal({"1.10", "2.2", "-0.3"}), "3.00");
    EXPECT_EQ(FilterColumnTotal({"5~бр", "7 бр"}), "12");
    EXPECT_EQ(FilterColumnTotal({"12345678"}), "12345678") << "month 56 is no date";
}

TEST_F(ReadFormGui, FilterDialogSetsConditionsAndTheTotalsRow)
{
    form->Execute();
    Filter({"", "кифла", "", ""});
    EXPECT_TRUE(form->Filtered());
    EXPECT_EQ(Column(1), QStringList({"Кифла", "Кифла", " "}));
    EXPECT_TRUE(form->IsTotalsRow(3));
    EXPECT_EQ(form->Grid->Cells(1, 3), " ");
    EXPECT_EQ(form->Grid->Cells(2, 3), "5.25");
    EXPECT_EQ(form->Grid->Cells(3, 3), "1.0");
    EXPECT_EQ(form->StatusText(), "Общо: 2 реда");
    // Every refresh is filtered; the sum columns can be chosen.
    form->sumColumns = QStringLiteral("3");
    form->Execute();
    EXPECT_EQ(form->Grid->Cells(2, 3), "");
    EXPECT_EQ(form->Grid->Cells(3, 3), "1.0");

    // A filter that rejects every row appends nothing.
    Filter({"", "кифла", "", "5:"});
    EXPECT_EQ(form->StatusText(), "Общо: 0 реда");
    EXPECT_EQ(form->Grid->RowCount(), 2);
    EXPECT_FALSE(form->IsTotalsRow(1));

    // Clearing and confirming takes the filter off.
    OnModal([](QWidget *modal) {
        QTest::keyClick(modal->focusWidget(), Qt::Key_F5);
        QTest::keyClick(modal->focusWidget(), Qt::Key_F2);
    });
    form->actFilter->trigger();
    EXPECT_FALSE(form->Filtered());
    EXPECT_EQ(form->StatusText(), "Общо: 4 реда");
}

TEST_F(ReadFormGui, ClearThenEscapeAndBadInputKeepTheFilterInForce)
{
    form->Execute();
    Filter({"1:2", "", "", ""});
    ASSERT_EQ(Column(0), QStringList({"1", "2", "Сума за филтъра"}));

    OnModal([](QWidget *modal) {
        QTest::keyClick(modal->focusWidget(), Qt::Key_F5);
        QTest::keyClick(modal->focusWidget(), Qt::Key_Escape);
    });
    form->actFilter->trigger();
    EXPECT_TRUE(form->Filtered());
    EXPECT_EQ(Column(0), QStringList({"1", "2", "Сума за филтъра"}));
    form->Execute();
    EXPECT_EQ(Column(0), QStringList({"1", "2", "Сума за филтъра"}));

    // A price that is no number: the field is named, the dialog stays.
    testsupport::ScopedDialogAnswers dialogs;
    bool stillOpen = false;
    QString inputAfterwards;
    OnModal([&](QWidget *modal) {
        auto *dialog = qobject_cast<TfrmSimpleFilter *>(modal);
        EXPECT_EQ(dialog->InputConditionText(0), "1:2") << "the inputs show the filter in force";
        QTest::keyClicks(dialog->Input(3), QStringLiteral("x:5"));
        QTest::keyClick(dialog->focusWidget(), Qt::Key_F2);
        stillOpen = dialog->isVisible();
        QTest::keyClick(dialog->focusWidget(), Qt::Key_Escape);
    });
    const int executes = form->executes;
    form->actFilter->trigger();
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(dialogs.Texts(), QStringList({"Невалидно условие в поле \"ИЗДЕЛИЯ - Цена\": x:5"}));
    EXPECT_EQ(form->executes, executes);
    EXPECT_TRUE(form->Filtered());
    EXPECT_EQ(Column(0), QStringList({"1", "2", "Сума за филтъра"}));
}

TEST_F(ReadFormGui, GroupHeadersGiveLeavesKeyedByTheirColumns)
{
    // Row 0: "Код" over two rows, "Изделие" over columns 1-2 with the
    // captions below it, "Цена и отстъпка" over 3-4 with no row for them.
    form->Grid->SetColCount(6);
    form->Grid->SetFixedRows(2);
    form->Grid->SetRows(0, {"Код", "Изделие", "", "Цена и отстъпка", "", "Бележка"});
    form->Grid->SetRows(1, {"", "Име", "Количество", "", "", ""});
    form->Grid->MergeCells(0, 0, 0, 1);
    form->Grid->MergeCells(1, 0, 2, 0);
    form->Grid->MergeCells(3, 0, 4, 1);
    form->Grid->MergeCells(5, 0, 5, 1);
    form->Grid->GetColAttributes(0)->SetFormatter(form->AmountFormatter);
    auto *dates = new TDateValueFormatter(form.get());
    form->Grid->GetColAttributes(5)->SetFormatter(dates);

    TfrmSimpleFilter *dialog = form->CreateFilterDialog();
    ASSERT_EQ(dialog->LeafCount(), 5);
    EXPECT_EQ(dialog->LeafCaption(1), "ИЗДЕЛИЯ - Изделие - Име");
    EXPECT_EQ(dialog->LeafCaption(2), "ИЗДЕЛИЯ - Изделие - Количество");
    EXPECT_EQ(dialog->LeafCaption(3), "ИЗДЕЛИЯ - Цена и отстъпка");
    std::vector<int> columns;
    std::vector<int> kinds;
    for (int i = 0; i < dialog->LeafCount(); ++i) {
        columns.push_back(dialog->Leaf(i)->Index());
        kinds.push_back(dialog->Leaf(i)->Kind());
    }
    EXPECT_EQ(columns, std::vector<int>({0, 1, 2, 3, 5}));
    EXPECT_EQ(kinds, std::vector<int>({1, 0, 0, 1, 2}));
    // Two columns: leaf 1 beside leaf 0, leaf 2 under leaf 0.
    EXPECT_EQ(dialog->Label(1)->y(), dialog->Label(0)->y());
    EXPECT_GT(dialog->Label(1)->x(), dialog->Label(0)->x());
    EXPECT_EQ(dialog->Label(2)->x(), dialog->Label(0)->x());
    EXPECT_EQ(dialog->Label(2)->y() - dialog->Label(0)->y(), dialog->RowHeight());

    // The date leaf takes a period; its condition tests column 5, not the
    // fifth field.
    auto *period = qobject_cast<TPeriodEdit *>(dialog->Input(4));
    ASSERT_NE(period, nullptr);
    OnModal([](QWidget *modal) {
        auto *d = qobject_cast<TfrmSimpleFilter *>(modal);
        qobject_cast<TPeriodEdit *>(d->Input(4))->SetPeriod(QStringLiteral("5@20240301@20240331"));
        QTest::keyClick(d->focusWidget(), Qt::Key_F2);
    });
    form->Filter();
    EXPECT_EQ(dialog->Leaf(4)->ConditionText(), "01.03.2024:31.03.2024");
    ASSERT_EQ(form->FilterConditions()->Count(), 5);
    EXPECT_EQ(form->FilterConditions()->Strings(4), "5");
    TDelimitedStringList rows;
    rows.SetTextStr(QStringLiteral("1@a@b@c@d@20240315°2@a@b@c@20240315@20240401"));
    form->FilterRows(rows, QString());
    EXPECT_EQ(rows.Text(), "1@a@b@c@d@20240315°Сума за филтъра@ @ @ @ @ ");
}

TEST_F(ReadFormGui, SearchFindsRowsForwardAndBackward)
{
    form->Execute();
    form->Grid->SetRow(1);
    int foundRow = -1;
    int rowAfterMiss = -1;
    int column = 0;
    OnModal([&](QWidget *modal) {
        auto *search = qobject_cast<TfrmGridSearch *>(modal);
        ASSERT_NE(search, nullptr);
        column = search->edColumn->value();
        search->edColumn->setValue(2);
        search->edSearchText->insert(QStringLiteral("КИФ"));
        QTest::keyClick(search->edSearchText, Qt::Key_Down);
        foundRow = form->Grid->Row();
        QTest::keyClick(search->edSearchText, Qt::Key_Down);
        QTest::keyClick(search->edSearchText, Qt::Key_Down);
        rowAfterMiss = form->Grid->Row();
        QTest::keyClick(search->edSearchText, Qt::Key_Up);
        QTest::keyClick(search->edSearchText, Qt::Key_Escape);
    });
    form->actSearch->trigger();
    EXPECT_EQ(column, 1);
    EXPECT_EQ(foundRow, 2);
    EXPECT_EQ(rowAfterMiss, 4);
    EXPECT_EQ(form->Grid->Row(), 2);
    EXPECT_EQ(form->Grid->Col(), 1);
}

TEST_F(ReadFormGui, ColumnsWidenToWhatTheyShow)
{
    Execute(QStringLiteral("insert into probe values (12345, \"Хляб типов бял нарязан 500 г\", \"12 кг\", 1234.5)"));
    form->resize(900, 400);
    form->Execute();
    form->Grid->viewport()->grab();
    const QFontMetrics metrics(form->Grid->font());
    for (int c = 0; c < form->Grid->ColCount(); ++c)
        for (int r = 0; r < form->Grid->RowCount(); ++r) {
            QString shown;
            form->Grid->GetDisplayText(c, r, shown);
            EXPECT_GE(form->Grid->ColWidths(c), metrics.horizontalAdvance(shown))
                << "column " << c << " cuts \"" << shown.toStdString() << "\"";
        }
    QString price;
    form->Grid->GetDisplayText(3, 5, price);
    EXPECT_EQ(price, "1234.5000");
}

// Whether a sanitizer's allocator stands in for the system's: it holds freed
// memory back (quarantine) instead of returning it.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kAllocatorReplaced = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(memory_sanitizer) || __has_feature(thread_sanitizer)
constexpr bool kAllocatorReplaced = true;
#else
constexpr bool kAllocatorReplaced = false;
#endif
#else
constexpr bool kAllocatorReplaced = false;
#endif

TEST_F(ReadFormGui, AClosedLargeListGivesItsMemoryBack)
{
    if (kAllocatorReplaced)
        GTEST_SKIP() << "a sanitizer's allocator keeps freed memory in quarantine: the resident size cannot show "
                        "what the list gave back";
    const auto resident = [] {
        QFile statm(QStringLiteral("/proc/self/statm"));
        return statm.open(QIODevice::ReadOnly)
                   ? statm.readAll().split(' ').value(1).toLongLong() * ::sysconf(_SC_PAGESIZE)
                   : 0;
    };
    const long long before = resident();
    QPointer<TfrmProbeList> list(CreateQuorendForm<TfrmProbeList>(nullptr, fsNormal));
    ASSERT_TRUE(list->ShowForm());
    TDelimitedStringList rows;
    for (int i = 1; i <= 300000; ++i)
        rows.Add(QStringLiteral("%1@Изделие номер %1 от склада@%2 кг@%3").arg(i).arg(i % 97).arg(i * 0.25));
    FillGridFromDelimitedStrings(*list->Grid, rows, false);
    rows.Clear();
    const long long open = resident();
    ASSERT_GT(open - before, 50ll << 20);
    list->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    ASSERT_TRUE(list.isNull());
    EXPECT_LT(resident() - before, (open - before) / 4);
}

TEST(ReadFormPeriods, PeriodTextsBecomeDateRanges)
{
    EXPECT_EQ(PeriodToDateRange("1@2", 2024), "01.02.2024:29.02.2024");
    EXPECT_EQ(PeriodToDateRange("1@2", 2023), "01.02.2023:28.02.2023");
    EXPECT_EQ(PeriodToDateRange("6@3@5", 2024), "01.03.2024:31.05.2024");
    EXPECT_EQ(PeriodToDateRange("5@20240105@20240210", 2000), "05.01.2024:10.02.2024");
    EXPECT_EQ(PeriodToDateRange("1@13", 2024), "");
    EXPECT_EQ(PeriodToDateRange("", 2024), "");
    EXPECT_EQ(PeriodToDateRange("5@2024@x", 2024), "");
}

#include "QuorendReadFormTest.moc"
