#include "documents/unStokovaRazpiska_Opis_Ext.h"

#include "components/Formatters.h"
#include "components/GridUtils.h"
#include "components/RichGrid.h"
#include "core/uHelpers.h"
#include "core/un_Ado_Connection.h"
#include "documents/unPrintStokovaRazpiska.h"
#include "documents/unStokovaRazpiska.h"
#include "framework/QuorendFormClasses.h"

#include <QDateEdit>

namespace {

const bool registered =
    RegisterQuorendFormClass<TfrmStokovaRazpiska_Opis_Ext>(QStringLiteral("TfrmStokovaRazpiska_Opis_Ext"));

} // namespace

TfrmStokovaRazpiska_Opis_Ext::TfrmStokovaRazpiska_Opis_Ext(QWidget *AOwner, TFormStyle AFormStyle)
    : TDocumentPeriodList(AOwner, AFormStyle, QStringLiteral("frmStokovaRazpiska_Opis_Ext"), false)
{
    setObjectName(QStringLiteral("frmStokovaRazpiska_Opis_Ext"));
    setWindowTitle(QStringLiteral("Опис на стокови разписки по артикули"));
    Grid->SetColCount(16);
    Grid->SetFixedRows(2);
    Grid->SetRows(0, {QStringLiteral("Стокова разписка"), QString(), QStringLiteral("Клиент"), QString(),
                      QStringLiteral("Обект"), QString(), QStringLiteral("за"), QStringLiteral("Платена"),
                      QStringLiteral("на"), QStringLiteral("Извънредна"), QStringLiteral("Артикул"), QString(),
                      QString(), QStringLiteral("Количество"), QStringLiteral("Цена"), QStringLiteral("Стойност")});
    Grid->SetRows(1, {QStringLiteral("N:"), QStringLiteral("дата"), QStringLiteral("шифър"),
                      QStringLiteral("наименование"), QStringLiteral("шифър"), QStringLiteral("наименование"),
                      QStringLiteral("дата"), QString(), QStringLiteral("дата"), QString(), QStringLiteral("шифър"),
                      QStringLiteral("наименование"), QStringLiteral("мярка"), QString(), QStringLiteral("с ДДС"),
                      QString()});
    Grid->MergeCells(0, 0, 1, 0);
    Grid->MergeCells(2, 0, 3, 0);
    Grid->MergeCells(4, 0, 5, 0);
    Grid->MergeCells(7, 0, 7, 1);
    Grid->MergeCells(9, 0, 9, 1);
    Grid->MergeCells(10, 0, 12, 0);
    Grid->MergeCells(13, 0, 13, 1);
    Grid->MergeCells(15, 0, 15, 1);
    actExecute->setEnabled(true);
}

TfrmStokovaRazpiska_Opis_Ext::~TfrmStokovaRazpiska_Opis_Ext() = default;

bool TfrmStokovaRazpiska_Opis_Ext::InitForm()
{
    if (!TDocumentPeriodList::InitForm())
        return false;
    Grid->GetColAttributes(13)->SetFormatter(AmountFormatter);
    Grid->GetColAttributes(14)->SetFormatter(PriceFormatter);
    Grid->GetColAttributes(15)->SetFormatter(ValueFormatter);
    return true;
}

bool TfrmStokovaRazpiska_Opis_Ext::DoExecute()
{
    const QString sql = Format(
        QStringLiteral(
            "SELECT Zaiavki.Query_num, Zaiavki.datetime_z, CustGroups.code_c, CustGroups.name_c AS CustGroups_name, "
            "Zaiavki.obekt, Obekti.name_o AS Obekti_name, Zaiavki.for_date, Zaiavki.Is_paid, Zaiavki.Paid_on, "
            "Zaiavki.Is_urgent,  Zaiavka_rows.izdelie, Izdelia.name_izd AS Izdelia_name, Merki.v_Miarka, "
            "Zaiavka_rows.quantity_izd, Zaiavka_rows.Price_w_disc, Zaiavka_rows.Value_of_row FROM ((CustGroups INNER "
            "JOIN Obekti ON CustGroups.code_c = Obekti.code_of_CustGroup) INNER JOIN Zaiavki ON "
            "Obekti.code_of_object = Zaiavki.obekt) INNER JOIN (Merki INNER JOIN (Izdelia INNER JOIN Zaiavka_rows "
            "ON Izdelia.code_izd = Zaiavka_rows.izdelie) ON Merki.n_Miarka = Izdelia.mjarka) ON Zaiavki.Query_num = "
            "Zaiavka_rows.Query_num WHERE Zaiavki.for_date >= %d and Zaiavki.for_date <= %d ORDER BY "
            "Zaiavki.Query_num"),
        {DateToDayNumber(dtp_From->date()), DateToDayNumber(dtp_To->date())});
    TDelimitedStringList rows;
    if (!SelectToList(this, DbConnection, sql, rows))
        return false;
    ShowDocumentRows(rows, {16, 15, {7, 9}, {8}, {}});
    return true;
}

void TfrmStokovaRazpiska_Opis_Ext::OpenDocument(int, long double Number) { OpenStokovaRazpiska(Number); }

void TfrmStokovaRazpiska_Opis_Ext::PrintDocument(long double Number) { PrintStokovaRazpiska(this, Number); }
