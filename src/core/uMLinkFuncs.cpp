#include "core/uMLinkFuncs.h"

#include "platform/system/MLanguageControl.h"

#include <algorithm>

namespace {
platform::MLanguageControl *placedControl = nullptr;
}

platform::MLanguageControl *MLinkControl()
{
    return placedControl;
}

void SetMLinkControl(platform::MLanguageControl *Control)
{
    placedControl = Control;
}

bool MLinkConnected()
{
    return placedControl && placedControl->Connected();
}

void ClearMParams()
{
    if (!placedControl)
        return;
    placedControl->SetProperty(platform::MLanguageControl::Value, QString());
    placedControl->SetProperty(platform::MLanguageControl::P0, QString());
    for (int p = 1; p <= 9; ++p)
        placedControl->SetProperty(p, QString());
}

// A connected link would run the M commands here; the control of this
// platform never connects, so each call has only its unconnected answer.

bool MReadFirmRecord(QStringList &)
{
    return false;
}

bool MGetPeriodEndDate(QString &)
{
    return false;
}

bool MGetPeriodMonth(QString &Text)
{
    Text.clear();
    return false;
}

bool MGetPeriodYear(QString &Text)
{
    Text.clear();
    return false;
}

bool MIsBlackWhitePrint(bool &)
{
    return false;
}

bool MGetPrintSettings(const QString &, QStringList &)
{
    return false;
}

bool MGetNasValue(const QString &, QString &)
{
    return false;
}

QDate FitDateToPeriod(bool LastDay, const QDate &Date)
{
    QString month, year;
    const bool haveMonth = MGetPeriodMonth(month);
    const bool haveYear = MGetPeriodYear(year);
    bool monthOk = false, yearOk = false;
    const int m = month.toInt(&monthOk);
    const int y = year.toInt(&yearOk);
    if (!haveMonth || !haveYear || !monthOk || !yearOk || m < 1 || m > 12 || !Date.isValid())
        return Date;
    const QDate first(y, m, 1);
    if (!first.isValid() || Date <= first.addMonths(1).addDays(-1))
        return Date;
    const int day = LastDay ? first.daysInMonth() : std::min(Date.day(), first.daysInMonth());
    return QDate(y, m, day);
}
