#pragma once
// The editor of the counterparties, customers and suppliers (table
// CustGroups), queued and saved as the code-and-name editor.
//
// The e-mail address is stored with '~' in place of '@', which separates
// the fields of the record lists, and shown with '@'. Where the
// workstation's setting 14 is on, a new counterparty gets a site of its
// own as well; that site's number is taken when the save runs, inside its
// transaction, so two counterparties queued together, or saved from two
// workstations at once, never share one. The site takes the counterparty's
// code, name and address as they are at the save.
#include "masterdata/unSimple_Nomenklatura.h"

#include <map>

class QLabel;
class QLineEdit;
class QSpinBox;
class TListEdit;

class TfrmCustGroups : public TfrmSimple_Nomenklatura
{
    Q_OBJECT
public:
    explicit TfrmCustGroups(QWidget *AOwner = nullptr, TFormStyle AFormStyle = fsMDIChild);

    // The workstation's switch shows Image_obekt; the minibus picker is
    // filled and its text restored.
    bool InitForm() override;
    bool FormDone() override;
    // Then the e-mail column shows '@' again.
    bool DoExecute() override;
    // A new counterparty's site goes with it.
    bool DoNew() override;
    bool DoDelete() override;
    bool DoSave() override;

    // The grid's columns.
    enum { colCode, colName, colNDR, colBulstat, colMOL, colPref, colEmail, colGSM, colTelephone, colFax, colAdres,
           colUpravitel, colBus, colBusName, colTD, ColumnCount };

    // The statement that adds a counterparty's own site; the site's number
    // is read (max + 1) when the statement is built, inside the save.
    static QString SiteInsertSql(int SiteCode, int Customer, const QString &Name, const QString &Address,
                                 const QString &Telephone, const QString &Receiver);

    QLineEdit *ed_NDR = nullptr;
    QLineEdit *ed_Bulstat = nullptr;
    QLineEdit *ed_MOL = nullptr;
    QSpinBox *sePref_code = nullptr;
    QLineEdit *ed_E_mail = nullptr;
    QLineEdit *ed_GSM = nullptr;
    QLineEdit *ed_Telephone = nullptr;
    QLineEdit *ed_Fax = nullptr;
    QLineEdit *ed_Adres = nullptr;
    QLineEdit *ed_Upravitel = nullptr;
    TListEdit *leMicrobus = nullptr;
    QLabel *panelMicrobus = nullptr;
    QLineEdit *ed_TD_na_NAP = nullptr;
    QLabel *Image_obekt = nullptr;

protected:
    QString SelectSql() override;
    bool FetchRows(TDelimitedStringList &Rows) override;
    QString ValidateEditors() override;
    QStringList EditorRow() override;
    void LoadEditors(const QStringList &Row) override;
    QList<TColumnValue> EditorColumns() override;

private:
    // The site lines queued with new counterparties, by the counterparty's
    // line: the site is written with the counterparty's final code, name
    // and address, and goes when the counterparty goes.
    std::map<int, int> FSiteLines;
    bool FSitesOn = false;
};
