#pragma once
// Delimited record lists: the list in which every query result travels, one
// record per row, fields joined by a field delimiter.
//
// Text format: records separated by the record delimiter ('°' everywhere in
// this program), fields by the field delimiter ('@'); fields are numbered
// from 0. There is no quoting: a field value cannot hold either delimiter.
// Every record delimiter ends a record: 'a°°b' is 'a', '', 'b'; '°a' is '',
// 'a'; 'a°' is 'a', ''; the empty text is no record at all, so a list of one
// empty record writes "" and reads back empty. A record has one field more
// than it has field delimiters.
#include <QChar>
#include <QIODevice>
#include <QString>
#include <functional>
#include <vector>

#include "core/StringList.h"

#define TOLVEX_FIXED_EXCEPTION(Name, Text)                         \
    class Name : public Exception                                  \
    {                                                              \
    public:                                                        \
        Name() : Exception(QStringLiteral(Text)) {}                \
    };

TOLVEX_FIXED_EXCEPTION(EDifferentDelimiters, "Adding objects with different delimiters is not supported")
TOLVEX_FIXED_EXCEPTION(ECannotChangeGridColumnsForSingleRow, "Cannot Change Grid Columns For Single Row")
TOLVEX_FIXED_EXCEPTION(ECannotCallThisMethodOnAttachedGrid, "Cannot call this method on attached grid")
TOLVEX_FIXED_EXCEPTION(ECannotCallThisMethodWithoutAttachedGrid, "Cannot call this method without attached grid")
TOLVEX_FIXED_EXCEPTION(EExtraRecordDelimiterFoundInAlreadySeparatedString, "Extra Record Delimiter Found In Already Separated String")
TOLVEX_FIXED_EXCEPTION(ERecordDelimiterFoundInAlreadySeparatedString, "Record Delimiter Found In Already Separated String")
TOLVEX_FIXED_EXCEPTION(EExtraFieldDelimiterFoundInAlreadySeparatedString, "Extra Field Delimiter Found In Already Separated String")
TOLVEX_FIXED_EXCEPTION(EAddStringsFailed, "AddStrings method failed")

// The delimiters of every record list of the program.
constexpr char16_t RecordDelimiterChar = 0x00B0; // '°'
constexpr char16_t FieldDelimiterChar = u'@';
constexpr char16_t MarkerCharDefault = 0x00A4;   // '¤'

// A value about to enter a record list from outside (the database, typed
// text) made safe for the format: '@' becomes '~' (as e-mail addresses are
// stored) and '°' a blank, so that it can neither shift the fields of its
// record nor cut the record in two.
QString CleanFieldValue(const QString &Value);

enum TDuplicates { dupIgnore, dupAccept, dupError };

class TDelimitedStrings;

// Called by the text splitter for each record it cuts out (RecordNo from 0).
// It may change Record (then setting Changed) and may ask to Stop.
using TSplitRecordEvent = std::function<void(TDelimitedStrings &List, int RecordCount, int RecordNo,
                                             QString &Record, bool &Stop, bool &Changed)>;
// Called for each record read by Get and by the text builder (RecordNo
// from 1). It may change the text read and may ask to Stop the build.
using TGetRecordEvent = std::function<void(const TDelimitedStrings &List, int Count, QString &Record,
                                           int RecordNo, bool &Stop)>;

// The abstract list of records. Index errors raise EStringListError "List
// index out of bounds (%d)" with the bad index.
class TDelimitedStrings : public TPersistent
{
public:
    explicit TDelimitedStrings(QChar RecordDelimiter = QChar(RecordDelimiterChar),
                               QChar FieldDelimiter = QChar(FieldDelimiterChar));
    TDelimitedStrings(const TDelimitedStrings &) = delete;
    TDelimitedStrings &operator=(const TDelimitedStrings &) = delete;
    ~TDelimitedStrings() override = default;

    QChar RecordDelimiter() const { return RecordDelimiter_; }
    void SetRecordDelimiter(QChar C) { RecordDelimiter_ = C; }
    QChar FieldDelimiter() const { return FieldDelimiter_; }
    void SetFieldDelimiter(QChar C) { FieldDelimiter_ = C; }
    // A record beginning with it fires OnMarkedRecord in the base Add.
    QChar MarkerChar() const { return MarkerChar_; }
    void SetMarkerChar(QChar C) { MarkerChar_ = C; }
    // The text splitter trims each record before adding it.
    bool TrimRecords() const { return TrimRecords_; }
    void SetTrimRecords(bool Value) { TrimRecords_ = Value; }
    // Set when a hook asked to stop the last text split or text build.
    bool Stopped() const { return Stop_; }

    TSplitRecordEvent OnSplitRecord;
    TGetRecordEvent OnGetRecord;
    TNotifyEvent OnChanging;
    TNotifyEvent OnChange;
    TNotifyEvent OnMarkedRecord;

    int Count() const { return GetCount(); }
    QString Strings(int Index) const { return Get(Index); }
    void SetStrings(int Index, const QString &S) { Put(Index, S); }
    TObject *Objects(int Index) const { return GetObject(Index); }
    void SetObjects(int Index, TObject *AObject) { PutObject(Index, AObject); }
    int Capacity() const { return GetCapacity(); }
    // The record text: records joined with one record delimiter.
    QString Text() const { return GetTextStr(); }

    // Fields. FieldIndex may equal the record's field count (reads "");
    // SetField adds missing fields as empty ones.
    void GetField(int RecordIndex, int FieldIndex, QString &S) const;
    void SetField(int RecordIndex, int FieldIndex, const QString &S);
    void SetFieldCount(int RecordIndex, int N);
    int GetFieldCount(int RecordIndex) const;

    virtual QString Get(int Index) const = 0;
    virtual int GetCapacity() const { return GetCount(); }
    virtual int GetCount() const = 0;
    virtual TObject *GetObject(int Index) const;
    virtual QString GetTextStr() const;
    virtual void Put(int Index, const QString &S);
    virtual void PutObject(int Index, TObject *AObject);
    virtual void SetCapacity(int N);
    // The text splitter (the writer of Text): replaces the records, or
    // appends to them when called through AddText.
    virtual void SetTextStr(const QString &S);

    virtual int Add(const QString &S);
    void Append(const QString &S) { Add(S); }
    // S padded or cut to N fields, then added.
    virtual int AddWithFieldCount(const QString &S, int N);
    // S split into records and appended.
    virtual void AddText(const QString &S);
    virtual int AddObject(const QString &S, TObject *AObject);
    // A record list (same record delimiter, else EDifferentDelimiters) or a
    // string list; anything else raises EAddStringsFailed.
    virtual void AddStrings(const TPersistent *Source);
    virtual void Clear() = 0;
    virtual void Delete(int Index) = 0;
    virtual void Exchange(int Index1, int Index2);
    // A copy of Text.
    virtual QString GetText() const { return GetTextStr(); }
    virtual int IndexOf(const QString &S) const;
    virtual void Insert(int Index, const QString &S) = 0;
    void InsertObject(int Index, const QString &S, TObject *AObject);
    virtual void LoadFromFile(const QString &FileName);
    virtual void LoadFromStream(QIODevice &Stream);
    virtual void Move(int CurIndex, int NewIndex);
    virtual void SaveToFile(const QString &FileName) const;
    virtual void SaveToStream(QIODevice &Stream) const;
    // As the Text writer, with one change notification around the whole.
    virtual void SetText(const QString &S);

    // A record list: Clear, then its delimiters, marker and records with
    // their objects; a string list: Clear, then its strings with their
    // objects. nullptr changes nothing.
    virtual void Assign(const TPersistent *Source);
    // Dest cleared and given every record (not the objects), unless this
    // list is empty.
    virtual void AssignTo(TStringList &Dest) const;

    void BeginUpdate();
    void EndUpdate();

protected:
    virtual void Changed();
    virtual void Changing();
    virtual void SetUpdateState(bool Updating);

    [[noreturn]] static void IndexError(int Index);
    void CheckIndex(int Index) const;
    // Runs OnGetRecord for a record that Get reads.
    void FireGetRecord(QString &Record, int Index) const;
    bool SettingText() const { return SettingText_; }
    int UpdateCount() const { return UpdateCount_; }

private:
    bool SplitRecord(QString Record, int RecordCount, int &RecordNo, bool Extra);

    QChar RecordDelimiter_;
    QChar FieldDelimiter_;
    QChar MarkerChar_ = QChar(MarkerCharDefault);
    bool TrimRecords_ = false;
    mutable bool Stop_ = false;
    bool Appending_ = false;
    bool SettingText_ = false;
    int UpdateCount_ = 0;
};

// The storing list that callers create. Objects are carried, never owned.
class TDelimitedStringList : public TDelimitedStrings
{
public:
    explicit TDelimitedStringList(QChar RecordDelimiter = QChar(RecordDelimiterChar),
                                  QChar FieldDelimiter = QChar(FieldDelimiterChar));
    ~TDelimitedStringList() override = default;

    // A sorted list keeps its records in order (switching on sorts them);
    // Add places each record and applies Duplicates.
    bool Sorted() const { return Sorted_; }
    void SetSorted(bool Value);
    TDuplicates Duplicates() const { return Duplicates_; }
    void SetDuplicates(TDuplicates Value) { Duplicates_ = Value; }

    QString Get(int Index) const override;
    int GetCapacity() const override { return Capacity_; }
    int GetCount() const override { return static_cast<int>(Items_.size()); }
    TObject *GetObject(int Index) const override;
    void Put(int Index, const QString &S) override;
    void PutObject(int Index, TObject *AObject) override;
    void SetCapacity(int N) override;

    // Stores S as one record, delimiters and all; only the text splitter
    // cuts at record delimiters. The index of the new (or, when a sorted
    // list ignores a duplicate, the existing) record.
    int Add(const QString &S) override;
    void Clear() override;
    void Delete(int Index) override;
    void Exchange(int Index1, int Index2) override;
    int IndexOf(const QString &S) const override;
    void Insert(int Index, const QString &S) override;
    // Refused on a sorted list before anything is taken out.
    void Move(int CurIndex, int NewIndex) override;

    // Binary search of a sorted list, ignoring case. Index: the first equal
    // record with dupAccept, the equal record met otherwise, or where S
    // would go.
    bool Find(const QString &S, int &Index) const;
    void Sort();
    // The record as stored, without OnGetRecord (for readers that hold the
    // list still, such as the background sorter).
    const QString &StoredRecord(int Index) const
    {
        CheckIndex(Index);
        return Items_[static_cast<size_t>(Index)].text;
    }
    // Record First + k takes what record First + From[k] held, with its
    // object: a sorted order put in place at once, one change notification.
    void PermuteRecords(int First, const std::vector<int> &From);

    TPersistent *Clone() const override;

protected:
    void SetUpdateState(bool Updating) override;

private:
    struct Item
    {
        QString text;
        TObject *object = nullptr;
    };
    void InsertItem(int Index, const QString &S, TObject *AObject);
    void Grow();
    void QuickSort(int L, int R);

    std::vector<Item> Items_;
    int Capacity_ = 0;
    bool Sorted_ = false;
    TDuplicates Duplicates_ = dupIgnore;
};
