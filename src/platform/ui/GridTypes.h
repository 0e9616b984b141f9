#pragma once
// The string grid's small types, as the class library named them.
#include "platform/EnumSet.h"
#include "platform/Exception.h"

struct TGridCoord
{
    int X = 0;
    int Y = 0;
    bool operator==(const TGridCoord &o) const { return X == o.X && Y == o.Y; }
    bool operator!=(const TGridCoord &o) const { return !(*this == o); }
};

// A block of cells, both corners included.
struct TGridRect
{
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    bool Contains(int col, int row) const { return col >= Left && col <= Right && row >= Top && row <= Bottom; }
    bool Intersects(const TGridRect &o) const
    {
        return Left <= o.Right && o.Left <= Right && Top <= o.Bottom && o.Top <= Bottom;
    }
    bool IsSingleCell() const { return Left == Right && Top == Bottom; }
    bool operator==(const TGridRect &o) const
    {
        return Left == o.Left && Top == o.Top && Right == o.Right && Bottom == o.Bottom;
    }
    bool operator!=(const TGridRect &o) const { return !(*this == o); }
};

inline TGridRect GridRect(int left, int top, int right, int bottom) { return TGridRect{left, top, right, bottom}; }

enum TGridOption {
    goFixedVertLine,
    goFixedHorzLine,
    goVertLine,
    goHorzLine,
    goRangeSelect,
    goDrawFocusSelected,
    goRowSizing,
    goColSizing,
    goRowMoving,
    goColMoving,
    goEditing,
    goTabs,
    goRowSelect,
    goAlwaysShowEditor,
    goThumbTracking
};
using TGridOptions = platform::EnumSet<TGridOption>;

enum TGridDrawStateItem { gdSelected, gdFocused, gdFixed };
using TGridDrawState = platform::EnumSet<TGridDrawStateItem>;

// The class library's grid errors ("Grid index out of range", ...).
TOLVEX_DECLARE_EXCEPTION(EInvalidGridOperation, Exception)
