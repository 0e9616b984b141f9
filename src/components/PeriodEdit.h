#pragma once
// The period edit: shows a period in words and drops down the period form
// to choose it. The period is kept as a period text "kind@a@b":
//
//   1@m          month m (1-12)                 4@m   months 1 to m of the year
//   2@q          quarter q (1-4)                5@yyyymmdd@yyyymmdd   two dates
//   3@h          half-year h (1-2)              6@m1@m2   months m1 to m2
//
// The year is not part of the text: months are those of the working year.
// The text is not typed; Up and Down step a month, quarter or half-year,
// Delete empties the period, a click or the button drops the form down.
#include <QString>

#include "components/FormEdit.h"
#include "components/PeriodForm.h"

class TPeriodEdit : public TCustomFormEdit
{
    Q_OBJECT
public:
    explicit TPeriodEdit(QWidget *parent = nullptr);
    ~TPeriodEdit() override;

    QString Period() const { return FPeriod; }
    // A text that is no period becomes empty; a period of a type that is
    // not visible becomes the default text of the first visible type;
    // 6 with a missing month becomes 6@1@1. The edit shows it in words.
    void SetPeriod(const QString &Value);
    TPeriodTypes VisiblePeriodTypes() const { return FVisiblePeriodTypes; }
    void SetVisiblePeriodTypes(TPeriodTypes Value) { FVisiblePeriodTypes = Value; }
    bool LoadLastPeriod() const { return FLoadLastPeriod; }
    void SetLoadLastPeriod(bool Value) { FLoadLastPeriod = Value; }
    bool SaveLastPeriod() const { return FSaveLastPeriod; }
    void SetSaveLastPeriod(bool Value) { FSaveLastPeriod = Value; }
    // The words show the year too.
    bool ShowYear() const { return FShowYear; }
    void SetShowYear(bool Value);
    bool English() const { return FEnglish; }
    void SetEnglish(bool Value) { FEnglish = Value; }
    TPeriodDropForm *PeriodForm() const { return FPeriodForm; }

    // After the owner has set the edit up: the last period where the
    // accounting link keeps one (never, here), else the working month
    // without LoadLastPeriod, else the period as set.
    void Loaded();
    // Months, months with accumulation, quarters and halves step up (to 12,
    // 12, 4, 2) or down (to 1); ranges do not step.
    void UpClick() override;
    void DownClick() override;
    // The form's period becomes the edit's, then OnFormOk.
    void FormOk() override;
    // The form gets the visible types and the period, then drops down.
    void DropDown() override;

protected:
    void keyPressEvent(QKeyEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;

private:
    void Step(int Delta);
    QString RegistryName() const;

    QString FPeriod;
    TPeriodTypes FVisiblePeriodTypes{ptMonth, ptRange, ptMonthRange};
    bool FLoadLastPeriod = true;
    bool FSaveLastPeriod = true;
    bool FShowYear = true;
    bool FEnglish = false;
    TPeriodDropForm *FPeriodForm = nullptr;
};
