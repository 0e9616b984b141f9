#include "components/Sorters.h"

#include <QDate>
#include <QObject>
#include <QtDebug>
#include <cmath>
#include <limits>
#include <string>
#include <string_view>
#include <typeinfo>
#include <utility>

#include "core/uDelimitedStrings.h"
#include "core/uHelpers.h"
#include "components/GridUtils.h"
#include "components/RichGrid.h"
#include "platform/db/Collation.h"
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

// A '.'-decimal number as the program writes them (DotStrToFloat: optionally
// signed, no group separators, no blanks inside, not "inf"); an empty text
// is no number here.
bool ReadNumber(const QString &s, double &value)
{
    if (s.trimmed().isEmpty())
        return false;
    const long double v = DotStrToFloat(s, std::numeric_limits<long double>::quiet_NaN());
    if (std::isnan(v))
        return false;
    value = static_cast<double>(v);
    return std::isfinite(value);
}

const qint64 MSecsPerDay = 86400000;

// A date as the program shows it, dd.MM.yyyy; its time (milliseconds from
// the start of the Julian day count), to compare with dates of any kind.
bool ReadDate(QStringView s, qint64 &day)
{
    s = s.trimmed();
    if (s.size() != 10 || s[2] != QLatin1Char('.') || s[5] != QLatin1Char('.'))
        return false;
    auto digits = [&s](int from, int count, int &value) {
        value = 0;
        for (int i = from; i < from + count; ++i) {
            if (!s[i].isDigit())
                return false;
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

} // namespace

// ---------------------------------------------------------------- keys

// The pieces of the keys of many rows: each piece's value when it reads as
// a number or a date, its sort key (platform::JetSortKey, the alphabetical
// order of the record lists) and its text, the keys and texts in two
// buffers that grow, so that reading a row's key allocates nothing of its
// own and each comparison is cheap.
class TBaseSorter::TKeyStore
{
public:
    struct Piece
    {
        double number = 0;
        qint64 day = 0;
        quint32 key = 0;
        quint32 keyLength = 0;
        quint32 text = 0;
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

    // A text as a key's pieces: split at every '@'.
    void AddSplitText(QStringView t)
    {
        qsizetype from = 0;
        for (;;) {
            const qsizetype at = t.indexOf(QLatin1Char('@'), from);
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
            const QString text = Key.toString();
            const qsizetype last = text.lastIndexOf(QLatin1Char('@'));
            if (last < 0)
                AddPiece(text);
            else
                AddSplitText(QStringView(text).left(last));
            return;
        }
        if (IsDateType(Key)) {
            Piece &p = AddPiece(DateToDisplayText(Key.toDate()));
            p.isNumber = false;
            p.isDate = true;
            p.day = Key.metaType().id() == QMetaType::QDate
                        ? Key.toDate().toJulianDay() * MSecsPerDay
                        : Key.toDateTime().toMSecsSinceEpoch() + QDate(1970, 1, 1).toJulianDay() * MSecsPerDay;
            return;
        }
        Piece &p = AddPiece(Key.toString());
        bool ok = false;
        const double value = Key.toDouble(&ok);
        p.isNumber = ok;
        p.number = value;
        p.isDate = false;
    }

    // -1, 0 or 1 for the keys of rows a and b.
    int Compare(int a, int b, bool CaseSensitive) const
    {
        static const Piece blank;
        const quint32 fa = rowFirst_[size_t(a)];
        const quint32 na = rowFirst_[size_t(a) + 1] - fa;
        const quint32 fb = rowFirst_[size_t(b)];
        const quint32 nb = rowFirst_[size_t(b) + 1] - fb;
        const quint32 n = std::max(na, nb);
        for (quint32 i = 0; i < n; ++i) {
            const Piece &x = i < na ? pieces_[fa + i] : blank;
            const Piece &y = i < nb ? pieces_[fb + i] : blank;
            int r;
            if (x.isNumber && y.isNumber)
                r = Compare3(x.number, y.number);
            else if ((x.isNumber && y.isBlank) || (x.isBlank && y.isNumber))
                // A number column shows an empty cell as 0.
                r = Compare3(x.isNumber ? x.number : 0.0, y.isNumber ? y.number : 0.0);
            else if (x.isDate && y.isDate)
                r = Compare3(x.day, y.day);
            else {
                MakeSortKey(x);
                MakeSortKey(y);  // may move the buffer: views only after both
                r = Sign(std::string_view(keys_.data() + x.key, x.keyLength)
                             .compare(std::string_view(keys_.data() + y.key, y.keyLength)));
                if (r == 0) {
                    const QStringView tx(texts_.data() + x.text, x.textLength);
                    const QStringView ty(texts_.data() + y.text, y.textLength);
                    r = Sign(tx.compare(ty, Qt::CaseInsensitive));
                    if (r == 0 && CaseSensitive)
                        r = Sign(tx.compare(ty, Qt::CaseSensitive));
                }
            }
            if (r != 0)
                return r;
        }
        return 0;
    }

private:
    static constexpr quint32 kNoKey = 0xFFFFFFFFu;

    void MakeSortKey(const Piece &p) const
    {
        if (p.keyLength != kNoKey)
            return;
        Piece &q = const_cast<Piece &>(p);
        q.key = static_cast<quint32>(keys_.size());
        platform::AppendJetSortKey(QStringView(texts_.data() + p.text, p.textLength), keys_);
        q.keyLength = static_cast<quint32>(keys_.size()) - q.key;
    }

    Piece &AddPiece(QStringView t)
    {
        Piece p;
        p.keyLength = kNoKey;  // made when first compared as a text
        p.text = static_cast<quint32>(texts_.size());
        texts_.append(reinterpret_cast<const char16_t *>(t.utf16()), size_t(t.size()));
        p.textLength = static_cast<quint32>(t.size());
        p.isBlank = t.trimmed().isEmpty();
        if (!p.isBlank)
            p.isNumber = ReadNumber(QString::fromRawData(t.data(), t.size()), p.number);
        p.isDate = ReadDate(t, p.day);
        pieces_.push_back(p);
        return pieces_.back();
    }

    std::vector<Piece> pieces_;
    std::vector<quint32> rowFirst_;
    mutable std::string keys_;   // grows as pieces are first compared as texts
    std::u16string texts_;
};

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
            } else {
                GetKey(i, key);
                FStore->AddVariant(*this, key);
            }
        }
        FStore->EndRows();
        const int rows = static_cast<int>(sorted.size());
        FEntries.resize(size_t(rows));
        for (int k = 0; k < rows; ++k)
            FEntries[size_t(k)] = FStore->Entry(k);
        SortRange(FLo, FLo + rows - 1);
        std::vector<int> order;
        order.reserve(size_t(FHi - FLo + 1));
        for (const TEntry &e : FEntries)
            order.push_back(sorted[size_t(e.row)]);
        order.insert(order.end(), kept.begin(), kept.end());
        for (int i = end + 1; i <= FHi; ++i)
            order.push_back(i - FLo);
        bool moved = false;
        for (size_t k = 0; k < order.size() && !moved; ++k)
            moved = order[k] != static_cast<int>(k);
        FEntries.clear();
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

void TBaseSorter::SortRange(int L, int R)
{
    if (R <= L)
        return;
    switch (FSortMethod) {
    case 1: BubbleSort(L, R); break;
    case 2: ExchangeSort(L, R); break;
    default: QuickSort(L, R); break;
    }
}

void TBaseSorter::QuickSort(int L, int R)
{
    const int before = FDirection == 1 ? 1 : -1;   // the sign of "comes first"
    while (L < R) {
        int I = L, J = R;
        const TEntry P = FEntries[size_t((L + R) / 2 - FLo)];
        do {
            while (CompareEntries(FEntries[size_t(I - FLo)], P) == before)
                ++I;
            while (CompareEntries(P, FEntries[size_t(J - FLo)]) == before)
                --J;
            if (I <= J) {
                if (I < J)
                    Swap(I, J);
                ++I;
                --J;
            }
        } while (I <= J);
        // The smaller half recursively, the larger one in this loop: the
        // same order, with the depth bounded.
        if (J - L < R - I) {
            if (L < J)
                QuickSort(L, J);
            L = I;
        } else {
            if (I < R)
                QuickSort(I, R);
            R = J;
        }
    }
}

void TBaseSorter::BubbleSort(int L, int R)
{
    const int before = FDirection == 1 ? 1 : -1;
    bool exchanged;
    do {
        exchanged = false;
        for (int j = R; j >= L + 1; --j)
            if (CompareAt(j, j - 1) == before) {
                Swap(j, j - 1);
                exchanged = true;
            }
    } while (exchanged);
}

void TBaseSorter::ExchangeSort(int L, int R)
{
    const int before = FDirection == 1 ? 1 : -1;
    for (int i = L; i <= R; ++i)
        for (int j = i + 1; j <= R; ++j)
            if (CompareAt(j, i) == before)
                Swap(i, j);
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

bool TDelimitedStringsSorter::GetKeyTexts(int Index, std::vector<QStringView> &Texts, std::vector<QString> &Holders)
{
    // A class derived from this one may read its keys its own way.
    if (typeid(*this) != typeid(TDelimitedStringsSorter))
        return false;
    Holders.resize(1);
    Holders[0] = FList->Strings(Index);
    const QString &record = Holders[0];
    const QChar delimiter = FList->FieldDelimiter();
    Texts.clear();
    for (int f : FKeyFields) {
        // Field f, or nothing when the record has fewer.
        qsizetype start = 0;
        bool found = f >= 0;
        for (int i = 0; found && i < f; ++i) {
            const qsizetype p = record.indexOf(delimiter, start);
            if (p < 0)
                found = false;
            else
                start = p + 1;
        }
        if (!found) {
            Texts.emplace_back();
            continue;
        }
        const qsizetype end = record.indexOf(delimiter, start);
        Texts.push_back(QStringView(record).mid(start, (end < 0 ? record.size() : end) - start));
    }
    return true;
}

bool TDelimitedStringsSorter::IsTotalsRow(int Index)
{
    // The first field, read in place.
    const QString record = FList->Strings(Index);
    const qsizetype end = record.indexOf(FList->FieldDelimiter());
    const QStringView first = QStringView(record).left(end < 0 ? record.size() : end);
    return first == FilterTotalsMarker || first.startsWith(FList->MarkerChar());
}

void TDelimitedStringsSorter::BeforeSort()
{
    // The list's change notifications wait for the main thread: one after
    // the sort instead of one per exchange on the worker.
    FList->BeginUpdate();
    FUpdating = true;
}

void TDelimitedStringsSorter::AfterSort()
{
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

bool TStringGridSorter::GetKeyTexts(int Index, std::vector<QStringView> &Texts, std::vector<QString> &Holders)
{
    if (typeid(*this) != typeid(TStringGridSorter))
        return false;
    Holders.resize(FSortColumns.size());
    Texts.clear();
    for (size_t i = 0; i < FSortColumns.size(); ++i) {
        Holders[i] = FGrid->Cells(FSortColumns[i], Index);
        Texts.push_back(Holders[i]);
    }
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
