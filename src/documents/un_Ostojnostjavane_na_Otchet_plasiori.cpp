#include "documents/un_Ostojnostjavane_na_Otchet_plasiori.h"

#include "components/Formatters.h"
#include "components/GridAmountEntry.h"
#include "components/GridUtils.h"
#include "components/ListEdit.h"
#include "components/RichGrid.h"
#include "core/DialogsEx.h"
#include "core/uHelpers.h"
#include "core/unRegistryFuncs.h"
#include "core/un_Ado_Connection.h"
#include "framework/DocumentSave.h"
#include "framework/LookupLists.h"
#include "framework/QuorendFormClasses.h"

#include <QDate>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <algorithm>

namespace {

const QString kRegBus = QStringLiteral("code_bus_Text");
const QString kCaption = QStringLiteral("Остойностяване на отчет по микробуси");

const char16_t *const kSelectTakenOut =
    u"SELECT Propusk_za_izvozvane.code_izd,        Izdelia.name_izd,        Merki.v_Miarka,        Sum( "
    u"Propusk_za_izvozvane.quantity_izd ) AS SumOfquantity_izd FROM (Merki INNER JOIN Izdelia ON Merki.n_Miarka = "
    u"Izdelia.mjarka) INNER JOIN  Propusk_za_izvozvane ON Izdelia.code_izd = Propusk_za_izvozvane.code_izd WHERE "
    u"(((Propusk_za_izvozvane.date_doc)= %d ) AND        ((Propusk_za_izvozvane.code_bus)= %d )) GROUP BY "
    u"Propusk_za_izvozvane.code_izd, Izdelia.name_izd, Merki.v_Miarka ORDER BY Propusk_za_izvozvane.code_izd";
const char16_t *const kSelectBroughtBack =
    u"SELECT Vyrnata_produkcia.code_izd,        Izdelia.name_izd,        Merki.v_Miarka,        Sum( "
    u"Vyrnata_produkcia.quantity_izd ) AS SumOfquantity_izd FROM (Merki INNER JOIN Izdelia ON Merki.n_Miarka = "
    u"Izdelia.mjarka) INNER JOIN Vyrnata_produkcia ON Izdelia.code_izd = Vyrnata_produkcia.code_izd WHERE "
    u"(((Vyrnata_produkcia.date_doc)= %d ) AND ((Vyrnata_produkcia.code_bus)= %d )) GROUP BY "
    u"Vyrnata_produkcia.code_izd, Izdelia.name_izd, Merki.v_Miarka ORDER BY Vyrnata_produkcia.code_izd";
const char16_t *const kSelectSaved =
    u"Select code_izd,        nr,        quantity_izd,        price,        value_izd FROM Otchet_plasiori WHERE ( "
    u"date_doc = %d AND code_bus = %d )";
const char16_t *const kSelectPrice5 = u"Select price_5 From Izdelia Where code_izd = %d";
const char16_t *const kDeleteReport = u"Delete * from Otchet_plasiori Where ( date_doc = %d AND code_bus = %d )";
const char16_t *const kInsertLine = u"Insert into %s values ( %d, %d, %d, %d, %.3f, %.4f, %.2f )";
const char16_t *const kCannotPlace = u"Шифър на изделие \"%s\" и номер по ред \"%s\" не могат да се попълнят.";
const char16_t *const kNotTakenOut =
    u"Шифър на изделие \"%s\" участва в отчет на пласьор, но липсват данни за извозена продукция";

QString S(const char16_t *Text) { return QString::fromUtf16(Text); }

// A line of the report as it is written, to compare a save with what was
// read.
QString LineKeyText(int Code, int Nr, long double Quantity, long double Price, long double Value)
{
    return Format(QStringLiteral("%d@%d@%.3f@%.4f@%.2f"), {Code, Nr, Quantity, Price, Value});
}

QString Fixed(int Precision, long double X)
{
    QString s;
    FloatToFixedDotStr(Precision, s, X);
    return s;
}

QStringList Fields(const TDelimitedStringList &List, int Index, int Count)
{
    QStringList fields = List.Strings(Index).split(List.FieldDelimiter());
    while (fields.size() < Count)
        fields << QString();
    return fields.mid(0, Count);
}

const bool registered = RegisterQuorendFormClass<TfrmOstojnostjavane_na_Otchet_plasiori>(
    QStringLiteral("TfrmOstojnostjavane_na_Otchet_plasiori"));

} // namespace

TfrmOstojnostjavane_na_Otchet_plasiori::TfrmOstojnostjavane_na_Otchet_plasiori(QWidget *AOwner,
                                                                               TFormStyle AFormStyle)
    : TQuorendReadForm(AOwner, AFormStyle)
{
    setObjectName(QStringLiteral("frmOstojnostjavane_na_Otchet_plasiori"));
    SetPrintSettingsKey(QStringLiteral("frmOstojnostjavane_na_Otchet_plasiori_print_settings"));
    auto *params = pnlParams->layout();
    code_bus = AddBusPicker(pnlParams, QStringLiteral("code_bus"), panelMicrobus);
    date_doc = AddDatePicker(pnlParams, QStringLiteral("За дата:"), QStringLiteral("date_doc"));
    btnLoad_5th_Price = new QPushButton(QStringLiteral("Зареди пета цена"), pnlParams);
    btnLoad_5th_Price->setObjectName(QStringLiteral("btnLoad_5th_Price"));
    params->addWidget(btnLoad_5th_Price);
    lab_Total = new QLabel(pnlParams);
    lab_Total->setObjectName(QStringLiteral("lab_Total"));
    params->addWidget(lab_Total);

    Grid->SetColCount(colCount);
    Grid->SetFixedRows(2);
    Grid->SetRowCount(3);
    Grid->SetRows(0, {QStringLiteral("Изделие"), QString(), QString(), QStringLiteral("Нетно количество"),
                      QStringLiteral("Ценови ред"), QString(), QString(), QString()});
    Grid->SetRows(1, {QStringLiteral("Шифър"), QStringLiteral("Наименование"), QStringLiteral("Мярка"), QString(),
                      QStringLiteral("Ред"), QStringLiteral("Количество"), QStringLiteral("Цена"),
                      QStringLiteral("Стойност")});
    Grid->SetMergeCellsStr(QStringLiteral("0,0,2,0|3,0,3,1|4,0,7,0"));

    // No totals row here: every price line edits, the last one included,
    // and an edit recomputes the values instead of column sums.
    FAmounts = std::make_unique<TGridAmountEntry>(Grid, TGridAmountEntry::akDecimal);
    FAmounts->CanEditCell = [this](int ACol, int ARow) { return CanEditCell(ACol, ARow); };
    FAmounts->OnRecalcTotals = [this] { RecalcValues(); };
    Grid->OnClick = [this](QObject *) { GridClick(); };
    Grid->OnKeyPress = [this](QObject *, QChar &Key) { GridKeyPress(Key); };
    Grid->OnSetEditText = [this](QObject *, int, int, const QString &) {
        FAmounts->EditTextSet();
        SetModified(true);
    };

    FSwitch.Read = [this] { return QStringList{code_bus->text(), date_doc->date().toString(Qt::ISODate)}; };
    FSwitch.Write = [this](const QStringList &Report) {
        code_bus->setText(Report.value(0));
        date_doc->setDate(QDate::fromString(Report.value(1), Qt::ISODate));
    };
    FSwitch.Drop = [this] { SetModified(false); };
    // F8 and the filter ask about typed prices and split lines first.
    AskBeforeReading(FSwitch.Drop);
    connect(code_bus, &QLineEdit::textChanged, this, [this] { ParamsChange(); });
    connect(date_doc, &QDateEdit::dateChanged, this, [this] { ParamsChange(); });
    connect(btnLoad_5th_Price, &QPushButton::clicked, this, [this] { RunHeld([this] { btnLoad_5th_PriceClick(); }); });

    actExecute->setEnabled(true);
    actSave->setEnabled(true);
    actNew->setEnabled(true);
}

TfrmOstojnostjavane_na_Otchet_plasiori::~TfrmOstojnostjavane_na_Otchet_plasiori() = default;

int TfrmOstojnostjavane_na_Otchet_plasiori::BusCode() const { return StrToIntOrZero(code_bus->text()); }
int TfrmOstojnostjavane_na_Otchet_plasiori::DayNumber() const { return DateToDayNumber(date_doc->date()); }

// ---------------------------------------------------------------- hooks

QString TfrmOstojnostjavane_na_Otchet_plasiori::GetSubTitle()
{
    QString name;
    ListEditLookup(code_bus, 0, 1, name, code_bus->text().trimmed());
    return Format(QStringLiteral(" за микробус %s - %s, за дата %s, %s"),
                  {code_bus->text(), name, DateToDisplayText(date_doc->date()), lab_Total->text()});
}

bool TfrmOstojnostjavane_na_Otchet_plasiori::InitForm()
{
    FLoading = true;
    date_doc->setDate(QDate::currentDate());
    FillBusesList(this, code_bus);
    Grid->GetColAttributes(colNet)->SetFormatter(AmountFormatter);
    Grid->GetColAttributes(colQuantity)->SetFormatter(AmountFormatter);
    Grid->GetColAttributes(colPrice)->SetFormatter(PriceFormatter);
    Grid->GetColAttributes(colValue)->SetFormatter(ValueFormatter);
    Grid->GetColAttributes(colNr)->SetAlignment(TCellAlignment{caRight, caCenter});
    FLoading = false;
    return TQuorendReadForm::InitForm();
}

bool TfrmOstojnostjavane_na_Otchet_plasiori::FormDone()
{
    SetRegistrySetting(kRegBus, code_bus->text());
    return TQuorendReadForm::FormDone();
}

bool TfrmOstojnostjavane_na_Otchet_plasiori::BeforeShow()
{
    if (!TQuorendReadForm::BeforeShow())
        return false;
    setWindowTitle(kCaption);
    pnlCaption->setText(kCaption.toUpper());
    Execute();
    return true;
}

bool TfrmOstojnostjavane_na_Otchet_plasiori::DoExecute()
{
    const int day = DayNumber();
    const int bus = BusCode();
    std::vector<QStringList> records;
    auto indexOf = [&records](const QString &Code) {
        for (size_t i = 0; i < records.size(); ++i)
            if (records[i][colCode] == Code)
                return int(i);
        return -1;
    };

    // The saved report is read first: the save compares it, and a save of
    // another workstation after this read makes this window's save refuse.
    TDelimitedStringList saved;
    FLoaded.SetQuery(this, Format(S(kSelectSaved), {day, bus}));
    FLoaded.Read(&saved);

    // So are the passes and the returned production the quantities come
    // from: a pass changed after this read makes the save refuse, rather
    // than value the report at quantities no longer true. Only the product
    // and its quantity count: a product or unit renamed elsewhere is none.
    const TLoadedRows::TKeyOf quantityOf = [](const QStringList &Fields) {
        return Fields.value(colCode) + QLatin1Char('@') + Fields.value(colNet);
    };
    TDelimitedStringList rows;
    FTakenOut.SetQuery(this, Format(S(kSelectTakenOut), {day, bus}), {}, quantityOf);
    FTakenOut.Read(&rows);
    for (int i = 0; i < rows.Count(); ++i)
        records.push_back(Fields(rows, i, colCount));

    // What came back is taken off what went out; a product only brought
    // back stands with a negative quantity.
    FBroughtBack.SetQuery(this, Format(S(kSelectBroughtBack), {day, bus}), {}, quantityOf);
    FBroughtBack.Read(&rows);
    for (int i = 0; i < rows.Count(); ++i) {
        QStringList back = Fields(rows, i, colCount);
        const long double returned = DotStrToFloat(back[colNet]);
        const int at = indexOf(back[colCode]);
        if (at >= 0) {
            records[size_t(at)][colNet] = Fixed(AmountPrecision, DotStrToFloat(records[size_t(at)][colNet]) - returned);
        } else {
            back[colNet] = Fixed(AmountPrecision, -returned);
            records.push_back(back);
        }
    }
    for (QStringList &record : records) {
        record[colNet] = Fixed(AmountPrecision, DotStrToFloat(record[colNet]));
        record[colNr] = QStringLiteral("1");
        record[colQuantity] = record[colNet];
    }

    // The report saved for the day is laid over the lines.
    rows.Assign(&saved);
    FStoredLines.clear();
    for (int i = 0; i < rows.Count(); ++i) {
        const QStringList saved = Fields(rows, i, 5);
        FStoredLines << LineKeyText(StrToIntOrZero(saved[0]), StrToIntOrZero(saved[1]), DotStrToFloat(saved[2]),
                                    DotStrToFloat(saved[3]), DotStrToFloat(saved[4]));
    }
    FStoredLines.sort();
    auto lineOf = [&records](const QString &Code, const QString &Nr) {
        for (size_t i = 0; i < records.size(); ++i)
            if (records[i][colCode] == Code && records[i][colNr] == Nr)
                return int(i);
        return -1;
    };
    for (int i = 0; i < rows.Count(); ++i) {
        const QStringList saved = Fields(rows, i, 5);
        const QString &code = saved[0];
        const QString &nr = saved[1];
        int at = lineOf(code, nr);
        if (at < 0) {
            int last = -1;
            for (size_t r = 0; r < records.size(); ++r)
                if (records[r][colCode] == code)
                    last = int(r);
            if (last < 0) {
                ShowError(Format(S(kNotTakenOut), {code}));
                continue;
            }
            records.insert(records.begin() + last + 1, records[size_t(last)]);
            RenumberLines(records);
            at = lineOf(code, nr);
            // A line of value 0 is not saved, so the lines saved after it
            // come back with a gap in their numbers: such a line goes to the
            // copy (the product's next line) instead of leaving the copy
            // with the values of the line before it.
            if (at < 0 && StrToIntOrZero(nr) > StrToIntOrZero(records[size_t(last) + 1][colNr]))
                at = last + 1;
            if (at < 0) {
                ShowError(Format(S(kCannotPlace), {code, nr}));
                continue;
            }
        }
        QStringList &record = records[size_t(at)];
        record[colQuantity] = Fixed(AmountPrecision, DotStrToFloat(saved[2]));
        record[colPrice] = Fixed(PricePrecision, DotStrToFloat(saved[3]));
        record[colValue] = Fixed(ValuePrecision, DotStrToFloat(saved[4]));
    }

    TDelimitedStringList list;
    for (const QStringList &record : records)
        list.Add(record.join(list.FieldDelimiter()));
    FilterRows(list, QString::number(colQuantity) + QStringLiteral(",") + QString::number(colValue));
    // The lines the filter hides stay part of the report: the save writes
    // them back as they are.
    FHidden.clear();
    for (const QStringList &record : records) {
        bool shown = false;
        for (int i = 0; i < list.Count() && !shown; ++i) {
            const QStringList f = Fields(list, i, colCount);
            shown = f[colCode] == record[colCode] && f[colNr] == record[colNr];
        }
        if (!shown)
            FHidden.push_back(record);
    }
    // No header sort: the lines of one product must stand together.
    FillGridFromDelimitedStrings(*Grid, list, true);
    RecalcValues();
    SetModified(false);
    FSwitch.Shown();
    return true;
}

// A typed minibus the list lacks is refused before anything is read by it;
// the base then asks about unsaved work.
bool TfrmOstojnostjavane_na_Otchet_plasiori::CanExecute()
{
    return CodeToReadBy(code_bus, QStringLiteral("Въвдетете микробус"), ShowValidationMessages()) &&
           TQuorendReadForm::CanExecute();
}

void TfrmOstojnostjavane_na_Otchet_plasiori::ParamsChange()
{
    if (FLoading)
        return;
    // Typed prices belong to the report shown so far: asked about first.
    if (!FSwitch.Confirm(*this))
        return;
    SetModified(false);
    ClearGrid(*Grid, 0);
    FHidden.clear();
    lab_Total->clear();
}

// ---------------------------------------------------------------- lines

bool TfrmOstojnostjavane_na_Otchet_plasiori::IsLineRow(int Row) const
{
    return Row >= Grid->FixedRows() && Row < Grid->RowCount() && !IsTotalsRow(Row)
           && StrToIntOrZero(Grid->Cells(colCode, Row)) > 0;
}

long double TfrmOstojnostjavane_na_Otchet_plasiori::CellNumber(int Col, int Row) const
{
    return DotStrToFloat(Grid->Cells(Col, Row));
}

bool TfrmOstojnostjavane_na_Otchet_plasiori::CanEditCell(int ACol, int ARow) const
{
    if (ACol != colQuantity && ACol != colPrice)
        return false;
    if (ARow < Grid->FixedRows() || ARow >= Grid->RowCount() || IsTotalsRow(ARow))
        return false;
    return !Grid->Cells(colCode, ARow).trimmed().isEmpty();
}

void TfrmOstojnostjavane_na_Otchet_plasiori::RecalcValues()
{
    // A value is the quantity and price as they are written (3 and 4
    // decimals) multiplied, so a stored line's value is its own quantity
    // times its own price.
    long double total = 0;
    for (int row = Grid->FixedRows(); row < Grid->RowCount(); ++row) {
        if (IsTotalsRow(row) || Grid->Cells(colCode, row).trimmed().isEmpty())
            continue;
        const long double value = RoundFloat(ValuePrecision, RoundFloat(AmountPrecision, CellNumber(colQuantity, row))
                                                                 * RoundFloat(PricePrecision, CellNumber(colPrice, row)));
        const QString text = Fixed(ValuePrecision, value);
        if (Grid->Cells(colValue, row) != text)
            Grid->SetCells(colValue, row, text);
        total += value;
    }
    lab_Total->setText(QStringLiteral("Общо: ") + Fixed(ValuePrecision, total) + QStringLiteral(" лв."));

    const TGridRect selection = Grid->Selection();
    long double quantity = 0;
    for (int row = std::max(selection.Top, Grid->FixedRows()); row <= selection.Bottom && row < Grid->RowCount(); ++row)
        if (!IsTotalsRow(row))
            quantity += RoundFloat(AmountPrecision, CellNumber(colQuantity, row));
    SetStatusText(QStringLiteral(" Общо количество: ") + Fixed(AmountPrecision, quantity));
}

void TfrmOstojnostjavane_na_Otchet_plasiori::RenumberLines(std::vector<QStringList> &Records)
{
    QString previous;
    int nr = 0;
    for (QStringList &record : Records) {
        if (StrToIntOrZero(record[colCode]) <= 0)
            continue;
        nr = record[colCode] == previous ? nr + 1 : 1;
        previous = record[colCode];
        record[colNr] = QString::number(nr);
    }
}

std::vector<QStringList> TfrmOstojnostjavane_na_Otchet_plasiori::GridRecords() const
{
    std::vector<QStringList> records;
    for (int row = Grid->FixedRows(); row < Grid->RowCount(); ++row) {
        if (Grid->Cells(colCode, row).trimmed().isEmpty())
            continue;
        QStringList record;
        for (int col = 0; col < colCount; ++col)
            record << Grid->Cells(col, row);
        records.push_back(record);
    }
    return records;
}

void TfrmOstojnostjavane_na_Otchet_plasiori::FillGrid(const std::vector<QStringList> &Records)
{
    TDelimitedStringList list;
    for (const QStringList &record : Records)
        list.Add(record.join(list.FieldDelimiter()));
    FillGridFromDelimitedStrings(*Grid, list, true);
}

bool TfrmOstojnostjavane_na_Otchet_plasiori::DoNew()
{
    const int row = Grid->Row();
    if (!IsLineRow(row))
        return false;
    const int col = Grid->Col();
    // The line is doubled in place: the lines of a product stand together.
    std::vector<QStringList> records = GridRecords();
    const QString code = Grid->Cells(colCode, row);
    const QString nr = Grid->Cells(colNr, row);
    for (size_t i = 0; i < records.size(); ++i) {
        if (records[i][colCode] == code && records[i][colNr] == nr) {
            records.insert(records.begin() + long(i) + 1, records[i]);
            break;
        }
    }
    RenumberLines(records);
    FillGrid(records);
    Grid->SetRow(std::min(row + 1, Grid->RowCount() - 1));
    Grid->SetCol(col);
    RecalcValues();
    FAmounts->UpdateEditing();
    SetModified(true);
    return true;
}

void TfrmOstojnostjavane_na_Otchet_plasiori::KeyPress(QChar &Key)
{
    // The button is the last parameter control, where Enter would load the
    // lines again over the prices typed: Enter presses it instead.
    if (Key == QLatin1Char('\r') && ActiveControl() == btnLoad_5th_Price) {
        Key = QChar(0);
        btnLoad_5th_Price->click();
        return;
    }
    TQuorendReadForm::KeyPress(Key);
}

void TfrmOstojnostjavane_na_Otchet_plasiori::GridClick() { FAmounts->Click(); }
void TfrmOstojnostjavane_na_Otchet_plasiori::GridKeyPress(QChar &Key) { FAmounts->KeyPress(Key); }

void TfrmOstojnostjavane_na_Otchet_plasiori::btnLoad_5th_PriceClick()
{
    for (int row = Grid->FixedRows(); row < Grid->RowCount(); ++row) {
        if (!IsLineRow(row))
            continue;
        TDelimitedStringList price;
        try {
            SelectToList(this, DbConnection, Format(S(kSelectPrice5), {StrToIntOrZero(Grid->Cells(colCode, row))}),
                         price);
        } catch (const std::exception &E) {
            ShowError(DatabaseErrorMessage(E));
            break;
        }
        if (price.Count() != 1)
            continue;
        const QString text = Fixed(PricePrecision, DotStrToFloat(price.Strings(0)));
        if (Grid->Cells(colPrice, row) != text) {
            Grid->SetCells(colPrice, row, text);
            SetModified(true);
        }
    }
    RecalcValues();
}

// ---------------------------------------------------------------- save

std::vector<QStringList> TfrmOstojnostjavane_na_Otchet_plasiori::LinesToSave() const
{
    // Each line with the place it came from: 0 the grid, 1 hidden.
    std::vector<std::pair<QStringList, int>> lines;
    for (int row = Grid->FixedRows(); row < Grid->RowCount(); ++row) {
        if (!IsLineRow(row))
            continue;
        QStringList record;
        for (int col = 0; col < colCount; ++col)
            record << Grid->Cells(col, row);
        lines.emplace_back(record, 0);
    }
    for (const QStringList &record : FHidden)
        if (StrToIntOrZero(record[colCode]) > 0)
            lines.emplace_back(record, 1);
    // A product's lines in their order, a hidden line after a shown line of
    // its number (a split line's copy), numbered from 1 again.
    std::stable_sort(lines.begin(), lines.end(), [](const auto &A, const auto &B) {
        const int codeA = StrToIntOrZero(A.first[colCode]);
        const int codeB = StrToIntOrZero(B.first[colCode]);
        if (codeA != codeB)
            return codeA < codeB;
        const int nrA = StrToIntOrZero(A.first[colNr]);
        const int nrB = StrToIntOrZero(B.first[colNr]);
        return nrA != nrB ? nrA < nrB : A.second < B.second;
    });
    std::vector<QStringList> result;
    for (auto &line : lines)
        result.push_back(std::move(line.first));
    RenumberLines(result);
    for (QStringList &record : result) {
        const long double value =
            RoundFloat(ValuePrecision, RoundFloat(AmountPrecision, DotStrToFloat(record[colQuantity])) *
                                           RoundFloat(PricePrecision, DotStrToFloat(record[colPrice])));
        record[colValue] = Fixed(ValuePrecision, value);
    }
    return result;
}

QStringList TfrmOstojnostjavane_na_Otchet_plasiori::SaveStatements() const
{
    const int day = DayNumber();
    const int bus = BusCode();
    QStringList statements;
    statements << Format(S(kDeleteReport), {day, bus});
    for (const QStringList &line : LinesToSave()) {
        const long double value = DotStrToFloat(line[colValue]);
        if (value == 0)
            continue;
        statements << Format(S(kInsertLine),
                             {QStringLiteral("Otchet_plasiori"), day, bus, StrToIntOrZero(line[colCode]),
                              StrToIntOrZero(line[colNr]), DotStrToFloat(line[colQuantity]),
                              DotStrToFloat(line[colPrice]), value});
    }
    return statements;
}

bool TfrmOstojnostjavane_na_Otchet_plasiori::CanSave()
{
    FSaveError.clear();
    if (!TQuorendReadForm::CanSave())
        return false;
    // A minibus its list lacks names no report: its lines would be stored
    // for nobody.
    if (ListedCode(code_bus) == 0) {
        FSaveError = QStringLiteral("Въвдетете микробус");
        return false;
    }
    // A quantity or price typed is a number, or nothing is saved.
    QString messages;
    for (int row = Grid->FixedRows(); row < Grid->RowCount(); ++row) {
        if (!IsLineRow(row))
            continue;
        const QString line = Format(QStringLiteral("\"%s\", ред %s"), {Grid->Cells(colName, row), Grid->Cells(colNr, row)});
        messages += AmountTextError(Grid->Cells(colQuantity, row), QStringLiteral("количеството на ") + line);
        messages += AmountTextError(Grid->Cells(colPrice, row), QStringLiteral("цената на ") + line);
    }
    if (!messages.isEmpty()) {
        FSaveError = messages;
        return false;
    }
    // The values of the lines as they stand now, the last key included.
    RecalcValues();
    long double total = 0;
    for (const QStringList &line : LinesToSave())
        total += DotStrToFloat(line[colValue]);
    if (RoundFloat(ValuePrecision, total) == 0) {
        FSaveError = QStringLiteral("Не са въведени данни, които да се запишат в базата данни");
        return false;
    }
    return true;
}

bool TfrmOstojnostjavane_na_Otchet_plasiori::DoSave()
{
    // The day's report is deleted and written again in one transaction: a
    // failure leaves the stored report as it was.
    RecalcValues();
    // The report as read, saved unchanged, is not written again.
    QStringList written;
    for (const QStringList &line : LinesToSave())
        if (DotStrToFloat(line[colValue]) != 0)
            written << LineKeyText(StrToIntOrZero(line[colCode]), StrToIntOrZero(line[colNr]),
                                   DotStrToFloat(line[colQuantity]), DotStrToFloat(line[colPrice]),
                                   DotStrToFloat(line[colValue]));
    written.sort();
    if (written == FStoredLines) {
        SetModified(false);
        return true;
    }
    const QStringList statements = SaveStatements();
    TDocumentSave save(this);
    const QString report = Format(QStringLiteral("на микробус %d за %s"), {BusCode(), DateToDisplayText(date_doc->date())});
    save.ExpectLoaded(FLoaded, {QStringLiteral("Отчетът ") + report, ngMasculine});
    const TDocumentName sources = {QStringLiteral("Пропуските и върнатата продукция ") + report, ngPlural};
    save.ExpectLoaded(FTakenOut, sources);
    save.ExpectLoaded(FBroughtBack, sources);
    // The window reads the report and its sources again after the save.
    save.WindowReadsAgain = true;
    for (const QString &statement : statements)
        save.Add(statement);
    if (!save.Run())
        return false;
    SetModified(false);
    Execute();
    return true;
}
