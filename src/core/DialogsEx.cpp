#include "core/DialogsEx.h"

#include "core/unMessageTexts.h"

QString DialogCaption(TMsgDlgType Kind)
{
    switch (Kind) {
    case mtWarning: return LoadResString(rsWarningCaption);
    case mtError: return LoadResString(rsErrorCaption);
    case mtInformation: return LoadResString(rsInformationCaption);
    case mtConfirmation: return LoadResString(rsConfirmationCaption);
    case mtCustom: break;
    }
    return platform::ApplicationTitle();
}

QString ButtonCaption(TMsgDlgBtn Button)
{
    switch (Button) {
    case mbYes: return LoadResString(rsYesButton);
    case mbNo: return LoadResString(rsNoButton);
    case mbOK: return LoadResString(rsOkButton);
    case mbCancel:
    case mbAbort: return LoadResString(rsCancelButton);
    case mbRetry: return LoadResString(rsRetryButton);
    case mbIgnore: return LoadResString(rsIgnoreButton);
    case mbAll: return LoadResString(rsAllButton);
    case mbNoToAll: return LoadResString(rsNoToAllButton);
    case mbYesToAll: return LoadResString(rsYesToAllButton);
    case mbHelp: return LoadResString(rsHelpButton);
    }
    return QString();
}

TModalResult MessageDlg(const QString &Msg, TMsgDlgType Kind, const TMsgDlgButtons &Buttons,
                        TMsgDlgBtn DefaultButton, TMsgDlgBtn CancelButton, int HelpContext)
{
    platform::MessageBoxRequest request;
    request.Kind = Kind;
    request.Caption = DialogCaption(Kind);
    request.Text = Msg;
    for (TMsgDlgBtn button : Buttons)
        request.Buttons.push_back({button, ButtonCaption(button)});
    request.DefaultButton = DefaultButton;
    request.EscapeButton = CancelButton;
    request.HelpContext = HelpContext;
    return platform::CurrentDialogBackend().ShowMessageBox(request);
}

void ShowMessage(const QString &Msg)
{
    MessageDlg(Msg, mtCustom, {mbOK}, mbOK, mbOK);
}

void ShowError(const QString &Msg)
{
    MessageDlg(Msg, mtError, {mbOK}, mbOK, mbOK);
}

void ShowWarning(const QString &Msg)
{
    MessageDlg(Msg, mtWarning, {mbOK}, mbOK, mbOK);
}

TModalResult AskYesNoCancel(const QString &Msg)
{
    return MessageDlg(Msg, mtConfirmation, {mbYes, mbNo, mbCancel}, mbNo, mbCancel);
}

TModalResult AskOkCancel(const QString &Msg)
{
    return MessageDlg(Msg, mtConfirmation, {mbOK, mbCancel}, mbCancel, mbCancel);
}

void ShowError(const QString &Fmt, std::initializer_list<TFormatArg> Args)
{
    ShowError(Format(Fmt, Args));
}

void ShowWarning(const QString &Fmt, std::initializer_list<TFormatArg> Args)
{
    ShowWarning(Format(Fmt, Args));
}

TModalResult AskYesNoCancel(const QString &Fmt, std::initializer_list<TFormatArg> Args)
{
    return AskYesNoCancel(Format(Fmt, Args));
}

TModalResult AskOkCancel(const QString &Fmt, std::initializer_list<TFormatArg> Args)
{
    return AskOkCancel(Format(Fmt, Args));
}

void ShowErrorBox(const QString &Text)
{
    platform::MessageBoxRequest request;
    request.Kind = mtCustom;
    request.Caption = LoadResString(rsErrorBoxCaption);
    request.Text = Text;
    request.Buttons = {{mbOK, LoadResString(rsOkButton)}};
    platform::CurrentDialogBackend().ShowMessageBox(request);
}

bool InputQuery(const QString &Caption, const QString &Prompt, QChar MaskChar, QString &Value)
{
    platform::InputBoxRequest request;
    request.Caption = Caption;
    request.Prompt = Prompt;
    request.MaskChar = MaskChar;
    request.Value = Value;
    request.OkCaption = LoadResString(rsContinueButton);
    request.CancelCaption = LoadResString(rsCancelButton);
    return platform::CurrentDialogBackend().ShowInputBox(request, Value);
}

namespace {
TControlBoxHold::THolder &BoxHolder()
{
    static TControlBoxHold::THolder holder;
    return holder;
}
} // namespace

TControlBoxHold::TControlBoxHold(QObject *Control)
{
    if (BoxHolder())
        token_ = BoxHolder()(Control);
}

void TControlBoxHold::SetHolder(const THolder &Holder) { BoxHolder() = Holder; }
