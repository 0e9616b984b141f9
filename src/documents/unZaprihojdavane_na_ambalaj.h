#pragma once
// Receipts of packaging into stock (table Zaprihojdavane_na_ambalaj).
#include "documents/unLineAct.h"

class TfrmZaprihojdavane_na_ambalaj : public TfrmLineAct
{
    Q_OBJECT
public:
    explicit TfrmZaprihojdavane_na_ambalaj(QWidget *AOwner = nullptr, TFormStyle AFormStyle = fsMDIChild);
};
