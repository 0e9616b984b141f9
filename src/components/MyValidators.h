#pragma once
// Validators: objects that say whether a text is valid, an acceptable
// beginning of a valid text, or invalid, and describe that state in words.
// The filtered edit asks its validator after every change.
#include <QDate>
#include <QObject>
#include <QString>

enum TValidateState {
    vsNone = 0,          // empty text
    vsValid = 1,
    vsStillValid = 2,    // an acceptable beginning of a valid text
    vsInvalid = 3,
    vsInvalidChars = 4
};

class TCustomValidator : public QObject
{
    Q_OBJECT
public:
    explicit TCustomValidator(QObject *parent = nullptr);

    // When not empty, every character of a text must occur in it.
    QString ValidChars() const { return FValidChars; }
    void SetValidChars(const QString &Value) { FValidChars = Value; }
    // No character of a text may occur in it.
    QString InvalidChars() const { return FInvalidChars; }
    void SetInvalidChars(const QString &Value) { FInvalidChars = Value; }
    // A bracket mask (uHelpers' BracketMaskMatch), checked when UseMask.
    QString Mask() const { return FMask; }
    void SetMask(const QString &Value) { FMask = Value; }
    bool UseMask() const { return FUseMask; }
    void SetUseMask(bool Value) { FUseMask = Value; }
    // 0: no limit.
    int MaxLength() const { return FMaxLength; }
    void SetMaxLength(int Value) { FMaxLength = Value; }

    // vsValid, or vsInvalidChars for a character outside ValidChars.
    virtual TValidateState CheckValidChars(const QString &S) const;
    // vsValid, or vsInvalidChars for a character of InvalidChars.
    virtual TValidateState CheckInvalidChars(const QString &S) const;
    // The mask: -1 (a beginning) vsStillValid, 1 vsValid, else vsInvalid.
    virtual TValidateState CheckMask(const QString &S) const;
    // The value itself: the mask when UseMask, else vsValid.
    virtual TValidateState CheckValue(const QString &S) const;
    virtual void FormatText(const QString &S, QString &R) const;
    virtual void UnformatText(const QString &S, QString &R) const;
    // vsNone or vsValid.
    virtual bool IsValid(const QString &S) const;
    // Not invalid: vsNone, vsValid or vsStillValid.
    virtual bool IsAcceptable(const QString &S) const;
    // Empty: vsNone; too long: vsInvalid; a refused character:
    // vsInvalidChars; else CheckValue.
    virtual TValidateState Validate(const QString &S) const;
    // The state in words; empty here.
    virtual void GetStateText(TValidateState State, QString &Text) const;

    // Both character checks of one character.
    bool CharAcceptable(QChar C) const;

private:
    QString FValidChars;
    QString FInvalidChars;
    QString FMask;
    bool FUseMask = false;
    int FMaxLength = 0;
};

// Dates typed as d, d.m, d.m. or d.m.y (',' counts as '.'): valid with a
// four-digit year inside FromDate..ToDate, still valid while a day and
// month that exist are being typed.
class TDateValidator : public TCustomValidator
{
    Q_OBJECT
public:
    explicit TDateValidator(QObject *parent = nullptr);

    QDate FromDate() const { return FFromDate; }
    void SetFromDate(const QDate &Value) { FFromDate = Value; }
    QDate ToDate() const { return FToDate; }
    void SetToDate(const QDate &Value) { FToDate = Value; }
    // (year of FromDate + year of ToDate) div 2: the year a day and month
    // typed without a full year are checked in.
    int MiddleYear() const { return (FFromDate.year() + FToDate.year()) / 2; }

    TValidateState CheckValue(const QString &S) const override;
    void GetStateText(TValidateState State, QString &Text) const override;

private:
    // Whether day D of month M exists in a year of the range and falls in
    // it: the middle year first, then (for 29 February) any leap year.
    bool DayMonthAcceptable(int D, int M) const;

    QDate FFromDate;
    QDate FToDate;
};
