// Validators, the filtered date edit and the limited edit: states, colours,
// texts, and what typing, deleting and pasting do, through QTest keys.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QTest>

#include "components/LimitedEdit.h"
#include "support/ScopedDialogAnswers.h"
#include <QDirIterator>
#include <QFile>
#include <QHBoxLayout>
#include <QLineEdit>
#include "components/QuorendDateEdit.h"
#include "core/uHelpers.h"

namespace {

TValidateState InRange(const QDate &from, const QDate &to, const QString &text)
{
    TDateValidator v;
    v.SetFromDate(from);
    v.SetToDate(to);
    return v.Validate(text);
}

// Types each character of Text as a key press that carries it (QTest's key
// clicks know only ASCII).
void Type(QWidget *w, const QString &Text)
{
    for (const QChar c : Text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &release);
    }
}

void Leave(QWidget *w)
{
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(w, &out);
}

} // namespace

TEST(DateValidator, StatesWhileADateIsTyped)
{
    TDateValidator v;   // 01.01.1900 .. 31.12. of this year
    v.SetToDate(QDate(2026, 12, 31));
    for (const char *s : {"1", "15", "0", "15.", "15.3", "15.3.", "15,3,", "15.0", "15.03.2",
                          "15.03.202", "31.12."})
        EXPECT_EQ(v.Validate(s), vsStillValid) << s;
    EXPECT_EQ(v.Validate("15.03.2024"), vsValid);
    EXPECT_EQ(v.Validate("1.1.1900"), vsValid);
    for (const char *s : {"32", "123", "15.13", "0.3", "32.", "31.2.", "15.03.20245", "1.1.1899",
                          "1.1.2027", "1.2.3.4", ".3", "15..2024", "15.100"})
        EXPECT_EQ(v.Validate(s), vsInvalid) << s;
    EXPECT_EQ(v.Validate("abc"), vsInvalidChars);
    EXPECT_EQ(v.Validate("15.03.2O24"), vsInvalidChars);
    EXPECT_EQ(v.Validate(""), vsNone);
    EXPECT_TRUE(v.IsValid("15.03.2024"));
    EXPECT_FALSE(v.IsValid("15.3"));
    EXPECT_TRUE(v.IsAcceptable("15.3"));
    EXPECT_FALSE(v.IsAcceptable("32"));
}

TEST(DateValidator, LeapDayIsStillValidWhenTheRangeHasALeapYear)
{
    // Middle year 2025 is no leap year, but 2024 is in the range.
    EXPECT_EQ(InRange(QDate(2024, 1, 1), QDate(2026, 12, 31), "29.2."), vsStillValid);
    EXPECT_EQ(InRange(QDate(2025, 1, 1), QDate(2027, 12, 31), "29.2."), vsInvalid);
    EXPECT_EQ(InRange(QDate(2024, 1, 1), QDate(2024, 12, 31), "29.2."), vsStillValid);
    EXPECT_EQ(InRange(QDate(2024, 1, 1), QDate(2026, 12, 31), "29.02.2025"), vsInvalid);
}

TEST(DateValidator, StateTexts)
{
    TDateValidator v;
    v.SetToDate(QDate(2026, 12, 31));
    QString t;
    v.GetStateText(vsNone, t);
    EXPECT_EQ(t, "Въведете дата (01.01.1900-31.12.2026).");
    v.GetStateText(vsValid, t);
    EXPECT_EQ(t, "Датата е валидна.");
    v.GetStateText(vsStillValid, t);
    EXPECT_EQ(t, "Датата е все още валидна.");
    v.GetStateText(vsInvalid, t);
    EXPECT_EQ(t, "Невалидна дата.");
    v.GetStateText(vsInvalidChars, t);
    EXPECT_EQ(t, "Невалидни символи.");
    v.GetStateText(static_cast<TValidateState>(9), t);
    EXPECT_EQ(t, "Няма информация.");
    TCustomValidator base;
    base.GetStateText(vsValid, t);
    EXPECT_EQ(t, "");
}

TEST(CustomValidator, LengthCharactersAndMask)
{
    TCustomValidator v;
    v.SetMaxLength(3);
    EXPECT_EQ(v.Validate("abcd"), vsInvalid);
    v.SetInvalidChars("@");
    EXPECT_EQ(v.Validate("a@"), vsInvalidChars);
    v.SetMask("[A,B]#");
    v.SetUseMask(true);
    EXPECT_EQ(v.Validate("A1"), vsValid);
    EXPECT_EQ(v.Validate("C1"), vsInvalid);
    v.SetUseMask(false);
    EXPECT_EQ(v.Validate("C1"), vsValid);
}

TEST(QuorendDateEditGui, TypingShowsTheStateInColourAndWords)
{
    TQuorendDateEdit e;
    QLabel info;
    e.SetInfoPanel(&info);
    e.show();
    EXPECT_EQ(info.text(), "Въведете дата (01.01.1900-01.01.3000).");
    QTest::keyClicks(&e, "15,");
    EXPECT_EQ(e.Text(), "15.");
    EXPECT_EQ(e.DataState(), vsStillValid);
    EXPECT_EQ(e.StateColor(), TColor(0xFF0000));
    EXPECT_EQ(info.text(), "Датата е все още валидна.");
    QTest::keyClicks(&e, "03.2024");
    EXPECT_EQ(e.Text(), "15.03.2024");
    EXPECT_EQ(e.DataState(), vsValid);
    EXPECT_EQ(e.StateColor(), TColor(0));
    EXPECT_EQ(info.text(), "Датата е валидна.");
    EXPECT_EQ(e.Date(), QDate(2024, 3, 15));
    EXPECT_TRUE(e.Modified());
}

TEST(QuorendDateEditGui, KeysThatWouldMakeTheTextInvalidChangeNothing)
{
    TQuorendDateEdit e;
    e.show();
    QTest::keyClicks(&e, "3x2");   // a letter, then a day of 32
    EXPECT_EQ(e.Text(), "3");
    e.SetText("15.03.2024");
    e.setCursorPosition(3);
    QTest::keyClick(&e, Qt::Key_Backspace);   // 1503.2024 would be invalid
    EXPECT_EQ(e.Text(), "15.03.2024");
    EXPECT_EQ(e.cursorPosition(), 3);
    QTest::keyClick(&e, Qt::Key_End);
    QTest::keyClick(&e, Qt::Key_Backspace);
    EXPECT_EQ(e.Text(), "15.03.202");
    EXPECT_EQ(e.DataState(), vsStillValid);
    QTest::keyClick(&e, Qt::Key_Up);
    EXPECT_EQ(e.Text(), "15.03.202");

    QApplication::clipboard()->setText("abc");
    e.selectAll();
    QTest::keyClick(&e, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(e.Text(), "15.03.202");
    QApplication::clipboard()->setText("01.02.2025");
    e.selectAll();
    QTest::keyClick(&e, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(e.Text(), "01.02.2025");
    EXPECT_EQ(e.cursorPosition(), 10);
    // Shift+Delete with nothing selected does nothing.
    e.setCursorPosition(0);
    QTest::keyClick(&e, Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_EQ(e.Text(), "01.02.2025");
}

TEST(QuorendDateEditGui, LeavingCompletesTheDateAsItsValidatorReadsIt)
{
    const QDate today = QDate::currentDate();
    TQuorendDateEdit e;
    e.SetText("15");
    Leave(&e);
    EXPECT_EQ(e.Text(), DateToDisplayText(QDate(today.year(), today.month(), 15)));
    // A short year is a year still being typed: never the year 24.
    e.SetText("15,3,24");
    EXPECT_EQ(e.DataState(), vsStillValid);
    Leave(&e);
    EXPECT_EQ(e.Text(), DateToDisplayText(QDate(today.year(), 3, 15)));
    e.SetText("31.2");   // still valid while typed, but no such day
    EXPECT_EQ(e.DataState(), vsStillValid);
    EXPECT_FALSE(e.Date().isValid());
    Leave(&e);
    EXPECT_EQ(e.Text(), "31.2");
    e.SetText("");
    Leave(&e);
    EXPECT_EQ(e.Text(), "");
    EXPECT_FALSE(e.Date().isValid());
    EXPECT_EQ(e.DateOrToDate(), QDate(3000, 1, 1));
    e.SetValidateOnExit(false);
    e.SetText("15,3");
    Leave(&e);
    EXPECT_EQ(e.Text(), "15.3");
    e.SetDate(QDate(2025, 7, 4));
    EXPECT_EQ(e.Text(), "04.07.2025");
}

TEST(LimitedEditGui, AcceptsOnlyTheCharacterSet)
{
    TLimitedEdit e;
    e.SetValidChars("A-Z;А-Я;0-9;a-z;а-я;*;-;=;+;[;];.; ;:;/;,;--");
    e.show();
    Type(&e, "Аб;-_\"9z");
    EXPECT_EQ(e.Text(), "Аб;-9z");
    for (const char *c : {";", "-", "*", "Я", "я", "/", ",", " "})
        EXPECT_TRUE(e.IsAllowed(QString::fromUtf8(c)[0])) << c;
    for (const char *c : {"_", "\"", "!", "Ё", "ё", "'"})
        EXPECT_FALSE(e.IsAllowed(QString::fromUtf8(c)[0])) << c;
    e.SetText("a_b\"c");
    EXPECT_EQ(e.Text(), "abc");
    QApplication::clipboard()->setText("x!y");
    QTest::keyClick(&e, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(e.Text(), "abcxy");
}

TEST(LimitedEditGui, RangesByCodePageCodes)
{
    TLimitedEdit e;
    e.SetValidChars("-");   // every character of the code page
    EXPECT_TRUE(e.IsAllowed(QChar(0x20AC)));   // the euro sign has a code
    EXPECT_FALSE(e.IsAllowed(QChar(0x4E2D)));  // a character without one
    e.SetValidChars("-5");
    EXPECT_TRUE(e.IsAllowed('0'));
    EXPECT_FALSE(e.IsAllowed('6'));
    e.SetValidChars("я-");
    EXPECT_TRUE(e.IsAllowed(QChar(0x044F)));
    EXPECT_FALSE(e.IsAllowed(QChar(0x044E)));   // ю is below я
    e.SetValidChars("--");
    EXPECT_TRUE(e.IsAllowed('-'));
    EXPECT_FALSE(e.IsAllowed(','));
}

TEST(LimitedEditGui, UpperCaseCasingRaisesTypedLetters)
{
    TLimitedEdit e;
    e.SetValidChars("А-Я;A-Z");
    e.SetCharCase(TLimitedEdit::ecUpperCase);
    e.show();
    int changes = 0;
    e.OnChange = [&](QObject *) { ++changes; };
    Type(&e, "аbв");
    EXPECT_EQ(e.Text(), "АBВ");
    EXPECT_EQ(changes, 3);
    e.setText("АБ!");   // a text with a refused character is taken back
    EXPECT_EQ(e.Text(), "АBВ");
    EXPECT_EQ(changes, 3);
}

namespace {

// A date picker on a panel after its label, shown, with the focus.
struct PickerPanel
{
    QWidget panel;
    QLabel *label;
    TQuorendDatePicker *picker;
    int changes = 0;
    PickerPanel()
    {
        auto *layout = new QHBoxLayout(&panel);
        label = new QLabel(QStringLiteral("&От дата:"), &panel);
        picker = new TQuorendDatePicker(&panel);
        layout->addWidget(label);
        layout->addWidget(picker);
        picker->setDate(QDate(2024, 4, 30));
        QObject::connect(picker, &QDateEdit::dateChanged, [this] { ++changes; });
        panel.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&panel));
        panel.activateWindow();
        picker->setFocus();
    }
    QLineEdit *Edit() const { return picker->findChild<QLineEdit *>(); }
    // A click at the left end of the text, as the clerk clicks into the day.
    void ClickAtStart() const { QTest::mouseClick(Edit(), Qt::LeftButton, {}, QPoint(3, Edit()->height() / 2)); }
};

} // namespace

TEST(QuorendDatePickerGui, AClickAndTheDigitsTypeTheDate)
{
    PickerPanel p;
    p.ClickAtStart();
    QTest::keyClicks(p.Edit(), "01");
    EXPECT_EQ(p.Edit()->text(), "01.04.2024");
    EXPECT_EQ(p.picker->date(), QDate(2024, 4, 1));

    // Ctrl+A and a whole date.
    QTest::keyClick(p.Edit(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(p.Edit(), "01.12.2026");
    EXPECT_EQ(p.Edit()->text(), "01.12.2026");
    EXPECT_EQ(p.picker->date(), QDate(2026, 12, 1));
    // Letters type nothing.
    QTest::keyClicks(p.Edit(), "x");
    EXPECT_EQ(p.Edit()->text(), "01.12.2026");
}

TEST(QuorendDatePickerGui, ADayTheMonthLacksNeverBecomesAnotherDate)
{
    testsupport::ScopedDialogAnswers dialogs;
    PickerPanel p;
    p.ClickAtStart();
    QTest::keyClicks(p.Edit(), "31");
    // 31.04 is no date: the text stays as typed, the date as it was.
    EXPECT_EQ(p.Edit()->text(), "31.04.2024");
    EXPECT_EQ(p.picker->date(), QDate(2024, 4, 30));
    EXPECT_TRUE(p.picker->Pending());
    QTest::keyClicks(p.Edit(), "03");
    EXPECT_EQ(p.Edit()->text(), "31.03.2024");
    EXPECT_EQ(p.picker->date(), QDate(2024, 3, 31));
    EXPECT_TRUE(dialogs.Shown().empty());

    // Leaving with a text that names no date: refused, naming the field,
    // and the date held comes back on the screen.
    QTest::keyClick(p.Edit(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(p.Edit(), "31.04.2024");
    EXPECT_EQ(p.picker->date(), QDate(2024, 3, 31));
    EXPECT_FALSE(p.picker->Commit());
    ASSERT_EQ(dialogs.Shown().size(), 1u);
    EXPECT_EQ(dialogs.Shown()[0].Kind, mtError);
    EXPECT_EQ(dialogs.Shown()[0].Text, "Невалидна дата \"31.04.2024\" в поле \"От дата\"!");
    EXPECT_EQ(p.Edit()->text(), "31.03.2024");
    EXPECT_FALSE(p.picker->Pending());
    // A short year is refused too, never read as some other year.
    QTest::keyClick(p.Edit(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(p.Edit(), "5.3.24");
    Leave(p.picker);
    EXPECT_EQ(dialogs.Shown().size(), 2u);
    EXPECT_EQ(p.picker->date(), QDate(2024, 3, 31));
}

TEST(QuorendDatePickerGui, AFieldClosedWithItsWindowAsksNothing)
{
    testsupport::ScopedDialogAnswers dialogs;
    // The field's window inside the main one, as a data window in its frame.
    QWidget main;
    auto *layout = new QHBoxLayout(&main);
    auto *child = new QWidget(&main);
    auto *other = new QLineEdit(&main);
    layout->addWidget(child);
    layout->addWidget(other);
    auto *picker = new TQuorendDatePicker(child);
    picker->setDate(QDate(2024, 4, 30));
    main.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
    main.activateWindow();
    QApplication::setActiveWindow(&main);
    picker->setFocus();
    QTest::keyClick(picker, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(picker, "31.04.2024");
    child->hide();
    EXPECT_TRUE(dialogs.Shown().empty());
    EXPECT_EQ(picker->date(), QDate(2024, 4, 30));
}

TEST(QuorendDatePickerGui, ShortFormsAreCompletedFromToday)
{
    testsupport::ScopedDialogAnswers dialogs;
    const QDate today = QDate::currentDate();
    PickerPanel p;
    QTest::keyClick(p.Edit(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(p.Edit(), "5");
    QTest::keyClick(p.Edit(), Qt::Key_Return);
    EXPECT_EQ(p.picker->date(), QDate(today.year(), today.month(), 5));
    EXPECT_EQ(p.Edit()->text(), DateToDisplayText(QDate(today.year(), today.month(), 5)));
    QTest::keyClick(p.Edit(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(p.Edit(), "7,2");
    Leave(p.picker);
    EXPECT_EQ(p.picker->date(), QDate(today.year(), 2, 7));
    EXPECT_TRUE(dialogs.Shown().empty());
    // Backspace takes the last digit back.
    QTest::keyClick(p.Edit(), Qt::Key_End);
    QTest::keyClick(p.Edit(), Qt::Key_Backspace);
    EXPECT_EQ(p.Edit()->text(), DateToDisplayText(QDate(today.year(), 2, 7)).chopped(1));
}

TEST(QuorendDateEditGui, AClickAndTheDigitsTypeOverTheDate)
{
    TQuorendDateEdit e;
    e.SetText("30.04.2024");
    e.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&e));
    e.setFocus();
    // Typed over digit by digit; a month that would not exist ends its
    // part instead.
    e.setCursorPosition(3);
    QTest::keyClicks(&e, "12");
    EXPECT_EQ(e.Text(), "30.12.2024");
    EXPECT_EQ(e.Date(), QDate(2024, 12, 30));
    e.setCursorPosition(0);
    QTest::keyClicks(&e, "2");
    EXPECT_EQ(e.Text(), "20.12.2024");
    // A day that would not exist: the day is typed anew, and never read
    // as another date.
    e.SetText("30.04.2024");
    e.setCursorPosition(0);
    QTest::keyClicks(&e, "31");
    EXPECT_EQ(e.Text(), "31");
    EXPECT_EQ(e.DataState(), vsStillValid);
    QTest::keyClicks(&e, ".03.2024");
    EXPECT_EQ(e.Text(), "31.03.2024");
    EXPECT_EQ(e.Date(), QDate(2024, 3, 31));
    e.setCursorPosition(0);
    QTest::keyClicks(&e, "01");
    EXPECT_EQ(e.Text(), "01.03.2024");
}

TEST(DateFields, EveryDateFieldOfTheProgramIsTypedAsText)
{
    // A date edit of the class library reads typed digits section by
    // section and turns a day the month lacks into another date: the
    // program's date fields are date pickers.
    QStringList plain;
    QDirIterator files(QStringLiteral(TOLVEX_TEST_DATA "/../../src"), {QStringLiteral("*.cpp")}, QDir::Files,
                       QDirIterator::Subdirectories);
    int pickers = 0;
    while (files.hasNext()) {
        QFile file(files.next());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(file.readAll());
        pickers += static_cast<int>(text.count(QStringLiteral("new TQuorendDatePicker(")));
        if (text.contains(QStringLiteral("new QDateEdit(")) || text.contains(QStringLiteral("new QDateTimeEdit(")))
            plain << file.fileName();
    }
    EXPECT_TRUE(plain.isEmpty()) << plain.join('\n').toStdString();
    EXPECT_GE(pickers, 7);
}
