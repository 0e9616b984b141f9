#include "documents/unPrint_Vyrnata_produkcia.h"

#include <QWidget>

#include "core/DialogsEx.h"
#include "core/uDelimitedStrings.h"
#include "core/uHelpers.h"
#include "core/unMessageTexts.h"
#include "core/unSettings.h"
#include "core/un_Ado_Connection.h"
#include "framework/LookupLists.h"
#include "framework/unTextDocument.h"
#include "platform/Exception.h"

namespace {

const int kWidth = 80;
const int kRuleWidth = 79;

// A query whose failure is shown and answered with false.
bool Select(QObject *Owner, const QString &Sql, TDelimitedStringList &List)
{
    try {
        return SelectToList(Owner, DbConnection, Sql, List);
    } catch (const Exception &e) {
        ShowError(LoadResString(rsDatabaseError) + QStringLiteral("\n\r") + DatabaseErrorMessage(e) +
                  QStringLiteral("\n\r") + Sql);
    } catch (const std::exception &e) {
        ShowError(LoadResString(rsDatabaseError) + QStringLiteral("\n\r") + QString::fromUtf8(e.what()) +
                  QStringLiteral("\n\r") + Sql);
    }
    List.Clear();
    return false;
}

QString Field(const TDelimitedStrings &List, int Row, int Col)
{
    QString s;
    GetPiece(List.Strings(Row), List.FieldDelimiter(), Col, s);
    return s;
}

QString Fit(const QString &S, int Align, int Width)
{
    QString r;
    FitText(S, Align, {}, Width, false, r);
    return r;
}

QString Whole(const QString &DotText)
{
    QString r;
    FormatDotStr(DotText, 0, r);
    return r;
}

// A name looked up by code; "" when the look-up fails.
QString LookUpName(bool (*LookUp)(QObject *, TADOConnection *, int, QString &), QObject *Owner, int Code)
{
    QString result;
    try {
        LookUp(Owner, DbConnection, Code, result);
    } catch (const std::exception &) {
        result.clear();
    }
    return result;
}

} // namespace

bool LoadBusDayDocumentForPrint(QObject *Owner, const QString &Table, long double Number,
                                TDelimitedStringList &Header, TDelimitedStringList &Rows)
{
    Header.Clear();
    Rows.Clear();
    const QString header = QStringLiteral(
        "SELECT %0.docno,        %0.code_bus,        Busses.n_bus,        %0.date_doc FROM Busses INNER JOIN %0 ON "
        "Busses.c_bus = %0.code_bus GROUP BY %0.docno,          %0.code_bus,          Busses.n_bus,          "
        "%0.date_doc HAVING (((%0.docno) = %f ))");
    const QString rows = QStringLiteral(
        "SELECT %0.code_izd,        %0.code_izd,        %0.code_izd,        %0.quantity_izd,        %0.code_a,        "
        "%0.code_a,        %0.quantity_amb FROM %0 WHERE (((%0.docno)= %f )) ORDER BY %0.docno, %0.code_izd");
    // The table's name is ours, never the operator's; the number goes in as
    // a number.
    auto sql = [&](QString Template) { return Format(Template.replace(QStringLiteral("%0"), Table), {Number}); };
    if (!Select(Owner, sql(header), Header))
        return false;
    return Select(Owner, sql(rows), Rows);
}

bool LoadVyrnataForPrint(QObject *Owner, long double Number, TDelimitedStringList &Header,
                         TDelimitedStringList &Rows)
{
    return LoadBusDayDocumentForPrint(Owner, QStringLiteral("Vyrnata_produkcia"), Number, Header, Rows);
}

QStringList BusDayDocumentText(QObject *Owner, const QString &Title, const TDelimitedStrings &Header,
                               const TDelimitedStrings &Rows)
{
    QStringList text;
    QString s;
    CenterText(Title, kWidth, false, s);
    text << s;
    const bool hasHeader = Header.Count() > 0;
    auto head = [&](int Col) { return hasHeader ? Field(Header, 0, Col) : QString(); };
    CenterText(Format(QStringLiteral("номер %s, за микробус %s - %s, за дата %s"), {head(0), head(1), head(2), head(3)}),
               kWidth, false, s);
    text << s;
    text << DocumentRule(kWidth);
    text << QStringLiteral("!      И    з    д    е    л    и    е     !         А  м  б  а  л  а  ж       !");
    text << QStringLiteral("!-Ши-!       Н а и м е н о в а н и е       !Мярка!Коли-!-Ши-!Наименование!Коли-!");
    text << QStringLiteral("!фър-!-------------------------------------!-----!чество-фър!------------!чество");
    const QString blank = QStringLiteral(" ");
    for (int i = 0; i < Rows.Count(); ++i) {
        const int product = StrToIntOrZero(Field(Rows, i, 0));
        const int packaging = StrToIntOrZero(Field(Rows, i, 4));
        text << Fit(Field(Rows, i, 0), ftaRight, 5) + blank +
                    Fit(LookUpName(GetProductName, Owner, product), ftaLeft, 37) + blank +
                    Fit(LookUpName(GetProductUnit, Owner, product), ftaLeft, 5) + blank +
                    Fit(Whole(Field(Rows, i, 3)), ftaRight, 5) + blank + Fit(Field(Rows, i, 4), ftaRight, 4) + blank +
                    Fit(LookUpName(GetPackagingName, Owner, packaging), ftaLeft, 12) + blank +
                    Fit(Whole(Field(Rows, i, 6)), ftaRight, 5);
    }
    text << DocumentRule(kWidth);
    AppendDocumentEnd(text, kRuleWidth, 3);
    return text;
}

bool PrintBusDayDocument(QWidget *Owner, const QString &Table, const QString &Title, long double Number)
{
    TDelimitedStringList nas;
    TDelimitedStringList va;
    const QString nasSql = Format(QStringLiteral("Select n_nas, value_nas From Nas Where ( IP_Address = \"%s\" )"),
                                  {SqlEscape(GetLocalIPAddress())});
    if (!Select(Owner, nasSql, nas) || !Select(Owner, QStringLiteral("Select code_va, value_va From va"), va))
        return false;
    TDelimitedStringList header;
    TDelimitedStringList rows;
    if (!LoadBusDayDocumentForPrint(Owner, Table, Number, header, rows))
        return false;
    return PrintTextDocument(Owner, BusDayDocumentText(Owner, Title, header, rows), TextDocumentRoad(nas));
}

bool PrintVyrnataProdukcia(QWidget *Owner, long double Number)
{
    return PrintBusDayDocument(Owner, QStringLiteral("Vyrnata_produkcia"),
                               QStringLiteral("ПРОТОКОЛ ЗА ВЪРНАТА ПРОДУКЦИЯ"), Number);
}
