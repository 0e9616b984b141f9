#include "components/Sorters.h"

#include <QDate>
#include <QObject>
#include <QtDebug>
#include <cmath>
#include <limits>
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
        const int last = KeepTotalsLast(FLo, FHi);
        FKeys.clear();
        FKeys.reserve(size_t(FHi - FLo + 1));
        QVariant key;
        for (int i = FLo; i <= FHi; ++i) {
            GetKey(i, key);
            FKeys.push_back(PrepareKey(key));
        }
        SortRange(FLo, last);
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
    FKeys.clear();
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

TBaseSorter::TSortPiece TBaseSorter::PreparePiece(const QString &Text)
{
    // The alphabetical order of the record lists (AnsiCompareText), read
    // once per piece so that each comparison is cheap.
    TSortPiece piece{Text, platform::JetSortKey(Text)};
    piece.isNumber = ReadNumber(Text, piece.number);
    piece.isDate = ReadDate(Text, piece.day);
    return piece;
}

TBaseSorter::TSortKey TBaseSorter::PrepareKey(const QVariant &Key) const
{
    if (FTypedCompare && !IsPlainType(Key))
        Fail(QStringLiteral("Cannot compare a key of type %1").arg(QString::fromLatin1(Key.typeName())),
             QStringLiteral("CompareKeys"));
    TSortKey key;
    if (IsTextType(Key)) {
        // The pieces before the last '@' (a key of several columns); a
        // key without '@' is its own one piece.
        const QString text = Key.toString();
        const int last = text.lastIndexOf(QLatin1Char('@'));
        if (last < 0) {
            key.push_back(PreparePiece(text));
        } else {
            for (QStringView v : QStringView(text).left(last).split(QLatin1Char('@')))
                key.push_back(PreparePiece(v.toString()));
        }
        return key;
    }
    if (IsDateType(Key)) {
        TSortPiece piece = PreparePiece(DateToDisplayText(Key.toDate()));
        piece.isNumber = false;
        piece.isDate = true;
        piece.day = Key.metaType().id() == QMetaType::QDate
                        ? Key.toDate().toJulianDay() * MSecsPerDay
                        : Key.toDateTime().toMSecsSinceEpoch() + QDate(1970, 1, 1).toJulianDay() * MSecsPerDay;
        key.push_back(piece);
        return key;
    }
    TSortPiece piece = PreparePiece(Key.toString());
    bool ok = false;
    const double value = Key.toDouble(&ok);
    piece.isNumber = ok;
    piece.number = value;
    piece.isDate = false;
    key.push_back(piece);
    return key;
}

int TBaseSorter::ComparePrepared(const TSortKey &A, const TSortKey &B) const
{
    static const TSortPiece empty = PreparePiece(QString());
    const size_t n = std::max(A.size(), B.size());
    for (size_t i = 0; i < n; ++i) {
        const TSortPiece &a = i < A.size() ? A[i] : empty;
        const TSortPiece &b = i < B.size() ? B[i] : empty;
        int r;
        if (a.isNumber && b.isNumber)
            r = Compare3(a.number, b.number);
        else if (a.isDate && b.isDate)
            r = Compare3(a.day, b.day);
        else {
            r = Sign(a.sortKey.compare(b.sortKey));
            if (r == 0)
                r = Sign(QString::compare(a.text, b.text, Qt::CaseInsensitive));
            if (r == 0 && FCaseSensitive)
                r = Sign(QString::compare(a.text, b.text, Qt::CaseSensitive));
        }
        if (r != 0)
            return r;
    }
    return 0;
}

int TBaseSorter::CompareKeys(const QVariant &A, const QVariant &B) const
{
    if (FTypedCompare && (!IsPlainType(A) || !IsPlainType(B)))
        Fail(QStringLiteral("Cannot compare a key of type %1 with one of type %2")
                 .arg(QString::fromLatin1(A.typeName()), QString::fromLatin1(B.typeName())),
             QStringLiteral("CompareKeys"));
    return ComparePrepared(PrepareKey(A), PrepareKey(B));
}

void TBaseSorter::Swap(int I, int J)
{
    Exchange(I, J);
    std::swap(FKeys[size_t(I - FLo)], FKeys[size_t(J - FLo)]);
}

int TBaseSorter::KeepTotalsLast(int L, int R)
{
    int last = R;
    for (int i = R; i >= L; --i) {
        if (!IsTotalsRow(i))
            continue;
        for (int k = i; k < last; ++k)
            Exchange(k, k + 1);
        --last;
    }
    return last;
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
        const TSortKey P = Key((L + R) / 2);
        do {
            while (Sign(ComparePrepared(Key(I), P)) == before)
                ++I;
            while (Sign(ComparePrepared(P, Key(J))) == before)
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
            if (Sign(ComparePrepared(Key(j), Key(j - 1))) == before) {
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
            if (Sign(ComparePrepared(Key(j), Key(i))) == before)
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

bool TDelimitedStringsSorter::IsTotalsRow(int Index)
{
    QString first;
    GetPiece(FList->Strings(Index), FList->FieldDelimiter(), 0, first);
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

bool TStringGridSorter::IsTotalsRow(int Index)
{
    if (auto *rich = qobject_cast<TRichGrid *>(FGrid))
        if (rich->HasRowAttributes(Index) && rich->GetRowAttributes(Index)->BackColor() == TotalsRowColor)
            return true;
    return FGrid->Cells(0, Index) == FilterTotalsMarker;
}

int TStringGridSorter::KeepTotalsLast(int L, int R)
{
    int last = R;
    while (last >= L && IsTotalsRow(last))
        --last;
    return last;
}

void TStringGridSorter::AfterSort()
{
    FGrid->InvalidateGrid();
}
