#include "reports/ReportForm.h"

#include <QDateEdit>
#include <QLabel>
#include <QLayout>

#include "components/QuorendDateEdit.h"
#include "components/GridUtils.h"
#include "components/ListEdit.h"
#include "components/RichGrid.h"
#include "core/uDelimitedStrings.h"
#include "core/uHelpers.h"
#include "core/unRegistryFuncs.h"
#include "core/un_Ado_Connection.h"
#include "framework/LookupLists.h"

// ---------------------------------------------------------------- TReportForm

TReportForm::TReportForm(QWidget *AOwner, TFormStyle AFormStyle) : TQuorendReadForm(AOwner, AFormStyle) {}

QDateEdit *TReportForm::AddDateParam(const QString &Name, const QString &Label, QLabel *&Caption)
{
    Caption = new QLabel(Label, pnlParams);
    auto *edit = new TQuorendDatePicker(pnlParams);
    edit->setObjectName(Name);
    edit->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    edit->setCalendarPopup(true);
    edit->setDate(QDate::currentDate());
    Caption->setBuddy(edit);
    pnlParams->layout()->addWidget(Caption);
    pnlParams->layout()->addWidget(edit);
    connect(edit, &QDateEdit::dateChanged, this, [this] { ParamsChanged(); });
    return edit;
}

void TReportForm::AddParam(QWidget *Control)
{
    Control->setParent(pnlParams);
    pnlParams->layout()->addWidget(Control);
}

TListEdit *TReportForm::AddListParam(const QString &Name, const QString &Label, const QString &PanelName,
                                     QLabel *&Panel)
{
    auto *caption = new QLabel(Label, pnlParams);
    auto *edit = new TListEdit(pnlParams);
    edit->setObjectName(Name);
    edit->setFixedWidth(80);
    caption->setBuddy(edit);
    Panel = new QLabel(pnlParams);
    Panel->setObjectName(PanelName);
    Panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel->setMinimumWidth(140);
    edit->SetDescrControl(Panel);
    edit->SetDescrColumn(1);
    edit->OnChange = [this](QObject *) { ParamsChanged(); };
    pnlParams->layout()->addWidget(caption);
    pnlParams->layout()->addWidget(edit);
    pnlParams->layout()->addWidget(Panel);
    return edit;
}

void TReportForm::ParamsChanged()
{
    if (Grid->RowCount() > Grid->FixedRows())
        Grid->ClearRowsAttributes(Grid->FixedRows(), Grid->RowCount() - 1, 2 | 4);
    ClearGrid(*Grid, 0);
}

bool TReportForm::Select(const QString &Sql, TDelimitedStringList &List)
{
    return SelectToList(this, DbConnection, Sql, List);
}

void TReportForm::SetHeader(int ColCount, const std::vector<QStringList> &Texts, const QString &Merge)
{
    Grid->SetColCount(ColCount);
    Grid->SetRowCount(static_cast<int>(Texts.size()) + 1);
    Grid->SetFixedRows(static_cast<int>(Texts.size()));
    for (size_t r = 0; r < Texts.size(); ++r)
        Grid->SetRows(static_cast<int>(r), Texts[r]);
    Grid->SetMergeCellsStr(Merge);
}

void TReportForm::RestoreDate(const QString &Value, QDateEdit *Edit)
{
    if (Value.isEmpty())
        return;
    QString text;
    GetRegistrySetting(Value, text);
    const int day = StrToIntOrZero(text);
    if (day > 0)
        Edit->setDate(DayNumberToDate(day));
}

void TReportForm::StoreDate(const QString &Value, const QDate &Date)
{
    if (!Value.isEmpty())
        SetRegistrySetting(Value, SqlDayNumber(Date));
}

// ---------------------------------------------------------------- TPeriodForm

TPeriodForm::TPeriodForm(QWidget *AOwner, TFormStyle AFormStyle) : TReportForm(AOwner, AFormStyle)
{
    dtp_From = AddDateParam(QStringLiteral("dtp_From"), QStringLiteral("От дата:"), lblFrom);
    dtp_To = AddDateParam(QStringLiteral("dtp_To"), QStringLiteral("До дата:"), lblTo);
    actExecute->setEnabled(true);
}

QDate TPeriodForm::From() const { return dtp_From->date(); }
QDate TPeriodForm::To() const { return dtp_To->date(); }

void TPeriodForm::SetPeriod(const QDate &AFrom, const QDate &ATo)
{
    dtp_From->setDate(AFrom);
    dtp_To->setDate(ATo);
}

void TPeriodForm::RememberDates(const QString &FromValue, const QString &ToValue)
{
    FFromValue = FromValue;
    FToValue = ToValue;
}

void TPeriodForm::RestoreDates()
{
    RestoreDate(FFromValue, dtp_From);
    RestoreDate(FToValue, dtp_To);
}

void TPeriodForm::StoreDates()
{
    StoreDate(FFromValue, From());
    StoreDate(FToValue, To());
}
