#include "core/LineConv.h"

TLineConv::TLineConv() : Delimiter_(QStringLiteral("@")) {}

TLineConv::~TLineConv()
{
    if (FreeObjects_)
        for (int i = 0; i < Count(); ++i)
            FreeObject(i);
}

void TLineConv::FreeObject(int Index)
{
    TObject *object = GetObject(Index);
    if (!object)
        return;
    PutObject(Index, nullptr);
    delete object;
}

void TLineConv::SetAutoTrim(bool Value)
{
    AutoTrim_ = Value;
    if (Value)
        for (int i = 0; i < Count(); ++i)
            Put(i, TrimBlanks(Get(i)));
}

void TLineConv::SetAutoUpper(bool Value)
{
    AutoUpper_ = Value;
    if (Value)
        for (int i = 0; i < Count(); ++i)
            Put(i, Get(i).toUpper());
}

void TLineConv::SetLine(const QString &S)
{
    Clear();
    if (S.isEmpty())
        return;
    if (Delimiter_.isEmpty()) {
        Add(S);
        return;
    }
    int from = 0;
    bool emptyItemDue = false;
    while (from < S.size()) {
        const int at = S.indexOf(Delimiter_, from, Qt::CaseSensitive);
        QString item;
        if (at < 0) {
            item = S.mid(from);
            from = S.size();
        } else {
            item = S.mid(from, at - from);
            from = at + Delimiter_.size();
            emptyItemDue = from >= S.size();
        }
        Add(AutoTrim_ ? TrimBlanks(item) : item);
    }
    if (emptyItemDue)
        Add(QString());
}

QString TLineConv::JoinItems(int FromIndex, int ToIndex, bool Nested) const
{
    QString line;
    for (int i = FromIndex; i <= ToIndex; ++i) {
        if (i > FromIndex)
            line += Delimiter_;
        const auto *nested = Nested ? dynamic_cast<const TLineConv *>(GetObject(i)) : nullptr;
        if (nested) {
            QString inner;
            nested->GetNestedLine(inner);
            line += inner;
        } else {
            line += Get(i);
        }
    }
    return line;
}

void TLineConv::GetLine(QString &S) const
{
    S = JoinItems(0, Count() - 1, false);
}

void TLineConv::GetNestedLine(QString &S) const
{
    S = JoinItems(0, Count() - 1, true);
}

void TLineConv::GetLineRange(int FromIndex, int ToIndex, QString &S) const
{
    if (FromIndex < 0)
        FromIndex = 0;
    if (ToIndex > Count() - 1)
        ToIndex = Count() - 1;
    S = JoinItems(FromIndex, ToIndex, false);
}

void TLineConv::SetCount(int N)
{
    if (N < 0)
        return;
    while (Count() > N)
        Delete(Count() - 1);
    while (Count() < N)
        Add(QString());
}

void TLineConv::ClearItems()
{
    for (int i = 0; i < Count(); ++i) {
        Put(i, QString());
        if (auto *nested = dynamic_cast<TLineConv *>(GetObject(i)))
            nested->ClearItems();
    }
}

void TLineConv::Delete(int Index)
{
    CheckIndex(Index);
    if (FreeObjects_)
        FreeObject(Index);
    TStringList::Delete(Index);
}

void TLineConv::Clear()
{
    if (FreeObjects_)
        for (int i = 0; i < Count(); ++i)
            FreeObject(i);
    TStringList::Clear();
}

void TLineConv::Assign(const TStringList &Source)
{
    if (&Source == this)
        return;
    if (const auto *line = dynamic_cast<const TLineConv *>(&Source)) {
        Clear();
        Delimiter_ = line->Delimiter_;
        AutoTrim_ = line->AutoTrim_;
        FreeObjects_ = line->FreeObjects_;
        AddStrings(Source);
        return;
    }
    TStringList::Assign(Source);
}

void TLineConv::AddStrings(const TStringList &Source)
{
    const int n = Source.Count();
    for (int i = 0; i < n; ++i) {
        const auto *persistent = dynamic_cast<const TPersistent *>(Source.GetObject(i));
        AddObject(Source.Get(i), persistent ? persistent->Clone() : nullptr);
    }
}

TPersistent *TLineConv::Clone() const
{
    auto *copy = new TLineConv;
    copy->Assign(*this);
    return copy;
}
