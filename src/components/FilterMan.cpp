#include "components/FilterMan.h"

#include <cmath>
#include <cstdint>

#include "core/uHelpers.h"
#include "platform/Exception.h"

// ---------------------------------------------------------------------------
// TWildcardPattern

TWildcardPattern::TWildcardPattern(const QString &Text)
{
    // The mask reads as the helpers' wildcard match reads it: "++" is one
    // '+' (one or more), not two; "*?" and "+" both mean "one or more".
    const QString Mask = NormalizedWildcardMask(Text);
    FAlwaysMatches = false;
    FPlain = true;
    for (int i = 0; i < Mask.size(); ++i) {
        const char16_t c = Mask[i].unicode();
        switch (c) {
        case u'*':
            if (FTokens.empty() || FTokens.back().Kind != tkStar)
                FTokens.push_back({tkStar, c});
            FPlain = false;
            break;
        case u'+':
            FTokens.push_back({tkAny, c});
            FTokens.push_back({tkStar, c});
            FPlain = false;
            break;
        case u'?':
            FTokens.push_back({tkAny, c});
            FPlain = false;
            break;
        case u'#':
            FTokens.push_back({tkDigit, c});
            FPlain = false;
            break;
        case u'@':
            FTokens.push_back({tkLetter, c});
            FPlain = false;
            break;
        default:
            FTokens.push_back({tkLiteral, c});
        }
    }
    // A star directly after another star (from "+*" or "**") adds nothing.
    std::vector<TToken> tokens;
    for (const TToken &t : FTokens)
        if (!(t.Kind == tkStar && !tokens.empty() && tokens.back().Kind == tkStar))
            tokens.push_back(t);
    FTokens.swap(tokens);
    FAlwaysMatches = FTokens.empty() || (FTokens.size() == 1 && FTokens[0].Kind == tkStar);
    FText = Mask;
}

bool TWildcardPattern::Matches(const QString &Value) const
{
    if (FAlwaysMatches)
        return true;
    if (Value.isEmpty())
        return false;
    if (FPlain)
        return Value == FText;
    // Greedy matching that goes back to the last star: exact for masks
    // whose tokens other than '*' each take one character.
    const char16_t *v = reinterpret_cast<const char16_t *>(Value.constData());
    const size_t nv = static_cast<size_t>(Value.size());
    const size_t nt = FTokens.size();
    size_t i = 0, j = 0;
    size_t starToken = SIZE_MAX, starValue = 0;
    auto one = [&](const TToken &t, char16_t c) {
        switch (t.Kind) {
        case tkAny:
            return true;
        case tkDigit:
            return c >= u'0' && c <= u'9';
        case tkLetter:
            return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z')
                   || (c >= 0x0410 && c <= 0x044F);
        case tkLiteral:
            return c == t.Ch;
        case tkStar:
            break;
        }
        return false;
    };
    while (j < nv) {
        if (i < nt && FTokens[i].Kind == tkStar) {
            starToken = i++;
            starValue = j;
        } else if (i < nt && one(FTokens[i], v[j])) {
            ++i;
            ++j;
        } else if (starToken != SIZE_MAX) {
            i = starToken + 1;
            j = ++starValue;
        } else {
            return false;
        }
    }
    while (i < nt && FTokens[i].Kind == tkStar)
        ++i;
    return i == nt;
}

// ---------------------------------------------------------------------------
// TSimpleFilter

TSimpleFilter::TSimpleFilter(const QString &Text, bool WildcardMatch)
{
    Init(Text, WildcardMatch);
}

void TSimpleFilter::Init(const QString &Text, bool WildcardMatch)
{
    Reset();
    FWildcardMatch = WildcardMatch;
    Parse(Text);
    FName = QStringLiteral("None");
}

void TSimpleFilter::GetValueText(QString &S) const
{
    S.clear();
}

void TSimpleFilter::Parse(const QString &)
{
    Reset();
}

void TSimpleFilter::GetExtraText(QString &S) const
{
    S.clear();
}

void TSimpleFilter::GetDescription(QString &S) const
{
    if (FName.isEmpty()) {
        S.clear();
        return;
    }
    QString value;
    GetValueText(value);
    S = FName + QStringLiteral(" : \"") + value + QChar('"');
}

void TSimpleFilter::Reset()
{
    FKind = sfAll;
}

bool TSimpleFilter::Matches(const QString &) const
{
    return true;
}

TSimpleFilter::TParts TSimpleFilter::SplitParts(const QString &Text)
{
    TParts p;
    const int L = static_cast<int>(Text.size());
    if (L == 0)
        return p;
    if (Text[0] == QChar('~')) {
        if (L > 1) {
            p.Kind = sfPrefix;
            p.X = Text.mid(1);
        }
    } else if (Text[L - 1] == QChar('~')) {
        // L > 1 here: a lone '~' was taken by the branch above.
        p.Kind = sfSuffix;
        p.X = Text.left(L - 1);
    } else if (Text[0] == QChar('\'')) {
        if (L > 1) {
            p.Kind = sfDiffers;
            p.X = Text.mid(1);
        }
    } else {
        const int colon = static_cast<int>(Text.indexOf(QChar(':')));
        if (colon < 0) {
            p.Kind = sfEquals;
            p.X = Text;
        } else if (L == 1) {
            // a lone ':' passes everything
        } else if (colon == 0) {
            p.Kind = sfTo;
            p.B = Text.mid(1);
        } else if (colon == L - 1) {
            p.Kind = sfFrom;
            p.A = Text.left(L - 1);
        } else {
            p.Kind = sfRange;
            p.A = Text.left(colon);
            p.B = Text.mid(colon + 1);
        }
    }
    return p;
}

QString TSimpleFilter::JoinParts(int Kind, const QString &A, const QString &B, const QString &X)
{
    switch (Kind) {
    case sfRange:
        return A + QChar(':') + B;
    case sfFrom:
        return A + QChar(':');
    case sfTo:
        return QChar(':') + B;
    case sfPrefix:
        return QChar('~') + X;
    case sfSuffix:
        return X + QChar('~');
    case sfEquals:
        return X;
    case sfDiffers:
        return QChar('\'') + X;
    default:
        return QString();
    }
}

namespace {

// The value mask of forms 6 and 7: with wildcards through the pattern,
// else the plain text.
bool EqualsValue(bool Wildcard, const TWildcardPattern &Pattern, const QString &X,
                 const QString &Value)
{
    return Wildcard ? Pattern.Matches(Value) : Value == X;
}

// A '.'-decimal bound: "" reads 0; a text that is no number raises.
long double ReadFloatBound(const QString &S)
{
    const long double v = DotStrToFloat(S, NAN);
    if (std::isnan(v))
        throw EConvertError(QStringLiteral("\"%1\" не е число").arg(S));
    return v;
}

} // namespace

bool TSimpleFilter::MatchesUnbounded(const QString &Value, const QString &Affix, const QString &X,
                                     const TWildcardPattern &Pattern, bool ByText) const
{
    switch (FKind) {
    case sfPrefix:
        return ByText ? Value.startsWith(Affix) : ComparePrefix(Affix, Value, false) == 0;
    case sfSuffix:
        return ByText ? Value.endsWith(Affix) : CompareSuffix(Affix, Value, false) == 0;
    case sfEquals:
        return EqualsValue(FWildcardMatch, Pattern, X, Value);
    case sfDiffers:
        return !EqualsValue(FWildcardMatch, Pattern, X, Value);
    default:
        return true;
    }
}

// ---------------------------------------------------------------------------
// TStringFilter

TStringFilter::TStringFilter(const QString &Text, bool WildcardMatch)
{
    Init(Text, WildcardMatch);
}

void TStringFilter::GetValueText(QString &S) const { S = PartsText(FLow, FHigh); }

void TStringFilter::Parse(const QString &Text)
{
    ParseParts(Text, [](const QString &Bound) { return Bound; });
}

void TStringFilter::GetExtraText(QString &) const
{
}

bool TStringFilter::Matches(const QString &Value) const
{
    return MatchesValue(Value, [](const QString &V) { return V; }, true);
}

// ---------------------------------------------------------------------------
// TFloatFilter

TFloatFilter::TFloatFilter(const QString &Text, bool WildcardMatch)
{
    Init(Text, WildcardMatch);
}

void TFloatFilter::GetValueText(QString &S) const
{
    QString a, b;
    FormatFloatRounded(AmountPrecision, a, FLow);
    FormatFloatRounded(AmountPrecision, b, FHigh);
    S = PartsText(a, b);
}

void TFloatFilter::Parse(const QString &Text) { ParseParts(Text, ReadFloatBound); }

bool TFloatFilter::Matches(const QString &Value) const
{
    return MatchesValue(Value, [](const QString &V) { return DotStrToFloat(V, 0); }, false);
}

// ---------------------------------------------------------------------------
// TIntegerFilter

TIntegerFilter::TIntegerFilter(const QString &Text, bool WildcardMatch)
{
    Init(Text, WildcardMatch);
}

void TIntegerFilter::GetValueText(QString &S) const { S = PartsText(QString::number(FLow), QString::number(FHigh)); }

void TIntegerFilter::Parse(const QString &Text)
{
    ParseParts(Text, [](const QString &Bound) { return StrToIntOrZero(Bound); });
}

bool TIntegerFilter::Matches(const QString &Value) const
{
    return MatchesValue(Value, [](const QString &V) { return StrToIntOrZero(V); }, false);
}

// ---------------------------------------------------------------------------
// TDateFilter

TDateFilter::TDateFilter(const QString &Text, bool WildcardMatch, const QDate &Reference)
    : FReference(Reference.isValid() ? Reference : QDate::currentDate())
{
    Init(Text, WildcardMatch);
}

namespace {

int DatePart(const QString &S)
{
    bool ok = false;
    const int v = S.trimmed().toInt(&ok);
    if (!ok)
        throw EConvertError(QStringLiteral("\"%1\" не е цяло число").arg(S));
    return v;
}

QDate EncodeDate(int Year, int Month, int Day, bool ClampDay)
{
    if (Year < 1 || Year > 9999 || Month < 1 || Month > 12 || Day < 1)
        throw EConvertError(QStringLiteral("Няма такава дата"));
    const int last = QDate(Year, Month, 1).daysInMonth();
    if (Day > last) {
        if (!ClampDay)
            throw EConvertError(QStringLiteral("Няма такава дата"));
        Day = last;
    }
    return QDate(Year, Month, Day);
}

} // namespace

QDate TDateFilter::ReadDate(const QString &Text) const
{
    const QStringList parts = Text.split(QChar('.'));
    switch (parts.size()) {
    case 1:
        return EncodeDate(FReference.year(), FReference.month(), DatePart(parts[0]), false);
    case 2:
        return EncodeDate(FReference.year(), DatePart(parts[1]), DatePart(parts[0]), true);
    case 3:
        return EncodeDate(DatePart(parts[2]), DatePart(parts[1]), DatePart(parts[0]), true);
    default:
        return FReference;
    }
}

void TDateFilter::GetValueText(QString &S) const
{
    const QDate x = FKind == sfEquals || FKind == sfDiffers ? FValue : FAffix;
    S = JoinParts(FKind, DateToDisplayText(FLow), DateToDisplayText(FHigh), DateToDisplayText(x));
}

void TDateFilter::Parse(const QString &Text)
{
    Reset();
    const TParts p = SplitParts(Text);
    FKind = p.Kind;
    if (FKind == sfRange || FKind == sfFrom)
        FLow = ReadDate(p.A);
    if (FKind == sfRange || FKind == sfTo)
        FHigh = ReadDate(p.B);
    if (FKind == sfPrefix || FKind == sfSuffix)
        FAffix = ReadDate(p.X);
    else if (FKind == sfEquals || FKind == sfDiffers)
        FValue = ReadDate(p.X);
}

void TDateFilter::Reset()
{
    TSimpleFilter::Reset();
    FLow = FHigh = FAffix = FValue = QDate();
}

bool TDateFilter::Matches(const QString &Value) const
{
    if (FKind == sfAll)
        return true;
    QDate v;
    if (!TryDigitsToDate(Value, 2, v))
        return false;
    switch (FKind) {
    case sfRange:
        return FLow <= v && v <= FHigh;
    case sfFrom:
        return v >= FLow;
    case sfTo:
        return v <= FHigh;
    case sfPrefix:
    case sfSuffix:
        return v == FAffix;
    case sfEquals:
        return v == FValue;
    case sfDiffers:
        return v != FValue;
    default:
        return true;
    }
}

// ---------------------------------------------------------------------------
// TFilterMan

TFilterMan::TFilterMan(const QString &Text, int Kind, const QDate &DateReference) : FKind(Kind)
{
    FWildcardMatch = true;
    FItems.SetDelimiter(QStringLiteral(";"));
    FItems.SetAutoTrim(true);
    FItems.SetFreeObjects(true);
    const QString upper = Text.toUpper();
    if (!upper.isEmpty())
        FItems.SetLine(upper);
    for (int i = 0; i < FItems.Count(); ++i) {
        const QString item = FItems.Strings(i);
        TSimpleFilter *f = nullptr;
        switch (Kind) {
        case FilterKindText:
            f = new TStringFilter(item, FWildcardMatch);
            break;
        case FilterKindNumber:
            f = new TFloatFilter(item, FWildcardMatch);
            break;
        case FilterKindInteger:
            f = new TIntegerFilter(item, FWildcardMatch);
            break;
        case FilterKindDate:
            f = new TDateFilter(item, FWildcardMatch, DateReference);
            break;
        default:
            f = new TSimpleFilter(item, FWildcardMatch);
        }
        FItems.PutObject(i, f);
    }
}

TSimpleFilter *TFilterMan::Filter(int Index) const
{
    return static_cast<TSimpleFilter *>(FItems.Objects(Index));
}

void TFilterMan::GetText(QString &S) const
{
    QStringList parts;
    for (int i = 0; i < FItems.Count(); ++i) {
        QString t;
        Filter(i)->GetValueText(t);
        parts << t;
    }
    S = parts.join(QStringLiteral("; "));
}

bool TFilterMan::Matches(const QString &Value) const
{
    const int n = FItems.Count();
    if (n == 0)
        return true;
    const QString v = Value.toUpper();
    for (int i = 0; i < n; ++i)
        if (static_cast<TSimpleFilter *>(FItems.Objects(i))->Matches(v))
            return true;
    return false;
}
