#include "reports/unArtikuli_po_klienti_i_obekti.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>

#include "components/ListEdit.h"
#include "components/RichGrid.h"
#include "core/uDelimitedStrings.h"
#include "core/uHelpers.h"
#include "core/unRegistryFuncs.h"
#include "framework/QuorendFormClasses.h"

namespace {
const bool registered = RegisterQuorendFormClass<TfrmArtikuli_po_klienti_i_obekti>(
    QStringLiteral("TfrmArtikuli_po_klienti_i_obekti"));
constexpr int kColumns = 6;
const char *const kCustomerValue = "frmArtikuli_po_klienti_i_obekti_leCustomer_Text";
} // namespace

TfrmArtikuli_po_klienti_i_obekti::TfrmArtikuli_po_klienti_i_obekti(QWidget *AOwner, TFormStyle AFormStyle)
    : TPeriodReportForm(AOwner, AFormStyle)
{
    SetReportTexts(QStringLiteral("frmArtikuli_po_klienti_i_obekti"),
                   QStringLiteral("Артикули по клиенти и обекти (на база стокови разписки)"));
    leCustomer = AddListParam(QStringLiteral("leCustomer"), QStringLiteral("Клиент:"),
                              QStringLiteral("panelCustomer"), panelCustomer);
    leObject = AddListParam(QStringLiteral("leObject"), QStringLiteral("Обект:"), QStringLiteral("PanelObject"),
                            PanelObject);
    // A new customer brings his own sites.
    leCustomer->OnChange = [this](QObject *) {
        FillSites();
        ParamsChanged();
    };

    rgTypesOfQueries = new QGroupBox(QStringLiteral(" Видове заявки: "));
    rgTypesOfQueries->setObjectName(QStringLiteral("rgTypesOfQueries"));
    rgTypesOfQueries->setFlat(true);
    auto *layout = new QHBoxLayout(rgTypesOfQueries);
    layout->setContentsMargins(4, 0, 4, 0);
    TypesOfQueries = new QButtonGroup(rgTypesOfQueries);
    const QString items[3] = {QStringLiteral("всички"), QStringLiteral("платени"), QStringLiteral("неплатени")};
    for (int i = 0; i < 3; ++i) {
        auto *button = new QRadioButton(items[i], rgTypesOfQueries);
        TypesOfQueries->addButton(button, i);
        layout->addWidget(button);
    }
    TypesOfQueries->button(0)->setChecked(true);
    rgTypesOfQueries->setMinimumWidth(rgTypesOfQueries->sizeHint().width());
    connect(TypesOfQueries, &QButtonGroup::idToggled, this, [this](int, bool Checked) {
        if (Checked)
            ParamsChanged();
    });
    AddParam(rgTypesOfQueries);
}

void TfrmArtikuli_po_klienti_i_obekti::SetReportTexts(const QString &FormName, const QString &ACaption)
{
    // Both product reports, and the two crosstabs by site, remember one
    // period and one customer.
    SetReport(FormName, ACaption, QStringLiteral("frmArtikuli_po_klienti_i_obekti_dtp_From"),
              QStringLiteral("frmArtikuli_po_klienti_i_obekti_dtp_To"));
}

bool TfrmArtikuli_po_klienti_i_obekti::InitForm()
{
    SetHeader(kColumns,
              {{QStringLiteral("Артикул"), QString(), QString(), QStringLiteral("Количество"), QStringLiteral("Цена"),
                QStringLiteral("Стойност")},
               {QStringLiteral("Шифър"), QStringLiteral("Наименование"), QStringLiteral("Мярка"), QString(),
                PriceCaption(), QString()}},
              QStringLiteral("0,0,2,0|3,0,3,1|5,0,5,1|"));
    Grid->GetColAttributes(3)->SetFormatter(AmountFormatter);
    Grid->GetColAttributes(4)->SetFormatter(PriceFormatter);
    Grid->GetColAttributes(5)->SetFormatter(ValueFormatter);
    QString text;
    GetRegistrySetting(QString::fromLatin1(kCustomerValue), text);
    FillListParam(leCustomer, QStringLiteral("SELECT code_c, name_c FROM CustGroups ORDER BY name_c"), text);
    FillSites();
    return TPeriodReportForm::InitForm();
}

void TfrmArtikuli_po_klienti_i_obekti::FillSites()
{
    FillListParam(leObject,
                  Format(QStringLiteral("SELECT code_of_object, name_o FROM Obekti WHERE ( code_of_CustGroup = %d )"),
                         {StrToIntOrZero(leCustomer->text())}),
                  QString());
}

bool TfrmArtikuli_po_klienti_i_obekti::FormDone()
{
    SetRegistrySetting(QString::fromLatin1(kCustomerValue), leCustomer->text());
    return TPeriodReportForm::FormDone();
}

int TfrmArtikuli_po_klienti_i_obekti::TypeOfQueries() const { return TypesOfQueries->checkedId(); }

void TfrmArtikuli_po_klienti_i_obekti::SetTypeOfQueries(int Index) { TypesOfQueries->button(Index)->setChecked(true); }

QString TfrmArtikuli_po_klienti_i_obekti::GetSubTitle()
{
    QString s = Format(QStringLiteral("видове заявки: %s, от дата %s до дата %s"),
                       {TypesOfQueries->checkedButton()->text(), DateToDisplayText(From()), DateToDisplayText(To())});
    if (!leObject->text().isEmpty())
        s = Format(QStringLiteral("обект: %s - %s, %s"), {leObject->text(), PanelObject->text(), s});
    if (!leCustomer->text().isEmpty())
        s = Format(QStringLiteral("клиент: %s - %s, %s"), {leCustomer->text(), panelCustomer->text(), s});
    return s;
}

QString TfrmArtikuli_po_klienti_i_obekti::DocumentFilter(int F, int L)
{
    return Format(
        QStringLiteral("Zaiavka_rows.Izdelie <> 0 AND Zaiavki.for_date >= %d AND Zaiavki.for_date <= %d "), {F, L});
}

QString TfrmArtikuli_po_klienti_i_obekti::PaidFilter(bool Paid)
{
    return Paid ? QStringLiteral("AND Zaiavki.Is_paid = True ") : QStringLiteral("AND Zaiavki.Is_paid = False ");
}

QString TfrmArtikuli_po_klienti_i_obekti::IntoSql(const QString &T, const QString &W)
{
    return Format(QStringLiteral("SELECT Zaiavka_rows.izdelie, Zaiavka_rows.quantity_izd, Zaiavka_rows.Value_of_row "
                                 "INTO %s FROM (Obekti LEFT JOIN Zaiavki ON Obekti.code_of_object = Zaiavki.obekt) "
                                 "LEFT JOIN Zaiavka_rows ON Zaiavki.Query_num = Zaiavka_rows.Query_num WHERE %s ORDER "
                                 "BY Zaiavka_rows.izdelie"),
                  {T, W});
}

QString TfrmArtikuli_po_klienti_i_obekti::PriceCaption() { return QStringLiteral("с ДДС"); }

// The customer and the site enter the statement as numbers: whatever the
// operator typed, a text that is no code becomes 0 and can neither break
// the statement nor widen it.
QString TfrmArtikuli_po_klienti_i_obekti::BuildFilter()
{
    QString W = DocumentFilter(DateToDayNumber(From()), DateToDayNumber(To()));
    if (TypeOfQueries() == 1)
        W += PaidFilter(true);
    else if (TypeOfQueries() == 2)
        W += PaidFilter(false);
    if (!leCustomer->text().isEmpty())
        W += Format(QStringLiteral("AND Obekti.code_of_CustGroup = %d "), {StrToIntOrZero(leCustomer->text())});
    if (!leObject->text().isEmpty())
        W += Format(QStringLiteral("AND Obekti.code_of_object = %d "), {StrToIntOrZero(leObject->text())});
    return W;
}

bool TfrmArtikuli_po_klienti_i_obekti::DoExecute()
{
    if (!TPeriodReportForm::DoExecute())
        return false;
    const QString T = WorkTableName(QStringLiteral("_apkio"));
    if (!DropWorkTable(T) || !Exec(IntoSql(T, BuildFilter())))
        return false;
    TDelimitedStringList R;
    if (!Select(Format(QStringLiteral(
                           "SELECT %s.izdelie, Izdelia.name_izd, Merki.v_Miarka, Sum(%s.quantity_izd) AS [Sum Of "
                           "quantity], Sum(%s.Value_of_row) AS [Sum Of Value_of_row], Sum(%s.Value_of_row) AS "
                           "SumOfValue_of_row FROM Merki LEFT JOIN (Izdelia LEFT JOIN %s ON Izdelia.code_izd = "
                           "%s.izdelie) ON Merki.n_Miarka = Izdelia.mjarka  GROUP BY %s.izdelie, Izdelia.name_izd, "
                           "Merki.v_Miarka HAVING (((%s.izdelie)<>0))"),
                       {T, T, T, T, T, T, T, T}),
                R))
        return false;
    long double quantity = 0, value = 0;
    for (int i = 0; i < R.Count(); ++i) {
        QString q, v, price;
        R.GetField(i, 3, q);
        R.GetField(i, 5, v);
        DivDotStr(v, q, price);
        FormatDotStr(price, 4, price);
        R.SetField(i, 4, price);
        quantity += DotStrToRoundedFloat(q, 2);
        value += DotStrToRoundedFloat(v, 2);
    }
    R.Add(TotalsRecord(kColumns, {3, 5}, {quantity, value}, {2, 2}));
    ShowRows(R);
    return DropWorkTable(T);
}
