#pragma once
// The drop-down list of codes and names under a list edit: a grid with
// type-ahead (a prefix that lives one second after the last key), a search
// bar (F7, Ctrl+Up/Down), a row filter (F6, applied with Ctrl+Enter), a
// refresh (F8), and the pick (Enter or a click) that writes the code into
// the edit and the name into its description control.
//
// The owner fills the grid when the form asks through OnFillGrid.
// Descendant forms override, after the drop-down form's hooks, in this
// order: GetExtraHeight, GetExtraWidth, AdjustTypedText, PrepareFilter,
// DoSearchUp, DoSearchDown, DoFilter, SetFilterMode, FillGrid, SearchUp,
// SearchDown.
#include <QPointer>
#include <QTimer>
#include <functional>
#include <memory>

#include "components/DropDownForm.h"
#include "components/RichGrid.h"

class QLineEdit;
class QToolBar;
class QToolButton;
class TCustomListEdit;

class TListForm : public TDropDownForm
{
    Q_OBJECT
public:
    explicit TListForm(QWidget *parent = nullptr);
    ~TListForm() override;

    // The tint of the drop column.
    static constexpr TColor DropColumnColor = 0xF8F0D8;

    TRichGrid *Grid() const { return FGrid; }
    QToolBar *toolsSearch() const { return FToolsSearch; }
    QLineEdit *editSearch() const { return FEditSearch; }

    TCustomListEdit *ListEdit() const;
    void SetListEdit(TCustomListEdit *Value);
    // The control whose text receives the description (a line edit or a
    // label; another widget through its "text" property).
    QWidget *DescrControl() const { return FDescrControl; }
    void SetDescrControl(QWidget *Value) { FDescrControl = Value; }
    int DescrColumn() const { return FDescrColumn; }
    // Stored (and the grid moves to the column) when below the column count.
    void SetDescrColumn(int Value);
    int DropColumn() const { return FDropColumn; }
    // Ignored at or past the column count; the drop column takes the tinted
    // look of DropAttributes, and the former one gets its own look back.
    void SetDropColumn(int Value);
    TColRowAttributes *DropAttributes() const { return FDropAttributes.get(); }
    bool FillOnDrop() const { return FFillOnDrop; }
    void SetFillOnDrop(bool Value) { FFillOnDrop = Value; }
    bool FillOnDropIfEmpty() const { return FFillOnDropIfEmpty; }
    void SetFillOnDropIfEmpty(bool Value) { FFillOnDropIfEmpty = Value; }
    QString StatusMessage() const { return FStatusMessage; }
    void SetStatusMessage(const QString &Value) { FStatusMessage = Value; }
    // The filter for the filler: '@'-separated, the filter text in the
    // piece of the search column.
    QString Filter() const { return FFilter; }
    void SetFilter(const QString &Value) { FFilter = Value; }
    bool Filled() const { return FFilled; }
    // Stores Value; a failed fill empties the text of a pick-only edit.
    void SetFilled(bool Value);
    bool SearchMode() const { return FSearchMode; }
    bool FilterMode() const { return FFilterMode; }
    int SearchColumn() const { return FSearchColumn; }
    // The typed prefix of type-ahead (empty a second after the last key).
    QString TypedText() const { return FTypedText; }

    // Fills the grid; the handler may clear Filled to report a failure.
    std::function<void(QObject *Sender, bool &Filled)> OnFillGrid;

    // Overrides of the drop-down form.
    void Popup() override;
    void Ok() override;
    void Cancel() override;
    bool Execute() override;
    bool PrepareShow() override { return PrepareDrop(); }
    // Fills as the settings ask, moves to the row of the edit's text and
    // places the form; false keeps it closed.
    virtual bool PrepareDrop();
    // The smallest size: one grid row high, as wide as the search bar in
    // search or filter mode.
    virtual void ConstrainedResize(int &MinWidth, int &MinHeight);

    virtual int GetExtraHeight();
    virtual int GetExtraWidth();
    virtual void AdjustTypedText(QString &Text);
    virtual bool PrepareFilter();
    virtual void DoSearchUp();
    virtual void DoSearchDown();
    virtual void DoFilter();
    virtual void SetFilterMode(bool On);
    virtual bool FillGrid();
    virtual bool SearchUp();
    virtual bool SearchDown();

    // Moves to the visible data row whose cell in Col shares the longest
    // prefix with Text (an exact match wins), from StartRow (above the data
    // rows: the first data row) in steps of Step; Text is cut to the shared
    // part. False, with nothing moved, when no row shares a character.
    bool LocateText(QString &Text, int Col, int StartRow, int Step);
    void SetSearchMode(bool On);

    // The first data row (shown or not) whose cell in Col is Code exactly;
    // -1 when none.
    int RowOfCode(int Col, const QString &Code) const;
    // Whether a row is a shown data row.
    bool RowPickable(int Row) const;
    // The first (last) shown data row; -1 when none.
    int FirstVisibleRow() const;
    int LastVisibleRow() const;
    // The next shown data row from Row in steps of Step; -1 when none.
    int NextVisibleRow(int Row, int Step) const;

    QAction *actSearch = nullptr;
    QAction *actSearchUp = nullptr;
    QAction *actSearchDown = nullptr;
    QAction *actRefresh = nullptr;
    QAction *actFilter = nullptr;
    QAction *actDoFilter = nullptr;
    QToolButton *tbtnSearchUp = nullptr;
    QToolButton *tbtnSearchDown = nullptr;
    QToolButton *buttonFilter = nullptr;
    QToolButton *buttonSearch = nullptr;

protected:
    void GridKeyDown(int &Key, Qt::KeyboardModifiers Shift);
    void GridKeyPress(QChar &Key);
    void GridMouseDown(Qt::MouseButton Button, int X, int Y);
    void GridMouseUp(Qt::MouseButton Button, int X, int Y);
    void editSearchKeyDown(QKeyEvent *e, bool &Handled);
    void actSearchExecute();
    void actSearchUpExecute();
    void actSearchDownExecute();
    void actRefreshExecute();
    void actFilterExecute();
    void actDoFilterExecute();

    bool eventFilter(QObject *Watched, QEvent *Event) override;

    // Whether this form is of the class TListForm itself, not derived.
    bool IsPlainListForm() const;
    // The width of the form's border on each side.
    int BorderWidth() const;
    // Shows or hides a row without creating an attribute object for it.
    void SetRowShown(int Row, bool Shown);
    // Makes the current row a shown data row (the first one) when it is not.
    void EnsureVisibleCurrentRow();

    // The type-ahead timer ran out: the typed prefix is forgotten.
    void TypeAheadTimeout();

private:
    void ApplyMinimumSize();

    TRichGrid *FGrid = nullptr;
    QToolBar *FToolsSearch = nullptr;
    QLineEdit *FEditSearch = nullptr;
    QPointer<TCustomListEdit> FListEdit;
    QPointer<QWidget> FDescrControl;
    int FDescrColumn = 1;
    int FDropColumn = 0;
    std::unique_ptr<TColRowAttributes> FDropAttributes;
    std::unique_ptr<TColRowAttributes> FBackupAttributes;
    bool FDropAttributesLaid = false;
    bool FFillOnDrop = false;
    bool FFillOnDropIfEmpty = true;
    QString FStatusMessage;
    QString FFilter;
    bool FFilled = false;
    QString FTypedText;
    QString FSavedSearchText;
    QString FSavedFilterText;
    int FSearchColumn = 0;
    QTimer FTypeAheadTimer;
    bool FSearchMode = false;
    bool FFilterMode = false;
};

// Sets the text of a description control: a line edit, a label, or any
// widget with a "text" property.
void SetControlText(QWidget *Control, const QString &Text);
