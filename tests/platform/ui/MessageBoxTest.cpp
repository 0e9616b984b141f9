// The real message box and input box, pressed with real keys, and the
// exception box of the event loop.
#include "platform/Exception.h"
#include "platform/ui/MessageBox.h"
#include "support/ScopedDialogAnswers.h"
#include "support/TestEnv.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <stdexcept>

using platform::MessageBoxRequest;

namespace {

MessageBoxRequest Question(const QString &text)
{
    MessageBoxRequest r;
    r.Kind = mtConfirmation;
    r.Caption = QStringLiteral("Въпрос");
    r.Text = text;
    r.Buttons = {{mbYes, QStringLiteral("&Да")}, {mbNo, QStringLiteral("&Не")},
                 {mbCancel, QStringLiteral("Отказ")}};
    r.DefaultButton = mbNo;
    r.EscapeButton = mbCancel;
    return r;
}

TModalResult ShowWithKey(const MessageBoxRequest &r, int key)
{
    testsupport::PressKeyOnNextModal(key);
    platform::QtDialogBackend real;
    return real.ShowMessageBox(r);
}

// The push buttons of a box from left to right.
QStringList ButtonTextsInOrder(QWidget *box)
{
    QList<QPushButton *> buttons = box->findChildren<QPushButton *>();
    buttons.erase(std::remove_if(buttons.begin(), buttons.end(),
                                 [](QPushButton *b) { return !b->isVisible(); }),
                  buttons.end());
    std::sort(buttons.begin(), buttons.end(),
              [](QPushButton *a, QPushButton *b) { return a->x() < b->x(); });
    QStringList texts;
    for (QPushButton *b : buttons)
        texts << b->text();
    return texts;
}

} // namespace

TEST(MessageBoxGui, EnterPressesTheDefaultButtonAndEscTheEscapeButton)
{
    EXPECT_EQ(ShowWithKey(Question("Запис?"), Qt::Key_Return), mrNo);
    EXPECT_EQ(ShowWithKey(Question("Запис?"), Qt::Key_Enter), mrNo);
    EXPECT_EQ(ShowWithKey(Question("Запис?"), Qt::Key_Escape), mrCancel);

    MessageBoxRequest okCancel = Question("Печат?");
    okCancel.Buttons = {{mbOK, "OK"}, {mbCancel, "Отказ"}};
    okCancel.DefaultButton = mbOK;
    EXPECT_EQ(ShowWithKey(okCancel, Qt::Key_Return), mrOk);
    EXPECT_EQ(ShowWithKey(okCancel, Qt::Key_Escape), mrCancel);
}

TEST(MessageBoxGui, MnemonicLetterPressesItsButton)
{
    testsupport::OnNextModal([](QWidget *box) {
        // The letter alone, without Alt, as in the system's dialogs.
        const int key = QChar(u'Д').unicode();
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QStringLiteral("д"));
        QApplication::sendEvent(box, &press);
    });
    platform::QtDialogBackend real;
    EXPECT_EQ(real.ShowMessageBox(Question("Изтриване?")), mrYes);
}

TEST(MessageBoxGui, ShowsCaptionIconButtonsInOrderAndTextAsPlainText)
{
    QString title, text;
    QStringList buttons;
    Qt::TextFormat format = Qt::AutoText;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString shownLabel;
    testsupport::OnNextModal([&](QWidget *w) {
        auto *box = qobject_cast<QMessageBox *>(w);
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        text = box->text();
        format = box->textFormat();
        icon = box->icon();
        buttons = ButtonTextsInOrder(box);
        for (QLabel *label : box->findChildren<QLabel *>()) {
            if (label->text().contains("Хляб"))
                shownLabel = label->text();
        }
        box->grab().save(testsupport::OutputPath("message_box_question.png"));
        QTest::keyClick(box, Qt::Key_Escape);
    });
    platform::QtDialogBackend real;
    real.ShowMessageBox(Question("Изделие <b>Хляб</b> 100 %s\rЖелаете ли?"));

    EXPECT_EQ(title, "Въпрос");
    EXPECT_EQ(icon, QMessageBox::Question);
    EXPECT_EQ(format, Qt::PlainText);
    EXPECT_EQ(text, "Изделие <b>Хляб</b> 100 %s\nЖелаете ли?");
    EXPECT_EQ(shownLabel, text);
    EXPECT_EQ(buttons, QStringList({"&Да", "&Не", "Отказ"}));
}

TEST(MessageBoxGui, HelpButtonLeavesTheQuestionOpen)
{
    MessageBoxRequest r = Question("Помощ?");
    r.Buttons.push_back({mbHelp, "&Help"});
    int shownAgain = 0;
    testsupport::OnNextModal([&](QWidget *box) {
        for (QPushButton *b : box->findChildren<QPushButton *>()) {
            if (b->text() == "&Help") {
                testsupport::OnNextModal([&](QWidget *again) {
                    ++shownAgain;
                    QTest::keyClick(again, Qt::Key_Escape);
                });
                b->click();
            }
        }
    });
    platform::QtDialogBackend real;
    EXPECT_EQ(real.ShowMessageBox(r), mrCancel);
    EXPECT_EQ(shownAgain, 1);
}

TEST(MessageBoxGui, BoxGrowsWithTheLinesOfItsText)
{
    auto heightFor = [](const QString &text) {
        int height = 0;
        testsupport::OnNextModal([&](QWidget *box) {
            height = box->height();
            QTest::keyClick(box, Qt::Key_Return);
        });
        MessageBoxRequest r;
        r.Kind = mtError;
        r.Caption = "Грешка!";
        r.Text = text;
        r.Buttons = {{mbOK, "OK"}};
        platform::QtDialogBackend().ShowMessageBox(r);
        return height;
    };
    const int one = heightFor("Въведете шифър.");
    const int six = heightFor("Въведете шифър.\n\rВъведете мярка.\n\rВъведете група.\n\r"
                              "Въведете подгрупа.\n\rВъведете ресурс\n\rВъведете изделие");
    EXPECT_GT(six, one + 40);
}

TEST(MessageBoxText, WindowsLineBreaksBecomeOneBreakEach)
{
    using platform::DialogDisplayText;
    EXPECT_EQ(DialogDisplayText("a\rb"), "a\nb");
    EXPECT_EQ(DialogDisplayText("a\nb"), "a\nb");
    EXPECT_EQ(DialogDisplayText("a\r\nb"), "a\nb");
    EXPECT_EQ(DialogDisplayText("a\n\rb\n\r"), "a\nb\n");
    EXPECT_EQ(DialogDisplayText("a\r\rb"), "a\n\nb");
    EXPECT_EQ(DialogDisplayText("a\r\n\rb"), "a\n\nb");
    EXPECT_EQ(DialogDisplayText("100 %d"), "100 %d");
}

TEST(InputBoxGui, MaskedEntryConfirmedWithEnterAndCancelledWithEsc)
{
    platform::InputBoxRequest r;
    r.Caption = "Годишна база";
    r.Prompt = "Въведете парола";
    r.MaskChar = '*';
    r.OkCaption = "Продължи";
    r.CancelCaption = "Отказ";

    QString shown, title, prompt;
    QStringList buttons;
    testsupport::OnNextModal([&](QWidget *dialog) {
        title = dialog->windowTitle();
        QLineEdit *edit = dialog->findChild<QLineEdit *>();
        ASSERT_NE(edit, nullptr);
        for (QLabel *label : dialog->findChildren<QLabel *>())
            prompt += label->text();
        buttons = ButtonTextsInOrder(dialog);
        QTest::keyClicks(edit, "2008 ab");
        shown = edit->displayText();
        dialog->grab().save(testsupport::OutputPath("input_box_masked.png"));
        QTest::keyClick(edit, Qt::Key_Return);
    });
    QString value = "стара";
    platform::QtDialogBackend real;
    EXPECT_TRUE(real.ShowInputBox(r, value));
    // The first text is selected, so typing replaces it.
    EXPECT_EQ(value, "2008 ab");
    EXPECT_EQ(shown, "*******");
    EXPECT_EQ(title, "Годишна база");
    EXPECT_EQ(prompt, "Въведете парола");
    EXPECT_TRUE(buttons.contains("Продължи") && buttons.contains("Отказ")) << buttons.join('|').toStdString();

    testsupport::OnNextModal([](QWidget *dialog) {
        QLineEdit *edit = dialog->findChild<QLineEdit *>();
        QTest::keyClicks(edit, "xyz");
        QTest::keyClick(edit, Qt::Key_Escape);
    });
    value = "стара";
    EXPECT_FALSE(real.ShowInputBox(r, value));
    EXPECT_EQ(value, "стара");
}

TEST(InputBoxGui, NoMaskCharShowsTheTextTyped)
{
    platform::InputBoxRequest r;
    r.Caption = "Име";
    r.Prompt = "Име <b>";
    r.OkCaption = "Продължи";
    r.CancelCaption = "Отказ";
    QString shown;
    Qt::TextFormat promptFormat = Qt::AutoText;
    testsupport::OnNextModal([&](QWidget *dialog) {
        QLineEdit *edit = dialog->findChild<QLineEdit *>();
        QTest::keyClicks(edit, "abc");
        shown = edit->displayText();
        promptFormat = dialog->findChild<QLabel *>()->textFormat();
        QTest::keyClick(edit, Qt::Key_Enter);
    });
    QString value;
    EXPECT_TRUE(platform::QtDialogBackend().ShowInputBox(r, value));
    EXPECT_EQ(shown, "abc");
    EXPECT_EQ(value, "abc");
    EXPECT_EQ(promptFormat, Qt::PlainText);
}

TEST(ExceptionBox, ShowsTheMessageUnderTheApplicationTitleWithOk)
{
    platform::SetApplicationTitle("Tolvex2000");
    testsupport::ScopedDialogAnswers dialogs;
    platform::ShowException(Exception("Файлът не е намерен"));
    platform::ShowException(EConvertError("Грешна дата!"));
    platform::ShowException(std::runtime_error("disk full"));
    platform::ShowExceptionMessage("Край.");
    platform::ShowExceptionMessage("");
    platform::SetApplicationTitle(QString());

    ASSERT_EQ(dialogs.Shown().size(), 5u);
    const testsupport::ShownDialog &first = dialogs.Shown()[0];
    EXPECT_EQ(first.Kind, mtError);
    EXPECT_EQ(first.Caption, "Tolvex2000");
    EXPECT_EQ(first.ButtonCaptions, QStringList{"OK"});
    EXPECT_EQ(first.DefaultButton, mbOK);
    EXPECT_EQ(first.EscapeButton, mbOK);
    // A full stop closes a message that does not end in one (or in '!').
    EXPECT_EQ(dialogs.Texts(), QStringList({"Файлът не е намерен.", "Грешна дата!", "disk full.",
                                            "Край.", ""}));
}

TEST(ExceptionBox, TitleFallsBackToTheApplicationDisplayName)
{
    platform::SetApplicationTitle(QString());
    EXPECT_EQ(platform::ApplicationTitle(), QGuiApplication::applicationDisplayName());
}

TEST(ExceptionBoxGui, RealBoxClosesWithEnter)
{
    QString title;
    testsupport::OnNextModal([&](QWidget *box) {
        title = box->windowTitle();
        QTest::keyClick(box->focusWidget(), Qt::Key_Return);
    });
    platform::SetApplicationTitle("Tolvex2000");
    platform::ShowExceptionMessage("Няма връзка");
    platform::SetApplicationTitle(QString());
    EXPECT_EQ(title, "Tolvex2000");
}

TEST(MessageBoxGui, ManyButtonsShowTheirCaptionsWhole)
{
    MessageBoxRequest r = Question("Да се изтрият ли избраните документи?");
    r.Buttons = {{mbYes, "&Да"},          {mbNo, "&Не"},          {mbCancel, "Отказ"},
                 {mbRetry, "Отново"},     {mbIgnore, "&Игнориране"}, {mbAll, "&Всички"},
                 {mbNoToAll, "Не за всички"}, {mbYesToAll, "Да за всички"}, {mbHelp, "&Help"}};
    QStringList cut;
    testsupport::OnNextModal([&](QWidget *box) {
        for (QPushButton *b : box->findChildren<QPushButton *>()) {
            if (b->width() < b->sizeHint().width() || !box->rect().contains(b->geometry().translated(
                                                          b->parentWidget()->mapTo(box, QPoint(0, 0)))))
                cut << b->text();
        }
        QTest::keyClick(box, Qt::Key_Escape);
    });
    platform::QtDialogBackend real;
    EXPECT_EQ(real.ShowMessageBox(r), mrCancel);
    EXPECT_EQ(cut, QStringList());
}
