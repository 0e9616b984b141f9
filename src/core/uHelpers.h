#pragma once
// General helpers of the program: numbers held as '.'-decimal text,
// day-number dates, delimited pieces, padding, mask matching, period texts,
// the printer code page and the nested wait cursor.
//
// Numbers as text (DotDecimalText) always carry '.' and no thousands
// separator; the empty text means 0. Nothing here reads the process locale:
// conversions are our own code or QLocale::c().
//
// Dates are QDate. In SQL a date is its whole day number, the days since
// 30.12.1899 (SqlDayNumber); day 0 means "no date" and shows "30.12.1899".
#include <QChar>
#include <QDate>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <initializer_list>

class TLineConv;

// Default precisions (decimals) of amounts, quantities and prices.
constexpr int AmountPrecision = 2;
constexpr int QuantityPrecision = 3;
constexpr int PricePrecision = 4;

// The decimal separator of every number the program writes. It never
// follows the process locale.
inline QChar DecimalSeparator() { return QChar('.'); }
// The thousands separator of the number directive of Format ("%10.2n" in
// the totals labels): a blank, the Bulgarian grouping; a ',' beside the '.'
// decimal point would read as a decimal comma.
inline QChar ThousandSeparator() { return QChar(' '); }

// ---------------------------------------------------------------------------
// Rounding and text arithmetic

// X rounded to N decimals, half away from zero after the decimal cut
// (2.345 -> 2.35, -2.345 -> -2.35). A zero result is always +0. Values whose
// scaled form X * 10^N reaches 10^15 (always when |X| >= 10^13) are past the
// precision of the cut and are returned unchanged.
long double RoundFloat(int N, long double X);

// Fixed text of RoundFloat(Precision, X) with exactly Precision decimals.
void FormatFloatRounded(int Precision, QString &Result, long double X);
// The same with the amount precision.
void FloatToAmountStr(QString &Result, long double X);
// Precision -1: the shortest general form of X (15 significant digits,
// trailing zeros dropped, "1.5E15" for very large or small values); other
// precisions: FormatFloatRounded.
void FloatToDotStr(int Precision, QString &Result, long double X);
// RoundFloat(N, X) with exactly N decimals ("2.000" for 2 with N = 3).
void FloatToFixedDotStr(int N, QString &Result, long double X);
// The value of a DotDecimalText: empty -> 0; a text that is not a number
// ("1,5", "abc", "1.2.3") -> Default. Blanks around the number are allowed.
long double DotStrToFloat(const QString &S, long double Default = 0);
// The same reading of a non-empty text without copying it: false where
// DotStrToFloat gives Default.
bool ReadDotDecimal(QStringView S, long double &Value);
long double DotStrToRoundedFloat(const QString &S, int N);
// DotStrToFloat then FloatToFixedDotStr(N): "" with N = 2 gives "0.00".
void FormatDotStr(const QString &S, int N, QString &Result);
// A + B, A - B, A * B, A / B of two DotDecimalText values, in the shortest
// general form; DivDotStr gives "0" for a zero divisor.
void AddDotStr(const QString &A, const QString &B, QString &Result);
void SubDotStr(const QString &A, const QString &B, QString &Result);
void MulDotStr(const QString &A, const QString &B, QString &Result);
void DivDotStr(const QString &A, const QString &B, QString &Result);
// The integer value of S (decimal digits, optional sign, blanks around);
// 0 when empty, not an integer, or outside the 32-bit range.
int StrToIntOrZero(const QString &S);
// Characters after the decimal separator; 0 without one.
int CountDecimals(const QString &S);

// One argument of Format: an integer, a floating value or a text.
class TFormatArg
{
public:
    enum TKind { faInteger, faFloat, faText };
    TFormatArg(int V) : Kind_(faInteger), Integer_(V) {}
    TFormatArg(long V) : Kind_(faInteger), Integer_(V) {}
    TFormatArg(long long V) : Kind_(faInteger), Integer_(V) {}
    TFormatArg(unsigned V) : Kind_(faInteger), Integer_(V) {}
    TFormatArg(unsigned long V) : Kind_(faInteger), Integer_(static_cast<long long>(V)) {}
    TFormatArg(double V) : Kind_(faFloat), Float_(V) {}
    TFormatArg(long double V) : Kind_(faFloat), Float_(V) {}
    TFormatArg(const QString &V) : Kind_(faText), Text_(V) {}
    TFormatArg(const char *Utf8) : Kind_(faText), Text_(QString::fromUtf8(Utf8)) {}
    TKind Kind() const { return Kind_; }
    long long Integer() const { return Integer_; }
    long double Float() const { return Float_; }
    const QString &Text() const { return Text_; }

private:
    TKind Kind_;
    long long Integer_ = 0;
    long double Float_ = 0;
    QString Text_;
};

// The class library's Format for the program's format texts, one directive
// "%[-][width][.precision]type" per argument in order: 'd' an integer
// (precision: at least that many digits), 's' a text (precision: at most
// that many characters), 'f' a floating value with precision decimals (2
// when none is given) after the system's rounding, so never a tie rounded
// to even nor "-0.00"; 'n' the same with the whole part grouped by
// thousands (ThousandSeparator). Width pads with blanks in front, or
// behind with '-'. A width or precision given as '*' is taken from the
// next argument, an integer ("%.*f" with 4 and 1.5 gives "1.5000"; a
// negative width pads behind). "%%" is one '%'. A directive without an
// argument of its kind raises EConvertError
// "Format '<text>' invalid or incompatible with argument"; arguments left
// over are ignored.
QString Format(const QString &Fmt, std::initializer_list<TFormatArg> Args);

// ---------------------------------------------------------------------------
// Day numbers (SqlDayNumber)

// Days since 30.12.1899; an invalid date counts as 0 ("no date").
int DateToDayNumber(const QDate &D);
// The date of a day number; 0 gives 30.12.1899.
QDate DayNumberToDate(int DayNumber);
// The "%d" text of a date's day number, as statements carry it.
QString SqlDayNumber(const QDate &D);
// "dd.mm.yyyy", the one form in which dates are shown.
QString DateToDisplayText(const QDate &D);

// ---------------------------------------------------------------------------
// Pieces: a text cut at a one-character delimiter; pieces are 0-based.

int PieceCount(const QString &S, QChar Delim);
// Piece Index; "" when there is no such piece.
void GetPiece(const QString &S, QChar Delim, int Index, QString &Result);
// Piece Index replaced; delimiters are appended first when S has fewer
// pieces. A negative Index changes nothing.
void SetPiece(QString &S, QChar Delim, int Index, const QString &Value);
// S cut before its N-th delimiter or padded with delimiters so that it has
// N pieces; N <= 0 empties S.
void SetPieceCount(QString &S, QChar Delim, int N);
// Pieces From..To joined again with the delimiter (From below 0 counts as
// 0, To past the end as the last piece); "" when From > To.
void GetPieceRange(const QString &S, QChar Delim, int From, QString &Result, int To);

// ---------------------------------------------------------------------------
// Dates

// Year = characters 1-4, month 5-6, day 7-8; the day is lowered to the
// length of the month. Raises EConvertError on a non-numeric part, a month
// outside 1..12, a day below 1 or a year outside 1..9999.
QDate YyyymmddToDate(const QString &S);
void DateToYyyymmdd(const QDate &D, QString &Result);
void YyyymmddToDisplayDate(const QString &S, QString &Result);
// "d.m.yyyy" (only digits, '-' and '.' kept) to "yyyymmdd", day and month
// padded to two digits.
void DisplayDateToYyyymmdd(const QString &S, QString &Result);
QDate DisplayDateToDate(const QString &S);
// Format 1: "ddmmyyyy", Format 2: "yyyymmdd". False for another format, a
// text that is not such a date, or a year below 1900.
bool TryDigitsToDate(const QString &S, int Format, QDate &Date);
// S cut at '.' into three integers (missing or non-numeric parts count 0).
// Order 1: d.m.y, Order 2: y.m.d, Order 3: d.m.yy where yy below 40 is
// 2000 + yy and below 100 is 1900 + yy. A part that is 0 comes from Default;
// an impossible date (or another Order) gives Default.
QDate DottedStrToDate(const QString &S, int Order, const QDate &Default);

// ---------------------------------------------------------------------------
// Pieces at a delimiter text of any length, through the line splitter
// (AutoTrim off for GetLineItem and LineItemCount, on for GetDelimitedField).
// An empty S has no items; an Index out of range gives "".

void GetLineItem(const QString &S, const QString &Delim, int Index, QString &Result);
int LineItemCount(const QString &S, const QString &Delim);
void GetDelimitedField(const QString &S, const QString &Delim, int Index, QString &Result);
// S cut into records at RecordDelim; every non-empty record is cut into its
// fields at FieldDelim and added to List under its first field, with a
// line splitter of its fields (Delimiter FieldDelim, no trimming) as the
// item's object. List keeps its items and owns the new objects when its
// FreeObjects is on (the default).
void SplitToKeyedList(const QString &S, TLineConv &List, const QString &RecordDelim,
                      const QString &FieldDelim);

// ---------------------------------------------------------------------------
// Characters and texts

// Every character Old replaced by New.
void ReplaceChar(const QString &S, QChar Old, QChar New, QString &Result);
void SubstituteChar(const QString &S, QChar Old, QChar New, QString &Result);
// Every character C removed.
void RemoveChar(const QString &S, QChar C, QString &Result);
void DeleteAllChar(QChar C, const QString &S, QString &Result);
// Only digits, '-' and '.' kept.
void KeepNumericChars(const QString &S, QString &Result);
// Every occurrence of Find replaced, left to right, without overlap; S
// unchanged when Find is empty or longer than S.
void ReplaceStr(const QString &S, const QString &Find, const QString &Repl, QString &Result);
// C appended unless S already ends with it; an empty S stays empty.
void IncludeTrailingChar(const QString &S, QChar C, QString &Result);
// Every character upper-cased one by one (Unicode, Cyrillic included).
void UpperCaseChars(const QString &S, QString &Result);

// S padded to Width with PadChar; never cut. Align 0: pad in front (the
// '-' of a negative number stays in front of the padding: "-005");
// Align 1: centred, the padding split at (length div 2) - 1 characters
// before S; Align 2: pad behind. Another Align leaves S as it is.
void PadToWidth(const QString &S, int Width, QChar PadChar, QString &Result, int Align);
// As PadToWidth without the rule for negative numbers; nothing happens when
// PadChar is #0.
void PadText(const QString &S, int Align, int Width, QString &Result, QChar PadChar);
void PadTextLeft(const QString &S, int Width, QChar PadChar, QString &Result);  // Align 0
void PadTextRight(const QString &S, int Width, QChar PadChar, QString &Result); // Align 2
// S preceded by PadChar (a blank) up to Width characters.
void PadLeft(const QString &S, QChar PadChar, int Width, QString &Result);
void PadLeftBlank(const QString &S, int Width, QString &Result);

// The text as a MIK dot-matrix printer prints it: Cyrillic А..я, ASCII and
// the other characters of the MIK code page stay; Ё/ё print as Е/е, a few
// typographic signs as their ASCII stand-ins, the rest as '?' (one
// character for one). A second conversion changes nothing. The printer
// device writes platform::EncodeCodePage(Result, platform::CodePage::Mik),
// which puts А..я at 0x80..0xBF (print/CodePages.h).
void Win1251ToMik(const QString &S, QString &Result);

// ---------------------------------------------------------------------------
// Mask matching

// '*' any run (none included), '+' one or more characters, '?' one
// character, '#' one digit, '@' one Latin or Cyrillic (А..я) letter; other
// characters match themselves, case-sensitively; the whole Value must
// match. 1: a match (always for an empty mask and for "*"); -1: an empty
// Value with any other mask; 0: no match.
int WildcardMatch(const QString &Mask, const QString &Value);
// The mask as WildcardMatch reads it: "**" -> "*", "++", "+*", "*+", "*?"
// and "?*" -> "+", repeated until none applies.
QString NormalizedWildcardMask(QString Mask);
// The same with bracketed sets: "[A,B,C]" matches any one of its items (an
// item is literal text). Unbalanced or nested brackets, a ',' outside
// brackets, a doubled ',' or one at the end of a set give 0.
int BracketMaskMatch(const QString &Mask, const QString &Value);
// Only '*' (any run), case-insensitive, the whole Value.
bool MatchesWildcard(const QString &Mask, const QString &Value);
// X compared with the first (last) Length(X) characters of Value: -1, 0, 1.
int ComparePrefix(const QString &X, const QString &Value, bool IgnoreCase);
int CompareSuffix(const QString &X, const QString &Value, bool IgnoreCase);

// ---------------------------------------------------------------------------
// Words

// The text of a period ("kind@a@b"). A month, quarter or half-year outside
// its table, a date range that does not read as dates, and the empty text
// give ""; an unknown kind gives "Грешка". The accounting year comes from
// the M-language link and is "" while the link is not connected.
void PeriodToText(const QString &Value, bool English, bool AddYear, QString &Result);

// ---------------------------------------------------------------------------
// The wait cursor, nested: the first BeginWait shows the hourglass, the
// EndWait that closes the last open one restores the cursor. Extra EndWait
// calls keep the counter at 0. No window reads the status text.

void BeginWait(const QString &StatusText = QString());
void EndWait();
// The number of open BeginWait calls.
int WaitCount();

// BeginWait now, EndWait when the scope is left, by return or exception.
class WaitScope
{
public:
    explicit WaitScope(const QString &StatusText = QString()) { BeginWait(StatusText); }
    ~WaitScope() { EndWait(); }
    WaitScope(const WaitScope &) = delete;
    WaitScope &operator=(const WaitScope &) = delete;
};

