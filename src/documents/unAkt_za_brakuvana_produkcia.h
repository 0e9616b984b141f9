#pragma once
// Acts of rejected production (table Akt_za_brakuvana_produkcia).
#include "documents/unLineAct.h"

class TfrmAkt_za_brakuvana_produkcia : public TfrmLineAct
{
    Q_OBJECT
public:
    explicit TfrmAkt_za_brakuvana_produkcia(QWidget *AOwner = nullptr, TFormStyle AFormStyle = fsMDIChild);
};
