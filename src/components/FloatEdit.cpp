#include "components/FloatEdit.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QPalette>
#include <cmath>
#include <limits>

#include "core/uHelpers.h"

// ---------------------------------------------------------------------------
// TFloatEditNegativeAttrs

void TFloatEditNegativeAttrs::SetMarkNegative(bool Value)
{
    if (FMarkNegative == Value)
        return;
    FMarkNegative = Value;
    Changed();
}

void TFloatEditNegativeAttrs::SetNegativeColor(TColor Value)
{
    if (FNegativeColor == Value)
        return;
    FNegativeColor = Value;
    Changed();
}

void TFloatEditNegativeAttrs::Assign(const TFloatEditNegativeAttrs &Source)
{
    if (&Source == this)
        return;
    FMarkNegative = Source.FMarkNegative;
    FNegativeColor = Source.FNegativeColor;
    Changed();
}

void TFloatEditNegativeAttrs::Changed()
{
    if (FOwner)
        FOwner->UpdateFontColor();
}

// ---------------------------------------------------------------------------
// TFloatEdit

TFloatEdit::TFloatEdit(QWidget *parent) : QLineEdit(parent), FNegativeAttrs(this)
{
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    connect(this, &QLineEdit::textChanged, this, [this] { TextChanged(); });
    if (qApp)
        connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *Now) { FocusMoved(Now); });
    SetValue(0);
}

long double TFloatEdit::Value() const
{
    return RoundFloat(FPrecision, FValue);
}

long double TFloatEdit::Clamped(long double X) const
{
    if (FValueConstraints.Contains(vcMinValue) && X < FMinValue)
        X = FMinValue;
    if (FValueConstraints.Contains(vcMaxValue) && X > FMaxValue)
        X = FMaxValue;
    return X;
}

QString TFloatEdit::ValueText(long double X) const
{
    QString s;
    if (FRepair)
        FloatToDotStr(-1, s, RoundFloat(FPrecision, X));
    else
        FormatFloatRounded(FPrecision, s, X);
    return s;
}

void TFloatEdit::SetValue(long double X)
{
    X = Clamped(X);
    FUpdating = true;
    const long double old = Value();
    FValue = X;
    const bool modified = isModified();
    // The value's own text is shown whole: cut to the typing limit it could
    // show another number than the one held (123456789012.25 as
    // 123456789012.2).
    if (!FTyping || FRepair)
        ShowText(ValueText(X), false);
    setModified(modified);
    FUpdating = false;
    if (Value() != old && OnChange)
        OnChange(this);
}

void TFloatEdit::SetMinValue(long double X)
{
    FMinValue = X;
    if (FValueConstraints.Contains(vcMinValue) && Value() < FMinValue)
        SetValue(FMinValue);
}

void TFloatEdit::SetMaxValue(long double X)
{
    FMaxValue = X;
    if (FValueConstraints.Contains(vcMaxValue) && Value() > FMaxValue)
        SetValue(FMaxValue);
}

void TFloatEdit::SetValueConstraints(TValueConstraints Value)
{
    FValueConstraints = Value;
    SetValue(this->Value());
}

void TFloatEdit::SetPrecision(int Value)
{
    // A byte, as the property always was.
    FPrecision = Value < 0 ? 0 : (Value > 255 ? 255 : Value);
    SetValue(this->Value());
}

void TFloatEdit::SetAlignment(TAlignment Value)
{
    FAlignment = Value;
    const long double v = FValue;
    Qt::Alignment a = Qt::AlignLeft;
    if (Value == taRightJustify)
        a = Qt::AlignRight;
    else if (Value == taCenter)
        a = Qt::AlignHCenter;
    setAlignment(a | Qt::AlignVCenter);
    SetValue(v);
}

void TFloatEdit::SetText(const QString &Value)
{
    ShowText(Value);
}

void TFloatEdit::ShowText(const QString &S, bool Cut)
{
    setText(Cut ? S.left(MaxTextLength) : S);
    UpdateFontColor();
}

void TFloatEdit::UpdateFontColor()
{
    const TColor color =
        FNegativeAttrs.MarkNegative() && Value() < 0 ? FNegativeAttrs.NegativeColor() : clWindowText;
    if (color == FFontColor && palette().color(QPalette::Text) == platform::ToQColor(color))
        return;
    FFontColor = color;
    QPalette p = palette();
    p.setColor(QPalette::Text, platform::ToQColor(color));
    setPalette(p);
}

bool TFloatEdit::Showable(long double X) const
{
    // An exponent typed by hand ("1e20") reads as a number whose digits the
    // edit cannot show: cut to the text's length it would show another
    // number than the one it holds and saves.
    if (!std::isfinite(X))
        return false;
    QString s;
    FormatFloatRounded(FPrecision, s, Clamped(X));
    const int point = s.indexOf(QChar('.'));
    return (point < 0 ? s.size() : point) <= MaxTextLength;
}

void TFloatEdit::TextChanged()
{
    if (OnChange)
        OnChange(this);
    if (FUpdating)
        return;
    QString s = text();
    if (s.isEmpty()) {
        FValue = 0;
    } else {
        s.remove(QChar('\r'));
        s.remove(QChar('\n'));
        s.replace(QChar(','), QChar('.'));
        s = s.trimmed();
        if (s == QLatin1String("-") || s == QLatin1String("+"))
            s += QChar('0');
        const long double unreadable = std::numeric_limits<long double>::quiet_NaN();
        long double v = DotStrToFloat(s, unreadable);
        if (!std::isnan(v) && !Showable(v))
            v = unreadable;

        FTyping = true;
        const int caret = cursorPosition();
        if (std::isnan(v)) {
            FRepair = true;
            SetValue(Value());
        } else {
            SetValue(v);
        }
        setCursorPosition(qMin(caret, text().size()));
        FTyping = false;
        FRepair = false;
    }
    UpdateFontColor();
}

void TFloatEdit::keyPressEvent(QKeyEvent *e)
{
    int key = e->key();
    // Enter belongs to the window (its default button); the edit's own
    // handlers never see it.
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        QLineEdit::keyPressEvent(e);
        return;
    }
    QString text = e->text();
    if (key == Qt::Key_Comma) {
        // The comma key types the decimal point.
        key = Qt::Key_Period;
    } else if (OnKeyDown) {
        OnKeyDown(this, key, e->modifiers());
        if (key == 0) {
            e->accept();
            return;
        }
    }

    if (!text.isEmpty() && text.at(0).isPrint()) {
        QChar ch = text.at(0);
        // A selection is replaced by the character, so it does not count
        // (a written value may show more than 14 characters).
        if (this->text().size() - selectedText().size() >= MaxTextLength || ch == QChar(' ')) {
            e->accept();
            return;
        }
        if (ch == QChar(','))
            ch = QChar('.');
        if (OnKeyPress) {
            OnKeyPress(this, ch);
            if (ch.isNull()) {
                e->accept();
                return;
            }
        }
        text = QString(ch);
    }

    if (key == e->key() && text == e->text()) {
        QLineEdit::keyPressEvent(e);
        return;
    }
    QKeyEvent changed(e->type(), key, e->modifiers(), text, e->isAutoRepeat(), e->count());
    QLineEdit::keyPressEvent(&changed);
    e->setAccepted(changed.isAccepted());
}

void TFloatEdit::keyReleaseEvent(QKeyEvent *e)
{
    if (OnKeyUp) {
        int key = e->key();
        OnKeyUp(this, key, e->modifiers());
        if (key == 0) {
            e->accept();
            return;
        }
    }
    QLineEdit::keyReleaseEvent(e);
}

// The focus going to a context menu or to another window is no exit from
// the edit, nor is its coming back an entry: the operator is still in the
// edit, and its text must not be rewritten or selected under the caret.
static bool MayStayInEdit(const QFocusEvent *e)
{
    return e->reason() == Qt::PopupFocusReason || e->reason() == Qt::ActiveWindowFocusReason;
}

void TFloatEdit::focusInEvent(QFocusEvent *e)
{
    QLineEdit::focusInEvent(e);
    const bool back = FAway && MayStayInEdit(e);
    FAway = false;
    if (back)
        return;
    if (FAutoSelect)
        selectAll();
    if (OnEnter)
        OnEnter(this);
}

void TFloatEdit::focusOutEvent(QFocusEvent *e)
{
    QLineEdit::focusOutEvent(e);
    if (MayStayInEdit(e)) {
        FAway = true;
        return;
    }
    FAway = false;
    LeaveEdit();
}

void TFloatEdit::FocusMoved(QWidget *Now)
{
    // Away to a menu or another window, the focus came back elsewhere: that
    // was the exit.
    if (!FAway || !Now || Now == this || Now->window()->windowType() == Qt::Popup)
        return;
    FAway = false;
    LeaveEdit();
}

void TFloatEdit::LeaveEdit()
{
    if (FRoundOnExit)
        SetValue(Value());
    if (OnExit)
        OnExit(this);
}

void FloatEditText(const TFloatEdit &Edit, QString &Result)
{
    FloatToFixedDotStr(Edit.Precision(), Result, Edit.Value());
}
