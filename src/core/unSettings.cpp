#include "core/unSettings.h"

#include "core/uHelpers.h"
#include "core/un_Ado_Connection.h"

#include <QRegularExpression>
#include "platform/system/Workstation.h"

bool LoadNasSettings(QObject *Owner, const QString &Address, TDelimitedStringList &List)
{
    return SelectToList(Owner, DbConnection,
                        QStringLiteral("Select n_nas, value_nas From Nas Where ( IP_Address = \"%1\" )")
                            .arg(SqlEscape(Address)),
                        List);
}

QString NasSetting(const TDelimitedStrings &List, int Number)
{
    QString value;
    LookupColumn(QString::number(Number), &List, 0, value, 1);
    return value;
}

bool NasSwitchOn(const TDelimitedStrings &List, int Number)
{
    return NasSetting(List, Number) == QLatin1String("1");
}

QString NasCounterText(long double Number)
{
    QString digits;
    FloatToDotStr(-1, digits, Number < 0 ? 0 : Number);
    QString text;
    PadLeft(digits, QLatin1Char('0'), 10, text);
    return text;
}

long double NasCounterNumber(const QString &Text)
{
    static const QRegularExpression number(QStringLiteral("^\\s*(\\d+)(?:[.,]\\d*)?\\s*$"));
    const QRegularExpressionMatch m = number.match(Text);
    if (!m.hasMatch())
        return 0;
    bool ok = false;
    const double whole = m.captured(1).toDouble(&ok);
    return ok ? static_cast<long double>(whole) : 0;
}

TNasCounter ReadNasCounter(QObject *Owner, int Setting, const QString &Address)
{
    // Two columns: a row holding "" is a record of its own (a list of one
    // column takes an empty row for no row at all).
    TDelimitedStringList rows;
    SelectToList(Owner, DbConnection,
                 QStringLiteral("SELECT n_nas, Value_nas FROM Nas WHERE ( ( IP_Address = \"%1\" ) AND ( n_nas = %2 ) )")
                     .arg(SqlEscape(Address), QString::number(Setting)),
                 rows);
    TNasCounter counter;
    counter.RowExists = rows.Count() > 0;
    if (counter.RowExists) {
        QString value;
        GetPiece(rows.Strings(0), rows.FieldDelimiter(), 1, value);
        counter.Number = NasCounterNumber(value);
    }
    return counter;
}

QString NasCounterStatement(int Setting, const QString &Address, long double Number, bool RowExists)
{
    const QString value = SqlEscape(NasCounterText(Number));
    if (RowExists)
        return QStringLiteral("Update NAS Set Value_nas = \"%1\" Where ( ( n_nas = %2 ) and ( IP_Address = \"%3\" ))")
            .arg(value, QString::number(Setting), SqlEscape(Address));
    return QStringLiteral("Insert into nas values ( %1, \"%2\", \"%3\" )")
        .arg(QString::number(Setting), SqlEscape(Address), value);
}

QString NasCounterStatement(QObject *Owner, int Setting, const QString &Address, long double Number)
{
    return NasCounterStatement(Setting, Address, Number, ReadNasCounter(Owner, Setting, Address).RowExists);
}

bool LoadVaSettings(QObject *Owner, TDelimitedStringList &List)
{
    return SelectToList(Owner, DbConnection, QStringLiteral("Select code_va, value_va From va"), List);
}

QString VaSetting(const TDelimitedStrings &List, int Code)
{
    QString value;
    LookupColumn(QString::number(Code), &List, 0, value, 1);
    return value;
}

QString VaSettingLabel(int Code)
{
    switch (Code) {
    case VaCompanyName: return QStringLiteral("1. Наименование на фирма");
    case VaVatId: return QStringLiteral("2. ЕИН по ЗДДС:");
    case VaCompanyId: return QStringLiteral("3. ЕИН:");
    case VaCity: return QStringLiteral("4. Град");
    case VaAddress: return QStringLiteral("5. Адрес");
    case VaPhone: return QStringLiteral("6. Телефон");
    case VaRepresentative: return QStringLiteral("7. Представляващ (МОЛ)");
    case VaYear: return QStringLiteral("8. Година");
    case VaVatPercent: return QStringLiteral("9. Процент ДДС");
    case VaBankCode: return QStringLiteral("10. Банков код");
    case VaBankAccount: return QStringLiteral("11. Банкова сметка");
    case VaVatAccount: return QStringLiteral("12. ДДС сметка");
    case VaBank: return QStringLiteral("13. Банка");
    case VaTaxOffice: return QStringLiteral("14. ТД на НАП");
    default: return QString();
    }
}

void GetLocalIPAddress(QString &Result) { Result = platform::WorkstationAddress(); }

QString GetLocalIPAddress()
{
    QString result;
    GetLocalIPAddress(result);
    return result;
}

void GetWindowsVolumeSerial(QString &Result) { Result = platform::VolumeSerialText(); }

QString GetWindowsVolumeSerial()
{
    QString result;
    GetWindowsVolumeSerial(result);
    return result;
}
