#pragma once
// "Оборот по обекти (на база стокови разписки)": the receipts' totals per
// site and delivery date, and the chart of one site's turnover over the
// period with its average.
#include "reports/SiteCrosstabReport.h"

class QCheckBox;
class QScrollBar;
class QSpinBox;
class QToolButton;
class TTurnoverChart;

class TfrmOborot_po_obekti : public TSiteCrosstabReport
{
    Q_OBJECT
public:
    TfrmOborot_po_obekti(QWidget *AOwner, TFormStyle AFormStyle);

    bool InitForm() override;
    bool DoExecute() override;
    // The chart follows the grid at once: a run, or a parameter change that
    // clears the grid, redraws it for the current row.
    bool Execute() override;
    void ParamsChanged() override;
    // The parameter panel comes back with the 3-D bars and the page
    // buttons in their own states.
    void EnableActions(bool Enable) override;

    // The WHERE text of the period, ending in a blank.
    QString BuildDateFilter();
    // The chart of the grid's current row.
    void GridClick();

    TTurnoverChart *Chart = nullptr;
    QCheckBox *cb_3D = nullptr;
    QScrollBar *ScrollBar_2D_3D = nullptr;
    QScrollBar *ScrollBar_Rotation = nullptr;
    QCheckBox *cbSteps = nullptr;
    QSpinBox *sp_dots_X = nullptr;
    QToolButton *BFirstPage = nullptr;
    QToolButton *ButtonPrevious = nullptr;
    QToolButton *ButtonNext = nullptr;
    QToolButton *BLastPage = nullptr;

protected:
    QString CornerCaption() override;

private:
    void UpdatePageButtons();
    void Apply3D();
};
