#include "components/Sorters.h"

#include <QDate>
#include <QHash>
#include <QObject>
#include <QtDebug>
#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <string_view>
#include <type_traits>
#include <typeinfo>
#include <utility>

#include "core/uDelimitedStrings.h"
#include "core/uHelpers.h"
#include "components/GridUtils.h"
#include "components/RichGrid.h"
#include "platform/db/Collation.h"
#include "platform/system/Workers.h"
#include "platform/ui/StringGrid.h"

namespace {

int Sign(int v)
{
    return v < 0 ? -1 : v > 0 ? 1 : 0;
}

template <typename T>
int Compare3(const T &a, const T &b)
{
    return a < b ? -1 : b < a ? 1 : 0;
}

// Whether a text is empty or blanks only.
bool IsBlank(QStringView s)
{
    for (QChar c : s)
        if (!c.isSpace())
            return false;
    return true;
}

// A '.'-decimal number as the program writes them (DotStrToFloat: optionally
// signed, no group separators, no blanks inside, not "inf"); a blank text
// is no number here.
bool ReadNumber(QStringView s, double &value)
{
    long double v = 0;
    if (IsBlank(s) || !ReadDotDecimal(s, v))
        return false;
    value = static_cast<double>(v);
    return std::isfinite(value);
}

const qint64 MSecsPerDay = 86400000;

// A date as the program shows it, dd.MM.yyyy; its time (milliseconds from
// the start of the Julian day count), to compare with dates of any kind.
bool ReadDate(QStringView s, qint64 &day)
{
    if (s.size() < 10)
        return false;
    if (s.size() != 10 || s.front().isSpace() || s.back().isSpace())
        s = s.trimmed();
    if (s.size() != 10 || s[2] != QLatin1Char('.') || s[5] != QLatin1Char('.'))
        return false;
    auto digits = [&s](int from, int count, int &value) {
        value = 0;
        for (int i = from; i < from + count; ++i) {
            const char16_t c = s[i].unicode();
            if (c >= u'0' && c <= u'9')
                value = value * 10 + (c - u'0');
            else if (c < 128 || !s[i].isDigit())
                return false;
            else
                value = value * 10 + s[i].digitValue();
        }
        return true;
    };
    int d, m, y;
    if (!digits(0, 2, d) || !digits(3, 2, m) || !digits(6, 4, y))
        return false;
    const QDate date(y, m, d);
    // An impossible date (31.02) is a text; its day number is not used.
    if (!date.isValid())
        return false;
    day = date.toJulianDay() * MSecsPerDay;
    return true;
}

bool IsTextType(const QVariant &v)
{
    const int id = v.metaType().id();
    return id == QMetaType::QString || id == QMetaType::QByteArray || id == QMetaType::QChar;
}

bool IsPlainType(const QVariant &v)
{
    switch (v.metaType().id()) {
    case QMetaType::QString:
    case QMetaType::QByteArray:
    case QMetaType::QChar:
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::UChar:
    case QMetaType::SChar:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::QDate:
    case QMetaType::QDateTime:
        return true;
    default:
        return false;
    }
}

bool IsDateType(const QVariant &v)
{
    const int id = v.metaType().id();
    return id == QMetaType::QDate || id == QMetaType::QDateTime;
}

// The sorts over entries that a three-way comparison orders (-1, 0, 1);
// `before` is the result that puts its first argument first. The same
// steps whatever the entries are, so rows whose keys compare equal end up
// where they always did.

// The least entries each half of a partition holds before the quicksort
// sorts the halves side by side.
constexpr int kParallelHalf = 2048;

// Shared: after a partition whose halves both hold kParallelHalf entries or
// more, the two halves are sorted side by side (each sharing its own halves
// out again). The halves never meet again, so every entry ends exactly
// where one thread would have put it. Only for comparisons that read
// nothing but the two entries.
template <typename E, typename Before, typename Compare>
void QuickSortOf(std::vector<E> &e, int L, int R, Before before, const Compare &compare, bool shared = false)
{
    while (L < R) {
        int I = L, J = R;
        const E P = e[size_t((L + R) / 2)];
        do {
            while (compare(e[size_t(I)], P) == before)
                ++I;
            while (compare(P, e[size_t(J)]) == before)
                --J;
            if (I <= J) {
                if (I < J)
                    std::swap(e[size_t(I)], e[size_t(J)]);
                ++I;
                --J;
            }
        } while (I <= J);
        if (shared && J - L + 1 >= kParallelHalf && R - I + 1 >= kParallelHalf) {
            platform::RunBoth([&e, L, J, before, &compare] { QuickSortOf(e, L, J, before, compare, true); },
                              [&e, I, R, before, &compare] { QuickSortOf(e, I, R, before, compare, true); });
            return;
        }
        // The smaller half recursively, the larger one in this loop: the
        // same order, with the depth bounded.
        if (J - L < R - I) {
            if (L < J)
                QuickSortOf(e, L, J, before, compare, shared);
            L = I;
        } else {
            if (I < R)
                QuickSortOf(e, I, R, before, compare, shared);
            R = J;
        }
    }
}

template <typename E, typename Before, typename Compare>
void BubbleSortOf(std::vector<E> &e, int L, int R, Before before, const Compare &compare)
{
    bool exchanged;
    do {
        exchanged = false;
        for (int j = R; j >= L + 1; --j)
            if (compare(e[size_t(j)], e[size_t(j - 1)]) == before) {
                std::swap(e[size_t(j)], e[size_t(j - 1)]);
                exchanged = true;
            }
    } while (exchanged);
}

template <typename E, typename Before, typename Compare>
void ExchangeSortOf(std::vector<E> &e, int L, int R, Before before, const Compare &compare)
{
    for (int i = L; i <= R; ++i)
        for (int j = i + 1; j <= R; ++j)
            if (compare(e[size_t(j)], e[size_t(i)]) == before)
                std::swap(e[size_t(i)], e[size_t(j)]);
}

// 0 quicksort, 1 bubble sort, 2 exchange sort. `Before` as a number that
// the compiler sees lets it fold the comparison into one test. Shared as
// the quicksort takes it; the other sorts run on this thread.
template <typename E, typename Before, typename Compare>
void SortWith(unsigned char method, std::vector<E> &e, Before before, const Compare &compare, bool shared = false)
{
    const int R = static_cast<int>(e.size()) - 1;
    if (R <= 0)
        return;
    switch (method) {
    case 1: BubbleSortOf(e, 0, R, before, compare); break;
    case 2: ExchangeSortOf(e, 0, R, before, compare); break;
    default: QuickSortOf(e, 0, R, before, compare, shared); break;
    }
}

// The first character c in s from `from` on, or -1; the texts split here are
// short, where a plain loop beats a library search.
inline qsizetype FindChar(QStringView s, QChar c, qsizetype from = 0)
{
    const QChar *d = s.data();
    const qsizetype n = s.size();
    for (qsizetype i = from; i < n; ++i)
        if (d[i] == c)
            return i;
    return -1;
}

// A row whose key is K numbers.
template <int K>
struct TOrdinalEntry
{
    double v[K];
    int row;
};

} // namespace

// ---------------------------------------------------------------- keys

// The pieces of the keys of many rows: each piece's value when it reads as
// a number or a date, its text (a view into a record, a cell or a kept
// text) and, once compared as a text, its sort key (platform::JetSortKey,
// the alphabetical order of the record lists) in one buffer that grows, so
// that reading a row's key allocates nothing of its own and each comparison
// is cheap.
class TBaseSorter::TKeyStore
{
public:
    struct Piece
    {
        const QChar *text = nullptr;
        union {
            double number;   // when isNumber
            qint64 day;      // when isDate
        };
        quint32 textLength = 0;
        bool isNumber = false;
        bool isDate = false;
        bool isBlank = true;
    };

    // What the first piece of a row is, for the sorts' quick comparison.
    enum Kind : unsigned char { Blank = 1, Number = 2, Date = 4, Text = 8 };

    TEntry Entry(int row) const
    {
        const quint32 first = rowFirst_[size_t(row)];
        const quint32 count = rowFirst_[size_t(row) + 1] - first;
        if (count == 0)
            return {0.0, row, Blank, true};
        const Piece &p = pieces_[first];
        const bool single = count == 1;
        if (p.isNumber)
            return {p.number, row, Number, single};
        if (p.isBlank)
            return {0.0, row, Blank, single};
        if (p.isDate)
            return {static_cast<double>(p.day), row, Date, single};
        return {0.0, row, Text, single};
    }

    void Reserve(int rows)
    {
        if (rows <= 0)
            return;
        rowFirst_.reserve(size_t(rows) + 1);
        pieces_.reserve(size_t(rows));
    }
    void BeginRow() { rowFirst_.push_back(static_cast<quint32>(pieces_.size())); }
    void EndRows() { rowFirst_.push_back(static_cast<quint32>(pieces_.size())); }

    // The rows of other stores (begun there, not ended) after these, in the
    // stores' order; their kept texts come along, so the views hold.
    void Append(const std::vector<TKeyStore *> &Parts)
    {
        std::vector<size_t> rowAt, pieceAt;
        size_t rows = rowFirst_.size(), pieces = pieces_.size();
        for (const TKeyStore *part : Parts) {
            rowAt.push_back(rows);
            pieceAt.push_back(pieces);
            rows += part->rowFirst_.size();
            pieces += part->pieces_.size();
        }
        rowFirst_.resize(rows);
        pieces_.resize(pieces);
        platform::ForEachPiece(Parts.size(), 1, [&](size_t, size_t from, size_t to) {
            for (size_t k = from; k < to; ++k) {
                const TKeyStore &part = *Parts[k];
                std::copy(part.pieces_.begin(), part.pieces_.end(), pieces_.begin() + std::ptrdiff_t(pieceAt[k]));
                const quint32 shift = static_cast<quint32>(pieceAt[k]);
                for (size_t r = 0; r < part.rowFirst_.size(); ++r)
                    rowFirst_[rowAt[k] + r] = part.rowFirst_[r] + shift;
            }
        });
        for (TKeyStore *part : Parts)
            Keep(part->holders_);
    }

    // Texts that pieces view, kept until the sort ends.
    void Keep(std::vector<QString> &Holders)
    {
        for (QString &h : Holders)
            holders_.push_back(std::move(h));
        Holders.clear();
    }

    // A text as a key's pieces: split at every '@'. The text stays where it
    // is until the sort ends.
    void AddSplitText(QStringView t)
    {
        qsizetype from = 0;
        for (;;) {
            const qsizetype at = FindChar(t, QLatin1Char('@'), from);
            if (at < 0) {
                AddPiece(t.mid(from));
                return;
            }
            AddPiece(t.mid(from, at - from));
            from = at + 1;
        }
    }

    // A key as GetKey gives it: a text of pieces each followed by '@' (a
    // text without '@' is one piece), a date, or another plain value.
    void AddVariant(const TBaseSorter &Sorter, const QVariant &Key)
    {
        if (Sorter.FTypedCompare && !IsPlainType(Key))
            Sorter.Fail(QStringLiteral("Cannot compare a key of type %1").arg(QString::fromLatin1(Key.typeName())),
                        QStringLiteral("CompareKeys"));
        if (IsTextType(Key)) {
            const QStringView text = Keep(Key.toString());
            const qsizetype last = text.lastIndexOf(QLatin1Char('@'));
            if (last < 0)
                AddPiece(text);
            else
                AddSplitText(text.left(last));
            return;
        }
        if (IsDateType(Key)) {
            Piece &p = AddPiece(Keep(DateToDisplayText(Key.toDate())));
            p.isNumber = false;
            p.isDate = true;
            p.day = Key.metaType().id() == QMetaType::QDate
                        ? Key.toDate().toJulianDay() * MSecsPerDay
                        : Key.toDateTime().toMSecsSinceEpoch() + QDate(1970, 1, 1).toJulianDay() * MSecsPerDay;
            return;
        }
        Piece &p = AddPiece(Keep(Key.toString()));
        bool ok = false;
        const double value = Key.toDouble(&ok);
        p.isNumber = ok;
        p.number = value;
        p.isDate = false;
    }

    // -1, 0 or 1 for the keys of rows a and b.
    int Compare(int a, int b, bool CaseSensitive) const
    {
        const quint32 fa = rowFirst_[size_t(a)];
        const quint32 na = rowFirst_[size_t(a) + 1] - fa;
        const quint32 fb = rowFirst_[size_t(b)];
        const quint32 nb = rowFirst_[size_t(b) + 1] - fb;
        const quint32 n = std::max(na, nb);
        for (quint32 i = 0; i < n; ++i) {
            const Piece &x = i < na ? pieces_[fa + i] : blank_;
            const Piece &y = i < nb ? pieces_[fb + i] : blank_;
            int r;
            if (x.isNumber && y.isNumber)
                r = Compare3(x.number, y.number);
            else if ((x.isNumber && y.isBlank) || (x.isBlank && y.isNumber))
                // A number column shows an empty cell as 0.
                r = Compare3(x.isNumber ? x.number : 0.0, y.isNumber ? y.number : 0.0);
            else if (x.isDate && y.isDate)
                r = Compare3(x.day, y.day);
            else
                r = CompareTexts(x, y, CaseSensitive);
            if (r != 0)
                return r;
        }
        return 0;
    }

    // The most pieces a row has.
    int Width() const
    {
        quint32 width = 0;
        for (size_t r = 0; r + 1 < rowFirst_.size(); ++r)
            width = std::max(width, rowFirst_[r + 1] - rowFirst_[r]);
        return static_cast<int>(width);
    }

    // Every row's key as Width numbers, Set(row, position, number), that
    // compare (as numbers, one after the other) exactly as Compare compares
    // the rows. That holds where each position holds one kind across all
    // rows: numbers with blanks of one text (which count 0), dates, or
    // texts and blanks (their places in the text order). False for other
    // mixtures, whose comparisons go piece by piece.
    template <typename Set>
    bool Ordinals(bool CaseSensitive, int width, const Set &set) const
    {
        const size_t rows = rowFirst_.size() - 1;
        for (int p = 0; p < width; ++p) {
            // What the position holds, looked at in consecutive pieces of
            // rows side by side and then put together.
            std::vector<Kinds> parts(platform::PieceCount(rows, kRowsPerThread));
            platform::ForEachPiece(rows, kRowsPerThread, [this, p, &parts](size_t piece, size_t from, size_t to) {
                parts[piece] = KindsOf(p, from, to);
            });
            Kinds all;
            for (const Kinds &part : parts) {
                all.numbers |= part.numbers;
                all.dates |= part.dates;
                all.texts |= part.texts;
                if (!part.blanks)
                    continue;
                if (!all.blanks) {
                    all.blankText = part.blankText;
                    all.sameBlanks = part.sameBlanks;
                } else {
                    all.sameBlanks = all.sameBlanks && part.sameBlanks && part.blankText == all.blankText;
                }
                all.blanks = true;
            }
            const bool numbers = all.numbers, dates = all.dates, texts = all.texts, blanks = all.blanks;
            if (numbers && !dates && !texts && all.sameBlanks) {
                platform::ForEachPiece(rows, kRowsPerThread, [this, p, &set](size_t, size_t from, size_t to) {
                    for (size_t r = from; r < to; ++r) {
                        const Piece &x = At(r, p);
                        set(r, p, x.isNumber ? x.number : 0.0);
                    }
                });
            } else if (dates && !numbers && !texts && !blanks) {
                // Day times are whole milliseconds, exact as doubles far
                // beyond any calendar.
                constexpr qint64 exact = qint64(1) << 53;
                std::atomic<bool> inexact{false};
                platform::ForEachPiece(rows, kRowsPerThread, [this, p, &set, &inexact](size_t, size_t from, size_t to) {
                    for (size_t r = from; r < to; ++r) {
                        const qint64 day = At(r, p).day;
                        if (day > exact || day < -exact) {
                            inexact = true;
                            return;
                        }
                        set(r, p, static_cast<double>(day));
                    }
                });
                if (inexact)
                    return false;
            } else if (!numbers && !dates) {
                TextRanks(p, CaseSensitive, set);
            } else {
                return false;
            }
        }
        return true;
    }

private:
    static constexpr quint32 kNoKey = 0xFFFFFFFFu;

    // The kinds of piece p among rows [from, to): blanks count as one text
    // when they all read alike.
    struct Kinds
    {
        bool numbers = false, dates = false, texts = false, blanks = false, sameBlanks = true;
        QStringView blankText;
    };
    Kinds KindsOf(int p, size_t from, size_t to) const
    {
        Kinds k;
        for (size_t r = from; r < to; ++r) {
            const Piece &x = At(r, p);
            if (x.isNumber) {
                k.numbers = true;
            } else if (x.isDate) {
                k.dates = true;
            } else if (x.isBlank) {
                if (!k.blanks)
                    k.blankText = TextOf(x);
                else if (k.sameBlanks && TextOf(x) != k.blankText)
                    k.sameBlanks = false;
                k.blanks = true;
            } else {
                k.texts = true;
            }
        }
        return k;
    }

    const Piece &At(size_t row, int p) const
    {
        const quint32 first = rowFirst_[row];
        return first + quint32(p) < rowFirst_[row + 1] ? pieces_[first + quint32(p)] : blank_;
    }
    static QStringView TextOf(const Piece &p) { return QStringView(p.text, p.textLength); }

    int CompareTexts(const Piece &x, const Piece &y, bool CaseSensitive) const
    {
        KeyOf(x);
        KeyOf(y);  // both made: the buffer holds still for the views
        int r = Sign(KeyOf(x).compare(KeyOf(y)));
        if (r == 0) {
            const QStringView tx = TextOf(x);
            const QStringView ty = TextOf(y);
            if (tx == ty)
                return 0;
            r = Sign(tx.compare(ty, Qt::CaseInsensitive));
            if (r == 0 && CaseSensitive)
                r = Sign(tx.compare(ty, Qt::CaseSensitive));
        }
        return r;
    }

    // The place of each row's piece p among the distinct texts of that
    // position in the text order; texts that compare equal share a place.
    template <typename Set>
    void TextRanks(int p, bool CaseSensitive, const Set &set) const
    {
        const size_t rows = rowFirst_.size() - 1;
        QHash<QStringView, int> index;
        std::vector<const Piece *> distinct;
        std::vector<int> of(rows);
        for (size_t r = 0; r < rows; ++r) {
            const Piece &x = At(r, p);
            const auto known = index.constFind(TextOf(x));
            if (known != index.constEnd()) {
                of[r] = *known;
                continue;
            }
            of[r] = static_cast<int>(distinct.size());
            index.insert(TextOf(x), of[r]);
            distinct.push_back(&x);
        }
        for (const Piece *d : distinct)
            KeyOf(*d);
        std::vector<int> order(distinct.size());
        for (size_t i = 0; i < order.size(); ++i)
            order[i] = static_cast<int>(i);
        const auto compare = [&](int a, int b) {
            return CompareTexts(*distinct[size_t(a)], *distinct[size_t(b)], CaseSensitive);
        };
        std::sort(order.begin(), order.end(), [&](int a, int b) { return compare(a, b) < 0; });
        std::vector<int> rank(distinct.size());
        int place = 0;
        for (size_t i = 0; i < order.size(); ++i) {
            if (i > 0 && compare(order[i - 1], order[i]) != 0)
                ++place;
            rank[size_t(order[i])] = place;
        }
        for (size_t r = 0; r < rows; ++r)
            set(r, p, static_cast<double>(rank[size_t(of[r])]));
    }

    // The sort key of a piece, made when first asked for; the view holds
    // until the next key is made.
    std::string_view KeyOf(const Piece &p) const
    {
        if (&p == &blank_)
            return std::string_view();
        const size_t at = size_t(&p - pieces_.data());
        if (keyOf_.empty())
            keyOf_.assign(pieces_.size(), {kNoKey, 0});
        auto &k = keyOf_[at];
        if (k.first == kNoKey) {
            k.first = static_cast<quint32>(keys_.size());
            platform::AppendJetSortKey(TextOf(p), keys_);
            k.second = static_cast<quint32>(keys_.size()) - k.first;
        }
        return std::string_view(keys_.data() + k.first, k.second);
    }


    QStringView Keep(QString text)
    {
        holders_.push_back(std::move(text));
        return holders_.back();
    }

    Piece &AddPiece(QStringView t)
    {
        Piece p;
        p.number = 0;
        p.text = t.data();
        p.textLength = static_cast<quint32>(t.size());
        p.isBlank = IsBlank(t);
        if (!p.isBlank)
            p.isNumber = ReadNumber(t, p.number);
        if (!p.isNumber)
            p.isDate = ReadDate(t, p.day);
        pieces_.push_back(p);
        return pieces_.back();
    }

    std::vector<Piece> pieces_;
    std::vector<quint32> rowFirst_;
    mutable std::string keys_;   // grows as pieces are first compared as texts
    // Where each piece's key lies in keys_ (made on the first comparison of
    // a text).
    mutable std::vector<std::pair<quint32, quint32>> keyOf_;
    std::vector<QString> holders_;
    // What a row without the piece has: a blank text with an empty key.
    const Piece blank_{};
};

namespace {

// Sorts the rows by their keys as K numbers each, when the store can give
// them (false otherwise); Order gets Rows[row] of each row in the sorted
// order.
template <int K, typename KeyStore>
bool SortOrdinals(const KeyStore &Store, unsigned char method, bool CaseSensitive, int before,
                  const std::vector<int> &Rows, std::vector<int> &Order)
{
    std::vector<TOrdinalEntry<K>> entries(Rows.size());
    if (!Store.Ordinals(CaseSensitive, K, [&entries](size_t r, int p, double v) {
            entries[r].v[p] = v;
            entries[r].row = static_cast<int>(r);
        }))
        return false;
    const auto compare = [](const TOrdinalEntry<K> &A, const TOrdinalEntry<K> &B) {
        for (int k = 0; k < K; ++k) {
            if (A.v[k] < B.v[k])
                return -1;
            if (B.v[k] < A.v[k])
                return 1;
        }
        return 0;
    };
    // The comparison reads the two entries alone: the quicksort may share
    // its halves among threads.
    const bool shared = platform::WorkerCount() > 1;
    if (before == 1)
        SortWith(method, entries, std::integral_constant<int, 1>(), compare, shared);
    else
        SortWith(method, entries, std::integral_constant<int, -1>(), compare, shared);
    for (const TOrdinalEntry<K> &e : entries)
        Order.push_back(Rows[size_t(e.row)]);
    return true;
}

} // namespace

// ---------------------------------------------------------------- errors

ESorterError ESorterError::Create(const QString &Message, const QString &ClassName,
                                  const QString &Operation, const QString &Data, const QString &Index)
{
    QString message = Message.isEmpty() ? QStringLiteral("Unspecified Error") : Message;
    if (!Index.isEmpty())
        message += QStringLiteral("[%1]").arg(Index);
    return ESorterError(QStringLiteral("%1 \n\rIn %2,\n\rWith Data %3")
                            .arg(message, QStringLiteral("%1::%2").arg(ClassName, Operation), Data));
}

// ---------------------------------------------------------------- base

TBaseSorter::TBaseSorter() : FCreator(std::this_thread::get_id()), FContext(std::make_unique<QObject>())
{
    // Numbers in keys always carry '.': nothing in this program reads the
    // process locale for them, so there is no separator to set here.
}

TBaseSorter::~TBaseSorter()
{
    // A concrete sorter has waited already; this is the last resort that
    // keeps a running thread from outliving its object.
    Finish();
}

void TBaseSorter::Fail(const QString &Message, const QString &Operation, const QString &Data) const
{
    throw ESorterError::Create(Message, ClassName(), Operation, Data);
}

namespace {
QString RangeText(int Lo, int Hi)
{
    return QStringLiteral("low index [%1], high index [%2]").arg(Lo).arg(Hi);
}
} // namespace

bool TBaseSorter::CheckSourceParts(bool HasSource, const QString &Missing, bool HasKeys, int Count) const
{
    if (!HasSource)
        Fail(Missing, QStringLiteral("CheckSource"));
    if (!HasKeys)
        Fail(QStringLiteral("No key columns specified"), QStringLiteral("CheckSource"));
    if (FLo < 0 || FHi >= Count)
        Fail(QStringLiteral("Invalid index range"), QStringLiteral("SortRange"), RangeText(FLo, FHi));
    return true;
}

void TBaseSorter::Sort(int Lo, int Hi)
{
    if (Hi < Lo)
        Fail(QStringLiteral("Invalid index range"), QStringLiteral("SortRange"), RangeText(Lo, Hi));
    FLo = Lo;
    FHi = Hi;
    Start();
}

void TBaseSorter::Start()
{
    if (FStarted)
        Fail(QStringLiteral("The sorter has already run"), QStringLiteral("Start"));
    if (!CheckSource())
        return;
    FStarted = true;
    FThread = std::thread([this] { Execute(); });
}

void TBaseSorter::ReadKeysInPlace(int End, bool Anywhere, std::vector<int> &Sorted, std::vector<int> &Kept)
{
    const size_t count = size_t(std::max(0, End - FLo + 1));
    // Each thread takes consecutive rows: it picks out the totals rows and
    // reads the others' keys into a store of its own. The pieces are then
    // joined in the rows' order, as one thread would have read them.
    // Each on cache lines of its own: threads writing next to each other in
    // memory would slow each other down.
    struct alignas(64) Part
    {
        TKeyStore store;
        std::vector<int> sorted, kept;
    };
    std::vector<std::unique_ptr<Part>> parts(platform::PieceCount(count, kRowsPerThread));
    platform::ForEachPiece(count, kRowsPerThread, [this, Anywhere, &parts](size_t piece, size_t from, size_t to) {
        parts[piece] = std::make_unique<Part>();
        Part &part = *parts[piece];
        part.store.Reserve(static_cast<int>(to - from));
        part.sorted.reserve(to - from);
        std::vector<QStringView> texts;
        std::vector<QString> holders;
        for (size_t k = from; k < to; ++k) {
            const int row = FLo + static_cast<int>(k);
            if (Anywhere && IsTotalsRow(row)) {
                part.kept.push_back(static_cast<int>(k));
                continue;
            }
            part.sorted.push_back(static_cast<int>(k));
            part.store.BeginRow();
            GetKeyTexts(row, texts, holders);
            for (QStringView t : texts)
                part.store.AddSplitText(t);
            part.store.Keep(holders);
        }
    });
    std::vector<TKeyStore *> stores;
    for (const std::unique_ptr<Part> &part : parts) {
        Sorted.insert(Sorted.end(), part->sorted.begin(), part->sorted.end());
        Kept.insert(Kept.end(), part->kept.begin(), part->kept.end());
        stores.push_back(&part->store);
    }
    FStore->Append(stores);
}

void TBaseSorter::Execute()
{
    try {
        Synchronize([this] {
            BeforeSort();
            if (OnBeforeSort)
                OnBeforeSort(this);
        });
        // The block of totals rows at the bottom, and those amid the data
        // where they stay out of the sort too: last, in their order.
        int end = FHi;
        while (end >= FLo && IsTotalsRow(end))
            --end;
        const bool anywhere = TotalsAnywhere();
        std::vector<int> sorted;  // offsets from Lo of the rows to sort
        std::vector<int> kept;    // offsets of the totals rows
        sorted.reserve(size_t(std::max(0, end - FLo + 1)));
        FStore = std::make_unique<TKeyStore>();
        FStore->Reserve(end - FLo + 1);
        if (KeysInPlace()) {
            ReadKeysInPlace(end, anywhere, sorted, kept);
        } else {
            std::vector<QStringView> texts;
            std::vector<QString> holders;
            QVariant key;
            for (int i = FLo; i <= end; ++i) {
                if (anywhere && IsTotalsRow(i)) {
                    kept.push_back(i - FLo);
                    continue;
                }
                sorted.push_back(i - FLo);
                FStore->BeginRow();
                if (GetKeyTexts(i, texts, holders)) {
                    for (QStringView t : texts)
                        FStore->AddSplitText(t);
                    FStore->Keep(holders);
                } else {
                    GetKey(i, key);
                    FStore->AddVariant(*this, key);
                }
            }
        }
        FStore->EndRows();
        const int rows = static_cast<int>(sorted.size());
        std::vector<int> order;
        order.reserve(size_t(FHi - FLo + 1));
        const int before = FDirection == 1 ? 1 : -1;   // the sign of "comes first"
        const int width = FStore->Width();
        // Each row's key as one or two numbers where that gives the same
        // comparisons: each is then a look at the entry itself.
        if (!(rows > 1 && ((width == 1 && SortOrdinals<1>(*FStore, FSortMethod, FCaseSensitive, before, sorted, order)) ||
                           (width == 2 && SortOrdinals<2>(*FStore, FSortMethod, FCaseSensitive, before, sorted, order))))) {
            FEntries.resize(size_t(rows));
            for (int k = 0; k < rows; ++k)
                FEntries[size_t(k)] = FStore->Entry(k);
            SortWith(FSortMethod, FEntries, before,
                     [this](const TEntry &A, const TEntry &B) { return CompareEntries(A, B); });
            for (const TEntry &e : FEntries)
                order.push_back(sorted[size_t(e.row)]);
            FEntries.clear();
        }
        FStore.reset();
        order.insert(order.end(), kept.begin(), kept.end());
        for (int i = end + 1; i <= FHi; ++i)
            order.push_back(i - FLo);
        bool moved = false;
        for (size_t k = 0; k < order.size() && !moved; ++k)
            moved = order[k] != static_cast<int>(k);
        if (moved)
            Permute(FLo, order);
    } catch (...) {
        FFatal = std::current_exception();
    }
    // The source is handed back even when the sort failed.
    try {
        Synchronize([this] {
            AfterSort();
            if (OnAfterSort)
                OnAfterSort(this);
        });
    } catch (...) {
        if (!FFatal)
            FFatal = std::current_exception();
    }
    if (FFatal) {
        try {
            std::rethrow_exception(FFatal);
        } catch (const Exception &e) {
            FFatalError = e.Message();
        } catch (const std::exception &e) {
            FFatalError = QString::fromUtf8(e.what());
        } catch (...) {
            FFatalError = QStringLiteral("Unspecified Error");
        }
    }
    FStore.reset();
    FEntries.clear();
    {
        std::lock_guard<std::mutex> lock(FMutex);
        FFinished = true;
    }
    FCond.notify_all();
}

void TBaseSorter::Synchronize(const std::function<void()> &Fn)
{
    if (std::this_thread::get_id() == FCreator) {
        Fn();
        return;
    }
    SyncCall call{&Fn, false, nullptr};
    {
        std::lock_guard<std::mutex> lock(FMutex);
        FQueue.push_back(&call);
    }
    FCond.notify_all();
    // Served by the waiting free, or by the event loop if it runs first.
    QMetaObject::invokeMethod(FContext.get(), [this] { ServeQueue(); }, Qt::QueuedConnection);
    std::unique_lock<std::mutex> lock(FMutex);
    FCond.wait(lock, [&call] { return call.done; });
    if (call.error)
        std::rethrow_exception(call.error);
}

void TBaseSorter::ServeQueue()
{
    for (;;) {
        SyncCall *call;
        {
            std::lock_guard<std::mutex> lock(FMutex);
            if (FQueue.empty())
                return;
            call = FQueue.front();
            FQueue.pop_front();
        }
        try {
            (*call->fn)();
        } catch (...) {
            call->error = std::current_exception();
        }
        {
            std::lock_guard<std::mutex> lock(FMutex);
            call->done = true;
        }
        FCond.notify_all();
    }
}

void TBaseSorter::WaitFor()
{
    if (!FThread.joinable())
        return;
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(FMutex);
            FCond.wait(lock, [this] { return FFinished || !FQueue.empty(); });
            if (FQueue.empty() && FFinished)
                break;
        }
        ServeQueue();
    }
    FThread.join();
    if (FFatal) {
        std::exception_ptr fatal = std::exchange(FFatal, nullptr);
        std::rethrow_exception(fatal);
    }
}

void TBaseSorter::Finish()
{
    Terminate();
    try {
        WaitFor();
    } catch (...) {
        // The caller frees the sorter without asking; the failure is kept
        // in FatalError and logged.
        qWarning("%s: the sort failed: %s", qPrintable(ClassName()), qPrintable(FFatalError));
    }
}

void TBaseSorter::BeforeSort() {}
void TBaseSorter::AfterSort() {}

bool TBaseSorter::IsTotalsRow(int)
{
    return false;
}

int TBaseSorter::CompareKeys(const QVariant &A, const QVariant &B) const
{
    if (FTypedCompare && (!IsPlainType(A) || !IsPlainType(B)))
        Fail(QStringLiteral("Cannot compare a key of type %1 with one of type %2")
                 .arg(QString::fromLatin1(A.typeName()), QString::fromLatin1(B.typeName())),
             QStringLiteral("CompareKeys"));
    TKeyStore store;
    store.BeginRow();
    store.AddVariant(*this, A);
    store.BeginRow();
    store.AddVariant(*this, B);
    store.EndRows();
    return store.Compare(0, 1, FCaseSensitive);
}

int TBaseSorter::CompareEntries(const TEntry &A, const TEntry &B) const
{
    // The first pieces alone decide when they are numbers (a blank one 0)
    // or dates: when they differ, or when they are all the keys hold.
    const bool quick = (A.kind == B.kind && A.kind != TKeyStore::Text && A.kind != TKeyStore::Blank) ||
                       (A.kind | B.kind) == (TKeyStore::Number | TKeyStore::Blank);
    if (quick) {
        if (A.value != B.value)
            return A.value < B.value ? -1 : 1;
        if (A.single && B.single)
            return 0;
    }
    return FStore->Compare(A.row, B.row, FCaseSensitive);
}

bool TBaseSorter::GetKeyTexts(int, std::vector<QStringView> &, std::vector<QString> &)
{
    return false;
}

void TBaseSorter::Permute(int First, const std::vector<int> &From)
{
    // at[p]: the original row now at position p; pos[r]: where row r is.
    const int n = static_cast<int>(From.size());
    std::vector<int> at(static_cast<size_t>(n));
    std::vector<int> pos(static_cast<size_t>(n));
    for (int k = 0; k < n; ++k)
        at[size_t(k)] = pos[size_t(k)] = k;
    for (int k = 0; k < n; ++k) {
        const int want = From[size_t(k)];
        const int cur = pos[size_t(want)];
        if (cur == k)
            continue;
        Exchange(First + k, First + cur);
        const int displaced = at[size_t(k)];
        at[size_t(cur)] = displaced;
        pos[size_t(displaced)] = cur;
        at[size_t(k)] = want;
        pos[size_t(want)] = k;
    }
}

// ---------------------------------------------------------------- record lists

TDelimitedStringsSorter::TDelimitedStringsSorter(TDelimitedStrings *List) : FList(List) {}

TDelimitedStringsSorter::~TDelimitedStringsSorter()
{
    Finish();
}

bool TDelimitedStringsSorter::CheckSource()
{
    return CheckSourceParts(FList != nullptr, QStringLiteral("No list specified"), !FKeyFields.empty(),
                            FList ? FList->Count() : 0);
}

void TDelimitedStringsSorter::GetKey(int Index, QVariant &Key)
{
    const QString record = FList->Strings(Index);
    QString key, field;
    for (int f : FKeyFields) {
        GetPiece(record, FList->FieldDelimiter(), f, field);
        key += field;
        key += QLatin1Char('@');
    }
    Key = key;
}

void TDelimitedStringsSorter::Exchange(int I, int J)
{
    FList->Exchange(I, J);
}

QStringView TDelimitedStringsSorter::Record(int Index, QString &Holder) const
{
    if (FStored)
        return FStored->StoredRecord(Index);
    Holder = FList->Strings(Index);
    return Holder;
}

bool TDelimitedStringsSorter::GetKeyTexts(int Index, std::vector<QStringView> &Texts, std::vector<QString> &Holders)
{
    // A class derived from this one may read its keys its own way.
    if (!FOwnKeys)
        return false;
    QStringView record;
    if (FStored) {
        record = FStored->StoredRecord(Index);  // it stays in the list
    } else {
        Holders.resize(1);
        record = Record(Index, Holders[0]);
    }
    const QChar delimiter = FList->FieldDelimiter();
    Texts.clear();
    for (int f : FKeyFields) {
        // Field f, or nothing when the record has fewer.
        qsizetype start = 0;
        bool found = f >= 0;
        for (int i = 0; found && i < f; ++i) {
            const qsizetype p = FindChar(record, delimiter, start);
            if (p < 0)
                found = false;
            else
                start = p + 1;
        }
        if (!found) {
            Texts.emplace_back();
            continue;
        }
        const qsizetype end = FindChar(record, delimiter, start);
        Texts.push_back(record.mid(start, (end < 0 ? record.size() : end) - start));
    }
    return true;
}

bool TDelimitedStringsSorter::IsTotalsRow(int Index)
{
    // The first field, read in place.
    QString holder;
    const QStringView record = Record(Index, holder);
    const qsizetype end = FindChar(record, FList->FieldDelimiter());
    const QStringView first = record.left(end < 0 ? record.size() : end);
    return first == FilterTotalsMarker || first.startsWith(FList->MarkerChar());
}

void TDelimitedStringsSorter::Permute(int First, const std::vector<int> &From)
{
    if (FStored)
        FStored->PermuteRecords(First, From);
    else
        TBaseSorter::Permute(First, From);
}

void TDelimitedStringsSorter::BeforeSort()
{
    // The list's change notifications wait for the main thread: one after
    // the sort instead of one per exchange on the worker.
    FList->BeginUpdate();
    FUpdating = true;
    // Nobody touches the list while the worker runs: a plain storing list
    // that changes no record as it is read is read in place.
    FStored = typeid(*FList) == typeid(TDelimitedStringList) && !FList->OnGetRecord
                  ? static_cast<TDelimitedStringList *>(FList)
                  : nullptr;
    FOwnKeys = typeid(*this) == typeid(TDelimitedStringsSorter);
}

void TDelimitedStringsSorter::AfterSort()
{
    FStored = nullptr;
    if (FUpdating) {
        FUpdating = false;
        FList->EndUpdate();
    }
}

// ---------------------------------------------------------------- grids

TStringGridSorter::TStringGridSorter(platform::StringGrid *Grid) : FGrid(Grid) {}

TStringGridSorter::~TStringGridSorter()
{
    Finish();
}

void TStringGridSorter::SortAll()
{
    if (!FGrid || FGrid->RowCount() <= FGrid->FixedRows())
        return;
    SetLo(FGrid->FixedRows());
    SetHi(FGrid->RowCount() - 1);
    Start();
}

bool TStringGridSorter::CheckSource()
{
    return CheckSourceParts(FGrid != nullptr, QStringLiteral("No grid specified"), !FSortColumns.empty(),
                            FGrid ? FGrid->RowCount() : 0);
}

void TStringGridSorter::GetKey(int Index, QVariant &Key)
{
    FWorkText.clear();
    for (int col : FSortColumns) {
        FWorkText += FGrid->Cells(col, Index);
        FWorkText += QLatin1Char('@');
    }
    Key = FWorkText;
}

void TStringGridSorter::Exchange(int I, int J)
{
    // The grid takes text changes from a worker and repaints afterwards.
    FGrid->ExchangeRows(I, J);
}

bool TStringGridSorter::KeysInPlace() const
{
    return typeid(*this) == typeid(TStringGridSorter);
}

bool TStringGridSorter::GetKeyTexts(int Index, std::vector<QStringView> &Texts, std::vector<QString> &Holders)
{
    if (typeid(*this) != typeid(TStringGridSorter))
        return false;
    // The cells in place: the grid's texts stay as they are until the
    // sorted order is put in place.
    Holders.clear();
    Texts.clear();
    for (int col : FSortColumns)
        Texts.push_back(FGrid->CellView(col, Index));
    return true;
}

void TStringGridSorter::Permute(int First, const std::vector<int> &From)
{
    FGrid->PermuteRows(First, From);
}

bool TStringGridSorter::IsTotalsRow(int Index)
{
    if (auto *rich = qobject_cast<TRichGrid *>(FGrid))
        if (rich->HasRowAttributes(Index) && rich->GetRowAttributes(Index)->BackColor() == TotalsRowColor)
            return true;
    return FGrid->Cells(0, Index) == FilterTotalsMarker;
}

void TStringGridSorter::AfterSort()
{
    FGrid->InvalidateGrid();
}
