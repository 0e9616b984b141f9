#pragma once
// Workstation and company settings: the setting numbers of table Nas (one
// row per number and workstation address) and the codes of table VA, and
// the two identities of this machine.
#include <QString>

class QObject;
class TDelimitedStrings;
class TDelimitedStringList;

// Workstation settings (Nas.n_nas), keyed by the workstation's address.
enum TNasSetting {
    NasGoodsReceiptCounter = 1,  // last goods receipt number of this workstation
    NasInvoiceCounter = 2,       // last invoice or notice number
    NasServiceInfo = 3,          // service information (digits)
    NasInvoiceIssuer = 4,        // issuer's name printed on invoices and goods receipts
    NasPlaceOfDeal = 5,          // place of the deal printed on invoices
    NasPrintKind = 11,           // "1" page printer with preview, else raw text
    NasLineSpacing = 12,         // "1" one and a half lines, else single
    NasPrintPhone = 13,          // "1" prints the site's phone
    NasAutoCreateObject = 14     // "1" a new counterparty gets a site row too
};

// Company settings (VA.code_VA).
enum TVaSetting {
    VaCompanyName = 1,
    VaVatId = 2,
    VaCompanyId = 3,
    VaCity = 4,
    VaAddress = 5,
    VaPhone = 6,
    VaRepresentative = 7,
    VaYear = 8,
    VaVatPercent = 9,   // the VAT rate as a fraction: 0.2 for 20 %
    VaBankCode = 10,
    VaBankAccount = 11,
    VaVatAccount = 12,
    VaBank = 13,
    VaTaxOffice = 14
};

// The workstation's settings: every Nas row of Address as records
// "number@value" ("Select n_nas, value_nas From Nas Where ( IP_Address =
// \"%s\" )"). A failing query raises.
bool LoadNasSettings(QObject *Owner, const QString &Address, TDelimitedStringList &List);
// The value of setting Number in such a list; "" when the workstation has
// no row for it.
QString NasSetting(const TDelimitedStrings &List, int Number);
// Whether a switch setting (11 to 14) is on: only "1" is; "0", another
// value or no row is off.
bool NasSwitchOn(const TDelimitedStrings &List, int Number);
// The document counters (settings 1 and 2) keep the last number in one
// form, whoever writes it: the document's own number as it is shown, its
// shortest decimal text padded with '0' to ten characters ("0000000007").
QString NasCounterText(long double Number);
// The last number a counter's text holds. Either form reads: "0000000007",
// "7" and the "7.00" of older writers; a fraction is cut off. An empty text
// or one that is not a number counts as 0.
long double NasCounterNumber(const QString &Text);
// A counter as stored for the workstation Address: whether its row exists
// (whatever it holds, "" too) and the number it holds. A failing query
// raises.
struct TNasCounter
{
    bool RowExists = false;
    long double Number = 0;
};
TNasCounter ReadNasCounter(QObject *Owner, int Setting, const QString &Address);
// The statement that writes Number into a counter: the update of its row
// when the row exists, whatever it holds, else the insert of the row.
QString NasCounterStatement(int Setting, const QString &Address, long double Number, bool RowExists);
// The same after reading whether the row exists (inside the caller's
// transaction, so that the answer holds until the commit).
QString NasCounterStatement(QObject *Owner, int Setting, const QString &Address, long double Number);

// The company's settings: every VA row as records "code@value" ("Select
// code_va, value_va From va"). A failing query raises.
bool LoadVaSettings(QObject *Owner, TDelimitedStringList &List);
// The value of company setting Code in such a list; "" when missing.
QString VaSetting(const TDelimitedStrings &List, int Code);

// The label of a company setting in the settings form ("1. Наименование на
// фирма" ...); "" for an unknown code.
QString VaSettingLabel(int Code);

// This workstation's IPv4 address, the key of its Nas rows: the last
// address of a network interface that is up, connected and not a loopback; only
// without one, the last address the host name resolves to; "" when neither.
void GetLocalIPAddress(QString &Result);
QString GetLocalIPAddress();

// This machine's number as unsigned decimal text, stable across runs (from
// the machine id); it names the per-workstation work tables.
void GetWindowsVolumeSerial(QString &Result);
QString GetWindowsVolumeSerial();
