#include "components/QuorendDateEdit.h"

#include <QFocusEvent>

#include "core/uHelpers.h"
#include "core/uMLinkFuncs.h"

TQuorendDateEdit::TQuorendDateEdit(QWidget *parent) : TFilteredEdit(parent)
{
    auto *v = new TDateValidator;
    v->SetFromDate(QDate(1900, 1, 1));
    v->SetToDate(QDate(3000, 1, 1));
    SetValidator(v);
}

TDateValidator *TQuorendDateEdit::DateValidator() const
{
    return static_cast<TDateValidator *>(Validator());
}

QDate TQuorendDateEdit::FromDate() const
{
    return DateValidator()->FromDate();
}

void TQuorendDateEdit::SetFromDate(const QDate &Value)
{
    DateValidator()->SetFromDate(Value);
    CheckState();
    UpdateLook();
}

QDate TQuorendDateEdit::ToDate() const
{
    return DateValidator()->ToDate();
}

void TQuorendDateEdit::SetToDate(const QDate &Value)
{
    DateValidator()->SetToDate(Value);
    CheckState();
    UpdateLook();
}

QDate TQuorendDateEdit::Date() const
{
    if (DataState() != vsValid && DataState() != vsStillValid)
        return QDate();
    QString t = text();
    t.replace(QChar(','), QChar('.'));
    const QStringList parts = t.split(QChar('.'));
    auto part = [&parts](int i) { return i < parts.size() ? StrToIntOrZero(parts[i]) : 0; };
    const QDate base = FitDateToPeriod(false, QDate::currentDate());
    const int day = part(0) ? part(0) : base.day();
    const int month = part(1) ? part(1) : base.month();
    // A year of one to three digits is one still being typed.
    const bool fullYear = parts.size() == 3 && parts[2].size() == 4;
    const int year = fullYear && part(2) ? part(2) : base.year();
    // An impossible day (31 in a 30-day month) is no date, never today.
    const QDate d(year, month, day);
    return d.isValid() ? d : QDate();
}

void TQuorendDateEdit::SetDate(const QDate &Value)
{
    SetText(Value.isValid() ? DateToDisplayText(Value) : QString());
}

QDate TQuorendDateEdit::DateOrToDate() const
{
    const QDate d = Date();
    return d.isValid() ? d : ToDate();
}

QChar TQuorendDateEdit::ConvertChar(QChar C)
{
    return C == QChar(',') ? QChar('.') : TFilteredEdit::ConvertChar(C);
}

void TQuorendDateEdit::focusOutEvent(QFocusEvent *e)
{
    TFilteredEdit::focusOutEvent(e);
    // A menu or another window taking the focus is not leaving the edit.
    if (e->reason() == Qt::PopupFocusReason || e->reason() == Qt::ActiveWindowFocusReason)
        return;
    QString t = text();
    if (t.contains(QChar(','))) {
        t.replace(QChar(','), QChar('.'));
        SetText(t);
    }
    // An empty edit stays empty: no date typed is not a date.
    if (FValidateOnExit && !text().isEmpty()) {
        const QDate d = Date();
        if (d.isValid())
            SetDate(d);
    }
    if (OnExit)
        OnExit(this);
}
