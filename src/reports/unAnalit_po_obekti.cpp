#include "reports/unAnalit_po_obekti.h"

#include <QLabel>

#include "components/ListEdit.h"
#include "core/uHelpers.h"
#include "core/unRegistryFuncs.h"
#include "framework/QuorendFormClasses.h"

namespace {
const bool registered = RegisterQuorendFormClass<TfrmAnalit_po_obekti>(QStringLiteral("TfrmAnalit_po_obekti"));
const char *const kCustomerValue = "frmAnalit_po_obekti_leCustomer_Text";
} // namespace

TfrmAnalit_po_obekti::TfrmAnalit_po_obekti(QWidget *AOwner, TFormStyle AFormStyle)
    : TReceivablesReport(AOwner, AFormStyle)
{
    SetReport(QStringLiteral("frmAnalit_po_obekti"), QStringLiteral("Аналитична справка по обекти"),
              QStringLiteral("frmAnalit_po_obekti_dtp_From"), QStringLiteral("frmAnalit_po_obekti_dtp_To"));
    leCustomer = AddListParam(QStringLiteral("leCustomer"), QStringLiteral("Клиент:"),
                              QStringLiteral("panelCustomer"), panelCustomer);
}

bool TfrmAnalit_po_obekti::InitForm()
{
    QString text;
    GetRegistrySetting(QString::fromLatin1(kCustomerValue), text);
    FillListParam(leCustomer, QStringLiteral("SELECT code_c, name_c FROM CustGroups ORDER BY name_c"), text);
    return TReceivablesReport::InitForm();
}

bool TfrmAnalit_po_obekti::FormDone()
{
    SetRegistrySetting(QString::fromLatin1(kCustomerValue), leCustomer->text());
    return TReceivablesReport::FormDone();
}

QString TfrmAnalit_po_obekti::GetSubTitle()
{
    QString s = TReceivablesReport::GetSubTitle();
    if (!leCustomer->text().isEmpty())
        s = Format(QStringLiteral("клиент: %s - %s, %s"), {leCustomer->text(), panelCustomer->text(), s});
    return s;
}

// The customer typed or picked, as a number: a text that is no code gives
// 0, which no site belongs to.
int TfrmAnalit_po_obekti::Customer() const { return StrToIntOrZero(leCustomer->text()); }

// A receipt dated before the period and still unpaid at its beginning was
// owed then, whenever it was paid later (also after the period's end).
QString TfrmAnalit_po_obekti::OpeningSql(const QString &T, int F, int L)
{
    Q_UNUSED(L);
    const int C = Customer();
    return Format(QStringLiteral(
                      "SELECT Obekti.code_of_object, Obekti.name_o, Zaiavki.Total_sum INTO %s FROM Obekti LEFT JOIN "
                      "Zaiavki ON Obekti.code_of_object=Zaiavki.obekt WHERE ( Obekti.code_of_CustGroup = %d AND "
                      "Zaiavki.for_date < %d AND Zaiavki.Is_paid = False AND Zaiavki.Total_sum <> 0 ) OR ( "
                      "Obekti.code_of_CustGroup = %d AND Zaiavki.for_date < %d AND Zaiavki.Is_paid = True AND "
                      "Zaiavki.Paid_on >= %d AND Zaiavki.Total_sum <> 0 ) ORDER BY Obekti.code_of_object"),
                  {T, C, F, C, F, F});
}

QString TfrmAnalit_po_obekti::ReceivablesSql(const QString &T, int F, int L)
{
    return Format(QStringLiteral(
                      "SELECT Obekti.code_of_object, Obekti.name_o, Zaiavki.Total_sum INTO %s FROM Obekti LEFT JOIN "
                      "Zaiavki ON Obekti.code_of_object=Zaiavki.obekt WHERE ( Obekti.code_of_CustGroup = %d AND "
                      "Zaiavki.for_date >= %d AND Zaiavki.for_date <= %d AND Zaiavki.Total_sum <> 0 ) ORDER BY "
                      "Obekti.code_of_object"),
                  {T, Customer(), F, L});
}

QString TfrmAnalit_po_obekti::PaymentsSql(const QString &T, int F, int L)
{
    return Format(QStringLiteral(
                      "SELECT Obekti.code_of_object, Obekti.name_o, Zaiavki.Total_sum INTO %s FROM Obekti LEFT JOIN "
                      "Zaiavki ON Obekti.code_of_object=Zaiavki.obekt WHERE ( Obekti.code_of_CustGroup = %d AND "
                      "Zaiavki.for_date <= %d AND  Zaiavki.Is_paid = True AND  Zaiavki.Paid_on >= %d AND  "
                      "Zaiavki.Paid_on <= %d AND  Zaiavki.Total_sum <> 0 ) ORDER BY Obekti.code_of_object"),
                  {T, Customer(), L, F, L});
}

QString TfrmAnalit_po_obekti::GroupSql(const QString &T)
{
    return Format(QStringLiteral("SELECT %s.code_of_object, %s.name_o, Sum(%s.Total_sum) AS [Sum_Of_Total_sum] FROM "
                                 "%s GROUP BY %s.code_of_object, %s.name_o"),
                  {T, T, T, T, T, T});
}

QString TfrmAnalit_po_obekti::RowCaption() { return QStringLiteral("Обект"); }
