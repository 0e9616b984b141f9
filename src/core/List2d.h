#pragma once
// Two-dimensional lists sized by columns and rows: one of plain pointer
// values and one of bits, on which the run-time grid keeps per-cell values
// and flags.
#include <QBitArray>
#include <vector>

#include "platform/Exception.h"

// The class library's bit array error.
TOLVEX_DECLARE_EXCEPTION(EBitsError, Exception)

// The class library's bit array with a range and an all-bits setter.
// Reading outside the array raises EBitsError "Bits index out of range";
// writing past its end grows it.
class TBitsList
{
public:
    int Size() const { return bits_.size(); }
    void SetSize(int Value);
    bool Bits(int Index) const;
    void SetBits(int Index, bool Value);

    // Bits From..To, clipped to the array.
    void SetRange(int From, int To, bool Value);
    void SetAll(bool Value);

private:
    QBitArray bits_;
};

// Cells of pointer values. The list never frees what they point to; callers
// keep small numbers in them (a code plus one, 0 meaning unset).
class T2dList
{
public:
    int ColCount() const { return ColCount_; }
    void SetColCount(int N);
    int RowCount() const { return static_cast<int>(rows_.size()); }
    void SetRowCount(int N);
    void SetSize(int Cols, int Rows);
    int Capacity() const { return Capacity_; }
    void SetCapacity(int N);

    // Fills touch only empty (nil) cells.
    bool FillEmptyOnly() const { return FillEmptyOnly_; }
    void SetFillEmptyOnly(bool Value) { FillEmptyOnly_ = Value; }

    // nil outside the grid; writes outside it are ignored.
    void *Cells(int Col, int Row) const;
    void SetCells(int Col, int Row, void *P);

    void FillRow(int Row, void *P);
    // Every cell, whatever the fill flag.
    void FillAll(void *P);

    void Assign(const T2dList &Source);

private:
    int ColCount_ = 0;
    int Capacity_ = 0;
    bool FillEmptyOnly_ = true;
    std::vector<std::vector<void *>> rows_;
};

// Cells of bits; new bits take the default value.
class T2dBitsList
{
public:
    int ColCount() const { return ColCount_; }
    void SetColCount(int N);
    int RowCount() const { return static_cast<int>(rows_.size()); }
    void SetRowCount(int N);
    void SetSize(int Cols, int Rows);
    int Capacity() const { return Capacity_; }
    void SetCapacity(int N);

    bool DefaultValue() const { return DefaultValue_; }
    void SetDefaultValue(bool Value) { DefaultValue_ = Value; }

    // False outside the grid; writes outside it are ignored.
    bool Bits(int Col, int Row) const;
    void SetBits(int Col, int Row, bool B);

    void SetRow(int Row, bool B);
    void SetAll(bool B);

    void Assign(const T2dBitsList &Source);

private:
    int ColCount_ = 0;
    int Capacity_ = 0;
    bool DefaultValue_ = true;
    std::vector<TBitsList> rows_;
};
