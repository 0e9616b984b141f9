#pragma once
// One stored goods receipt (tables Zaiavki and Zaiavka_rows): reading,
// deleting, asking whether a number is stored, and the printout as 80-column
// text lines on the workstation's print road.
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
extern const char *const sqlSelectZaiavki;         // "SELECT * FROM Zaiavki WHERE ( Query_num = %f )"
extern const char *const sqlSelectZaiavka_rows;    // "... ORDER BY izdelie"
extern const char *const sqlDeleteZaiavka_rows;    // "DELETE * FROM Zaiavka_rows WHERE ( Query_num = %f )"
extern const char *const sqlDeleteZaiavki;         // "DELETE * FROM Zaiavki WHERE ( Query_num = %f )"
extern const char *const sqlZaiavkiExists;         // "SELECT * FROM Zaiavki WHERE ( query_num = %f )"
extern const char *const sqlZaiavka_rowsExists;    // "SELECT * FROM Zaiavka_rows WHERE ( query_num = %f )"

// Header: the fields of the Zaiavki row as items (0 Query_num, 1 datetime_z,
// 2 obekt, 3 for_date, 4 Total_sum, 5 Is_paid, 6 Paid_on, 7 Is_urgent, as
// query texts); Lines: the Zaiavka_rows records ordered by izdelie. Both
// lists are cleared first. True when both queries ran.
bool LoadStokovaRazpiska(QObject *Owner, long double Number, TDelimitedStringList &Header,
                         TDelimitedStringList &Lines);
// Deletes the lines, then (only when that succeeded) the header; True when
// both ran. Failures are shown by ExecSQL.
bool DeleteStokovaRazpiska(QObject *Owner, long double Number);
// Builds the receipt and prints it on the workstation's road. True when it
// was printed or previewed; False when a query failed or the printer
// refused (both shown to the operator).
bool PrintStokovaRazpiska(QWidget *Owner, long double Number);

// The receipt's text lines from the loaded receipt and the workstation's
// and company's settings (the look-ups below run here). Nothing is printed.
QStringList GoodsReceiptText(QObject *Owner, long double Number, const TDelimitedStrings &Header,
                             const TDelimitedStrings &Lines, const TDelimitedStrings &NasSettings,
                             const TDelimitedStrings &VaSettings);

// The document number as printed and shown: its decimal text left-padded
// with '0' to 10 characters.
QString StokovaRazpiskaNumberText(long double Number);

// Look-ups; each gives "" when its query fails or finds nothing.
QString GetCustomerNameOfReceipt(QObject *Owner, long double Number);
QString GetObektField(QObject *Owner, int Site, const QString &FieldName);
QString GetCompanySetting(const TDelimitedStrings &VaSettings, int Code);
QString GetItemName(QObject *Owner, int Code);
QString GetItemUnit(QObject *Owner, int Code);
