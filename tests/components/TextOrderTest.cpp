// Lists sorted in memory and the same rows read with ORDER BY from a text
// column stand in one order: a grid sorted by its name column must not
// reorder what the database already gave in name order.
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "components/Sorters.h"
#include "core/uDelimitedStrings.h"
#include "platform/db/Collation.h"
#include "platform/db/Database.h"
#include "support/QtPrinters.h"

namespace {

// Names as the bakery's lists hold them: products with weights, fractions
// and percentages, firms with straight and Bulgarian quotes and hyphens,
// Latin and Cyrillic, mixed case, signs and digits. No two of them are
// equal case aside, so the database's order between them is defined.
const QStringList RealisticNames{
    "Хляб \"Добруджа\" 500 г", "Хляб Добруджа", "Хляб-типов", "Хляб, бял", "хляб бял 0.5 кг",
    "Хляб бял 0,6 кг", "Хляб (ръжен)", "ХЛЯБ ПЪЛНОЗЪРНЕСТ", "Хляб/нарязан", "Хляб & Ко",
    "\"Вега\" ЕООД", "\"Вега-М\" ЕООД", "\"Вега 2\" ООД", "\"Вега.БГ\" ООД", "„Зора“ ООД",
    "„Зора-93“ ООД", "ЕТ \"Иван Петров\"", "ЕТ-Иван", "ет Иван Иванов", "Йогурт", "Извара",
    "Кифла", "кифла с мармалад", "Кифла-мини", "Кифла, 80 г", "КИФЛА 120г", "Баничка 1/2",
    "Баничка 1.5", "Баничка 1-2", "Баничка 12", "Баничка 2", "Pizza", "pizza mini",
    "Бисквити Maria", "Бисквити №1", "Бисквити No2", "Мляко 3%", "Мляко 3.6%", "Мляко 3,6 %",
    "Козунак", "Козунак_1", "Ъглов магазин", "Юнак", "Ябълков щрудел", "Щипка сол",
    "Шипка", "O'Brien Ltd", "O-Brien", "7 Дни", "Ѐлин Пелин", "Елин Пелин ЕООД", "Ястие",
};

// A scrambled copy, so that no sort is handed its answer.
QStringList Scrambled(const QStringList &names)
{
    QStringList out;
    for (int i = 0; i < names.size(); ++i)
        out << names[(i * 17 + 5) % names.size()];
    return out;
}

QStringList DatabaseOrder(const QStringList &names)
{
    QTemporaryDir dir;
    EXPECT_TRUE(dir.isValid());
    const QString path = dir.filePath("order.db");
    platform::Database::CreateFile(path);
    platform::Database db(path);
    db.Execute("CREATE TABLE Izdelia (code_izd INT, name_izd CHAR(50))");
    int code = 0;
    for (const QString &name : names) {
        QString quoted = name;
        quoted.replace('"', "\"\"");
        db.Execute(QStringLiteral("INSERT INTO Izdelia VALUES ( %1, \"%2\" )").arg(++code).arg(quoted));
    }
    QStringList out;
    for (const QStringList &row : db.Query("SELECT name_izd FROM Izdelia ORDER BY name_izd").rows)
        out << row.value(0);
    return out;
}

QStringList Records(const TDelimitedStrings &list, int field)
{
    QStringList out;
    for (int i = 0; i < list.Count(); ++i) {
        QString f;
        list.GetField(i, field, f);
        out << f;
    }
    return out;
}

} // namespace

TEST(TextOrder, ListsSortRealisticNamesAsTheDatabaseOrdersThem)
{
    const QStringList input = Scrambled(RealisticNames);
    ASSERT_EQ(QSet<QString>(input.begin(), input.end()).size(), RealisticNames.size());
    const QStringList expected = DatabaseOrder(input);
    ASSERT_EQ(RealisticNames.size(), expected.size());

    // A sorted record list (binary search and insertion).
    TDelimitedStringList sorted;
    sorted.SetSorted(true);
    for (const QString &name : input)
        sorted.Add(name);
    EXPECT_EQ(expected, Records(sorted, 0));

    // The list's own Sort (quicksort over AnsiCompareText).
    TDelimitedStringList list;
    for (const QString &name : input)
        list.Add(name);
    list.Sort();
    EXPECT_EQ(expected, Records(list, 0));

    // The background sorter by the name field, as a grid or report sorts it.
    TDelimitedStringList rows;
    for (int i = 0; i < input.size(); ++i)
        rows.Add(QString::number(i) + QStringLiteral("@") + input[i]);
    {
        TDelimitedStringsSorter sorter(&rows);
        sorter.SetKeyFields({1});
        sorter.Sort(0, rows.Count() - 1);
    }
    EXPECT_EQ(expected, Records(rows, 1));
}

TEST(TextOrder, SortKeysCompareAsTheTextsDo)
{
    const QStringList names = RealisticNames + QStringList{"Кифла  ", "КИФЛА", "", " ", "Ѝ", "И"};
    for (const QString &a : names)
        for (const QString &b : names) {
            const int byText = platform::JetCompare(a, b);
            const int byKey = platform::JetSortKey(a).compare(platform::JetSortKey(b));
            EXPECT_EQ(byText < 0, byKey < 0) << qPrintable(a) << " / " << qPrintable(b);
            EXPECT_EQ(byText == 0, byKey == 0) << qPrintable(a) << " / " << qPrintable(b);
            const QByteArray ua = a.toUtf8();
            const QByteArray ub = b.toUtf8();
            const int byUtf8 = platform::JetCompare(ua.constData(), ua.size(), ub.constData(), ub.size());
            EXPECT_EQ(byText < 0, byUtf8 < 0) << qPrintable(a) << " / " << qPrintable(b);
            EXPECT_EQ(byText == 0, byUtf8 == 0) << qPrintable(a) << " / " << qPrintable(b);
        }
    // Equal in the database, yet two texts to a list.
    EXPECT_EQ(0, platform::JetCompare("Кифла  ", "КИФЛА"));
    EXPECT_NE(0, AnsiCompareText("Кифла  ", "КИФЛА"));
    EXPECT_EQ(0, AnsiCompareText("Кифла", "КИФЛА"));
}
