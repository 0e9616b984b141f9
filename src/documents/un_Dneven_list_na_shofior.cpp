#include "documents/un_Dneven_list_na_shofior.h"

#include "components/Formatters.h"
#include "components/GridAmountEntry.h"
#include "components/GridUtils.h"
#include "components/ListEdit.h"
#include "components/RichGrid.h"
#include "core/DialogsEx.h"
#include "core/uHelpers.h"
#include "core/unMessageTexts.h"
#include "core/unRegistryFuncs.h"
#include "core/unSettings.h"
#include "core/un_Ado_Connection.h"
#include "documents/unPrintStokovaRazpiska.h"
#include "framework/DocumentSave.h"
#include "framework/LookupLists.h"
#include "framework/QuorendFormClasses.h"

#include <QApplication>
#include <QDate>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QHash>
#include <QLabel>
#include <algorithm>

namespace {

const QString kRegBus = QStringLiteral("code_bus_Text");
const QString kTotalsRecord = QString(HighlightMarker) + QStringLiteral("Общо:");

const char16_t *const kSelectProducts =
    u"SELECT Prices_by_items_and_stores.code_izd,        Prices_by_items_and_stores.code_izd FROM ((Busses INNER "
    u"JOIN CustGroups ON Busses.c_bus = CustGroups.c_bus)               INNER JOIN Obekti     ON CustGroups.code_c "
    u"= Obekti.code_of_CustGroup)               INNER JOIN Prices_by_items_and_stores ON Obekti.code_of_object = "
    u"Prices_by_items_and_stores.code_of_object WHERE (((Busses.c_bus)= %d )) Group By code_izd, code_izd Order By "
    u"Code_izd, code_izd ";
const char16_t *const kSelectProductNames = u"Select code_izd, name_izd from Izdelia Order By code_izd";
const char16_t *const kSelectSites =
    u"SELECT Obekti.code_of_object, Obekti.name_o FROM (Busses INNER JOIN CustGroups ON Busses.c_bus      = "
    u"CustGroups.c_bus )              INNER JOIN Obekti     ON CustGroups.code_c = Obekti.code_of_CustGroup WHERE "
    u"(((Busses.c_bus)= %d )) ORDER BY Obekti.code_of_object";
const char16_t *const kSelectPrices =
    u"SELECT Prices_by_items_and_stores.code_izd,        Prices_by_items_and_stores.code_of_object,        "
    u"Prices_by_items_and_stores.price_1 FROM ((Busses INNER JOIN CustGroups ON Busses.c_bus = CustGroups.c_bus)    "
    u"           INNER JOIN Obekti     ON CustGroups.code_c = Obekti.code_of_CustGroup)               INNER JOIN "
    u"Prices_by_items_and_stores ON Obekti.code_of_object = Prices_by_items_and_stores.code_of_object WHERE "
    u"(((Busses.c_bus)= %d ))";
const char16_t *const kSelectQuantities =
    u"SELECT Zaiavka_rows.izdelie,        Zaiavka_rows.quantity_izd FROM Zaiavki INNER JOIN Zaiavka_rows ON "
    u"Zaiavki.Query_num = Zaiavka_rows.Query_num WHERE ( ((Zaiavki.for_date) = %d ) AND ((Zaiavki.obekt) = %d ) ) "
    u"Order By Zaiavka_rows.izdelie ";
// The day's receipt lines of the route's sites, by site and product: what
// the save compares before it writes a site's line.
const char16_t *const kSelectDayLines =
    u"SELECT Zaiavki.obekt, Zaiavka_rows.izdelie, Zaiavka_rows.quantity_izd, Zaiavki.Query_num, "
    u"Zaiavka_rows.Price_w_disc, Zaiavka_rows.Value_of_row FROM ((Zaiavki INNER "
    u"JOIN Zaiavka_rows ON Zaiavki.Query_num = Zaiavka_rows.Query_num) INNER JOIN Obekti ON Zaiavki.obekt = "
    u"Obekti.code_of_object) INNER JOIN CustGroups ON Obekti.code_of_CustGroup = CustGroups.code_c WHERE ( "
    u"Zaiavki.for_date = %d AND CustGroups.c_bus = %d )";
const char16_t *const kCountReceipts =
    u"Select Count( Query_num ) As CountOfQuery_num From Zaiavki Where obekt = %d and for_date = %d";
const char16_t *const kMaxNumber = u"Select max( Query_num ) from Zaiavki";
const char16_t *const kReceiptNumber = u"Select Query_num  from Zaiavki Where obekt = %d and for_date = %d";
const char16_t *const kInsertReceipt = u"INSERT INTO Zaiavki Values ( %f, %d, %d, %d, %f, %d, %d, %d )";
const char16_t *const kInsertLine = u"INSERT INTO Zaiavka_rows Values ( %f, %d, %.*f, %.*f, %d, %.*f, %f )";
const char16_t *const kUpdateLine =
    u"UPDATE Zaiavka_rows SET quantity_izd = %.*f, Value_of_row = %f WHERE ( Query_num = %f ) AND ( izdelie = %d )";
const char16_t *const kDeleteLine = u"DELETE * FROM Zaiavka_rows WHERE ( Query_num = %f ) AND ( izdelie = %d )";
const char16_t *const kUpdateTotal = u"UPDATE Zaiavki SET Total_sum = %f WHERE ( Query_num = %f )";
const char16_t *const kSeveralReceipts = u"За обект %d на дата %s са създадени %d стокови разписки.";
const char16_t *const kZeroRowLeft =
    u"Стоковата разписка на обект %d за дата %s е оставена без промяна: ред със стойност 0 не се записва.";
const char16_t *const kSitesSaved = u"Записани са обектите: %s.";
const char16_t *const kSitesNotSaved = u"Не са записани обектите: %s.";
const char16_t *const kPaidReceipts =
    u"Select obekt, Query_num from Zaiavki Where for_date = %d and Is_paid = True Order By obekt, Query_num";
const char16_t *const kReceiptPaid = u"Select Is_paid from Zaiavki Where Query_num = %f";

QString S(const char16_t *Text) { return QString::fromUtf16(Text); }

QString SiteList(const QList<int> &Sites)
{
    QStringList codes;
    for (int site : Sites)
        codes << QString::number(site);
    return codes.join(QStringLiteral(", "));
}

QString Fixed(int Precision, long double X)
{
    QString s;
    FloatToFixedDotStr(Precision, s, X);
    return s;
}

// A quantity as it is kept in the grid: the shortest text of its value to
// 3 decimals, so that a fractional quantity stored by the goods receipt
// window shows as it is.
QString QuantityText(long double X)
{
    QString s;
    FloatToDotStr(-1, s, RoundFloat(TQuorendForm::AmountPrecision, X));
    return s;
}

long double FirstNumber(const TDelimitedStringList &List)
{
    return List.Count() > 0 ? DotStrToFloat(List.Strings(0)) : 0;
}

const bool registered =
    RegisterQuorendFormClass<TfrmDneven_list_na_shofior>(QStringLiteral("TfrmDneven_list_na_shofior"));

} // namespace

TfrmDneven_list_na_shofior::TfrmDneven_list_na_shofior(QWidget *AOwner, TFormStyle AFormStyle)
    : TQuorendReadForm(AOwner, AFormStyle)
{
    setObjectName(QStringLiteral("frmDneven_list_na_shofior"));
    auto *params = pnlParams->layout();
    leMicrobus = AddBusPicker(pnlParams, QStringLiteral("leMicrobus"), panelMicrobus);
    dtp_For = AddDatePicker(pnlParams, QStringLiteral("За дата:"), QStringLiteral("dtp_For"));
    params->addWidget(new QLabel(QStringLiteral("Количества:"), pnlParams));

    Grid->SetColCount(3);
    Grid->SetFixedRows(2);
    Grid->SetRowCount(3);
    Grid->SetFixedCols(2);

    FAmounts = std::make_unique<TGridAmountEntry>(Grid, TGridAmountEntry::akInteger);
    FAmounts->CanEditCell = [this](int ACol, int ARow) { return CanEditCell(ACol, ARow); };
    FAmounts->OnRecalcTotals = [this] { RecalcTotals(); };
    Grid->OnClick = [this](QObject *) { GridClick(); };
    Grid->OnKeyPress = [this](QObject *, QChar &Key) { GridKeyPress(Key); };
    Grid->OnSetEditText = [this](QObject *, int, int, const QString &) {
        FAmounts->EditTextSet();
        // A typed quantity is unsaved work: closing asks first.
        SetModified(true);
    };

    connect(leMicrobus, &QLineEdit::textChanged, this, [this] { leMicrobusChange(); });
    connect(dtp_For, &QDateEdit::dateChanged, this, [this] { dtp_ForChange(); });

    actExecute->setEnabled(true);
    actSave->setEnabled(true);
}

TfrmDneven_list_na_shofior::~TfrmDneven_list_na_shofior() = default;

// ---------------------------------------------------------------- hooks

bool TfrmDneven_list_na_shofior::InitForm()
{
    const QString caption = QStringLiteral("Дневен лист на шофьор");
    setWindowTitle(caption);
    pnlCaption->setText(caption.toUpper());
    FKept.Clear();
    FKeptBySite.clear();
    {
        const QSignalBlocker block(dtp_For);
        dtp_For->setDate(QDate::currentDate());
    }
    FInitializing = true;
    const bool filled = FillBusesList(this, leMicrobus);
    FInitializing = false;
    if (filled) {
        ResetGrid();
        SetShowGauge(true);
        PostProgress(0, 100);
    }
    return TQuorendReadForm::InitForm();
}

bool TfrmDneven_list_na_shofior::FormDone()
{
    SetRegistrySetting(kRegBus, leMicrobus->text());
    FKept.Clear();
    FKeptBySite.clear();
    return TQuorendReadForm::FormDone();
}

bool TfrmDneven_list_na_shofior::BeforeShow()
{
    if (!TQuorendReadForm::BeforeShow())
        return false;
    // The sheet loads when shown; without a minibus there is nothing to
    // load and nothing to say yet.
    if (StrToIntOrZero(leMicrobus->text()) != 0)
        Execute();
    return true;
}

QString TfrmDneven_list_na_shofior::GetSubTitle()
{
    const QString given = TQuorendReadForm::GetSubTitle();
    if (leMicrobus->text().isEmpty())
        return given;
    QString name;
    ListEditLookup(leMicrobus, 0, 1, name, leMicrobus->text().trimmed());
    return Format(QStringLiteral("микробус: %s - %s, %s"), {leMicrobus->text(), name, given});
}

bool TfrmDneven_list_na_shofior::CanExecute()
{
    // A minibus that is not in the picker's list is none: its sheet would
    // be empty and say nothing.
    if (ListedCode(leMicrobus) == 0) {
        if (ShowValidationMessages())
            ShowMessage(QStringLiteral("Изберете микробус"));
        return false;
    }
    // F8 loads the sheet again: typed quantities are not dropped without
    // the question. Yes saves them (and the save loads the sheet), Cancel
    // keeps them.
    if (Modified() && FKept.Count() > 0) {
        if (ConfirmSave() != mrNo)
            return false;
        SetModified(false);
    }
    return TQuorendReadForm::CanExecute();
}

// ---------------------------------------------------------------- grid

int TfrmDneven_list_na_shofior::ValueCol() const { return Grid->ColCount() - 1; }

int TfrmDneven_list_na_shofior::ProductCount() const { return std::max(0, (Grid->ColCount() - 2 - 1) / 2); }

void TfrmDneven_list_na_shofior::ResetGrid()
{
    Grid->SetCells(Grid->ColCount() - 1, 0, QString());
    Grid->SetColCount(3);
    Grid->SetCells(2, 0, QString());
    Grid->SetCells(2, 1, QString());
    // Column 2 may have been a hidden or formatted product column.
    Grid->ClearColsAttributes(2, 2, 1);
    ShowColumn(*Grid, 2);
    Grid->SetMergeCellsStr(QStringLiteral("0,0,1,0"));
}

long double TfrmDneven_list_na_shofior::Quantity(int ACol, int ARow) const
{
    return RoundFloat(AmountPrecision, DotStrToFloat(Grid->Cells(ACol, ARow)));
}

long double TfrmDneven_list_na_shofior::Price(int ACol, int ARow) const
{
    return RoundFloat(PricePrecision, DotStrToFloat(Grid->Cells(ACol + ProductCount(), ARow)));
}

bool TfrmDneven_list_na_shofior::CanEditCell(int ACol, int ARow) const
{
    const int n = ProductCount();
    if (FKept.Count() == 0 || n == 0 || ACol < FirstQuantityCol || ACol >= FirstQuantityCol + n)
        return false;
    if (ARow < Grid->FixedRows() || ARow >= Grid->RowCount() - 1 || IsTotalsRow(ARow))
        return false;
    if (StrToIntOrZero(Grid->Cells(0, ARow)) <= 0)
        return false;
    return Price(ACol, ARow) != 0 && PaidReceiptOf(ARow) == 0;
}

long double TfrmDneven_list_na_shofior::PaidReceiptOf(int ARow) const
{
    const auto paid = FPaidBySite.find(StrToIntOrZero(Grid->Cells(0, ARow)));
    return paid == FPaidBySite.end() ? 0 : paid->second;
}

QString TfrmDneven_list_na_shofior::PaidReceiptMessage(long double Number, int Site)
{
    return Format(LoadResString(rsPaidReceiptUnchanged), {StokovaRazpiskaNumberText(Number), Site});
}

void TfrmDneven_list_na_shofior::RecalcTotals()
{
    // Nothing loaded: the grid holds no sheet to sum.
    if (FKept.Count() == 0 || Grid->RowCount() <= Grid->FixedRows())
        return;
    const int n = ProductCount();
    const int last = Grid->RowCount() - 1;
    const int valueCol = ValueCol();
    std::vector<long double> sums(static_cast<size_t>(n), 0);
    long double grand = 0;
    auto put = [this](int c, int r, const QString &text) {
        if (Grid->Cells(c, r) != text)
            Grid->SetCells(c, r, text);
    };
    for (int row = Grid->FixedRows(); row < last; ++row) {
        if (IsTotalsRow(row))
            continue;
        // A site's stored receipt: its lines keep their stored values until
        // their quantity changes, a changed line keeps its stored price, as
        // the save writes them.
        const int site = StrToIntOrZero(Grid->Cells(0, row));
        const auto storedAt = FStoredBySite.find(site);
        const auto keptAt = FKeptBySite.find(site);
        const TStoredReceipt *stored =
            storedAt != FStoredBySite.end() && !storedAt->second.Several && keptAt != FKeptBySite.end()
                ? &storedAt->second
                : nullptr;
        std::map<int, std::pair<long double, long double>> lines;
        if (stored)
            lines = stored->Lines;
        long double value = 0;
        for (int k = 0; k < n; ++k) {
            const int col = FirstQuantityCol + k;
            const long double q = Quantity(col, row);
            sums[size_t(k)] += q;
            const auto line = stored ? lines.find(StrToIntOrZero(Grid->Cells(col, 0))) : lines.end();
            if (line == lines.end()) {
                value += RoundFloat(ValuePrecision, q * Price(col, row));
                continue;
            }
            QString loaded;
            FKept.GetField(keptAt->second, col, loaded);
            if (RoundFloat(AmountPrecision, DotStrToFloat(loaded)) != q)
                line->second.second = q > 0 ? RoundFloat(ValuePrecision, q * line->second.first) : 0;
        }
        for (const auto &line : lines)
            value += RoundFloat(ValuePrecision, line.second.second);
        put(valueCol, row, Fixed(ValuePrecision, value));
        grand += value;
    }
    put(valueCol, last, Fixed(ValuePrecision, grand));
    for (int k = 0; k < n; ++k)
        put(FirstQuantityCol + k, last, QuantityText(sums[size_t(k)]));
}

void TfrmDneven_list_na_shofior::GridClick() { FAmounts->Click(); }
void TfrmDneven_list_na_shofior::GridKeyPress(QChar &Key)
{
    const QChar typed = Key;
    FAmounts->KeyPress(Key);
    // A quantity typed for a site whose receipt of the day is paid would
    // change the paid receipt: the clerk is told why the cell takes none.
    const int col = Grid->Col();
    const int row = Grid->Row();
    const int n = ProductCount();
    const bool quantityCell = col >= FirstQuantityCol && col < FirstQuantityCol + n && row >= Grid->FixedRows() &&
                              row < Grid->RowCount() - 1 && Price(col, row) != 0;
    const long double paid = quantityCell ? PaidReceiptOf(row) : 0;
    if (paid != 0 && (typed.isDigit() || typed == QChar(8))) {
        Key = QChar();
        ShowError(PaidReceiptMessage(paid, StrToIntOrZero(Grid->Cells(0, row))));
    }
}

bool TfrmDneven_list_na_shofior::ConfirmSheetChange()
{
    if (FSwitching)
        return false;
    if (!Modified() || FKept.Count() == 0)
        return true;
    // The typed quantities belong to the sheet shown so far: while the
    // clerk answers, and for a save, the minibus and date name it again.
    const QString wantedBus = leMicrobus->text();
    const QDate wantedDate = dtp_For->date();
    TModalResult answer = mrCancel;
    FSwitching = true;
    try {
        leMicrobus->setText(FShownBus);
        dtp_For->setDate(FShownDate);
        answer = ConfirmSave();
        if (answer == mrNo)
            SetModified(false);
        if (answer != mrCancel) {
            leMicrobus->setText(wantedBus);
            dtp_For->setDate(wantedDate);
        }
    } catch (...) {
        FSwitching = false;
        throw;
    }
    FSwitching = false;
    return answer != mrCancel;
}

void TfrmDneven_list_na_shofior::leMicrobusChange()
{
    if (FInitializing || !ConfirmSheetChange())
        return;
    ResetGrid();
    ClearGrid(*Grid, 0);
    FKept.Clear();
    FKeptBySite.clear();
}

void TfrmDneven_list_na_shofior::dtp_ForChange()
{
    if (!ConfirmSheetChange())
        return;
    ResetGrid();
    ClearGrid(*Grid, 0);
}

void TfrmDneven_list_na_shofior::Progress(int Position)
{
    if (Position <= FGauge)
        return;
    FGauge = Position;
    PostProgress(Position, 100);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

// ---------------------------------------------------------------- load

bool TfrmDneven_list_na_shofior::DoExecute()
{
    const int bus = StrToIntOrZero(leMicrobus->text());
    if (bus == 0)
        return false;
    ResetGrid();
    FKept.Clear();
    FKeptBySite.clear();
    FPaidBySite.clear();
    const QChar d = FKept.FieldDelimiter();
    // Read before the quantities shown: a save of another workstation in
    // between makes this sheet's save of that line refuse, never overwrite.
    FLoaded.SetQuery(this, Format(S(kSelectDayLines), {DateToDayNumber(dtp_For->date()), bus}),
                     TLoadedRows::FirstFields(2));
    TDelimitedStringList dayLines;
    FLoaded.Read(&dayLines);
    // A site's one receipt of the day, as stored: its row shows what the
    // receipt holds (discounts, lines of products the sheet lacks).
    FStoredBySite.clear();
    std::map<int, long double> numberOf;
    for (int i = 0; i < dayLines.Count(); ++i) {
        const QStringList f = dayLines.Strings(i).split(d);
        const int site = StrToIntOrZero(f.value(0));
        TStoredReceipt &receipt = FStoredBySite[site];
        const long double number = DotStrToFloat(f.value(3));
        const auto first = numberOf.emplace(site, number).first;
        receipt.Several = receipt.Several || first->second != number;
        receipt.Lines[StrToIntOrZero(f.value(1))] = {DotStrToFloat(f.value(4)), DotStrToFloat(f.value(5))};
    }

    // 1. The products that have a site price on the route, with names.
    TDelimitedStringList products;
    TDelimitedStringList names;
    SelectToList(this, DbConnection, Format(S(kSelectProducts), {bus}), products);
    SelectToList(this, DbConnection, S(kSelectProductNames), names);
    const int n = products.Count();
    std::vector<int> codes(static_cast<size_t>(n));
    for (int k = 0; k < n; ++k) {
        QString code;
        products.GetField(k, 0, code);
        codes[size_t(k)] = StrToIntOrZero(code);
        QString name;
        LookupColumnByCode(codes[size_t(k)], &names, 0, name, 1);
        products.SetField(k, 1, name);
    }

    // 2. The columns.
    if (n > 0) {
        Grid->SetColCount(2 * n + 3);
        for (int k = 0; k < n; ++k) {
            QString code;
            QString name;
            products.GetField(k, 0, code);
            products.GetField(k, 1, name);
            for (int col : {FirstQuantityCol + k, FirstQuantityCol + n + k}) {
                Grid->SetCells(col, 0, code);
                Grid->SetCells(col, 1, name);
            }
        }
    }
    const int colCount = Grid->ColCount();
    Grid->SetCells(colCount - 1, 0, QStringLiteral("Общо (лв.)"));

    // 3. The sites of the route.
    TDelimitedStringList sites;
    SelectToList(this, DbConnection, Format(S(kSelectSites), {bus}), sites);

    // 4. The prices: the first price of each product and site.
    TDelimitedStringList prices;
    SelectToList(this, DbConnection, Format(S(kSelectPrices), {bus}), prices);
    QHash<qint64, QString> priceOf;
    priceOf.reserve(prices.Count());
    for (int i = 0; i < prices.Count(); ++i) {
        const QStringList f = prices.Strings(i).split(d);
        const qint64 key = (qint64(StrToIntOrZero(f.value(0))) << 32) | quint32(StrToIntOrZero(f.value(1)));
        if (!priceOf.contains(key))
            priceOf.insert(key, f.value(2));
    }

    // 5. The quantities of the day, site by site; the sites whose receipt
    // of the day is paid take no quantity.
    const int day = DateToDayNumber(dtp_For->date());
    {
        TDelimitedStringList paid;
        SelectToList(this, DbConnection, Format(S(kPaidReceipts), {day}), paid);
        for (int i = 0; i < paid.Count(); ++i) {
            const QStringList f = paid.Strings(i).split(d);
            FPaidBySite.emplace(StrToIntOrZero(f.value(0)), DotStrToFloat(f.value(1)));
        }
    }
    FGauge = 0;
    TDelimitedStringList rows;
    rows.BeginUpdate();
    for (int s = 0; s < sites.Count(); ++s) {
        QStringList fields = sites.Strings(s).split(d);
        const int site = StrToIntOrZero(fields.value(0));
        while (fields.size() < colCount + 1)
            fields << QString();
        for (int k = 0; k < n; ++k) {
            const qint64 key = (qint64(codes[size_t(k)]) << 32) | quint32(site);
            const auto found = priceOf.constFind(key);
            fields[FirstQuantityCol + n + k] =
                found == priceOf.constEnd() ? QStringLiteral("0") : Fixed(PricePrecision, DotStrToFloat(*found));
        }
        Progress(int(RoundFloat(0, (s + 1) * 100.0L / (sites.Count() + 1))));
        TDelimitedStringList quantities;
        try {
            SelectToList(this, DbConnection, Format(S(kSelectQuantities), {day, site}), quantities);
        } catch (...) {
            // The sites done keep their quantities; the failure is the
            // load's.
            rows.EndUpdate();
            throw;
        }
        for (int k = 0; k < n; ++k) {
            const int row = FindRowByCode(codes[size_t(k)], &quantities, 0);
            if (row >= 0) {
                QString q;
                quantities.GetField(row, 1, q);
                fields[FirstQuantityCol + k] = QuantityText(DotStrToFloat(q));
            }
        }
        rows.Add(fields.join(d));
    }
    rows.EndUpdate();

    // 6. The totals row, the filter, the grid and the kept copy.
    QStringList totals{kTotalsRecord};
    while (totals.size() < colCount + 1)
        totals << QString();
    rows.Add(totals.join(d));
    FilterRows(rows, QString());
    Grid->setUpdatesEnabled(false);
    FillGridFromDelimitedStrings(*Grid, rows, true);
    FKept.Assign(&rows);
    for (int i = 0; i < FKept.Count(); ++i) {
        QString site;
        FKept.GetField(i, 0, site);
        if (StrToIntOrZero(site) > 0)
            FKeptBySite.emplace(StrToIntOrZero(site), i);
    }
    FGauge = 0;
    PostProgress(0, 100);

    // 7. Looks: quantity and value columns, hidden prices, unpriced cells,
    // products priced for no site hidden.
    const int last = Grid->RowCount() - 1;
    for (int k = 0; k < n; ++k) {
        const int col = FirstQuantityCol + k;
        TCellAlignment right;
        right.Include(caRight);
        Grid->GetColAttributes(col)->SetAlignment(right);
        HideColumn(*Grid, FirstQuantityCol + n + k);
        bool priced = false;
        for (int row = Grid->FixedRows(); row < last; ++row) {
            if (DotStrToFloat(Grid->Cells(col + n, row)) == 0)
                SetCellColor(*Grid, col, row, UnpricedColor);
            else
                priced = true;
        }
        if (priced)
            ShowColumn(*Grid, col);
        else
            HideColumn(*Grid, col);
    }
    Grid->GetColAttributes(colCount - 1)->SetFormatter(ValueFormatter);
    Grid->SetMergeCellsStr(Format(QStringLiteral("0,0,1,0|%d,0,%d,1|"), {colCount - 1, colCount - 1}));
    RecalcTotals();
    Grid->setUpdatesEnabled(true);
    // The cell current after the load takes a quantity at once when it may.
    FAmounts->UpdateEditing();
    FShownBus = leMicrobus->text();
    FShownDate = dtp_For->date();
    SetModified(false);
    return true;
}

// ---------------------------------------------------------------- save

std::vector<TfrmDneven_list_na_shofior::TChangedRow> TfrmDneven_list_na_shofior::ChangedRows() const
{
    std::vector<TChangedRow> changed;
    const int n = ProductCount();
    for (int row = Grid->FixedRows(); row < Grid->RowCount() - 1; ++row) {
        if (IsTotalsRow(row))
            continue;
        const int site = StrToIntOrZero(Grid->Cells(0, row));
        const auto kept = FKeptBySite.find(site);
        if (site <= 0 || kept == FKeptBySite.end())
            continue;
        TChangedRow c;
        c.Row = row;
        c.Site = site;
        c.Changed.assign(size_t(n), false);
        bool any = false;
        for (int k = 0; k < n; ++k) {
            QString loaded;
            FKept.GetField(kept->second, FirstQuantityCol + k, loaded);
            const bool differs = RoundFloat(AmountPrecision, DotStrToFloat(loaded))
                                 != Quantity(FirstQuantityCol + k, row);
            c.Changed[size_t(k)] = differs;
            any = any || differs;
        }
        if (any)
            changed.push_back(std::move(c));
    }
    return changed;
}

bool TfrmDneven_list_na_shofior::DoSave()
{
    if (!TQuorendReadForm::DoSave())
        return false;
    FWarnings.clear();
    if (FKept.Count() == 0) {
        SetModified(false);
        return true;
    }
    // The values as they stand now, the quantity just typed included.
    RecalcTotals();
    const std::vector<TChangedRow> changed = ChangedRows();
    if (changed.empty()) {
        SetModified(false);
        return true;
    }

    const int n = ProductCount();
    const int day = DateToDayNumber(dtp_For->date());
    const QString dateText = DateToDisplayText(dtp_For->date());
    const QString address = GetLocalIPAddress();
    std::vector<int> codes(static_cast<size_t>(n));
    for (int k = 0; k < n; ++k)
        codes[size_t(k)] = StrToIntOrZero(Grid->Cells(FirstQuantityCol + k, 0));
    // What each changed row writes, from the grid as it is now.
    struct TRowData
    {
        int Site;
        long double Value;
        std::vector<long double> Quantities;
        std::vector<long double> Prices;
        std::vector<bool> Changed;
    };
    std::vector<TRowData> data;
    for (const TChangedRow &c : changed) {
        TRowData r{c.Site, RoundFloat(ValuePrecision, DotStrToFloat(Grid->Cells(ValueCol(), c.Row))), {}, {}, c.Changed};
        for (int k = 0; k < n; ++k) {
            r.Quantities.push_back(Quantity(FirstQuantityCol + k, c.Row));
            r.Prices.push_back(Price(FirstQuantityCol + k, c.Row));
        }
        data.push_back(std::move(r));
    }

    const QChar d = FKept.FieldDelimiter();
    QStringList warnings;
    // The sites whose receipts the save writes, and those it leaves as
    // they are; the clerk hears of both when some are left.
    QList<int> saved;
    QList<int> left;
    TDocumentSave save(this);
    save.NumberGiven(0);
    // Execute below reads the day's receipts again.
    save.WindowReadsAgain = true;
    // A line of a site's receipt that another workstation changed after the
    // sheet was read, and that this save writes too, refuses the save;
    // lines of other products and sites are merged.
    for (const TRowData &r : data) {
        if (!(r.Value > 0))
            continue;   // a row worth nothing writes nothing
        QStringList keys;
        for (int k = 0; k < n; ++k)
            if (r.Changed[size_t(k)])
                keys << QStringLiteral("%1@%2").arg(r.Site).arg(codes[size_t(k)]);
        save.ExpectLoaded(FLoaded, keys,
                          {Format(QStringLiteral("Стоковата разписка на обект %d за %s"), {r.Site, dateText}), ngFeminine});
    }
    // Which receipts exist, their lines and the largest number are read
    // under the save's write lock, so that another workstation's save can
    // neither take the same number nor change a receipt in between.
    save.Plan = [&, this](TDocumentSave &Save) {
        warnings.clear();
        saved.clear();
        left.clear();
        TDelimitedStringList list;
        SelectToList(this, DbConnection, S(kMaxNumber), list);
        long double next = FirstNumber(list) + 1;
        long double lastNew = 0;
        for (const TRowData &r : data) {
            SelectToList(this, DbConnection, Format(S(kCountReceipts), {r.Site, day}), list);
            const int count = StrToIntOrZero(list.Count() > 0 ? list.Strings(0) : QString());
            // A row worth nothing is left alone: an existing receipt of the
            // site and day is neither changed nor deleted, and the clerk,
            // whose 0 the reloaded sheet no longer shows, is told.
            if (!(r.Value > 0)) {
                if (count > 0) {
                    warnings << Format(S(kZeroRowLeft), {r.Site, dateText});
                    left << r.Site;
                }
                continue;
            }
            if (count > 1) {
                warnings << Format(S(kSeveralReceipts), {r.Site, dateText, count});
                left << r.Site;
                continue;
            }
            if (count == 0) {
                saved << r.Site;
                const long double number = next;
                next += 1;
                lastNew = number;
                Save.Add(Format(S(kInsertReceipt), {number, day, r.Site, day, r.Value, 0, 0, 0}),
                         QStringLiteral("Грешка при актуализиране на Zaiavki."));
                for (int k = 0; k < n; ++k) {
                    const long double q = r.Quantities[size_t(k)];
                    if (!(q > 0))
                        continue;
                    const long double p = r.Prices[size_t(k)];
                    Save.Add(Format(S(kInsertLine), {number, codes[size_t(k)], AmountPrecision, q, PricePrecision, p,
                                                     0, PricePrecision, p, RoundFloat(ValuePrecision, q * p)}));
                }
                continue;
            }
            // One receipt: only the lines of the changed products are
            // written; the rest of the receipt stays as it is.
            SelectToList(this, DbConnection, Format(S(kReceiptNumber), {r.Site, day}), list);
            const long double number = FirstNumber(list);
            // A receipt paid meanwhile is never changed silently: its row
            // is left alone and the clerk is told after the save.
            SelectToList(this, DbConnection, Format(S(kReceiptPaid), {number}), list);
            if (list.Count() > 0 && list.Strings(0) == QLatin1String("True")) {
                warnings << PaidReceiptMessage(number, r.Site);
                left << r.Site;
                continue;
            }
            saved << r.Site;
            TDelimitedStringList lines;
            SelectToList(this, DbConnection, Format(QString::fromUtf8(sqlSelectZaiavka_rows), {number}), lines);
            // izdelie -> (discounted price, value)
            std::map<int, std::pair<long double, long double>> stored;
            for (int i = 0; i < lines.Count(); ++i) {
                const QStringList f = lines.Strings(i).split(d);
                stored[StrToIntOrZero(f.value(1))] = {DotStrToFloat(f.value(5)), DotStrToFloat(f.value(6))};
            }
            for (int k = 0; k < n; ++k) {
                if (!r.Changed[size_t(k)])
                    continue;
                const int code = codes[size_t(k)];
                const long double q = r.Quantities[size_t(k)];
                const auto line = stored.find(code);
                if (line != stored.end()) {
                    if (q > 0) {
                        const long double value = RoundFloat(ValuePrecision, q * line->second.first);
                        Save.Add(Format(S(kUpdateLine), {AmountPrecision, q, value, number, code}));
                        line->second.second = value;
                    } else {
                        Save.Add(Format(S(kDeleteLine), {number, code}));
                        stored.erase(line);
                    }
                } else if (q > 0) {
                    const long double p = r.Prices[size_t(k)];
                    const long double value = RoundFloat(ValuePrecision, q * p);
                    Save.Add(Format(S(kInsertLine),
                                    {number, code, AmountPrecision, q, PricePrecision, p, 0, PricePrecision, p, value}));
                    stored[code] = {p, value};
                }
            }
            long double total = 0;
            for (const auto &line : stored)
                total += RoundFloat(ValuePrecision, line.second.second);
            Save.Add(Format(S(kUpdateTotal), {total, number}));
        }
        if (lastNew > 0) {
            // This workstation's goods receipt window goes on after the
            // sheet's last new number.
            Save.Add(NasCounterStatement(this, NasGoodsReceiptCounter, address, lastNew),
                     QStringLiteral("Грешка при актуализиране на NAS."));
        }
    };
    const bool committed = save.Run();
    // Warnings come after the transaction, never inside it, in one text;
    // a save that wrote some sites and left others names both.
    FWarnings = warnings;
    if (committed && !saved.isEmpty() && !left.isEmpty())
        warnings << Format(S(kSitesSaved), {SiteList(saved)}) << Format(S(kSitesNotSaved), {SiteList(left)});
    if (!warnings.isEmpty())
        ShowError(warnings.join(QStringLiteral("\n\r")));
    if (!committed)
        return false;
    SetModified(false);
    Execute();
    return true;
}
