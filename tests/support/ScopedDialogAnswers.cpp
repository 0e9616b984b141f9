#include "support/ScopedDialogAnswers.h"

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <memory>
#include <gtest/gtest.h>

namespace testsupport {

namespace {

bool Has(const std::vector<TMsgDlgBtn> &buttons, TMsgDlgBtn button)
{
    return std::find(buttons.begin(), buttons.end(), button) != buttons.end();
}

} // namespace

ScopedDialogAnswers::ScopedDialogAnswers() : previous_(platform::SetDialogBackend(this)) {}

ScopedDialogAnswers::~ScopedDialogAnswers()
{
    platform::SetDialogBackend(previous_);
    if (!answers_.empty())
        ADD_FAILURE() << answers_.size() << " scripted dialog answer(s) were never used";
}

ScopedDialogAnswers &ScopedDialogAnswers::Press(TMsgDlgBtn Button)
{
    answers_.push_back({AnswerKind::Press, Button, {}});
    return *this;
}

ScopedDialogAnswers &ScopedDialogAnswers::Enter()
{
    answers_.push_back({AnswerKind::Enter, mbOK, {}});
    return *this;
}

ScopedDialogAnswers &ScopedDialogAnswers::Escape()
{
    answers_.push_back({AnswerKind::Escape, mbOK, {}});
    return *this;
}

ScopedDialogAnswers &ScopedDialogAnswers::Type(const QString &Text)
{
    answers_.push_back({AnswerKind::Type, mbOK, Text});
    return *this;
}

ScopedDialogAnswers &ScopedDialogAnswers::CancelInput()
{
    answers_.push_back({AnswerKind::CancelInput, mbOK, {}});
    return *this;
}

QStringList ScopedDialogAnswers::Texts() const
{
    QStringList texts;
    for (const ShownDialog &dialog : shown_) {
        if (!dialog.IsInputBox)
            texts << dialog.Text;
    }
    return texts;
}

TModalResult ScopedDialogAnswers::ShowMessageBox(const platform::MessageBoxRequest &Request)
{
    ShownDialog dialog;
    dialog.Kind = Request.Kind;
    dialog.Caption = Request.Caption;
    dialog.Text = Request.Text;
    for (const platform::DialogButtonSpec &spec : Request.Buttons) {
        dialog.Buttons.push_back(spec.Button);
        dialog.ButtonCaptions << spec.Caption;
    }
    dialog.DefaultButton = Request.DefaultButton;
    dialog.EscapeButton = Request.EscapeButton;
    dialog.HelpContext = Request.HelpContext;

    Answer answer{AnswerKind::Enter, mbOK, {}};
    if (answers_.empty()) {
        dialog.Unscripted = true;
    } else {
        answer = answers_.front();
        answers_.pop_front();
    }

    // What the real box does with each key; a key that would do nothing
    // leaves the box open, which a test cannot wait out.
    TMsgDlgBtn pressed = mbOK;
    bool valid = true;
    switch (answer.kind) {
    case AnswerKind::Press:
        pressed = answer.button;
        valid = Has(dialog.Buttons, pressed) && pressed != mbHelp;
        break;
    case AnswerKind::Enter:
        pressed = dialog.DefaultButton;
        valid = Has(dialog.Buttons, pressed) && pressed != mbHelp;
        break;
    case AnswerKind::Escape:
        if (Has(dialog.Buttons, dialog.EscapeButton))
            pressed = dialog.EscapeButton;
        else if (dialog.Buttons.size() == 1)
            pressed = dialog.Buttons.front();
        else
            valid = false;
        valid = valid && pressed != mbHelp;
        break;
    case AnswerKind::Type:
    case AnswerKind::CancelInput:
        valid = false;
        break;
    }
    if (!valid) {
        ADD_FAILURE() << "the scripted answer does not fit the message box \""
                      << Request.Text.toStdString() << "\"";
        dialog.Result = mrCancel;
    } else {
        dialog.Result = platform::ModalResultOf(pressed);
    }
    shown_.push_back(dialog);
    return dialog.Result;
}

bool ScopedDialogAnswers::ShowInputBox(const platform::InputBoxRequest &Request, QString &Value)
{
    ShownDialog dialog;
    dialog.IsInputBox = true;
    dialog.Caption = Request.Caption;
    dialog.Prompt = Request.Prompt;
    dialog.MaskChar = Request.MaskChar;
    dialog.InitialValue = Request.Value;
    dialog.OkCaption = Request.OkCaption;
    dialog.CancelCaption = Request.CancelCaption;

    if (answers_.empty()) {
        dialog.Unscripted = true;
    } else {
        const Answer answer = answers_.front();
        answers_.pop_front();
        if (answer.kind == AnswerKind::Type) {
            dialog.Accepted = true;
            dialog.Value = answer.text;
            Value = answer.text;
        } else if (answer.kind != AnswerKind::CancelInput) {
            ADD_FAILURE() << "a message-box answer was scripted for the input box \""
                          << Request.Prompt.toStdString() << "\"";
        }
    }
    shown_.push_back(dialog);
    return dialog.Accepted;
}

void OnNextModal(std::function<void(QWidget *)> Action, int TimeoutMs)
{
    auto *timer = new QTimer(qApp);
    auto waited = std::make_shared<int>(0);
    constexpr int kStepMs = 10;
    timer->setInterval(kStepMs);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, waited, TimeoutMs, Action] {
        QWidget *modal = QApplication::activeModalWidget();
        if (modal && modal->isVisible()) {
            timer->stop();
            timer->deleteLater();
            Action(modal);
            return;
        }
        *waited += kStepMs;
        if (*waited > TimeoutMs) {
            timer->stop();
            timer->deleteLater();
            ADD_FAILURE() << "no modal window was shown";
        }
    });
    timer->start();
}

void PressKeyOnNextModal(int Key)
{
    OnNextModal([Key](QWidget *modal) {
        QWidget *target = modal->focusWidget() ? modal->focusWidget() : modal;
        QTest::keyClick(target, static_cast<Qt::Key>(Key));
    });
}

} // namespace testsupport
