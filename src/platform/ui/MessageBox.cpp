#include "platform/ui/MessageBox.h"

#include "platform/Exception.h"

#include <QDialogButtonBox>
#include <QEvent>
#include <QGuiApplication>
#include <QLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProxyStyle>
#include <QPushButton>
#include <utility>

namespace platform {

TModalResult ModalResultOf(TMsgDlgBtn Button)
{
    switch (Button) {
    case mbYes: return mrYes;
    case mbNo: return mrNo;
    case mbOK: return mrOk;
    case mbCancel: return mrCancel;
    case mbAbort: return mrAbort;
    case mbRetry: return mrRetry;
    case mbIgnore: return mrIgnore;
    case mbAll: return mrAll;
    case mbNoToAll: return mrNoToAll;
    case mbYesToAll: return mrYesToAll;
    case mbHelp: return mrNone;
    }
    return mrNone;
}

QString DialogDisplayText(const QString &Text)
{
    // A carriage return and a line feed, in either order, are one break.
    QString out;
    out.reserve(Text.size());
    for (qsizetype i = 0; i < Text.size(); ++i) {
        const QChar c = Text.at(i);
        if (c != QLatin1Char('\r') && c != QLatin1Char('\n')) {
            out += c;
            continue;
        }
        out += QLatin1Char('\n');
        if (i + 1 < Text.size()) {
            const QChar next = Text.at(i + 1);
            if ((next == QLatin1Char('\r') || next == QLatin1Char('\n')) && next != c)
                ++i;
        }
    }
    return out;
}

namespace {

QMessageBox::Icon IconOf(TMsgDlgType Kind)
{
    switch (Kind) {
    case mtWarning: return QMessageBox::Warning;
    case mtError: return QMessageBox::Critical;
    case mtInformation: return QMessageBox::Information;
    case mtConfirmation: return QMessageBox::Question;
    case mtCustom: return QMessageBox::NoIcon;
    }
    return QMessageBox::NoIcon;
}

// Shows the mask character of the input box in place of the style's own
// password character, and at once (no delay showing the last letter).
class MaskCharStyle : public QProxyStyle
{
public:
    explicit MaskCharStyle(QChar mask) : mask_(mask) {}

    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override
    {
        if (hint == SH_LineEdit_PasswordCharacter)
            return mask_.unicode();
        if (hint == SH_LineEdit_PasswordMaskDelay)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }

private:
    QChar mask_;
};

// A message box as wide as its row of buttons needs: the box alone keeps to
// a width of its own (a share of the screen), which cuts the captions of a
// question with many buttons.
class FittingMessageBox : public QMessageBox
{
protected:
    bool event(QEvent *e) override
    {
        const bool result = QMessageBox::event(e);
        if (e->type() == QEvent::LayoutRequest)
            FitButtons();
        return result;
    }
    void showEvent(QShowEvent *e) override
    {
        QMessageBox::showEvent(e);
        FitButtons();
    }

private:
    void FitButtons()
    {
        const auto *row = findChild<QDialogButtonBox *>();
        if (!row || !layout())
            return;
        const QMargins margins = layout()->contentsMargins();
        const int needed = row->sizeHint().width() + margins.left() + margins.right();
        if (width() < needed)
            setFixedSize(needed, height());
    }
};

DialogBackend *g_backend = nullptr;
QString g_title;

} // namespace

TModalResult QtDialogBackend::ShowMessageBox(const MessageBoxRequest &Request)
{
    // No parent: the box is centred on the screen, as the system's were.
    FittingMessageBox box;
    box.setWindowTitle(Request.Caption);
    box.setIcon(IconOf(Request.Kind));
    box.setTextFormat(Qt::PlainText);
    box.setText(DialogDisplayText(Request.Text));

    std::vector<std::pair<QAbstractButton *, TMsgDlgBtn>> buttons;
    for (const DialogButtonSpec &spec : Request.Buttons) {
        // One role for all keeps the buttons in the order given.
        QPushButton *button = box.addButton(spec.Caption, QMessageBox::ActionRole);
        buttons.emplace_back(button, spec.Button);
        if (spec.Button == Request.DefaultButton)
            box.setDefaultButton(button);
        if (spec.Button == Request.EscapeButton)
            box.setEscapeButton(button);
    }

    for (;;) {
        box.exec();
        QAbstractButton *clicked = box.clickedButton();
        TMsgDlgBtn pressed = mbCancel;
        bool found = false;
        for (const auto &entry : buttons) {
            if (entry.first == clicked) {
                pressed = entry.second;
                found = true;
            }
        }
        if (!found)
            return mrCancel;   // closed without a button, as a closed window answers
        // There is no help system: asking for help leaves the question open.
        if (pressed != mbHelp)
            return ModalResultOf(pressed);
    }
}

bool QtDialogBackend::ShowInputBox(const InputBoxRequest &Request, QString &Value)
{
    QInputDialog dialog;
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setWindowTitle(Request.Caption);
    dialog.setLabelText(Request.Prompt);
    dialog.setOkButtonText(Request.OkCaption);
    dialog.setCancelButtonText(Request.CancelCaption);
    dialog.setTextEchoMode(Request.MaskChar.isNull() ? QLineEdit::Normal : QLineEdit::Password);
    dialog.setTextValue(Request.Value);
    if (QLabel *label = dialog.findChild<QLabel *>())
        label->setTextFormat(Qt::PlainText);
    if (!Request.MaskChar.isNull()) {
        if (QLineEdit *edit = dialog.findChild<QLineEdit *>()) {
            auto *style = new MaskCharStyle(Request.MaskChar);
            style->setParent(edit);
            edit->setStyle(style);
        }
    }
    if (dialog.exec() != QDialog::Accepted)
        return false;
    Value = dialog.textValue();
    return true;
}

DialogBackend &CurrentDialogBackend()
{
    static QtDialogBackend real;
    return g_backend ? *g_backend : real;
}

DialogBackend *SetDialogBackend(DialogBackend *Backend)
{
    return std::exchange(g_backend, Backend);
}

QString ApplicationTitle()
{
    return g_title.isEmpty() ? QGuiApplication::applicationDisplayName() : g_title;
}

void SetApplicationTitle(const QString &Title) { g_title = Title; }

void ShowExceptionMessage(const QString &Message)
{
    QString text = Message;
    if (!text.isEmpty() && text.back() > QLatin1Char('.'))
        text += QLatin1Char('.');
    MessageBoxRequest request;
    request.Kind = mtError;
    request.Caption = ApplicationTitle();
    request.Text = text;
    request.Buttons = {{mbOK, QStringLiteral("OK")}};
    request.DefaultButton = mbOK;
    request.EscapeButton = mbOK;
    CurrentDialogBackend().ShowMessageBox(request);
}

void ShowException(const std::exception &E)
{
    if (const auto *own = dynamic_cast<const Exception *>(&E))
        ShowExceptionMessage(own->Message());
    else
        ShowExceptionMessage(QString::fromUtf8(E.what()));
}

} // namespace platform
