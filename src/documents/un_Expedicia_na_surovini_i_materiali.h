#pragma once
// Issues of raw materials and other resources to a customer (table
// Expedicia_na_surovini_i_materiali).
#include "documents/unResourceDocument.h"

class TfrmExpedicia_na_surovini_i_materiali : public TfrmResourceDocument
{
    Q_OBJECT
public:
    explicit TfrmExpedicia_na_surovini_i_materiali(QWidget *AOwner = nullptr, TFormStyle AFormStyle = fsMDIChild);
};
