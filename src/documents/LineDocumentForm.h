#pragma once
// The base of the numbered documents entered one line per article above
// their grid (the line acts, deliveries and issues of raw materials): a
// number (`docno`, a list of the numbers of the chosen date), a date, and
// lines of an article code with its quantities.
//
// The lines are queued per line (TQueuedStatements) while the clerk edits
// them and nothing reaches the database before the save. A document
// without a number is new: the save takes max(docno) + 1 of its table
// inside its transaction and every queued statement writes it. A line of a
// new document taken back (F3) and committed again replaces its queued
// insert, and a deleted one drops it, so the document is saved as the clerk
// left it; a stored line's update and delete use the code it was read with.
//
// A window puts the controls on pnlParams, names HeaderControls (locked
// while a line is in edit), LineCodeEdit and LineQuantityEdit, fills the
// number list, checks and commits a line in DoNew (CommitLine) and takes a
// row back into its editors (LineToEditors).
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <map>

#include "framework/DocumentSave.h"
#include "framework/QuorendReadForm.h"

class QDateEdit;
class TFloatEdit;
class TListEdit;

// What the base needs of a kind of document.
struct TLineDocumentSetup
{
    QString Table;         // "Zaprihojdavane_na_ambalaj"
    QString CodeField;     // "code_a"
    QString Caption;       // "Заприхождаване на амбалаж"
    QString DeleteNoun;    // "ред от акт за заприходен амбалаж"
    TDocumentName DocumentNoun;  // "Акт за заприходен амбалаж", followed by the number
};

class TfrmLineDocument : public TQuorendReadForm
{
    Q_OBJECT
public:
    TfrmLineDocument(const TLineDocumentSetup &Setup, QWidget *AOwner, TFormStyle AFormStyle);
    ~TfrmLineDocument() override;

    // The caption, the number list of the date with its last number
    // chosen, and the lines of that document.
    bool BeforeShow() override;
    // Runs the queue in one transaction; a new document takes its number
    // there. Then the saved number is chosen and the document read again.
    bool DoSave() override;
    // Takes the current row back into the editors (one line at a time).
    bool DoEdit() override;
    // Reads what the save will compare (the stored lines of the number),
    // before the window reads its rows.
    bool DoExecute() override;
    // Asks, then queues the current row's delete (or drops its insert).
    bool DoDelete() override;
    // F2 first commits a line in edit as F4 would; a line the checks refuse
    // stops the save.
    bool CanSave() override;

    // The document's number (0 for a new one).
    int DocNumber() const;
    // The numbers of the documents of the chosen date (and party) into the
    // number list.
    virtual void FillNumberList() = 0;
    const TQueuedStatements &Pending() const { return FPending; }
    bool LineInEdit() const { return FLineInEdit; }

    QDateEdit *date_doc = nullptr;
    TListEdit *docno = nullptr;

    static constexpr TColor EditingCaptionColor = 255;
    static constexpr TColor NormalCaptionColor = 0xF4C666;

protected:
    const TLineDocumentSetup &Setup() const { return FSetup; }
    // A date edit of the parameter panel (not yet laid out).
    QDateEdit *NewDateEdit(const QString &Name);
    // The numbers a query gives into the number list.
    void SetNumberList(const QString &Sql);
    // The number a line's statements write, fixed when the line is queued:
    // the document's, or 0 for a new document ...
    int QueuedNumber() const { return DocNumber() > 0 ? DocNumber() : 0; }
    // ... which writes the number its save takes.
    static int StatementNumber(int Queued, long double SaveNumber)
    {
        return Queued ? Queued : static_cast<int>(SaveNumber);
    }
    // "Шифър ... съществува ..." followed by "\n\r" when the grid shows the
    // typed code already; "" otherwise.
    QString CodeInGridMessage(const QString &Typed) const;
    // After the grid is filled from the database: every row shown is a
    // stored line of this document, known by its code.
    void TakeStoredLines();
    // Commits the line in the editors: a line taken back keeps its queue
    // entry (its insert replaced, or its update built with the code it was
    // read with), any other line is a new line with its insert. The row goes
    // into the grid (the only blank row reused) and the editors are ready
    // for the next line.
    void CommitLine(int Code, const TStatementBuilder &Insert,
                    const std::function<TStatementBuilder(int OriginalCode)> &Update, const QStringList &Row);
    // The editors take the quantities of a grid row (the code is set).
    virtual void LineToEditors(int Row) = 0;
    // A line in edit whose editors the clerk left as they were filled goes
    // back into the grid as it was, and the queue is not touched: a stored
    // line put back unchanged writes nothing (a whole-number editor would
    // round a stored 3.5). True when it did so; DoNew then ends.
    bool PutBackUnchanged();
    // Whether the editors still hold what the line in edit filled them with.
    virtual bool LineEditorsAsFilled() const;
    // The header as the clerk set it: the number, the date and the window's
    // own header editors.
    virtual QStringList HeaderState() const;
    virtual void SetHeaderState(const QStringList &State);
    // The number, date or party has just changed: whether the window moves
    // to the document they now name (TDocumentSwitch: unsaved lines are
    // asked about first).
    bool ConfirmDocumentChange() { return FSwitch.Confirm(*this); }
    // Forgets the unsaved lines and a line in edit.
    void DropChanges();

    // Locked and greyed while a line is in edit.
    QList<QWidget *> HeaderControls;
    TListEdit *LineCodeEdit = nullptr;
    TFloatEdit *LineQuantityEdit = nullptr;
    // The editors of a line's values (the quantity first); their texts as
    // a line in edit filled them tell whether the clerk changed it.
    QList<TFloatEdit *> LineValueEdits;

private:
    void SetCaptionColor(TColor Color);
    void SetHeaderEnabled(bool Enabled);
    // Leaves the edit of a line: header unlocked, editors emptied.
    void EndLineEdit();
    // A row into the grid (the only blank row reused), made current.
    void PutGridRow(const QStringList &Cells);
    QString StoredKey(const QString &Code) const;
    int LineOfCode(const QString &Code);

    TLineDocumentSetup FSetup;
    TQueuedStatements FPending;
    // The queue's line of each code the grid shows (stored or new).
    std::map<QString, int> FLineOfCode;
    bool FLineInEdit = false;
    int FEditLine = 0;
    QString FEditCode;
    // The row taken into the editors, the editors' texts as filled from it
    // and Modified before the edit.
    QStringList FEditCells;
    QStringList FEditTexts;
    bool FModifiedBeforeEdit = false;
    // The document the grid and the queue belong to.
    TDocumentSwitch FSwitch;
    // Its stored lines as loaded, by number and code.
    TLoadedRows FLoaded;
};
