#pragma once
// Values of a query as the program reads them: one text for each field,
// chosen by the column's declared type.
#include <QString>

struct sqlite3_stmt;

namespace platform {

// How a column's values become text.
enum class Rendering {
    ByValue,  // integers plainly, floating values in the general form, text as it is
    Date,     // DATETIME: the day number as dd.mm.yyyy
    Flag      // BIT: "True" / "False"
};

// The rendering of a declared type (empty or null for an expression).
Rendering RenderingOf(const char *declType);

// A floating value in its shortest general form with 15 significant digits
// and '.' as decimal point: 41.0 gives "41", 12.5 "12.5"; never "-0".
QString FormatGeneral(double value);

// A day number (days since 30.12.1899) as "dd.mm.yyyy"; a fraction of a day
// adds " hh:mm:ss". 0 gives "30.12.1899", 39507 "29.02.2008".
QString DayNumberText(double day);

// The text of column col of the current row of a stepped statement.
QString RenderColumn(sqlite3_stmt *stmt, int col, Rendering rendering);

} // namespace platform
