#pragma once
// TfrmNAS: the window in which the operator edits this workstation's
// settings (table Nas, keyed by the workstation's address), the company's
// settings (table VA) and two switches of the user's settings store.
//
// The data load when the form is made and again after each save (F8 loads
// them again). A save writes only what changed against what was loaded,
// all of it in one transaction: a failure writes nothing, and its message
// names the table and the setting that failed.
#include "core/uDelimitedStrings.h"
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

protected:
    bool InitForm() override;
    bool DoExecute() override;
    bool DoSave() override;

private:
    struct TPlanned
    {
        QString Sql;
        QString Table;
        int Number;
    };
    std::vector<TPlanned> Plan() const;
    TLimitedEdit *MakeEdit(QWidget *Page, const QString &Name, const QString &ValidChars, int MaxLength);
    QGroupBox *MakeChoice(QWidget *Page, const QString &Name, const QString &Title, const QStringList &Items);

    QString FAddress;
    TDelimitedStringList FNas;   // "number@value" of this workstation
    TDelimitedStringList FVa;    // "code@value"
    bool FLoading = false;
};
