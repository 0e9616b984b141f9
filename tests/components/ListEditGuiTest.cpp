// The list form and the list edit on the offscreen platform: type-ahead,
// search, filter, refresh, pick and cancel, completion and the spin steps.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "components/BtnEdit.h"
#include "components/ListEdit.h"

namespace {

const char *const Codes[][2] = {{"10", "Хляб бял"},   {"12", "Хляб типов"}, {"120", "Питка"},
                                {"2", "Козунак"},     {"21", "Кифла"},      {"30", "Баница"},
                                {"31", "Бял хляб 2"}, {"4", "Геврек"}};
constexpr int CodeCount = 8;

// A list form whose type-ahead timer the test ends by hand.
class TestListForm : public TListForm
{
public:
    using TListForm::TListForm;
    void EndTypeAhead() { TypeAheadTimeout(); }
};

struct Picker
{
    QWidget window;
    TListEdit *edit;
    QLabel *descr;
    TListForm *form;
    int fills = 0, oks = 0;
    explicit Picker(bool derived = false)
    {
        auto *l = new QVBoxLayout(&window);
        edit = new TListEdit(&window);
        descr = new QLabel(&window);
        l->addWidget(edit);
        l->addWidget(descr);
        form = derived ? new TestListForm(&window) : new TListForm(&window);
        edit->SetForm(form);
        edit->SetDescrControl(descr);
        edit->OnFormOk = [this](QObject *) { ++oks; };
        form->OnFillGrid = [this](QObject *, bool &) { Fill(); };
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
    void Fill()
    {
        ++fills;
        TRichGrid *g = form->Grid();
        g->SetRowCount(CodeCount + 1);
        g->SetFixedRows(1);
        g->SetCells(0, 0, "Шифър");
        g->SetCells(1, 0, "Наименование");
        for (int i = 0; i < CodeCount; ++i) {
            g->SetCells(0, i + 1, QString::fromUtf8(Codes[i][0]));
            g->SetCells(1, i + 1, QString::fromUtf8(Codes[i][1]));
        }
    }
    QString Current() const { return form->Grid()->Cells(0, form->Grid()->Row()); }
    int VisibleDataRows() const
    {
        int n = 0;
        for (int r = 1; r < form->Grid()->RowCount(); ++r)
            n += form->Grid()->RowHeights(r) > 0;
        return n;
    }
};

} // namespace

TEST(ListFormGui, DropsFilledAtTheRowOfTheTextAndPicksWithEnter)
{
    Picker p;
    p.edit->SetText("21");
    EXPECT_EQ(p.fills, 1);                 // a text fills the list
    EXPECT_EQ(p.descr->text(), "Кифла");   // and shows its name
    p.edit->DropDown();
    ASSERT_TRUE(p.form->isVisible());
    EXPECT_EQ(p.fills, 1);
    EXPECT_EQ(p.Current(), "21");
    QTest::keyClick(p.form->Grid(), Qt::Key_Down);
    QTest::keyClick(p.form->Grid(), Qt::Key_Return);
    EXPECT_FALSE(p.form->isVisible());
    EXPECT_EQ(p.edit->Text(), "30");
    EXPECT_EQ(p.descr->text(), "Баница");
    EXPECT_EQ(p.edit->SelectedRow(), 6);
    EXPECT_EQ(p.oks, 1);

    p.edit->DropDown();
    QTest::keyClick(p.form->Grid(), Qt::Key_Escape);
    EXPECT_EQ(p.edit->SelectedRow(), -1);
    EXPECT_EQ(p.edit->Text(), "30");
}

TEST(ListFormGui, DropColumnIsTintedAndPlacedUnderTheEdit)
{
    Picker p;
    p.edit->DropDown();
    TRichGrid *g = p.form->Grid();
    TColRowAttributes a;
    QString text;
    g->GetDisplayAttributes(0, 3, &a, text);
    EXPECT_EQ(a.BackColor(), TListForm::DropColumnColor);
    g->GetDisplayAttributes(1, 3, &a, text);
    EXPECT_NE(a.BackColor(), TListForm::DropColumnColor);
    const QPoint under = p.edit->mapToGlobal(QPoint(0, p.edit->height()));
    EXPECT_EQ(p.form->geometry().top(), under.y());
    // The drop column moves: the former one gets its own look back.
    p.form->SetDropColumn(1);
    g->GetDisplayAttributes(0, 3, &a, text);
    EXPECT_NE(a.BackColor(), TListForm::DropColumnColor);
    g->GetDisplayAttributes(1, 3, &a, text);
    EXPECT_EQ(a.BackColor(), TListForm::DropColumnColor);
    p.form->SetDropColumn(5);   // past the columns: ignored
    EXPECT_EQ(p.form->DropColumn(), 1);
    p.form->close();
}

TEST(ListFormGui, TypeAheadBuildsAPrefixUntilItsTimeRunsOut)
{
    int beeps = 0;
    const TBeepHandler old = SetBeepHandler([&](TBeepKind) { ++beeps; });
    Picker p(true);
    auto *form = static_cast<TestListForm *>(p.form);
    p.edit->DropDown();
    QTest::keyClick(p.form->Grid(), '1');
    EXPECT_EQ(p.Current(), "10");
    QTest::keyClick(p.form->Grid(), '2');
    EXPECT_EQ(p.form->TypedText(), "12");
    EXPECT_EQ(p.Current(), "12");
    form->EndTypeAhead();
    EXPECT_EQ(p.form->TypedText(), "");
    QTest::keyClick(p.form->Grid(), '3');
    EXPECT_EQ(p.Current(), "30");
    QTest::keyClick(p.form->Grid(), 'x');   // "3x": the best prefix stays
    EXPECT_EQ(p.Current(), "30");
    EXPECT_EQ(beeps, 0);
    form->EndTypeAhead();
    QTest::keyClick(p.form->Grid(), 'x');
    EXPECT_EQ(beeps, 1);
    EXPECT_EQ(p.Current(), "30");
    p.form->close();
    SetBeepHandler(old);
}

TEST(ListFormGui, FilterHidesRowsAndAnEmptyTextShowsThemAgain)
{
    Picker p;
    p.edit->DropDown();
    TRichGrid *g = p.form->Grid();
    g->SetRow(1);
    g->SetCol(1);
    QTest::keyClick(p.form->Grid(), Qt::Key_F6);
    ASSERT_TRUE(p.form->FilterMode());
    EXPECT_FALSE(p.form->toolsSearch()->isHidden());
    p.form->editSearch()->setText("*хляб*");
    QTest::keyClick(p.form->editSearch(), Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(p.VisibleDataRows(), 3);
    EXPECT_GT(g->RowHeights(0), 0);   // the captions stay
    EXPECT_EQ(p.Current(), "10");
    // Keys step over hidden rows.
    g->setFocus();
    QTest::keyClick(g, Qt::Key_Down);
    EXPECT_EQ(p.Current(), "12");
    QTest::keyClick(g, Qt::Key_Down);
    EXPECT_EQ(p.Current(), "31");
    QTest::keyClick(g, Qt::Key_End);
    EXPECT_EQ(p.Current(), "31");
    QTest::keyClick(g, Qt::Key_Home);
    EXPECT_EQ(p.Current(), "10");

    // A filter that leaves the current row hidden moves it to a shown row.
    g->SetRow(2);
    p.form->editSearch()->setText("баница");
    QTest::keyClick(p.form->editSearch(), Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(p.VisibleDataRows(), 1);
    EXPECT_EQ(p.Current(), "30");

    // F6 again: the text goes and every row shows.
    QTest::keyClick(g, Qt::Key_F6);
    EXPECT_FALSE(p.form->FilterMode());
    EXPECT_EQ(p.VisibleDataRows(), CodeCount);
    p.form->close();
}

TEST(ListFormGui, NothingLeftByTheFilterIsNeverPicked)
{
    Picker p;
    p.edit->SetText("10");
    p.edit->DropDown();
    p.form->Grid()->SetCol(1);
    QTest::keyClick(p.form->Grid(), Qt::Key_F6);
    p.form->editSearch()->setText("zzz");
    QTest::keyClick(p.form->editSearch(), Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(p.VisibleDataRows(), 0);
    p.form->Grid()->setFocus();
    QTest::keyClick(p.form->Grid(), Qt::Key_Return);
    EXPECT_EQ(p.edit->Text(), "10");
    EXPECT_EQ(p.edit->SelectedRow(), -1);
    EXPECT_EQ(p.oks, 0);
}

TEST(ListFormGui, RefreshRefiltersAPlainFormAndRefillsADerivedOne)
{
    Picker plain;
    plain.edit->DropDown();
    plain.form->Grid()->SetCol(1);
    QTest::keyClick(plain.form->Grid(), Qt::Key_F6);
    plain.form->editSearch()->setText("к*");
    QTest::keyClick(plain.form->editSearch(), Qt::Key_F8);
    EXPECT_EQ(plain.VisibleDataRows(), 2);
    EXPECT_EQ(plain.fills, 1);
    plain.form->close();

    Picker derived(true);
    derived.edit->DropDown();
    QTest::keyClick(derived.form->Grid(), Qt::Key_F8);
    EXPECT_EQ(derived.fills, 2);
    derived.form->close();
}

TEST(ListFormGui, SearchFindsRowsContainingTheText)
{
    Picker p;
    p.edit->DropDown();
    TRichGrid *g = p.form->Grid();
    g->SetRow(1);
    g->SetCol(1);
    QTest::keyClick(g, Qt::Key_F7);
    ASSERT_TRUE(p.form->SearchMode());
    EXPECT_TRUE(p.form->actSearchDown->isEnabled());
    p.form->editSearch()->setText("ХЛЯБ");
    QTest::keyClick(p.form->editSearch(), Qt::Key_Down);
    EXPECT_EQ(p.Current(), "12");
    QTest::keyClick(p.form->editSearch(), Qt::Key_Down);
    EXPECT_EQ(p.Current(), "31");
    EXPECT_FALSE(p.form->SearchDown());
    EXPECT_EQ(p.Current(), "31");
    QTest::keyClick(p.form->editSearch(), Qt::Key_Up);
    EXPECT_EQ(p.Current(), "12");
    // F6 turns the search off; the search text is kept for the next time.
    QTest::keyClick(p.form->editSearch(), Qt::Key_F6);
    EXPECT_FALSE(p.form->SearchMode());
    EXPECT_TRUE(p.form->FilterMode());
    EXPECT_FALSE(p.form->actSearchDown->isEnabled());
    QTest::keyClick(p.form->editSearch(), Qt::Key_F7);
    EXPECT_EQ(p.form->editSearch()->text(), "ХЛЯБ");
    EXPECT_EQ(p.form->Filter(), "");
    p.form->close();
}

TEST(ListEditGui, SpinButtonsWalkTheList)
{
    Picker p;
    p.edit->SetTrackList(true);
    p.edit->SetText("12");
    QTest::mouseClick(p.edit->UpButton(), Qt::LeftButton);
    EXPECT_EQ(p.edit->Text(), "120");
    EXPECT_EQ(p.descr->text(), "Питка");
    QTest::keyClick(p.edit, Qt::Key_Up);
    EXPECT_EQ(p.edit->Text(), "2");
    QTest::keyClick(p.edit, Qt::Key_Down);
    QTest::keyClick(p.edit, Qt::Key_Down);
    EXPECT_EQ(p.edit->Text(), "12");
    EXPECT_EQ(p.oks, 4);
    p.edit->SetReadOnly(true);
    const TBeepHandler old = SetBeepHandler([](TBeepKind) {});
    QTest::keyClick(p.edit, Qt::Key_Up);
    SetBeepHandler(old);
    EXPECT_EQ(p.edit->Text(), "12");
}

TEST(ListEditGui, PickOnlyEditCompletesAndEmptiesWhatContinuesNoCode)
{
    Picker p;
    p.edit->SetSuggestText(true);
    p.edit->SetEditorEnabled(false);
    p.edit->setFocus();
    QTest::keyClicks(p.edit, "1");
    EXPECT_EQ(p.edit->Text(), "10");
    EXPECT_EQ(p.edit->selectedText(), "0");
    QTest::keyClicks(p.edit, "2");
    EXPECT_EQ(p.edit->Text(), "12");
    EXPECT_EQ(p.descr->text(), "Хляб типов");
    QTest::keyClick(p.edit, Qt::Key_Backspace);
    EXPECT_EQ(p.edit->Text(), "12");
    p.edit->setText(QString());
    QTest::keyClicks(p.edit, "9");
    EXPECT_EQ(p.edit->Text(), "");
    EXPECT_EQ(p.descr->text(), "");
    // Enter confirms the text.
    QTest::keyClicks(p.edit, "4");
    QTest::keyClick(p.edit, Qt::Key_Return);
    EXPECT_EQ(p.oks, 1);
}

TEST(ListEditGui, EditableSuggestionFixesCaseOnlyAndBackspaceDeletes)
{
    Picker p;
    p.edit->SetSuggestText(true);
    p.edit->setFocus();
    QTest::keyClicks(p.edit, "12");
    EXPECT_EQ(p.edit->Text(), "12");
    QTest::keyClick(p.edit, Qt::Key_Backspace);
    EXPECT_EQ(p.edit->Text(), "1");
    QTest::keyClicks(p.edit, "5");
    EXPECT_EQ(p.edit->Text(), "15");
    EXPECT_EQ(p.descr->text(), "");
}

TEST(ListEditGui, DescriptionNamesOnlyTheCodeThatIsTheText)
{
    Picker p;
    p.edit->setFocus();
    QTest::keyClicks(p.edit, "120");
    EXPECT_EQ(p.descr->text(), "Питка");
    QTest::keyClick(p.edit, Qt::Key_Backspace);
    EXPECT_EQ(p.edit->Text(), "12");
    EXPECT_EQ(p.descr->text(), "Хляб типов");
    QTest::keyClick(p.edit, Qt::Key_Backspace);
    // 1 is no code: not the name of 10, 12 or 120.
    EXPECT_EQ(p.edit->Text(), "1");
    EXPECT_EQ(p.descr->text(), "");
    QTest::keyClicks(p.edit, "0");
    EXPECT_EQ(p.descr->text(), "Хляб бял");
    p.edit->setText("3");
    EXPECT_EQ(p.descr->text(), "");
    p.edit->setText("31");
    EXPECT_EQ(p.descr->text(), "Бял хляб 2");
}

TEST(ListEditGui, LookupAndLastRow)
{
    Picker p;
    p.form->FillGrid();
    QString name;
    ListEditLookup(p.edit, 0, 1, name, "30");
    EXPECT_EQ(name, "Баница");
    ListEditLookup(p.edit, 0, 1, name, "99");
    EXPECT_EQ(name, "");
    SetListEditTextToLastRow(p.edit);
    EXPECT_EQ(p.edit->Text(), "4");
    EXPECT_EQ(p.descr->text(), "Геврек");
}

TEST(ListEditGui, FailedFillEmptiesAPickOnlyEdit)
{
    Picker p;
    p.edit->setText("10");
    p.edit->SetEditorEnabled(false);
    p.form->OnFillGrid = [](QObject *, bool &Filled) { Filled = false; };
    p.form->FillGrid();
    EXPECT_FALSE(p.form->Filled());
    EXPECT_EQ(p.edit->Text(), "");
    p.edit->DropDown();
    EXPECT_FALSE(p.form->isVisible());
}
