#include "components/MyValidators.h"

#include "core/uHelpers.h"

TCustomValidator::TCustomValidator(QObject *parent) : QObject(parent) {}

TValidateState TCustomValidator::CheckValidChars(const QString &S) const
{
    if (!FValidChars.isEmpty())
        for (const QChar c : S)
            if (!FValidChars.contains(c))
                return vsInvalidChars;
    return vsValid;
}

TValidateState TCustomValidator::CheckInvalidChars(const QString &S) const
{
    if (!FInvalidChars.isEmpty())
        for (const QChar c : S)
            if (FInvalidChars.contains(c))
                return vsInvalidChars;
    return vsValid;
}

TValidateState TCustomValidator::CheckMask(const QString &S) const
{
    switch (BracketMaskMatch(FMask, S)) {
    case -1:
        return vsStillValid;
    case 1:
        return vsValid;
    default:
        return vsInvalid;
    }
}

TValidateState TCustomValidator::CheckValue(const QString &S) const
{
    return FUseMask ? CheckMask(S) : vsValid;
}

void TCustomValidator::FormatText(const QString &S, QString &R) const
{
    R = S;
}

void TCustomValidator::UnformatText(const QString &S, QString &R) const
{
    R = S;
}

bool TCustomValidator::IsValid(const QString &S) const
{
    return Validate(S) < vsStillValid;
}

bool TCustomValidator::IsAcceptable(const QString &S) const
{
    return Validate(S) < vsInvalid;
}

TValidateState TCustomValidator::Validate(const QString &S) const
{
    if (S.isEmpty())
        return vsNone;
    if (FMaxLength > 0 && S.size() > FMaxLength)
        return vsInvalid;
    if (CheckInvalidChars(S) != vsValid || CheckValidChars(S) != vsValid)
        return vsInvalidChars;
    return CheckValue(S);
}

void TCustomValidator::GetStateText(TValidateState, QString &Text) const
{
    Text.clear();
}

bool TCustomValidator::CharAcceptable(QChar C) const
{
    const QString s(C);
    return CheckInvalidChars(s) == vsValid && CheckValidChars(s) == vsValid;
}

// ---------------------------------------------------------------------------

TDateValidator::TDateValidator(QObject *parent) : TCustomValidator(parent)
{
    SetValidChars(QStringLiteral("0123456789.,"));
    FFromDate = QDate(1900, 1, 1);
    FToDate = QDate(QDate::currentDate().year(), 12, 31);
}

namespace {

// A part of one or two digits (or up to MaxDigits); -1 otherwise.
int DigitsPart(const QString &S, int MaxDigits)
{
    if (S.isEmpty() || S.size() > MaxDigits)
        return -1;
    int v = 0;
    for (const QChar c : S) {
        if (c < QChar('0') || c > QChar('9'))
            return -1;
        v = v * 10 + (c.unicode() - '0');
    }
    return v;
}

} // namespace

bool TDateValidator::DayMonthAcceptable(int D, int M) const
{
    auto inRange = [&](int year) {
        const QDate d(year, M, D);
        return d.isValid() && d >= FFromDate && d <= FToDate;
    };
    if (inRange(MiddleYear()))
        return true;
    // 29 February is a day of the range when one of its years is a leap
    // year: the operator is typing such a year.
    if (D == 29 && M == 2)
        for (int y = FFromDate.year(); y <= FToDate.year(); ++y)
            if (QDate::isLeapYear(y) && inRange(y))
                return true;
    return false;
}

TValidateState TDateValidator::CheckValue(const QString &S) const
{
    QString t = S;
    t.replace(QChar(','), QChar('.'));
    const QStringList parts = t.split(QChar('.'));
    switch (parts.size()) {
    case 1: {
        const int d = DigitsPart(parts[0], 2);
        return d >= 0 && d < 32 ? vsStillValid : vsInvalid;
    }
    case 2: {
        const int d = DigitsPart(parts[0], 2);
        if (parts[1].isEmpty())
            return d >= 0 && d <= 31 ? vsStillValid : vsInvalid;
        const int m = DigitsPart(parts[1], 2);
        if (d >= 1 && d <= 31 && m >= 1 && m <= 12)
            return vsStillValid;
        // "15.0" begins a month 01..09.
        if (d >= 1 && d <= 31 && parts[1] == QLatin1String("0"))
            return vsStillValid;
        return vsInvalid;
    }
    case 3: {
        const int d = DigitsPart(parts[0], 2);
        const int m = DigitsPart(parts[1], 2);
        if (d < 1 || m < 1)
            return vsInvalid;
        if (parts[2].size() == 4) {
            const int y = DigitsPart(parts[2], 4);
            const QDate date(y, m, d);
            return y > 0 && date.isValid() && date >= FFromDate && date <= FToDate ? vsValid
                                                                                   : vsInvalid;
        }
        if (!parts[2].isEmpty() && DigitsPart(parts[2], 3) < 0)
            return vsInvalid;
        return DayMonthAcceptable(d, m) ? vsStillValid : vsInvalid;
    }
    default:
        return vsInvalid;
    }
}

void TDateValidator::GetStateText(TValidateState State, QString &Text) const
{
    switch (State) {
    case vsNone:
        Text = QStringLiteral("Въведете дата (") + DateToDisplayText(FFromDate) + QChar('-')
               + DateToDisplayText(FToDate) + QStringLiteral(").");
        break;
    case vsValid:
        Text = QStringLiteral("Датата е валидна.");
        break;
    case vsStillValid:
        Text = QStringLiteral("Датата е все още валидна.");
        break;
    case vsInvalid:
        Text = QStringLiteral("Невалидна дата.");
        break;
    case vsInvalidChars:
        Text = QStringLiteral("Невалидни символи.");
        break;
    default:
        Text = QStringLiteral("Няма информация.");
    }
}
