#include "reports/unDvijenie_na_GP.h"

#include "components/RichGrid.h"
#include "core/uHelpers.h"
#include "core/un_Ado_Connection.h"
#include "framework/LookupLists.h"
#include "framework/QuorendFormClasses.h"

namespace {
const bool registered = RegisterQuorendFormClass<TfrmDvijenie_na_GP>(QStringLiteral("TfrmDvijenie_na_GP"));
}

TfrmDvijenie_na_GP::TfrmDvijenie_na_GP(QWidget *AOwner, TFormStyle AFormStyle) : TMovementReport(AOwner, AFormStyle)
{
    SetReport(QStringLiteral("frmDvijenie_na_GP"), QStringLiteral("Движение на готова продукция"),
              QStringLiteral("frmAnalit_po_klienti_dtp_From"), QStringLiteral("frmAnalit_po_klienti_dtp_To"));
}

bool TfrmDvijenie_na_GP::InitForm()
{
    SetHeader(9,
              {{QStringLiteral("Изделие"), QString(), QString(), QStringLiteral("Начално"),
                QStringLiteral("Количества"), QString(), QString(), QString(), QStringLiteral("Крайно")},
               {QStringLiteral("шифър"), QStringLiteral("наименование"), QStringLiteral("мярка"),
                QStringLiteral("салдо"), QStringLiteral("произведено"), QStringLiteral("върнато"),
                QStringLiteral("експедирано"), QStringLiteral("бракувано"), QStringLiteral("салдо")}},
              QStringLiteral("0,0,2,0|4,0,7,0|"));
    const bool ok = TMovementReport::InitForm();
    for (int c = 3; c <= 8; ++c)
        Grid->GetColAttributes(c)->SetFormatter(AmountFormatter);
    return ok;
}

QString TfrmDvijenie_na_GP::OpeningSql(const QString &Table)
{
    return Format(QStringLiteral("SELECT code_izd,        Sum( quantity_izd ) AS SumOfquantity_izd FROM %s WHERE ( "
                                 "date_doc < %d AND code_izd > 0 ) GROUP BY code_izd"),
                  {Table, DateToDayNumber(From())});
}

QString TfrmDvijenie_na_GP::PeriodSql(const QString &Table)
{
    return Format(QStringLiteral("SELECT code_izd,        Sum( quantity_izd ) AS SumOfquantity_izd FROM %s WHERE ( "
                                 "date_doc >= %d AND date_doc <= %d AND code_izd > 0 ) GROUP BY code_izd"),
                  {Table, DateToDayNumber(From()), DateToDayNumber(To())});
}

int TfrmDvijenie_na_GP::FindItem(const QString &Code) { return FindRowByCode(StrToIntOrZero(Code), &R, 0); }

QString TfrmDvijenie_na_GP::MissingCodeMessage() const
{
    return QStringLiteral("Шифър %s липсва в номенклатурата на изделията.");
}

bool TfrmDvijenie_na_GP::DoExecute()
{
    if (!TMovementReport::DoExecute())
        return false;
    R.Clear();
    if (!Select(QStringLiteral("SELECT Izdelia.code_izd,        Izdelia.name_izd,        Merki.v_Miarka FROM Merki "
                               "INNER JOIN Izdelia ON Merki.n_Miarka = Izdelia.mjarka WHERE code_izd > 0 ORDER BY "
                               "Izdelia.code_izd"),
                R))
        return false;
    for (int i = 0; i < R.Count(); ++i)
        R.SetStrings(i, R.Strings(i) + QStringLiteral("@@@@@@"));

    const QString produced = QStringLiteral("Akt_za_proizvedena_produkcia");
    const QString returned = QStringLiteral("Vyrnata_produkcia");
    const QString passes = QStringLiteral("Propusk_za_izvozvane");
    const QString scrapped = QStringLiteral("Akt_za_brakuvana_produkcia");
    struct Step {
        const QString &Table;
        int Sign;
    };
    for (const Step &s : {Step{produced, 1}, Step{returned, 1}, Step{passes, -1}, Step{scrapped, -1}}) {
        if (!SelectOpening(s.Table))
            return false;
        s.Sign > 0 ? AddToColumn(3) : SubtractFromColumn(3);
    }
    int col = 4;
    for (const QString *t : {&produced, &returned, &passes, &scrapped}) {
        if (!SelectPeriod(*t))
            return false;
        AddToColumn(col++);
    }

    KeepMoved({3, 4, 5, 6, 7});
    for (int i = 0; i < R.Count(); ++i) {
        QString f[5];
        for (int k = 0; k < 5; ++k)
            R.GetField(i, 3 + k, f[k]);
        QString closing;
        FloatToDotStr(-1, closing,
                      DotStrToFloat(f[0]) + DotStrToFloat(f[1]) + DotStrToFloat(f[2]) - DotStrToFloat(f[3]) -
                          DotStrToFloat(f[4]));
        R.SetField(i, 8, closing);
    }
    SortDelimitedList(&R, 1);
    ShowRows(R);
    return true;
}
