#pragma once
// Row filters: a short text typed by the operator ("1:5; ~AB; 'X*") turned
// into a test of cell values. A filter text holds alternatives separated by
// ';'; a value passes when one alternative passes. Each alternative is one
// of the forms
//
//   (empty), ~, ', :   every value
//   a:b   a <= value <= b        a:   value >= a       :b   value <= b
//   ~x    value begins with x    x~   value ends with x
//   x     value equals x (a mask with wildcards)       'x   value differs
//
// and is read by the kind of the column: text, number, integer or date.
#include <QDate>
#include <QString>
#include <vector>

#include "core/LineConv.h"

// The kinds of values a filter reads (TFilterMan::Kind).
constexpr int FilterKindText = 1;
constexpr int FilterKindNumber = 2;
constexpr int FilterKindInteger = 3;
constexpr int FilterKindDate = 4;

// A wildcard mask made ready once and matched against many values, with the
// meaning of WildcardMatch (uHelpers): '*' any run, '+' one or more
// characters, '?' one character, '#' a digit, '@' a Latin or Cyrillic
// letter, other characters themselves, case-sensitively, the whole value.
class TWildcardPattern
{
public:
    TWildcardPattern() = default;
    explicit TWildcardPattern(const QString &Mask);
    // WildcardMatch(Mask, Value) == 1.
    bool Matches(const QString &Value) const;

private:
    enum TTokenKind : unsigned char { tkLiteral, tkAny, tkDigit, tkLetter, tkStar };
    struct TToken
    {
        TTokenKind Kind;
        char16_t Ch;
    };
    bool FAlwaysMatches = true;
    bool FPlain = true;     // no wildcard: the value must equal FText
    QString FText;
    std::vector<TToken> FTokens;
};

// One alternative of a filter. The base class passes every value.
class TSimpleFilter : public TObject
{
public:
    // The forms of an alternative (see the head of this file).
    enum TFilterForm {
        sfAll = 0, sfRange = 1, sfFrom = 2, sfTo = 3, sfPrefix = 4, sfSuffix = 5,
        sfEquals = 6, sfDiffers = 7
    };

    TSimpleFilter(const QString &Text, bool WildcardMatch);
    ~TSimpleFilter() override = default;

    // The alternative written back in its syntax.
    virtual void GetValueText(QString &S) const;
    // Sets the form and the fields from Text.
    virtual void Parse(const QString &Text);
    // A text of the alternative beyond its value: empty, except that the
    // text filter leaves S as it is.
    virtual void GetExtraText(QString &S) const;
    // Name : "value text" when the alternative has a name; else "".
    virtual void GetDescription(QString &S) const;
    // Form sfAll and the fields cleared.
    virtual void Reset();
    virtual bool Matches(const QString &Value) const;

    int Kind() const { return FKind; }
    bool WildcardMatch() const { return FWildcardMatch; }
    QString Name() const { return FName; }
    void SetName(const QString &Value) { FName = Value; }

protected:
    // For descendants, which call Init from their own constructor so that
    // their own Reset and Parse run.
    TSimpleFilter() = default;
    void Init(const QString &Text, bool WildcardMatch);

    // The syntax common to all kinds: the form and the raw texts of its
    // parts (A and B the bounds, X the affix or value).
    struct TParts
    {
        int Kind = sfAll;
        QString A, B, X;
    };
    static TParts SplitParts(const QString &Text);
    // The text of the form with the parts already written.
    static QString JoinParts(int Kind, const QString &A, const QString &B, const QString &X);
    // The forms that compare no bounds: a prefix or suffix Affix (as texts
    // by their characters when ByText, else as the helpers compare affixes),
    // equal to or different from X (through Pattern with wildcards), all.
    bool MatchesUnbounded(const QString &Value, const QString &Affix, const QString &X,
                          const TWildcardPattern &Pattern, bool ByText) const;

    int FKind = sfAll;
    bool FWildcardMatch = false;
    QString FName = QStringLiteral("None");
};

// The alternatives over values in an order, whose bounds are of type T: a
// range, from, to, a prefix or suffix, equal or different.
template <class T> class TOrderedFilter : public TSimpleFilter
{
public:
    void Reset() override
    {
        TSimpleFilter::Reset();
        FLow = FHigh = T();
        FAffix.clear();
        FValue.clear();
        FPattern = TWildcardPattern();
    }

protected:
    // The form and fields of Text, the bounds read by ReadBound.
    template <class Reader> void ParseParts(const QString &Text, Reader ReadBound)
    {
        Reset();
        const TParts p = SplitParts(Text);
        FKind = p.Kind;
        if (FKind == sfRange || FKind == sfFrom)
            FLow = ReadBound(p.A);
        if (FKind == sfRange || FKind == sfTo)
            FHigh = ReadBound(p.B);
        if (FKind == sfPrefix || FKind == sfSuffix)
            FAffix = p.X;
        else
            FValue = p.X;
        FPattern = TWildcardPattern(FValue);
    }
    // The form written back, the bounds as Low and High.
    QString PartsText(const QString &Low, const QString &High) const
    {
        return JoinParts(FKind, Low, High, FKind == sfEquals || FKind == sfDiffers ? FValue : FAffix);
    }
    // Value read by ReadValue against the bounds; the other forms as
    // MatchesUnbounded.
    template <class Reader> bool MatchesValue(const QString &Value, Reader ReadValue, bool AffixByText) const
    {
        switch (FKind) {
        case sfRange: {
            const T v = ReadValue(Value);
            return FLow <= v && v <= FHigh;
        }
        case sfFrom:
            return ReadValue(Value) >= FLow;
        case sfTo:
            return ReadValue(Value) <= FHigh;
        default:
            return MatchesUnbounded(Value, FAffix, FValue, FPattern, AffixByText);
        }
    }

    T FLow = T(), FHigh = T();
    QString FAffix, FValue;
    TWildcardPattern FPattern;
};

// Texts, compared by their characters.
class TStringFilter : public TOrderedFilter<QString>
{
public:
    TStringFilter(const QString &Text, bool WildcardMatch);
    void GetValueText(QString &S) const override;
    void Parse(const QString &Text) override;
    void GetExtraText(QString &S) const override;
    bool Matches(const QString &Value) const override;
};

// '.'-decimal numbers. A bound that is no number raises EConvertError.
class TFloatFilter : public TOrderedFilter<long double>
{
public:
    TFloatFilter(const QString &Text, bool WildcardMatch);
    void GetValueText(QString &S) const override;
    void Parse(const QString &Text) override;
    bool Matches(const QString &Value) const override;
};

// Integers; a bound that is no integer reads 0.
class TIntegerFilter : public TOrderedFilter<int>
{
public:
    TIntegerFilter(const QString &Text, bool WildcardMatch);
    void GetValueText(QString &S) const override;
    void Parse(const QString &Text) override;
    bool Matches(const QString &Value) const override;
};

// Dates: the filter's parts are written "d", "d.m" or "d.m.y" (the missing
// month and year are the reference date's); values are "yyyymmdd" texts.
class TDateFilter : public TSimpleFilter
{
public:
    // The reference date is today unless one is given.
    TDateFilter(const QString &Text, bool WildcardMatch, const QDate &Reference = QDate());
    void GetValueText(QString &S) const override;
    void Parse(const QString &Text) override;
    void Reset() override;
    bool Matches(const QString &Value) const override;

    QDate Reference() const { return FReference; }
    // The date of a part text; raises EConvertError for a part that is no
    // integer, an impossible month, a day 0 or an impossible date.
    QDate ReadDate(const QString &Text) const;

private:
    QDate FReference, FLow, FHigh, FAffix, FValue;
};

// The alternatives of one filter text, each read by the filter's kind.
class TFilterMan : public TObject
{
public:
    // Text is upper-cased and cut at ';' into trimmed alternatives; an
    // empty text has none. A bound that does not read raises EConvertError.
    // Kind 1 text, 2 number, 3 integer, 4 date; another kind passes every
    // value. DateReference (tests) replaces today for the date kind.
    TFilterMan(const QString &Text, int Kind, const QDate &DateReference = QDate());
    ~TFilterMan() override = default;

    int Kind() const { return FKind; }
    bool WildcardMatch() const { return FWildcardMatch; }
    int Count() const { return FItems.Count(); }
    TSimpleFilter *Filter(int Index) const;

    // The alternatives written back, joined with "; ".
    void GetText(QString &S) const;
    // Value upper-cased; true without alternatives or when one of them
    // passes it.
    bool Matches(const QString &Value) const;

private:
    int FKind;
    bool FWildcardMatch = true;
    TLineConv FItems;
};
