#include "documents/un_Generirane_na_Propusk_za_izvozvane.h"

#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <vector>

#include "components/Formatters.h"
#include "components/GridAmountEntry.h"
#include "components/GridUtils.h"
#include "components/ListEdit.h"
#include "components/RichGrid.h"
#include "core/DialogsEx.h"
#include "core/uDelimitedStrings.h"
#include "core/uHelpers.h"
#include "core/unMessageTexts.h"
#include "core/unRegistryFuncs.h"
#include "core/un_Ado_Connection.h"
#include "framework/DocumentSave.h"
#include "framework/LookupLists.h"
#include "framework/QuorendFormClasses.h"

namespace {

QString Quantity(long double X)
{
    QString s;
    FloatToFixedDotStr(3, s, X);
    return s;
}

long double Number(const QString &Text) { return DotStrToFloat(Text.trimmed(), 0); }

// The grouped sums of one table for the day (and the minibus).
QString SumsSql(const QString &Table, int Day, int Bus)
{
    QString sql = QStringLiteral(
        "SELECT %0.code_izd,        Izdelia.name_izd,        Merki.v_Miarka,        Sum( %0.quantity_izd ) As "
        "SumOfquantity_izd,        %0.code_a,        Ambalaj.name_a,        Sum( %0.quantity_amb ) As "
        "SumOfquantity_amb FROM (Merki INNER JOIN Izdelia ON Merki.n_Miarka = Izdelia.mjarka) INNER JOIN (Ambalaj "
        "INNER JOIN %0 ON Ambalaj.code_a = %0.code_a) ON Izdelia.code_izd = %0.code_izd WHERE ((%0.date_doc)= %d ) ");
    if (Bus != 0)
        sql += QStringLiteral("AND ((%0.code_bus)= %d ) ");
    if (Table == QLatin1String("Zaiavki_za_expedicia"))
        sql += QStringLiteral("GROUP BY %0.code_izd, Izdelia.name_izd, Merki.v_Miarka, %0.code_a, Ambalaj.name_a ");
    else
        sql += QStringLiteral("GROUP BY %0.code_izd, Izdelia.name_izd, Merki.v_Miarka,          %0.code_a, "
                              "Ambalaj.name_a ");
    sql += QStringLiteral("ORDER BY Izdelia.name_izd");
    sql.replace(QStringLiteral("%0"), Table);
    return Bus != 0 ? Format(sql, {Day, Bus}) : Format(sql, {Day});
}

} // namespace

TfrmGenerirane_na_Propusk_za_izvozvane::TfrmGenerirane_na_Propusk_za_izvozvane(QWidget *AOwner,
                                                                               TFormStyle AFormStyle)
    : TQuorendReadForm(AOwner, AFormStyle)
{
    setObjectName(QStringLiteral("frmGenerirane_na_Propusk_za_izvozvane"));
    auto *layout = pnlParams->layout();
    layout->addWidget(new QLabel(QStringLiteral("Микробус:"), pnlParams));
    code_bus = new TListEdit(pnlParams);
    code_bus->setObjectName(QStringLiteral("code_bus"));
    code_bus->setMaximumWidth(90);
    layout->addWidget(code_bus);
    panelMicrobus = new QLabel(pnlParams);
    panelMicrobus->setObjectName(QStringLiteral("panelMicrobus"));
    panelMicrobus->setFrameShape(QFrame::Panel);
    panelMicrobus->setFrameShadow(QFrame::Sunken);
    panelMicrobus->setMinimumWidth(180);
    layout->addWidget(panelMicrobus);
    date_doc = AddDatePicker(pnlParams, QStringLiteral("За дата:"), QStringLiteral("date_doc"));
    code_bus->SetDescrControl(panelMicrobus);

    auto clear = [this] {
        ClearGrid(*Grid, 0);
        Grid->ClearCellValues();
    };
    connect(code_bus, &QLineEdit::textChanged, this, clear);
    connect(date_doc, &QDateEdit::dateChanged, this, clear);

    Grid->SetColCount(colCount);
    Grid->SetRowCount(3);
    Grid->SetFixedRows(2);
    Grid->SetRows(0, {QStringLiteral("Изделие"), QString(), QString(), QString(), QString(), QString(), QString(),
                      QStringLiteral("Амбалаж"), QString(), QString(), QString(), QString(), QString()});
    Grid->SetRows(1, {QStringLiteral("Шифър"), QStringLiteral("Наименование"), QStringLiteral("Мярка"),
                      QStringLiteral("Заявено"), QStringLiteral("По пропуски"), QStringLiteral("Остатък"),
                      QStringLiteral("За пропуск"), QStringLiteral("Шифър"), QStringLiteral("Наименование"),
                      QStringLiteral("Заявено"), QStringLiteral("По пропуски"), QStringLiteral("Остатък"),
                      QStringLiteral("За пропуск")});
    Grid->MergeCells(colCode, 0, colToPass, 0);
    Grid->MergeCells(colPackCode, 0, colPackToPass, 0);
    for (int c : {colRequested, colPassed, colRemaining, colToPass, colPackRequested, colPackPassed, colPackRemaining,
                  colPackToPass})
        Grid->GetColAttributes(c)->SetFormatter(AmountFormatter);
    Grid->OnClick = [this](QObject *) { GridClick(); };
    Grid->OnKeyPress = [this](QObject *, QChar &Key) { GridKeyPress(Key); };

    actExecute->setEnabled(true);
    actSave->setEnabled(true);
}

bool TfrmGenerirane_na_Propusk_za_izvozvane::InitForm()
{
    if (!TQuorendReadForm::InitForm())
        return false;
    {
        const QSignalBlocker block(date_doc);
        date_doc->setDate(QDate::currentDate());
    }
    try {
        FillBusesList(this, code_bus);
    } catch (const std::exception &e) {
        ShowError(LoadResString(rsDatabaseError) + QStringLiteral("\n\r") + DatabaseErrorMessage(e));
    }
    return true;
}

bool TfrmGenerirane_na_Propusk_za_izvozvane::FormDone()
{
    SetRegistrySetting(QStringLiteral("code_bus_Text"), code_bus->text());
    return TQuorendReadForm::FormDone();
}

bool TfrmGenerirane_na_Propusk_za_izvozvane::BeforeShow()
{
    TQuorendReadForm::BeforeShow();
    setWindowTitle(QStringLiteral("Генериране на пропуск за извозване"));
    QString upper;
    UpperCaseChars(windowTitle(), upper);
    pnlCaption->setText(upper);
    Execute();
    return true;
}

QString TfrmGenerirane_na_Propusk_za_izvozvane::GetSubTitle()
{
    QString name;
    ListEditLookup(code_bus, 0, 1, name, code_bus->text().trimmed());
    return Format(QStringLiteral(" за микробус %s - %s за дата %s"),
                  {code_bus->text().trimmed(), name, DateToDisplayText(date_doc->date())});
}

int TfrmGenerirane_na_Propusk_za_izvozvane::ChosenBus() const
{
    if (code_bus->text().trimmed().isEmpty())
        return 0;
    const int bus = ListedCode(code_bus);
    return bus == 0 ? -1 : bus;
}

bool TfrmGenerirane_na_Propusk_za_izvozvane::LoadRows(TDelimitedStringList &Rows)
{
    const int day = DateToDayNumber(date_doc->date());
    const int bus = ChosenBus();
    // Letters are no minibus: never read as "every minibus".
    if (bus < 0) {
        ShowError(QStringLiteral("Въвдетете микробус"));
        return false;
    }
    TDelimitedStringList requests;
    TDelimitedStringList passes;
    if (!SelectToList(this, DbConnection, SumsSql(QStringLiteral("Zaiavki_za_expedicia"), day, bus), requests))
        return false;
    FPassed.SetQuery(this, SumsSql(QStringLiteral("Propusk_za_izvozvane"), day, bus),
                     [](const QStringList &Fields) { return Fields.value(0) + QLatin1Char('@') + Fields.value(4); });
    FPassed.Read(&passes);

    std::vector<QStringList> records;
    auto fields = [](const QString &Record) {
        QStringList f = Record.split(QChar('@'));
        while (f.size() < 7)
            f << QString();
        return f;
    };
    // A grid record of one grouped sum, its quantities in the given columns.
    auto record = [](const QStringList &f, int QuantityCol, int PackQuantityCol) {
        QStringList r;
        for (int c = 0; c < colCount; ++c)
            r << QString();
        r[colCode] = f[0];
        r[colName] = f[1];
        r[colUnit] = f[2];
        r[QuantityCol] = f[3];
        r[colPackCode] = f[4];
        r[colPackName] = f[5];
        r[PackQuantityCol] = f[6];
        return r;
    };
    for (int i = 0; i < requests.Count(); ++i)
        records.push_back(record(fields(requests.Strings(i)), colRequested, colPackRequested));
    for (int i = 0; i < passes.Count(); ++i) {
        const QStringList f = fields(passes.Strings(i));
        QStringList *match = nullptr;
        for (QStringList &r : records)
            if (r[colCode] == f[0] && r[colPackCode] == f[4]) {
                match = &r;
                break;
            }
        if (match) {
            (*match)[colPassed] = Quantity(Number((*match)[colPassed]) + Number(f[3]));
            (*match)[colPackPassed] = Quantity(Number((*match)[colPackPassed]) + Number(f[6]));
            continue;
        }
        records.push_back(record(f, colPassed, colPackPassed));
    }
    for (QStringList &r : records) {
        for (int c : {colRequested, colPassed, colPackRequested, colPackPassed})
            r[c] = Quantity(Number(r[c]));
        r[colRemaining] = Quantity(Number(r[colRequested]) - Number(r[colPassed]));
        r[colToPass] = r[colRemaining];
        r[colPackRemaining] = Quantity(Number(r[colPackRequested]) - Number(r[colPackPassed]));
        r[colPackToPass] = r[colPackRemaining];
        Rows.Add(r.join(QChar('@')));
    }
    return true;
}

bool TfrmGenerirane_na_Propusk_za_izvozvane::DoExecute()
{
    TDelimitedStringList rows;
    if (!LoadRows(rows))
        return false;
    ShowRows(rows);
    return true;
}

void TfrmGenerirane_na_Propusk_za_izvozvane::GridClick()
{
    // Only the quantities to pass now are typed, on rows of a product.
    SetGridEditing(*Grid, (Grid->Col() == colToPass || Grid->Col() == colPackToPass) &&
                              !Grid->Cells(colCode, Grid->Row()).trimmed().isEmpty() &&
                              Grid->Row() >= Grid->FixedRows());
}

void TfrmGenerirane_na_Propusk_za_izvozvane::GridKeyPress(QChar &Key)
{
    FilterAmountKey(Key, true);
}

bool TfrmGenerirane_na_Propusk_za_izvozvane::DoSave()
{
    struct TPassRow
    {
        int Product, Packaging;
        long double Quantity, Crates;
    };
    std::vector<TPassRow> rows;
    // The pass is written for the minibus of the header: none, or one its
    // list lacks, names nobody.
    const int bus = ChosenBus();
    if (bus <= 0) {
        ShowMessage(QStringLiteral("Въвдетете микробус"));
        return false;
    }
    // A quantity typed is a number, or nothing is written.
    QString messages;
    for (int r = Grid->FixedRows(); r < Grid->RowCount(); ++r) {
        if (Grid->Cells(colCode, r).trimmed().isEmpty())
            continue;
        const QString name = Format(QStringLiteral("\"%s\""), {Grid->Cells(colName, r)});
        messages += AmountTextError(Grid->Cells(colToPass, r), QStringLiteral("количеството за пропуск на ") + name);
        messages += AmountTextError(Grid->Cells(colPackToPass, r), QStringLiteral("амбалажа за пропуск на ") + name);
    }
    if (!messages.isEmpty()) {
        ShowError(messages);
        return false;
    }
    for (int r = Grid->FixedRows(); r < Grid->RowCount(); ++r) {
        const int product = StrToIntOrZero(Grid->Cells(colCode, r).trimmed());
        const long double quantity = Number(Grid->Cells(colToPass, r));
        const long double crates = Number(Grid->Cells(colPackToPass, r));
        if (product > 0 && (quantity > 0 || crates > 0))
            rows.push_back({product, StrToIntOrZero(Grid->Cells(colPackCode, r).trimmed()), quantity, crates});
    }
    if (rows.empty()) {
        ShowMessage(QStringLiteral("Не са въведени данни, които да се запишат в базата данни"));
        return false;
    }
    if (AskYesNoCancel(QStringLiteral("Желаете ли да се генерира пропуск за извозване?")) != mrYes)
        return false;

    const int day = DateToDayNumber(date_doc->date());
    TDocumentSave save(this);
    save.IsNew = true;
    save.NumberFromNextCode(QStringLiteral("docno"), QStringLiteral("Propusk_za_izvozvane"));
    QStringList keys;
    for (const TPassRow &row : rows)
        keys << QStringLiteral("%1@%2").arg(row.Product).arg(row.Packaging);
    save.ExpectLoaded(FPassed, keys,
                      {Format(QStringLiteral("Пропуските на микробус %d за %s"), {bus, DateToDisplayText(date_doc->date())}),
                       ngPlural});
    // Execute below reads the day's passes again.
    save.WindowReadsAgain = true;
    for (const TPassRow &row : rows)
        save.Add([row, day, bus](long double Number) {
            return Format(QStringLiteral("INSERT INTO Propusk_za_izvozvane values ( %d, %d, %d, %d, %d, %.4f, %.4f )"),
                          {int(Number), day, bus, row.Product, row.Packaging, row.Quantity, row.Crates});
        });
    if (!save.Run())
        return false;
    SetModified(false);
    Execute();
    return true;
}

namespace {
const bool registered = RegisterQuorendFormClass<TfrmGenerirane_na_Propusk_za_izvozvane>(
    QStringLiteral("TfrmGenerirane_na_Propusk_za_izvozvane"));
}
