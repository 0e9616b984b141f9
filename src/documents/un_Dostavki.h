#pragma once
// Deliveries of raw materials and other resources from a supplier (table
// Dostavki), with the supplier's invoice number and date.
#include "documents/unResourceDocument.h"

class TfrmDostavki : public TfrmResourceDocument
{
    Q_OBJECT
public:
    explicit TfrmDostavki(QWidget *AOwner = nullptr, TFormStyle AFormStyle = fsMDIChild);
};
