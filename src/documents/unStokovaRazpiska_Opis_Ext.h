#pragma once
// Every line of every goods receipt of a period of delivery dates ("Опис на
// стокови разписки по артикули"): F3 opens the line's receipt, Ctrl+F9
// prints it.
#include "core/uDelimitedStrings.h"
#include "documents/DocumentPeriodList.h"

class TfrmStokovaRazpiska_Opis_Ext : public TDocumentPeriodList
{
    Q_OBJECT
public:
    explicit TfrmStokovaRazpiska_Opis_Ext(QWidget *AOwner = nullptr, TFormStyle AFormStyle = fsMDIChild);
    ~TfrmStokovaRazpiska_Opis_Ext() override;

    bool InitForm() override;
    bool DoExecute() override;

protected:
    void OpenDocument(int Row, long double Number) override;
    void PrintDocument(long double Number) override;
};
