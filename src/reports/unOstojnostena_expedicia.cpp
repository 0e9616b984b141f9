#include "reports/unOstojnostena_expedicia.h"

#include <QHash>
#include <algorithm>
#include <QLabel>

#include "components/GridAmountEntry.h"
#include "components/Formatters.h"
#include "components/ListEdit.h"
#include "components/RichGrid.h"
#include "core/uDelimitedStrings.h"
#include "core/uHelpers.h"
#include "framework/LookupLists.h"
#include "framework/QuorendFormClasses.h"
#include "reports/WorkTableReport.h"

namespace {
const bool registered =
    RegisterQuorendFormClass<TfrmOstojnostena_expedicia>(QStringLiteral("TfrmOstojnostena_expedicia"));

// One field per grid column and one more, which the grid does not show.
constexpr int kFieldCount = TfrmOstojnostena_expedicia::colCount + 1;
constexpr int kPriceDecimals = 4;
constexpr int kValueDecimals = 2;
} // namespace

TfrmOstojnostena_expedicia::TfrmOstojnostena_expedicia(QWidget *AOwner, TFormStyle AFormStyle)
    : TPeriodPartyReport(AOwner, AFormStyle)
{
    SetReport(QStringLiteral("frmOstojnostena_expedicia"), QStringLiteral("Остойностена експедиция"));
    AddParty(pkBus, QStringLiteral("code_bus"), QStringLiteral("Микробус:"), QStringLiteral("panelMicrobus"),
             QString(), true);
    code_bus = leParty;
    panelMicrobus = panelParty;
    SetRunsAtOnce(true);
    SetHeader(colCount,
              {{QStringLiteral("Изделие"), QString(), QString(), QStringLiteral("Количества"), QString(),
                QStringLiteral("Цена"), QStringLiteral("Стойност")},
               {QStringLiteral("шифър"), QStringLiteral("наименование"), QStringLiteral("мярка"),
                QStringLiteral("пласирани"), QStringLiteral("остойностени"), QString(), QString()}},
              QStringLiteral("0,0,2,0|3,0,4,0|5,0,5,1|6,0,6,1|"));

    FAmounts = std::make_unique<TGridAmountEntry>(Grid, TGridAmountEntry::akDecimal);
    FAmounts->CanEditCell = [this](int ACol, int ARow) { return CanEditCell(ACol, ARow); };
    FAmounts->OnRecalcTotals = [this] { Recalculate(); };
    Grid->OnClick = [this](QObject *) { FAmounts->Click(); };
    Grid->OnKeyPress = [this](QObject *, QChar &Key) { FAmounts->KeyPress(Key); };
    Grid->OnSetEditText = [this](QObject *, int ACol, int ARow, const QString &) { CellEdited(ACol, ARow); };
}

TfrmOstojnostena_expedicia::~TfrmOstojnostena_expedicia() = default;

bool TfrmOstojnostena_expedicia::InitForm()
{
    const bool ok = TPeriodPartyReport::InitForm();
    // The quantities that reach the minibuses are whole pieces.
    AmountFormatter->SetPrecision(0);
    Grid->GetColAttributes(colPlaced)->SetFormatter(AmountFormatter);
    Grid->GetColAttributes(colValued)->SetFormatter(AmountFormatter);
    Grid->GetColAttributes(colPrice)->SetFormatter(PriceFormatter);
    Grid->GetColAttributes(colValue)->SetFormatter(ValueFormatter);
    SetHeaderSort(true);
    return ok;
}

QString TfrmOstojnostena_expedicia::GetSubTitle()
{
    QString s;
    if (PartyCode() > 0)
        s = Format(QStringLiteral("за микробус %s - %s, "), {PartyText(), PartyName()});
    return s + Format(QStringLiteral("от дата %s до дата %s"), {DateToDisplayText(From()), DateToDisplayText(To())});
}

QString TfrmOstojnostena_expedicia::BusFilter(const QString &Text) const
{
    return PartyCode() > 0 ? Format(Text, {PartyCode()}) : QString();
}

QString TfrmOstojnostena_expedicia::PassesSql()
{
    return Format(QStringLiteral("SELECT Propusk_za_izvozvane.code_izd,        Izdelia.name_izd,        "
                                 "Merki.v_Miarka,        Sum( Propusk_za_izvozvane.quantity_izd ) AS "
                                 "SumOfquantity_izd FROM (Merki INNER JOIN Izdelia ON Merki.n_Miarka = "
                                 "Izdelia.mjarka) INNER JOIN  Propusk_za_izvozvane ON Izdelia.code_izd = "
                                 "Propusk_za_izvozvane.code_izd WHERE (         ((Propusk_za_izvozvane.date_doc) >= "
                                 "%d ) AND         ((Propusk_za_izvozvane.date_doc) <= %d ) ") +
                      BusFilter(QStringLiteral(" AND ((Propusk_za_izvozvane.code_bus)= %d ) ")) +
                      QStringLiteral("       ) GROUP BY Propusk_za_izvozvane.code_izd, Izdelia.name_izd, "
                                     "Merki.v_Miarka ORDER BY Propusk_za_izvozvane.code_izd"),
                  {DateToDayNumber(From()), DateToDayNumber(To())});
}

QString TfrmOstojnostena_expedicia::ReturnsSql()
{
    return Format(QStringLiteral("SELECT Vyrnata_produkcia.code_izd,        Izdelia.name_izd,        "
                                 "Merki.v_Miarka,        Sum( Vyrnata_produkcia.quantity_izd ) AS SumOfquantity_izd "
                                 "FROM (Merki INNER JOIN Izdelia ON Merki.n_Miarka = Izdelia.mjarka) INNER JOIN "
                                 "Vyrnata_produkcia ON Izdelia.code_izd = Vyrnata_produkcia.code_izd WHERE (         "
                                 "((Vyrnata_produkcia.date_doc) >= %d ) AND         ((Vyrnata_produkcia.date_doc) <= "
                                 "%d ) ") +
                      BusFilter(QStringLiteral(" AND ((Vyrnata_produkcia.code_bus)= %d ) ")) +
                      QStringLiteral("       ) GROUP BY Vyrnata_produkcia.code_izd, Izdelia.name_izd, "
                                     "Merki.v_Miarka ORDER BY Vyrnata_produkcia.code_izd"),
                  {DateToDayNumber(From()), DateToDayNumber(To())});
}

QString TfrmOstojnostena_expedicia::SalesSql()
{
    return Format(QStringLiteral("SELECT Otchet_plasiori.code_izd,        Izdelia.name_izd,         "
                                 "Merki.v_Miarka,        Sum( Otchet_plasiori.quantity_izd ) AS SumOfquantity_izd,  "
                                 "      Sum( Otchet_plasiori.value_izd ) AS SumOfvalue_izd FROM Merki INNER JOIN "
                                 "(Otchet_plasiori INNER JOIN Izdelia ON Otchet_plasiori.code_izd = "
                                 "Izdelia.code_izd) ON Merki.n_Miarka = Izdelia.mjarka WHERE (         ( "
                                 "Otchet_plasiori.date_doc >= %d ) AND         ( Otchet_plasiori.date_doc <= %d ) ") +
                      BusFilter(QStringLiteral(" AND ( Otchet_plasiori.code_bus = %d ) ")) +
                      QStringLiteral("       ) GROUP BY Otchet_plasiori.code_izd,          Izdelia.name_izd,      "
                                     "    Merki.v_Miarka ORDER BY Otchet_plasiori.code_izd"),
                  {DateToDayNumber(From()), DateToDayNumber(To())});
}

bool TfrmOstojnostena_expedicia::DoExecute()
{
    // The records by product, each of kFieldCount fields, in the order they
    // are first met; a product's record found by its code.
    std::vector<QStringList> records;
    QHash<QString, int> byCode;
    auto recordOf = [&](const TDelimitedStringList &List, int Row) -> QStringList & {
        QString code;
        List.GetField(Row, colCode, code);
        const auto found = byCode.constFind(code);
        if (found != byCode.constEnd())
            return records[static_cast<size_t>(*found)];
        QStringList fields;
        for (int f = 0; f < kFieldCount; ++f)
            fields << QString();
        for (int f : {colCode, colName, colMeasure})
            List.GetField(Row, f, fields[f]);
        byCode.insert(code, static_cast<int>(records.size()));
        records.push_back(fields);
        return records.back();
    };

    // Placed: what the export passes took out, less what came back. A
    // product only returned in the period shows a negative quantity.
    TDelimitedStringList Q;
    Select(PassesSql(), Q);
    for (int i = 0; i < Q.Count(); ++i)
        Q.GetField(i, 3, recordOf(Q, i)[colPlaced]);
    Select(ReturnsSql(), Q);
    for (int i = 0; i < Q.Count(); ++i) {
        QString returned;
        Q.GetField(i, 3, returned);
        QStringList &record = recordOf(Q, i);
        SubDotStr(record[colPlaced].isEmpty() ? QStringLiteral("0") : record[colPlaced], returned, record[colPlaced]);
    }

    // Valued: the sales reports' quantities (as the quantity column shows
    // them) and values.
    Select(SalesSql(), Q);
    const int quantityDecimals = AmountFormatter->Precision();
    for (int i = 0; i < Q.Count(); ++i) {
        QString quantity, value;
        Q.GetField(i, 3, quantity);
        Q.GetField(i, 4, value);
        QStringList &record = recordOf(Q, i);
        FormatDotStr(quantity, quantityDecimals, record[colValued]);
        FormatDotStr(value, kValueDecimals, record[colValue]);
    }

    TDelimitedStringList R;
    for (const QStringList &record : records)
        R.Add(record.join(QLatin1Char('@')));
    SortDelimitedList(&R, colName);

    long double placed = 0, valued = 0, value = 0;
    for (int i = 0; i < R.Count(); ++i) {
        QString p, q, v, price;
        R.GetField(i, colPlaced, p);
        R.GetField(i, colValued, q);
        R.GetField(i, colValue, v);
        placed += DotStrToFloat(p);
        valued += DotStrToFloat(q);
        value += DotStrToFloat(v);
        if (DotStrToFloat(q) != 0)
            DivDotStr(v, q, price);
        FormatDotStr(price, kPriceDecimals, price);
        R.SetField(i, colPrice, price);
    }
    const long double average = valued != 0 ? RoundFloat(kPriceDecimals, value / valued) : 0;
    R.Add(TotalsRecord(kFieldCount, {colPlaced, colValued, colPrice, colValue}, {placed, valued, average, value},
                       {3, 3, kPriceDecimals, kValueDecimals}));
    ShowRows(R);
    Recalculate();
    return true;
}

bool TfrmOstojnostena_expedicia::CanEditCell(int ACol, int ARow) const
{
    if (ACol != colPrice && ACol != colValue)
        return false;
    if (ARow < Grid->FixedRows() || ARow >= Grid->RowCount() || IsTotalsRow(ARow))
        return false;
    return !Grid->Cells(colCode, ARow).trimmed().isEmpty();
}

void TfrmOstojnostena_expedicia::CellEdited(int ACol, int ARow)
{
    if (!CanEditCell(ACol, ARow))
        return;
    const long double quantity = DotStrToFloat(Grid->Cells(colValued, ARow));
    QString text;
    if (ACol == colPrice) {
        FloatToFixedDotStr(kValueDecimals, text, quantity * DotStrToFloat(Grid->Cells(colPrice, ARow)));
        Grid->SetCells(colValue, ARow, text);
    } else {
        // A value over no quantity gives no price.
        if (quantity != 0)
            FloatToFixedDotStr(kPriceDecimals, text, DotStrToFloat(Grid->Cells(colValue, ARow)) / quantity);
        else
            FloatToFixedDotStr(kPriceDecimals, text, 0);
        Grid->SetCells(colPrice, ARow, text);
    }
    Recalculate();
}

void TfrmOstojnostena_expedicia::Recalculate()
{
    // Each totals row: the value of the product rows above it and their
    // average price; the quantities cannot be edited and stay.
    long double valued = 0, value = 0;
    for (int row = Grid->FixedRows(); row < Grid->RowCount(); ++row) {
        if (!IsTotalsRow(row)) {
            if (Grid->Cells(colCode, row).trimmed().isEmpty())
                continue;
            valued += DotStrToFloat(Grid->Cells(colValued, row));
            value += RoundFloat(kValueDecimals, DotStrToFloat(Grid->Cells(colValue, row)));
            continue;
        }
        QString text;
        FloatToFixedDotStr(kValueDecimals, text, value);
        if (Grid->Cells(colValue, row) != text)
            Grid->SetCells(colValue, row, text);
        FloatToFixedDotStr(kPriceDecimals, text, valued != 0 ? RoundFloat(kPriceDecimals, value / valued) : 0);
        if (Grid->Cells(colPrice, row) != text)
            Grid->SetCells(colPrice, row, text);
    }

    // The valued quantity of the selected product rows.
    const TGridRect selection = Grid->Selection();
    long double selected = 0;
    for (int row = std::max(selection.Top, Grid->FixedRows()); row <= selection.Bottom && row < Grid->RowCount();
         ++row)
        if (!IsTotalsRow(row))
            selected += DotStrToFloat(Grid->Cells(colValued, row));
    QString total;
    FormatFloatRounded(AmountFormatter->Precision(), total, selected);
    SetStatusText(QStringLiteral(" Общо количество: ") + total);
}
