#pragma once
// The editors of simple numbered acts with one line per article (receipts
// of packaging, acts of produced and of rejected production): a number, a
// date and lines of (article code, quantity).
//
// The lines are queued per line (TQueuedStatements) while the clerk edits
// them and nothing reaches the database before the save. An act without a
// number is new: the save takes max(docno) + 1 of the act's table inside
// its transaction and writes it into every queued insert. A line of a new
// act taken back (F3) and committed again replaces its queued insert, and a
// deleted one drops it, so the act is saved as the clerk left it.
#include <QString>
#include <map>

#include "framework/DocumentSave.h"
#include "framework/QuorendReadForm.h"

class QDateEdit;
class QLabel;
class TFloatEdit;
class TFloatFormatter;
class TListEdit;

// What one kind of act is.
struct TLineActKind
{
    QString Table;         // "Zaprihojdavane_na_ambalaj"
    QString CodeField;     // "code_a"
    QString QuantityField; // "quantity_amb"
    QString Caption;       // "Заприхождаване на амбалаж"
    QString NewActHint;    // "НОВ акт за заприходен амбалаж."
    QString MissingCode;   // "Въвдетете амбалаж"
    QString DeleteNoun;    // "ред от акт за заприходен амбалаж"
    QString CodeTextValue; // registry value of the code text
    bool ProductAct = false; // products with their unit; whole quantities shown
};

class TfrmLineAct : public TQuorendReadForm
{
    Q_OBJECT
public:
    TfrmLineAct(const TLineActKind &Kind, QWidget *AOwner, TFormStyle AFormStyle);
    ~TfrmLineAct() override;

    const TLineActKind &Kind() const { return FKind; }

    QString GetSubTitle() override;
    bool InitForm() override;
    bool FormDone() override;
    bool BeforeShow() override;
    bool DoExecute() override;
    // Runs the queue in one transaction; a new act takes its number there.
    bool DoSave() override;
    bool DoEdit() override;
    bool DoNew() override;
    bool DoDelete() override;

    // The act's number (0 for a new act).
    int DocNumber() const;
    int DateNumber() const;
    // The numbers of the acts of the chosen date into the number list.
    void FillNumberList();
    const TQueuedStatements &Pending() const { return FPending; }
    bool LineInEdit() const { return FLineInEdit; }

    TListEdit *code = nullptr;         // code_a / code_izd
    QLabel *lblCodeName = nullptr;
    QLabel *labMeasure_Izdelie = nullptr;
    TFloatEdit *quantity = nullptr;    // quantity_amb / quantity_izd
    QDateEdit *date_doc = nullptr;
    TListEdit *docno = nullptr;

    static constexpr TColor EditingCaptionColor = 255;
    static constexpr TColor NormalCaptionColor = 0xF4C666;

private:
    QString SelectSql() const;
    void CodeChanged();
    void SetCaptionColor(TColor Color);
    void SetHeaderEnabled(bool Enabled);
    QString StoredKey(const QString &Code) const;
    int LineOfCode(const QString &Code);

    TLineActKind FKind;
    TQueuedStatements FPending;
    // The queue's line of each code the grid shows (stored or new).
    std::map<QString, int> FLineOfCode;
    bool FLineInEdit = false;
    int FEditLine = 0;
    QString FEditCode;
    TFloatFormatter *FWholeFormatter = nullptr;
};
