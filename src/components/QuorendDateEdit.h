#pragma once
// The date fields of the forms. TQuorendDateEdit is a filtered edit with a
// date validator: ',' types as '.'; leaving the edit completes a partly
// typed date ("15" -> the 15th of this month) and writes it as dd.mm.yyyy.
// TQuorendDatePicker is the date field of the parameter panels and the
// documents, with its calendar: its date is typed as text, never section by
// section, and a text that is no date never becomes another date.
#include <QDate>
#include <QDateEdit>

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
    // A whole date is typed over, digit by digit (see TypeIntoDateText).
    void TypeChar(QString &Text, int Start, int Length, int &Caret, QChar C) override;

    std::function<void(QObject *Sender)> OnExit;

protected:
    void focusOutEvent(QFocusEvent *e) override;

private:
    bool FValidateOnExit = true;
};

// Typing C into a date text (selection Start..Start+Length, else the caret
// at Caret): a selection is replaced by C; in a whole date (dd.mm.yyyy) a
// digit takes the place of the digit at the caret, stepping over a '.', and
// a '.' at a '.' only moves past it; otherwise C is inserted. Caret ends
// after what was typed.
void TypeIntoDateText(QString &Text, int Start, int Length, int &Caret, QChar C);
// Whether Text can still become a date as typed: digits with at most two
// '.' (or ','), day and month of up to two digits, a year of up to four.
bool IsDateBeginning(const QString &Text);
// The date a typed text names: d.m.yyyy (also with ','); with Short, also
// d, d.m and d.m.yy (2000 + yy), the missing parts from Base. False for a
// text that names no date (31.04, 29.02 of a common year, a letter).
bool ReadTypedDate(const QString &Text, const QDate &Base, bool Short, QDate &Result);

class TQuorendDatePicker : public QDateEdit
{
    Q_OBJECT
public:
    explicit TQuorendDatePicker(QWidget *parent = nullptr);

    // The field's name in messages: FieldName when set, else the label
    // whose buddy the picker is, else the label before it on its panel.
    QString FieldName() const;
    void SetFieldName(const QString &Value) { FFieldName = Value; }
    // Whether the text shows something else than the date held (a date
    // being typed).
    bool Pending() const;
    // Ends the typing: a whole date, or a short form completed from today
    // (d, d.m), becomes the date. A text that names no date is
    // refused with a message naming the field, and the date held before
    // comes back; false then.
    bool Commit();

    QValidator::State validate(QString &Input, int &Pos) const override;

protected:
    QDateTime dateTimeFromText(const QString &Text) const override;
    void keyPressEvent(QKeyEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void focusOutEvent(QFocusEvent *e) override;
    bool eventFilter(QObject *Watched, QEvent *Event) override;

private:
    // The calendar, once made, gives the field only the day it chose.
    void TakeCalendar();
    // Typing, deleting and Ctrl+A done on the text itself; false for a key
    // that goes on as usual.
    bool TypeKey(QKeyEvent *e);
    void PutTyped(const QString &Text, int Caret);
    void UpdateLook();
    QString FFieldName;
    bool FCommitting = false;
    bool FCalendarTaken = false;
};
