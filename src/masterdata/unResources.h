#pragma once
// The editor of the raw materials and packaging (table Resources): code,
// name and unit of measure, queued and saved as the code-and-name editor.
#include "masterdata/unSimple_Nomenklatura.h"

class QLabel;
class TListEdit;

class TfrmResources : public TfrmSimple_Nomenklatura
{
    Q_OBJECT
public:
    explicit TfrmResources(QWidget *AOwner = nullptr, TFormStyle AFormStyle = fsMDIChild);

    // Then the unit list is filled from the units of measure.
    bool InitForm() override;

    QLabel *lblMiarka = nullptr;
    TListEdit *leMiarka = nullptr;
    QLabel *lblMiarkaName = nullptr;

protected:
    QString SelectSql() override;
    QString ValidateEditors() override;
    QStringList EditorRow() override;
    void LoadEditors(const QStringList &Row) override;
    QList<TColumnValue> EditorColumns() override;
};
