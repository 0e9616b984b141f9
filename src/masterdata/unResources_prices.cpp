#include "masterdata/unResources_prices.h"

#include <QLabel>
#include <QLayout>

#include "components/Formatters.h"
#include "components/ListEdit.h"
#include "components/RichGrid.h"
#include "core/DialogsEx.h"
#include "core/uDelimitedStrings.h"
#include "core/uHelpers.h"
#include "core/unRegistryFuncs.h"
#include "core/unSchema.h"
#include "core/un_Ado_Connection.h"
#include "framework/LookupLists.h"
#include "framework/QuorendFormClasses.h"

namespace {
const bool registered = RegisterQuorendFormClass<TfrmResources_prices>(QStringLiteral("TfrmResources_prices"));
const char *const kMonthValue = "frmResources_prices_leMonth_Text";
} // namespace

TfrmResources_prices::TfrmResources_prices(QWidget *AOwner, TFormStyle AFormStyle)
    : TCellMatrixForm(AOwner, AFormStyle)
{
    setObjectName(QStringLiteral("frmResources_prices"));
    leMonth = AddKeyPicker(QStringLiteral("leMonth"), QStringLiteral("Месец:"), QStringLiteral("pnlMonth"), 60, 90,
                           lblMonth, pnlMonth);

    Grid->SetColCount(4);
    Grid->SetFixedRows(1);
    Grid->SetRows(0, {QStringLiteral("Шифър"), QStringLiteral("Наименование"), QStringLiteral("Мярка"),
                      QStringLiteral("Цена")});
}

bool TfrmResources_prices::InitForm()
{
    const bool result = TCellMatrixForm::InitForm();
    Grid->GetColAttributes(0)->SetAlignment(TCellAlignment{caLeft});
    Grid->GetColAttributes(3)->SetFormatter(PriceFormatter);
    TDelimitedStringList months;
    for (int m = 1; m <= 12; ++m)
        months.Add(QString::number(m) + months.FieldDelimiter() + MonthName(m));
    SetupListEdit(leMonth, QStringLiteral("Месец@Наименование"), &months, 0);
    QString text;
    GetRegistrySetting(QString::fromLatin1(kMonthValue), text);
    leMonth->setText(text);
    ClearOnOtherKey(leMonth, [this] { return ChosenMonth(); }, FLoadedMonth);
    return result;
}

bool TfrmResources_prices::FormDone()
{
    SetRegistrySetting(QString::fromLatin1(kMonthValue), leMonth->text());
    return TCellMatrixForm::FormDone();
}

bool TfrmResources_prices::BeforeShow()
{
    const bool result = TCellMatrixForm::BeforeShow();
    SetTitle(QStringLiteral("Цени на ресурси"));
    return result;
}

int TfrmResources_prices::ChosenMonth() const
{
    const int month = StrToIntOrZero(leMonth->text());
    return month >= 1 && month <= 12 ? month : 0;
}

QString TfrmResources_prices::GetSubTitle()
{
    return Format(QStringLiteral("за месец %s"), {leMonth->text()});
}

QString TfrmResources_prices::MonthPricesSql(int Month) const
{
    return Format(QStringLiteral("SELECT Resources_prices.code_r,        Resources_prices.price_r FROM Resources_prices "
                                 "WHERE (((Resources_prices.month_r)= %d ))"),
                  {Month});
}

bool TfrmResources_prices::ReadStored(QHash<QString, QString> &Values)
{
    TDelimitedStringList stored;
    SelectToList(this, DbConnection, MonthPricesSql(FLoadedMonth), stored);
    QString code, price;
    for (int i = 0; i < stored.Count(); ++i) {
        stored.GetField(i, 0, code);
        stored.GetField(i, 1, price);
        Values.insert(QString::number(StrToIntOrZero(code)), price);
    }
    return true;
}

bool TfrmResources_prices::LoadGrid(QHash<QString, QString> &Stored)
{
    FLoadedMonth = ChosenMonth();
    if (FLoadedMonth == 0)
        return false;
    TDelimitedStringList resources;
    if (!SelectToList(this, DbConnection,
                      QStringLiteral("SELECT Resources.code_r,         Resources.Name_r,        Merki.v_Miarka  FROM "
                                     "Merki LEFT JOIN Resources ON Merki.n_Miarka = Resources.Miarka_r ORDER BY "
                                     "Resources.Name_r"),
                      resources) ||
        !ReadStored(Stored)) {
        FLoadedMonth = 0;
        return false;
    }
    const QChar delimiter = resources.FieldDelimiter();
    int row = Grid->FixedRows();
    for (int i = 0; i < resources.Count(); ++i) {
        QStringList cells = resources.Strings(i).split(delimiter);
        // The reserved resource of code 0 and units without resources.
        if (StrToIntOrZero(cells.value(0)) == 0)
            continue;
        cells = cells.mid(0, 3);
        while (cells.size() < 3)
            cells << QString();
        const auto found = Stored.constFind(QString::number(StrToIntOrZero(cells[0])));
        QString price;
        if (found != Stored.constEnd())
            FormatDotStr(found.value(), PricePrecision, price);
        cells << price;
        if (row >= Grid->RowCount())
            Grid->SetRowCount(row + 1);
        Grid->SetRows(row++, cells);
    }
    return true;
}

bool TfrmResources_prices::IsValueCell(int Col, int) const { return Col == 3; }

QString TfrmResources_prices::CellKey(int, int Row) const
{
    return QString::number(StrToIntOrZero(Grid->Cells(0, Row)));
}

QString TfrmResources_prices::UpdateSql(int, int Row, const QString &Value) const
{
    return Format(QStringLiteral("Update Resources_prices set price_r = %s Where ( code_r = %d and month_r = %d )"),
                  {Value, StrToIntOrZero(Grid->Cells(0, Row)), FLoadedMonth});
}

QString TfrmResources_prices::InsertSql(int, int Row, const QString &Value) const
{
    return Format(QString::fromUtf8(sqlInsertResources_prices), {StrToIntOrZero(Grid->Cells(0, Row)), FLoadedMonth, Value});
}

QString TfrmResources_prices::CellName(int, int Row) const
{
    return Format(QStringLiteral("ресурс %s - %s"), {Grid->Cells(0, Row), Grid->Cells(1, Row)});
}
