#pragma once
// The link to an M-language database. No window of this program places the
// link's control and none connects it, so every call answers at once with
// its result for a link that is not connected.
#include <QDate>
#include <QString>
#include <QStringList>

namespace platform {
class MLanguageControl;
}

// The link's control: the one a window has placed, nullptr when none has
// (always, in this program).
platform::MLanguageControl *MLinkControl();
void SetMLinkControl(platform::MLanguageControl *Control);
// The connected flag: off unless a placed control is connected.
bool MLinkConnected();

// Empties VALUE, P0 and P1..P9 of the placed control.
void ClearMParams();

// Each answers False when the link is not connected; the texts say what
// becomes of the argument then.
bool MReadFirmRecord(QStringList &Fields);                           // unchanged
bool MGetPeriodEndDate(QString &Text);                               // unchanged
bool MGetPeriodMonth(QString &Text);                                 // ""
bool MGetPeriodYear(QString &Text);                                  // ""
bool MIsBlackWhitePrint(bool &Flag);                                 // unchanged
bool MGetPrintSettings(const QString &ReportName, QStringList &Fields); // unchanged
bool MGetNasValue(const QString &Key, QString &Value);               // unchanged

// Moves a date later than the accounting period's month into that month
// (its last day when LastDay, else the same day capped at the month's
// length). Without the period's month and year, which only a connected
// link gives, the date is returned unchanged.
QDate FitDateToPeriod(bool LastDay, const QDate &Date);
