#pragma once
// The lists of the documents that a minibus takes or brings back (export
// passes, returned-production protocols): one row per document of the
// period, however many lines it has.
#include "reports/PeriodPartyReport.h"

class TBusDocumentList : public TPeriodPartyReport
{
    Q_OBJECT
public:
    TBusDocumentList(QWidget *AOwner, TFormStyle AFormStyle);

    bool DoExecute() override;
    QString GetSubTitle() override;
    // The statement of a run.
    QString ListSql();

    // The minibus's code edit and the panel with its name.
    TListEdit *code_bus = nullptr;
    QLabel *panelMicrobus = nullptr;

protected:
    // The documents' table.
    virtual QString TableName() const = 0;
};
