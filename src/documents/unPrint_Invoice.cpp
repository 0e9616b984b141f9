#include "documents/unPrint_Invoice.h"

#include "core/DialogsEx.h"
#include "core/uAmountWords.h"
#include "core/uDelimitedStrings.h"
#include "core/uHelpers.h"
#include "core/unMessageTexts.h"
#include "core/unSettings.h"
#include "core/un_Ado_Connection.h"
#include "documents/unPrintStokovaRazpiska.h"
#include "documents/PrintedDocumentParts.h"
#include "framework/unTextDocument.h"
#include "platform/Exception.h"

#include <QWidget>

const char *const sqlSelectInvoices = "SELECT * FROM Invoices WHERE ( Invoice_num = %f )";
const char *const sqlSelectInvoices_rows = "SELECT * FROM Invoices_rows WHERE ( Invoice_num = %f ) ORDER BY izdelie";
const char *const sqlExistsInvoices_rows = "SELECT * FROM Invoices_rows WHERE ( Invoice_num = %f )";
const char *const sqlDeleteInvoices_rows = "DELETE * FROM Invoices_rows WHERE ( Invoice_num = %f )";
const char *const sqlDeleteInvoices = "DELETE * FROM Invoices WHERE ( Invoice_num = %f )";

namespace {

const int kWidth = 80;
const int kRuleWidth = 79;
const int kSumsWidth = 78;

const char *const sqlCustomerOfInvoice =
    "SELECT CustGroups.%s FROM (CustGroups LEFT JOIN Obekti ON CustGroups.code_c = Obekti.code_of_CustGroup) "
    "LEFT JOIN Invoices ON Obekti.code_of_object = Invoices.obekt WHERE (((Invoices.Invoice_num) = %f ))";

using namespace printparts;

QString Centred(const QString &S)
{
    QString r;
    CenterText(S, kWidth, false, r);
    return r;
}

QString NameOf(const TDelimitedStrings *List, const QString &Code)
{
    QString r;
    if (List)
        LookupColumn(Code, List, 0, r, 1);
    return r;
}

// A label and an amount right-aligned so that the line is 78 characters.
QString SumLine(const QString &Label, const QString &DotText)
{
    const QString head = QStringLiteral(" ") + Label;
    return head + Right(Amount(DotText, AmountPrecision), kSumsWidth - int(head.size()));
}

// One printed line of the table: a 5-character prefix, name, unit,
// quantity, price and value.
QString TableLine(QObject *Owner, const QString &Prefix, int Product, const QString &Quantity, const QString &Price,
                  const QString &Value)
{
    return Prefix + Left(GetItemName(Owner, Product), 33) + Left(GetItemUnit(Owner, Product), 6) +
           Right(Amount(Quantity, QuantityPrecision), 12) + Right(Amount(Price, PricePrecision), 11) +
           Right(Amount(Value, AmountPrecision), 11);
}

} // namespace

QString InvoiceNumberText(long double Number)
{
    QString digits;
    FloatToDotStr(-1, digits, Number);
    QString r;
    PadLeft(digits, QLatin1Char('0'), 10, r);
    return r;
}

bool LoadInvoice(QObject *Owner, TDelimitedStringList &Header, TDelimitedStringList &Rows, long double Number)
{
    Header.Clear();
    Rows.Clear();
    TDelimitedStringList header;
    if (!Select(Owner, NumberSql(sqlSelectInvoices, Number), header))
        return false;
    if (!Select(Owner, NumberSql(sqlSelectInvoices_rows, Number), Rows))
        return false;
    if (header.Count() > 0) {
        const int n = PieceCount(header.Strings(0), header.FieldDelimiter());
        for (int i = 0; i < n; ++i)
            Header.Add(Field(header, 0, i));
    }
    return true;
}

bool DeleteInvoice(QObject *Owner, long double Number)
{
    if (!ExecSQL(Owner, DbConnection, NumberSql(sqlDeleteInvoices_rows, Number)))
        return false;
    return ExecSQL(Owner, DbConnection, NumberSql(sqlDeleteInvoices, Number));
}

QString GetInvoiceCustomerName(QObject *Owner, long double Number)
{
    return GetInvoiceCustomerField(Owner, Number, QStringLiteral("name_c"));
}

QString GetInvoiceCustomerField(QObject *Owner, long double Number, const QString &FieldName)
{
    return LookUp(Owner, Format(QString::fromUtf8(sqlCustomerOfInvoice), {FieldName, Number}));
}

bool InvoiceText(QObject *Owner, long double Number, const TDelimitedStrings &Header,
                 const TDelimitedStrings &Rows, const TInvoicePrintData &Data, QStringList &Text)
{
    static const TDelimitedStringList kNone;
    const TDelimitedStrings &nas = Data.Nas ? *Data.Nas : kNone;
    const TDelimitedStrings &va = Data.Va ? *Data.Va : kNone;
    Text.clear();

    // Title.
    Text << Centred(NameOf(Data.Kinds, Item(Header, 8)).toUpper() + QStringLiteral(" - ") +
                    LoadResString(rsOriginal));
    const QString date = Item(Header, 1);
    Text << Centred(Format(QStringLiteral("N: %s / %s"), {InvoiceNumberText(Number), date}));
    const QString byInvoice = Item(Header, 9);
    const bool notice = DotStrToFloat(byInvoice) != 0;
    TDelimitedStringList referred;
    if (notice) {
        const QString zeros(qMax(0, 10 - int(byInvoice.size())), QLatin1Char('0'));
        Text << Centred(Format(QStringLiteral(" по фактура номер: %s%s"), {zeros, byInvoice}));
        TDelimitedStringList referredHeader;
        if (!LoadInvoice(Owner, referredHeader, referred, DotStrToFloat(byInvoice)))
            return false;
    }

    // The customer's and the company's details side by side.
    const int site = StrToIntOrZero(Item(Header, 2));
    auto customer = [&](const char *FieldName) {
        return GetInvoiceCustomerField(Owner, Number, QString::fromLatin1(FieldName));
    };
    auto obekt = [&](const char *FieldName) { return GetObektField(Owner, site, QString::fromLatin1(FieldName)); };
    auto company = [&](int Code) { return GetCompanySetting(va, Code); };
    auto pair = [](const QString &LeftPart, const QString &RightPart) { return PadTo(LeftPart, 40) + RightPart; };
    const QString blank = QStringLiteral(" ");

    Text << pair(blank + LoadResString(rsRecipient) + blank + GetInvoiceCustomerName(Owner, Number),
                 blank + Format(LoadResString(rsSupplierFmt), {company(VaCompanyName)}));
    Text << pair(QStringLiteral(" Обект: ") + obekt("name_o") + blank + obekt("grad"),
                 blank + LoadResString(rsTownPrefix) + company(VaCity));
    Text << pair(QStringLiteral(" Адрес: ") + obekt("adres"), QStringLiteral(" Адрес: ") + company(VaAddress));
    Text << pair(blank + LoadResString(rsMolLabel) + customer("mol"),
                 blank + LoadResString(rsMolLabel) + company(VaRepresentative));
    if (NasSwitchOn(nas, NasPrintPhone))
        Text << pair(blank + LoadResString(rsPhoneLabel) + obekt("telefon"),
                     blank + LoadResString(rsPhoneLabel) + company(VaPhone));
    Text << pair(blank + LoadResString(rsVatEikLabel) + customer("ndr") + blank + LoadResString(rsEikLabel) +
                     customer("bulstat"),
                 blank + LoadResString(rsVatEikLabel) + company(VaVatId) + blank + LoadResString(rsEikLabel) +
                     company(VaCompanyId));
    Text << pair(QStringLiteral(" ТД на НАП: ") + customer("TD_na_NAP"),
                 blank + QStringLiteral("ТД на НАП: ") + company(VaTaxOffice));
    Text << pair(blank + Format(LoadResString(rsPlaceOfDeal), {NasSetting(nas, NasPlaceOfDeal)}),
                 QStringLiteral(" Банков код: ") + company(VaBankCode));
    Text << pair(QStringLiteral(" Дата на данъчно събитие: ") + date,
                 QStringLiteral(" Банкова сметка: ") + company(VaBankAccount));
    Text << pair(QString(), QStringLiteral(" Банка: ") + company(VaBank));
    Text << pair(QString(), QStringLiteral(" ДДС сметка: ") + company(VaVatAccount));

    // The lines.
    Text << DocumentRule(kRuleWidth);
    Text << QStringLiteral("! N:!          Наименование          !Мярка! Количество ! Единична ! Стойност !");
    Text << QStringLiteral("!---!--------------------------------!-----!------------!---цена---!----------!");
    for (int i = 0; i < Rows.Count(); ++i) {
        const QString code = Field(Rows, i, 1);
        const int product = StrToIntOrZero(code);
        if (!notice) {
            Text << TableLine(Owner, Right(QString::number(i + 1), 4) + blank, product, Field(Rows, i, 2),
                              Field(Rows, i, 5), Field(Rows, i, 6));
            continue;
        }
        // The invoiced line of the same product (none: zeros).
        QString oldQuantity, oldPrice, oldValue;
        const int r = FindRowByCode(product, &referred, 1);
        if (r >= 0) {
            oldQuantity = Field(referred, r, 2);
            oldPrice = Field(referred, r, 5);
            oldValue = Field(referred, r, 6);
        }
        QString newQuantity, newValue, newPrice;
        AddDotStr(oldQuantity, Field(Rows, i, 2), newQuantity);
        AddDotStr(oldValue, Field(Rows, i, 6), newValue);
        DivDotStr(newValue, newQuantity, newPrice);
        Text << TableLine(Owner, QStringLiteral("стар "), product, oldQuantity, oldPrice, oldValue);
        Text << TableLine(Owner, QStringLiteral("нов  "), product, newQuantity, newPrice, newValue);
        Text << TableLine(Owner, QStringLiteral("изв. "), product, Field(Rows, i, 2), Field(Rows, i, 5),
                          Field(Rows, i, 6));
    }

    // Sums, payment and signatures.
    const QString total = Item(Header, 3);
    const QString vat = Item(Header, 4);
    QString withVat;
    AddDotStr(total, vat, withVat);
    Text << DocumentRule(kRuleWidth);
    Text << SumLine(LoadResString(rsTaxBase), total);
    Text << SumLine(Format(LoadResString(rsVatCharged), {DotStrToFloat(Item(Header, 10)) * 100}), vat);
    Text << SumLine(LoadResString(rsTotalValue), withVat);
    QString words;
    AmountToWords(DotStrToFloat(withVat), words);
    Text << QStringLiteral(" Словом: ") + words;
    Text << DocumentRule(kRuleWidth);
    Text << LoadResString(rsPaymentMethod) + blank + NameOf(Data.PaymentTypes, Item(Header, 7));
    Text << PadTo(PadTo(QStringLiteral(" Получател ОСО:"), 39) + QStringLiteral(" Доставчик ОСО:"), kSumsWidth);
    Text << blank;
    Text << PadTo(PadTo(blank + LoadResString(rsReceived), 39) + blank + LoadResString(rsHandedOver), kSumsWidth);
    Text << PadTo(PadTo(QString(8, QLatin1Char(' ')) + QStringLiteral("/") + obekt("priel") + QStringLiteral("/"), 39) +
                      QString(9, QLatin1Char(' ')) + QStringLiteral("/") + NasSetting(nas, NasInvoiceIssuer) +
                      QStringLiteral("/"),
                  kSumsWidth);
    // This document ends with three blank lines.
    AppendDocumentEnd(Text, kRuleWidth, 3);
    return true;
}

bool PrintInvoice(QWidget *Owner, long double Number)
{
    TDelimitedStringList nas, va, payments, kinds;
    const QString nasSql = Format(QStringLiteral("Select n_nas, value_nas From Nas Where ( IP_Address = \"%s\" )"),
                                  {SqlEscape(GetLocalIPAddress())});
    if (!Select(Owner, nasSql, nas) || !Select(Owner, QStringLiteral("Select code_va, value_va From va"), va) ||
        !Select(Owner, QStringLiteral("Select code_payment, name_payment From Payment_types"), payments) ||
        !Select(Owner, QStringLiteral("Select code_fvd, name_fvd From fvd"), kinds))
        return false;
    TDelimitedStringList header, rows;
    if (!LoadInvoice(Owner, header, rows, Number))
        return false;
    TInvoicePrintData data;
    data.Nas = &nas;
    data.Va = &va;
    data.PaymentTypes = &payments;
    data.Kinds = &kinds;
    QStringList text;
    if (!InvoiceText(Owner, Number, header, rows, data, text))
        return false;
    return PrintTextDocument(Owner, text, TextDocumentRoad(nas));
}
