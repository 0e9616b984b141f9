#pragma once
// Acts of produced production (table Akt_za_proizvedena_produkcia).
#include "documents/unLineAct.h"

class TfrmAkt_za_proizvedena_produkcia : public TfrmLineAct
{
    Q_OBJECT
public:
    explicit TfrmAkt_za_proizvedena_produkcia(QWidget *AOwner = nullptr, TFormStyle AFormStyle = fsMDIChild);
};
