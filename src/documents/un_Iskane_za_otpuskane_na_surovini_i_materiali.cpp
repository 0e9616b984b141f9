#include "documents/un_Iskane_za_otpuskane_na_surovini_i_materiali.h"

#include "components/QuorendDateEdit.h"
#include "components/Formatters.h"
#include "components/GridAmountEntry.h"
#include "components/GridUtils.h"
#include "components/RichGrid.h"
#include "core/uDelimitedStrings.h"
#include "core/uHelpers.h"
#include "core/unSchema.h"
#include "core/un_Ado_Connection.h"
#include "framework/DocumentSave.h"
#include "framework/QuorendFormClasses.h"

#include <QAction>
#include <QDate>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <map>

namespace {

const char16_t *const kCaption = u"Изписване на суровини и материали на база актувана готова продукция";

const char16_t *const kSelectByNorm =
    u"SELECT Razhodni_normi.code_resource,        Resources.Name_r,        Merki.v_Miarka,        "
    u"Sum([quantity_izd]*[quantity_rn]) AS Vlojena_surovina FROM (Merki INNER JOIN Resources ON Merki.n_Miarka = "
    u"Resources.Miarka_r) INNER JOIN (Akt_za_proizvedena_produkcia INNER JOIN Razhodni_normi ON "
    u"Akt_za_proizvedena_produkcia.code_izd = Razhodni_normi.code_izdelie) ON Resources.code_r = "
    u"Razhodni_normi.code_resource WHERE (((Akt_za_proizvedena_produkcia.date_doc) = %d )) GROUP BY "
    u"Razhodni_normi.code_resource,          Resources.Name_r,          Merki.v_Miarka HAVING "
    u"(((Sum([quantity_izd]*[quantity_rn]))>0)) ORDER BY Resources.Name_r";

const char16_t *const kSelectRequested =
    u"SELECT Iskane_za_otpuskane_na_surovini_i_materiali.code_r,        Resources.Name_r,        Merki.v_Miarka,   "
    u"     Iskane_za_otpuskane_na_surovini_i_materiali.quantity_r FROM Merki INNER JOIN "
    u"(Iskane_za_otpuskane_na_surovini_i_materiali INNER JOIN Resources ON "
    u"Iskane_za_otpuskane_na_surovini_i_materiali.code_r = Resources.code_r) ON Merki.n_Miarka = Resources.Miarka_r "
    u"WHERE (((Iskane_za_otpuskane_na_surovini_i_materiali.date_doc) = %d ))";

const char16_t *const kDeleteDay = u"DELETE * from Iskane_za_otpuskane_na_surovini_i_materiali WHERE date_doc = %d";

const char16_t *const kSelectStoredDay =
    u"SELECT code_r, quantity_r FROM Iskane_za_otpuskane_na_surovini_i_materiali WHERE date_doc = %d";

QString Fixed3(long double X)
{
    QString s;
    FloatToFixedDotStr(3, s, X);
    return s;
}

// A record's resource code (field 0) and the text of its quantity field.
std::pair<int, QString> CodeAndQuantity(const TDelimitedStringList &List, int Index, int QuantityField)
{
    QString code;
    QString quantity;
    List.GetField(Index, 0, code);
    List.GetField(Index, QuantityField, quantity);
    return {StrToIntOrZero(code), quantity};
}

const bool registered = RegisterQuorendFormClass<TfrmIskane_za_otpuskane_na_surovini_i_materiali>(
    QStringLiteral("TfrmIskane_za_otpuskane_na_surovini_i_materiali"));

} // namespace

TfrmIskane_za_otpuskane_na_surovini_i_materiali::TfrmIskane_za_otpuskane_na_surovini_i_materiali(
    QWidget *AOwner, TFormStyle AFormStyle)
    : TQuorendReadForm(AOwner, AFormStyle)
{
    setObjectName(QStringLiteral("frmIskane_za_otpuskane_na_surovini_i_materiali"));
    auto *params = pnlParams->layout();
    auto *lblDate = new QLabel(QStringLiteral("За дата:"), pnlParams);
    date_doc = new TQuorendDatePicker(pnlParams);
    date_doc->setObjectName(QStringLiteral("date_doc"));
    date_doc->setCalendarPopup(true);
    date_doc->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    lblDate->setBuddy(date_doc);
    btnIzpisvane = new QPushButton(QStringLiteral("Изписване"), pnlParams);
    btnIzpisvane->setObjectName(QStringLiteral("btnIzpisvane"));
    params->addWidget(lblDate);
    params->addWidget(date_doc);
    params->addWidget(btnIzpisvane);

    Grid->SetColCount(colCount);
    Grid->SetFixedRows(2);
    Grid->SetRowCount(3);
    Grid->SetRows(0, {QStringLiteral("Суровина/Материал"), QString(), QString(), QStringLiteral("Вложено по норма"),
                      QStringLiteral("Заявено"), QStringLiteral("Разлика")});
    Grid->SetRows(1, {QStringLiteral("шифър"), QStringLiteral("наименование"), QStringLiteral("мярка"), QString(),
                      QString(), QString()});
    Grid->SetMergeCellsStr(QStringLiteral("0,0,2,0|3,0,3,1|4,0,4,1|5,0,5,1"));

    FAmounts = std::make_unique<TGridAmountEntry>(Grid, TGridAmountEntry::akDecimal);
    FAmounts->SetEditableColumn(colRequested);
    // There is no totals row: any request row edits, and what follows a
    // typed quantity is its difference.
    FAmounts->CanEditCell = [this](int ACol, int ARow) { return CanEditCell(ACol, ARow); };
    FAmounts->OnRecalcTotals = [this] { RecalcDifferences(); };
    Grid->OnClick = [this](QObject *) { GridClick(); };
    Grid->OnKeyPress = [this](QObject *, QChar &Key) { GridKeyPress(Key); };
    Grid->OnSetEditText = [this](QObject *, int, int, const QString &) {
        FAmounts->EditTextSet();
        SetModified(true);
    };

    FSwitch.Read = [this] { return QStringList{date_doc->date().toString(Qt::ISODate)}; };
    FSwitch.Write = [this](const QStringList &Day) {
        date_doc->setDate(QDate::fromString(Day.value(0), Qt::ISODate));
    };
    FSwitch.Drop = [this] { SetModified(false); };
    // F8, the filter and another date ask about typed quantities first.
    AskBeforeReading(FSwitch.Drop);
    connect(date_doc, &QDateEdit::dateChanged, this, [this] { DateChanged(); });
    connect(btnIzpisvane, &QPushButton::clicked, this, [this] { RunHeld([this] { btnIzpisvaneClick(); }); });

    actExecute->setEnabled(true);
    actSave->setEnabled(true);
}

TfrmIskane_za_otpuskane_na_surovini_i_materiali::~TfrmIskane_za_otpuskane_na_surovini_i_materiali() = default;

// ---------------------------------------------------------------- hooks

QString TfrmIskane_za_otpuskane_na_surovini_i_materiali::GetSubTitle()
{
    return Format(QStringLiteral("за дата %s"), {DateToDisplayText(date_doc->date())});
}

bool TfrmIskane_za_otpuskane_na_surovini_i_materiali::InitForm()
{
    const bool result = TQuorendReadForm::InitForm();
    {
        const QSignalBlocker block(date_doc);
        date_doc->setDate(QDate::currentDate());
    }
    for (int col = colByNorm; col <= colDifference; ++col)
        Grid->GetColAttributes(col)->SetFormatter(AmountFormatter);
    return result;
}

bool TfrmIskane_za_otpuskane_na_surovini_i_materiali::BeforeShow()
{
    const bool result = TQuorendReadForm::BeforeShow();
    const QString caption = QString::fromUtf16(kCaption);
    setWindowTitle(caption);
    pnlCaption->setText(caption.toUpper());
    Execute();
    return result;
}

bool TfrmIskane_za_otpuskane_na_surovini_i_materiali::DoExecute()
{
    const bool result = TQuorendReadForm::DoExecute();
    const int day = DateToDayNumber(date_doc->date());
    // The day's request as stored, read first: the save compares it, and a
    // save of another workstation after this read makes this one refuse.
    FLoaded.SetQuery(this, Format(QString::fromUtf16(kSelectStoredDay), {day}));
    FLoaded.Read();
    TDelimitedStringList rows;
    SelectToList(this, DbConnection, Format(QString::fromUtf16(kSelectByNorm), {day}), rows);
    const QChar d = rows.FieldDelimiter();
    std::map<int, int> indexOfCode;
    rows.BeginUpdate();
    for (int i = 0; i < rows.Count(); ++i) {
        QString record = rows.Strings(i);
        SetPieceCount(record, d, colCount);
        QString byNorm;
        GetPiece(record, d, colByNorm, byNorm);
        SetPiece(record, d, colByNorm, Fixed3(DotStrToFloat(byNorm)));
        rows.SetStrings(i, record);
        QString code;
        GetPiece(record, d, colCode, code);
        indexOfCode[StrToIntOrZero(code)] = i;
    }

    TDelimitedStringList requested;
    SelectToList(this, DbConnection, Format(QString::fromUtf16(kSelectRequested), {day}), requested);
    std::set<int> requestedCodes;
    FStoredRequest.clear();
    for (int i = 0; i < requested.Count(); ++i) {
        const auto [codeValue, quantity] = CodeAndQuantity(requested, i, 3);
        requestedCodes.insert(codeValue);
        FStoredRequest[codeValue] = Fixed3(DotStrToFloat(quantity));
        const auto found = indexOfCode.find(codeValue);
        if (found != indexOfCode.end()) {
            rows.SetField(found->second, colRequested, Fixed3(DotStrToFloat(quantity)));
            continue;
        }
        QString name;
        QString unit;
        requested.GetField(i, 1, name);
        requested.GetField(i, 2, unit);
        const QStringList record = {QString::number(codeValue), name, unit, QString(),
                                    Fixed3(DotStrToFloat(quantity)), QString()};
        indexOfCode[codeValue] = rows.Add(record.join(d));
    }
    for (int i = 0; i < rows.Count(); ++i) {
        QString byNorm;
        QString wanted;
        rows.GetField(i, colByNorm, byNorm);
        rows.GetField(i, colRequested, wanted);
        rows.SetField(i, colDifference, Fixed3(DotStrToFloat(byNorm) - DotStrToFloat(wanted)));
    }
    rows.EndUpdate();

    FilterRows(rows, QStringLiteral("3,4,5"));
    // A request the filter hides is not on the screen to be typed again:
    // the save keeps it as it is stored.
    FHiddenCodes = requestedCodes;
    for (int i = 0; i < rows.Count(); ++i) {
        QString code;
        rows.GetField(i, colCode, code);
        FHiddenCodes.erase(StrToIntOrZero(code));
    }
    FillGridFromDelimitedStrings(*Grid, rows, true);
    SetHeaderSort(true);
    FShownDay = day;
    FSwitch.Shown();
    SetModified(false);
    return result;
}

void TfrmIskane_za_otpuskane_na_surovini_i_materiali::DateChanged()
{
    if ((BusyFlags() & qbShowing) || !FSwitch.Confirm(*this))
        return;
    ClearGrid(*Grid, 0);
    FShownDay = 0;
    FHiddenCodes.clear();
    SetModified(false);
}

// ---------------------------------------------------------------- the grid

bool TfrmIskane_za_otpuskane_na_surovini_i_materiali::CanEditCell(int ACol, int ARow) const
{
    return ACol == colRequested && ARow >= Grid->FixedRows() && ARow < Grid->RowCount() && !IsTotalsRow(ARow)
           && !Grid->Cells(colCode, ARow).trimmed().isEmpty();
}

void TfrmIskane_za_otpuskane_na_surovini_i_materiali::RecalcDifferences()
{
    for (int row = Grid->FixedRows(); row < Grid->RowCount(); ++row) {
        if (IsTotalsRow(row) || Grid->Cells(colCode, row).trimmed().isEmpty())
            continue;
        const QString text = Fixed3(DotStrToFloat(Grid->Cells(colByNorm, row))
                                    - DotStrToFloat(Grid->Cells(colRequested, row)));
        if (Grid->Cells(colDifference, row) != text)
            Grid->SetCells(colDifference, row, text);
    }
}

void TfrmIskane_za_otpuskane_na_surovini_i_materiali::GridClick() { FAmounts->Click(); }

void TfrmIskane_za_otpuskane_na_surovini_i_materiali::GridKeyPress(QChar &Key) { FAmounts->KeyPress(Key); }

void TfrmIskane_za_otpuskane_na_surovini_i_materiali::btnIzpisvaneClick()
{
    bool changed = false;
    for (int row = Grid->FixedRows(); row < Grid->RowCount(); ++row) {
        if (IsTotalsRow(row) || Grid->Cells(colCode, row).trimmed().isEmpty())
            continue;
        const QString byNorm = Grid->Cells(colByNorm, row);
        if (Grid->Cells(colRequested, row) != byNorm) {
            Grid->SetCells(colRequested, row, byNorm);
            changed = true;
        }
    }
    RecalcDifferences();
    if (changed)
        SetModified(true);
}

std::vector<std::pair<int, long double>> TfrmIskane_za_otpuskane_na_surovini_i_materiali::RequestedRows() const
{
    std::vector<std::pair<int, long double>> result;
    for (int row = Grid->FixedRows(); row < Grid->RowCount(); ++row) {
        if (IsTotalsRow(row))
            continue;
        const int code = StrToIntOrZero(Grid->Cells(colCode, row).trimmed());
        const long double quantity = RoundFloat(3, DotStrToFloat(Grid->Cells(colRequested, row)));
        if (code > 0 && quantity > 0)
            result.emplace_back(code, quantity);
    }
    return result;
}

// ---------------------------------------------------------------- the save

bool TfrmIskane_za_otpuskane_na_surovini_i_materiali::CanSave()
{
    FSaveError.clear();
    if (!TQuorendReadForm::CanSave())
        return false;
    // A quantity typed is a number, or nothing is saved: read as 0 it
    // would take the resource out of the day's request.
    QString messages;
    for (int row = Grid->FixedRows(); row < Grid->RowCount(); ++row)
        if (!IsTotalsRow(row) && !Grid->Cells(colCode, row).trimmed().isEmpty())
            messages += AmountTextError(Grid->Cells(colRequested, row),
                                        Format(QStringLiteral("заявеното количество на \"%s\""),
                                               {Grid->Cells(colName, row)}));
    if (!messages.isEmpty()) {
        FSaveError = messages;
        return false;
    }
    // The differences follow the quantities as they stand at F2.
    RecalcDifferences();
    if (FShownDay == 0 || RequestedRows().empty()) {
        FSaveError = QStringLiteral("Не са въведени данни, които да се запишат в базата данни");
        return false;
    }
    return true;
}

bool TfrmIskane_za_otpuskane_na_surovini_i_materiali::DoSave()
{
    const auto rows = RequestedRows();
    if (FShownDay == 0 || rows.empty())
        return false;
    const int day = FShownDay;
    // The request as read, saved unchanged, is not written again.
    std::map<int, QString> written;
    for (const auto &[code, quantity] : rows)
        written[code] = Fixed3(quantity);
    for (int code : FHiddenCodes)
        if (FStoredRequest.count(code) > 0)
            written[code] = FStoredRequest[code];
    if (written == FStoredRequest) {
        SetModified(false);
        return true;
    }
    const QString insert = QString::fromUtf8(sqlInsertIskane_za_otpuskane_na_surovini_i_materiali);
    // The day is replaced as a whole: the delete and every insert commit
    // together or not at all.
    TDocumentSave save(this);
    save.IsNew = false;
    save.ExpectLoaded(FLoaded, {QStringLiteral("Искането за отпускане на суровини и материали за ") + DateToDisplayText(DayNumberToDate(day)),
                              ngNeuter});
    // Execute below reads the day again.
    save.WindowReadsAgain = true;
    save.Add(Format(QString::fromUtf16(kDeleteDay), {day}));
    for (const auto &[code, quantity] : rows)
        save.Add(Format(insert, {day, code, quantity}));
    const std::set<int> hidden = FHiddenCodes;
    if (!hidden.empty()) {
        save.Plan = [this, day, hidden, insert](TDocumentSave &Save) {
            TDelimitedStringList stored;
            SelectToList(this, DbConnection, Format(QString::fromUtf16(kSelectStoredDay), {day}), stored);
            for (int i = 0; i < stored.Count(); ++i) {
                const auto [codeValue, quantity] = CodeAndQuantity(stored, i, 1);
                if (hidden.count(codeValue) > 0)
                    Save.Add(Format(insert, {day, codeValue, DotStrToFloat(quantity)}));
            }
        };
    }
    if (!save.Run())
        return false;
    SetModified(false);
    Execute();
    return true;
}
