// The float edit: value, rounding, bounds, negative colour, and typing.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QTest>
#include <QWidget>

#include "components/FloatEdit.h"
#include "support/TestEnv.h"

TEST(FloatEdit, ValueReadsRoundedHalfAwayFromZero)
{
    TFloatEdit e;
    EXPECT_EQ("0.00", e.Text());
    e.SetValue(2.675L);
    EXPECT_EQ(2.68L, e.Value());
    EXPECT_EQ("2.68", e.Text());
    e.SetValue(-2.675L);
    EXPECT_EQ(-2.68L, e.Value());
    EXPECT_EQ("-2.68", e.Text());
    e.SetValue(1.005L);
    EXPECT_EQ("1.01", e.Text());
    e.SetValue(0.125L);
    EXPECT_EQ("0.13", e.Text());
}

TEST(FloatEdit, NeverShowsMinusZeroAndKeepsLargeValues)
{
    TFloatEdit e;
    e.SetValue(-0.004L);
    EXPECT_EQ("0.00", e.Text());
    EXPECT_FALSE(std::signbit(e.Value()));
    e.SetValue(12345678901.25L);
    EXPECT_EQ("12345678901.25", e.Text());
    EXPECT_EQ(12345678901.25L, e.Value());
    e.SetValue(-9876543210.5L);
    EXPECT_EQ("-9876543210.50", e.Text());
    // Past 14 characters the value is still shown as the number it is.
    e.SetValue(123456789012.25L);
    EXPECT_EQ("123456789012.25", e.Text());
    EXPECT_EQ(123456789012.25L, e.Value());
}

TEST(FloatEdit, PrecisionThreeAndFour)
{
    TFloatEdit e;
    e.SetPrecision(3);
    e.SetValue(1.23456L);
    EXPECT_EQ("1.235", e.Text());
    EXPECT_EQ(1.235L, e.Value());
    // The value is kept unrounded until the precision changes, then it is
    // rounded to the new precision.
    e.SetPrecision(4);
    EXPECT_EQ("1.2346", e.Text());
    e.SetPrecision(3);
    e.SetPrecision(4);
    EXPECT_EQ("1.2350", e.Text());
    e.SetValue(0.00005L);
    EXPECT_EQ("0.0001", e.Text());
    e.SetPrecision(2);
    EXPECT_EQ("0.00", e.Text());
    e.SetPrecision(4);
    EXPECT_EQ("0.0000", e.Text());

    QString s;
    e.SetValue(3);
    FloatEditText(e, s);
    EXPECT_EQ("3.0000", s);
}

TEST(FloatEdit, BoundsClampEveryWrite)
{
    TFloatEdit e;
    e.SetValue(-5);
    e.SetValueConstraints({vcMinValue});
    EXPECT_EQ(0.0L, e.Value()); // the new bound applies at once
    e.SetValue(-5);
    EXPECT_EQ(0.0L, e.Value());
    EXPECT_EQ("0.00", e.Text());
    e.SetMinValue(10);
    EXPECT_EQ(10.0L, e.Value());
    e.SetMaxValue(20);
    e.SetValue(25);
    EXPECT_EQ(25.0L, e.Value()); // no upper bound until asked
    e.SetValueConstraints({vcMinValue, vcMaxValue});
    EXPECT_EQ(20.0L, e.Value());
    EXPECT_EQ("20.00", e.Text());
}

TEST(FloatEdit, NegativeValueShowsInItsColour)
{
    TFloatEdit e;
    e.SetValue(-3);
    EXPECT_EQ(clRed, e.FontColor());
    EXPECT_EQ(QColor(255, 0, 0), e.palette().color(QPalette::Text));
    e.NegativeAttrs().SetNegativeColor(0x008000);
    EXPECT_EQ(QColor(0, 0x80, 0), e.palette().color(QPalette::Text));
    e.NegativeAttrs().SetMarkNegative(false);
    EXPECT_EQ(clWindowText, e.FontColor());
    e.NegativeAttrs().SetMarkNegative(true);
    e.SetValue(3);
    EXPECT_EQ(clWindowText, e.FontColor());
    // Rounded to zero: not negative.
    e.SetValue(-0.001L);
    EXPECT_EQ(clWindowText, e.FontColor());
}

TEST(FloatEdit, TextSetReadsIntoValue)
{
    TFloatEdit e;
    e.SetValue(7);
    int changes = 0;
    e.OnChange = [&](QObject *) { ++changes; };
    e.SetText("");
    EXPECT_EQ(0.0L, e.Value());
    EXPECT_EQ("", e.Text());
    EXPECT_GE(changes, 1);

    e.SetText("-12,5");
    EXPECT_EQ(-12.5L, e.Value());
    EXPECT_EQ("-12,5", e.Text()); // the text stays as it was given
    EXPECT_EQ(clRed, e.FontColor());

    // Unreadable text gives way to the last value in its shortest form.
    e.SetText("1.2.3");
    EXPECT_EQ(-12.5L, e.Value());
    EXPECT_EQ("-12.5", e.Text());

    e.SetText("123456789012345678");
    EXPECT_EQ(14, e.Text().size());
    EXPECT_EQ(12345678901234.0L, e.Value());
}

TEST(FloatEdit, ValueWriteKeepsModifiedAndReportsChanges)
{
    TFloatEdit e;
    e.SetModified(true);
    int changes = 0;
    e.OnChange = [&](QObject *) { ++changes; };
    e.SetValue(4);
    EXPECT_TRUE(e.Modified());
    EXPECT_EQ(2, changes); // the text and the value changed
    changes = 0;
    e.SetValue(4.001L); // same rounded value, same text
    EXPECT_EQ(0, changes);
}

namespace {

// A window with the edit and a second edit to move the focus to.
struct EditWindow
{
    QWidget window;
    TFloatEdit *edit;
    QLineEdit *other;
    EditWindow()
    {
        auto *layout = new QHBoxLayout(&window);
        edit = new TFloatEdit(&window);
        other = new QLineEdit(&window);
        layout->addWidget(edit);
        layout->addWidget(other);
        window.show();
        QApplication::setActiveWindow(&window);
        edit->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
    }
    void Type(const QString &keys)
    {
        edit->clear();
        QTest::keyClicks(edit, keys);
    }
    void Leave()
    {
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(edit, &out);
    }
};

} // namespace

TEST(FloatEditGui, TypingCommaGivesDecimalPoint)
{
    EditWindow w;
    w.Type("12,5");
    EXPECT_EQ("12.5", w.edit->Text());
    EXPECT_EQ(12.5L, w.edit->Value());
    w.Leave();
    EXPECT_EQ("12.50", w.edit->Text());
}

TEST(FloatEditGui, TypingMinusAloneReadsZero)
{
    EditWindow w;
    w.Type("-");
    EXPECT_EQ("-", w.edit->Text());
    EXPECT_EQ(0.0L, w.edit->Value());
    EXPECT_EQ(clWindowText, w.edit->FontColor());
    QTest::keyClicks(w.edit, "7");
    EXPECT_EQ(-7.0L, w.edit->Value());
    EXPECT_EQ(clRed, w.edit->FontColor());
    QImage shot = w.window.grab().toImage();
    shot.save(testsupport::OutputPath("floatedit-negative.png"));
}

TEST(FloatEditGui, SecondDecimalPointIsRepaired)
{
    EditWindow w;
    w.Type("1.2.");
    EXPECT_EQ("1.2", w.edit->Text());
    EXPECT_EQ(1.2L, w.edit->Value());
    QTest::keyClicks(w.edit, "3");
    EXPECT_EQ("1.23", w.edit->Text());
    // A pasted unreadable text also gives way to the value.
    w.edit->selectAll();
    w.edit->insert("4.5.6");
    EXPECT_EQ("1.23", w.edit->Text());
}

TEST(FloatEditGui, SpacesAndLettersAndOverlongTextAreRefused)
{
    EditWindow w;
    w.Type("1 2");
    EXPECT_EQ("12", w.edit->Text());
    w.Type("123456789012345678");
    EXPECT_EQ("12345678901234", w.edit->Text());
    QTest::keyClick(w.edit, Qt::Key_Backspace);
    EXPECT_EQ("1234567890123", w.edit->Text());
    w.Type("5x");
    EXPECT_EQ("5", w.edit->Text()); // 'x' made the text unreadable
    EXPECT_EQ(5.0L, w.edit->Value());
}

TEST(FloatEditGui, PrecisionThreeTypedAndShownOnExit)
{
    EditWindow w;
    w.edit->SetPrecision(3);
    w.Type("2,3456");
    EXPECT_EQ(2.346L, w.edit->Value());
    w.Leave();
    EXPECT_EQ("2.346", w.edit->Text());
    w.edit->SetPrecision(4);
    w.Type("0.00005");
    w.Leave();
    EXPECT_EQ("0.0001", w.edit->Text());
}

TEST(FloatEditGui, TypedValueBelowMinimumIsRefused)
{
    EditWindow w;
    w.edit->SetValueConstraints({vcMinValue});
    w.edit->SetMinValue(0);
    w.Type("-5");
    EXPECT_EQ(0.0L, w.edit->Value());
    EXPECT_EQ(clWindowText, w.edit->FontColor());
    w.Leave();
    EXPECT_EQ("0.00", w.edit->Text());
}

TEST(FloatEditGui, EnterAndCommaNeverReachKeyDown)
{
    EditWindow w;
    QList<int> keys;
    QString pressed;
    w.edit->OnKeyDown = [&](QObject *, int &Key, Qt::KeyboardModifiers) {
        keys << Key;
        if (Key == Qt::Key_A)
            Key = 0;
    };
    w.edit->OnKeyPress = [&](QObject *, QChar &Key) { pressed += Key; };
    w.edit->clear();
    QTest::keyClick(w.edit, Qt::Key_1);
    QTest::keyClick(w.edit, Qt::Key_Comma, Qt::NoModifier);
    QTest::keyClick(w.edit, Qt::Key_Return);
    QTest::keyClick(w.edit, Qt::Key_A);
    QTest::keyClick(w.edit, Qt::Key_5);
    EXPECT_EQ((QList<int>{Qt::Key_1, Qt::Key_A, Qt::Key_5}), keys);
    EXPECT_EQ("1.5", pressed);
    EXPECT_EQ("1.5", w.edit->Text());
}

TEST(FloatEditGui, EntrySelectsAllSoTypingReplaces)
{
    EditWindow w;
    w.edit->SetValue(8);
    w.other->setFocus(Qt::TabFocusReason);
    QFocusEvent in(QEvent::FocusIn, Qt::TabFocusReason);
    QApplication::sendEvent(w.edit, &in);
    EXPECT_EQ("8.00", w.edit->selectedText());
    QTest::keyClicks(w.edit, "9");
    EXPECT_EQ("9", w.edit->Text());
    EXPECT_EQ(9.0L, w.edit->Value());
}

TEST(FloatEditGui, NumberTooLongToShowIsRefused)
{
    EditWindow w;
    w.Type("5");
    // A pasted "1e20" reads as a number of 21 digits: cut to the edit's 14
    // characters it would show another number than the one saved.
    w.edit->selectAll();
    w.edit->insert("1e20");
    EXPECT_EQ(5.0L, w.edit->Value());
    EXPECT_EQ("5", w.edit->Text());
    w.Leave();
    EXPECT_EQ("5.00", w.edit->Text());
    // What fits stays.
    w.edit->selectAll();
    w.edit->insert("1e13");
    EXPECT_EQ(1e13L, w.edit->Value());
    w.Leave();
    EXPECT_EQ("10000000000000.00", w.edit->Text());
    EXPECT_EQ(1e13L, w.edit->Value());
}

TEST(FloatEditGui, MenuOrOtherWindowIsNoExitNorEntry)
{
    EditWindow w;
    int enters = 0;
    int exits = 0;
    w.edit->OnEnter = [&](QObject *) { ++enters; };
    w.edit->OnExit = [&](QObject *) { ++exits; };
    w.Type("12.");
    // Away to another application and back: the text stays as typed, is not
    // selected, and the typing goes on.
    QFocusEvent away(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(w.edit, &away);
    QFocusEvent back(QEvent::FocusIn, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(w.edit, &back);
    EXPECT_EQ("12.", w.edit->Text());
    EXPECT_FALSE(w.edit->hasSelectedText());
    QTest::keyClicks(w.edit, "5");
    EXPECT_EQ("12.5", w.edit->Text());
    EXPECT_EQ(0, enters);
    EXPECT_EQ(0, exits);

    // Away to a menu, then on to another control: that is the exit.
    QFocusEvent menu(QEvent::FocusOut, Qt::PopupFocusReason);
    QApplication::sendEvent(w.edit, &menu);
    EXPECT_EQ(0, exits);
    w.other->setFocus(Qt::MouseFocusReason);
    QApplication::processEvents();
    EXPECT_EQ(1, exits);
    EXPECT_EQ("12.50", w.edit->Text());

    // Entering again selects the text.
    w.edit->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    EXPECT_EQ(1, enters);
    EXPECT_EQ("12.50", w.edit->selectedText());
}
