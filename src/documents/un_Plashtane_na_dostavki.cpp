#include "documents/un_Plashtane_na_dostavki.h"

#include "components/Formatters.h"
#include "components/GridAmountEntry.h"
#include "components/GridUtils.h"
#include "components/ListEdit.h"
#include "components/RichGrid.h"
#include "core/DialogsEx.h"
#include "core/uHelpers.h"
#include "core/unMessageTexts.h"
#include "core/unRegistryFuncs.h"
#include "core/un_Ado_Connection.h"
#include "framework/DocumentSave.h"
#include "framework/LookupLists.h"
#include "framework/QuorendFormClasses.h"

#include <QButtonGroup>
#include <QDate>
#include <QDateEdit>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>

namespace {

const QString kRegSupplier = QStringLiteral("code_supplier_Text");
const QString kRegPayment = QStringLiteral("frmInvoice_leType_of_payment_Text");

const char16_t *const kSelectDeliveries =
    u"SELECT docno,        date_doc,        Sum( value_r ) AS SumOfvalue_r,        code_supplier,        "
    u"code_supplier,        code_supplier,        code_supplier,        code_supplier,        ByDocNo,        "
    u"ByDateDocNo FROM Dostavki ";
const char16_t *const kWhereSupplier = u"WHERE ( code_supplier = %d ) ";
const char16_t *const kGroupBy = u"GROUP BY docno, date_doc, code_supplier, ByDocNo, ByDateDocNo ";
const char16_t *const kHaving = u"HAVING ( date_doc >= %d AND date_doc <= %d ) ";
const char16_t *const kOrderBy = u"ORDER BY docno";
const char16_t *const kSelectPaid =
    u"SELECT Sum(Plashtane_na_dostavki.suma) AS SumOfsuma FROM Plashtane_na_dostavki GROUP BY "
    u"Plashtane_na_dostavki.docno_supplier HAVING (((Plashtane_na_dostavki.docno_supplier)= %d  ))";
const char16_t *const kSelectSupplierName = u"Select name_c From CustGroups Where code_c = %d";
const char16_t *const kInsertPayment = u"Insert into %s values ( %d, %d, %d, %.2f, %d )";

QString Fixed2(long double X)
{
    QString s;
    FloatToFixedDotStr(2, s, X);
    return s;
}

QDateEdit *DateEdit(QWidget *Parent, const QString &Name)
{
    auto *edit = new QDateEdit(Parent);
    edit->setObjectName(Name);
    edit->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    edit->setCalendarPopup(true);
    return edit;
}

TListEdit *CodeEdit(QWidget *Parent, const QString &Name)
{
    auto *edit = new TListEdit(Parent);
    edit->setObjectName(Name);
    edit->setMaximumWidth(80);
    return edit;
}

const bool registered = RegisterQuorendFormClass<TfrmPlashtane_na_dostavki>(QStringLiteral("TfrmPlashtane_na_dostavki"));

} // namespace

TfrmPlashtane_na_dostavki::TfrmPlashtane_na_dostavki(QWidget *AOwner, TFormStyle AFormStyle)
    : TQuorendReadForm(AOwner, AFormStyle)
{
    setObjectName(QStringLiteral("frmPlashtane_na_dostavki"));
    auto *params = static_cast<QHBoxLayout *>(pnlParams->layout());

    params->addWidget(new QLabel(QStringLiteral("От дата:"), pnlParams));
    dtp_From = DateEdit(pnlParams, QStringLiteral("dtp_From"));
    params->addWidget(dtp_From);
    params->addWidget(new QLabel(QStringLiteral("до дата:"), pnlParams));
    dtp_To = DateEdit(pnlParams, QStringLiteral("dtp_To"));
    params->addWidget(dtp_To);

    rg_Type = new QGroupBox(QStringLiteral(" Вид на доставките: "), pnlParams);
    rg_Type->setObjectName(QStringLiteral("rg_Type"));
    auto *typeLayout = new QHBoxLayout(rg_Type);
    typeLayout->setContentsMargins(4, 0, 4, 0);
    rg_TypeButtons = new QButtonGroup(rg_Type);
    const QStringList items = {QStringLiteral("всички"), QStringLiteral("неплатени"), QStringLiteral("платени")};
    for (int i = 0; i < items.size(); ++i) {
        auto *button = new QRadioButton(items[i], rg_Type);
        rg_TypeButtons->addButton(button, i);
        typeLayout->addWidget(button);
    }
    rg_TypeButtons->button(0)->setChecked(true);
    params->addWidget(rg_Type);

    params->addWidget(new QLabel(QStringLiteral("Доставчик:"), pnlParams));
    code_supplier = CodeEdit(pnlParams, QStringLiteral("code_supplier"));
    params->addWidget(code_supplier);
    params->addWidget(new QLabel(QStringLiteral("Плащане:"), pnlParams));
    code_payment = CodeEdit(pnlParams, QStringLiteral("code_payment"));
    params->addWidget(code_payment);

    Grid->SetColCount(colCount);
    Grid->SetFixedRows(2);
    Grid->SetRowCount(3);
    Grid->SetRows(0, {QStringLiteral("Доставка"), QString(), QStringLiteral("Стойност"), QStringLiteral("Платено"),
                      QStringLiteral("Остатък"), QStringLiteral("За плащане"), QStringLiteral("Доставчик"), QString(),
                      QStringLiteral("Фактура"), QString()});
    Grid->SetRows(1, {QStringLiteral("Номер"), QStringLiteral("Дата"), QString(), QString(), QString(), QString(),
                      QStringLiteral("Шифър"), QStringLiteral("Наименование"), QStringLiteral("Номер"),
                      QStringLiteral("Дата")});
    Grid->SetMergeCellsStr(QStringLiteral("0,0,1,0|2,0,2,1|3,0,3,1|4,0,4,1|5,0,5,1|6,0,7,0|8,0,9,0"));

    FAmounts = std::make_unique<TGridAmountEntry>(Grid, TGridAmountEntry::akDecimal);
    FAmounts->SetEditableColumn(colToPay);
    FAmounts->SumColumns = {colValue, colPaid, colRemaining, colToPay};
    Grid->OnClick = [this](QObject *) { GridClick(); };
    Grid->OnKeyPress = [this](QObject *, QChar &Key) { GridKeyPress(Key); };
    Grid->OnSetEditText = [this](QObject *, int, int, const QString &) { FAmounts->EditTextSet(); };

    connect(dtp_From, &QDateEdit::dateChanged, this, [this] { ParamsChange(); });
    connect(dtp_To, &QDateEdit::dateChanged, this, [this] { ParamsChange(); });
    connect(code_supplier, &QLineEdit::textChanged, this, [this] { ParamsChange(); });
    connect(rg_TypeButtons, &QButtonGroup::idClicked, this, [this] { ParamsChange(); });

    actExecute->setEnabled(true);
    actSave->setEnabled(true);
}

TfrmPlashtane_na_dostavki::~TfrmPlashtane_na_dostavki() = default;

int TfrmPlashtane_na_dostavki::TypeIndex() const { return rg_TypeButtons->checkedId(); }

void TfrmPlashtane_na_dostavki::SetTypeIndex(int Index)
{
    if (QAbstractButton *button = rg_TypeButtons->button(Index))
        button->setChecked(true);
}

// ---------------------------------------------------------------- hooks

QString TfrmPlashtane_na_dostavki::GetSubTitle()
{
    QString name;
    ListEditLookup(code_supplier, 0, 1, name, code_supplier->text().trimmed());
    return Format(QStringLiteral(" за доставчик %s - %s, от дата %s, до дата %s"),
                  {code_supplier->text(), name, DateToDisplayText(dtp_From->date()), DateToDisplayText(dtp_To->date())});
}

bool TfrmPlashtane_na_dostavki::InitForm()
{
    FLoading = true;
    dtp_From->setDate(QDate::currentDate());
    dtp_To->setDate(QDate::currentDate());
    FillCustGroupsList(this, code_supplier);
    FillPaymentTypesList(this, code_payment);
    for (int col = colValue; col <= colToPay; ++col)
        Grid->GetColAttributes(col)->SetFormatter(ValueFormatter);
    FLoading = false;
    return TQuorendReadForm::InitForm();
}

bool TfrmPlashtane_na_dostavki::FormDone()
{
    SetRegistrySetting(kRegSupplier, code_supplier->text());
    SetRegistrySetting(kRegPayment, code_payment->text());
    return TQuorendReadForm::FormDone();
}

bool TfrmPlashtane_na_dostavki::BeforeShow()
{
    if (!TQuorendReadForm::BeforeShow())
        return false;
    const QString caption = QStringLiteral("Плащания на доставки");
    setWindowTitle(caption);
    pnlCaption->setText(caption.toUpper());
    Execute();
    return true;
}

bool TfrmPlashtane_na_dostavki::DoExecute()
{
    TDelimitedStringList rows;
    QString sql = QString::fromUtf16(kSelectDeliveries);
    const int supplier = StrToIntOrZero(code_supplier->text());
    if (!code_supplier->text().trimmed().isEmpty())
        sql += Format(QString::fromUtf16(kWhereSupplier), {supplier});
    sql += QString::fromUtf16(kGroupBy);
    sql += Format(QString::fromUtf16(kHaving), {DateToDayNumber(dtp_From->date()), DateToDayNumber(dtp_To->date())});
    sql += QString::fromUtf16(kOrderBy);
    SelectToList(this, DbConnection, sql, rows);

    const QChar d = rows.FieldDelimiter();
    TDelimitedStringList kept;
    long double sums[4] = {0, 0, 0, 0};
    for (int i = 0; i < rows.Count(); ++i) {
        QString record = rows.Strings(i);
        SetPieceCount(record, d, colCount);
        QString docno;
        GetPiece(record, d, colDocNo, docno);
        TDelimitedStringList paid;
        SelectToList(this, DbConnection, Format(QString::fromUtf16(kSelectPaid), {StrToIntOrZero(docno)}), paid);
        QString supplierCode;
        GetPiece(record, d, colSupplier, supplierCode);
        TDelimitedStringList name;
        SelectToList(this, DbConnection,
                     Format(QString::fromUtf16(kSelectSupplierName), {StrToIntOrZero(supplierCode)}), name);
        QString value;
        GetPiece(record, d, colValue, value);
        const long double v = RoundFloat(2, DotStrToFloat(value));
        const long double p = RoundFloat(2, DotStrToFloat(paid.Count() > 0 ? paid.Strings(0) : QString()));
        const long double remaining = RoundFloat(2, v - p);
        if ((TypeIndex() == 1 && remaining == 0) || (TypeIndex() == 2 && remaining != 0))
            continue;
        SetPiece(record, d, colValue, Fixed2(v));
        SetPiece(record, d, colPaid, Fixed2(p));
        SetPiece(record, d, colRemaining, Fixed2(remaining));
        SetPiece(record, d, colToPay, Fixed2(remaining));
        SetPiece(record, d, colSupplierName, name.Count() > 0 ? name.Strings(0) : QString());
        kept.Add(record);
    }
    // The filter's conditions first, so that the totals are those of the
    // deliveries shown.
    FilterRows(kept, QStringLiteral("2,3,4,5"));
    for (int i = 0; i < kept.Count(); ++i) {
        QString first;
        kept.GetField(i, 0, first);
        if (first == FilterTotalsMarker)
            continue;
        for (int c = 0; c < 4; ++c) {
            QString field;
            kept.GetField(i, colValue + c, field);
            sums[c] += RoundFloat(2, DotStrToFloat(field));
        }
    }
    QString totals = QString(HighlightMarker) + QStringLiteral("Общо:");
    SetPieceCount(totals, d, colCount);
    for (int c = 0; c < 4; ++c)
        SetPiece(totals, d, colValue + c, Format(QStringLiteral("%.2f"), {sums[c]}));
    kept.Add(totals);
    FillGridFromDelimitedStrings(*Grid, kept, true);
    SetHeaderSort(true);
    FAmounts->RecalcTotals();
    return true;
}

void TfrmPlashtane_na_dostavki::ParamsChange()
{
    if (FLoading)
        return;
    ClearGrid(*Grid, 0);
}

void TfrmPlashtane_na_dostavki::GridClick() { FAmounts->Click(); }
void TfrmPlashtane_na_dostavki::GridKeyPress(QChar &Key) { FAmounts->KeyPress(Key); }

std::vector<std::pair<int, long double>> TfrmPlashtane_na_dostavki::PaymentRows() const
{
    std::vector<std::pair<int, long double>> rows;
    for (int row = Grid->FixedRows(); row < Grid->RowCount() - 1; ++row) {
        if (IsTotalsRow(row))
            continue;
        const long double amount = RoundFloat(2, DotStrToFloat(Grid->Cells(colToPay, row)));
        if (amount > 0)
            rows.emplace_back(StrToIntOrZero(Grid->Cells(colDocNo, row)), amount);
    }
    return rows;
}

QString TfrmPlashtane_na_dostavki::PaymentInsert(int Number, int Day, int Delivery, long double Amount,
                                                 int PaymentType)
{
    return Format(QString::fromUtf16(kInsertPayment),
                  {QStringLiteral("Plashtane_na_Dostavki"), Number, Day, Delivery, Amount, PaymentType});
}

bool TfrmPlashtane_na_dostavki::CanSave()
{
    FSaveError.clear();
    if (!TQuorendReadForm::CanSave())
        return false;
    long double sum = 0;
    for (const auto &row : PaymentRows())
        sum += row.second;
    if (!(sum > 0)) {
        FSaveError = QStringLiteral("Не са въведени данни, които да се запишат в базата данни");
        return false;
    }
    if (code_supplier->text().trimmed().isEmpty()) {
        FSaveError = QStringLiteral("Въведете доставчик");
        return false;
    }
    if (StrToIntOrZero(code_payment->text()) == 0) {
        FSaveError = LoadResString(rsChoosePayment);
        return false;
    }
    return true;
}

bool TfrmPlashtane_na_dostavki::DoSave()
{
    // The amounts as they stand now (the last one typed included); the
    // payments' numbers are taken inside the save's transaction, one each.
    const auto rows = PaymentRows();
    if (rows.empty())
        return false;
    const int day = DateToDayNumber(QDate::currentDate());
    const int paymentType = StrToIntOrZero(code_payment->text());
    TDocumentSave save(this);
    save.NumberFromNextCode(QStringLiteral("docno"), QStringLiteral("Plashtane_na_Dostavki"));
    for (int i = 0; i < int(rows.size()); ++i) {
        const int delivery = rows[size_t(i)].first;
        const long double amount = rows[size_t(i)].second;
        save.Add([=](long double n) { return PaymentInsert(int(n) + i, day, delivery, amount, paymentType); },
                 Format(LoadResString(rsUpdateRowError), {QStringLiteral("Plashtane_na_Dostavki"), i + 1}));
    }
    if (!save.Run())
        return false;
    Execute();
    return true;
}
