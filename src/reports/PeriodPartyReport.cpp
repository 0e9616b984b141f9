#include "reports/PeriodPartyReport.h"

#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>

#include "components/Formatters.h"
#include "components/GridUtils.h"
#include "components/ListEdit.h"
#include "components/RichGrid.h"
#include "core/uDelimitedStrings.h"
#include "core/uHelpers.h"
#include "core/unRegistryFuncs.h"
#include "core/un_Ado_Connection.h"
#include "framework/LookupLists.h"

namespace {

QDateEdit *DateEdit(QWidget *Parent, const QString &Name)
{
    auto *edit = new QDateEdit(Parent);
    edit->setObjectName(Name);
    edit->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    edit->setCalendarPopup(true);
    edit->setDate(QDate::currentDate());
    return edit;
}

QLabel *Label(QWidget *Parent, const QString &Text)
{
    auto *label = new QLabel(Text, Parent);
    return label;
}

// A remembered date: the day number as text; nothing remembered (or a text
// that is no day number) leaves the date as it is.
void RestoreDate(const QString &Value, QDateEdit *Edit)
{
    if (Value.isEmpty())
        return;
    QString text;
    GetRegistrySetting(Value, text);
    const int day = StrToIntOrZero(text);
    if (day > 0)
        Edit->setDate(DayNumberToDate(day));
}

} // namespace

QString ReportTotalsRecord(int FieldCount, const std::vector<std::pair<int, long double>> &Sums)
{
    QStringList fields;
    for (int i = 0; i < FieldCount; ++i)
        fields << QString();
    fields[0] = HighlightMarker + QStringLiteral("Общо:");
    for (const auto &[field, sum] : Sums)
        fields[field] = Format(QStringLiteral("%.2f"), {sum});
    return fields.join(QChar('@'));
}

TPeriodPartyReport::TPeriodPartyReport(QWidget *AOwner, TFormStyle AFormStyle) : TQuorendReadForm(AOwner, AFormStyle)
{
    lblFrom = Label(pnlParams, QStringLiteral("От дата:"));
    dtp_From = DateEdit(pnlParams, QStringLiteral("dtp_From"));
    lblTo = Label(pnlParams, QStringLiteral("До дата:"));
    dtp_To = DateEdit(pnlParams, QStringLiteral("dtp_To"));
    for (QWidget *w : {static_cast<QWidget *>(lblFrom), static_cast<QWidget *>(dtp_From),
                       static_cast<QWidget *>(lblTo), static_cast<QWidget *>(dtp_To)})
        pnlParams->layout()->addWidget(w);
    connect(dtp_From, &QDateEdit::dateChanged, this, [this] { ParamsChanged(); });
    connect(dtp_To, &QDateEdit::dateChanged, this, [this] { ParamsChanged(); });
    actExecute->setEnabled(true);
}

void TPeriodPartyReport::SetReport(const QString &FormName, const QString &ACaption)
{
    SetName(FormName);
    FCaption = ACaption;
    setWindowTitle(ACaption);
    pnlCaption->setText(ACaption.toUpper());
}

void TPeriodPartyReport::AddParty(TPartyKind Kind, const QString &EditName, const QString &Label_,
                                  const QString &PanelName, const QString &Note)
{
    FPartyKind = Kind;
    lblParty = Label(pnlParams, Label_);
    leParty = new TListEdit(pnlParams);
    leParty->setObjectName(EditName);
    leParty->setMaximumWidth(90);
    panelParty = new QLabel(pnlParams);
    panelParty->setObjectName(PanelName);
    panelParty->setFrameShape(QFrame::Panel);
    panelParty->setFrameShadow(QFrame::Sunken);
    panelParty->setMinimumWidth(160);
    leParty->SetDescrControl(panelParty);
    leParty->SetDescrColumn(1);
    pnlParams->layout()->addWidget(lblParty);
    pnlParams->layout()->addWidget(leParty);
    pnlParams->layout()->addWidget(panelParty);
    if (!Note.isEmpty())
        pnlParams->layout()->addWidget(Label(pnlParams, Note));
    connect(leParty, &QLineEdit::textChanged, this, [this] { ParamsChanged(); });
}

void TPeriodPartyReport::RememberDates(const QString &FromValue, const QString &ToValue)
{
    FFromValue = FromValue;
    FToValue = ToValue;
}

void TPeriodPartyReport::AddParam(QWidget *Control) { pnlParams->layout()->addWidget(Control); }

bool TPeriodPartyReport::InitForm()
{
    if (!TQuorendReadForm::InitForm())
        return false;
    RestoreDate(FFromValue, dtp_From);
    RestoreDate(FToValue, dtp_To);
    if (leParty) {
        switch (FPartyKind) {
        case pkSupplier:
        case pkCustomer:
            FillCustGroupsList(this, leParty);
            break;
        case pkBus:
            FillBusesList(this, leParty);
            break;
        }
    }
    return true;
}

bool TPeriodPartyReport::FormDone()
{
    if (leParty)
        SetRegistrySetting(FPartyKind == pkBus ? QStringLiteral("code_bus_Text") : QStringLiteral("code_supplier_Text"),
                           leParty->text());
    if (!FFromValue.isEmpty())
        SetRegistrySetting(FFromValue, SqlDayNumber(From()));
    if (!FToValue.isEmpty())
        SetRegistrySetting(FToValue, SqlDayNumber(To()));
    return TQuorendReadForm::FormDone();
}

bool TPeriodPartyReport::BeforeShow()
{
    const bool result = TQuorendReadForm::BeforeShow();
    setWindowTitle(FCaption);
    pnlCaption->setText(FCaption.toUpper());
    if (FRunsAtOnce) {
        // A failing query is reported and leaves the window open, so that
        // the operator can change the parameters.
        try {
            Execute();
        } catch (const std::exception &E) {
            ShowFailure(E);
        }
    }
    return result;
}

QDate TPeriodPartyReport::From() const { return dtp_From->date(); }
QDate TPeriodPartyReport::To() const { return dtp_To->date(); }

void TPeriodPartyReport::SetPeriod(const QDate &AFrom, const QDate &ATo)
{
    dtp_From->setDate(AFrom);
    dtp_To->setDate(ATo);
}

int TPeriodPartyReport::PartyCode() const { return leParty ? StrToIntOrZero(leParty->text()) : 0; }
QString TPeriodPartyReport::PartyText() const { return leParty ? leParty->text() : QString(); }
QString TPeriodPartyReport::PartyName() const { return panelParty ? panelParty->text() : QString(); }

void TPeriodPartyReport::ParamsChanged() { ClearGrid(*Grid, 0); }

void TPeriodPartyReport::SetHeader(int ColCount, const std::vector<QStringList> &Texts, const QString &Merge)
{
    const int headerRows = int(Texts.size());
    Grid->SetColCount(ColCount);
    Grid->SetRowCount(headerRows + 1);
    Grid->SetFixedRows(headerRows);
    for (int r = 0; r < headerRows; ++r)
        for (int c = 0; c < Texts[r].size() && c < ColCount; ++c)
            Grid->SetCells(c, r, Texts[r][c]);
    Grid->SetMergeCellsStr(Merge);
}

void TPeriodPartyReport::SetMoneyColumns(const std::vector<int> &Cols)
{
    for (int c : Cols)
        Grid->GetColAttributes(c)->SetFormatter(ValueFormatter);
}

void TPeriodPartyReport::SetCentredColumns(const std::vector<int> &Cols)
{
    TCellAlignment centred;
    centred.Include(caCenter);
    for (int c : Cols)
        Grid->GetColAttributes(c)->SetAlignment(centred);
}

void TPeriodPartyReport::ShowRows(TDelimitedStrings &Rows)
{
    FilterRows(Rows, QString());
    FillGridFromDelimitedStrings(*Grid, Rows, true);
    SetHeaderSort(true);
}

void TPeriodPartyReport::Select(const QString &Sql, TDelimitedStringList &List)
{
    SelectToList(this, DbConnection, Sql, List);
}
