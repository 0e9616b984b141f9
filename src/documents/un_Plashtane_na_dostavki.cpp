#include "documents/un_Plashtane_na_dostavki.h"

#include "components/ListEdit.h"
#include "components/RichGrid.h"
#include "core/uDelimitedStrings.h"
#include "core/uHelpers.h"
#include "core/unMessageTexts.h"
#include "core/unRegistryFuncs.h"
#include "core/un_Ado_Connection.h"
#include "framework/LookupLists.h"
#include "framework/QuorendFormClasses.h"

#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>

namespace {

const QString kRegSupplier = QStringLiteral("code_supplier_Text");
const QString kRegPayment = QStringLiteral("frmInvoice_leType_of_payment_Text");

const char16_t *const kSelectDeliveries =
    u"SELECT docno,        date_doc,        Sum( value_r ) AS SumOfvalue_r,        code_supplier,        "
    u"code_supplier,        code_supplier,        code_supplier,        code_supplier,        ByDocNo,        "
    u"ByDateDocNo FROM Dostavki ";
const char16_t *const kWhereSupplier = u"WHERE ( code_supplier = %d ) ";
const char16_t *const kDocumentsIn = u"( docno IN ( %s ) ) ";
const char16_t *const kGroupBy = u"GROUP BY docno, date_doc, code_supplier, ByDocNo, ByDateDocNo ";
const char16_t *const kHaving = u"HAVING ( date_doc >= %d AND date_doc <= %d ) ";
const char16_t *const kOrderBy = u"ORDER BY docno";
const char16_t *const kSelectPaid =
    u"SELECT Sum(Plashtane_na_dostavki.suma) AS SumOfsuma FROM Plashtane_na_dostavki GROUP BY "
    u"Plashtane_na_dostavki.docno_supplier HAVING (((Plashtane_na_dostavki.docno_supplier)= %d  ))";
const char16_t *const kSelectSupplierName = u"Select name_c From CustGroups Where code_c = %d";
const char16_t *const kInsertPayment = u"Insert into %s values ( %d, %d, %d, %.2f, %d )";

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
    : TPaymentEntryForm(AOwner, AFormStyle, colCount, colValue, QStringLiteral(" Вид на доставките: "))
{
    setObjectName(QStringLiteral("frmPlashtane_na_dostavki"));
    auto *params = pnlParams->layout();
    params->addWidget(new QLabel(QStringLiteral("Доставчик:"), pnlParams));
    code_supplier = CodeEdit(pnlParams, QStringLiteral("code_supplier"));
    params->addWidget(code_supplier);
    SetParty(code_supplier, QStringLiteral("доставчик"), kRegSupplier, FillCustGroupsList);
    params->addWidget(new QLabel(QStringLiteral("Плащане:"), pnlParams));
    code_payment = CodeEdit(pnlParams, QStringLiteral("code_payment"));
    params->addWidget(code_payment);

    Grid->SetRows(0, {QStringLiteral("Доставка"), QString(), QStringLiteral("Стойност"), QStringLiteral("Платено"),
                      QStringLiteral("Остатък"), QStringLiteral("За плащане"), QStringLiteral("Доставчик"), QString(),
                      QStringLiteral("Фактура"), QString()});
    Grid->SetRows(1, {QStringLiteral("Номер"), QStringLiteral("Дата"), QString(), QString(), QString(), QString(),
                      QStringLiteral("Шифър"), QStringLiteral("Наименование"), QStringLiteral("Номер"),
                      QStringLiteral("Дата")});
    Grid->SetMergeCellsStr(QStringLiteral("0,0,1,0|2,0,2,1|3,0,3,1|4,0,4,1|5,0,5,1|6,0,7,0|8,0,9,0"));
}

TfrmPlashtane_na_dostavki::~TfrmPlashtane_na_dostavki() = default;

// ---------------------------------------------------------------- hooks

bool TfrmPlashtane_na_dostavki::InitForm()
{
    FillPaymentTypesList(this, code_payment);
    return TPaymentEntryForm::InitForm();
}

bool TfrmPlashtane_na_dostavki::FormDone()
{
    SetRegistrySetting(kRegPayment, code_payment->text());
    return TPaymentEntryForm::FormDone();
}

void TfrmPlashtane_na_dostavki::FetchDocuments(TDelimitedStringList &Records, QStringList &, const QStringList *Keys)
{
    QString sql = QString::fromUtf16(kSelectDeliveries);
    const int supplier = StrToIntOrZero(code_supplier->text());
    const bool bySupplier = !code_supplier->text().trimmed().isEmpty();
    if (bySupplier)
        sql += Format(QString::fromUtf16(kWhereSupplier), {supplier});
    // The save reads again the deliveries it pays, by their numbers (of the
    // period, as they were loaded) in place of the period.
    if (Keys) {
        QStringList numbers;
        for (const QString &key : *Keys)
            numbers << QString::number(StrToIntOrZero(key));
        sql += (bySupplier ? QStringLiteral("AND ") : QStringLiteral("WHERE "))
               + Format(QString::fromUtf16(kDocumentsIn), {numbers.join(QStringLiteral(", "))});
    }
    sql += QString::fromUtf16(kGroupBy);
    if (!Keys)
        sql += Format(QString::fromUtf16(kHaving),
                      {DateToDayNumber(dtp_From->date()), DateToDayNumber(dtp_To->date())});
    sql += QString::fromUtf16(kOrderBy);
    SelectToList(this, DbConnection, sql, Records);

    const QChar d = Records.FieldDelimiter();
    for (int i = 0; i < Records.Count(); ++i) {
        QString record = Records.Strings(i);
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
        SetPiece(record, d, colPaid, paid.Count() > 0 ? paid.Strings(0) : QString());
        SetPiece(record, d, colSupplierName, name.Count() > 0 ? name.Strings(0) : QString());
        Records.SetStrings(i, record);
    }
}

QString TfrmPlashtane_na_dostavki::PaymentInsert(int Number, int Day, int Row, long double Amount) const
{
    return Format(QString::fromUtf16(kInsertPayment),
                  {PaymentTable(), Number, Day, StrToIntOrZero(Grid->Cells(colDocNo, Row)), Amount,
                   StrToIntOrZero(code_payment->text())});
}

TDocumentName TfrmPlashtane_na_dostavki::RowDocumentName(int Row) const
{
    return {QStringLiteral("Плащанията по доставка ") + Grid->Cells(colDocNo, Row).trimmed(), ngPlural};
}

QString TfrmPlashtane_na_dostavki::PaymentPartyError()
{
    if (ListedCode(code_supplier) == 0)
        return QStringLiteral("Въведете доставчик");
    if (ListedCode(code_payment) == 0)
        return LoadResString(rsChoosePayment);
    return QString();
}
