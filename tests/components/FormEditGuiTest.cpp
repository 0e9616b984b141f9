// The button edit, the drop-down form and the form edit on the offscreen
// platform: keys, beeps, read-only, paste, placement, Ok and Cancel.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QScreen>
#include <QStyle>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>

#include "components/FormEdit.h"

namespace {

// Counts the beeps of the edits while it lives.
struct BeepCounter
{
    int defaults = 0, errors = 0;
    TBeepHandler old;
    BeepCounter()
    {
        old = SetBeepHandler([this](TBeepKind k) { (k == bkError ? errors : defaults)++; });
    }
    ~BeepCounter() { SetBeepHandler(old); }
};

struct EditWindow
{
    QWidget window;
    TCustomFormEdit *edit;
    TDropDownForm *form;
    int oks = 0, cancels = 0, ups = 0, downs = 0, bits = 0;
    explicit EditWindow(QPoint at = QPoint(50, 50))
    {
        auto *l = new QVBoxLayout(&window);
        edit = new TCustomFormEdit(&window);
        l->addWidget(edit);
        form = new TDropDownForm(&window);
        edit->SetForm(form);
        edit->OnFormOk = [this](QObject *) { ++oks; };
        edit->OnFormCancel = [this](QObject *) { ++cancels; };
        edit->OnUpClick = [this](QObject *) { ++ups; };
        edit->OnDownClick = [this](QObject *) { ++downs; };
        edit->OnBitButtonClick = [this](QObject *) { ++bits; };
        window.move(at);
        window.resize(200, 40);
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
        edit->setFocus();
    }
};

} // namespace

TEST(ButtonEditGui, TypesEveryCharacterButTheStar)
{
    BeepCounter beeps;
    EditWindow w;
    QTest::keyClicks(w.edit, "jaj*1");
    EXPECT_EQ(w.edit->Text(), "jaj1");
    EXPECT_EQ(beeps.defaults, 1);
    // The numeric-pad '*' drops the form down and types nothing.
    QTest::keyClick(w.edit, Qt::Key_Asterisk, Qt::KeypadModifier);
    EXPECT_EQ(w.bits, 1);
    EXPECT_TRUE(w.form->isVisible());
    EXPECT_EQ(w.edit->Text(), "jaj1");
    w.form->close();
}

TEST(ButtonEditGui, EditorDisabledRefusesTypingAndPaste)
{
    BeepCounter beeps;
    EditWindow w;
    w.edit->SetText("abc");
    w.edit->SetEditorEnabled(false);
    w.edit->setCursorPosition(3);
    QTest::keyClicks(w.edit, "x");
    QTest::keyClick(w.edit, Qt::Key_Backspace);
    QTest::keyClick(w.edit, Qt::Key_Home);
    QTest::keyClick(w.edit, Qt::Key_Delete);
    EXPECT_EQ(w.edit->Text(), "abc");
    EXPECT_EQ(beeps.defaults, 2);
    QApplication::clipboard()->setText("zz");
    w.edit->selectAll();
    QTest::keyClick(w.edit, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(w.edit, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(w.edit->Text(), "abc");
    w.edit->SetEditorEnabled(true);
    QTest::keyClick(w.edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(w.edit->Text(), "zz");
}

TEST(ButtonEditGui, ReadOnlyDisablesButtonsBeepsAndDropsNothing)
{
    BeepCounter beeps;
    EditWindow w;
    QTest::keyClick(w.edit, Qt::Key_Up);
    QTest::keyClick(w.edit, Qt::Key_Down);
    QTest::mouseClick(w.edit->UpButton(), Qt::LeftButton);
    EXPECT_EQ(w.ups, 2);
    EXPECT_EQ(w.downs, 1);

    w.edit->SetReadOnly(true);
    EXPECT_FALSE(w.edit->BitButton()->isEnabled());
    EXPECT_FALSE(w.edit->UpButton()->isEnabled());
    QTest::keyClick(w.edit, Qt::Key_Up);
    QTest::keyClick(w.edit, Qt::Key_Down);
    EXPECT_EQ(beeps.errors, 2);
    EXPECT_EQ(w.ups, 2);
    EXPECT_EQ(w.downs, 1);
    QTest::keyClick(w.edit, Qt::Key_Asterisk, Qt::KeypadModifier);
    EXPECT_FALSE(w.form->isVisible());

    w.edit->SetReadOnly(false);
    EXPECT_TRUE(w.edit->BitButton()->isEnabled());
    w.edit->setEnabled(false);
    EXPECT_FALSE(w.edit->BitButton()->isEnabled());
    w.edit->DropDown();
    EXPECT_FALSE(w.form->isVisible());
}

TEST(ButtonEditGui, TextStaysClearOfTheButtons)
{
    EditWindow w;
    EXPECT_EQ(w.edit->textMargins().right(), 2 * TCustomButtonEdit::ButtonWidth);
    w.edit->SetSpinButtonVisible(false);
    EXPECT_EQ(w.edit->textMargins().right(), TCustomButtonEdit::ButtonWidth);
    EXPECT_EQ(w.edit->BitButton()->geometry().right(),
              w.edit->width() - 1
                  - w.edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, w.edit));
    w.edit->resize(w.edit->width(), 3);
    EXPECT_GE(w.edit->height(), w.edit->fontMetrics().height());
}

TEST(DropDownFormGui, EnterIsOkAndClickOutsideIsCancel)
{
    EditWindow w;
    w.edit->DropDown();
    ASSERT_TRUE(w.form->isVisible());
    QTest::keyClick(w.form, Qt::Key_Return);
    EXPECT_FALSE(w.form->isVisible());
    EXPECT_EQ(w.oks, 1);
    EXPECT_EQ(w.cancels, 0);
    EXPECT_EQ(w.form->ModalResult(), mrOk);

    QTest::mouseClick(w.edit->BitButton(), Qt::LeftButton);
    ASSERT_TRUE(w.form->isVisible());
    QTest::mouseClick(w.form, Qt::LeftButton, {}, QPoint(-20, -20));
    EXPECT_FALSE(w.form->isVisible());
    EXPECT_EQ(w.cancels, 1);
    EXPECT_EQ(w.form->ModalResult(), mrCancel);

    w.edit->DropDown();
    QTest::keyClick(w.form, Qt::Key_Escape);
    EXPECT_FALSE(w.form->isVisible());
    EXPECT_EQ(w.cancels, 2);   // once, not again when the form hides
    EXPECT_EQ(w.oks, 1);
}

TEST(DropDownFormGui, OneFormAnswersTheEditThatLastTouchedIt)
{
    EditWindow w;
    auto *other = new TCustomFormEdit(&w.window);
    int otherOks = 0;
    other->OnFormOk = [&](QObject *) { ++otherOks; };
    other->SetForm(w.form);
    w.edit->Form();   // the first edit takes the answers back
    w.form->Ok();
    EXPECT_EQ(w.oks, 1);
    EXPECT_EQ(otherOks, 0);
    other->DropDown();
    QTest::keyClick(w.form, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(otherOks, 1);
    EXPECT_EQ(w.oks, 1);
}

TEST(DropDownFormGui, DropsAboveAnEditNearTheBottom)
{
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    EditWindow w(QPoint(area.left() + 10, area.bottom() - 60));
    w.edit->DropDown();
    const QPoint editTop = w.edit->mapToGlobal(QPoint(0, 0));
    EXPECT_EQ(w.form->geometry().bottom() + 1, editTop.y());
    EXPECT_EQ(w.form->geometry().left(), editTop.x());
    w.form->close();

    EditWindow high(QPoint(area.left() + 10, area.top() + 10));
    high.edit->DropDown();
    const QPoint below = high.edit->mapToGlobal(QPoint(0, high.edit->height()));
    EXPECT_EQ(high.form->geometry().topLeft(), below);
    high.form->close();
}

TEST(DropDownPlacement, BelowAboveLargerSideAndRightEdge)
{
    const QRect area(0, 0, 1000, 700);
    const QRect form(0, 0, 300, 200);
    QRect owner(100, 100, 120, 20);
    EXPECT_EQ(TDropDownForm::PlaceForm(area, &owner, form, -5, 2), QRect(95, 122, 300, 200));
    owner = QRect(100, 600, 120, 20);
    EXPECT_EQ(TDropDownForm::PlaceForm(area, &owner, form, 0, 2), QRect(100, 398, 300, 200));
    // Neither side has room: the larger side, shortened to fit.
    const QRect tall(0, 0, 300, 500);
    owner = QRect(100, 300, 120, 20);   // 380 below, 300 above
    EXPECT_EQ(TDropDownForm::PlaceForm(area, &owner, tall, 0, 0), QRect(100, 320, 300, 380));
    owner = QRect(100, 390, 120, 20);   // 290 below, 390 above: above wins
    EXPECT_EQ(TDropDownForm::PlaceForm(area, &owner, tall, 0, 0), QRect(100, 0, 300, 390));
    // Past the right edge: pushed back; wider than the area: the whole width.
    owner = QRect(900, 100, 80, 20);
    EXPECT_EQ(TDropDownForm::PlaceForm(area, &owner, form, 0, 0), QRect(700, 120, 300, 200));
    EXPECT_EQ(TDropDownForm::PlaceForm(area, &owner, QRect(0, 0, 1200, 100), 0, 0),
              QRect(0, 120, 1000, 100));
    // A negative position becomes 0.
    owner = QRect(2, 100, 80, 20);
    EXPECT_EQ(TDropDownForm::PlaceForm(area, &owner, form, -10, 0).left(), 0);
}

TEST(DropDownPlacement, WithoutOwnerEachAxisAlone)
{
    const QRect area(0, 0, 1000, 700);
    EXPECT_EQ(TDropDownForm::PlaceForm(area, nullptr, QRect(100, 100, 300, 200), 0, 0),
              QRect(100, 100, 300, 200));
    // No room right of 800: on the other side of the point.
    EXPECT_EQ(TDropDownForm::PlaceForm(area, nullptr, QRect(800, 600, 300, 200), 0, 0),
              QRect(500, 400, 300, 200));
    // Nor on the other side: against the far edge; too large: the whole area.
    EXPECT_EQ(TDropDownForm::PlaceForm(area, nullptr, QRect(200, 650, 900, 200), 0, 0),
              QRect(100, 450, 900, 200));
    EXPECT_EQ(TDropDownForm::PlaceForm(area, nullptr, QRect(10, 10, 1100, 800), 0, 0),
              QRect(0, 0, 1000, 700));
}
