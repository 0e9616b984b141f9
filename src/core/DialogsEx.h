#pragma once
// The program's message dialogs: Bulgarian captions and buttons, the
// caller's choice of the Enter and Esc buttons, and the masked input box.
//
// A routine given one text shows it as it stands: a '%' in it is shown,
// never read as a format. The overloads that take arguments as well fill
// the format text with them first. All calls are modal and come
// from the main thread; they go through the dialog back-end of
// platform/ui/MessageBox.h, which tests replace to answer.
#include "core/uHelpers.h"
#include "platform/ui/MessageBox.h"

#include <QChar>
#include <QString>
#include <functional>
#include <initializer_list>
#include <memory>

class QObject;

// The caption of a dialog kind ("Грешка!", ...; the custom kind: the
// application's title).
QString DialogCaption(TMsgDlgType Kind);
// The caption of a button ("&Да", "OK", "Отказ", ...).
QString ButtonCaption(TMsgDlgBtn Button);

// A dialog with the text, the caption and icon of Kind and Buttons in the
// order given; Enter presses DefaultButton, Esc presses CancelButton.
// Returns the modal result of the button pressed. There is no help system:
// HelpContext is kept for the callers' sake and the Help button leaves the
// dialog open.
TModalResult MessageDlg(const QString &Msg, TMsgDlgType Kind, const TMsgDlgButtons &Buttons,
                        TMsgDlgBtn DefaultButton, TMsgDlgBtn CancelButton, int HelpContext = 0);

// The plain message box: the application's title, no icon, OK.
void ShowMessage(const QString &Msg);

// "Грешка!" with OK.
void ShowError(const QString &Msg);
// "Предупреждение!" with OK.
void ShowWarning(const QString &Msg);
// "Потвърждение!" with "&Да", "&Не", "Отказ"; Enter answers No (mrNo, 7),
// Esc Cancel (mrCancel, 2); Yes gives mrYes (6).
TModalResult AskYesNoCancel(const QString &Msg);
// "Потвърждение!" with "OK", "Отказ"; Enter and Esc both answer Cancel
// (mrCancel, 2); OK gives mrOk (1).
TModalResult AskOkCancel(const QString &Msg);

// The same four with a format text filled from Args by Format (uHelpers.h)
// first; a directive that does not fit its argument raises EConvertError
// before anything is shown.
void ShowError(const QString &Fmt, std::initializer_list<TFormatArg> Args);
void ShowWarning(const QString &Fmt, std::initializer_list<TFormatArg> Args);
TModalResult AskYesNoCancel(const QString &Fmt, std::initializer_list<TFormatArg> Args);
TModalResult AskOkCancel(const QString &Fmt, std::initializer_list<TFormatArg> Args);

// The plain box over the application with the caption "Грешка" and OK.
void ShowErrorBox(const QString &Text);

// A small box with Caption, the Prompt and one edit holding Value; a
// MaskChar other than '\0' is shown for every character typed. "Продължи"
// (Enter) gives true and the edit's text in Value; "Отказ" (Esc) gives false
// and leaves Value as it was.
bool InputQuery(const QString &Caption, const QString &Prompt, QChar MaskChar, QString &Value);

// A box that a control shows on its own, outside any action of its window
// (a date refused as the focus leaves its field, a filter text that does not
// read): while it lives, the window the control stands in is held as its
// actions hold it, so that a close asked for meanwhile (an Esc typed before
// the box took the keys) waits until the box is answered and the control is
// still there when the box returns. The data windows give the hold
// (SetHolder); a control outside them holds nothing.
class TControlBoxHold
{
public:
    explicit TControlBoxHold(QObject *Control);
    TControlBoxHold(const TControlBoxHold &) = delete;
    TControlBoxHold &operator=(const TControlBoxHold &) = delete;

    // Holds the window of a control for as long as the token lives; no
    // token when the control stands in no window that can be held.
    using THolder = std::function<std::shared_ptr<void>(QObject *Control)>;
    static void SetHolder(const THolder &Holder);

private:
    std::shared_ptr<void> token_;
};
