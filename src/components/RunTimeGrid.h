#pragma once
// The run-time grid: a string grid that no form places, made by copying
// another grid (CloneGrid) for printing and export. It draws its own cell
// lines and merges neighbouring cells where the separator line between them
// is absent, keeps alignment, font and background colours per cell, hides
// columns, splits cell texts at a line break, and can take the texts of its
// data rows from an outside source instead of its own strings.
//
// Per-cell tables follow the grid's size: they are fitted to ColCount x
// RowCount before every access. Colours are Windows colour values; an unset
// cell takes the default of normal or of fixed cells.
#include <QString>
#include <functional>
#include <vector>

#include "core/List2d.h"
#include "platform/ui/StringGrid.h"

class TRunTimeGrid : public platform::StringGrid
{
    Q_OBJECT
public:
    // Alignment codes: bits 0-1 horizontal, bits 2-3 vertical.
    enum : int {
        alLeft = 0,
        alRight = 1,
        alHCenter = 2,
        alTop = 0,
        alBottom = 4,
        alVCenter = 8,
        alCenter = alHCenter | alVCenter, // 10, the default
    };
    // The look of fixed cells.
    enum : int { fc3DFlat = 0, fc3DLowered = 1, fc3DRaised = 2 };

    // The text of data cell (DataRow = Row - FixedRows, ACol).
    using TCellSource = std::function<void(int DataRow, int ACol, QString &S)>;

    explicit TRunTimeGrid(QWidget *parent = nullptr);

    // --- texts: the grid's own strings for fixed rows and while no source
    // is set; data rows of a grid with a source are read from it (and
    // SetCell does nothing there).
    virtual void SetCell(int ACol, int ARow, const QString &S);
    virtual void GetCell(int ACol, int ARow, QString &S) const;
    QString CellText(int ACol, int ARow) const;
    const TCellSource &CellSource() const { return FCellSource; }
    void SetCellSource(const TCellSource &Source);

    // --- formats
    // Alignment codes and colours unset, lines everywhere, no column hidden.
    virtual void ResetFormats();

    bool ColHidden(int ACol) const;
    // A hidden column keeps its width for when it is shown again and takes
    // none meanwhile; it cannot become the current column.
    void SetColHidden(int ACol, bool Hidden);

    // The alignment code a cell is drawn with (its own or the default).
    int GetCellAlignment(int ACol, int ARow) const;
    int DefaultAlignment() const { return FDefaultAlignment; }
    void SetDefaultAlignment(int Code);
    int FixedAlignment() const { return FFixedAlignment; }
    void SetFixedAlignment(int Code);

    TColor GetCellFontColor(int ACol, int ARow) const;
    void SetCellFontColor(int ACol, int ARow, TColor Color);
    TColor GetCellColor(int ACol, int ARow) const;
    void SetCellColor(int ACol, int ARow, TColor Color);
    // The non-fixed cells of a column; cells with a colour of their own keep
    // it unless Overwrite is set.
    void SetColColor(int ACol, TColor Color);
    TColor DefaultFontColor() const { return FDefaultFontColor; }
    void SetDefaultFontColor(TColor Color);
    TColor FixedFontColor() const { return FFixedFontColor; }
    void SetFixedFontColor(TColor Color);
    TColor DefaultCellColor() const { return FDefaultCellColor; }
    void SetDefaultCellColor(TColor Color);
    // Unset fixed cells take the grid's FixedColor.

    // Separator lines: VertLine(c, r) stands at the left edge of column c in
    // row r (c up to ColCount), HorzLine(c, r) at the top edge of row r in
    // column c (r up to RowCount). Positions outside the grid count as lines.
    bool VertLine(int ACol, int ARow) const;
    void SetVertLine(int ACol, int ARow, bool Value);
    bool HorzLine(int ACol, int ARow) const;
    void SetHorzLine(int ACol, int ARow, bool Value);
    TColor VertLineColor() const { return FVertLineColor; }
    void SetVertLineColor(TColor Color);
    TColor HorzLineColor() const { return FHorzLineColor; }
    void SetHorzLineColor(TColor Color);

    // The block of cells drawn as one with this cell: reached by walking
    // over absent separator lines.
    void GetMergeRect(int ACol, int ARow, TGridRect &Rect) const;

    bool LineBreaks() const { return FLineBreaks; }
    void SetLineBreaks(bool Value);
    QString LineBreak() const { return FLineBreak; }
    void SetLineBreak(const QString &Value);

    // Fill-client columns: column numbers separated by ','.
    QString FillClientCols() const { return FFillClientCols; }
    void SetFillClientCols(const QString &Value) { FFillClientCols = Value; }
    bool IsFillClientCol(int ACol) const;
    void SetFillClientCol(int ACol, bool Value);
    // Listed columns may also shrink below their width to fit the client.
    bool ShrinkToFill() const { return FShrinkToFill; }
    void SetShrinkToFill(bool Value) { FShrinkToFill = Value; }

    bool Overwrite() const { return FOverwrite; }
    void SetOverwrite(bool Value);
    // Selected cells drawn in the highlight colours.
    bool Highlight() const { return FHighlight; }
    void SetHighlight(bool Value);
    int FixedCell3DEffect() const { return FFixedCell3DEffect; }
    void SetFixedCell3DEffect(int Value);

    // --- sizing
    virtual void AutoSizeColumns();
    virtual void AutoSizeRows();
    void ResizeColumnsToFillClient(bool AutoSize);
    // The pixels a cell text needs (its widest line).
    int TextWidth(const QString &S) const;

    virtual void Assign(const TRunTimeGrid &Source);

protected:
    bool SelectCell(int ACol, int ARow) override;
    void DrawCell(int ACol, int ARow, const QRect &ARect, TGridDrawState AState) override;
    TGridRect CellBlock(int ACol, int ARow) const override;
    void SizeChanged(int OldColCount, int OldRowCount) override;

private:
    void FitTables() const;
    bool IsFixedCell(int ACol, int ARow) const { return ACol < FixedCols() || ARow < FixedRows(); }
    QStringList TextLines(const QString &S) const;
    std::vector<int> FillClientList() const;

    TCellSource FCellSource;
    // The tables follow the grid's size lazily, so they may change in const
    // reads.
    mutable T2dBitsList FHidden;
    mutable T2dList FAlignments;
    mutable T2dList FFontColors;
    mutable T2dList FColors;
    mutable T2dBitsList FVertLines;
    mutable T2dBitsList FHorzLines;
    std::vector<int> FKeptWidths; // widths of hidden columns

    int FDefaultAlignment = alCenter;
    int FFixedAlignment = alCenter;
    TColor FDefaultFontColor = clWindowText;
    TColor FFixedFontColor = clWindowText;
    TColor FDefaultCellColor = clWindow;
    TColor FVertLineColor = clSilver;
    TColor FHorzLineColor = clSilver;
    bool FLineBreaks = true;
    QString FLineBreak = QStringLiteral("\r");
    QString FFillClientCols;
    bool FShrinkToFill = true;
    bool FOverwrite = false;
    bool FHighlight = true;
    int FFixedCell3DEffect = fc3DRaised;
};
