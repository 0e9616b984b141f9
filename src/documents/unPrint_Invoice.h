#pragma once
// One stored invoice or debit/credit notice (tables Invoices and
// Invoices_rows): reading, deleting, asking whether a number is stored, and
// the printout as 80-column text lines on the workstation's print road.
//
// A notice is a document whose by_invoice is not 0: its lines are the
// differences against the invoice it refers to, and it prints for every
// product the invoiced line, the new line and the difference.
//
// A query that fails is shown to the operator as the database error with
// its statement, and the routine answers False.
#include <QString>
#include <QStringList>

class QObject;
class QWidget;
class TDelimitedStrings;
class TDelimitedStringList;

// The statements of the unit, with "%f" for the document number.
extern const char *const sqlSelectInvoices;      // "SELECT * FROM Invoices WHERE ( Invoice_num = %f )"
extern const char *const sqlSelectInvoices_rows; // "... ORDER BY izdelie"
extern const char *const sqlExistsInvoices_rows; // "SELECT * FROM Invoices_rows WHERE ( Invoice_num = %f )"
extern const char *const sqlDeleteInvoices_rows; // "DELETE * FROM Invoices_rows WHERE ( Invoice_num = %f )"
extern const char *const sqlDeleteInvoices;      // "DELETE * FROM Invoices WHERE ( Invoice_num = %f )"

// Header: the fields of the Invoices row as items (0 Invoice_num,
// 1 datetime_i, 2 obekt, 3 Total_sum, 4 VAT, 5 Is_paid, 6 Paid_on,
// 7 code_payment, 8 code_FVD, 9 by_invoice, 10 VAT_Percent, as query
// texts); Rows: the Invoices_rows records ordered by izdelie. Both lists are
// cleared first. True when both queries ran.
bool LoadInvoice(QObject *Owner, TDelimitedStringList &Header, TDelimitedStringList &Rows, long double Number);
// Deletes the lines, then (only when that succeeded) the header; True when
// both ran. Failures are shown by ExecSQL.
bool DeleteInvoice(QObject *Owner, long double Number);
// Builds the document and prints it on the workstation's road. True when it
// was printed or previewed; False when a query failed or the printer
// refused (both shown to the operator).
bool PrintInvoice(QWidget *Owner, long double Number);

// What the printout needs besides the document itself.
struct TInvoicePrintData
{
    const TDelimitedStrings *Nas = nullptr;          // "n_nas@value_nas" of this workstation
    const TDelimitedStrings *Va = nullptr;           // "code_va@value_va"
    const TDelimitedStrings *PaymentTypes = nullptr; // "code_payment@name_payment"
    const TDelimitedStrings *Kinds = nullptr;        // "code_fvd@name_fvd"
};

// The document's text lines from its loaded header and lines (the
// look-ups, and for a notice the referred invoice, are read here). Nothing
// is printed. False when reading the referred invoice failed.
bool InvoiceText(QObject *Owner, long double Number, const TDelimitedStrings &Header,
                 const TDelimitedStrings &Rows, const TInvoicePrintData &Data, QStringList &Text);

// A document number as printed and shown: its shortest decimal text
// left-padded with '0' to 10 characters.
QString InvoiceNumberText(long double Number);

// Look-ups; each gives "" when its query fails or finds nothing.
QString GetInvoiceCustomerName(QObject *Owner, long double Number);
QString GetInvoiceCustomerField(QObject *Owner, long double Number, const QString &FieldName);
