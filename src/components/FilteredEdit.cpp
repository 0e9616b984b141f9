#include "components/FilteredEdit.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLabel>

TCustomFilteredEdit::TCustomFilteredEdit(QWidget *parent) : QLineEdit(parent)
{
    connect(this, &QLineEdit::textChanged, this, [this] { TextChanged(); });
    UpdateLook();
}

TCustomFilteredEdit::~TCustomFilteredEdit()
{
    delete FValidator;
}

void TCustomFilteredEdit::SetValidator(TCustomValidator *Value)
{
    if (Value == FValidator)
        return;
    delete FValidator;
    FValidator = Value;
    if (FValidator) {
        FValidator->setParent(nullptr);
        FValidatorOff = false;
    }
    CheckState();
    UpdateLook();
}

void TCustomFilteredEdit::SetValidatorOff(bool Value)
{
    FValidatorOff = Value;
    CheckState();
    UpdateLook();
}

void TCustomFilteredEdit::SetInfoPanel(QLabel *Value)
{
    FInfoPanel = Value;
    UpdateLook();
}

TColor TCustomFilteredEdit::StateColor() const
{
    switch (FDataState) {
    case vsNone:
    case vsValid:
        return FValidColor;
    case vsStillValid:
        return FStillValidColor;
    case vsInvalid:
    case vsInvalidChars:
        return FInvalidColor;
    }
    return FOtherColor;
}

void TCustomFilteredEdit::SetText(const QString &Value)
{
    FSetting = true;
    setText(Value);
    FSetting = false;
    setModified(true);
    CheckState();
    UpdateLook();
}

QChar TCustomFilteredEdit::ConvertChar(QChar C)
{
    return CharConverter ? CharConverter(C) : C;
}

TValidateState TCustomFilteredEdit::Validate(const QString &S)
{
    return FValidator ? FValidator->Validate(S) : vsValid;
}

bool TCustomFilteredEdit::IsCharAcceptable(const QString &, QChar C)
{
    return !FValidator || FValidatorOff || FValidator->CharAcceptable(C);
}

void TCustomFilteredEdit::TypeChar(QString &Text, int Start, int Length, int &Caret, QChar C)
{
    Text.remove(Start, Length);
    Text.insert(Start, C);
    Caret = Start + 1;
}

bool TCustomFilteredEdit::CheckState()
{
    FDataState = Validate(text());
    return FValidatorOff || !FValidator
           || (FDataState != vsInvalid && FDataState != vsInvalidChars);
}

bool TCustomFilteredEdit::TryText(const QString &NewText, int Caret)
{
    if (FValidator && !FValidatorOff) {
        const TValidateState s = Validate(NewText);
        if (s == vsInvalid || s == vsInvalidChars)
            return false;
    }
    if (NewText != text()) {
        FSetting = true;
        setText(NewText);
        FSetting = false;
    }
    setCursorPosition(Caret);
    return true;
}

void TCustomFilteredEdit::PasteChecked()
{
    if (isReadOnly())
        return;
    QString clip = QApplication::clipboard()->text();
    clip.remove(QChar('\r'));
    clip.remove(QChar('\n'));
    QString t = text();
    int start = cursorPosition();
    if (hasSelectedText()) {
        start = selectionStart();
        t.remove(start, selectedText().size());
    }
    t.insert(start, clip);
    TryText(t, start + static_cast<int>(clip.size()));
}

void TCustomFilteredEdit::keyPressEvent(QKeyEvent *e)
{
    if (isReadOnly()) {
        QLineEdit::keyPressEvent(e);
        return;
    }
    if (e->matches(QKeySequence::Copy)) {
        QLineEdit::keyPressEvent(e);
        return;
    }
    if (e->matches(QKeySequence::Paste)) {
        PasteChecked();
        e->accept();
        return;
    }
    const int key = e->key();
    const bool shift = e->modifiers() & Qt::ShiftModifier;
    if (e->matches(QKeySequence::Cut) || (key == Qt::Key_Delete && shift)) {
        // With nothing selected Shift+Delete does nothing.
        if (hasSelectedText()) {
            const int start = selectionStart();
            QString t = text();
            const QString cut = selectedText();
            t.remove(start, cut.size());
            if (TryText(t, start))
                QApplication::clipboard()->setText(cut);
        }
        e->accept();
        return;
    }
    if (key == Qt::Key_Up || key == Qt::Key_Down) {
        e->accept();
        return;
    }
    if ((key == Qt::Key_Backspace || key == Qt::Key_Delete)
        && !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        QString t = text();
        int caret = cursorPosition();
        if (hasSelectedText()) {
            caret = selectionStart();
            t.remove(caret, selectedText().size());
        } else if (key == Qt::Key_Backspace && caret > 0) {
            t.remove(--caret, 1);
        } else if (key == Qt::Key_Delete && caret < t.size()) {
            t.remove(caret, 1);
        }
        TryText(t, caret);
        e->accept();
        return;
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        CheckState();
        UpdateLook();
        QLineEdit::keyPressEvent(e);
        return;
    }
    if (key == Qt::Key_Escape) {
        QLineEdit::keyPressEvent(e);
        return;
    }
    const QString typed = e->text();
    if (typed.size() == 1 && typed[0].isPrint()
        && !(e->modifiers() & (Qt::ControlModifier | Qt::MetaModifier))) {
        QChar c = typed[0];
        if (OnKeyPress)
            OnKeyPress(this, c);
        if (!c.isNull()) {
            c = ConvertChar(c);
            QString t = text();
            int caret = cursorPosition();
            const int start = hasSelectedText() ? selectionStart() : caret;
            if (IsCharAcceptable(t.left(start), c)) {
                TypeChar(t, start, hasSelectedText() ? static_cast<int>(selectedText().size()) : 0, caret, c);
                TryText(t, caret);
            }
        }
        e->accept();
        return;
    }
    QLineEdit::keyPressEvent(e);
}

void TCustomFilteredEdit::TextChanged()
{
    // A change that came another way (undo, the context menu, a drop, an
    // input method) and makes the text invalid is taken back.
    if (!FSetting && FValidator && !FValidatorOff) {
        const TValidateState s = Validate(text());
        if (s == vsInvalid || s == vsInvalidChars) {
            FSetting = true;
            setText(FLastGood);
            FSetting = false;
            return;
        }
    }
    CheckState();
    FLastGood = text();
    setModified(true);
    UpdateLook();
    if (OnChange)
        OnChange(this);
}

void TCustomFilteredEdit::UpdateLook()
{
    const TColor colour = FColouring ? StateColor() : FValidColor;
    QPalette pal = palette();
    pal.setColor(QPalette::Text, platform::ToQColor(colour));
    setPalette(pal);
    if (FInfoPanel) {
        QString info;
        if (FValidator)
            FValidator->GetStateText(FDataState, info);
        FInfoPanel->setText(info);
        QPalette p = FInfoPanel->palette();
        p.setColor(QPalette::WindowText, platform::ToQColor(colour));
        FInfoPanel->setPalette(p);
    }
}
