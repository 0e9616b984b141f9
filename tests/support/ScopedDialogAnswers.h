#pragma once
// Answers the program's dialogs in tests and records each one shown.
//
//   testsupport::ScopedDialogAnswers dialogs;
//   dialogs.Press(mbYes);                 // the first question gets Yes
//   form.DoDelete();
//   ASSERT_EQ(dialogs.Shown().size(), 1u);
//   EXPECT_EQ(dialogs.Shown()[0].Text, "...");
//
// While the object lives it is the dialog back-end. Scripted answers are
// used in the order the dialogs come; a dialog with no answer left is
// answered as Enter would (its default button; an input box is cancelled).
// An answer the dialog could not take (a button it lacks, an input answer
// for a message box) fails the test, and so do answers left unused when the
// object ends.
#include "platform/ui/MessageBox.h"

#include <QStringList>
#include <deque>
#include <functional>
#include <vector>

class QWidget;

namespace testsupport {

// One dialog as the program showed it, with the answer it got.
struct ShownDialog
{
    bool IsInputBox = false;
    // Message boxes
    TMsgDlgType Kind = mtCustom;
    QString Caption;
    QString Text;                      // as the program passed it
    std::vector<TMsgDlgBtn> Buttons;   // in order
    QStringList ButtonCaptions;        // in the same order
    TMsgDlgBtn DefaultButton = mbOK;
    TMsgDlgBtn EscapeButton = mbOK;
    int HelpContext = 0;
    TModalResult Result = mrNone;
    // Input boxes (Caption above too)
    QString Prompt;
    QChar MaskChar;
    QString InitialValue;
    QString OkCaption;
    QString CancelCaption;
    bool Accepted = false;
    QString Value;                     // the text confirmed
    // True when no scripted answer was left for it.
    bool Unscripted = false;
};

class ScopedDialogAnswers : public platform::DialogBackend
{
public:
    ScopedDialogAnswers();
    ~ScopedDialogAnswers() override;
    ScopedDialogAnswers(const ScopedDialogAnswers &) = delete;
    ScopedDialogAnswers &operator=(const ScopedDialogAnswers &) = delete;

    // The next message box is answered by pressing Button.
    ScopedDialogAnswers &Press(TMsgDlgBtn Button);
    // The next message box is answered with Enter (its default button).
    ScopedDialogAnswers &Enter();
    // The next message box is answered with Esc (its Esc button).
    ScopedDialogAnswers &Escape();
    // The next input box gets Text in its edit and is confirmed.
    ScopedDialogAnswers &Type(const QString &Text);
    // The next input box is cancelled.
    ScopedDialogAnswers &CancelInput();

    const std::vector<ShownDialog> &Shown() const { return shown_; }
    // The texts of the message boxes shown, in order.
    QStringList Texts() const;
    // Scripted answers not used yet.
    int Pending() const { return static_cast<int>(answers_.size()); }

    TModalResult ShowMessageBox(const platform::MessageBoxRequest &Request) override;
    bool ShowInputBox(const platform::InputBoxRequest &Request, QString &Value) override;

private:
    enum class AnswerKind { Press, Enter, Escape, Type, CancelInput };
    struct Answer
    {
        AnswerKind kind;
        TMsgDlgBtn button = mbOK;
        QString text;
    };

    std::deque<Answer> answers_;
    std::vector<ShownDialog> shown_;
    platform::DialogBackend *previous_ = nullptr;
};

// Runs Action on the next modal window to be shown, from the event loop of
// whoever shows it (a real dialog's exec): the way to press keys in a real
// box. Fails the test when no modal window comes within TimeoutMs.
void OnNextModal(std::function<void(QWidget *)> Action, int TimeoutMs = 5000);
// Presses Key in the next modal window, on the widget that has its focus.
void PressKeyOnNextModal(int Key);

} // namespace testsupport
