#pragma once
// Sorting grid rows and record lists on a worker thread.
//
// The caller creates a sorter (suspended), sets its keys, calls Sort and
// frees it at once: freeing waits for the thread, so the source is sorted
// when the free returns. The steps before and after the sort run on the
// creating (main) thread: the worker queues them and blocks; the queue is
// served by the waiting free (and by the event loop, should the caller go
// back to it first). While the worker runs, nobody else may touch the source.
//
// Keys are texts: the key fields of a row, each followed by '@'. Pieces
// compare as numbers when both read as numbers (negatives included; an
// empty piece against a number counts 0, as a number column shows it), as
// dates when both are dates shown as dd.MM.yyyy, and otherwise as texts in
// the program's alphabetical order (Latin before Cyrillic, Cyrillic in
// Bulgarian order), case deciding only between otherwise equal texts when
// CaseSensitive is on. Rows marked as totals stay last, in their order.
#include <QByteArray>
#include <QString>
#include <QStringView>
#include <QVariant>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/Exception.h"

class QObject;
class TDelimitedStrings;
class TDelimitedStringList;
namespace platform {
class StringGrid;
}

class ESorterError : public Exception
{
public:
    explicit ESorterError(const QString &message) : Exception(message) {}
    // "<message> \n\rIn <class>::<operation>,\n\rWith Data <data>"; an empty
    // message reads "Unspecified Error", an index is shown as "[index]"
    // after the message.
    static ESorterError Create(const QString &Message, const QString &ClassName,
                               const QString &Operation, const QString &Data,
                               const QString &Index = QString());
};

class TBaseSorter
{
public:
    using TSorterEvent = std::function<void(TBaseSorter *Sender)>;

    TBaseSorter();
    // Concrete sorters wait for their thread in their own destructor (the
    // worker calls their GetKey and Exchange); this one only checks. A
    // class that overrides them again must call Finish in its own
    // destructor, or the worker may still be calling into a destroyed part.
    virtual ~TBaseSorter();
    TBaseSorter(const TBaseSorter &) = delete;
    TBaseSorter &operator=(const TBaseSorter &) = delete;

    int Lo() const { return FLo; }
    void SetLo(int Value) { FLo = Value; }
    int Hi() const { return FHi; }
    void SetHi(int Value) { FHi = Value; }
    // 0 quicksort, 1 bubble sort (stable), 2 exchange sort.
    unsigned char SortMethod() const { return FSortMethod; }
    void SetSortMethod(unsigned char Value) { FSortMethod = Value; }
    // 0 ascending, 1 descending.
    unsigned char Direction() const { return FDirection; }
    void SetDirection(unsigned char Value) { FDirection = Value; }
    bool CaseSensitive() const { return FCaseSensitive; }
    void SetCaseSensitive(bool Value) { FCaseSensitive = Value; }
    // Keys of other types than text, number, date and Boolean are refused.
    bool TypedCompare() const { return FTypedCompare; }
    void SetTypedCompare(bool Value) { FTypedCompare = Value; }

    // Run on the main thread, before and after the sort.
    TSorterEvent OnBeforeSort;
    TSorterEvent OnAfterSort;

    // -1, 0 or 1, as the sorts compare (they compare the same keys prepared
    // once per row).
    virtual int CompareKeys(const QVariant &A, const QVariant &B) const;
    virtual void GetKey(int Index, QVariant &Key) = 0;
    virtual void Exchange(int I, int J) = 0;
    // True, or ESorterError naming what is missing.
    virtual bool CheckSource() = 0;
    // Starts the thread over [Lo..Hi] when CheckSource passes. One sort per
    // sorter: a second Start raises.
    void Start();
    // Hi < Lo raises ESorterError; otherwise stores the range and starts.
    void Sort(int Lo, int Hi);

    void Terminate() { FTerminated = true; }
    bool Terminated() const { return FTerminated; }
    // Waits for the thread, serving its main-thread steps meanwhile; a
    // failure of the sort is raised here. Nothing happens when the thread
    // was never started.
    void WaitFor();
    // What made the sort fail ("" while none did).
    QString FatalError() const { return FFatalError; }

protected:
    // Runs Fn on the thread that created the sorter and waits for it.
    void Synchronize(const std::function<void()> &Fn);
    // On the main thread before the sort and after it (the events run
    // there): concrete sorters take the source in and give it back here.
    virtual void BeforeSort();
    virtual void AfterSort();
    // Whether the row at Index is a totals row, which stays last.
    virtual bool IsTotalsRow(int Index);
    // Whether a totals row amid the data stays out of the sort too. Here:
    // every totals row ends last, the totals keeping their order; the block
    // of totals rows at the bottom of the range stays last in any case.
    virtual bool TotalsAnywhere() const { return true; }
    // Used by the destructors of concrete sorters.
    void Finish();
    // The class name that error texts give.
    virtual QString ClassName() const { return QStringLiteral("TBaseSorter"); }
    // What every source must pass: it is there (else Missing is raised),
    // key columns are set, and [Lo..Hi] lies within its Count rows.
    bool CheckSourceParts(bool HasSource, const QString &Missing, bool HasKeys, int Count) const;
    // Misuse of the sorter: the error text names this class and Operation.
    [[noreturn]] void Fail(const QString &Message, const QString &Operation,
                           const QString &Data = QStringLiteral("N/A")) const;

    // The key texts of a row (fields, cells) for a source of texts; each is
    // split at '@' into pieces as GetKey's text would be. Holders keep the
    // viewed texts alive. False (here, and in classes derived from the
    // concrete sorters, which may override GetKey): the key comes through
    // GetKey.
    virtual bool GetKeyTexts(int Index, std::vector<QStringView> &Texts, std::vector<QString> &Holders);
    // Whether GetKeyTexts gives every row's key and it and IsTotalsRow only
    // read memory that holds still during the sort: the keys are then read
    // on several threads at once.
    virtual bool KeysInPlace() const { return false; }
    // Puts the sorted rows in place: row First + k takes what row
    // First + From[k] held. Here: through Exchange, along the cycles of the
    // permutation (at most one exchange per row).
    virtual void Permute(int First, const std::vector<int> &From);

private:
    class TKeyStore;
    friend class TKeyStore;

    struct SyncCall
    {
        const std::function<void()> *fn;
        bool done = false;
        std::exception_ptr error;
    };

    void Execute();
    // The keys of [Lo..End] read side by side where KeysInPlace: Sorted and
    // Kept get the offsets of the rows to sort and of the totals rows.
    void ReadKeysInPlace(int End, bool Anywhere, std::vector<int> &Sorted, std::vector<int> &Kept);
    // Rows one thread reads at least.
    static constexpr size_t kRowsPerThread = 8192;
    void ServeQueue();
    // A row in the order being sorted: its offset from Lo and its first
    // key piece when that is a number (or blank, 0) or a date, so that most
    // comparisons read nothing else.
    struct TEntry
    {
        double value;
        int row;
        unsigned char kind;   // TKeyStore's kinds of the first piece
        bool single;          // the key has no other piece
    };
    int CompareEntries(const TEntry &A, const TEntry &B) const;

    int FLo = 0;
    int FHi = -1;
    unsigned char FSortMethod = 0;
    unsigned char FDirection = 0;
    bool FCaseSensitive = false;
    bool FTypedCompare = false;
    std::atomic<bool> FTerminated{false};

    std::thread FThread;
    std::thread::id FCreator;
    std::unique_ptr<QObject> FContext;   // where queued serving calls go
    std::mutex FMutex;
    std::condition_variable FCond;
    std::deque<SyncCall *> FQueue;
    bool FFinished = false;
    bool FStarted = false;
    std::exception_ptr FFatal;
    QString FFatalError;
    // The keys of [Lo..Hi], read once; the sorts order entries of them
    // (FEntries where keys are compared piece by piece) and the rows are
    // put in place once at the end.
    std::unique_ptr<TKeyStore> FStore;
    std::vector<TEntry> FEntries;
};

// Sorts the records of a record list by key fields.
class TDelimitedStringsSorter : public TBaseSorter
{
public:
    explicit TDelimitedStringsSorter(TDelimitedStrings *List);
    ~TDelimitedStringsSorter() override;

    TDelimitedStrings *List() const { return FList; }
    const std::vector<int> &KeyFields() const { return FKeyFields; }
    void SetKeyFields(const std::vector<int> &Fields) { FKeyFields = Fields; }

    void GetKey(int Index, QVariant &Key) override;
    void Exchange(int I, int J) override;
    bool CheckSource() override;

protected:
    void BeforeSort() override;
    void AfterSort() override;
    // A record whose first field is "Сума за филтъра" or begins with the
    // list's marker ('¤').
    bool IsTotalsRow(int Index) override;
    bool GetKeyTexts(int Index, std::vector<QStringView> &Texts, std::vector<QString> &Holders) override;
    // A plain storing list read in place by this class.
    bool KeysInPlace() const override { return FStored && FOwnKeys; }
    // A plain storing list takes the order at once; other lists through
    // Exchange.
    void Permute(int First, const std::vector<int> &From) override;
    QString ClassName() const override { return QStringLiteral("TDelimitedStringsSorter"); }

private:
    // The record read in place (a plain storing list without OnGetRecord)
    // or through Strings into Holder.
    QStringView Record(int Index, QString &Holder) const;

    TDelimitedStrings *FList;
    std::vector<int> FKeyFields;
    bool FUpdating = false;
    // FList when its records can be read in place during the sort.
    TDelimitedStringList *FStored = nullptr;
    // Whether the keys are read by this class (not by a derived GetKey).
    bool FOwnKeys = false;
};

// Sorts the rows of a string grid by key columns: the whole texts of rows
// are exchanged, the rows' attributes stay where they are.
class TStringGridSorter : public TBaseSorter
{
public:
    explicit TStringGridSorter(platform::StringGrid *Grid);
    ~TStringGridSorter() override;

    platform::StringGrid *Grid() const { return FGrid; }
    const std::vector<int> &SortColumns() const { return FSortColumns; }
    void SetSortColumns(const std::vector<int> &Columns) { FSortColumns = Columns; }
    // Every row below the fixed ones (nothing when there is none).
    void SortAll();

    void GetKey(int Index, QVariant &Key) override;
    void Exchange(int I, int J) override;
    bool CheckSource() override;

protected:
    void AfterSort() override;
    // A row painted in the totals colour ($F8F0D8) on a TRichGrid, or whose
    // first cell reads "Сума за филтъра".
    bool IsTotalsRow(int Index) override;
    // Only the block of totals rows at the bottom of the range stays out of
    // the sort: a row's look stays where it is, so a totals row amid the
    // data (which the grid fill never makes) cannot be moved with its look.
    bool TotalsAnywhere() const override { return false; }
    bool GetKeyTexts(int Index, std::vector<QStringView> &Texts, std::vector<QString> &Holders) override;
    // The cells of this class's grid, read in place.
    bool KeysInPlace() const override;
    // The rows' texts move at once (their looks stay where they are).
    void Permute(int First, const std::vector<int> &From) override;
    QString ClassName() const override { return QStringLiteral("TStringGridSorter"); }

private:
    platform::StringGrid *FGrid;
    std::vector<int> FSortColumns;
    QString FWorkText;
};
