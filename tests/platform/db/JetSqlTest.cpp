// The translator's own decisions, seen on the text it gives SQLite. What
// the translated statements do is tested against a real database in
// DatabaseTest.cpp.
#include <gtest/gtest.h>

#include "platform/db/JetSql.h"
#include "support/QtPrinters.h"

using platform::EDatabaseError;
using platform::JetSql;

namespace {
QString Sql(const QString &jet) { return JetSql::Translate(jet).sql; }
}

TEST(JetSql, TokenizerKeepsStringsNamesAndCommentsWhole)
{
    const auto t = JetSql::Tokenize(QStringLiteral(
        "SELECT [a \"b\" -- c], \"x;\"\"y\", 'it''s' -- \"note\"\n/* ; */ FROM t"));
    QStringList kinds;
    for (const auto &tok : t)
        if (tok.Significant() || tok.kind == platform::SqlToken::Comment)
            kinds += tok.text;
    EXPECT_EQ(QStringList({"SELECT", "[a \"b\" -- c]", ",", "\"x;\"\"y\"", ",", "'it''s'", "-- \"note\"",
                           "/* ; */", "FROM", "t"}),
              kinds);
}

TEST(JetSql, UnterminatedPiecesAreRefused)
{
    EXPECT_THROW(JetSql::Tokenize("SELECT \"abc"), EDatabaseError);
    EXPECT_THROW(JetSql::Tokenize("SELECT [abc"), EDatabaseError);
    EXPECT_THROW(JetSql::Tokenize("SELECT 1 /* x"), EDatabaseError);
}

TEST(JetSql, DoubleQuotedLiteralsBecomeSingleQuoted)
{
    EXPECT_EQ(QStringLiteral("Update va set value_va = 'O''Hara \"x\"' where code_va = 1"),
              Sql("Update va set value_va = \"O'Hara \"\"x\"\"\" where code_va = 1"));
    // Names in brackets and text in comments are no literals.
    EXPECT_EQ(QStringLiteral("SELECT [Total Of \"x\"] FROM t"), Sql("SELECT [Total Of \"x\"] FROM t -- \"c\""));
    // Nothing the translation adds can end up inside a comment.
    EXPECT_EQ(QStringLiteral("SELECT a FROM t GROUP BY a ORDER BY a"),
              Sql("SELECT a FROM t GROUP BY a /* x */ -- y").simplified());
}

TEST(JetSql, TextAfterTheStatementIsRefusedNotDropped)
{
    EXPECT_THROW(JetSql::Translate("DELETE * FROM t; DELETE * FROM u"), EDatabaseError);
    EXPECT_THROW(JetSql::Translate("SELECT 1;;"), EDatabaseError);
    // A closing ';' and comments after it are harmless.
    EXPECT_EQ(QStringLiteral("SELECT 1"), Sql("SELECT 1 ; -- done"));
    EXPECT_EQ(JetSql::Statement::Empty, JetSql::Translate("  -- nothing\n").kind);
    // A ';' inside a literal or a name ends nothing.
    EXPECT_EQ(QStringLiteral("SELECT 'a;b' AS [c;d]"), Sql("SELECT \"a;b\" AS [c;d]"));
}

TEST(JetSql, DeleteStarAndTableStarLoseTheStar)
{
    EXPECT_EQ(QStringLiteral("DELETE  FROM Zaiavki WHERE ( Query_num = 5.000000 )"),
              Sql("DELETE * FROM Zaiavki WHERE ( Query_num = 5.000000 )"));
    EXPECT_EQ(QStringLiteral("Delete  from t"), Sql("Delete t.* from t"));
    EXPECT_EQ(QStringLiteral("SELECT a*b FROM t"), Sql("SELECT a*b FROM t"));
}

TEST(JetSql, TrueFalseAndDivision)
{
    EXPECT_EQ(QStringLiteral("Update Zaiavki Set Is_Paid = -1 Where x = 0 AND t.True = 1"),
              Sql("Update Zaiavki Set Is_Paid = True Where x = False AND t.True = 1"));
    EXPECT_EQ(QStringLiteral("SELECT 5* 1.0 /2"), Sql("SELECT 5/2"));
}

TEST(JetSql, GroupByWithoutOrderByKeepsTheGroupedOrder)
{
    EXPECT_EQ(QStringLiteral("SELECT docno FROM t WHERE ( date_doc = 5 ) GROUP BY docno ORDER BY docno"),
              Sql("SELECT docno FROM t WHERE ( date_doc = 5 ) GROUP BY docno"));
    EXPECT_EQ(QStringLiteral("SELECT a, b FROM t GROUP BY a, b HAVING ( a > 1 ) ORDER BY a, b"),
              Sql("SELECT a, b FROM t GROUP BY a, b HAVING ( a > 1 )"));
    // An ORDER BY of the statement stands; a sub-query's GROUP BY is no concern.
    EXPECT_EQ(QStringLiteral("SELECT a FROM t GROUP BY a ORDER BY Sum(b)"),
              Sql("SELECT a FROM t GROUP BY a ORDER BY Sum(b)"));
    EXPECT_EQ(QStringLiteral("SELECT x FROM (SELECT a AS x FROM t GROUP BY a)"),
              Sql("SELECT x FROM (SELECT a AS x FROM t GROUP BY a)"));
}

TEST(JetSql, AliasReusedInTheSameListIsReplacedByItsExpression)
{
    EXPECT_EQ(QStringLiteral("SELECT Sum(v) AS s, Sum(q) AS n, (Sum(v))* 1.0 /(Sum(q)) AS p FROM t"),
              Sql("SELECT Sum(v) AS s, Sum(q) AS n, [s]/[n] AS p FROM t"));
    // A qualified name, a function and an alias naming its own column stay.
    EXPECT_EQ(QStringLiteral("SELECT Sum(q) AS q, q, t.s, s(1), 1 AS s FROM t"),
              Sql("SELECT Sum(q) AS q, q, t.s, s(1), 1 AS s FROM t"));
}

TEST(JetSql, JetFunctionsAreRenamed)
{
    EXPECT_EQ(QStringLiteral("SELECT jet_first(t.docno) AS FirstOfdocno FROM t ORDER BY jet_first(t.docno)"),
              Sql("SELECT First(t.docno) AS FirstOfdocno FROM t ORDER BY First(t.docno)"));
    EXPECT_EQ(QStringLiteral("SELECT jet_format( [d], 'Short Date' ), first FROM t"),
              Sql("SELECT Format( [d], \"Short Date\" ), first FROM t"));
}

TEST(JetSql, SelectIntoIsSplitOffAtTheTopLevelOnly)
{
    const auto st = JetSql::Translate(
        "SELECT Zaiavki.obekt,        Zaiavka_rows.izdelie INTO table_1_apkio FROM Zaiavki INNER JOIN "
        "Zaiavka_rows ON Zaiavki.Query_num = Zaiavka_rows.Query_num WHERE x = 1 ORDER BY Zaiavka_rows.izdelie");
    EXPECT_EQ(JetSql::Statement::SelectInto, st.kind);
    EXPECT_EQ(QStringLiteral("table_1_apkio"), st.intoTable);
    EXPECT_FALSE(st.sql.contains("INTO"));
    EXPECT_TRUE(st.sql.startsWith("SELECT Zaiavki.obekt,        Zaiavka_rows.izdelie"));
    EXPECT_EQ(JetSql::Statement::Plain, JetSql::Translate("INSERT INTO t SELECT a FROM u").kind);
}

TEST(JetSql, CreateTableGivesTextColumnsTheCollationAndFlagsTheirTriggers)
{
    const auto st = JetSql::Translate(
        "CREATE TABLE Zaiavki (Query_num DOUBLE , name CHAR(50), Is_paid BIT, PRIMARY KEY ( Query_num ) )");
    EXPECT_EQ(QStringLiteral("CREATE TABLE Zaiavki (Query_num DOUBLE , name CHAR(50) COLLATE JETBG, "
                             "Is_paid BIT, PRIMARY KEY ( Query_num ) )"),
              st.sql);
    ASSERT_EQ(2, st.after.size());
    EXPECT_TRUE(st.after[0].contains("AFTER INSERT ON \"Zaiavki\""));
    EXPECT_TRUE(st.after[1].contains("AFTER UPDATE OF \"Is_paid\""));
    EXPECT_EQ(QStringLiteral("Alter table CustGroups add column TD_na_NAP CHAR(50) COLLATE JETBG"),
              Sql("Alter table CustGroups add column TD_na_NAP CHAR(50)"));
}

TEST(JetSql, CrosstabPartsAndTheShortDatePivot)
{
    const auto st = JetSql::Translate(
        "TRANSFORM Sum( Total_sum ) AS SumOfTotal_sum SELECT obekt, Sum( Total_sum ) AS [Total Of Total_sum] "
        "FROM Zaiavki WHERE Zaiavki.for_date >= 1 AND Zaiavki.for_date <= 9 GROUP BY obekt "
        "PIVOT Format( [for_date], \"Short Date\" )");
    ASSERT_EQ(JetSql::Statement::Crosstab, st.kind);
    EXPECT_EQ(QStringLiteral("Sum"), st.aggFunction);
    EXPECT_EQ(QStringLiteral("Total_sum"), st.aggArgument);
    EXPECT_EQ(QStringLiteral("obekt, Sum( Total_sum ) AS [Total Of Total_sum]"), st.selectList);
    EXPECT_EQ(QStringLiteral("FROM Zaiavki WHERE Zaiavki.for_date >= 1 AND Zaiavki.for_date <= 9"), st.fromWhere);
    EXPECT_EQ(QStringLiteral("obekt"), st.groupBy);
    EXPECT_EQ(QStringLiteral("[for_date]"), st.pivotKey);
    EXPECT_TRUE(st.pivotShortDate);

    JetSql::PivotValue v;
    v.type = JetSql::PivotValue::Integer;
    v.i = 39507;
    EXPECT_EQ(QStringLiteral("29.02.2008"), JetSql::PivotCaption(st, v));
    EXPECT_THROW(JetSql::Translate("TRANSFORM Sum(x) SELECT a FROM t PIVOT b"), EDatabaseError);
}

TEST(JetSql, QuotingDoublesTheQuoteAndNothingElse)
{
    EXPECT_EQ(QStringLiteral("O'Hara"), platform::SqlEscape("O'Hara"));
    EXPECT_EQ(QStringLiteral("x\"\" OR \"\"1\"\"=\"\"1"), platform::SqlEscape("x\" OR \"1\"=\"1"));
    EXPECT_EQ(QStringLiteral("50% @ a°b"), platform::SqlEscape(QStringLiteral("50% @ a°b") + QChar(0)));
}
