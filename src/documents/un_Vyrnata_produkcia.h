#pragma once
// The day documents of a minibus, edited line by line in a list window:
// what a minibus brings back (the returned-production protocol, this unit),
// what it takes out (the export pass) and what it asks for (the expedition
// request). A document is one minibus and one day (and, for the numbered
// ones, a number); its lines are products with a packaging and the two
// quantities.
//
// TfrmBusDayDocument is what the three windows share: the editors of one
// line above the grid, the checks of a line, F4 adding or changing a line,
// F3 taking a line back into the editors, F5 deleting one, and F2 saving.
// Lines are queued per line (TQueuedStatements): a line added and then
// edited or deleted before the save changes or drops its queued insert, and
// a stored line is updated and deleted by its original key. F2 runs the
// queue through TDocumentSave: one transaction, a new document's number
// taken inside it.
#include <QDate>
#include <QString>
#include <QStringList>
#include <map>

#include "framework/DocumentSave.h"
#include "framework/QuorendReadForm.h"

class QDateEdit;
class QLabel;
class QPushButton;
class TFloatEdit;
class TListEdit;

class TfrmBusDayDocument : public TQuorendReadForm
{
    Q_OBJECT
public:
    // Grid columns.
    enum { colCode = 0, colName, colUnit, colQuantity, colPackCode, colPackName, colPackQuantity, colCount };

    // Numbered: the document has a number (docno) picked from the numbers
    // of the minibus and date. QuantityPrecision: the decimals of the
    // quantity editors.
    TfrmBusDayDocument(QWidget *AOwner, TFormStyle AFormStyle, bool Numbered, int QuantityPrecision);
    ~TfrmBusDayDocument() override;

    bool InitForm() override;
    bool FormDone() override;
    bool BeforeShow() override;
    QString GetSubTitle() override;
    bool DoExecute() override;
    bool DoSave() override;
    bool DoEdit() override;
    bool DoNew() override;
    bool DoDelete() override;
    // F2 first ends a line in edit: it commits it as F4 would (a line the
    // checks refuse stops the save). (F8 asks about unsaved data, the
    // edit's too: AskBeforeReading.)
    bool CanSave() override;
    bool CanExecute() override;
    bool IsSaveEnabled() override;
    bool IsEditEnabled() override;
    bool IsNewEnabled() override;
    bool IsDeleteEnabled() override;
    bool IsPrintEnabled() override;
    // A numbered document prints itself once it is saved; the request
    // prints its grid.
    bool DoPrint() override;

    // --- handlers
    void code_izdChange();
    // Another minibus or day: another document, and other numbers to pick.
    void BusOrDateChange();
    void docnoChange();
    void docnoFormOk();

    // --- state
    bool RowInEdit() const { return FRowInEdit; }
    TQueuedStatements &Queue() { return FQueue; }
    // The number typed or picked; 0 when empty or not a number.
    int DocNo() const;
    int BusCode() const;
    int DayNumber() const;
    // Fills the number list for the minibus and date (numbered documents).
    void FillDocNoList();

    // --- controls
    TListEdit *code_izd = nullptr;
    QLabel *panel_Izdelie = nullptr;
    QLabel *labMeasure_Izdelie = nullptr;
    TFloatEdit *quantity_izd = nullptr;
    TListEdit *code_a = nullptr;
    QLabel *panel_Amabalaj = nullptr;
    TFloatEdit *quantity_amb = nullptr;
    TListEdit *code_bus = nullptr;
    QLabel *panelMicrobus = nullptr;
    QDateEdit *date_doc = nullptr;
    TListEdit *docno = nullptr; // numbered documents only
    QList<QLabel *> HintLabels;

protected:
    virtual QString TableName() const = 0;
    virtual QString CaptionText() const = 0;
    // "ред от ..." in the delete question.
    virtual QString RowNoun() const = 0;
    // The delete question for a grid row.
    virtual QString DeleteQuestion(int Row) const;
    // Empties the line editors after a line was written.
    virtual void ClearLineEditors();
    // Prints the stored document of the number.
    virtual bool PrintDocument(long double Number);
    // The load of the shown document's rows as grid records.
    virtual bool LoadRows(TDelimitedStringList &Rows);
    // The messages of the checks of the line in the editors ("" passes).
    virtual QString ValidateRow();
    // Queues the line's statement (its insert or its update).
    virtual void QueueRow(int Line, int Product, int Packaging, long double QuantityIzd, long double QuantityAmb);
    // Queues the deletion of a grid row.
    virtual void QueueDelete(int Row);
    // The editor controls that hold a row's key while it is in edit.
    virtual QList<QWidget *> KeyControls() const;
    // The number's source for a save of a new document; also the rows a new
    // document writes at save time.
    virtual void PrepareSave(TDocumentSave &Save);
    // The grid's text for the line's key (the same product and packaging).
    virtual QString RowKey(int Product, int Packaging) const;
    // The shown document in the message of a save another workstation's
    // change refuses.
    virtual TDocumentName DocumentName() const;
    // The key of a stored row as the database holds it.
    QString StoredKey(int Product, int Packaging) const;
    // The queue's line of a grid row's key: a line added in this window,
    // else the stored line of the shown document.
    int LineOf(int Product, int Packaging);
    // Whether a line was added in this window (only its insert is queued).
    bool IsNewLine(int Product, int Packaging) const;

    // The minibus, date or number has just changed: whether the window
    // moves to the document they now name (TDocumentSwitch: unsaved lines
    // are asked about first).
    bool ConfirmDocumentChange() { return FSwitch.Confirm(*this); }
    // Forgets the unsaved lines: the line in edit, the queue, the lines
    // added, Modified.
    void DropChanges();
    // Leaves the edit of a line: the key editors unlocked, the line editors
    // emptied.
    void EndRowEdit();
    // The lines a save writes (none: a new document is refused, a stored
    // one is left as it is).
    virtual int NewDocumentLines() const { return FQueue.Count(); }
    // The name of a code in a picker's list ("" when the list does not hold
    // it); a code typed with leading zeros is the same code.
    static QString PickerName(TListEdit *Picker, const QString &Typed);
    // The quantity an editor holds for the line in edit: the stored value
    // when the clerk left the editor as it was filled, so that a line put
    // back unchanged keeps it exactly; the editor's value otherwise.
    long double EditedQuantity(const TFloatEdit *Editor, int Col) const;

    // Writes the line of the editors into the grid (the one blank data row
    // is reused) with the given quantities.
    void WriteGridRow(const QString &CodeText, const QString &PackCodeText, long double QuantityIzd,
                      long double QuantityAmb);
    void WriteGridCells(const QStringList &Cells);
    void ClearGridKeepQueue();
    void SetCaptionColor(TColor Color);
    static void SetControlColor(QWidget *W, TColor Color);
    QString BusName() const;
    // The quantity texts of the grid as numbers.
    static long double CellNumber(const QString &Text);

    bool FNumbered;
    bool FRowInEdit = false;
    // The grid's code cells take the editors' texts as typed.
    bool FCodesAsTyped = false;
    int FEditLine = 0;
    // The grid row taken into the editors, the editors' texts as filled
    // from it, and Modified before the edit.
    QStringList FEditCells;
    QString FEditQuantityText;
    QString FEditPackQuantityText;
    bool FModifiedBeforeEdit = false;
    TQueuedStatements FQueue;
    // The shown document's stored lines as loaded, by their stored key.
    TLoadedRows FLoaded;
    // The queue's lines added in this window, by document and row key.
    std::map<QString, int> FNewLines;
    QHBoxLayout *FButtonRow = nullptr;
    // The document the grid and the queue belong to: minibus, date and
    // (numbered) number, as typed.
    TDocumentSwitch FSwitch;

private:
    void BuildControls(int QuantityPrecision);
};

class TfrmVyrnata_produkcia : public TfrmBusDayDocument
{
    Q_OBJECT
public:
    explicit TfrmVyrnata_produkcia(QWidget *AOwner = nullptr, TFormStyle AFormStyle = fsMDIChild);

protected:
    bool PrintDocument(long double Number) override;
    QString TableName() const override { return QStringLiteral("Vyrnata_produkcia"); }
    QString CaptionText() const override { return QStringLiteral("Върната продукция"); }
    QString RowNoun() const override { return QStringLiteral("ред от върната продукция"); }
};
