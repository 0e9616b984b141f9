#include "reports/PeriodPartyReport.h"

#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>

#include "components/FlowLayout.h"
#include "components/Formatters.h"
#include "components/GridUtils.h"
#include "components/ListEdit.h"
#include "components/RichGrid.h"
#include "core/uDelimitedStrings.h"
#include "core/uHelpers.h"
#include "core/unRegistryFuncs.h"
#include "core/un_Ado_Connection.h"
#include "framework/LookupLists.h"

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

TPeriodPartyReport::TPeriodPartyReport(QWidget *AOwner, TFormStyle AFormStyle) : TPeriodForm(AOwner, AFormStyle) {}

void TPeriodPartyReport::SetReport(const QString &FormName, const QString &ACaption)
{
    SetName(FormName);
    FCaption = ACaption;
    setWindowTitle(ACaption);
    pnlCaption->setText(ACaption.toUpper());
}

void TPeriodPartyReport::AddParty(TPartyKind Kind, const QString &EditName, const QString &Label_,
                                  const QString &PanelName, const QString &Note, bool First)
{
    FPartyKind = Kind;
    lblParty = new QLabel(Label_, pnlParams);
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
    auto *layout = static_cast<TFlowLayout *>(pnlParams->layout());
    int at = First ? 0 : layout->count();
    for (QWidget *w : {static_cast<QWidget *>(lblParty), static_cast<QWidget *>(leParty),
                       static_cast<QWidget *>(panelParty)})
        layout->insertWidget(at++, w);
    if (!Note.isEmpty())
        layout->insertWidget(at, new QLabel(Note, pnlParams));
    if (First) {
        // The keyboard follows the panel from left to right.
        QWidget::setTabOrder(leParty, dtp_From);
        QWidget::setTabOrder(dtp_From, dtp_To);
    }
    connect(leParty, &QLineEdit::textChanged, this, [this] { ParamsChanged(); });
}

bool TPeriodPartyReport::InitForm()
{
    if (!TQuorendReadForm::InitForm())
        return false;
    RestoreDates();
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
    StoreDates();
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

int TPeriodPartyReport::PartyCode() const { return leParty ? StrToIntOrZero(leParty->text()) : 0; }
QString TPeriodPartyReport::PartyText() const { return leParty ? leParty->text() : QString(); }
QString TPeriodPartyReport::PartyName() const { return panelParty ? panelParty->text() : QString(); }

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

void TPeriodPartyReport::ShowMoneyRows(TDelimitedStringList &Rows, int FieldCount, const std::vector<int> &MoneyFields,
                                       int SumField)
{
    long double sum = 0;
    for (int i = 0; i < Rows.Count(); ++i) {
        QStringList fields = Rows.Strings(i).split(QChar('@'));
        while (fields.size() < FieldCount)
            fields << QString();
        for (const int f : MoneyFields) {
            QString money;
            FormatDotStr(fields[f], 2, money);
            fields[f] = money;
        }
        sum += DotStrToRoundedFloat(fields[SumField], ::AmountPrecision);
        Rows.SetStrings(i, fields.join(QChar('@')));
    }
    Rows.Add(ReportTotalsRecord(FieldCount, {{SumField, sum}}));
    ShowRows(Rows);
}
