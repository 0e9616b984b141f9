#include "masterdata/unPrices_by_items_and_stores.h"

#include <QCoreApplication>
#include <QLabel>
#include <QLayout>
#include <QPushButton>

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
const bool registered =
    RegisterQuorendFormClass<TfrmPrices_by_items_and_stores>(QStringLiteral("TfrmPrices_by_items_and_stores"));
const char *const kBusValue = "code_bus_Text";
} // namespace

TfrmPrices_by_items_and_stores::TfrmPrices_by_items_and_stores(QWidget *AOwner, TFormStyle AFormStyle)
    : TCellMatrixForm(AOwner, AFormStyle)
{
    setObjectName(QStringLiteral("frmPrices_by_items_and_stores"));
    leMicrobus = AddKeyPicker(QStringLiteral("leMicrobus"), QStringLiteral("Микробус:"), QStringLiteral("pnlMicrobus"),
                              70, 120, lblMicrobus, pnlMicrobus);
    btnCopyToAll = new QPushButton(QStringLiteral("Копирай за всички"), pnlParams);
    btnCopyToAll->setObjectName(QStringLiteral("btnCopyToAll"));
    btnCopyToAll->setFocusPolicy(Qt::NoFocus);
    connect(btnCopyToAll, &QPushButton::clicked, this, [this] { RunHeld([this] { btnCopyToAllClick(); }); });
    pnlParams->layout()->addWidget(btnCopyToAll);

    Grid->SetColCount(FirstProductCol + 1);
    Grid->SetFixedRows(2);
    Grid->SetFixedCols(FirstProductCol);
    Grid->SetRows(0, {QStringLiteral("Шифър"), QStringLiteral("Обект"), QString()});
}

bool TfrmPrices_by_items_and_stores::InitForm()
{
    const bool result = TCellMatrixForm::InitForm();
    FillBusesList(this, leMicrobus);
    ClearOnOtherKey(leMicrobus, [this] { return ChosenBus(); }, FLoadedBus);
    return result;
}

bool TfrmPrices_by_items_and_stores::FormDone()
{
    SetRegistrySetting(QString::fromLatin1(kBusValue), leMicrobus->text());
    return TCellMatrixForm::FormDone();
}

bool TfrmPrices_by_items_and_stores::BeforeShow()
{
    const bool result = TCellMatrixForm::BeforeShow();
    SetTitle(QStringLiteral("Цени на изделия по обекти"));
    return result;
}

int TfrmPrices_by_items_and_stores::ChosenBus() const { return StrToIntOrZero(leMicrobus->text()); }

bool TfrmPrices_by_items_and_stores::CanExecute()
{
    if (!TCellMatrixForm::CanExecute())
        return false;
    if (ChosenBus() == 0) {
        ShowMessage(QStringLiteral("Изберете микробус"));
        return false;
    }
    return true;
}

QString TfrmPrices_by_items_and_stores::GetSubTitle()
{
    QString s = TCellMatrixForm::GetSubTitle();
    if (ChosenBus() != 0)
        s = Format(QStringLiteral("микробус: %s - %s, %s"), {leMicrobus->text(), pnlMicrobus->text(), s});
    return s;
}

QString TfrmPrices_by_items_and_stores::StoredPricesSql(int Bus) const
{
    return Format(
        QStringLiteral("SELECT Prices_by_items_and_stores.code_izd,        Prices_by_items_and_stores.code_of_object,  "
                       "      Prices_by_items_and_stores.price_1 FROM ((Busses INNER JOIN CustGroups ON Busses.c_bus = "
                       "CustGroups.c_bus)               INNER JOIN Obekti     ON CustGroups.code_c = "
                       "Obekti.code_of_CustGroup)               INNER JOIN Prices_by_items_and_stores ON "
                       "Obekti.code_of_object = Prices_by_items_and_stores.code_of_object WHERE (((Busses.c_bus)= %d "
                       "))"),
        {Bus});
}

bool TfrmPrices_by_items_and_stores::ReadStored(QHash<QString, QString> &Values)
{
    TDelimitedStringList stored;
    SelectToList(this, DbConnection, StoredPricesSql(FLoadedBus), stored);
    Values.reserve(stored.Count());
    QString product, site, price;
    for (int i = 0; i < stored.Count(); ++i) {
        stored.GetField(i, 0, product);
        stored.GetField(i, 1, site);
        stored.GetField(i, 2, price);
        Values.insert(Key(StrToIntOrZero(product), StrToIntOrZero(site)), price);
    }
    return true;
}

bool TfrmPrices_by_items_and_stores::LoadGrid(QHash<QString, QString> &Stored)
{
    FLoadedBus = ChosenBus();
    if (FLoadedBus == 0)
        return false;
    TDelimitedStringList products, sites;
    if (!SelectToList(this, DbConnection, QStringLiteral("Select code_izd, name_izd from Izdelia Order By code_izd"),
                      products) ||
        !SelectToList(this, DbConnection,
                      Format(QStringLiteral("SELECT Obekti.code_of_object, Obekti.name_o FROM (Busses INNER JOIN "
                                            "CustGroups ON Busses.c_bus      = CustGroups.c_bus )              INNER "
                                            "JOIN Obekti     ON CustGroups.code_c = Obekti.code_of_CustGroup WHERE "
                                            "(((Busses.c_bus)= %d )) ORDER BY Obekti.code_of_object"),
                             {FLoadedBus}),
                      sites) ||
        !ReadStored(Stored)) {
        FLoadedBus = 0;
        return false;
    }

    // The product columns: code and name in the two header rows.
    QString code, name;
    std::vector<int> productOfCol;
    QStringList codes{QStringLiteral("Шифър"), QStringLiteral("Обект")};
    QStringList names{QString(), QString()};
    for (int i = 0; i < products.Count(); ++i) {
        products.GetField(i, 0, code);
        products.GetField(i, 1, name);
        // The reserved row of code 0 stands for "no product".
        if (StrToIntOrZero(code) == 0)
            continue;
        productOfCol.push_back(StrToIntOrZero(code));
        codes << code;
        names << name;
    }
    const int cols = codes.size();
    Grid->SetColCount(std::max(cols, FirstProductCol + 1));
    Grid->SetRows(0, codes);
    Grid->SetRows(1, names);
    for (int c = FirstProductCol; c < cols; ++c)
        Grid->GetColAttributes(c)->SetFormatter(PriceFormatter);

    // Each site's row with its stored prices, "0" where none is stored.
    const int first = Grid->FixedRows();
    Grid->SetRowCount(first + std::max(1, sites.Count()));
    const QString zero = QStringLiteral("0");
    QStringList cells;
    QString text;
    const int total = sites.Count();
    int shown = 0;
    for (int i = 0; i < total; ++i) {
        sites.GetField(i, 0, code);
        sites.GetField(i, 1, name);
        const int site = StrToIntOrZero(code);
        cells.clear();
        cells << code << name;
        for (const int product : productOfCol) {
            const auto found = Stored.constFind(Key(product, site));
            if (found == Stored.constEnd()) {
                cells << zero;
            } else {
                FormatDotStr(found.value(), PricePrecision, text);
                cells << text;
            }
        }
        Grid->SetRows(first + i, cells);
        const int percent = int(qint64(i + 1) * 100 / total);
        if (percent > shown) {
            shown = percent;
            WMProgress(percent, 100);
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        }
    }
    return true;
}

bool TfrmPrices_by_items_and_stores::IsValueCell(int Col, int) const
{
    return Col >= FirstProductCol && !Grid->Cells(Col, 0).isEmpty();
}

bool TfrmPrices_by_items_and_stores::CellChanged(const QString &Now, const QString &Kept) const
{
    // A text that is no number is a change (refused at the save), never 0.
    if (Now == Kept)
        return false;
    if (!IsNumberText(Now) || !IsNumberText(Kept))
        return true;
    return DotStrToFloat(Now, 0) != DotStrToFloat(Kept, 0);
}

QString TfrmPrices_by_items_and_stores::CellKey(int Col, int Row) const
{
    return Key(StrToIntOrZero(Grid->Cells(Col, 0)), StrToIntOrZero(Grid->Cells(0, Row)));
}

QString TfrmPrices_by_items_and_stores::UpdateSql(int Col, int Row, const QString &Value) const
{
    return Format(QStringLiteral("Update Prices_by_items_and_stores set price_1 = %s Where ( code_izd = %d and "
                                 "code_of_object = %d )"),
                  {Value, StrToIntOrZero(Grid->Cells(Col, 0)), StrToIntOrZero(Grid->Cells(0, Row))});
}

QString TfrmPrices_by_items_and_stores::InsertSql(int Col, int Row, const QString &Value) const
{
    return Format(QString::fromUtf8(sqlInsertPrices_by_items_and_stores),
                  {StrToIntOrZero(Grid->Cells(Col, 0)), StrToIntOrZero(Grid->Cells(0, Row)), Value});
}

QString TfrmPrices_by_items_and_stores::CellName(int Col, int Row) const
{
    return Format(QStringLiteral("обект %s - %s, изделие %s - %s"),
                  {Grid->Cells(0, Row), Grid->Cells(1, Row), Grid->Cells(Col, 0), Grid->Cells(Col, 1)});
}

void TfrmPrices_by_items_and_stores::btnCopyToAllClick()
{
    const int col = Grid->Col();
    const int first = Grid->FixedRows();
    if (!HasKeptCopy() || col < FirstProductCol || !IsValueCell(col, first))
        return;
    Grid->SetEditorMode(false);
    const QString value = Grid->Cells(col, first);
    bool changed = false;
    for (int r = first + 1; r < Grid->RowCount(); ++r) {
        if (!IsValueRow(r) || Grid->Cells(col, r) == value)
            continue;
        Grid->SetCells(col, r, value);
        changed = changed || CellChanged(value, KeptCell(col, r));
    }
    if (changed)
        SetModified(true);
}
