#pragma once
// The few pieces of the class library's object model and string list that
// the component kit builds on: an object root, persistent objects that can
// copy themselves, and a string list whose items carry an object each.
#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>

#include "platform/Exception.h"

// The class library's file and stream errors.
TOLVEX_DECLARE_EXCEPTION(EFOpenError, Exception)
TOLVEX_DECLARE_EXCEPTION(EFCreateError, Exception)
TOLVEX_DECLARE_EXCEPTION(EReadError, Exception)
TOLVEX_DECLARE_EXCEPTION(EWriteError, Exception)

// Root of the objects that lists carry along with their items.
class TObject
{
public:
    virtual ~TObject() = default;
};

// An object that can make a copy of itself: a new object of the same class
// with this one's contents (what the class library gets by constructing
// the object's class and assigning the original to it).
class TPersistent : public TObject
{
public:
    virtual TPersistent *Clone() const = 0;
};

// A notification without arguments beyond the object that sends it.
using TNotifyEvent = std::function<void(TObject *Sender)>;

// The class library's case-insensitive, language-aware text comparison
// (<0, 0, >0), in the order of the database's text columns
// (platform::JetCompare): signs before digits, digits before Latin, Latin
// before Cyrillic, Cyrillic in Bulgarian alphabetical order; the same on
// every machine whatever the process locale. Texts that order calls equal
// are told apart by their characters, case aside.
int AnsiCompareText(const QString &A, const QString &B);

// The class library's trimming: characters up to the blank (controls and
// blanks) removed at both ends.
QString TrimBlanks(const QString &S);

// The class library's string list: texts, each with an object reference
// that the list does not own. Index errors raise EStringListError with
// "List index out of bounds (%d)".
class TStringList : public TPersistent
{
public:
    TStringList() = default;
    TStringList(const TStringList &) = delete;
    TStringList &operator=(const TStringList &) = delete;
    ~TStringList() override = default;

    int Count() const { return items_.size(); }
    QString Strings(int Index) const { return Get(Index); }
    TObject *Objects(int Index) const { return GetObject(Index); }

    virtual QString Get(int Index) const;
    virtual void Put(int Index, const QString &S);
    virtual TObject *GetObject(int Index) const;
    virtual void PutObject(int Index, TObject *AObject);

    virtual int Add(const QString &S);
    int AddObject(const QString &S, TObject *AObject);
    virtual void Insert(int Index, const QString &S);
    void InsertObject(int Index, const QString &S, TObject *AObject);
    virtual void Delete(int Index);
    virtual void Clear();
    virtual void Exchange(int Index1, int Index2);
    void Move(int CurIndex, int NewIndex);

    // First item equal to S ignoring case; -1 when there is none.
    virtual int IndexOf(const QString &S) const;

    // Clear, then AddStrings.
    virtual void Assign(const TStringList &Source);
    // Every item of Source appended with its object.
    virtual void AddStrings(const TStringList &Source);

    // The texts alone.
    QStringList ToStringList() const;

    TPersistent *Clone() const override;

protected:
    [[noreturn]] static void IndexError(int Index);
    void CheckIndex(int Index) const;

private:
    struct Item
    {
        QString text;
        TObject *object = nullptr;
    };
    QVector<Item> items_;
};
