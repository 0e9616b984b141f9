#include "documents/unInvoice_Opis.h"

#include "components/Formatters.h"
#include "components/GridUtils.h"
#include "components/RichGrid.h"
#include "core/uHelpers.h"
#include "core/un_Ado_Connection.h"
#include "documents/unInvoice.h"
#include "documents/unPrint_Invoice.h"
#include "framework/QuorendFormClasses.h"

#include <QDateEdit>

#include <QLabel>
#include <QPushButton>

namespace {

const bool registered = RegisterQuorendFormClass<TfrmInvoice_Opis>(QStringLiteral("TfrmInvoice_Opis"));

} // namespace

TfrmInvoice_Opis::TfrmInvoice_Opis(QWidget *AOwner, TFormStyle AFormStyle)
    : TDocumentPeriodList(AOwner, AFormStyle, QStringLiteral("frmInvoice_Opis"), true)
{
    setObjectName(QStringLiteral("frmInvoice_Opis"));
    setWindowTitle(QStringLiteral("Опис на фактури и известия"));
    labHint->setText(QStringLiteral("Натиснете <CTRL> + <F9> за отпечатване на фактура."));
    labHint->setTextFormat(Qt::PlainText);
    btnPrintContract->setText(QStringLiteral("Печат на фактура"));
    Grid->SetColCount(13);
    Grid->SetFixedRows(1);
    Grid->SetRows(0, {QStringLiteral("N:"), QStringLiteral("от дата"), QStringLiteral("За обект"),
                      QStringLiteral("Наименование"), QStringLiteral("Вид документ"), QStringLiteral("Обща сума"),
                      QStringLiteral("Платена"), QStringLiteral("на дата"), QStringLiteral("Плащане"),
                      QStringLiteral("Вид д-т"), QStringLiteral("Клиент"), QStringLiteral("Наименование"),
                      QStringLiteral("Вид плащане")});
    actExecute->setEnabled(true);
}

TfrmInvoice_Opis::~TfrmInvoice_Opis() = default;

bool TfrmInvoice_Opis::InitForm()
{
    if (!TDocumentPeriodList::InitForm())
        return false;
    Grid->GetColAttributes(5)->SetFormatter(ValueFormatter);
    HideColumn(*Grid, 9);
    return true;
}

bool TfrmInvoice_Opis::DoExecute()
{
    const QString sql = Format(
        QStringLiteral("SELECT Invoices.invoice_num, Invoices.datetime_i, Invoices.obekt, Obekti.name_o, "
                       "Invoices.code_FVD, Invoices.Total_sum + Invoices.VAT as Total_w_VAT, Invoices.Is_paid, "
                       "Invoices.Paid_on, Invoices.Paid_on, Invoices.code_FVD, Obekti.code_of_CustGroup, "
                       "CustGroups.name_c, Invoices.code_payment FROM (CustGroups LEFT JOIN Obekti ON "
                       "CustGroups.code_c = Obekti.code_of_CustGroup) LEFT JOIN Invoices ON Obekti.code_of_object = "
                       "Invoices.obekt WHERE Invoices.invoice_num <> 0 and  Invoices.datetime_i >= %d and "
                       "Invoices.datetime_i <= %d ORDER BY Invoices.invoice_num "),
        {DateToDayNumber(dtp_From->date()), DateToDayNumber(dtp_To->date())});
    TDelimitedStringList rows, kinds, payments;
    if (!SelectToList(this, DbConnection, sql, rows) ||
        !SelectToList(this, DbConnection, QStringLiteral("SELECT code_fvd, name_fvd FROM fvd"), kinds) ||
        !SelectToList(this, DbConnection, QStringLiteral("SELECT code_payment, name_payment FROM payment_types"),
                      payments))
        return false;
    const QChar d = rows.FieldDelimiter();
    // The kind and the way of payment by name.
    ShowDocumentRows(rows, {13, 5, {6}, {7}, {8}}, [&](QString &Record) {
        QString field, name;
        GetPiece(Record, d, 4, field);
        LookupColumn(field, &kinds, 0, name, 1);
        SetPiece(Record, d, 4, name);
        GetPiece(Record, d, 12, field);
        LookupColumn(field, &payments, 0, name, 1);
        SetPiece(Record, d, 12, name);
    });
    return true;
}

bool TfrmInvoice_Opis::IsNoticeRow(int Row) const
{
    const int kind = StrToIntOrZero(Grid->Cells(9, Row));
    return kind == 2 || kind == 3 || kind == 5 || kind == 6;
}

void TfrmInvoice_Opis::OpenDocument(int Row, long double Number) { OpenInvoice(IsNoticeRow(Row) ? 1 : 0, Number); }

void TfrmInvoice_Opis::PrintDocument(long double Number) { PrintInvoice(this, Number); }

QString TfrmInvoice_Opis::PaymentStatement(int Day, long double Number) const
{
    return Format(QStringLiteral("Update Invoices Set Is_Paid = True, Paid_On = %d Where ( invoice_num = %f AND Is_Paid = False )"),
                  {Day, Number});
}

TDocumentName TfrmInvoice_Opis::RowDocumentName(int Row) const
{
    const bool notice = IsNoticeRow(Row);
    return {(notice ? QStringLiteral("Известие ") : QStringLiteral("Фактура ")) + Grid->Cells(0, Row).trimmed(),
            notice ? ngNeuter : ngFeminine};
}

QString TfrmInvoice_Opis::PaymentFailureMessage() const
{
    return QStringLiteral("Грешка при актуализиране на Invoices.");
}
