#include "reports/unDvijenie_na_surovini_i_materiali.h"

#include "components/RichGrid.h"
#include "core/uHelpers.h"
#include "core/un_Ado_Connection.h"
#include "framework/QuorendFormClasses.h"

namespace {
const bool registered = RegisterQuorendFormClass<TfrmDvijenie_na_surovini_i_materiali>(
    QStringLiteral("TfrmDvijenie_na_surovini_i_materiali"));

const char *const kDeliveries = "Dostavki";
const char *const kIssues = "Iskane_za_otpuskane_na_surovini_i_materiali";
const char *const kExpeditions = "Expedicia_na_surovini_i_materiali";
} // namespace

TfrmDvijenie_na_surovini_i_materiali::TfrmDvijenie_na_surovini_i_materiali(QWidget *AOwner, TFormStyle AFormStyle)
    : TMovementReport(AOwner, AFormStyle)
{
    SetReport(QStringLiteral("frmDvijenie_na_surovini_i_materiali"), QStringLiteral("Движение на суровини и материали"),
              QStringLiteral("frmAnalit_po_klienti_dtp_From"), QStringLiteral("frmAnalit_po_klienti_dtp_To"));
}

bool TfrmDvijenie_na_surovini_i_materiali::InitForm()
{
    const QString qv[2] = {QStringLiteral("количество"), QStringLiteral("стойност")};
    SetHeader(14,
              {{QStringLiteral("Суровина/Материал"), QString(), QString(), QStringLiteral("Средна"),
                QStringLiteral("Начално салдо"), QString(), QStringLiteral("Доставки"), QString(),
                QStringLiteral("Изписване"), QString(), QStringLiteral("Експедиция"), QString(),
                QStringLiteral("Крайно салдо"), QString()},
               {QStringLiteral("шифър"), QStringLiteral("наименование"), QStringLiteral("мярка"),
                QStringLiteral("цена"), qv[0], qv[1], qv[0], qv[1], qv[0], qv[1], qv[0], qv[1], qv[0], qv[1]}},
              QStringLiteral("0,0,2,0|4,0,5,0|6,0,7,0|8,0,9,0|10,0,11,0|12,0,13,0|"));
    const bool ok = TMovementReport::InitForm();
    Grid->GetColAttributes(3)->SetFormatter(PriceFormatter);
    for (int c = 4; c <= 12; c += 2) {
        Grid->GetColAttributes(c)->SetFormatter(AmountFormatter);
        Grid->GetColAttributes(c + 1)->SetFormatter(ValueFormatter);
    }
    return ok;
}

QString TfrmDvijenie_na_surovini_i_materiali::OpeningSql(const QString &Table)
{
    return Format(QStringLiteral("SELECT code_r,        Sum( quantity_r ) AS SumOfquantity_r FROM %s WHERE ( date_doc "
                                 "< %d ) GROUP BY code_r"),
                  {Table, DateToDayNumber(From())});
}

QString TfrmDvijenie_na_surovini_i_materiali::PeriodSql(const QString &Table)
{
    return Format(QStringLiteral("SELECT code_r,        Sum( quantity_r ) AS SumOfquantity_r FROM %s WHERE ( date_doc "
                                 ">= %d AND date_doc <= %d ) GROUP BY code_r"),
                  {Table, DateToDayNumber(From()), DateToDayNumber(To())});
}

QString TfrmDvijenie_na_surovini_i_materiali::AveragePriceSql()
{
    return Format(QStringLiteral("SELECT Dostavki.code_r,        Sum(Dostavki.quantity_r) AS SumOfquantity_r,        "
                                 "Sum(Dostavki.value_r) AS SumOfvalue_r,        [SumOfvalue_r]/[SumOfquantity_r] AS "
                                 "AVG_price FROM Dostavki WHERE (  ((Dostavki.date_doc) <= %d ) AND ( "
                                 "Dostavki.quantity_r > 0 ) ) GROUP BY Dostavki.code_r ORDER BY Dostavki.code_r"),
                  {DateToDayNumber(To())});
}

int TfrmDvijenie_na_surovini_i_materiali::FindItem(const QString &Code) { return IndexOfFieldValue(Code, &R, 0); }

QString TfrmDvijenie_na_surovini_i_materiali::MissingCodeMessage() const
{
    return QStringLiteral("Шифър %s липсва в номенклатурата на суровини и материали.");
}

bool TfrmDvijenie_na_surovini_i_materiali::DoExecute()
{
    if (!TMovementReport::DoExecute())
        return false;
    R.Clear();
    if (!Select(QStringLiteral("SELECT Resources.code_r,        Resources.name_r,        Merki.v_Miarka FROM Merki "
                               "LEFT JOIN Resources ON Merki.n_Miarka = Resources.miarka_r Where Resources.code_r <> 0 "
                               "ORDER BY name_r"),
                R))
        return false;
    for (int i = 0; i < R.Count(); ++i)
        R.SetStrings(i, R.Strings(i) + QStringLiteral("@@@@@@@@@"));

    const QString deliveries = QString::fromLatin1(kDeliveries);
    const QString issues = QString::fromLatin1(kIssues);
    const QString expeditions = QString::fromLatin1(kExpeditions);
    if (!SelectOpening(deliveries))
        return false;
    AddToColumn(4);
    if (!SelectOpening(issues))
        return false;
    SubtractFromColumn(4);
    if (!SelectOpening(expeditions))
        return false;
    SubtractFromColumn(4);
    if (!SelectPeriod(deliveries))
        return false;
    AddToColumn(6);
    if (!SelectPeriod(issues))
        return false;
    AddToColumn(8);
    if (!SelectPeriod(expeditions))
        return false;
    AddToColumn(10);

    KeepMoved({4, 6, 8, 10});
    for (int i = 0; i < R.Count(); ++i) {
        QString f[4];
        for (int k = 0; k < 4; ++k)
            R.GetField(i, 4 + 2 * k, f[k]);
        QString closing;
        FloatToDotStr(-1, closing,
                      DotStrToFloat(f[0]) + DotStrToFloat(f[1]) - DotStrToFloat(f[2]) - DotStrToFloat(f[3]));
        R.SetField(i, 12, closing);
    }

    Q.Clear();
    if (!Select(AveragePriceSql(), Q))
        return false;
    for (int i = 0; i < Q.Count(); ++i) {
        QString code, average;
        Q.GetField(i, 0, code);
        const int at = IndexOfFieldValue(code, &R, 0);
        if (at < 0)
            continue;
        Q.GetField(i, 3, average);
        QString price;
        FormatDotStr(average, 4, price);
        R.SetField(at, 3, price);
        long double values[4];
        for (int k = 0; k < 4; ++k) {
            QString quantity, value;
            R.GetField(at, 4 + 2 * k, quantity);
            MulDotStr(quantity, price, value);
            FormatDotStr(value, 2, value);
            R.SetField(at, 5 + 2 * k, value);
            values[k] = DotStrToFloat(value);
        }
        QString closing;
        FloatToDotStr(2, closing, values[0] + values[1] - values[2] - values[3]);
        R.SetField(at, 13, closing);
    }
    ShowRows(R);
    return true;
}
