#pragma once
// TfrmNAS: the window in which the operator edits this workstation's
// settings (table Nas, keyed by the workstation's address), the company's
// settings (table VA) and two switches of the user's settings store.
//
// The data load when the form is made and again after each save (F8 loads
// them again, asking first about what was typed). A save writes only what
// the operator changed against what the load showed (and the rows the
// workstation lacks), all of it in one transaction: a failure writes
// nothing, and its message names the table and the setting that failed. A
// setting the operator changed that another workstation (or another
// window) saved after the load refuses the save; a row the load lacked
// and another window made meanwhile (a counter) is left as it was made. The counters (settings 1 and 2) show and
// write the counters' one form (NasCounterText); the VAT rate takes ',' for
// '.'; a value that does not read is refused with the field's name.
#include "core/uDelimitedStrings.h"
#include "framework/DocumentSave.h"
#include "framework/QuorendForm.h"

#include <QStringList>
#include <map>

class QButtonGroup;
class QGroupBox;
class QTabWidget;
class TLimitedEdit;

class TfrmNAS : public TQuorendForm
{
    Q_OBJECT
public:
    explicit TfrmNAS(QWidget *AOwner = nullptr, TFormStyle AFormStyle = fsMDIChild);

    // The workstation settings with an edit, and those with a choice.
    static const std::vector<int> &EditSettings();     // 1 .. 5
    static const std::vector<int> &ChoiceSettings();   // 11 .. 14

    // The statements a save would run now, in their order.
    QStringList SaveStatements() const;

    QTabWidget *PageControl = nullptr;
    std::map<int, TLimitedEdit *> ed_NAS;   // by setting number
    std::map<int, QGroupBox *> rg_NAS;      // by setting number
    QGroupBox *rg_Registry_21 = nullptr;
    std::map<int, TLimitedEdit *> ed_VA;    // by company code

    // The selected index of a choice group (-1 for none), and its setter.
    static int ItemIndex(const QGroupBox *Group);
    static void SetItemIndex(QGroupBox *Group, int Index);

    // The value a setting's edit writes: a counter in the counters' one
    // form ("" stays ""), the VAT rate as '.'-decimal text, any other text
    // as it stands.
    QString EditValue(const TLimitedEdit *Edit) const;
    // The Bulgarian messages of the edits that would be written and do not
    // hold a valid value (each followed by "\n\r"); "" when all are valid.
    QString InvalidValues() const;

protected:
    bool InitForm() override;
    // What was typed is asked about before it is read over.
    bool CanExecute() override;
    bool DoExecute() override;
    bool CanSave() override;
    QString GetSaveErrorText() override;
    bool DoSave() override;

private:
    struct TPlanned
    {
        QString Sql;
        QString Table;
        int Number;
        // The operator's change: the stored row must be as loaded. Else the
        // row the load lacked, inserted only while it is still missing.
        bool Changed;
    };
    std::vector<TPlanned> Plan() const;
    TLimitedEdit *MakeEdit(QWidget *Page, const QString &Name, const QString &ValidChars, int MaxLength);
    QGroupBox *MakeChoice(QWidget *Page, const QString &Name, const QString &Title, const QStringList &Items);

    // Whether the operator changed what the load showed in the edit; whether
    // the edit is written by a save: its row is missing, or it changed.
    bool EditChanged(const TLimitedEdit *Edit) const;
    bool EditWritten(const TLimitedEdit *Edit, const TDelimitedStrings &Rows, int Key) const;

    QString FAddress;
    TDelimitedStringList FNas;   // "number@value" of this workstation
    TDelimitedStringList FVa;    // "code@value"
    // The same, as the save reads them again to compare, by number or code.
    TLoadedRows FNasLoaded;
    TLoadedRows FVaLoaded;
    // What the load showed: a value the operator did not change is not
    // written back, whatever the edit made of the stored text.
    std::map<const QObject *, QString> FShownText;
    std::map<const QObject *, int> FShownIndex;
    bool FLoading = false;
};
