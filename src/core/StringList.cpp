#include "core/StringList.h"

#include "platform/db/Collation.h"

int AnsiCompareText(const QString &A, const QString &B)
{
    // The database's text order, so that a list sorted here and the same
    // rows read with ORDER BY stand alike.
    const int r = platform::JetCompare(A, B);
    if (r != 0)
        return r;
    // That order calls texts equal that differ in trailing blanks (or in
    // an accent it folds); the class library did not.
    return QString::compare(A, B, Qt::CaseInsensitive);
}

QString TrimBlanks(const QString &S)
{
    int from = 0;
    int to = S.size();
    while (from < to && S.at(from).unicode() <= ' ')
        ++from;
    while (to > from && S.at(to - 1).unicode() <= ' ')
        --to;
    return (from == 0 && to == S.size()) ? S : S.mid(from, to - from);
}

void TStringList::IndexError(int Index)
{
    throw EStringListError(QStringLiteral("List index out of bounds (%1)").arg(Index));
}

void TStringList::CheckIndex(int Index) const
{
    if (Index < 0 || Index >= items_.size())
        IndexError(Index);
}

QString TStringList::Get(int Index) const
{
    CheckIndex(Index);
    return items_.at(Index).text;
}

void TStringList::Put(int Index, const QString &S)
{
    CheckIndex(Index);
    items_[Index].text = S;
}

TObject *TStringList::GetObject(int Index) const
{
    CheckIndex(Index);
    return items_.at(Index).object;
}

void TStringList::PutObject(int Index, TObject *AObject)
{
    CheckIndex(Index);
    items_[Index].object = AObject;
}

int TStringList::Add(const QString &S)
{
    const int index = Count();
    Insert(index, S);
    return index;
}

int TStringList::AddObject(const QString &S, TObject *AObject)
{
    const int index = Add(S);
    PutObject(index, AObject);
    return index;
}

void TStringList::Insert(int Index, const QString &S)
{
    if (Index < 0 || Index > items_.size())
        IndexError(Index);
    items_.insert(Index, Item{S, nullptr});
}

void TStringList::InsertObject(int Index, const QString &S, TObject *AObject)
{
    Insert(Index, S);
    PutObject(Index, AObject);
}

void TStringList::Delete(int Index)
{
    CheckIndex(Index);
    items_.removeAt(Index);
}

void TStringList::Clear()
{
    items_.clear();
}

void TStringList::Exchange(int Index1, int Index2)
{
    CheckIndex(Index1);
    CheckIndex(Index2);
    std::swap(items_[Index1], items_[Index2]);
}

void TStringList::Move(int CurIndex, int NewIndex)
{
    if (CurIndex == NewIndex)
        return;
    // Both checked first: a refused insert must not lose the record.
    CheckIndex(CurIndex);
    CheckIndex(NewIndex);
    const QString text = Get(CurIndex);
    TObject *object = GetObject(CurIndex);
    Delete(CurIndex);
    InsertObject(NewIndex, text, object);
}

int TStringList::IndexOf(const QString &S) const
{
    for (int i = 0; i < items_.size(); ++i)
        if (AnsiCompareText(items_.at(i).text, S) == 0)
            return i;
    return -1;
}

void TStringList::Assign(const TStringList &Source)
{
    if (&Source == this)
        return;
    Clear();
    AddStrings(Source);
}

void TStringList::AddStrings(const TStringList &Source)
{
    // Read everything first: Source may be this very list.
    const int n = Source.Count();
    for (int i = 0; i < n; ++i)
        AddObject(Source.Get(i), Source.GetObject(i));
}

QStringList TStringList::ToStringList() const
{
    QStringList result;
    result.reserve(items_.size());
    for (const Item &item : items_)
        result.append(item.text);
    return result;
}

TPersistent *TStringList::Clone() const
{
    auto *copy = new TStringList;
    copy->Assign(*this);
    return copy;
}
