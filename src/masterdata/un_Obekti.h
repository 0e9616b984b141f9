#pragma once
// The editor of the counterparties' delivery sites (table Obekti), queued
// and saved as the code-and-name editor.
#include "masterdata/unSimple_Nomenklatura.h"

class QLabel;
class QLineEdit;
class TListEdit;

class TfrmObekti : public TfrmSimple_Nomenklatura
{
    Q_OBJECT
public:
    explicit TfrmObekti(QWidget *AOwner = nullptr, TFormStyle AFormStyle = fsMDIChild);

    // The counterparty picker filled, its text restored.
    bool InitForm() override;
    bool FormDone() override;

    enum { colCode, colName, colCustomer, colCustomerName, colGrad, colAdres, colTelefon, colPriel, ColumnCount };

    TListEdit *leCustomer = nullptr;
    QLabel *panelCustomer = nullptr;
    QLineEdit *edGrad = nullptr;
    QLineEdit *edAdres = nullptr;
    QLineEdit *edTelefon = nullptr;
    QLineEdit *edPriel = nullptr;

protected:
    QString SelectSql() override;
    QString ValidateEditors() override;
    QStringList EditorRow() override;
    void LoadEditors(const QStringList &Row) override;
    QList<TColumnValue> EditorColumns() override;
};
