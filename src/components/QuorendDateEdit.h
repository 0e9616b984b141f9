#pragma once
// The date field of the data forms: a filtered edit with a date validator.
// ',' types as '.'; leaving the edit completes a partly typed date
// ("15" -> the 15th of this month) and writes it as dd.mm.yyyy.
#include <QDate>

#include "components/FilteredEdit.h"

class TQuorendDateEdit : public TFilteredEdit
{
    Q_OBJECT
public:
    explicit TQuorendDateEdit(QWidget *parent = nullptr);

    TDateValidator *DateValidator() const;
    // The range (kept in the validator): 01.01.1900 .. 01.01.3000 at start.
    QDate FromDate() const;
    void SetFromDate(const QDate &Value);
    QDate ToDate() const;
    void SetToDate(const QDate &Value);
    bool ValidateOnExit() const { return FValidateOnExit; }
    void SetValidateOnExit(bool Value) { FValidateOnExit = Value; }

    // The typed date while the text is valid or still valid: day.month.year
    // with the missing parts (and a year of fewer than four digits, which
    // the validator also reads as not yet typed) from today's date fitted
    // into the working period. A null date otherwise (no date), also for
    // a day the month does not have.
    QDate Date() const;
    // The text becomes the date as dd.mm.yyyy (empty for a null date).
    void SetDate(const QDate &Value);
    // Date, or ToDate when there is no date.
    QDate DateOrToDate() const;

    QChar ConvertChar(QChar C) override;

    std::function<void(QObject *Sender)> OnExit;

protected:
    void focusOutEvent(QFocusEvent *e) override;

private:
    bool FValidateOnExit = true;
};
