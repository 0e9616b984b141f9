#include "core/uHelpers.h"

#include "core/LineConv.h"
#include "core/uMLinkFuncs.h"
#include "platform/Exception.h"
#include "platform/print/CodePages.h"

#include <QCursor>
#include <QGuiApplication>
#include <QLocale>
#include <cerrno>
#include <cfloat>
#include <climits>
#include <cmath>
#include <algorithm>
#include <cstdint>
#include <functional>
#include <vector>

#include <unistd.h>

namespace {

using u128 = unsigned __int128;

constexpr int MaxExactDecimals = 19;

const std::uint64_t Pow10Table[MaxExactDecimals + 1] = {
    1ULL, 10ULL, 100ULL, 1000ULL, 10000ULL, 100000ULL, 1000000ULL, 10000000ULL,
    100000000ULL, 1000000000ULL, 10000000000ULL, 100000000000ULL,
    1000000000000ULL, 10000000000000ULL, 100000000000000ULL,
    1000000000000000ULL, 10000000000000000ULL, 100000000000000000ULL,
    1000000000000000000ULL, 10000000000000000000ULL};

long double Pow10(int N)
{
    if (N >= 0 && N <= MaxExactDecimals)
        return static_cast<long double>(Pow10Table[N]);
    return std::pow(10.0L, static_cast<long double>(N));
}

int BitLength(u128 v)
{
    int n = 0;
    while (v) {
        ++n;
        v >>= 1;
    }
    return n;
}

// The exact binary value of A (finite, >= 0) times 10^N, rounded half away
// from zero to an integer. Works on the value's own bits, so no decimal
// tie is ever decided by an inexact intermediate. False when the result
// does not fit.
bool ScaleExact(long double A, int N, u128 &Q)
{
    Q = 0;
    if (N < 0 || N > MaxExactDecimals)
        return false;
    if (A == 0)
        return true;
    int e2 = 0;
    const long double frac = std::frexp(A, &e2); // A = frac * 2^e2, frac in [0.5, 1)
    // The significand as a 64-bit integer: exact for the x87 extended type,
    // rounded where long double is wider.
    const auto mant = static_cast<std::uint64_t>(std::ldexp(frac, 64));
    const int e = e2 - 64;
    const u128 scaled = static_cast<u128>(mant) * Pow10Table[N];
    if (e >= 0) {
        if (e > 127 - BitLength(scaled))
            return false;
        Q = scaled << e;
        return true;
    }
    const int sh = -e;
    if (sh > 128)
        return true; // below one half
    if (sh == 128) {
        Q = (scaled >> 127) ? 1 : 0;
        return true;
    }
    Q = scaled >> sh;
    const u128 rem = scaled & ((static_cast<u128>(1) << sh) - 1);
    if (rem >= (static_cast<u128>(1) << (sh - 1)))
        ++Q;
    return true;
}

QString U128ToText(u128 v)
{
    if (v == 0)
        return QStringLiteral("0");
    char buf[48];
    int i = sizeof buf;
    while (v) {
        buf[--i] = static_cast<char>('0' + static_cast<int>(v % 10));
        v /= 10;
    }
    return QString::fromLatin1(buf + i, static_cast<int>(sizeof buf) - i);
}

// Q / 10^N written with exactly N decimals and '.'; "-" only before a
// non-zero value.
QString ScaledToText(bool Negative, u128 Q, int N)
{
    QString digits = U128ToText(Q);
    if (N > 0) {
        if (digits.size() <= N)
            digits = QString(N + 1 - digits.size(), QChar('0')) + digits;
        digits.insert(digits.size() - N, QChar('.'));
    }
    if (Negative && Q != 0)
        digits.prepend(QChar('-'));
    return digits;
}

// "%.*f" of the exact value of X, the last digit rounded half away from
// zero.
QString FixedText(long double X, int N)
{
    if (!std::isfinite(X))
        return QLocale::c().toString(static_cast<double>(X));
    if (N < 0)
        N = 0;
    u128 q = 0;
    if (ScaleExact(std::fabs(X), N, q))
        return ScaledToText(std::signbit(X), q, N);
    // Beyond 2^64 or with more than 19 decimals: precision runs out anyway.
    QString s = QLocale::c().toString(static_cast<double>(X), 'f', N);
    if (s.startsWith(QChar('-')) && s.count(QChar('0')) + s.count(QChar('.')) + 1 == s.size())
        s.remove(0, 1);
    return s;
}

// The system's general form of a value: 15 significant digits, trailing
// zeros dropped; fixed notation when the value has at most 15 integer
// digits and is at least 0.00001, else "d.dddE[-]x".
QString GeneralText(long double X)
{
    if (!std::isfinite(X))
        return QLocale::c().toString(static_cast<double>(X));
    const long double a = std::fabs(X);
    if (a == 0)
        return QStringLiteral("0");
    const bool negative = std::signbit(X);
    if (a >= 0.00001L && a < 1e15L) {
        int d = static_cast<int>(std::floor(std::log10(a))); // decimal exponent
        for (int attempt = 0; attempt < 3; ++attempt) {
            const int n = 14 - d;
            u128 q = 0;
            if (n < 0 || !ScaleExact(a, n, q))
                break;
            if (q < Pow10Table[14]) {
                --d; // the estimate was one too high
                continue;
            }
            if (q >= Pow10Table[15]) {
                ++d; // a carry into a new digit, or an estimate one too low
                continue;
            }
            QString s = ScaledToText(negative, q, n);
            if (n > 0) {
                while (s.endsWith(QChar('0')))
                    s.chop(1);
                if (s.endsWith(QChar('.')))
                    s.chop(1);
            }
            return s;
        }
    }
    // Scientific: "1.5E15", "2.5E-7".
    QString s = QLocale::c().toString(static_cast<double>(X), 'e', 14);
    const int ePos = s.indexOf(QChar('e'));
    QString mantissa = s.left(ePos);
    int exponent = s.mid(ePos + 1).toInt();
    if (mantissa.contains(QChar('.'))) {
        while (mantissa.endsWith(QChar('0')))
            mantissa.chop(1);
        if (mantissa.endsWith(QChar('.')))
            mantissa.chop(1);
    }
    return mantissa + QChar('E') + QString::number(exponent);
}

// The cut of the rounding: the integer part of the value's 15-significant-
// digit text, which absorbs the binary noise of the decimal fraction (so
// 234.99999999999997 cuts to 235). S is finite, >= 0 and below 10^15. The
// text keeps at least two decimals: with 14 or 15 integer digits a text of
// 15 digits would round the integer itself and add a unit to every value.
std::uint64_t CutAtFifteenDigits(long double S)
{
    u128 q = 0;
    if (S < 1) {
        ScaleExact(S, 15, q);
        return q >= Pow10Table[15] ? 1 : 0;
    }
    const auto whole = static_cast<std::uint64_t>(S);
    int digits = 0;
    for (std::uint64_t w = whole; w; w /= 10)
        ++digits;
    const int n = std::max(15 - digits, 2);
    ScaleExact(S, n, q);
    return static_cast<std::uint64_t>(q / Pow10Table[n]);
}

// The system's rounding as a scaled integer: |X| rounded to N decimals is
// K / 10^N. False when X is out of the range where the cut is sound.
bool RoundScaled(int N, long double X, bool &Negative, std::uint64_t &K)
{
    Negative = std::signbit(X);
    K = 0;
    if (!std::isfinite(X))
        return false;
    const long double a = std::fabs(X);
    if (a >= 1e13L)
        return false;
    const long double p = Pow10(N);
    const long double s = (a + 5.0L / (10.0L * p)) * p;
    if (!(s < 1e15L))
        return false;
    K = CutAtFifteenDigits(s);
    return true;
}

// A DotDecimalText read with our own code: [blanks][sign]digits[.digits]
// [e[sign]digits][blanks], at least one digit in the number.
bool ParseDotDecimal(QStringView Text, long double &Value)
{
    const QStringView s = Text.trimmed();
    int i = 0;
    const int n = s.size();
    bool negative = false;
    if (i < n && (s[i] == QChar('-') || s[i] == QChar('+')))
        negative = s[i++] == QChar('-');
    std::uint64_t mant = 0;
    int significant = 0;
    int exp10 = 0;
    int digitsSeen = 0;
    auto takeDigit = [&](int d, bool fraction) {
        ++digitsSeen;
        if (significant == 0 && d == 0) {
            if (fraction)
                --exp10;
            return;
        }
        if (significant < 19) {
            mant = mant * 10 + static_cast<std::uint64_t>(d);
            ++significant;
            if (fraction)
                --exp10;
        } else if (!fraction) {
            ++exp10; // digits beyond what the significand holds
        }
    };
    while (i < n && s[i].isDigit() && s[i].unicode() < 128)
        takeDigit(s[i++].unicode() - '0', false);
    if (i < n && s[i] == QChar('.')) {
        ++i;
        while (i < n && s[i].isDigit() && s[i].unicode() < 128)
            takeDigit(s[i++].unicode() - '0', true);
    }
    if (digitsSeen == 0)
        return false;
    if (i < n && (s[i] == QChar('e') || s[i] == QChar('E'))) {
        ++i;
        bool expNegative = false;
        if (i < n && (s[i] == QChar('-') || s[i] == QChar('+')))
            expNegative = s[i++] == QChar('-');
        int e = 0;
        int expDigits = 0;
        while (i < n && s[i].isDigit() && s[i].unicode() < 128) {
            if (e < 100000)
                e = e * 10 + (s[i].unicode() - '0');
            ++i;
            ++expDigits;
        }
        if (expDigits == 0)
            return false;
        exp10 += expNegative ? -e : e;
    }
    if (i != n)
        return false;
    long double v = static_cast<long double>(mant);
    if (mant != 0 && exp10 != 0) {
        // Powers of ten up to 10^27 are exact in the extended type, so the
        // common cases are one correctly rounded operation.
        if (exp10 > 0)
            v *= Pow10(exp10);
        else if (exp10 >= -27)
            v /= Pow10(-exp10);
        else
            v *= Pow10(exp10);
    }
    if (!std::isfinite(v))
        return false;
    Value = negative ? -v : v;
    return true;
}

} // namespace

// ---------------------------------------------------------------------------

long double RoundFloat(int N, long double X)
{
    bool negative = false;
    std::uint64_t k = 0;
    if (!RoundScaled(N, X, negative, k))
        return X == 0 ? 0.0L : X;
    if (k == 0)
        return 0.0L;
    const long double r = static_cast<long double>(k) / Pow10(N);
    return negative ? -r : r;
}

void FormatFloatRounded(int Precision, QString &Result, long double X)
{
    bool negative = false;
    std::uint64_t k = 0;
    if (Precision >= 0 && Precision <= MaxExactDecimals && RoundScaled(Precision, X, negative, k))
        Result = ScaledToText(negative, k, Precision);
    else
        Result = FixedText(RoundFloat(Precision, X), Precision);
}

void FloatToAmountStr(QString &Result, long double X)
{
    FormatFloatRounded(AmountPrecision, Result, X);
}

void FloatToDotStr(int Precision, QString &Result, long double X)
{
    if (Precision == -1)
        Result = GeneralText(X);
    else
        FormatFloatRounded(Precision, Result, X);
}

void FloatToFixedDotStr(int N, QString &Result, long double X)
{
    // The rounded value written in fixed notation is the shortest form with
    // zeros appended; fixed notation also keeps tiny and huge values from
    // turning into "1E-6.000000".
    if (N >= 0)
        FormatFloatRounded(N, Result, X);
    else
        Result = GeneralText(RoundFloat(N, X));
}

bool ReadDotDecimal(QStringView S, long double &Value)
{
    return ParseDotDecimal(S, Value);
}

long double DotStrToFloat(const QString &S, long double Default)
{
    if (S.isEmpty())
        return 0;
    long double v = 0;
    return ParseDotDecimal(S, v) ? v : Default;
}

long double DotStrToRoundedFloat(const QString &S, int N)
{
    return RoundFloat(N, DotStrToFloat(S, 0));
}

void FormatDotStr(const QString &S, int N, QString &Result)
{
    FloatToFixedDotStr(N, Result, DotStrToFloat(S, 0));
}

void AddDotStr(const QString &A, const QString &B, QString &Result)
{
    FloatToDotStr(-1, Result, DotStrToFloat(A, 0) + DotStrToFloat(B, 0));
}

void SubDotStr(const QString &A, const QString &B, QString &Result)
{
    FloatToDotStr(-1, Result, DotStrToFloat(A, 0) - DotStrToFloat(B, 0));
}

void MulDotStr(const QString &A, const QString &B, QString &Result)
{
    FloatToDotStr(-1, Result, DotStrToFloat(A, 0) * DotStrToFloat(B, 0));
}

void DivDotStr(const QString &A, const QString &B, QString &Result)
{
    const long double b = DotStrToFloat(B, 0);
    if (b == 0)
        Result = QStringLiteral("0");
    else
        FloatToDotStr(-1, Result, DotStrToFloat(A, 0) / b);
}

int StrToIntOrZero(const QString &S)
{
    const QString s = S.trimmed();
    int i = 0;
    const int n = s.size();
    bool negative = false;
    if (i < n && (s[i] == QChar('-') || s[i] == QChar('+')))
        negative = s[i++] == QChar('-');
    if (i == n)
        return 0;
    long long v = 0;
    for (; i < n; ++i) {
        const char16_t c = s[i].unicode();
        if (c < '0' || c > '9')
            return 0;
        v = v * 10 + (c - '0');
        if (v > static_cast<long long>(INT_MAX) + 1)
            return 0;
    }
    if (negative)
        v = -v;
    if (v > INT_MAX || v < INT_MIN)
        return 0;
    return static_cast<int>(v);
}

int CountDecimals(const QString &S)
{
    const int p = S.indexOf(DecimalSeparator());
    return p < 0 ? 0 : S.size() - p - 1;
}

// ---------------------------------------------------------------------------

namespace {

[[noreturn]] void FormatError(const QString &Fmt)
{
    throw EConvertError(QStringLiteral("Format '%1' invalid or incompatible with argument").arg(Fmt));
}

// The digits of |V| (V may be the smallest long long).
QString Magnitude(long long V)
{
    const unsigned long long m = V < 0 ? 0ULL - static_cast<unsigned long long>(V)
                                       : static_cast<unsigned long long>(V);
    return QString::number(m);
}

// A number text ("-1234567.89") with its whole part grouped by thousands
// ("-1 234 567.89"): a blank between the groups, the decimal point '.'.
QString GroupThousands(const QString &Number)
{
    const int digitsFrom = Number.startsWith(QLatin1Char('-')) ? 1 : 0;
    int digitsTo = Number.indexOf(QLatin1Char('.'));
    if (digitsTo < 0)
        digitsTo = Number.size();
    QString out = Number;
    for (int p = digitsTo - 3; p > digitsFrom; p -= 3)
        out.insert(p, ThousandSeparator());
    return out;
}

} // namespace

QString Format(const QString &Fmt, std::initializer_list<TFormatArg> Args)
{
    QString out;
    out.reserve(Fmt.size() + 16);
    auto next = Args.begin();
    const int n = static_cast<int>(Fmt.size());
    for (int i = 0; i < n; ++i) {
        const QChar c = Fmt.at(i);
        if (c != QLatin1Char('%')) {
            out += c;
            continue;
        }
        if (++i >= n)
            FormatError(Fmt);
        if (Fmt.at(i) == QLatin1Char('%')) {
            out += QLatin1Char('%');
            continue;
        }
        bool leftAlign = false;
        if (Fmt.at(i) == QLatin1Char('-')) {
            leftAlign = true;
            ++i;
        }
        // A width or precision is digits, or '*': the next argument, an
        // integer.
        auto number = [&](int &value) {
            if (i < n && Fmt.at(i) == QLatin1Char('*')) {
                ++i;
                if (next == Args.end() || next->Kind() != TFormatArg::faInteger)
                    FormatError(Fmt);
                const long long v = (next++)->Integer();
                value = static_cast<int>(std::clamp(v, -9999LL, 9999LL));
                return true;
            }
            bool any = false;
            value = 0;
            while (i < n && Fmt.at(i) >= QLatin1Char('0') && Fmt.at(i) <= QLatin1Char('9')) {
                value = std::min(value * 10 + (Fmt.at(i).unicode() - '0'), 9999);
                ++i;
                any = true;
            }
            return any;
        };
        int width = 0;
        number(width);
        if (width < 0) {
            leftAlign = true;
            width = -width;
        }
        int precision = -1;
        if (i < n && Fmt.at(i) == QLatin1Char('.')) {
            ++i;
            if (!number(precision))
                FormatError(Fmt);
            // A negative precision taken from an argument counts as none.
            if (precision < 0)
                precision = -1;
        }
        if (i >= n || next == Args.end())
            FormatError(Fmt);
        const TFormatArg &arg = *next++;
        const char16_t type = Fmt.at(i).toLower().unicode();
        QString field;
        switch (type) {
        case 'd':
            if (arg.Kind() != TFormatArg::faInteger)
                FormatError(Fmt);
            field = Magnitude(arg.Integer());
            if (precision > field.size())
                field.prepend(QString(precision - field.size(), QLatin1Char('0')));
            if (arg.Integer() < 0)
                field.prepend(QLatin1Char('-'));
            break;
        case 'f':
        case 'n':
            if (arg.Kind() != TFormatArg::faFloat)
                FormatError(Fmt);
            FormatFloatRounded(precision < 0 ? 2 : std::min(precision, 18), field, arg.Float());
            if (type == 'n')
                field = GroupThousands(field);
            break;
        case 's':
            if (arg.Kind() != TFormatArg::faText)
                FormatError(Fmt);
            field = precision >= 0 ? arg.Text().left(precision) : arg.Text();
            break;
        default:
            FormatError(Fmt);
        }
        if (field.size() < width) {
            const QString pad(width - field.size(), QLatin1Char(' '));
            field = leftAlign ? field + pad : pad + field;
        }
        out += field;
    }
    return out;
}

// ---------------------------------------------------------------------------

namespace {
const QDate DayZero(1899, 12, 30);
}

int DateToDayNumber(const QDate &D)
{
    return D.isValid() ? static_cast<int>(DayZero.daysTo(D)) : 0;
}

QDate DayNumberToDate(int DayNumber)
{
    return DayZero.addDays(DayNumber);
}

QString SqlDayNumber(const QDate &D)
{
    return QString::number(DateToDayNumber(D));
}

QString DateToDisplayText(const QDate &D)
{
    return D.toString(QStringLiteral("dd.MM.yyyy"));
}

// ---------------------------------------------------------------------------

int PieceCount(const QString &S, QChar Delim)
{
    return static_cast<int>(S.count(Delim)) + 1;
}

namespace {
// Start of piece Index and its length; false when there is no such piece.
bool FindPiece(const QString &S, QChar Delim, int Index, int &Start, int &Length)
{
    if (Index < 0)
        return false;
    int start = 0;
    for (int i = 0; i < Index; ++i) {
        const int p = static_cast<int>(S.indexOf(Delim, start));
        if (p < 0)
            return false;
        start = p + 1;
    }
    const int end = static_cast<int>(S.indexOf(Delim, start));
    Start = start;
    Length = (end < 0 ? static_cast<int>(S.size()) : end) - start;
    return true;
}
} // namespace

void GetPiece(const QString &S, QChar Delim, int Index, QString &Result)
{
    int start = 0, length = 0;
    if (FindPiece(S, Delim, Index, start, length))
        Result = S.mid(start, length);
    else
        Result.clear();
}

void SetPiece(QString &S, QChar Delim, int Index, const QString &Value)
{
    if (Index < 0)
        return;
    const int count = PieceCount(S, Delim);
    if (count <= Index)
        S.append(QString(Index + 1 - count, Delim));
    int start = 0, length = 0;
    FindPiece(S, Delim, Index, start, length);
    S.replace(start, length, Value);
}

void SetPieceCount(QString &S, QChar Delim, int N)
{
    if (N <= 0) {
        S.clear();
        return;
    }
    const int count = PieceCount(S, Delim);
    if (count < N) {
        S.append(QString(N - count, Delim));
    } else if (count > N) {
        int start = 0, length = 0;
        FindPiece(S, Delim, N - 1, start, length);
        S.truncate(start + length);
    }
}

void GetPieceRange(const QString &S, QChar Delim, int From, QString &Result, int To)
{
    const int count = PieceCount(S, Delim);
    if (From < 0)
        From = 0;
    if (To >= count)
        To = count - 1;
    if (From > To) {
        Result.clear();
        return;
    }
    int fromStart = 0, fromLength = 0, toStart = 0, toLength = 0;
    FindPiece(S, Delim, From, fromStart, fromLength);
    FindPiece(S, Delim, To, toStart, toLength);
    Result = S.mid(fromStart, toStart + toLength - fromStart);
}

// ---------------------------------------------------------------------------

namespace {

int StrToIntOrRaise(const QString &S)
{
    bool ok = false;
    const int v = S.toInt(&ok);
    if (!ok)
        throw EConvertError(QStringLiteral("\"%1\" не е цяло число").arg(S));
    return v;
}

QString TwoDigits(const QString &S)
{
    return S.size() < 2 ? QString(2 - S.size(), QChar('0')) + S : S;
}

} // namespace

QDate YyyymmddToDate(const QString &S)
{
    const int year = StrToIntOrRaise(S.mid(0, 4));
    const int month = StrToIntOrRaise(S.mid(4, 2));
    int day = StrToIntOrRaise(S.mid(6, 2));
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1)
        throw EConvertError(QStringLiteral("Няма такава дата"));
    const int last = QDate(year, month, 1).daysInMonth();
    if (day > last)
        day = last;
    return QDate(year, month, day);
}

void DateToYyyymmdd(const QDate &D, QString &Result)
{
    Result = D.toString(QStringLiteral("yyyyMMdd"));
}

void YyyymmddToDisplayDate(const QString &S, QString &Result)
{
    Result = DateToDisplayText(YyyymmddToDate(S));
}

void DisplayDateToYyyymmdd(const QString &S, QString &Result)
{
    QString kept;
    KeepNumericChars(S, kept);
    QString day, month, year;
    GetPiece(kept, QChar('.'), 0, day);
    GetPiece(kept, QChar('.'), 1, month);
    GetPiece(kept, QChar('.'), 2, year);
    Result = year + TwoDigits(month) + TwoDigits(day);
}

QDate DisplayDateToDate(const QString &S)
{
    QString digits;
    DisplayDateToYyyymmdd(S, digits);
    return YyyymmddToDate(digits);
}

bool TryDigitsToDate(const QString &S, int Format, QDate &Date)
{
    QString d, m, y;
    if (Format == 1) {
        d = S.mid(0, 2);
        m = S.mid(2, 2);
        y = S.mid(4, 4);
    } else if (Format == 2) {
        y = S.mid(0, 4);
        m = S.mid(4, 2);
        d = S.mid(6, 2);
    } else {
        return false;
    }
    if (S.size() != 8)
        return false;
    for (const QChar c : S)
        if (c < QChar('0') || c > QChar('9'))
            return false;
    const QDate date(y.toInt(), m.toInt(), d.toInt());
    if (!date.isValid() || date.year() < 1900)
        return false;
    Date = date;
    return true;
}

QDate DottedStrToDate(const QString &S, int Order, const QDate &Default)
{
    int part[3];
    for (int i = 0; i < 3; ++i) {
        QString piece;
        GetPiece(S, QChar('.'), i, piece);
        part[i] = StrToIntOrZero(piece);
    }
    int day = 0, month = 0, year = 0;
    switch (Order) {
    case 1:
        day = part[0]; month = part[1]; year = part[2];
        break;
    case 2:
        year = part[0]; month = part[1]; day = part[2];
        break;
    case 3:
        day = part[0]; month = part[1]; year = part[2];
        if (year > 0 && year < 40)
            year += 2000;
        else if (year > 0 && year < 100)
            year += 1900;
        break;
    default:
        return Default;
    }
    if (year == 0)
        year = Default.year();
    if (month == 0)
        month = Default.month();
    if (day == 0)
        day = Default.day();
    if (year < 1 || year > 9999)
        return Default;
    const QDate date(year, month, day);
    return date.isValid() ? date : Default;
}

// ---------------------------------------------------------------------------

namespace {

// A line splitter on S with the given delimiter and trimming.
void SplitLine(TLineConv &Line, const QString &S, const QString &Delim, bool AutoTrim)
{
    Line.SetDelimiter(Delim);
    Line.SetAutoTrim(AutoTrim);
    Line.SetLine(S);
}

void LineItem(const QString &S, const QString &Delim, int Index, bool AutoTrim, QString &Result)
{
    TLineConv line;
    SplitLine(line, S, Delim, AutoTrim);
    Result = Index >= 0 && Index < line.Count() ? line.Strings(Index) : QString();
}

} // namespace

void GetLineItem(const QString &S, const QString &Delim, int Index, QString &Result)
{
    LineItem(S, Delim, Index, false, Result);
}

int LineItemCount(const QString &S, const QString &Delim)
{
    TLineConv line;
    SplitLine(line, S, Delim, false);
    return line.Count();
}

void GetDelimitedField(const QString &S, const QString &Delim, int Index, QString &Result)
{
    LineItem(S, Delim, Index, TLineConv().AutoTrim(), Result);
}

void SplitToKeyedList(const QString &S, TLineConv &List, const QString &RecordDelim,
                      const QString &FieldDelim)
{
    TLineConv records;
    SplitLine(records, S, RecordDelim, false);
    for (int i = 0; i < records.Count(); ++i) {
        const QString record = records.Strings(i);
        if (record.isEmpty())
            continue;
        auto *fields = new TLineConv;
        SplitLine(*fields, record, FieldDelim, false);
        List.AddObject(fields->Count() > 0 ? fields->Strings(0) : QString(), fields);
    }
}

// ---------------------------------------------------------------------------

void ReplaceChar(const QString &S, QChar Old, QChar New, QString &Result)
{
    Result = S;
    Result.replace(Old, New);
}

void SubstituteChar(const QString &S, QChar Old, QChar New, QString &Result)
{
    ReplaceChar(S, Old, New, Result);
}

void RemoveChar(const QString &S, QChar C, QString &Result)
{
    Result = S;
    Result.remove(C);
}

void DeleteAllChar(QChar C, const QString &S, QString &Result)
{
    RemoveChar(S, C, Result);
}

void KeepNumericChars(const QString &S, QString &Result)
{
    QString kept;
    kept.reserve(S.size());
    for (const QChar c : S)
        if ((c >= QChar('0') && c <= QChar('9')) || c == QChar('-') || c == QChar('.'))
            kept.append(c);
    Result = kept;
}

void ReplaceStr(const QString &S, const QString &Find, const QString &Repl, QString &Result)
{
    Result = S;
    if (Find.isEmpty() || Find.size() > S.size())
        return;
    Result.replace(Find, Repl, Qt::CaseSensitive);
}

void IncludeTrailingChar(const QString &S, QChar C, QString &Result)
{
    Result = S;
    if (!Result.isEmpty() && !Result.endsWith(C))
        Result.append(C);
}

void UpperCaseChars(const QString &S, QString &Result)
{
    QString upper = S;
    for (QChar &c : upper)
        c = c.toUpper();
    Result = upper;
}

namespace {

// Padding of S to Width; NegativeRule keeps the '-' of a negative number in
// front of a leading padding.
QString Padded(const QString &S, int Width, QChar PadChar, int Align, bool NegativeRule)
{
    if (S.size() >= Width)
        return S;
    const QString pad(Width - S.size(), PadChar);
    switch (Align) {
    case 0: {
        long double v = 0;
        if (NegativeRule && S.startsWith(QChar('-')) && ParseDotDecimal(S, v) && v < 0)
            return QChar('-') + pad + S.mid(1);
        return pad + S;
    }
    case 1: {
        const int before = std::max<int>(static_cast<int>(pad.size()) / 2, 1) - 1;
        return pad.left(before) + S + pad.mid(before);
    }
    case 2:
        return S + pad;
    default:
        return S;
    }
}

} // namespace

void PadToWidth(const QString &S, int Width, QChar PadChar, QString &Result, int Align)
{
    Result = Padded(S, Width, PadChar, Align, true);
}

void PadText(const QString &S, int Align, int Width, QString &Result, QChar PadChar)
{
    Result = PadChar.isNull() ? S : Padded(S, Width, PadChar, Align, false);
}

void PadTextLeft(const QString &S, int Width, QChar PadChar, QString &Result)
{
    PadText(S, 0, Width, Result, PadChar);
}

void PadTextRight(const QString &S, int Width, QChar PadChar, QString &Result)
{
    PadText(S, 2, Width, Result, PadChar);
}

void PadLeft(const QString &S, QChar PadChar, int Width, QString &Result)
{
    Result = Padded(S, Width, PadChar, 0, false);
}

void PadLeftBlank(const QString &S, int Width, QString &Result)
{
    PadLeft(S, QChar(' '), Width, Result);
}

void Win1251ToMik(const QString &S, QString &Result)
{
    Result = platform::RestrictToCodePage(S, platform::CodePage::Mik);
}

// ---------------------------------------------------------------------------

QString NormalizedWildcardMask(QString Mask)
{
    static const char *const rules[][2] = {
        {"**", "*"}, {"++", "+"}, {"+*", "+"}, {"*+", "+"}, {"*?", "+"}, {"?*", "+"}};
    bool changed = true;
    while (changed) {
        changed = false;
        for (const auto &rule : rules) {
            const QString from = QLatin1String(rule[0]);
            if (Mask.contains(from)) {
                Mask.replace(from, QLatin1String(rule[1]));
                changed = true;
            }
        }
    }
    return Mask;
}

namespace {

struct MaskToken
{
    enum Kind { Star, Plus, Any, Digit, Letter, Literal, Set } kind;
    QChar ch;
    QStringList items;
};

// False for a malformed bracket mask.
bool TokenizeMask(const QString &Mask, bool Brackets, std::vector<MaskToken> &Tokens)
{
    for (int i = 0; i < Mask.size(); ++i) {
        const QChar c = Mask[i];
        MaskToken t{MaskToken::Literal, c, {}};
        if (c == QChar('*'))
            t.kind = MaskToken::Star;
        else if (c == QChar('+'))
            t.kind = MaskToken::Plus;
        else if (c == QChar('?'))
            t.kind = MaskToken::Any;
        else if (c == QChar('#'))
            t.kind = MaskToken::Digit;
        else if (c == QChar('@'))
            t.kind = MaskToken::Letter;
        else if (Brackets && (c == QChar(',') || c == QChar(']')))
            return false;
        else if (Brackets && c == QChar('[')) {
            const int close = static_cast<int>(Mask.indexOf(QChar(']'), i + 1));
            if (close < 0)
                return false;
            const QString body = Mask.mid(i + 1, close - i - 1);
            if (body.contains(QChar('[')))
                return false;
            t.kind = MaskToken::Set;
            t.items = body.split(QChar(','));
            for (const QString &item : t.items)
                if (item.isEmpty())
                    return false;
            i = close;
        }
        Tokens.push_back(t);
    }
    return true;
}

bool IsMaskLetter(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= 0x0410 && u <= 0x044F);
}

// Whether the tokens match the whole Value (memoised backtracking).
bool TokensMatch(const std::vector<MaskToken> &Tokens, const QString &Value, Qt::CaseSensitivity Cs)
{
    const int nt = static_cast<int>(Tokens.size());
    const int nv = static_cast<int>(Value.size());
    std::vector<signed char> memo(static_cast<size_t>(nt + 1) * (nv + 1), -1);
    std::function<bool(int, int)> match = [&](int i, int j) -> bool {
        signed char &m = memo[static_cast<size_t>(i) * (nv + 1) + j];
        if (m >= 0)
            return m;
        bool r = false;
        if (i == nt) {
            r = j == nv;
        } else {
            const MaskToken &t = Tokens[i];
            switch (t.kind) {
            case MaskToken::Star:
                r = match(i + 1, j) || (j < nv && match(i, j + 1));
                break;
            case MaskToken::Plus:
                r = j < nv && (match(i + 1, j + 1) || match(i, j + 1));
                break;
            case MaskToken::Any:
                r = j < nv && match(i + 1, j + 1);
                break;
            case MaskToken::Digit:
                r = j < nv && Value[j] >= QChar('0') && Value[j] <= QChar('9') && match(i + 1, j + 1);
                break;
            case MaskToken::Letter:
                r = j < nv && IsMaskLetter(Value[j]) && match(i + 1, j + 1);
                break;
            case MaskToken::Literal:
                r = j < nv && QString::compare(QString(Value[j]), QString(t.ch), Cs) == 0
                    && match(i + 1, j + 1);
                break;
            case MaskToken::Set:
                for (const QString &item : t.items)
                    if (QStringView(Value).mid(j).startsWith(item, Cs)
                        && match(i + 1, j + static_cast<int>(item.size()))) {
                        r = true;
                        break;
                    }
                break;
            }
        }
        m = r ? 1 : 0;
        return r;
    };
    return match(0, 0);
}

int MaskMatch(const QString &Mask, const QString &Value, bool Brackets)
{
    const QString mask = NormalizedWildcardMask(Mask);
    if (mask.isEmpty() || mask == QLatin1String("*"))
        return 1;
    std::vector<MaskToken> tokens;
    if (!TokenizeMask(mask, Brackets, tokens))
        return 0;
    if (Value.isEmpty())
        return -1;
    return TokensMatch(tokens, Value, Qt::CaseSensitive) ? 1 : 0;
}

int Sign(int v)
{
    return v < 0 ? -1 : (v > 0 ? 1 : 0);
}

} // namespace

int WildcardMatch(const QString &Mask, const QString &Value)
{
    return MaskMatch(Mask, Value, false);
}

int BracketMaskMatch(const QString &Mask, const QString &Value)
{
    return MaskMatch(Mask, Value, true);
}

bool MatchesWildcard(const QString &Mask, const QString &Value)
{
    std::vector<MaskToken> tokens;
    for (const QChar c : Mask)
        tokens.push_back({c == QChar('*') ? MaskToken::Star : MaskToken::Literal, c, {}});
    return TokensMatch(tokens, Value, Qt::CaseInsensitive);
}

int ComparePrefix(const QString &X, const QString &Value, bool IgnoreCase)
{
    return Sign(QString::compare(X, Value.left(X.size()),
                                 IgnoreCase ? Qt::CaseInsensitive : Qt::CaseSensitive));
}

int CompareSuffix(const QString &X, const QString &Value, bool IgnoreCase)
{
    return Sign(QString::compare(X, Value.right(X.size()),
                                 IgnoreCase ? Qt::CaseInsensitive : Qt::CaseSensitive));
}

// ---------------------------------------------------------------------------

namespace {

const char *const MonthNames[2][12] = {
    {"Януари", "Февруари", "Март", "Април", "Май", "Юни", "Юли", "Август", "Септември",
     "Октомври", "Ноември", "Декември"},
    {"January", "February", "March", "April", "May", "June", "July", "August", "September",
     "October", "November", "December"}};
const char *const QuarterNames[2][4] = {
    {"Първо тримесечие", "Второ тримесечие", "Трето тримесечие", "Четвърто тримесечие"},
    {"First quarter", "Second quarter", "Third quarter", "Fourth quarter"}};
const char *const HalfYearNames[2][2] = {{"Първо полугодие", "Второ полугодие"},
                                         {"First half-year", "Second half-year"}};

// Entry N (1-based) of a name table; "" outside it. English names carry
// the accounting year.
template <int Size>
QString TableName(const char *const (&Table)[2][Size], bool English, int N, const QString &Year)
{
    if (N < 1 || N > Size)
        return QString();
    const QString name = QString::fromUtf8(Table[English ? 1 : 0][N - 1]);
    return English ? name + QChar(' ') + Year : name;
}

QString RangeDate(const QString &Yyyymmdd)
{
    try {
        return DateToDisplayText(YyyymmddToDate(Yyyymmdd));
    } catch (const EConvertError &) {
        return QString();
    }
}

} // namespace

void PeriodToText(const QString &Value, bool English, bool AddYear, QString &Result)
{
    Result.clear();
    if (Value.isEmpty())
        return;
    QString kindText, aText, bText, year;
    GetPiece(Value, '@', 0, kindText);
    GetPiece(Value, '@', 1, aText);
    GetPiece(Value, '@', 2, bText);
    MGetPeriodYear(year);
    const int kind = StrToIntOrZero(kindText);
    const int a = StrToIntOrZero(aText);
    const int b = StrToIntOrZero(bText);
    const int e = English ? 1 : 0;
    switch (kind) {
    case 1:
        Result = TableName(MonthNames, English, a, year);
        break;
    case 2:
        Result = TableName(QuarterNames, English, a, year);
        break;
    case 3:
        Result = TableName(HalfYearNames, English, a, year);
        break;
    case 4:
        Result = TableName(MonthNames, English, a, year);
        if (!Result.isEmpty())
            Result += QString::fromUtf8(e ? " with accumulations" : " с натрупване");
        break;
    case 5: {
        const QString from = RangeDate(aText);
        const QString to = RangeDate(bText);
        if (!from.isEmpty() && !to.isEmpty())
            Result = from + QStringLiteral(" - ") + to;
        return;
    }
    case 6: {
        const QString first = TableName(MonthNames, English, a, year);
        const QString last = TableName(MonthNames, English, b, year);
        if (!first.isEmpty() && !last.isEmpty())
            Result = first + QStringLiteral(" - ") + last;
        break;
    }
    default:
        Result = QString::fromUtf8("Грешка");
        return;
    }
    if (AddYear && !Result.isEmpty())
        Result += QChar(' ') + year;
}

// ---------------------------------------------------------------------------

namespace {
int WaitCounter = 0;
bool WaitCursorShown = false;
} // namespace

void BeginWait(const QString &StatusText)
{
    Q_UNUSED(StatusText); // the main window takes no wait text
    ++WaitCounter;
    if (WaitCounter == 1 && !WaitCursorShown && qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
        WaitCursorShown = true;
    }
}

void EndWait()
{
    --WaitCounter;
    if (WaitCounter < 1) {
        WaitCounter = 0;
        if (WaitCursorShown) {
            QGuiApplication::restoreOverrideCursor();
            WaitCursorShown = false;
        }
    }
}

int WaitCount()
{
    return WaitCounter;
}
