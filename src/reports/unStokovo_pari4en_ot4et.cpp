#include "reports/unStokovo_pari4en_ot4et.h"

#include "components/RichGrid.h"
#include "core/uDelimitedStrings.h"
#include "core/uHelpers.h"
#include "core/un_Ado_Connection.h"
#include "framework/QuorendFormClasses.h"

namespace {
const bool registered =
    RegisterQuorendFormClass<TfrmStokovo_pari4en_ot4et>(QStringLiteral("TfrmStokovo_pari4en_ot4et"));
constexpr int kColumns = 14;
} // namespace

QStringList SpreadIndirectCost(const QStringList &SalesValues, long double I)
{
    QStringList shares;
    for (int i = 0; i < SalesValues.size(); ++i)
        shares << QString();
    long double V = 0;
    for (const QString &v : SalesValues)
        V += DotStrToFloat(v);
    if (V == 0 || I == 0)
        return shares;
    const long double r = I / V;
    long double D = 0;
    int largest = -1;
    long double largestShare = 0;
    for (int i = 0; i < SalesValues.size(); ++i) {
        FloatToFixedDotStr(2, shares[i], DotStrToFloat(SalesValues[i]) * r);
        const long double share = DotStrToFloat(shares[i]);
        D += share;
        if (share > 0 && share > largestShare) {
            largestShare = share;
            largest = i;
        }
    }
    // The sums compare at the cent: binary noise of the additions is no
    // remainder.
    if (RoundFloat(2, D) != RoundFloat(2, I) && largest >= 0)
        FloatToDotStr(-1, shares[largest], RoundFloat(2, largestShare + I - D));
    return shares;
}

TfrmStokovo_pari4en_ot4et::TfrmStokovo_pari4en_ot4et(QWidget *AOwner, TFormStyle AFormStyle)
    : TPeriodReportForm(AOwner, AFormStyle)
{
    SetReport(QStringLiteral("frmStokovo_pari4en_ot4et"), QStringLiteral("Месечен стоково-паричен отчет"),
              QStringLiteral("frmStokovo_pari4en_ot4et_dtp_From"), QStringLiteral("frmStokovo_pari4en_ot4et_dtp_To"));
}

bool TfrmStokovo_pari4en_ot4et::InitForm()
{
    const QString price = QStringLiteral("Цена");
    const QString value = QStringLiteral("Стойност");
    SetHeader(kColumns,
              {{QStringLiteral("Артикул"), QString(), QString(), QStringLiteral("Продажби"), QString(), QString(),
                QStringLiteral("Преки разходи"), QString(), QStringLiteral("Непреки разходи"), QString(),
                QStringLiteral("Себестойност"), QString(), QStringLiteral("Разлика"), QString()},
               {QStringLiteral("Шифър"), QStringLiteral("Наименование"), QStringLiteral("Мярка"),
                QStringLiteral("Количество"), price, value, price, value, price, value, price, value, price, value}},
              QStringLiteral("0,0,2,0|3,0,5,0|6,0,7,0|8,0,9,0|10,0,11,0|12,0,13,0|"));
    Grid->GetColAttributes(3)->SetFormatter(AmountFormatter);
    for (int c = 4; c < kColumns; c += 2) {
        Grid->GetColAttributes(c)->SetFormatter(PriceFormatter);
        Grid->GetColAttributes(c + 1)->SetFormatter(ValueFormatter);
    }
    const bool ok = TPeriodReportForm::InitForm();
    SetHeaderSort(true);
    return ok;
}

bool TfrmStokovo_pari4en_ot4et::DoExecute()
{
    if (!TPeriodReportForm::DoExecute())
        return false;
    const QString T = WorkTableName(QStringLiteral("_spo"));
    const int F = DateToDayNumber(From());
    const int L = DateToDayNumber(To());
    const QString M = QString::number(From().month());

    // 1. Sales of the period per product, by name.
    if (!DropWorkTable(T))
        return false;
    if (!Exec(Format(
            QStringLiteral(
                "SELECT Zaiavka_rows.izdelie, Izdelia.name_izd, Merki.v_Miarka, Zaiavka_rows.quantity_izd, "
                "Zaiavka_rows.Value_of_row INTO %s FROM Zaiavki INNER JOIN (Merki INNER JOIN (Izdelia INNER JOIN "
                "Zaiavka_rows ON Izdelia.code_izd = Zaiavka_rows.izdelie) ON Merki.n_Miarka = Izdelia.mjarka) ON "
                "Zaiavki.Query_num = Zaiavka_rows.Query_num WHERE (((Zaiavki.for_date)>= %d And (Zaiavki.for_date)<= "
                "%d) AND ((Zaiavka_rows.Value_of_row)<>0)) ORDER BY Zaiavka_rows.izdelie"),
            {T, F, L})))
        return false;
    TDelimitedStringList S;
    if (!Select(Format(QStringLiteral("SELECT %s.izdelie, %s.name_izd, %s.v_Miarka, Sum(%s.quantity_izd) AS "
                                      "SumOfquantity, Sum(%s.Value_of_row) AS SumOfValue_of_row FROM %s GROUP BY "
                                      "%s.izdelie, %s.name_izd, %s.v_Miarka ORDER BY %s.name_izd"),
                       {T, T, T, T, T, T, T, T, T, T}),
                S))
        return false;
    if (!DropWorkTable(T))
        return false;

    // 2. Material cost per unit: the norms at the month's resource prices.
    if (!Exec(Format(
            QStringLiteral(
                "SELECT Razhodni_normi.code_izdelie, Razhodni_normi.code_resource, Razhodni_normi.quantity_rn, "
                "Resources_prices.month_r, Resources_prices.price_r, [quantity_rn]*[price_r] AS Value_of_material "
                "INTO %s FROM (Resources LEFT JOIN Razhodni_normi ON Resources.code_r=Razhodni_normi.code_resource) "
                "LEFT JOIN Resources_prices ON Resources.code_r=Resources_prices.code_r WHERE "
                "(((Razhodni_normi.code_izdelie)<>0) AND ((Resources_prices.month_r)= %s )) ORDER BY "
                "Razhodni_normi.code_izdelie, Razhodni_normi.code_resource"),
            {T, M})))
        return false;
    TDelimitedStringList P;
    if (!Select(Format(QStringLiteral("SELECT %s.code_izdelie, Sum(%s.Value_of_material) AS SumOfValue_of_material "
                                      "FROM %s GROUP BY %s.code_izdelie"),
                       {T, T, T, T}),
                P))
        return false;

    // 3. The month's indirect cost.
    TDelimitedStringList K;
    if (!Select(Format(QStringLiteral("Select kosven_razhod from Nepreki_razhodi Where month_n_r = %s"), {M}), K))
        return false;
    const long double I = DotStrToRoundedFloat(K.Text(), 2);

    // 4. Sales, average price and direct cost.
    TDelimitedStringList R;
    QStringList salesValues;
    for (int i = 0; i < S.Count(); ++i) {
        QStringList f = S.Strings(i).split(QLatin1Char('@'));
        while (f.size() < 5)
            f << QString();
        QStringList r;
        for (int k = 0; k < kColumns; ++k)
            r << QString();
        r[0] = f[0];
        r[1] = f[1];
        r[2] = f[2];
        FormatDotStr(f[3], 3, r[3]);
        FormatDotStr(f[4], 2, r[5]);
        QString v;
        DivDotStr(f[4], f[3], v);
        FormatDotStr(v, 4, r[4]);
        QString material;
        LookupColumn(f[0], &P, 0, material, 1);
        FormatDotStr(material, 4, r[6]);
        MulDotStr(r[6], r[3], v);
        FormatDotStr(v, 2, r[7]);
        salesValues << r[5];
        R.Add(r.join(QLatin1Char('@')));
    }

    // 5. The indirect cost spread over the sales values.
    const QStringList shares = SpreadIndirectCost(salesValues, I);

    // 6. Per unit, cost and difference.
    std::vector<long double> sums(5, 0);
    for (int i = 0; i < R.Count(); ++i) {
        QStringList r = R.Strings(i).split(QLatin1Char('@'));
        r[9] = shares[i];
        QString v;
        DivDotStr(r[9], r[3], v);
        FormatDotStr(v, 4, r[8]);
        AddDotStr(r[9], r[7], r[11]);
        DivDotStr(r[11], r[3], v);
        FormatDotStr(v, 4, r[10]);
        SubDotStr(r[5], r[11], r[13]);
        DivDotStr(r[13], r[3], v);
        FormatDotStr(v, 4, r[12]);
        const int summed[5] = {5, 7, 9, 11, 13};
        for (int k = 0; k < 5; ++k)
            sums[k] += DotStrToFloat(r[summed[k]]);
        R.SetStrings(i, r.join(QLatin1Char('@')));
    }

    // 7. Totals.
    R.Add(TotalsRecord(kColumns, {5, 7, 9, 11, 13}, sums, {2, 2, 2, 2, 2}));
    ShowRows(R);
    return DropWorkTable(T);
}
