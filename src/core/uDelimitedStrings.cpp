#include "core/uDelimitedStrings.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include <QFile>

#include "core/uHelpers.h"
#include "platform/db/Collation.h"
#include "platform/system/ReplacingFile.h"
#include "platform/system/Workers.h"

QString CleanFieldValue(const QString &Value)
{
    QString s = Value;
    s.replace(QChar(FieldDelimiterChar), QChar(u'~'));
    s.replace(QChar(RecordDelimiterChar), QChar(u' '));
    return s;
}

// ---- TDelimitedStrings -----------------------------------------------------

TDelimitedStrings::TDelimitedStrings(QChar RecordDelimiter, QChar FieldDelimiter)
    : RecordDelimiter_(RecordDelimiter), FieldDelimiter_(FieldDelimiter)
{
}

void TDelimitedStrings::IndexError(int Index)
{
    throw EStringListError(QStringLiteral("List index out of bounds (%1)").arg(Index));
}

void TDelimitedStrings::CheckIndex(int Index) const
{
    if (Index < 0 || Index >= GetCount())
        IndexError(Index);
}

void TDelimitedStrings::FireGetRecord(QString &Record, int Index) const
{
    if (!OnGetRecord)
        return;
    bool stop = false;
    OnGetRecord(*this, GetCount(), Record, Index + 1, stop);
    if (stop)
        Stop_ = true;
}

void TDelimitedStrings::GetField(int RecordIndex, int FieldIndex, QString &S) const
{
    CheckIndex(RecordIndex);
    const QString record = Get(RecordIndex);
    if (FieldIndex < 0 || FieldIndex > PieceCount(record, FieldDelimiter_))
        IndexError(FieldIndex);
    GetPiece(record, FieldDelimiter_, FieldIndex, S);
}

void TDelimitedStrings::SetField(int RecordIndex, int FieldIndex, const QString &S)
{
    CheckIndex(RecordIndex);
    if (FieldIndex < 0)
        IndexError(FieldIndex);
    QString record = Get(RecordIndex);
    SetPiece(record, FieldDelimiter_, FieldIndex, S);
    Put(RecordIndex, record);
}

void TDelimitedStrings::SetFieldCount(int RecordIndex, int N)
{
    CheckIndex(RecordIndex);
    if (N < 0)
        IndexError(N);
    QString record = Get(RecordIndex);
    SetPieceCount(record, FieldDelimiter_, N);
    Put(RecordIndex, record);
}

int TDelimitedStrings::GetFieldCount(int RecordIndex) const
{
    CheckIndex(RecordIndex);
    return PieceCount(Get(RecordIndex), FieldDelimiter_);
}

TObject *TDelimitedStrings::GetObject(int Index) const
{
    CheckIndex(Index);
    return nullptr;
}

void TDelimitedStrings::PutObject(int Index, TObject *)
{
    CheckIndex(Index);
}

void TDelimitedStrings::SetCapacity(int) {}

namespace {
// Holds one update of a list open for its scope. An exception from the
// closing notification must not escape while another one is unwinding.
class UpdateScope
{
public:
    explicit UpdateScope(TDelimitedStrings &List) : list_(List), unwinding_(std::uncaught_exceptions())
    {
        list_.BeginUpdate();
    }
    ~UpdateScope() noexcept(false)
    {
        if (std::uncaught_exceptions() > unwinding_) {
            try {
                list_.EndUpdate();
            } catch (...) {
            }
        } else {
            list_.EndUpdate();
        }
    }
    UpdateScope(const UpdateScope &) = delete;
    UpdateScope &operator=(const UpdateScope &) = delete;

private:
    TDelimitedStrings &list_;
    int unwinding_;
};
} // namespace

void TDelimitedStrings::Put(int Index, const QString &S)
{
    TObject *object = GetObject(Index);
    UpdateScope update(*this);
    Delete(Index);
    InsertObject(Index, S, object);
}

QString TDelimitedStrings::GetTextStr() const
{
    Stop_ = false;
    const int count = GetCount();
    QString text;
    for (int i = 0; i < count; ++i) {
        const QString record = Get(i);
        if (Stop_)
            break;
        if (i > 0)
            text += RecordDelimiter_;
        text += record;
    }
    return text;
}

// One record cut out by the splitter: through the hook, trimmed on request,
// added. False when the hook asked to stop.
bool TDelimitedStrings::SplitRecord(QString Record, int RecordCount, int &RecordNo, bool Extra)
{
    if (OnSplitRecord) {
        bool stop = false;
        bool changed = false;
        OnSplitRecord(*this, RecordCount, RecordNo, Record, stop, changed);
        if (stop) {
            Stop_ = true;
            return false;
        }
        if (changed && Record.contains(RecordDelimiter_)) {
            if (Extra)
                throw EExtraRecordDelimiterFoundInAlreadySeparatedString();
            throw ERecordDelimiterFoundInAlreadySeparatedString();
        }
    }
    if (TrimRecords_)
        Record = TrimBlanks(Record);
    Add(Record);
    ++RecordNo;
    return true;
}

void TDelimitedStrings::SetTextStr(const QString &S)
{
    BeginUpdate();
    try {
        Stop_ = false;
        const int n = S.size();
        const int recordCount = n == 0 ? 0 : static_cast<int>(S.count(RecordDelimiter_)) + 1;
        if (!Appending_)
            Clear();
        int recordNo = 0;
        int pos = 0;
        bool going = true;
        while (going && pos < n) {
            int end = S.indexOf(RecordDelimiter_, pos);
            if (end < 0)
                end = n;
            going = SplitRecord(S.mid(pos, end - pos), recordCount, recordNo, false);
            pos = end;
            if (going && pos < n) {
                ++pos; // the delimiter that ended the record
                while (going && pos < n && S.at(pos) == RecordDelimiter_) {
                    going = SplitRecord(QString(), recordCount, recordNo, true);
                    ++pos;
                }
            }
        }
        if (going && n > 0 && S.at(n - 1) == RecordDelimiter_)
            SplitRecord(QString(), recordCount, recordNo, true);
    } catch (...) {
        Appending_ = false;
        EndUpdate();
        throw;
    }
    Appending_ = false;
    EndUpdate();
}

int TDelimitedStrings::Add(const QString &S)
{
    const int before = GetCount();
    if (!Appending_) {
        Appending_ = true;
        SetTextStr(S);
    } else {
        if (OnMarkedRecord && !S.isEmpty() && S.at(0) == MarkerChar_)
            OnMarkedRecord(this);
        Insert(GetCount(), S);
    }
    return before;
}

int TDelimitedStrings::AddWithFieldCount(const QString &S, int N)
{
    if (N < 0)
        IndexError(N);
    QString record = S;
    SetPieceCount(record, FieldDelimiter_, N);
    return Add(record);
}

void TDelimitedStrings::AddText(const QString &S)
{
    Appending_ = true;
    SetTextStr(S);
}

namespace {
// Every record or string of Source with its object, in order.
template <class List>
void AddAllFrom(TDelimitedStrings &Dest, const List &Source)
{
    const int n = Source.Count();
    for (int i = 0; i < n; ++i)
        Dest.AddObject(Source.Get(i), Source.GetObject(i));
}
} // namespace

int TDelimitedStrings::AddObject(const QString &S, TObject *AObject)
{
    const int index = Add(S);
    PutObject(index, AObject);
    return index;
}

void TDelimitedStrings::AddStrings(const TPersistent *Source)
{
    const auto *records = dynamic_cast<const TDelimitedStrings *>(Source);
    const auto *strings = dynamic_cast<const TStringList *>(Source);
    if (!records && !strings)
        throw EAddStringsFailed();
    UpdateScope update(*this);
    if (records) {
        if (records->RecordDelimiter() != RecordDelimiter_)
            throw EDifferentDelimiters();
        AddAllFrom(*this, *records);
    } else {
        AddAllFrom(*this, *strings);
    }
}

void TDelimitedStrings::Exchange(int Index1, int Index2)
{
    CheckIndex(Index1);
    CheckIndex(Index2);
    const QString text = Get(Index1);
    TObject *object = GetObject(Index1);
    UpdateScope update(*this);
    Put(Index1, Get(Index2));
    PutObject(Index1, GetObject(Index2));
    Put(Index2, text);
    PutObject(Index2, object);
}

int TDelimitedStrings::IndexOf(const QString &S) const
{
    const int n = GetCount();
    for (int i = 0; i < n; ++i)
        if (AnsiCompareText(Get(i), S) == 0)
            return i;
    return -1;
}

void TDelimitedStrings::InsertObject(int Index, const QString &S, TObject *AObject)
{
    Insert(Index, S);
    PutObject(Index, AObject);
}

void TDelimitedStrings::LoadFromFile(const QString &FileName)
{
    QFile file(FileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EFOpenError(QStringLiteral("Файлът \"%1\" не може да бъде отворен. %2").arg(FileName, file.errorString()));
    LoadFromStream(file);
}

void TDelimitedStrings::LoadFromStream(QIODevice &Stream)
{
    const QByteArray bytes = Stream.readAll();
    const auto *file = qobject_cast<QFileDevice *>(&Stream);
    if (file && file->error() != QFileDevice::NoError)
        throw EReadError(QStringLiteral("Грешка при четене на файла"));
    SetTextStr(QString::fromUtf8(bytes));
}

void TDelimitedStrings::SaveToFile(const QString &FileName) const
{
    // Written aside and put in place whole: a failed save leaves the old
    // file as it was, and a link standing at the name is replaced, never
    // written through.
    platform::ReplacingFile file(FileName);
    if (!file.Open())
        throw EFCreateError(QStringLiteral("Файлът \"%1\" не може да бъде създаден. %2").arg(FileName, file.ErrorString()));
    SaveToStream(file.Device());
    if (!file.Commit())
        throw EWriteError(QStringLiteral("Грешка при запис във файла"));
}

void TDelimitedStrings::SaveToStream(QIODevice &Stream) const
{
    const QByteArray bytes = GetTextStr().toUtf8();
    if (Stream.write(bytes) != bytes.size())
        throw EWriteError(QStringLiteral("Грешка при запис във файла"));
}

void TDelimitedStrings::Move(int CurIndex, int NewIndex)
{
    if (CurIndex == NewIndex)
        return;
    // Both checked before anything changes, so that a refused insert never
    // loses the record already taken out.
    CheckIndex(CurIndex);
    CheckIndex(NewIndex);
    const QString text = Get(CurIndex);
    TObject *object = GetObject(CurIndex);
    UpdateScope update(*this);
    Delete(CurIndex);
    InsertObject(NewIndex, text, object);
}

void TDelimitedStrings::SetText(const QString &S)
{
    Changing();
    SettingText_ = true;
    try {
        SetTextStr(S);
    } catch (...) {
        SettingText_ = false;
        Changed();
        throw;
    }
    SettingText_ = false;
    Changed();
}

void TDelimitedStrings::Assign(const TPersistent *Source)
{
    if (!Source || Source == this)
        return;
    const auto *records = dynamic_cast<const TDelimitedStrings *>(Source);
    const auto *strings = dynamic_cast<const TStringList *>(Source);
    if (!records && !strings)
        throw EConvertError(QStringLiteral("Cannot assign to a record list"));
    UpdateScope update(*this);
    Clear();
    if (records) {
        RecordDelimiter_ = records->RecordDelimiter_;
        FieldDelimiter_ = records->FieldDelimiter_;
        MarkerChar_ = records->MarkerChar_;
        AddAllFrom(*this, *records);
    } else {
        AddAllFrom(*this, *strings);
    }
}

void TDelimitedStrings::AssignTo(TStringList &Dest) const
{
    const int n = GetCount();
    if (n == 0)
        return;
    Dest.Clear();
    for (int i = 0; i < n; ++i)
        Dest.Add(Get(i));
}

void TDelimitedStrings::BeginUpdate()
{
    if (UpdateCount_ == 0)
        SetUpdateState(true);
    ++UpdateCount_;
}

void TDelimitedStrings::EndUpdate()
{
    if (UpdateCount_ == 0)
        return;
    --UpdateCount_;
    if (UpdateCount_ == 0)
        SetUpdateState(false);
}

void TDelimitedStrings::Changed()
{
    if (UpdateCount_ == 0 && OnChange)
        OnChange(this);
}

void TDelimitedStrings::Changing()
{
    if (UpdateCount_ == 0 && OnChanging)
        OnChanging(this);
}

void TDelimitedStrings::SetUpdateState(bool) {}

// ---- TDelimitedStringList --------------------------------------------------

TDelimitedStringList::TDelimitedStringList(QChar RecordDelimiter, QChar FieldDelimiter)
    : TDelimitedStrings(RecordDelimiter, FieldDelimiter)
{
}

void TDelimitedStringList::SetSorted(bool Value)
{
    if (Value == Sorted_)
        return;
    if (Value)
        Sort();
    Sorted_ = Value;
}

QString TDelimitedStringList::Get(int Index) const
{
    CheckIndex(Index);
    QString record = Items_[Index].text;
    FireGetRecord(record, Index);
    return record;
}

TObject *TDelimitedStringList::GetObject(int Index) const
{
    CheckIndex(Index);
    return Items_[Index].object;
}

void TDelimitedStringList::Put(int Index, const QString &S)
{
    if (Sorted_)
        throw EStringListError(QStringLiteral("Operation not allowed on sorted string list"));
    CheckIndex(Index);
    Changing();
    Items_[Index].text = S;
    Changed();
}

void TDelimitedStringList::PutObject(int Index, TObject *AObject)
{
    CheckIndex(Index);
    Changing();
    Items_[Index].object = AObject;
    Changed();
}

void TDelimitedStringList::SetCapacity(int N)
{
    // Never below the count: that would drop records.
    if (N < GetCount())
        throw EStringListError(QStringLiteral("List capacity out of bounds (%1)").arg(N));
    Capacity_ = N;
    if (static_cast<size_t>(N) > Items_.capacity())
        Items_.reserve(N);
}

void TDelimitedStringList::Grow()
{
    int delta = 4;
    if (Capacity_ > 64)
        delta = Capacity_ / 4;
    else if (Capacity_ > 8)
        delta = 16;
    SetCapacity(Capacity_ + delta);
}

void TDelimitedStringList::InsertItem(int Index, const QString &S, TObject *AObject)
{
    if (!SettingText())
        Changing();
    if (GetCount() == Capacity_)
        Grow();
    Items_.insert(Items_.begin() + Index, Item{S, AObject});
    if (!SettingText())
        Changed();
}

int TDelimitedStringList::Add(const QString &S)
{
    int index = GetCount();
    if (Sorted_ && Find(S, index)) {
        if (Duplicates_ == dupIgnore)
            return index;
        if (Duplicates_ == dupError)
            throw EStringListError(QStringLiteral("String list does not allow duplicates"));
    }
    InsertItem(index, S, nullptr);
    return index;
}

void TDelimitedStringList::Clear()
{
    if (Items_.empty())
        return;
    Changing();
    std::vector<Item>().swap(Items_);
    Capacity_ = 0;
    Changed();
}

void TDelimitedStringList::Delete(int Index)
{
    CheckIndex(Index);
    Changing();
    Items_.erase(Items_.begin() + Index);
    Changed();
}

void TDelimitedStringList::Exchange(int Index1, int Index2)
{
    CheckIndex(Index1);
    CheckIndex(Index2);
    Changing();
    std::swap(Items_[Index1], Items_[Index2]);
    Changed();
}

int TDelimitedStringList::IndexOf(const QString &S) const
{
    if (!Sorted_)
        return TDelimitedStrings::IndexOf(S);
    int index = -1;
    return Find(S, index) ? index : -1;
}

void TDelimitedStringList::Insert(int Index, const QString &S)
{
    if (Sorted_)
        throw EStringListError(QStringLiteral("Operation not allowed on sorted string list"));
    if (Index < 0 || Index > GetCount())
        IndexError(Index);
    InsertItem(Index, S, nullptr);
}

void TDelimitedStringList::Move(int CurIndex, int NewIndex)
{
    if (Sorted_ && CurIndex != NewIndex)
        throw EStringListError(QStringLiteral("Operation not allowed on sorted string list"));
    TDelimitedStrings::Move(CurIndex, NewIndex);
}

bool TDelimitedStringList::Find(const QString &S, int &Index) const
{
    bool found = false;
    int l = 0;
    int h = GetCount() - 1;
    while (l <= h) {
        const int i = (l + h) / 2;
        const int c = AnsiCompareText(Items_[i].text, S);
        if (c < 0) {
            l = i + 1;
        } else {
            h = i - 1;
            if (c == 0) {
                found = true;
                if (Duplicates_ != dupAccept)
                    l = i;
            }
        }
    }
    Index = l;
    return found;
}

namespace {

// One record in the sort: its key in the shared buffer and where it stood.
struct SortEntry
{
    // The key's first eight bytes after the part all keys share, high byte
    // first and padded with zeros: most pairs part there.
    quint64 head;
    const char *key;
    quint32 length;
    quint32 index;
};

// The same partitioning, pivot choice and swaps as a sort that compares
// the texts pair by pair, so records that compare equal end up exactly where
// that sort puts them; only each comparison is cheaper.
template <typename Compare> void QuickSortEntries(std::vector<SortEntry> &e, int L, int R, const Compare &compare)
{
    int i;
    do {
        i = L;
        int j = R;
        int p = (L + R) / 2;
        do {
            while (compare(e[i], e[p]) < 0)
                ++i;
            while (compare(e[j], e[p]) > 0)
                --j;
            if (i <= j) {
                if (i != j)
                    std::swap(e[i], e[j]);
                if (p == i)
                    p = j;
                else if (p == j)
                    p = i;
                ++i;
                --j;
            }
        } while (i <= j);
        if (L < j)
            QuickSortEntries(e, L, j, compare);
        L = i;
    } while (i < R);
}

} // namespace

void TDelimitedStringList::QuickSort(int L, int R)
{
    // Each record's sort key is made once; the keys' byte order is the
    // list's text order, and where two keys are equal the texts compared
    // without regard to case break the tie.
    const int n = R - L + 1;
    std::vector<size_t> starts(static_cast<size_t>(n) + 1);
    std::string keys;
    size_t total = 0;
    for (int k = L; k <= R; ++k)
        total += 3 * static_cast<size_t>(Items_[k].text.size());
    keys.reserve(total);
    for (int k = 0; k < n; ++k) {
        starts[k] = keys.size();
        platform::AppendJetSortKey(Items_[L + k].text, keys);
    }
    starts[n] = keys.size();
    // Leading bytes that every key shares decide nothing.
    size_t shared = starts[1] - starts[0];
    for (int k = 1; k < n && shared > 0; ++k) {
        const size_t length = std::min(shared, starts[k + 1] - starts[k]);
        size_t same = 0;
        while (same < length && keys[same] == keys[starts[k] + same])
            ++same;
        shared = same;
    }
    std::vector<SortEntry> entries(static_cast<size_t>(n));
    const auto makeEntries = [&] {
        for (int k = 0; k < n; ++k) {
            const char *key = keys.data() + starts[k] + shared;
            const size_t length = starts[k + 1] - starts[k] - shared;
            quint64 head = 0;
            for (size_t b = 0; b < 8; ++b)
                head = (head << 8) | (b < length ? static_cast<unsigned char>(key[b]) : 0u);
            entries[k] = SortEntry{head, key, static_cast<quint32>(length), static_cast<quint32>(L + k)};
        }
    };
    makeEntries();
    const auto compare = [this](const SortEntry &a, const SortEntry &b) {
        if (a.head != b.head)
            return a.head < b.head ? -1 : 1;
        const int c = std::memcmp(a.key, b.key, std::min(a.length, b.length));
        if (c != 0)
            return c;
        if (a.length != b.length)
            return a.length < b.length ? -1 : 1;
        const QString &ta = Items_[a.index].text;
        const QString &tb = Items_[b.index].text;
        return ta == tb ? 0 : QString::compare(ta, tb, Qt::CaseInsensitive);
    };
    // Records that compare equal stand where this list's quicksort puts
    // them. Where every such group holds copies of one record (the same
    // text, the same object) all sorted orders are one and the same, and any
    // sort gives it; otherwise the quicksort runs on the entries made again
    // as they stood. The library sort orders by the keys alone; a run of
    // equal keys is then ordered by the texts only where they differ.
    const auto keyCompare = [](const SortEntry &a, const SortEntry &b) {
        if (a.head != b.head)
            return a.head < b.head;
        const int c = std::memcmp(a.key, b.key, std::min(a.length, b.length));
        return c != 0 ? c < 0 : a.length < b.length;
    };
    const auto sameKey = [](const SortEntry &a, const SortEntry &b) {
        return a.head == b.head && a.length == b.length && std::memcmp(a.key, b.key, a.length) == 0;
    };
    const auto copies = [this](const SortEntry &a, const SortEntry &b) {
        return Items_[a.index].object == Items_[b.index].object && Items_[a.index].text == Items_[b.index].text;
    };
    std::sort(entries.begin(), entries.end(), keyCompare);
    bool copiesOnly = true;
    for (int first = 0; first < n && copiesOnly;) {
        int last = first + 1;
        while (last < n && sameKey(entries[first], entries[last]))
            ++last;
        bool allCopies = true;
        for (int k = first + 1; k < last && allCopies; ++k)
            allCopies = copies(entries[first], entries[k]);
        if (!allCopies) {
            std::sort(entries.begin() + first, entries.begin() + last,
                      [&compare](const SortEntry &a, const SortEntry &b) { return compare(a, b) < 0; });
            for (int k = first + 1; k < last && copiesOnly; ++k)
                if (compare(entries[k - 1], entries[k]) == 0)
                    copiesOnly = copies(entries[k - 1], entries[k]);
        }
        first = last;
    }
    if (!copiesOnly) {
        makeEntries();
        QuickSortEntries(entries, 0, n - 1, compare);
    }
    std::vector<Item> sorted;
    // The whole list takes the sorted records at once, keeping its room.
    const bool whole = L == 0 && n == GetCount();
    sorted.reserve(whole ? std::max(static_cast<size_t>(n), Items_.capacity()) : static_cast<size_t>(n));
    for (const SortEntry &e : entries)
        sorted.push_back(std::move(Items_[e.index]));
    if (whole)
        Items_.swap(sorted);
    else
        std::move(sorted.begin(), sorted.end(), Items_.begin() + L);
}

void TDelimitedStringList::PermuteRecords(int First, const std::vector<int> &From)
{
    const int n = static_cast<int>(From.size());
    if (n == 0)
        return;
    CheckIndex(First);
    CheckIndex(First + n - 1);
    std::vector<bool> taken(static_cast<size_t>(n), false);
    for (int k : From) {
        if (k < 0 || k >= n || taken[static_cast<size_t>(k)])
            IndexError(First + k);
        taken[static_cast<size_t>(k)] = true;
    }
    Changing();
    std::vector<Item> moved;
    moved.reserve(std::max(static_cast<size_t>(n), Items_.capacity()));  // the room the list keeps
    moved.resize(static_cast<size_t>(n));
    // Each record goes to its own place: the moves are shared among
    // threads, the records' texts stay where they are in memory.
    platform::ForEachPiece(static_cast<size_t>(n), 8192, [&](size_t, size_t from, size_t to) {
        for (size_t k = from; k < to; ++k)
            moved[k] = std::move(Items_[static_cast<size_t>(First + From[k])]);
    });
    if (First == 0 && n == GetCount())
        Items_.swap(moved);
    else
        std::move(moved.begin(), moved.end(), Items_.begin() + First);
    Changed();
}

void TDelimitedStringList::Sort()
{
    if (Sorted_ || GetCount() < 2)
        return;
    Changing();
    QuickSort(0, GetCount() - 1);
    Changed();
}

void TDelimitedStringList::SetUpdateState(bool Updating)
{
    if (SettingText())
        return;
    if (Updating)
        Changing();
    else
        Changed();
}

TPersistent *TDelimitedStringList::Clone() const
{
    auto *copy = new TDelimitedStringList(RecordDelimiter(), FieldDelimiter());
    copy->Assign(this);
    return copy;
}
