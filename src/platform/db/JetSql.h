#pragma once
// The program writes its statements in a dialect of its own. SQLite reads
// most of that text the same way; JetSql
// rewrites only what it reads differently. It works on tokens (strings,
// bracketed names, comments and nesting are known), never on raw text.
#include <QString>
#include <QStringList>
#include <vector>

#include "platform/Exception.h"

namespace platform {

// A statement that fails to translate, prepare or run. The message is the
// database's own text; Code() the engine's extended result code behind it
// (0 for a failure the program itself found).
class EDatabaseError : public Exception
{
public:
    explicit EDatabaseError(const QString &message, int code = 0) : Exception(message), code_(code) {}
    int Code() const { return code_; }

private:
    int code_;
};

// The collation that every text column gets: case-insensitive, Cyrillic
// included, in Bulgarian alphabetical order (see Collation.h).
inline constexpr const char *kJetCollation = "JETBG";

// The one quoting routine for text values. The statements of the program
// put a text value between double quotes ("Insert into %s values ( %d,
// \"%s\" )"); SqlEscape makes any text safe there: a '"' is doubled, as such
// a literal reads it, and a NUL (which would cut the statement)
// is dropped. So a name holding '"', '\'', '%' or a delimiter is stored and
// read back intact and never changes the statement around it.
QString SqlEscape(const QString &value);

// A name (table, column) quoted for SQLite.
QString SqlIdentifier(const QString &name);

struct SqlToken
{
    enum Kind {
        Space,    // blanks and line breaks
        Comment,  // -- ... or /* ... */
        Word,     // a name or a keyword
        Bracket,  // [a name] or `a name`, quoted as a name
        DString,  // "..." : a string literal ("" inside is a quote)
        SString,  // '...' ('' inside is a quote)
        Number,
        Punct     // operators and punctuation (<>, <=, >=, || as one token)
    };
    Kind kind;
    QString text;

    bool IsWord(const char *upper) const;
    bool IsPunct(char c) const { return kind == Punct && text.size() == 1 && text[0] == QLatin1Char(c); }
    bool Significant() const { return kind != Space && kind != Comment; }
    // A Word or Bracket as a plain name.
    QString Name() const;
};

class JetSql
{
public:
    // Splits a statement into tokens; an unterminated string, bracket or
    // comment raises EDatabaseError.
    static std::vector<SqlToken> Tokenize(const QString &sql);

    struct Statement
    {
        enum Kind { Empty, Plain, SelectInto, Crosstab };
        Kind kind = Empty;
        // Plain: the statement for SQLite. SelectInto: the SELECT whose rows
        // fill the new table. Crosstab: unused.
        QString sql;
        // Statements to run right after sql, in the same transaction (the
        // flag triggers of a new table or column).
        QStringList after;
        // Whether the statement reads rows (SELECT, TRANSFORM).
        bool isQuery = false;

        // SelectInto: the new table's name.
        QString intoTable;

        // Crosstab (TRANSFORM agg SELECT ... PIVOT key):
        QString aggFunction;   // Sum, Count, ... (already translated)
        QString aggArgument;   // its argument
        QString selectList;    // the row headings
        QString fromWhere;     // FROM ... [WHERE ...]
        QString groupBy;       // the GROUP BY list
        QString having;        // HAVING condition or empty
        QString orderBy;       // ORDER BY list or empty
        QString pivotKey;      // the expression whose distinct values become columns
        bool pivotShortDate = false;  // PIVOT Format(x, "Short Date"): x is a day number
    };

    // Translates one statement of the dialect. Text after the first statement raises
    // EDatabaseError: nothing is silently dropped.
    static Statement Translate(const QString &jet);

    // The crosstab's two queries: the distinct pivot values in their order,
    // then the grouped query with one column per value (NULL where no row
    // falls in a cell).
    struct PivotValue
    {
        enum Type { Null, Integer, Real, Text } type = Null;
        qint64 i = 0;
        double r = 0;
        QString text;
    };
    static QString CrosstabValuesQuery(const Statement &st);
    static QString CrosstabQuery(const Statement &st, const std::vector<PivotValue> &values);
    // The column heading of a pivot value as the crosstab names it.
    static QString PivotCaption(const Statement &st, const PivotValue &value);

    // The crosstab as one grouped query with a row per cell (row group and
    // pivot value), spread into columns by the caller: every row is read
    // once, however many pivot values there are. Its columns: the row
    // headings, the pivot value, the cell, then the GROUP BY expressions;
    // its rows come in the crosstab's row order, the cells of one row group
    // together. A heading that is an aggregate holds the cell's share of it;
    // the caller adds the shares of a row (combine). sql is empty where the
    // crosstab needs the query with a column per value: a HAVING, a
    // subquery, an aggregate in ORDER BY, or a heading aggregate other than
    // a whole Sum, Total or Count item.
    struct GroupedCrosstab
    {
        enum Combine { Plain, Sum, Total, Count };
        QString sql;
        std::vector<Combine> combine;  // one per heading
        int keys = 0;
    };
    static GroupedCrosstab CrosstabGroupedQuery(const Statement &st);

    // CREATE TABLE name ( ... ) for the columns of a SELECT INTO, with the
    // declared types copied from their origins; text and typeless columns
    // get the text collation. Returns the statements (table and flag triggers).
    struct ColumnDef
    {
        QString name;
        QString declType;  // empty for an expression
    };
    // A temporary table (and its triggers) lives in the connection's own
    // temporary schema.
    static QStringList CreateTableStatements(const QString &table, const std::vector<ColumnDef> &columns,
                                             bool temporary = false);

    // Whether a declared type is one of text, a flag, a date.
    static bool IsTextType(const QString &declType);
    static bool IsFlagType(const QString &declType);
    static bool IsDateType(const QString &declType);
};

} // namespace platform
