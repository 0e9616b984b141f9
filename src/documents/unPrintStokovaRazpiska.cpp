#include "documents/unPrintStokovaRazpiska.h"

#include "core/DialogsEx.h"
#include "core/uAmountWords.h"
#include "core/uDelimitedStrings.h"
#include "core/uHelpers.h"
#include "core/unMessageTexts.h"
#include "core/unSettings.h"
#include "core/un_Ado_Connection.h"
#include "documents/PrintedDocumentParts.h"
#include "framework/unTextDocument.h"

#include <QWidget>
#include "platform/Exception.h"

const char *const sqlSelectZaiavki = "SELECT * FROM Zaiavki WHERE ( Query_num = %f )";
const char *const sqlSelectZaiavka_rows = "SELECT * FROM Zaiavka_rows WHERE ( Query_num = %f ) ORDER BY izdelie";
const char *const sqlDeleteZaiavka_rows = "DELETE * FROM Zaiavka_rows WHERE ( Query_num = %f )";
const char *const sqlDeleteZaiavki = "DELETE * FROM Zaiavki WHERE ( Query_num = %f )";
const char *const sqlZaiavkiExists = "SELECT * FROM Zaiavki WHERE ( query_num = %f )";
const char *const sqlZaiavka_rowsExists = "SELECT * FROM Zaiavka_rows WHERE ( query_num = %f )";

namespace {

const int kWidth = 80;
const int kRuleWidth = 79;

using namespace printparts;

} // namespace

QString StokovaRazpiskaNumberText(long double Number)
{
    QString digits;
    FloatToDotStr(-1, digits, Number);
    QString r;
    PadLeft(digits, QLatin1Char('0'), 10, r);
    return r;
}

bool LoadStokovaRazpiska(QObject *Owner, long double Number, TDelimitedStringList &Header,
                         TDelimitedStringList &Lines)
{
    Header.Clear();
    Lines.Clear();
    TDelimitedStringList header;
    if (!Select(Owner, NumberSql(sqlSelectZaiavki, Number), header))
        return false;
    if (!Select(Owner, NumberSql(sqlSelectZaiavka_rows, Number), Lines))
        return false;
    if (header.Count() > 0) {
        const QString row = header.Strings(0);
        const int n = PieceCount(row, header.FieldDelimiter());
        for (int i = 0; i < n; ++i)
            Header.Add(Field(header, 0, i));
    }
    return true;
}

bool DeleteStokovaRazpiska(QObject *Owner, long double Number)
{
    if (!ExecSQL(Owner, DbConnection, NumberSql(sqlDeleteZaiavka_rows, Number)))
        return false;
    return ExecSQL(Owner, DbConnection, NumberSql(sqlDeleteZaiavki, Number));
}

QString GetCustomerNameOfReceipt(QObject *Owner, long double Number)
{
    return LookUp(Owner, NumberSql("SELECT CustGroups.name_c FROM (CustGroups LEFT JOIN Obekti ON CustGroups.code_c = "
                                   "Obekti.code_of_CustGroup) LEFT JOIN Zaiavki ON Obekti.code_of_object = "
                                   "Zaiavki.obekt WHERE (((Zaiavki.Query_num) = %f ))",
                                   Number));
}

QString GetObektField(QObject *Owner, int Site, const QString &FieldName)
{
    return LookUp(Owner, Format(QStringLiteral("SELECT %s FROM Obekti WHERE ( code_of_object = %d )"), {FieldName, Site}));
}

QString GetCompanySetting(const TDelimitedStrings &VaSettings, int Code) { return VaSetting(VaSettings, Code); }

QString GetItemName(QObject *Owner, int Code)
{
    return LookUp(Owner, Format(QStringLiteral("SELECT name_izd FROM Izdelia WHERE ( code_izd = %d )"), {Code}));
}

QString GetItemUnit(QObject *Owner, int Code)
{
    return LookUp(Owner, Format(QStringLiteral("SELECT Merki.v_Miarka FROM Merki LEFT JOIN Izdelia ON Merki.n_Miarka = "
                                               "Izdelia.mjarka WHERE ( Izdelia.code_izd = %d ) "),
                                {Code}));
}

QStringList GoodsReceiptText(QObject *Owner, long double Number, const TDelimitedStrings &Header,
                             const TDelimitedStrings &Lines, const TDelimitedStrings &NasSettings,
                             const TDelimitedStrings &VaSettings)
{
    QStringList text;
    QString s;
    CenterText(QStringLiteral("СТОКОВА РАЗПИСКА"), kWidth, false, s);
    text << s;
    CenterText(Format(QStringLiteral("N: %s / %s за дата %s"),
                      {StokovaRazpiskaNumberText(Number), Item(Header, 1), Item(Header, 3)}),
               kWidth, false, s);
    text << s;

    const int site = StrToIntOrZero(Item(Header, 2));
    text << PadTo(QStringLiteral(" ") + LoadResString(rsRecipient) + QStringLiteral(" ") +
                      GetCustomerNameOfReceipt(Owner, Number),
                  40) +
                QStringLiteral(" ") + Format(LoadResString(rsSupplierFmt), {GetCompanySetting(VaSettings, VaCompanyName)});
    text << PadTo(QStringLiteral(" Обект: ") + GetObektField(Owner, site, QStringLiteral("name_o")) +
                      QStringLiteral(" ") + GetObektField(Owner, site, QStringLiteral("grad")),
                  40) +
                QStringLiteral(" ") + LoadResString(rsTownPrefix) + GetCompanySetting(VaSettings, VaCity);
    text << PadTo(QStringLiteral(" Адрес: ") + GetObektField(Owner, site, QStringLiteral("adres")), 40) +
                QStringLiteral(" Адрес: ") + GetCompanySetting(VaSettings, VaAddress);
    if (NasSwitchOn(NasSettings, NasPrintPhone))
        text << PadTo(QStringLiteral(" ") + LoadResString(rsPhoneLabel) +
                          GetObektField(Owner, site, QStringLiteral("telefon")),
                      40) +
                    QStringLiteral(" ") + LoadResString(rsPhoneLabel) + GetCompanySetting(VaSettings, VaPhone);
    text << DocumentRule(kRuleWidth);
    text << QStringLiteral("! N:!          Наименование          !Мярка! Количество ! Единична ! Стойност !");
    text << QStringLiteral("!---!--------------------------------!-----!------------!---цена---!----------!");
    for (int i = 0; i < Lines.Count(); ++i) {
        const int code = StrToIntOrZero(Field(Lines, i, 1));
        text << Right(QString::number(i + 1), 4) + QStringLiteral(" ") + Left(GetItemName(Owner, code), 33) +
                    Left(GetItemUnit(Owner, code), 6) + Right(Amount(Field(Lines, i, 2), QuantityPrecision), 12) +
                    Right(Amount(Field(Lines, i, 5), PricePrecision), 11) +
                    Right(Amount(Field(Lines, i, 6), AmountPrecision), 11);
    }
    text << DocumentRule(kRuleWidth);
    const QString total = Item(Header, 4);
    text << QStringLiteral(" ") + LoadResString(rsTotal) + Right(Amount(total, AmountPrecision), 72);
    QString words;
    AmountToWords(DotStrToFloat(total), words);
    text << QStringLiteral(" Словом: ") + words;
    text << DocumentRule(kRuleWidth);
    text << QStringLiteral(" ");
    text << PadTo(PadTo(QStringLiteral(" ") + LoadResString(rsReceived), 39) + QStringLiteral(" ") +
                      LoadResString(rsHandedOver),
                  78);
    text << PadTo(PadTo(QString(8, QLatin1Char(' ')) + QStringLiteral("/") +
                            GetObektField(Owner, site, QStringLiteral("priel")) + QStringLiteral("/"),
                        39) +
                      QString(9, QLatin1Char(' ')) + QStringLiteral("/") + NasSetting(NasSettings, NasInvoiceIssuer) +
                      QStringLiteral("/"),
                  78);
    // This document ends with three blank lines.
    AppendDocumentEnd(text, kRuleWidth, 3);
    return text;
}

bool PrintStokovaRazpiska(QWidget *Owner, long double Number)
{
    TDelimitedStringList nas;
    TDelimitedStringList va;
    const QString nasSql = Format(QStringLiteral("Select n_nas, value_nas From Nas Where ( IP_Address = \"%s\" )"),
                                  {SqlEscape(GetLocalIPAddress())});
    if (!Select(Owner, nasSql, nas) || !Select(Owner, QStringLiteral("Select code_va, value_va From va"), va))
        return false;
    TDelimitedStringList header;
    TDelimitedStringList lines;
    if (!LoadStokovaRazpiska(Owner, Number, header, lines))
        return false;
    const QStringList text = GoodsReceiptText(Owner, Number, header, lines, nas, va);
    return PrintTextDocument(Owner, text, TextDocumentRoad(nas));
}
