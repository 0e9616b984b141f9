#pragma once
// Message boxes and the input box, in place of the class library's dialog
// unit and the system message box.
//
// Every box goes through one replaceable dialog back-end: the real one shows
// a QMessageBox (or a QInputDialog); tests install their own to answer and
// to record what was asked (see tests/support/ScopedDialogAnswers.h).
//
// The vocabulary of the class library (dialog kinds, buttons and modal
// results) keeps its names and values, in the global namespace like
// Exception: the program's code uses them as it did.
#include <QChar>
#include <QString>
#include <exception>
#include <vector>

// The modal result of a closed dialog, numbered as the class library did.
using TModalResult = int;
constexpr TModalResult mrNone = 0;
constexpr TModalResult mrOk = 1;
constexpr TModalResult mrCancel = 2;
constexpr TModalResult mrAbort = 3;
constexpr TModalResult mrRetry = 4;
constexpr TModalResult mrIgnore = 5;
constexpr TModalResult mrYes = 6;
constexpr TModalResult mrNo = 7;
constexpr TModalResult mrAll = 8;
constexpr TModalResult mrNoToAll = 9;
constexpr TModalResult mrYesToAll = 10;

// Kind of a message dialog: it chooses the icon (and, in the program's
// dialog unit, the caption).
enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };

// The buttons a message dialog can carry.
enum TMsgDlgBtn { mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll,
                  mbNoToAll, mbYesToAll, mbHelp };

// The buttons of one dialog, in the order they are shown.
using TMsgDlgButtons = std::vector<TMsgDlgBtn>;

namespace platform {

// The modal result a button gives; mbHelp gives none (mrNone): it asks for
// help and leaves the dialog open.
TModalResult ModalResultOf(TMsgDlgBtn Button);

struct DialogButtonSpec
{
    TMsgDlgBtn Button = mbOK;
    QString Caption;   // with '&' before the mnemonic letter
};

// One message box as the program asks for it. Text is plain text: it is
// never read as markup, and '\r', '\n', "\r\n" and "\n\r" each break one
// line.
struct MessageBoxRequest
{
    TMsgDlgType Kind = mtCustom;             // the icon
    QString Caption;
    QString Text;
    std::vector<DialogButtonSpec> Buttons;   // in the order shown
    TMsgDlgBtn DefaultButton = mbOK;         // pressed by Enter
    TMsgDlgBtn EscapeButton = mbOK;          // pressed by Esc
    int HelpContext = 0;
};

// A small box with a prompt and one edit. MaskChar, when not '\0', is shown
// in place of every character typed.
struct InputBoxRequest
{
    QString Caption;
    QString Prompt;
    QChar MaskChar;
    QString Value;          // the edit's first text
    QString OkCaption;      // the default button (Enter)
    QString CancelCaption;  // the Esc button
};

// Shows dialogs. Both calls are modal and come from the main thread.
class DialogBackend
{
public:
    virtual ~DialogBackend() = default;
    // Returns the modal result of the button pressed.
    virtual TModalResult ShowMessageBox(const MessageBoxRequest &Request) = 0;
    // True and the edit's text in Value when confirmed; otherwise false and
    // Value unchanged.
    virtual bool ShowInputBox(const InputBoxRequest &Request, QString &Value) = 0;
};

// The real back-end: QMessageBox and QInputDialog, centred on the screen.
class QtDialogBackend : public DialogBackend
{
public:
    TModalResult ShowMessageBox(const MessageBoxRequest &Request) override;
    bool ShowInputBox(const InputBoxRequest &Request, QString &Value) override;
};

// The back-end in use: the one last installed, or the real one.
DialogBackend &CurrentDialogBackend();
// Installs Backend (nullptr: the real one again); returns the previous one
// (nullptr when it was the real one) so that the caller can restore it.
DialogBackend *SetDialogBackend(DialogBackend *Backend);

// Text with its line breaks ("\r\n", "\n\r", lone '\r' or '\n')
// turned into '\n', as a box shows it.
QString DialogDisplayText(const QString &Text);

// The application's title, the caption of the plain boxes. Until one is set
// it is the application's display name.
QString ApplicationTitle();
void SetApplicationTitle(const QString &Title);

// Shows an exception that reached the event loop as the class library did:
// caption the application's title, the stop icon, the message and OK. A
// message not ending in a character up to '.' (such as '.', '!' or a blank)
// gets a full stop.
void ShowExceptionMessage(const QString &Message);
// The same for any exception: our Exception gives its message, any other
// its what() read as UTF-8.
void ShowException(const std::exception &E);

} // namespace platform
