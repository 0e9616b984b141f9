#pragma once
// The editor of a master table with an integer code and a text name
// (units, groups, subgroups, minibuses, packaging), and the queued editing
// that the other master-data editors share.
//
// Queued editing: New, Edit and Delete check the editors, queue their
// statements per line (TQueuedStatements) and change the grid at once, so
// that it shows the table as it will be after the save; nothing reaches the
// database before Save, which runs the queue in one transaction (the
// shared document save). A row in edit leaves the grid and comes back when
// it is committed with New (or with Save, which commits it first; F8 asks).
// Uniqueness is checked against every row of the table as it will be, also
// those that the row filter hides.
//
// What a save writes: an editor names its table's columns and the values
// its editors hold (EditorColumns). A row taken into the editors and put
// back writes only the columns the clerk changed, and nothing when none
// changed, so a stored value that the editors cannot show whole (a name
// with '"' or with a character the name field refuses) stays as stored.
// The update is keyed by the row's key as loaded and by every value loaded
// with it: a row that another workstation changed or deleted meanwhile is
// refused whole, nothing of the save is written, and the change is given
// up so that F8 shows the row as it is now. A new row's insert is refused
// in the same way when another workstation took its code meanwhile; the
// row then gets the next free code for the clerk to save again. A code that
// documents, other tables or prices use is neither deleted nor changed, also
// when the use was saved elsewhere after F4 or F5: the save looks again.
//
// A derived editor gives its query, its columns, its editors' row and
// checks through the virtual hooks below.
#include <QString>
#include <QStringList>
#include <map>
#include <vector>

#include "framework/DocumentSave.h"
#include "framework/QuorendFormClasses.h"
#include "framework/QuorendReadForm.h"

class QLabel;
class QLineEdit;
class TDelimitedStringList;
class TFloatEdit;
class TLimitedEdit;
class TListEdit;

class TfrmSimple_Nomenklatura : public TQuorendReadForm
{
    Q_OBJECT
public:
    explicit TfrmSimple_Nomenklatura(QWidget *AOwner = nullptr, TFormStyle AFormStyle = fsMDIChild);
    ~TfrmSimple_Nomenklatura() override;

    // --- the configuration the main menu gives
    void SetFormTitle(const QString &Value) { FFormTitle = Value; }
    void SetTableName(const QString &Value) { FTableName = Value; }
    void SetKeyField(const QString &Value) { FKeyField = Value; }
    void SetNameField(const QString &Value) { FNameField = Value; }
    void SetItemNoun(const QString &Value) { FItemNoun = Value; }
    QString FormTitle() const { return FFormTitle; }
    QString TableName() const { return FTableName; }
    QString KeyField() const { return FKeyField; }
    QString NameField() const { return FNameField; }
    QString ItemNoun() const { return FItemNoun; }
    // The menu item's settings (title, table, key and name fields, noun).
    void Configure(const TFormParams &Params);

    // --- hooks of the base forms
    bool InitForm() override;
    bool FormDone() override;
    // The caption, the proposed code, and the rows loaded.
    bool BeforeShow() override;
    bool DoExecute() override;
    // A row in edit is committed first, as New commits it; a row the
    // editors refuse stops the save.
    bool CanSave() override;
    // F8 with a row in edit asks whether to commit it (No gives the edit
    // up, the row as it was before it).
    bool CanExecute() override;
    // Runs the queue in one transaction; on success it is emptied and the
    // grid loaded again. A failure writes nothing and keeps the queue.
    bool DoSave() override;
    bool DoEdit() override;
    // Commits the editors: a new row, or the row in edit.
    bool DoNew() override;
    bool DoDelete() override;

    // --- state
    bool EditMode() const { return FEditMode; }
    const TQueuedStatements &Pending() const { return FPending; }
    // The table as it will be after the save: every loaded row with the
    // queued changes, filtered or not.
    const QList<QStringList> &AllRows() const { return FAllRows; }

    QLabel *lblShifyr = nullptr;
    QLabel *lblNaimenovanie = nullptr;
    TFloatEdit *feShifyr = nullptr;
    TLimitedEdit *edNaimenovanie = nullptr;

    // The characters a name may hold.
    static const QString NameValidChars;
    // The caption's font colour while a row is in edit, and once changes
    // are queued.
    static constexpr TColor EditingCaptionColor = 255;
    static constexpr TColor ChangedCaptionColor = 16041574;

    // A column of the table and the value the editors give it, as a
    // statement writes it (a number, or a quoted text through SqlEscape).
    struct TColumnValue
    {
        QString Column;
        QString Literal;
    };
    // A text as a statement's literal: quoted, through SqlEscape.
    static QString TextLiteral(const QString &Text);
    // Where documents and other tables use a code of TableName: their
    // descriptions, joined with ", " ("" when nowhere).
    QString UsesOfCode(int Code);

protected:
    // --- what a derived editor gives
    // The rows of the grid.
    virtual QString SelectSql();
    // The rows of the table into Rows, one record per grid row (default:
    // SelectSql's rows); false when a query failed.
    virtual bool FetchRows(TDelimitedStringList &Rows);
    // The next code proposed in the code editor; false when the editor has
    // no numeric code.
    virtual bool ProposeCode();
    // The collected messages of a refused entry ("" when it may go on).
    virtual QString ValidateEditors();
    // The key of the row the editors hold, and of a grid row: by default
    // the first cell.
    virtual QString EditorKey();
    virtual QString RowKey(const QStringList &Row);
    // The grid row the editors hold.
    virtual QStringList EditorRow();
    // A grid row into the editors.
    virtual void LoadEditors(const QStringList &Row);
    // The table's columns in their insert order, the key first, with the
    // values of the editors.
    virtual QList<TColumnValue> EditorColumns();
    // Statements of the editor's own for the row the editors hold
    // (OriginalKey: the key the row was loaded with); "" (the default):
    // they are built from EditorColumns as described above.
    virtual QString InsertSql();
    virtual QString UpdateSql(const QString &OriginalKey);
    virtual QString DeleteSql(const QString &OriginalKey);
    // The row as messages name it: "code - name".
    virtual QString RowCaption(const QStringList &Row);
    // Where a stored row's code is used ("" when nowhere): its delete, and
    // a change of its code, are refused then.
    virtual QString UsesOfRow(const QString &OriginalKey);
    // The delete question for a grid row.
    virtual QString DeleteQuestion(const QStringList &Row);
    // Whether the grid row holds a row that can be edited or deleted.
    virtual bool IsEditableRow(const QStringList &Row);
    // After a row was committed: a new row moves the code editor on.
    virtual void AfterCommit(bool WasEdit);

    // --- pieces of the editors' own controls, laid in pnlParams
    // A captioned text edit of up to 50 characters.
    QLineEdit *AddEdit(const QString &Name, const QString &Caption, int Width);
    // A captioned code picker of a list and the panel that shows the
    // picked code's name; Label, when given, receives the caption.
    TListEdit *AddPicker(const QString &Name, const QString &Caption, const QString &PanelName, int PanelWidth,
                         QLabel *&Panel, QLabel **Label = nullptr);
    // The picker lists the code-and-name rows of Sql.
    void FillPicker(TListEdit *Picker, const QString &Sql);
    // The name of the picked code, "" when the picker holds none of its
    // list; and the code, 0 then.
    static QString PickedName(TListEdit *Picker);
    static int PickedCode(TListEdit *Picker);
    // The text an edit of this window had when it was closed last, and
    // keeping it.
    void RestoreText(QLineEdit *Edit);
    void RememberText(const QLineEdit *Edit);

    // The queue, for an editor that queues a statement of its own beside
    // the row's.
    TQueuedStatements &PendingQueue() { return FPending; }
    // The queue's line of the row with this key in the grid.
    int LineOfKey(const QString &Key);
    // The row a queued line writes now; nullptr when the line has no row
    // (deleted, written, or never queued).
    const QStringList *PendingRow(int Line) const;
    // The messages of a code editor's text that cannot be stored: none,
    // not whole, out of range ("" for a good one). Duplicates are looked
    // for only when there is none (12.5 is not the code 13).
    QString CodeMessages() const;
    // The key's duplicate among all rows (column Col equal to Text).
    bool RowExists(int Col, const QString &Text) const;
    void SetCaptionColor(TColor Color);
    QStringList GridRow(int Row) const;

private:
    // A value as it was loaded, for the condition of an update.
    struct TStoredValue
    {
        QString Column;
        QString Text;
        bool Null = false;
        enum { vkInteger, vkReal, vkText } Kind = vkInteger;
    };
    using TStoredRow = QList<TStoredValue>;

    void RemoveFromAllRows(const QString &Key);
    void LoadStoredRows();
    // The editors' row committed (DoNew's work).
    bool CommitEditors();
    // The row in edit given up: back as it was before.
    void GiveUpEdit();
    void PutInsert(int Line);
    void PutUpdate(int Line, const QString &Caption);
    QString InsertStatement(int Line);
    QString UpdateStatement(int Line);
    // After a save refused for one line: a stored line's change is given
    // up, a new line gets the next free code.
    void HandleRefusedLine(const TDocumentSave &Save);
    void Renumber(int Line);
    // The message of a stored code that is used, changed (or Deleted):
    // "" when nothing uses it.
    QString UsedCodeMessage(const QString &OriginalKey, bool Deleted);
    // Inside the save: the messages of the codes the queue changes or
    // deletes that are used now; their lines go into FUsedCodeLines.
    QString UsedCodesAtSave();
    // After a save refused so: those rows keep their codes (a deleted row
    // comes back), what else the clerk changed in them stays queued.
    void KeepUsedCodes();

    QString FFormTitle;
    QString FTableName;
    QString FKeyField;
    QString FNameField;
    QString FItemNoun;
    TQueuedStatements FPending;
    // The lines of the rows whose key changed or that are new.
    std::map<QString, int> FLineOfKey;
    // The row each queued line writes (or deletes), shown again after a
    // refresh.
    struct TPendingRow
    {
        QString Key;
        QStringList Row;
        bool Deleted = false;
        // Built from columns: a new line's values; a stored line's values
        // as loaded and the columns the clerk changed.
        bool FromColumns = false;
        QList<TColumnValue> Columns;
        TStoredRow Loaded;
        QList<TColumnValue> Changed;
        QString RefusalMessage;
    };
    std::map<int, TPendingRow> FLineRows;
    QList<QStringList> FAllRows;
    // Every stored row as loaded, by its key.
    std::map<QString, TStoredRow> FStored;
    bool FEditMode = false;
    int FEditLine = 0;
    QString FEditOriginalKey;
    // The row in edit as the grid showed it, and as the editors gave it
    // right after it was loaded into them.
    QStringList FEditCells;
    QStringList FEditRow;
    QList<TColumnValue> FEditColumns;
    TStoredRow FEditStored;
    // The line whose statement the save built last.
    int FBuildingLine = 0;
    // The lines whose code the last save found used.
    std::vector<int> FUsedCodeLines;
};

// Registers a code-and-name editor under ClassName; the menu item's
// settings configure it.
template <class T> bool RegisterNomenklaturaClass(const QString &ClassName)
{
    return RegisterQuorendFormClass<T>(ClassName, [](T *Form, const TFormParams &Params) { Form->Configure(Params); });
}
