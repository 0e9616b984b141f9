#include "documents/PrintedDocumentParts.h"

#include "core/DialogsEx.h"
#include "core/uHelpers.h"
#include "core/unMessageTexts.h"
#include "core/un_Ado_Connection.h"
#include "framework/unTextDocument.h"
#include "platform/Exception.h"

namespace printparts {

QString NumberSql(const char *Template, long double Number)
{
    return Format(QString::fromUtf8(Template), {Number});
}

// A query whose failure is shown and answered with false.
bool Select(QObject *Owner, const QString &Sql, TDelimitedStringList &List)
{
    try {
        return SelectToList(Owner, DbConnection, Sql, List);
    } catch (const Exception &e) {
        ShowError(LoadResString(rsDatabaseError) + QStringLiteral("\n\r") + e.Message() + QStringLiteral("\n\r") + Sql);
    } catch (const std::exception &e) {
        ShowError(LoadResString(rsDatabaseError) + QStringLiteral("\n\r") + QString::fromUtf8(e.what()) +
                  QStringLiteral("\n\r") + Sql);
    }
    List.Clear();
    return false;
}

// The first field of a query's first row; "" when it fails or finds none.
QString LookUp(QObject *Owner, const QString &Sql)
{
    TDelimitedStringList list;
    try {
        SelectToList(Owner, DbConnection, Sql, list);
    } catch (const std::exception &) {
        return QString();
    }
    if (list.Count() == 0)
        return QString();
    QString field;
    GetPiece(list.Strings(0), list.FieldDelimiter(), 0, field);
    return field;
}

QString Field(const TDelimitedStrings &List, int Row, int Col)
{
    QString s;
    GetPiece(List.Strings(Row), List.FieldDelimiter(), Col, s);
    return s;
}

QString Item(const TDelimitedStrings &List, int Index) { return Index < List.Count() ? List.Strings(Index) : QString(); }

// Blanks appended up to Width; a longer text stays whole.
QString PadTo(const QString &S, int Width)
{
    return S.size() >= Width ? S : S + QString(Width - int(S.size()), QLatin1Char(' '));
}

QString Left(const QString &S, int Width)
{
    QString r;
    FitText(S, ftaLeft, {}, Width, false, r);
    return r;
}

QString Right(const QString &S, int Width)
{
    QString r;
    FitText(S, ftaRight, {}, Width, false, r);
    return r;
}

QString Amount(const QString &DotText, int Decimals)
{
    QString r;
    FormatDotStr(DotText, Decimals, r);
    return r;
}

} // namespace printparts
