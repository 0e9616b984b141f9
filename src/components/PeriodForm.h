#pragma once
// The drop-down form of the period edit: a month or a range of months
// picked in a list, a quarter, a half-year, a month with accumulation, or a
// range of two dates. Its answer is a period text ("kind@a@b", see
// PeriodEdit.h).
#include <QString>

#include "components/DropDownForm.h"
#include "platform/EnumSet.h"

class QLabel;
class QListWidget;
class QMouseEvent;
class QTabWidget;
class TQuorendDateEdit;

// The kinds of periods; a period text's kind is the ordinal plus 1.
enum TPeriodType { ptMonth, ptQuarter, ptHalfYear, ptMonthWAccumulate, ptRange, ptMonthRange };
using TPeriodTypes = platform::EnumSet<TPeriodType, std::uint8_t>;

// The period text a type starts with: "1@1", "2@1", "3@1", "4@1", the
// current month as "5@yyyymmdd@yyyymmdd", "6@1@1".
QString DefaultPeriodText(TPeriodType Type);

class TPeriodDropForm : public TDropDownForm
{
    Q_OBJECT
public:
    explicit TPeriodDropForm(QWidget *parent = nullptr);
    ~TPeriodDropForm() override;

    // Shows the period: a month (1@m) or a range of months (6@m1@m2) on the
    // months page, two dates (5@yyyymmdd@yyyymmdd) on the range page. Any
    // other text, or one that does not read, shows "1@1".
    void SetPeriod(const QString &Text);
    QString PeriodText() const { return FPeriodText; }
    // The pages of the types in Set are shown; several months can be picked
    // only when ptMonthRange is in it.
    void SetVisibleTypes(TPeriodTypes Set);
    TPeriodTypes VisibleTypes() const { return FVisibleTypes; }
    // The date edits follow the months picked; picked months with gaps
    // become one range.
    void UpdateMonthsInfo();
    // The year of the months: the accounting link's working year, else the
    // current year.
    static int WorkingYear();

    // Inherited placing, then the width of the edit.
    void Popup() override;
    // The period text of the page shown, then the edit hears it. Refused
    // (the form stays open) when the range is reversed (with a warning) or
    // no month is picked.
    void Ok() override;
    // Whether Ok may go on now; shows the reversed-range warning.
    bool OkAllowed();

    void lbMonthsDblClick();
    void lbMonthsMouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers Shift);

    QTabWidget *pgPeriodType = nullptr;
    QWidget *tabMonth = nullptr;
    QWidget *tabQuarter = nullptr;
    QWidget *tabHalfYear = nullptr;
    QWidget *tabMonthWAccum = nullptr;
    QWidget *tabRange = nullptr;
    QListWidget *lbMonths = nullptr;
    QLabel *lblFrom = nullptr;
    QLabel *lblTo = nullptr;
    TQuorendDateEdit *dateFrom = nullptr;
    TQuorendDateEdit *dateTo = nullptr;

protected:
    bool eventFilter(QObject *Watched, QEvent *Event) override;

private:
    void ApplyPeriod(const QString &Text);
    QList<int> SelectedMonths() const;
    void SelectMonths(int First, int Last);

    QString FPeriodText;
    TPeriodTypes FVisibleTypes;
    bool FTypesSet = false;
};
