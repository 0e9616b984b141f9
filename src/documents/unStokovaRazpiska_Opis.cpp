#include "documents/unStokovaRazpiska_Opis.h"

#include "components/Formatters.h"
#include "components/GridUtils.h"
#include "components/ListEdit.h"
#include "components/RichGrid.h"
#include "core/uHelpers.h"
#include "core/unRegistryFuncs.h"
#include "core/un_Ado_Connection.h"
#include "documents/unPrintStokovaRazpiska.h"
#include "documents/unStokovaRazpiska.h"
#include "framework/LookupLists.h"
#include "framework/QuorendFormClasses.h"

#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace {

const bool registered =
    RegisterQuorendFormClass<TfrmStokovaRazpiska_Opis>(QStringLiteral("TfrmStokovaRazpiska_Opis"));

} // namespace

TfrmStokovaRazpiska_Opis::TfrmStokovaRazpiska_Opis(QWidget *AOwner, TFormStyle AFormStyle)
    : TDocumentPeriodList(AOwner, AFormStyle, QStringLiteral("frmStokovaRazpiska_Opis"), true)
{
    setObjectName(QStringLiteral("frmStokovaRazpiska_Opis"));
    setWindowTitle(QStringLiteral("Опис на стокови разписки"));
    auto *params = pnlParams->layout();
    params->addWidget(new QLabel(QStringLiteral("Микробус:"), pnlParams));
    code_bus = new TListEdit(pnlParams);
    code_bus->setObjectName(QStringLiteral("code_bus"));
    code_bus->setMaximumWidth(90);
    params->addWidget(code_bus);
    panelMicrobus = new QLabel(pnlParams);
    panelMicrobus->setObjectName(QStringLiteral("panelMicrobus"));
    panelMicrobus->setFrameShape(QFrame::Panel);
    panelMicrobus->setFrameShadow(QFrame::Sunken);
    panelMicrobus->setMinimumWidth(160);
    params->addWidget(panelMicrobus);
    code_bus->SetDescrControl(panelMicrobus);
    code_bus->SetDescrColumn(1);
    btnMarkAll_4_Payment = new QPushButton(QStringLiteral("Маркирай всички за плащане"), pnlParams);
    btnMarkAll_4_Payment->setObjectName(QStringLiteral("btnMarkAll_4_Payment"));
    params->addWidget(btnMarkAll_4_Payment);
    connect(btnMarkAll_4_Payment, &QPushButton::clicked, this, [this] { RunHeld([this] { btnMarkAll_4_PaymentClick(); }); });
    connect(code_bus, &QLineEdit::textChanged, this, [this] { code_busChange(); });
    connect(code_bus, &TCustomListEdit::Picked, this, [this] { code_busBitButtonClick(); });

    labPaymentHint = new QLabel(
        QStringLiteral("Натиснете интервал в колона \"Плащане\" за да маркирате документ, че е платен. След това "
                       "натиснете бутон \"Плащане\"."),
        ClientArea);
    labPaymentHint->setObjectName(QStringLiteral("labPaymentHint"));
    labPaymentHint->setTextFormat(Qt::PlainText);
    ClientLayout->addWidget(labPaymentHint);
    labHint->setText(QStringLiteral("Натиснете <CTRL> + <F9> за отпечатване на документ."));
    labHint->setTextFormat(Qt::PlainText);
    btnPrintContract->setText(QStringLiteral("Печат на стокава разписка"));

    Grid->SetColCount(12);
    Grid->SetFixedRows(1);
    Grid->SetRows(0, {QStringLiteral("N:"), QStringLiteral("от дата"), QStringLiteral("За обект"),
                      QStringLiteral("Наименование"), QStringLiteral("За дата"), QStringLiteral("Обща сума"),
                      QStringLiteral("Платена"), QStringLiteral("на дата"), QStringLiteral("Плащане"),
                      QStringLiteral("Извънредна"), QStringLiteral("Клиент"), QStringLiteral("Наименование")});
    actExecute->setEnabled(true);
}

TfrmStokovaRazpiska_Opis::~TfrmStokovaRazpiska_Opis() = default;

bool TfrmStokovaRazpiska_Opis::InitForm()
{
    if (!TDocumentPeriodList::InitForm())
        return false;
    Grid->GetColAttributes(5)->SetFormatter(ValueFormatter);
    {
        const QSignalBlocker block(code_bus);
        FillBusesList(this, code_bus);
    }
    return true;
}

bool TfrmStokovaRazpiska_Opis::FormDone()
{
    SetRegistrySetting(QStringLiteral("code_bus_Text"), code_bus->text());
    return TDocumentPeriodList::FormDone();
}

QString TfrmStokovaRazpiska_Opis::GetSubTitle()
{
    QString prefix;
    const int bus = StrToIntOrZero(code_bus->text());
    if (bus > 0)
        prefix = Format(QStringLiteral("за микробус %s - %s, "), {code_bus->text().trimmed(), panelMicrobus->text()});
    return prefix + TDocumentPeriodList::GetSubTitle();
}

bool TfrmStokovaRazpiska_Opis::DoExecute()
{
    QString sql = Format(
        QStringLiteral("SELECT Zaiavki.Query_num, Zaiavki.datetime_z, Zaiavki.obekt, Obekti.name_o, Zaiavki.for_date, "
                       "Zaiavki.Total_sum, Zaiavki.Is_paid, Zaiavki.Paid_on, Zaiavki.Is_Urgent, Zaiavki.Is_Urgent, "
                       "Obekti.code_of_CustGroup, CustGroups.name_c FROM (CustGroups LEFT JOIN Obekti ON "
                       "CustGroups.code_c = Obekti.code_of_CustGroup) LEFT JOIN Zaiavki ON Obekti.code_of_object = "
                       "Zaiavki.obekt WHERE Zaiavki.Query_num <> 0 and  Zaiavki.for_date >= %d and Zaiavki.for_date "
                       "<= %d "),
        {DateToDayNumber(dtp_From->date()), DateToDayNumber(dtp_To->date())});
    const int bus = StrToIntOrZero(code_bus->text());
    if (bus >= 1)
        sql += Format(QStringLiteral("AND CustGroups.c_bus = %d "), {bus});
    sql += QStringLiteral("ORDER BY Zaiavki.Query_num ");
    TDelimitedStringList rows;
    if (!SelectToList(this, DbConnection, sql, rows))
        return false;
    // Is_Urgent stands twice in the query: the second shows, the first is
    // the payment mark.
    ShowDocumentRows(rows, {12, 5, {6, 9}, {7}, {8}});
    return true;
}

void TfrmStokovaRazpiska_Opis::code_busChange() { ClearGrid(*Grid, 0); }

void TfrmStokovaRazpiska_Opis::code_busBitButtonClick() { ClearGrid(*Grid, 0); }

void TfrmStokovaRazpiska_Opis::OpenDocument(int, long double Number) { OpenStokovaRazpiska(Number); }

void TfrmStokovaRazpiska_Opis::PrintDocument(long double Number) { PrintStokovaRazpiska(this, Number); }

QString TfrmStokovaRazpiska_Opis::PaymentStatement(int Day, long double Number) const
{
    return Format(QStringLiteral("Update Zaiavki Set Is_Paid = True, Paid_On = %d Where ( Query_num = %f AND Is_Paid = False )"),
                  {Day, Number});
}

TDocumentName TfrmStokovaRazpiska_Opis::RowDocumentName(int Row) const
{
    return {QStringLiteral("Стокова разписка ") + Grid->Cells(0, Row).trimmed(), ngFeminine};
}

QString TfrmStokovaRazpiska_Opis::PaymentFailureMessage() const
{
    return QStringLiteral("Грешка при актуализиране на \"Заявки\".");
}
