#include "core/List2d.h"

#include <algorithm>

namespace {
[[noreturn]] void BitsIndexError()
{
    throw EBitsError(QStringLiteral("Bits index out of range"));
}
} // namespace

// ---- TBitsList -------------------------------------------------------------

void TBitsList::SetSize(int Value)
{
    if (Value < 0)
        BitsIndexError();
    bits_.resize(Value);
}

bool TBitsList::Bits(int Index) const
{
    if (Index < 0 || Index >= bits_.size())
        BitsIndexError();
    return bits_.testBit(Index);
}

void TBitsList::SetBits(int Index, bool Value)
{
    if (Index < 0)
        BitsIndexError();
    if (Index >= bits_.size())
        bits_.resize(Index + 1);
    bits_.setBit(Index, Value);
}

void TBitsList::SetRange(int From, int To, bool Value)
{
    From = std::max(From, 0);
    To = std::min(To, static_cast<int>(bits_.size()) - 1);
    if (From <= To)
        bits_.fill(Value, From, To + 1);
}

void TBitsList::SetAll(bool Value)
{
    bits_.fill(Value);
}

// ---- T2dList ---------------------------------------------------------------

void T2dList::SetColCount(int N)
{
    if (N < 0)
        return;
    ColCount_ = N;
    for (auto &row : rows_)
        row.resize(N, nullptr);
}

void T2dList::SetRowCount(int N)
{
    if (N < 0)
        return;
    rows_.resize(N, std::vector<void *>(ColCount_, nullptr));
    Capacity_ = std::max(Capacity_, N);
}

void T2dList::SetSize(int Cols, int Rows)
{
    SetColCount(Cols);
    SetRowCount(Rows);
}

void T2dList::SetCapacity(int N)
{
    Capacity_ = std::max(N, RowCount());
    rows_.reserve(Capacity_);
}

void *T2dList::Cells(int Col, int Row) const
{
    if (Col < 0 || Col >= ColCount_ || Row < 0 || Row >= RowCount())
        return nullptr;
    return rows_[Row][Col];
}

void T2dList::SetCells(int Col, int Row, void *P)
{
    if (Col < 0 || Col >= ColCount_ || Row < 0 || Row >= RowCount())
        return;
    rows_[Row][Col] = P;
}

void T2dList::FillRow(int Row, void *P)
{
    if (Row < 0 || Row >= RowCount())
        return;
    for (void *&cell : rows_[Row])
        if (!FillEmptyOnly_ || cell == nullptr)
            cell = P;
}

void T2dList::FillAll(void *P)
{
    const bool saved = FillEmptyOnly_;
    FillEmptyOnly_ = false;
    for (int r = 0; r < RowCount(); ++r)
        FillRow(r, P);
    FillEmptyOnly_ = saved;
}

void T2dList::Assign(const T2dList &Source)
{
    if (&Source == this)
        return;
    Capacity_ = Source.Capacity_;
    FillEmptyOnly_ = Source.FillEmptyOnly_;
    ColCount_ = Source.ColCount_;
    rows_ = Source.rows_;
    rows_.reserve(Capacity_);
}

// ---- T2dBitsList -----------------------------------------------------------

void T2dBitsList::SetColCount(int N)
{
    if (N < 0)
        return;
    const int old = ColCount_;
    ColCount_ = N;
    for (auto &row : rows_) {
        row.SetSize(N);
        row.SetRange(old, N - 1, DefaultValue_);
    }
}

void T2dBitsList::SetRowCount(int N)
{
    if (N < 0)
        return;
    const int old = RowCount();
    rows_.resize(N);
    for (int r = old; r < N; ++r) {
        rows_[r].SetSize(ColCount_);
        rows_[r].SetAll(DefaultValue_);
    }
    Capacity_ = std::max(Capacity_, N);
}

void T2dBitsList::SetSize(int Cols, int Rows)
{
    SetColCount(Cols);
    SetRowCount(Rows);
}

void T2dBitsList::SetCapacity(int N)
{
    Capacity_ = std::max(N, RowCount());
    rows_.reserve(Capacity_);
}

bool T2dBitsList::Bits(int Col, int Row) const
{
    if (Col < 0 || Col >= ColCount_ || Row < 0 || Row >= RowCount())
        return false;
    return rows_[Row].Bits(Col);
}

void T2dBitsList::SetBits(int Col, int Row, bool B)
{
    if (Col < 0 || Col >= ColCount_ || Row < 0 || Row >= RowCount())
        return;
    rows_[Row].SetBits(Col, B);
}

void T2dBitsList::SetRow(int Row, bool B)
{
    if (Row < 0 || Row >= RowCount())
        return;
    rows_[Row].SetAll(B);
}

void T2dBitsList::SetAll(bool B)
{
    for (auto &row : rows_)
        row.SetAll(B);
}

void T2dBitsList::Assign(const T2dBitsList &Source)
{
    if (&Source == this)
        return;
    Capacity_ = Source.Capacity_;
    DefaultValue_ = Source.DefaultValue_;
    ColCount_ = Source.ColCount_;
    rows_ = Source.rows_;
    rows_.reserve(Capacity_);
}
