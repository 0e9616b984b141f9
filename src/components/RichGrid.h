#pragma once
// The attributed string grid on which every list, report and editor shows
// its rows: display attributes per cell, per column and per row laid over a
// default and a fixed look, merged blocks of cells, images in cells, a
// stored value per cell, sizing rules for columns and rows, and a formatter
// hook that turns a stored text into the text shown.
//
// Attribute objects are created only for the cells, columns and rows that
// are written to; reading never creates one, so a grid of many rows keeps
// objects only where something was set.
#include <QVariant>
#include <functional>
#include <memory>
#include <vector>

#include "platform/Exception.h"
#include "platform/ui/Graphics.h"
#include "platform/ui/ImageList.h"
#include "platform/ui/StringGrid.h"

class TRichGrid;
class TCellFormatter;

enum TCellAlign : unsigned char { caLeft, caRight, caCenter, caTop, caBottom };
using TCellAlignment = platform::EnumSet<TCellAlign, std::uint8_t>;

enum TBitmapDrawMode : unsigned char { bmCenter, bmStrech, bmTile, bmDontDraw };

enum TMergedCell : unsigned char { mcRight, mcBottom };
using TMergedCells = platform::EnumSet<TMergedCell, std::uint8_t>;

// A flag present in DefaultAttributes: the value comes from the layer below.
enum TDefAttr {
    daAlignment,
    daBitmap,
    daBitmapAlignment,
    daBitmapDrawMode,
    daFontStyle,
    daForeColor,
    daBackColor,
    daBorderColor,
    daLeftMargin,
    daTopMargin,
    daRightMargin,
    daBottomMargin,
    daCell3DEffect,
    daHideSelection,
    daCanEdit,
    daCanSelect,
    daWordWrap,
    daFormatter
};
using TDefaultAttributes = platform::EnumSet<TDefAttr, std::uint32_t>;
constexpr TDefaultAttributes AllDefaultAttributes = TDefaultAttributes::FromBits((1u << (daFormatter + 1)) - 1);

enum TRichGridOption { rgoMergeAttr };
using TRichGridOptions = platform::EnumSet<TRichGridOption>;

TOLVEX_DECLARE_EXCEPTION(EWriteInAttachedAttr, Exception)
TOLVEX_DECLARE_EXCEPTION(EDupColRowIndex, Exception)

// ---------------------------------------------------------------------------
// The look of one cell, column or row.
class TCellAttributes
{
public:
    // A free object (Col and Row -1, no grid) with the defaults.
    TCellAttributes();
    TCellAttributes(const TCellAttributes &) = delete;
    TCellAttributes &operator=(const TCellAttributes &) = delete;
    virtual ~TCellAttributes();

    TCellAlign BitmapAlignment() const { return bitmapAlignment_; }
    void SetBitmapAlignment(TCellAlign value);
    TBitmapDrawMode BitmapDrawMode() const { return bitmapDrawMode_; }
    void SetBitmapDrawMode(TBitmapDrawMode value);
    TColor ForeColor() const { return foreColor_; }
    void SetForeColor(TColor value);
    TColor BackColor() const { return backColor_; }
    void SetBackColor(TColor value);
    TColor BorderColor() const { return borderColor_; }
    void SetBorderColor(TColor value);
    TFontStyles FontStyle() const { return fontStyle_; }
    void SetFontStyle(TFontStyles value);
    TCellAlignment Alignment() const { return alignment_; }
    void SetAlignment(TCellAlignment value);
    TMergedCells MergedCells() const { return mergedCells_; }
    void SetMergedCells(TMergedCells value);
    int LeftMargin() const { return leftMargin_; }
    void SetLeftMargin(int value);
    int TopMargin() const { return topMargin_; }
    void SetTopMargin(int value);
    int RightMargin() const { return rightMargin_; }
    void SetRightMargin(int value);
    int BottomMargin() const { return bottomMargin_; }
    void SetBottomMargin(int value);
    TBevelCut Cell3DEffect() const { return cell3DEffect_; }
    void SetCell3DEffect(TBevelCut value);
    bool HideSelection() const { return hideSelection_; }
    void SetHideSelection(bool value);
    bool CanEdit() const { return canEdit_; }
    void SetCanEdit(bool value);
    bool CanSelect() const { return canSelect_; }
    void SetCanSelect(bool value);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool value);
    TDefaultAttributes DefaultAttributes() const { return defaultAttributes_; }
    void SetDefaultAttributes(TDefaultAttributes value);
    TCellFormatter *Formatter() const { return formatter_; }
    void SetFormatter(TCellFormatter *value);
    // The image index into the grid's Images; -1 none.
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int value);

    std::function<void(TCellAttributes &Sender, int ACol, int ARow)> OnChange;

    // The cell, column or row the object belongs to. Objects that a grid
    // created refuse these writes with EWriteInAttachedAttr.
    int Col() const { return col_; }
    int Row() const { return row_; }
    TRichGrid *Grid() const { return binding_ == Binding::GridLook ? nullptr : grid_; }
    void SetCol(int value);
    void SetRow(int value);
    void SetGrid(TRichGrid *value);
    bool Attached() const { return binding_ != Binding::Free && binding_ != Binding::GridLook; }

    virtual void Assign(const TCellAttributes &Source);
    virtual void AssignAttributes(const TCellAttributes &Source);
    virtual void SetDefaults();
    // Copies into Dest each value this object sets itself (its flag absent),
    // through Dest's setters, so that Dest then sets it too.
    virtual void ApplyTo(TCellAttributes &Dest) const;
    // Whether the values named by the flags equal those of Other.
    virtual bool SameAs(const TCellAttributes &Other, TDefaultAttributes Flags) const;

protected:
    enum class Binding : unsigned char { Free, Cell, Column, Row, SharedColumn, SharedRow, GridLook };

    void Changed();
    // Stores a value, removes its flag; Changed only when something changed.
    template <typename T>
    void Store(T &field, T value, TDefAttr flag);
    // Changes made inside this scope notify nobody.
    struct Silence
    {
        explicit Silence(const TCellAttributes &a) : a_(a) { ++a_.silence_; }
        ~Silence() { --a_.silence_; }
        const TCellAttributes &a_;
    };

    // GridLook: a free object that a grid owns as its default or fixed look
    // (grid_ is then the grid to repaint, and Grid() reads nil).
    Binding binding_ = Binding::Free;
    int col_ = -1;
    int row_ = -1;
    TRichGrid *grid_ = nullptr;

private:
    friend class TRichGrid;
    friend class TCellFormatter;
    void CopyValues(const TCellAttributes &Source);

    TCellAlign bitmapAlignment_ = caLeft;
    TBitmapDrawMode bitmapDrawMode_ = bmDontDraw;
    TColor foreColor_ = clWindowText;
    TColor backColor_ = clWindow;
    TColor borderColor_ = clBtnFace;
    TFontStyles fontStyle_;
    TCellAlignment alignment_;
    TMergedCells mergedCells_;
    short leftMargin_ = 2;
    short topMargin_ = 0;
    short rightMargin_ = 2;
    short bottomMargin_ = 0;
    TBevelCut cell3DEffect_ = bvNone;
    bool hideSelection_ = false;
    bool canEdit_ = true;
    bool canSelect_ = true;
    bool wordWrap_ = false;
    TDefaultAttributes defaultAttributes_ = AllDefaultAttributes;
    int imageIndex_ = -1;
    TCellFormatter *formatter_ = nullptr;
    // the formatter's list of the objects that use it
    TCellAttributes *fmtPrev_ = nullptr;
    TCellAttributes *fmtNext_ = nullptr;
    mutable short silence_ = 0;
};

// The look and the sizing rules of a column or a row.
class TColRowAttributes : public TCellAttributes
{
public:
    TColRowAttributes();

    bool AutoResize() const { return autoResize_; }
    void SetAutoResize(bool value);
    bool ResizeToFillClient() const { return resizeToFillClient_; }
    void SetResizeToFillClient(bool value);
    int MinSize() const { return minSize_; }
    void SetMinSize(int value); // 0..65535, not above MaxSize
    int MaxSize() const { return maxSize_; }
    void SetMaxSize(int value); // 0..65535, not below MinSize
    // A visible column (row) of a grid: its width (height); otherwise the
    // size kept for it.
    int Size() const;
    void SetSize(int value);
    int RequiredSize() const;
    bool Visible() const;
    void SetVisible(bool value);
    // 0 free, 1 column, 2 row
    int Kind() const { return kind_; }

    void Assign(const TCellAttributes &Source) override;
    void AssignAttributes(const TCellAttributes &Source) override;
    void SetDefaults() override;
    void ApplyTo(TCellAttributes &Dest) const override;
    bool SameAs(const TCellAttributes &Other, TDefaultAttributes Flags) const override;

private:
    friend class TRichGrid;
    friend class TColRowCollection;
    int Index() const { return kind_ == 1 ? col_ : row_; }
    // A column (row) object of a grid: Size and Visible act on the grid.
    bool Bound() const;

    bool autoResize_ = false;
    bool resizeToFillClient_ = false;
    int minSize_ = 0;
    int maxSize_ = 65535;
    int keptSize_ = 24;
    bool visible_ = true;
    int kind_ = 0;
};

// ---------------------------------------------------------------------------
// Column and row attributes kept as items of the grid's ColAttr and RowAttr
// collections; Loaded copies them into the grid's column and row objects.
class TColRowCollection;

class TColRowAttributesItem
{
public:
    int ColRowIndex() const { return colRowIndex_; }
    // Raises EDupColRowIndex when another item of the collection has it.
    void SetColRowIndex(int value);
    TColRowAttributes &Attributes() { return attributes_; }
    const TColRowAttributes &Attributes() const { return attributes_; }
    // The column's or row's texts: the grid's own while the index lies in
    // the grid. Texts given before that are kept and written by Loaded.
    QStringList Cells() const;
    void SetCells(const QStringList &value);
    TColRowCollection *Collection() const { return collection_; }

private:
    friend class TColRowCollection;
    friend class TRichGrid;
    explicit TColRowAttributesItem(TColRowCollection *collection) : collection_(collection) {}
    bool InGrid() const;
    TColRowCollection *collection_;
    int colRowIndex_ = -1;
    TColRowAttributes attributes_;
    // texts waiting for the grid to reach the index
    QStringList cells_;
};

class TColRowCollection
{
public:
    TColRowCollection(TRichGrid *grid, int kind) : grid_(grid), kind_(kind) {}
    TColRowCollection(const TColRowCollection &) = delete;
    TColRowCollection &operator=(const TColRowCollection &) = delete;

    TColRowAttributesItem *Add();
    int Count() const { return static_cast<int>(items_.size()); }
    TColRowAttributesItem *Items(int index) const;
    void Delete(int index);
    void Clear() { items_.clear(); }
    void Assign(const TColRowCollection &Source);
    TRichGrid *Grid() const { return grid_; }

private:
    friend class TColRowAttributesItem;
    TRichGrid *grid_;
    int kind_;
    std::vector<std::unique_ptr<TColRowAttributesItem>> items_;
};

class TColCollection : public TColRowCollection
{
public:
    explicit TColCollection(TRichGrid *grid) : TColRowCollection(grid, 1) {}
};

class TRowCollection : public TColRowCollection
{
public:
    explicit TRowCollection(TRichGrid *grid) : TColRowCollection(grid, 2) {}
};

// ---------------------------------------------------------------------------
// Rewrites a cell's display text and look just before the cell is drawn.
// Destroying a formatter takes it out of every attribute object using it.
class TCellFormatter : public QObject
{
public:
    explicit TCellFormatter(QObject *AOwner = nullptr);
    ~TCellFormatter() override;

    std::function<void(TCellFormatter &Sender, TRichGrid &AGrid, int ACol, int ARow, QString &ACellText,
                       TCellAttributes &ACellAttributes)>
        OnCellFormat;
    std::function<void(QObject *Sender)> OnChange;

    // Remembers the row and text, then fires OnCellFormat.
    virtual void FormatCell(TRichGrid &AGrid, int ACol, int ARow, QString &ACellText,
                            TCellAttributes &ACellAttributes);
    // Every attribute object using the formatter reports a change (so the
    // grids repaint), then OnChange fires.
    void Changed();

    int FormattedRow() const { return formattedRow_; }
    QString FormattedText() const { return formattedText_; }

private:
    friend class TCellAttributes;
    void Register(TCellAttributes *a);
    void Unregister(TCellAttributes *a);

    TCellAttributes *users_ = nullptr;
    int formattedRow_ = -1;
    QString formattedText_;
};

// ---------------------------------------------------------------------------
// Pure arithmetic of the grid's sizing rules.
namespace RichGridSizing {

// The width a cell needs in its column: text, a side image, the margins
// and 2; measured inside a merged block `blockWidth` wide in a column
// `colWidth` wide.
int MeasuredWidth(int textWidth, int imageWidth, int leftMargin, int rightMargin, int blockWidth, int colWidth);
// Likewise the height in its row.
int MeasuredHeight(int textHeight, int imageHeight, int topMargin, int bottomMargin, int blockHeight,
                   int rowHeight);
// Shares of the client extent left over by the other columns for the
// columns that fill it: equal shares (the last takes the remainder), each
// between its required size and its maximum. Empty when the extent is not
// larger than `others` plus the required sizes (the sizes then stay).
std::vector<int> FillClientShares(int client, int others, const std::vector<int> &required,
                                  const std::vector<int> &maximum);

// The sizes of texts measured by a grid, kept from one sizing to the next.
class MeasuredTextStore;

} // namespace RichGridSizing

// ---------------------------------------------------------------------------
class TRichGrid : public platform::StringGrid
{
    Q_OBJECT
public:
    // Measures a text as drawn with `flags` inside `bounds` (the flags are
    // those of QPainter::drawText). Tests hand in a measure of fixed metrics.
    using TTextMeasure =
        std::function<QRect(const QFont &font, QPaintDevice *device, const QRect &bounds, int flags,
                            const QString &text)>;

    explicit TRichGrid(QWidget *parent = nullptr);
    ~TRichGrid() override;

    // Lowering a count frees the attribute objects and values of the
    // removed columns (rows); raising it again gives default attributes.
    void SetColCount(int value) override;
    void SetRowCount(int value) override;

    TRichGridOptions RichOptions() const { return richOptions_; }
    void SetRichOptions(TRichGridOptions value);
    TCellAttributes *DefAttributes() const { return defAttributes_.get(); }
    TCellAttributes *FixedAttributes() const { return fixedAttributes_.get(); }
    bool AutoResizeCols() const { return autoResizeCols_; }
    void SetAutoResizeCols(bool value);
    bool AutoResizeRows() const { return autoResizeRows_; }
    void SetAutoResizeRows(bool value);
    bool ResizeColsToFillClient() const { return resizeColsToFillClient_; }
    void SetResizeColsToFillClient(bool value);
    bool ResizeRowsToFillClient() const { return resizeRowsToFillClient_; }
    void SetResizeRowsToFillClient(bool value);
    // Blocks "Left,Top,Right,Bottom" separated by "|". A block that does not
    // fit the grid yet is kept and merged as soon as the grid is large
    // enough. A number that is not an integer raises EConvertError.
    QString MergeCellsStr() const { return mergeCellsStr_; }
    void SetMergeCellsStr(const QString &value);
    bool DynamicResize() const { return dynamicResize_; }
    void SetDynamicResize(bool value) { dynamicResize_ = value; }
    TColCollection &ColAttr() { return colAttr_; }
    TRowCollection &RowAttr() { return rowAttr_; }
    TImageList *Images() const { return images_; }
    void SetImages(TImageList *value);
    std::function<void(QObject *Sender)> OnChange;

    // --- attributes (reading creates nothing; writing creates an own object
    // on first use; outside the grid a scratch object takes the writes)
    TCellAttributes *GetEffectiveCellAttributes(int ACol, int ARow);
    TCellAttributes *GetCellAttributes(int ACol, int ARow);
    TColRowAttributes *GetColAttributes(int ACol);
    TColRowAttributes *GetRowAttributes(int ARow);
    TColRowAttributes *GetEffectiveColAttributes(int ACol);
    TColRowAttributes *GetEffectiveRowAttributes(int ARow);
    bool HasCellAttributes(int ACol, int ARow) const { return OwnCell(ACol, ARow) != nullptr; }
    bool HasColAttributes(int ACol) const { return OwnCol(ACol) != nullptr; }
    bool HasRowAttributes(int ARow) const { return OwnRow(ARow) != nullptr; }

    // The layers laid one over the other (default or fixed look, column,
    // row, cell), then the formatter of the highest layer that set one run
    // once on the stored text; the result into Dest (when given) and Text.
    void GetDisplayAttributes(int ACol, int ARow, TCellAttributes *Dest, QString &Text);
    void GetDisplayText(int ACol, int ARow, QString &S);

    // --- merged cells
    void MergeCells(const TGridRect &Rect);
    void MergeCells(int Left, int Top, int Right, int Bottom) { MergeCells(GridRect(Left, Top, Right, Bottom)); }
    void GetMergeRect(int ACol, int ARow, TGridRect &Rect) const;
    // The merged block's rectangle on screen (empty when not shown).
    void GetMergedCellRect(int ACol, int ARow, QRect &R) const;

    // --- freeing own objects in a block; What: 1 column objects, 2 row
    // objects, 4 cell objects. -1 as Left/Top: the first scrolled column or
    // row; -2 as Right/Bottom: the last.
    void ClearAttributes(TGridRect Rect, int What);
    void ClearRowsAttributes(int FromRow, int ToRow, int What);
    void ClearColsAttributes(int FromCol, int ToCol, int What);

    // --- one stored value per cell; unset reads as an invalid QVariant.
    // Writing a cell's text clears its value.
    QVariant GetCellValue(int ACol, int ARow) const;
    void SetCellValue(int ACol, int ARow, const QVariant &Value);
    void ClearCellValues();
    void ClearCellValues(const TGridRect &Rect);

    // Each visible column with AutoResize becomes as wide as its widest cell,
    // measured on `Canvas` (the grid's own screen when null).
    void AutoSizeColumns(QPaintDevice *Canvas = nullptr);
    // The measured content width of a column (height of a row); 0 when none.
    int MeasuredColSize(int ACol) const;
    int MeasuredRowSize(int ARow) const;
    // The columns (rows) with ResizeToFillClient share the client width
    // (height) left by the others.
    void FillClientColumns();
    void FillClientRows();

    void SetTextMeasure(TTextMeasure measure);

    // Copies another grid: sizes, texts, options, looks, collections and
    // copies of all its attribute objects.
    void Assign(const TRichGrid &Source);
    // After a grid is set up in code: the ColAttr and RowAttr items are
    // copied into the column and row objects and the merges applied again.
    void Loaded();
    virtual void DoChange();

protected:
    bool SelectCell(int ACol, int ARow) override;
    void DrawCell(int ACol, int ARow, const QRect &ARect, TGridDrawState AState) override;
    bool CanEditShow() const override;
    void CellTextChanged(int ACol, int ARow) override;
    TGridRect CellBlock(int ACol, int ARow) const override;
    void ColWidthsChanged() override;
    void RowHeightsChanged() override;
    void SizeChanged(int OldColCount, int OldRowCount) override;
    void ClientResized() override;

private:
    friend class TCellAttributes;
    friend class TColRowAttributes;

    TCellAttributes *OwnCell(int c, int r) const;
    TColRowAttributes *OwnCol(int c) const;
    TColRowAttributes *OwnRow(int r) const;
    // The layers without the formatter.
    void LayAttributes(int c, int r, TColRowAttributes &w) const;
    void RefillShared(TColRowAttributes &shared, int kind, int index) const;
    bool EffectiveCanSelect(int c, int r) const;
    bool ColShown(int c) const { return ColWidths(c) >= 1; }
    bool RowShown(int r) const { return RowHeights(r) >= 1; }
    void AttributesChanged(TCellAttributes &a);
    void MoveCurrentAway(const TCellAttributes &a);
    void ReselectCurrent(bool columnHidden);
    // kind 1: columns, 2: rows
    TColRowAttributes *AxisAttributes(int kind, int index);
    void ClampSizes(int kind);
    void SizesChanged(int kind);
    void FillClient(int kind);
    void ApplyPendingMerges();
    void MeasureCell(int c, int r, const TCellAttributes &a, const QString &text, QPaintDevice *device,
                     bool onlyMeasure);
    int TextFlags(const TCellAttributes &a) const;

    std::vector<std::vector<std::unique_ptr<TCellAttributes>>> cells_;
    std::vector<std::unique_ptr<TColRowAttributes>> cols_;
    std::vector<std::unique_ptr<TColRowAttributes>> rows_;
    std::vector<std::vector<QVariant>> values_;
    std::vector<int> measuredCols_;
    std::vector<int> measuredRows_;
    std::unique_ptr<TCellAttributes> defAttributes_;
    std::unique_ptr<TCellAttributes> fixedAttributes_;
    TColRowAttributes work_;
    mutable TColRowAttributes sharedCol_;
    mutable TColRowAttributes sharedRow_;
    TColRowAttributes scratch_;
    TColCollection colAttr_;
    TRowCollection rowAttr_;
    QPointer<TImageList> images_;
    QMetaObject::Connection imagesChanged_;
    TRichGridOptions richOptions_;
    bool autoResizeCols_ = false;
    bool autoResizeRows_ = false;
    bool resizeColsToFillClient_ = false;
    bool resizeRowsToFillClient_ = false;
    bool dynamicResize_ = true;
    QString mergeCellsStr_;
    struct MergeBlock
    {
        TGridRect rect;
        bool applied = false;
    };
    std::vector<MergeBlock> mergeBlocks_;
    bool anyMerges_ = false;
    int sizingDepth_ = 0;
    int batch_ = 0;
    TTextMeasure measure_;
    std::unique_ptr<RichGridSizing::MeasuredTextStore> textSizes_;
};
