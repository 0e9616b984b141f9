// The program's dialogs: captions, buttons, Enter and Esc answers, texts
// shown as they stand, and the masked input box.
#include "core/DialogsEx.h"
#include "platform/Exception.h"
#include "support/ScopedDialogAnswers.h"
#include "support/TestEnv.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <functional>
#include <gtest/gtest-spi.h>

using testsupport::ScopedDialogAnswers;
using testsupport::ShownDialog;

namespace {

struct WrapperCase
{
    const char *name;
    std::function<TModalResult(const QString &)> show;
    TMsgDlgType kind;
    QString caption;
    QStringList buttons;
    TMsgDlgBtn defaultButton;
    TMsgDlgBtn escapeButton;
    TModalResult enter;
    TModalResult escape;
    bool question;   // returns the answer
};

std::vector<WrapperCase> Wrappers()
{
    return {
        {"ShowError", [](const QString &m) { ShowError(m); return mrNone; }, mtError, "Грешка!",
         {"OK"}, mbOK, mbOK, mrOk, mrOk, false},
        {"ShowWarning", [](const QString &m) { ShowWarning(m); return mrNone; }, mtWarning,
         "Предупреждение!", {"OK"}, mbOK, mbOK, mrOk, mrOk, false},
        {"AskYesNoCancel", [](const QString &m) { return AskYesNoCancel(m); }, mtConfirmation,
         "Потвърждение!", {"&Да", "&Не", "Отказ"}, mbNo, mbCancel, mrNo, mrCancel, true},
        {"AskOkCancel", [](const QString &m) { return AskOkCancel(m); }, mtConfirmation,
         "Потвърждение!", {"OK", "Отказ"}, mbCancel, mbCancel, mrCancel, mrCancel, true},
    };
}

} // namespace

TEST(DialogsEx, EachWrapperHasItsCaptionButtonsAndEnterAndEscButtons)
{
    for (const WrapperCase &c : Wrappers()) {
        SCOPED_TRACE(c.name);
        ScopedDialogAnswers dialogs;
        dialogs.Enter().Escape();
        const TModalResult enter = c.show("Текст");
        const TModalResult escape = c.show("Текст");
        ASSERT_EQ(dialogs.Shown().size(), 2u);
        const ShownDialog &d = dialogs.Shown()[0];
        EXPECT_EQ(d.Kind, c.kind);
        EXPECT_EQ(d.Caption, c.caption);
        EXPECT_EQ(d.ButtonCaptions, c.buttons);
        EXPECT_EQ(d.DefaultButton, c.defaultButton);
        EXPECT_EQ(d.EscapeButton, c.escapeButton);
        EXPECT_EQ(d.HelpContext, 0);
        EXPECT_EQ(dialogs.Shown()[0].Result, c.enter);
        EXPECT_EQ(dialogs.Shown()[1].Result, c.escape);
        if (c.question) {
            EXPECT_EQ(enter, c.enter);
            EXPECT_EQ(escape, c.escape);
        }
    }
}

TEST(DialogsEx, QuestionsReturnTheButtonPressed)
{
    ScopedDialogAnswers dialogs;
    dialogs.Press(mbYes).Press(mbNo).Press(mbCancel).Press(mbOK).Press(mbCancel);
    EXPECT_EQ(AskYesNoCancel("?"), 6);
    EXPECT_EQ(AskYesNoCancel("?"), 7);
    EXPECT_EQ(AskYesNoCancel("?"), 2);
    EXPECT_EQ(AskOkCancel("?"), 1);
    EXPECT_EQ(AskOkCancel("?"), 2);
}

TEST(DialogsEx, PercentInATextIsShownAsItStands)
{
    ScopedDialogAnswers dialogs;
    const QString texts[] = {"Отстъпка 10 %", "%s %d %.2f %%", "Начислен ДДС %.2f%%:", "%"};
    for (const QString &t : texts) {
        ShowError(t);
        ShowWarning(t);
        AskYesNoCancel(t);
        AskOkCancel(t);
        ShowMessage(t);
        ShowErrorBox(t);
    }
    QStringList expected;
    for (const QString &t : texts)
        expected << t << t << t << t << t << t;
    EXPECT_EQ(dialogs.Texts(), expected);
}

TEST(DialogsEx, WrappersWithArgumentsFillTheFormatFirst)
{
    ScopedDialogAnswers dialogs;
    dialogs.Enter().Enter().Press(mbYes).Escape();
    ShowError("Шифър \"%s\" съществува в таблицата с данни!", {"Хляб 5%"});
    ShowWarning("Грешка при актуализиране на %s на ред %d.", {"va", 9});
    EXPECT_EQ(AskYesNoCancel("Желаете ли да изтриете %s: \"%s\" - \"%s\"?", {"изделие", "12", "Кифла"}),
              mrYes);
    EXPECT_EQ(AskOkCancel("Моля, подгответе печата за стр. %d и натиснете OK ...", {3}), mrCancel);
    // No argument list: the text as it stands, '%' and all.
    ShowError("Начислен ДДС %.2f%%:");
    EXPECT_EQ(dialogs.Texts(),
              (QStringList{"Шифър \"Хляб 5%\" съществува в таблицата с данни!",
                           "Грешка при актуализиране на va на ред 9.",
                           "Желаете ли да изтриете изделие: \"12\" - \"Кифла\"?",
                           "Моля, подгответе печата за стр. 3 и натиснете OK ...",
                           "Начислен ДДС %.2f%%:"}));
    EXPECT_EQ(dialogs.Shown()[1].Caption, "Предупреждение!");

    // Arguments that do not fit the text raise before any box is shown.
    EXPECT_THROW(ShowError("Документ с номер %s съществува !", {15}), EConvertError);
    EXPECT_THROW(AskYesNoCancel("%d", {}), EConvertError);
    EXPECT_EQ(dialogs.Shown().size(), 5u);
}

TEST(DialogsEx, TextKeepsItsLineBreaksForTheCaller)
{
    ScopedDialogAnswers dialogs;
    ShowError("Въведете шифър.\n\rВъведете мярка.\n\r");
    EXPECT_EQ(dialogs.Texts(), QStringList{"Въведете шифър.\n\rВъведете мярка.\n\r"});
}

TEST(DialogsEx, PlainBoxesAndMessageDlg)
{
    platform::SetApplicationTitle("Tolvex2000");
    ScopedDialogAnswers dialogs;
    ShowMessage("Изберете микробус");
    ShowErrorBox("Access violation");
    dialogs.Press(mbRetry);
    const TModalResult r = MessageDlg("Опит", mtInformation,
                                      {mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll, mbHelp},
                                      mbRetry, mbAbort, 77);
    platform::SetApplicationTitle(QString());

    ASSERT_EQ(dialogs.Shown().size(), 3u);
    const ShownDialog &plain = dialogs.Shown()[0];
    EXPECT_EQ(plain.Kind, mtCustom);
    EXPECT_EQ(plain.Caption, "Tolvex2000");
    EXPECT_EQ(plain.ButtonCaptions, QStringList{"OK"});
    const ShownDialog &box = dialogs.Shown()[1];
    EXPECT_EQ(box.Kind, mtCustom);
    EXPECT_EQ(box.Caption, "Грешка");
    EXPECT_EQ(box.Text, "Access violation");
    EXPECT_EQ(box.ButtonCaptions, QStringList{"OK"});
    const ShownDialog &all = dialogs.Shown()[2];
    EXPECT_EQ(all.Caption, "Информация!");
    EXPECT_EQ(all.ButtonCaptions, QStringList({"Отказ", "Отново", "&Игнориране", "&Всички",
                                               "Не за всички", "Да за всички", "&Help"}));
    EXPECT_EQ(all.DefaultButton, mbRetry);
    EXPECT_EQ(all.EscapeButton, mbAbort);
    EXPECT_EQ(all.HelpContext, 77);
    EXPECT_EQ(r, mrRetry);
}

TEST(DialogsEx, ButtonResultsAreTheSystemsModalResults)
{
    const std::pair<TMsgDlgBtn, int> results[] = {
        {mbYes, 6}, {mbNo, 7}, {mbOK, 1}, {mbCancel, 2}, {mbAbort, 3}, {mbRetry, 4},
        {mbIgnore, 5}, {mbAll, 8}, {mbNoToAll, 9}, {mbYesToAll, 10}, {mbHelp, 0}};
    for (const auto &[button, result] : results)
        EXPECT_EQ(platform::ModalResultOf(button), result) << button;
}

TEST(DialogsEx, InputQueryReturnsTheTextOnlyWhenConfirmed)
{
    ScopedDialogAnswers dialogs;
    dialogs.Type("2008 ФИРМА").CancelInput();
    QString value = "старо";
    EXPECT_TRUE(InputQuery("Главен прозорец", "Въведете парола", '*', value));
    EXPECT_EQ(value, "2008 ФИРМА");
    EXPECT_FALSE(InputQuery("Главен прозорец", "Въведете парола", '*', value));
    EXPECT_EQ(value, "2008 ФИРМА");

    ASSERT_EQ(dialogs.Shown().size(), 2u);
    const ShownDialog &d = dialogs.Shown()[0];
    EXPECT_TRUE(d.IsInputBox);
    EXPECT_EQ(d.Caption, "Главен прозорец");
    EXPECT_EQ(d.Prompt, "Въведете парола");
    EXPECT_EQ(d.MaskChar, QChar('*'));
    EXPECT_EQ(d.InitialValue, "старо");
    EXPECT_EQ(d.OkCaption, "Продължи");
    EXPECT_EQ(d.CancelCaption, "Отказ");
}

TEST(ScopedDialogAnswers, UnscriptedDialogsAreAnsweredAsEnterAndScopesNest)
{
    ScopedDialogAnswers outer;
    {
        ScopedDialogAnswers inner;
        EXPECT_EQ(AskYesNoCancel("вътре"), mrNo);
        QString v = "x";
        EXPECT_FALSE(InputQuery("a", "b", '\0', v));
        EXPECT_EQ(v, "x");
        ASSERT_EQ(inner.Shown().size(), 2u);
        EXPECT_TRUE(inner.Shown()[0].Unscripted);
        EXPECT_TRUE(inner.Shown()[1].Unscripted);
    }
    outer.Escape();
    EXPECT_EQ(AskYesNoCancel("вън"), mrCancel);
    EXPECT_EQ(outer.Texts(), QStringList{"вън"});
    EXPECT_FALSE(outer.Shown()[0].Unscripted);
    EXPECT_EQ(outer.Pending(), 0);
}

TEST(ScopedDialogAnswers, AnswerThatDoesNotFitTheDialogFailsTheTest)
{
    EXPECT_NONFATAL_FAILURE(
        {
            ScopedDialogAnswers dialogs;
            dialogs.Press(mbYes);
            AskOkCancel("?");
        },
        "does not fit");
    EXPECT_NONFATAL_FAILURE(
        {
            ScopedDialogAnswers dialogs;
            dialogs.Type("x");
            ShowError("?");
        },
        "does not fit");
    EXPECT_NONFATAL_FAILURE(
        {
            ScopedDialogAnswers dialogs;
            dialogs.Press(mbOK);
        },
        "never used");
}

// The real boxes, answered with the keys of an operator.
TEST(DialogsExGui, EnterAndEscAnswerEachQuestionKind)
{
    for (const WrapperCase &c : Wrappers()) {
        SCOPED_TRACE(c.name);
        QString caption;
        QStringList buttons;
        testsupport::OnNextModal([&](QWidget *w) {
            auto *box = qobject_cast<QMessageBox *>(w);
            ASSERT_NE(box, nullptr);
            caption = box->windowTitle();
            for (QAbstractButton *b : box->buttons())
                buttons << b->text();
            QTest::keyClick(box->focusWidget(), Qt::Key_Return);
        });
        const TModalResult enter = c.show("Желаете ли?");
        testsupport::PressKeyOnNextModal(Qt::Key_Escape);
        const TModalResult escape = c.show("Желаете ли?");
        EXPECT_EQ(caption, c.caption);
        EXPECT_EQ(buttons, c.buttons);
        if (c.question) {
            EXPECT_EQ(enter, c.enter);
            EXPECT_EQ(escape, c.escape);
        }
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    }
}

TEST(DialogsExGui, NameWithMarkupAndPercentIsShownLiterally)
{
    QString shown;
    testsupport::OnNextModal([&](QWidget *w) {
        for (QLabel *label : w->findChildren<QLabel *>()) {
            if (label->textFormat() == Qt::PlainText && !label->text().isEmpty())
                shown = label->text();
        }
        w->grab().save(testsupport::OutputPath("dialogs_show_error.png"));
        QTest::keyClick(w, Qt::Key_Escape);
    });
    ShowError("Шифър \"<i>Хляб</i> 5%\" съществува в таблицата с данни!\n\rВъведете мярка.");
    EXPECT_EQ(shown, "Шифър \"<i>Хляб</i> 5%\" съществува в таблицата с данни!\nВъведете мярка.");
}

TEST(DialogsExGui, MaskedPasswordBoxAnswersEnterAndEsc)
{
    testsupport::OnNextModal([](QWidget *w) {
        QLineEdit *edit = w->findChild<QLineEdit *>();
        QTest::keyClicks(edit, "2008 abc");
        EXPECT_EQ(edit->displayText(), "********");
        QTest::keyClick(edit, Qt::Key_Return);
    });
    QString value;
    EXPECT_TRUE(InputQuery("Tolvex2000", "Въведете парола", '*', value));
    EXPECT_EQ(value, "2008 abc");

    testsupport::PressKeyOnNextModal(Qt::Key_Escape);
    EXPECT_FALSE(InputQuery("Tolvex2000", "Въведете парола", '*', value));
    EXPECT_EQ(value, "2008 abc");
}
