#include "reports/unDvijenie_na_Ambalaj.h"

#include <QLabel>
#include <QSignalBlocker>

#include "components/ListEdit.h"
#include "components/RichGrid.h"
#include "core/uHelpers.h"
#include "core/unRegistryFuncs.h"
#include "core/un_Ado_Connection.h"
#include "framework/LookupLists.h"
#include "framework/QuorendFormClasses.h"

namespace {
const bool registered =
    RegisterQuorendFormClass<TfrmDvijenie_na_Ambalaj>(QStringLiteral("TfrmDvijenie_na_Ambalaj"));

constexpr int kReceivedCol = 3;
} // namespace

TfrmDvijenie_na_Ambalaj::TfrmDvijenie_na_Ambalaj(QWidget *AOwner, TFormStyle AFormStyle)
    : TMovementReport(AOwner, AFormStyle)
{
    SetReport(QStringLiteral("frmDvijenie_na_Ambalaj"), QStringLiteral("Движение на амбалаж"),
              QStringLiteral("frmAnalit_po_klienti_dtp_From"), QStringLiteral("frmAnalit_po_klienti_dtp_To"));
    code_bus = AddListParam(QStringLiteral("code_bus"), QStringLiteral("Микробус:"), QStringLiteral("panelMicrobus"),
                            panelMicrobus);
    code_bus->SetDescrColumn(1);
    code_bus->OnChange = [this](QObject *) { code_busChange(); };
}

bool TfrmDvijenie_na_Ambalaj::InitForm()
{
    SetHeader(7,
              {{QStringLiteral("Амбалаж"), QString(), QStringLiteral("Начално"), QStringLiteral("Количества"),
                QString(), QString(), QString()},
               {QStringLiteral("шифър"), QStringLiteral("наименование"), QStringLiteral("салдо"),
                QStringLiteral("заприходен"), QStringLiteral("взет"), QStringLiteral("върнат"),
                QStringLiteral("наличен")}},
              QStringLiteral("0,0,1,0|3,0,6,0|"));
    const bool ok = TMovementReport::InitForm();
    for (int c = 2; c <= 6; ++c)
        Grid->GetColAttributes(c)->SetFormatter(AmountFormatter);
    {
        const QSignalBlocker block(code_bus);
        FillBusesList(this, code_bus);
    }
    code_busChange();
    return ok;
}

bool TfrmDvijenie_na_Ambalaj::FormDone()
{
    SetRegistrySetting(QStringLiteral("code_bus_Text"), code_bus->text());
    return TMovementReport::FormDone();
}

QString TfrmDvijenie_na_Ambalaj::GetSubTitle()
{
    QString prefix;
    if (StrToIntOrZero(code_bus->text()) > 0)
        prefix = Format(QStringLiteral("за микробус %s - %s, "), {code_bus->text().trimmed(), panelMicrobus->text()});
    return prefix + TMovementReport::GetSubTitle();
}

void TfrmDvijenie_na_Ambalaj::code_busChange()
{
    ParamsChanged();
    // Receipts carry no minibus: with one chosen there is nothing received.
    Grid->GetColAttributes(kReceivedCol)->SetVisible(code_bus->text().isEmpty());
}

QString TfrmDvijenie_na_Ambalaj::BusFilter() const
{
    const int bus = StrToIntOrZero(code_bus->text());
    return bus > 0 ? Format(QStringLiteral("AND ( code_bus = %d ) "), {bus}) : QString();
}

QString TfrmDvijenie_na_Ambalaj::OpeningSql(const QString &Table)
{
    return Format(QStringLiteral("SELECT code_a,        Sum( quantity_amb ) AS SumOfquantity_amb FROM %s WHERE ( "
                                 "date_doc < %d ) AND ( code_a > 0 )") +
                      BusFilter() + QStringLiteral("GROUP BY code_a"),
                  {Table, DateToDayNumber(From())});
}

QString TfrmDvijenie_na_Ambalaj::PeriodSql(const QString &Table)
{
    return Format(QStringLiteral("SELECT code_a,        Sum( quantity_amb ) AS SumOfquantity_amb FROM %s WHERE ( "
                                 "date_doc >= %d AND date_doc <= %d AND code_a > 0 ) ") +
                      BusFilter() + QStringLiteral("GROUP BY code_a"),
                  {Table, DateToDayNumber(From()), DateToDayNumber(To())});
}

int TfrmDvijenie_na_Ambalaj::FindItem(const QString &Code) { return FindRowByCode(StrToIntOrZero(Code), &R, 0); }

QString TfrmDvijenie_na_Ambalaj::MissingCodeMessage() const
{
    return QStringLiteral("Шифър %s липсва в номенклатурата на амбалаж.");
}

bool TfrmDvijenie_na_Ambalaj::DoExecute()
{
    if (!TMovementReport::DoExecute())
        return false;
    R.Clear();
    if (!Select(QStringLiteral("SELECT code_a,        name_a FROM Ambalaj ORDER BY code_a"), R))
        return false;
    for (int i = 0; i < R.Count(); ++i)
        R.SetStrings(i, R.Strings(i) + QStringLiteral("@@@@"));

    const QString receipts = QStringLiteral("Zaprihojdavane_na_ambalaj");
    const QString passes = QStringLiteral("Propusk_za_izvozvane");
    const QString returned = QStringLiteral("Vyrnata_produkcia");
    const bool allBuses = code_bus->text().isEmpty();
    if (allBuses) {
        if (!SelectOpening(receipts))
            return false;
        AddToColumn(2);
    }
    if (!SelectOpening(passes))
        return false;
    SubtractFromColumn(2);
    if (!SelectOpening(returned))
        return false;
    AddToColumn(2);
    if (allBuses) {
        if (!SelectPeriod(receipts))
            return false;
        AddToColumn(3);
    }
    if (!SelectPeriod(passes))
        return false;
    AddToColumn(4);
    if (!SelectPeriod(returned))
        return false;
    AddToColumn(5);

    KeepMoved({2, 3, 4, 5});
    for (int i = 0; i < R.Count(); ++i) {
        QString f[4];
        for (int k = 0; k < 4; ++k)
            R.GetField(i, 2 + k, f[k]);
        QString onHand;
        FloatToDotStr(-1, onHand,
                      DotStrToFloat(f[0]) + DotStrToFloat(f[1]) - DotStrToFloat(f[2]) + DotStrToFloat(f[3]));
        R.SetField(i, 6, onHand);
    }
    SortDelimitedList(&R, 1);
    ShowRows(R);
    return true;
}
