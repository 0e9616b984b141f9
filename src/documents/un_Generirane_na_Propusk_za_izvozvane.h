#pragma once
// The generation of an export pass: for a day (and a minibus, when one is
// chosen) what the expedition requests ask for, what the passes already
// carry and what remains, per product and packaging. The clerk adjusts the
// quantities to pass now in the grid, and F2 writes them as one new pass of
// the chosen minibus, numbered inside the save.
#include <QString>

#include "framework/DocumentSave.h"
#include "framework/QuorendReadForm.h"

class QDateEdit;
class QLabel;
class TDelimitedStringList;
class TListEdit;

class TfrmGenerirane_na_Propusk_za_izvozvane : public TQuorendReadForm
{
    Q_OBJECT
public:
    // Grid columns.
    enum {
        colCode = 0, colName, colUnit, colRequested, colPassed, colRemaining, colToPass,
        colPackCode, colPackName, colPackRequested, colPackPassed, colPackRemaining, colPackToPass, colCount
    };

    explicit TfrmGenerirane_na_Propusk_za_izvozvane(QWidget *AOwner = nullptr, TFormStyle AFormStyle = fsMDIChild);

    bool InitForm() override;
    bool FormDone() override;
    bool BeforeShow() override;
    QString GetSubTitle() override;
    bool DoExecute() override;
    bool DoSave() override;
    bool IsSaveEnabled() override { return true; }

    // The rows of the day: requests, then the passes matched to them, with
    // the remainders (grid records of 13 fields).
    bool LoadRows(TDelimitedStringList &Rows);

    // The minibus chosen: 0 for none (every minibus's requests); -1 when
    // the text is no minibus of the list.
    int ChosenBus() const;

    // --- handlers
    void GridClick();
    void GridKeyPress(QChar &Key);

    TListEdit *code_bus = nullptr;
    QLabel *panelMicrobus = nullptr;
    QDateEdit *date_doc = nullptr;

private:
    // What the day's passes held when the rows were read, by product and
    // packaging: a pass generated meanwhile elsewhere would be passed again.
    TLoadedRows FPassed;
};
