#pragma once
// Pieces the goods-receipt and invoice printouts read their documents and lay
// their 80-column lines with: one definition for both printouts.
#include "core/uDelimitedStrings.h"

#include <QString>

class QObject;

namespace printparts {

// A statement template filled with a document number.
QString NumberSql(const char *Template, long double Number);
// A query whose failure is shown and answered with false (the list emptied).
bool Select(QObject *Owner, const QString &Sql, TDelimitedStringList &List);
// The first field of a query's first row; "" when it fails or finds none.
QString LookUp(QObject *Owner, const QString &Sql);
// Field Col of record Row.
QString Field(const TDelimitedStrings &List, int Row, int Col);
// Record Index, or "" past the end.
QString Item(const TDelimitedStrings &List, int Index);
// Blanks appended up to Width; a longer text stays whole.
QString PadTo(const QString &S, int Width);
// S fitted left or right into Width columns.
QString Left(const QString &S, int Width);
QString Right(const QString &S, int Width);
// A '.'-decimal text at Decimals decimals.
QString Amount(const QString &DotText, int Decimals);

} // namespace printparts
