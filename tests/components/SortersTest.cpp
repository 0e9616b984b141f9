// The background sorter over record lists: orders of numbers, dates and
// texts, totals rows, the main-thread steps and the freeing rules.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHash>
#include <QPoint>
#include <functional>
#include <memory>
#include <algorithm>
#include <gtest/gtest.h>
#include <thread>
#include <unordered_map>

#include "components/Sorters.h"
#include "core/uDelimitedStrings.h"
#include "components/RichGrid.h"
#include "platform/ui/StringGrid.h"

namespace {

// Records "<key>@<position>" so that the order can be read back.
std::unique_ptr<TDelimitedStringList> ListOf(const QStringList &keys)
{
    auto list = std::make_unique<TDelimitedStringList>();
    for (int i = 0; i < keys.size(); ++i)
        list->Add(keys[i] + QStringLiteral("@") + QString::number(i));
    return list;
}

QStringList Field(const TDelimitedStrings &list, int field)
{
    QStringList out;
    for (int i = 0; i < list.Count(); ++i) {
        QString f;
        list.GetField(i, field, f);
        out << f;
    }
    return out;
}

// Sorts the whole list on field 0 and frees the sorter, as callers do.
void SortOn(TDelimitedStringList &list, unsigned char direction, unsigned char method = 0,
            std::vector<int> fields = {0})
{
    TDelimitedStringsSorter sorter(&list);
    sorter.SetKeyFields(fields);
    sorter.SetDirection(direction);
    sorter.SetSortMethod(method);
    sorter.Sort(0, list.Count() - 1);
}

QStringList Reversed(QStringList l)
{
    std::reverse(l.begin(), l.end());
    return l;
}

} // namespace

TEST(DelimitedStringsSorter, NumbersSortAsNumbersNegativesIncluded)
{
    const QStringList ascending{"-12", "-7", "-5", "-0.25", "0", "0.5", "5", "9", "10", "100.75"};
    for (unsigned char method : {0, 1, 2}) {
        auto list = ListOf({"10", "-5", "9", "100.75", "-12", "0", "0.5", "-7", "5", "-0.25"});
        SortOn(*list, 0, method);
        EXPECT_EQ(ascending, Field(*list, 0)) << "method " << int(method);
        SortOn(*list, 1, method);
        EXPECT_EQ(Reversed(ascending), Field(*list, 0)) << "method " << int(method);
    }
}

TEST(DelimitedStringsSorter, NumbersReadAsTheProgramWritesThem)
{
    // A sign, blanks around, an exponent: numbers.
    auto list = ListOf({"1e2", "20", " 4 ", "+3"});
    SortOn(*list, 0);
    EXPECT_EQ((QStringList{"+3", " 4 ", "20", "1e2"}), Field(*list, 0));
    // A decimal comma is no number: "3,5" and "10" compare as texts.
    list = ListOf({"3,5", "10"});
    SortOn(*list, 0);
    EXPECT_EQ((QStringList{"10", "3,5"}), Field(*list, 0));
}

TEST(DelimitedStringsSorter, DatesSortAsDates)
{
    auto list = ListOf({"01.02.2024", "15.01.2024", "31.12.2023", "02.01.2024"});
    SortOn(*list, 0);
    EXPECT_EQ((QStringList{"31.12.2023", "02.01.2024", "15.01.2024", "01.02.2024"}), Field(*list, 0));
    SortOn(*list, 1);
    EXPECT_EQ((QStringList{"01.02.2024", "15.01.2024", "02.01.2024", "31.12.2023"}), Field(*list, 0));

    // A day that does not exist is a text among the dates.
    list = ListOf({"31.02.2024", "01.03.2024", "15.01.2024"});
    SortOn(*list, 0);
    EXPECT_EQ((QStringList{"15.01.2024", "01.03.2024", "31.02.2024"}), Field(*list, 0));
}

TEST(DelimitedStringsSorter, TextsSortInAlphabeticalOrder)
{
    auto list = ListOf({"Юфка", "Баница", "ябълка", "Щрудел", "Ъглов", "хляб", "Apple", "Ьо", "Баница 2", "а"});
    const QStringList ascending{"Apple", "а", "Баница", "Баница 2", "хляб", "Щрудел", "Ъглов", "Ьо", "Юфка", "ябълка"};
    SortOn(*list, 0);
    EXPECT_EQ(ascending, Field(*list, 0));
    SortOn(*list, 1);
    EXPECT_EQ(Reversed(ascending), Field(*list, 0));

    // A number and a text in one column compare as texts; 10 and 9 as numbers.
    list = ListOf({"b", "10", "a", "9"});
    SortOn(*list, 0);
    EXPECT_EQ((QStringList{"9", "10", "a", "b"}), Field(*list, 0));
}

TEST(DelimitedStringsSorter, TotalsRowsStayLastInTheirOrder)
{
    for (unsigned char direction : {0, 1}) {
        auto list = ListOf({"3", "Сума за филтъра", "1", "¤Общо:", "2"});
        SortOn(*list, direction);
        const QStringList data = direction == 0 ? QStringList{"1", "2", "3"} : QStringList{"3", "2", "1"};
        EXPECT_EQ(data + QStringList({"Сума за филтъра", "¤Общо:"}), Field(*list, 0));
        EXPECT_EQ((QStringList{"1", "3"}), Field(*list, 1).mid(3)) << "the totals rows kept their order";
    }
}

TEST(DelimitedStringsSorter, LaterKeysBreakTies)
{
    auto list = std::make_unique<TDelimitedStringList>();
    for (const char *r : {"Б@2@x", "А@10@y", "Б@-1@z", "А@9@w"})
        list->Add(QString::fromUtf8(r));
    SortOn(*list, 0, 0, {0, 1});
    EXPECT_EQ((QStringList{"w", "y", "z", "x"}), Field(*list, 2));
    SortOn(*list, 0, 0, {1});
    EXPECT_EQ((QStringList{"z", "x", "w", "y"}), Field(*list, 2));
}

TEST(DelimitedStringsSorter, BubbleSortKeepsEqualKeysInOrder)
{
    auto list = ListOf({"b", "a", "B", "a", "b", "A"});
    SortOn(*list, 0, 1);
    EXPECT_EQ((QStringList{"1", "3", "5", "0", "2", "4"}), Field(*list, 1));
    SortOn(*list, 1, 1);
    EXPECT_EQ((QStringList{"0", "2", "4", "1", "3", "5"}), Field(*list, 1));
}

TEST(DelimitedStringsSorter, CaseSensitiveOrdersOnlyEqualTexts)
{
    auto list = ListOf({"b", "a", "B", "A"});
    TDelimitedStringsSorter sorter(list.get());
    sorter.SetKeyFields({0});
    sorter.SetCaseSensitive(true);
    sorter.SetSortMethod(1);
    sorter.Sort(0, 3);
    sorter.WaitFor();
    EXPECT_EQ((QStringList{"A", "a", "B", "b"}), Field(*list, 0));
}

TEST(DelimitedStringsSorter, RangeLimitsTheSort)
{
    auto list = ListOf({"d", "c", "b", "a"});
    {
        TDelimitedStringsSorter sorter(list.get());
        sorter.SetKeyFields({0});
        sorter.Sort(1, 2);
    }
    EXPECT_EQ((QStringList{"d", "b", "c", "a"}), Field(*list, 0));
    {
        TDelimitedStringsSorter sorter(list.get());
        sorter.SetKeyFields({0});
        sorter.Sort(3, 3);
    }
    EXPECT_EQ((QStringList{"d", "b", "c", "a"}), Field(*list, 0));
}

namespace {

// The order the sorter must give, worked out the slow way: each pair of rows
// compared through CompareKeys on the key texts GetKey makes, with the
// sorter's own quicksort (middle pivot) or bubble sort, so that rows whose
// keys compare equal land exactly where those sorts put them; totals rows
// (first field "¤...") last in their order.
std::vector<int> ReferenceOrder(const TDelimitedStringList &list, const std::vector<int> &fields,
                                unsigned char direction, unsigned char method, bool caseSensitive)
{
    TDelimitedStringsSorter judge(nullptr);
    judge.SetCaseSensitive(caseSensitive);
    std::vector<int> rows, totals;
    std::vector<QVariant> keys;
    for (int i = 0; i < list.Count(); ++i) {
        QString first;
        list.GetField(i, 0, first);
        if (first.startsWith(QChar(0x00A4))) {
            totals.push_back(i);
            continue;
        }
        QString key;
        for (int f : fields) {
            QString piece;
            list.GetField(i, f, piece);
            key += piece + QLatin1Char('@');
        }
        rows.push_back(i);
        keys.emplace_back(key);
    }
    const int before = direction == 1 ? 1 : -1;
    std::vector<int> at(rows.size());
    for (size_t k = 0; k < at.size(); ++k)
        at[k] = static_cast<int>(k);
    // Each pair of distinct key texts is compared once: large lists of
    // few distinct keys stay quick to judge.
    QHash<QString, int> distinct;
    std::vector<int> keyId(keys.size());
    for (size_t k = 0; k < keys.size(); ++k) {
        auto known = distinct.constFind(keys[k].toString());
        if (known == distinct.constEnd())
            known = distinct.insert(keys[k].toString(), int(distinct.size()));
        keyId[k] = known.value();
    }
    std::unordered_map<qint64, int> judged;
    auto cmp = [&](int a, int b) {
        const qint64 pair = qint64(keyId[size_t(a)]) << 32 | keyId[size_t(b)];
        const auto known = judged.find(pair);
        if (known != judged.end())
            return known->second;
        const int r = judge.CompareKeys(keys[size_t(a)], keys[size_t(b)]);
        judged.emplace(pair, r);
        return r;
    };
    if (method == 1) {
        bool exchanged;
        do {
            exchanged = false;
            for (int j = static_cast<int>(at.size()) - 1; j >= 1; --j)
                if (cmp(at[size_t(j)], at[size_t(j - 1)]) == before) {
                    std::swap(at[size_t(j)], at[size_t(j - 1)]);
                    exchanged = true;
                }
        } while (exchanged);
    } else {
        std::function<void(int, int)> quick = [&](int L, int R) {
            while (L < R) {
                int I = L, J = R;
                const int P = at[size_t((L + R) / 2)];
                do {
                    while (cmp(at[size_t(I)], P) == before)
                        ++I;
                    while (cmp(P, at[size_t(J)]) == before)
                        --J;
                    if (I <= J) {
                        if (I < J)
                            std::swap(at[size_t(I)], at[size_t(J)]);
                        ++I;
                        --J;
                    }
                } while (I <= J);
                if (J - L < R - I) {
                    if (L < J)
                        quick(L, J);
                    L = I;
                } else {
                    if (I < R)
                        quick(I, R);
                    R = J;
                }
            }
        };
        quick(0, static_cast<int>(at.size()) - 1);
    }
    std::vector<int> order;
    for (int k : at)
        order.push_back(rows[size_t(k)]);
    order.insert(order.end(), totals.begin(), totals.end());
    return order;
}

// Records "<a>@<b>@<c>@<d>@<position>" with many equal keys: amounts, dates,
// names differing only in case or trailing blanks, blanks, and a column
// that mixes numbers, dates and texts; a totals row amid them and one last.
std::unique_ptr<TDelimitedStringList> ManyTies(int n)
{
    const QStringList names{"Хляб", "хляб", "Хляб ", "Kifla", "kifla", "", "Баница", "баница", "Ябълка"};
    const QStringList mixed{"12", "abc", "", "01.02.2003", "-3.5", "Б", "7"};
    auto list = std::make_unique<TDelimitedStringList>();
    for (int i = 0; i < n; ++i) {
        if (i == n / 2) {
            list->Add(QStringLiteral("¤Сума@@@@%1").arg(i));
            continue;
        }
        const QString amount = i % 11 == 0 ? QString() : QStringLiteral("%1.%2").arg((i * 7) % 13 - 6).arg(i % 3 * 25, 2, 10, QLatin1Char('0'));
        const QString date = QStringLiteral("%1.0%2.2024").arg(1 + (i * 5) % 4, 2, 10, QLatin1Char('0')).arg(1 + i % 3);
        list->Add(QStringList{amount, date, names[(i * 5) % names.size()], mixed[(i * 3) % mixed.size()],
                              QString::number(i)}
                      .join(QLatin1Char('@')));
    }
    list->Add(QStringLiteral("¤Общо:@@@@%1").arg(n));
    return list;
}

std::vector<int> Positions(const TDelimitedStrings &list)
{
    std::vector<int> out;
    for (const QString &p : Field(list, 4))
        out.push_back(p.toInt());
    return out;
}

} // namespace

TEST(DelimitedStringsSorter, EqualKeysEndWhereThePairwiseComparisonPutsThem)
{
    struct Case
    {
        std::vector<int> fields;
        unsigned char method;
        bool caseSensitive;
    };
    const std::vector<Case> cases{
        {{0}, 0, false},    {{1}, 0, false},    {{2}, 0, false},    {{2}, 0, true},    {{2, 0}, 0, false},
        {{0, 1}, 0, false}, {{3}, 0, false},    {{2, 3}, 0, false}, {{0, 1, 2}, 0, false}, {{5}, 0, false},
        {{0}, 1, false},    {{2, 1}, 1, true},  {{3}, 1, false}};
    for (const Case &c : cases)
        for (unsigned char direction : {0, 1}) {
            auto list = ManyTies(c.method == 1 ? 300 : 1500);
            const std::vector<int> expected = ReferenceOrder(*list, c.fields, direction, c.method, c.caseSensitive);
            TDelimitedStringsSorter sorter(list.get());
            sorter.SetKeyFields(c.fields);
            sorter.SetDirection(direction);
            sorter.SetSortMethod(c.method);
            sorter.SetCaseSensitive(c.caseSensitive);
            sorter.Sort(0, list->Count() - 1);
            sorter.WaitFor();
            std::vector<int> got = Positions(*list);
            std::vector<int> want;
            for (int row : expected)
                want.push_back(row);
            EXPECT_EQ(want, got) << "fields " << c.fields.size() << " first " << c.fields[0] << " method "
                                 << int(c.method) << " direction " << int(direction) << " case "
                                 << c.caseSensitive;
        }
}

TEST(DelimitedStringsSorter, ListsLargeEnoughForSeveralThreadsEndWhereOneThreadPutsThem)
{
    // Enough records that their keys are read, the quicksort's halves
    // sorted and the records moved on several threads, over few distinct
    // keys: every tie must still land where the one-thread quicksort puts it.
    struct Case
    {
        std::vector<int> fields;
        bool caseSensitive;
    };
    const std::vector<Case> cases{{{0}, false}, {{1}, false}, {{0, 1}, false},
                                  {{2}, true},  {{3}, false}, {{1, 2, 0}, false}};
    for (const Case &c : cases)
        for (unsigned char direction : {0, 1}) {
            auto list = ManyTies(70000);
            const std::vector<int> expected = ReferenceOrder(*list, c.fields, direction, 0, c.caseSensitive);
            {
                TDelimitedStringsSorter sorter(list.get());
                sorter.SetKeyFields(c.fields);
                sorter.SetDirection(direction);
                sorter.SetCaseSensitive(c.caseSensitive);
                sorter.Sort(0, list->Count() - 1);
            }
            EXPECT_EQ(expected, Positions(*list)) << "fields " << c.fields.size() << " first " << c.fields[0]
                                                  << " direction " << int(direction);
        }
}

TEST(DelimitedStringsSorter, ObjectsTravelWithTheirRecordsAndAReadHookIsHeard)
{
    auto list = ListOf({"3", "1", "2"});
    std::vector<std::unique_ptr<TObject>> objects;
    for (int i = 0; i < 3; ++i) {
        objects.push_back(std::make_unique<TObject>());
        list->SetObjects(i, objects.back().get());
    }
    int changes = 0;
    list->OnChange = [&changes](TObject *) { ++changes; };
    SortOn(*list, 0);
    EXPECT_EQ((QStringList{"1", "2", "3"}), Field(*list, 0));
    EXPECT_EQ(objects[1].get(), list->Objects(0));
    EXPECT_EQ(objects[2].get(), list->Objects(1));
    EXPECT_EQ(objects[0].get(), list->Objects(2));
    EXPECT_EQ(1, changes) << "one change for the whole sort";

    // A hook that rewrites records as they are read decides the keys.
    list->OnGetRecord = [](const TDelimitedStrings &, int, QString &record, int, bool &) {
        record = QStringLiteral("-") + record;
    };
    SortOn(*list, 0);
    list->OnGetRecord = nullptr;
    EXPECT_EQ((QStringList{"3", "2", "1"}), Field(*list, 0));
}

TEST(DelimitedStringsSorter, MisuseRaisesWithTheFixedTexts)
{
    auto list = ListOf({"b", "a"});
    TDelimitedStringsSorter sorter(list.get());
    sorter.SetKeyFields({0});
    try {
        sorter.Sort(1, 0);
        FAIL() << "no error";
    } catch (const ESorterError &e) {
        EXPECT_EQ(QStringLiteral("Invalid index range \n\rIn TDelimitedStringsSorter::SortRange,\n\r"
                                 "With Data low index [1], high index [0]"),
                  e.Message());
    }
    EXPECT_THROW(sorter.Sort(0, 2), ESorterError) << "past the last record";

    TDelimitedStringsSorter noKeys(list.get());
    try {
        noKeys.Sort(0, 1);
        FAIL() << "no error";
    } catch (const ESorterError &e) {
        EXPECT_EQ(QStringLiteral("No key columns specified \n\rIn TDelimitedStringsSorter::CheckSource,\n\r"
                                 "With Data N/A"),
                  e.Message());
    }
    TDelimitedStringsSorter noList(nullptr);
    noList.SetKeyFields({0});
    EXPECT_THROW(noList.Sort(0, 1), ESorterError);
    EXPECT_EQ((QStringList{"b", "a"}), Field(*list, 0)) << "nothing was sorted";

    EXPECT_EQ(QStringLiteral("Unspecified Error[7] \n\rIn A::B,\n\rWith Data N/A"),
              ESorterError::Create(QString(), "A", "B", "N/A", "7").Message());
}

TEST(DelimitedStringsSorter, StepsBeforeAndAfterRunOnTheMainThread)
{
    // A sorter that notes on which thread its keys were taken.
    class Probe : public TDelimitedStringsSorter
    {
    public:
        using TDelimitedStringsSorter::TDelimitedStringsSorter;
        std::thread::id keyThread;
        void GetKey(int Index, QVariant &Key) override
        {
            keyThread = std::this_thread::get_id();
            TDelimitedStringsSorter::GetKey(Index, Key);
        }
    };
    auto list = ListOf({"c", "a", "b"});
    int changes = 0;
    std::thread::id changeThread;
    list->OnChange = [&](TObject *) {
        ++changes;
        changeThread = std::this_thread::get_id();
    };
    const std::thread::id main = std::this_thread::get_id();
    std::thread::id before, after;
    QStringList orderSeenAfter;
    std::thread::id keyThread;
    {
        Probe sorter(list.get());
        sorter.SetKeyFields({0});
        sorter.OnBeforeSort = [&](TBaseSorter *) { before = std::this_thread::get_id(); };
        sorter.OnAfterSort = [&](TBaseSorter *) {
            after = std::this_thread::get_id();
            orderSeenAfter = Field(*list, 0);
        };
        sorter.Sort(0, 2);
        EXPECT_EQ(std::thread::id(), after) << "the after step waits for the free";
        sorter.WaitFor();
        keyThread = sorter.keyThread;
    }
    EXPECT_NE(main, keyThread) << "the sort itself ran on the worker";
    EXPECT_NE(std::thread::id(), keyThread);
    EXPECT_EQ(main, before);
    EXPECT_EQ(main, after);
    EXPECT_EQ((QStringList{"a", "b", "c"}), orderSeenAfter);
    EXPECT_EQ(1, changes) << "one change notice for the whole sort";
    EXPECT_EQ(main, changeThread);
}

TEST(DelimitedStringsSorter, EventLoopAlsoServesTheSteps)
{
    auto list = ListOf({"c", "a", "b"});
    TDelimitedStringsSorter sorter(list.get());
    sorter.SetKeyFields({0});
    bool done = false;
    sorter.OnAfterSort = [&](TBaseSorter *) { done = true; };
    sorter.Sort(0, 2);
    QElapsedTimer timer;
    timer.start();
    while (!done && timer.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    ASSERT_TRUE(done);
    sorter.WaitFor();
    EXPECT_EQ((QStringList{"a", "b", "c"}), Field(*list, 0));
}

TEST(DelimitedStringsSorter, FreeingAnUnstartedSorterReturns)
{
    auto list = ListOf({"b", "a"});
    {
        TDelimitedStringsSorter sorter(list.get());
        sorter.SetKeyFields({0});
    }
    {
        TDelimitedStringsSorter refused(list.get());   // CheckSource fails
        EXPECT_THROW(refused.Sort(0, 1), ESorterError);
    }
    EXPECT_EQ((QStringList{"b", "a"}), Field(*list, 0));
}

TEST(DelimitedStringsSorter, FailingStepBeforeTheSortStaysOnItsThreadAndIsRaisedByTheWait)
{
    auto list = ListOf({"c", "a", "b"});
    int changes = 0;
    list->OnChange = [&](TObject *) { ++changes; };
    bool afterRan = false;
    {
        TDelimitedStringsSorter sorter(list.get());
        sorter.SetKeyFields({0});
        sorter.OnBeforeSort = [](TBaseSorter *) { throw EAbort(QStringLiteral("before failed")); };
        sorter.OnAfterSort = [&](TBaseSorter *) { afterRan = true; };
        sorter.Sort(0, 2);
        EXPECT_THROW(sorter.WaitFor(), EAbort);
        EXPECT_EQ(QStringLiteral("before failed"), sorter.FatalError());
    }
    EXPECT_TRUE(afterRan) << "the list is handed back";
    EXPECT_EQ(1, changes);
    EXPECT_EQ((QStringList{"c", "a", "b"}), Field(*list, 0)) << "nothing was sorted";

    // Freed without a wait of its own: the free neither hangs nor throws.
    {
        TDelimitedStringsSorter sorter(list.get());
        sorter.SetKeyFields({0});
        sorter.OnAfterSort = [](TBaseSorter *) { throw EAbort(QStringLiteral("after failed")); };
        sorter.Sort(0, 2);
    }
    EXPECT_EQ((QStringList{"a", "b", "c"}), Field(*list, 0));
}

TEST(DelimitedStringsSorter, FailedSortIsReportedAndHandsTheListBack)
{
    // Keys of a type that a typed compare refuses.
    class PointKeys : public TDelimitedStringsSorter
    {
    public:
        using TDelimitedStringsSorter::TDelimitedStringsSorter;
        void GetKey(int Index, QVariant &Key) override { Key = QPoint(Index, 0); }
    };
    auto list = ListOf({"b", "a", "c"});
    int changes = 0;
    list->OnChange = [&](TObject *) { ++changes; };
    PointKeys sorter(list.get());
    sorter.SetKeyFields({0});
    sorter.SetTypedCompare(true);
    sorter.Sort(0, 2);
    try {
        sorter.WaitFor();
        FAIL() << "no error";
    } catch (const ESorterError &e) {
        EXPECT_TRUE(e.Message().startsWith("Cannot compare a key of type QPoint"))
            << e.Message().toStdString();
    }
    EXPECT_TRUE(sorter.FatalError().contains("In TDelimitedStringsSorter::CompareKeys"));
    EXPECT_EQ(1, changes) << "the list's updates were released";
    try {
        sorter.CompareKeys(QString("a@"), QPoint());
        FAIL() << "no error";
    } catch (const ESorterError &e) {
        EXPECT_TRUE(e.Message().startsWith("Cannot compare a key of type QString with one of type QPoint"));
    }
    EXPECT_EQ(-1, sorter.CompareKeys(QString("-5@"), QString("3@")));
    list->Add("d@3");
    EXPECT_EQ(2, changes);
}

namespace {

// A grid with one header row: name, amount, date; row i's name ends in i.
std::unique_ptr<platform::StringGrid> GridOf(const QList<QStringList> &rows)
{
    auto grid = std::make_unique<platform::StringGrid>();
    grid->SetColCount(3);
    grid->SetRowCount(int(rows.size()) + 1);
    grid->SetFixedRows(1);
    grid->SetRows(0, {"Наименование", "Сума", "Дата"});
    for (int r = 0; r < rows.size(); ++r)
        grid->SetRows(r + 1, rows[r]);
    return grid;
}

QStringList Column(const platform::StringGrid &grid, int col)
{
    QStringList out;
    for (int r = grid.FixedRows(); r < grid.RowCount(); ++r)
        out << grid.Cells(col, r);
    return out;
}

void SortGrid(platform::StringGrid &grid, std::vector<int> columns, unsigned char direction)
{
    TStringGridSorter sorter(&grid);
    sorter.SetSortColumns(columns);
    sorter.SetDirection(direction);
    sorter.SortAll();
}

} // namespace

TEST(StringGridSorterGui, SortsRowsByNumbersDatesAndTexts)
{
    auto grid = GridOf({{"Хляб", "-5", "01.02.2024"},
                        {"Баница", "12.50", "15.01.2024"},
                        {"Кифла", "-12", "31.12.2023"},
                        {"Аванс", "9", "15.01.2024"},
                        {"Сума за филтъра", "4.5", ""}});
    grid->resize(300, 200);
    grid->show();

    SortGrid(*grid, {1}, 0);
    EXPECT_EQ((QStringList{"-12", "-5", "9", "12.50", "4.5"}), Column(*grid, 1));
    EXPECT_EQ((QStringList{"Кифла", "Хляб", "Аванс", "Баница", "Сума за филтъра"}), Column(*grid, 0))
        << "whole rows move; the totals row stays last";
    SortGrid(*grid, {1}, 1);
    EXPECT_EQ((QStringList{"12.50", "9", "-5", "-12", "4.5"}), Column(*grid, 1));

    SortGrid(*grid, {2, 0}, 0);
    EXPECT_EQ((QStringList{"Кифла", "Аванс", "Баница", "Хляб", "Сума за филтъра"}), Column(*grid, 0));
    SortGrid(*grid, {0}, 1);
    EXPECT_EQ((QStringList{"Хляб", "Кифла", "Баница", "Аванс", "Сума за филтъра"}), Column(*grid, 0));
    EXPECT_EQ(QStringLiteral("Наименование"), grid->Cells(0, 0)) << "the header row is not sorted";
}

TEST(StringGridSorterGui, AnEmptyCellOfANumberColumnSortsAsTheZeroItShows)
{
    auto grid = GridOf({{"Хляб", "-5", ""}, {"Баница", "", ""}, {"Кифла", "2.5", ""}, {"Аванс", "-0.5", ""},
                        {"Погача", "0", ""}});
    SortGrid(*grid, {1}, 0);
    const QStringList order = Column(*grid, 1);
    EXPECT_EQ((QStringList{"-5", "-0.5"}), order.mid(0, 2));
    QStringList zeros = order.mid(2, 2);  // equal as numbers: either order
    zeros.sort();
    EXPECT_EQ((QStringList{"", "0"}), zeros);
    EXPECT_EQ(QStringLiteral("2.5"), order[4]);
    SortGrid(*grid, {1}, 1);
    EXPECT_EQ(QStringLiteral("2.5"), Column(*grid, 1)[0]);
    EXPECT_EQ((QStringList{"-0.5", "-5"}), Column(*grid, 1).mid(3, 2));
}

TEST(StringGridSorterGui, SortAllWithoutDataRowsDoesNothing)
{
    platform::StringGrid grid;
    grid.SetRowCount(2);
    grid.SetFixedRows(1);
    grid.SetRowCount(1);
    grid.SetCells(0, 0, "x");
    {
        TStringGridSorter sorter(&grid);
        sorter.SetSortColumns({0});
        sorter.SortAll();
    }
    EXPECT_EQ(QStringLiteral("x"), grid.Cells(0, 0));
    TStringGridSorter noColumns(&grid);
    EXPECT_THROW(noColumns.Sort(0, 0), ESorterError);
}

TEST(StringGridSorterGui, RichGridTotalsRowsByColourStayLast)
{
    TRichGrid grid;
    grid.SetColCount(2);
    grid.SetRowCount(6);
    grid.SetFixedRows(1);
    const QList<QStringList> rows{{"Хляб", "2.5"}, {"Баница", "-1"}, {"Айрян", "8"}, {"Общо:", "9.5"}, {"Общо:", "17.5"}};
    for (int r = 0; r < rows.size(); ++r)
        grid.SetRows(r + 1, rows[r]);
    grid.GetRowAttributes(4)->SetBackColor(0xF8F0D8);   // as the grid fill paints them
    grid.GetRowAttributes(5)->SetBackColor(0xF8F0D8);
    for (unsigned char direction : {0, 1}) {
        TStringGridSorter sorter(&grid);
        sorter.SetSortColumns({1});
        sorter.SetDirection(direction);
        sorter.SortAll();
    }
    EXPECT_EQ((QStringList{"8", "2.5", "-1", "9.5", "17.5"}), Column(grid, 1));
    EXPECT_EQ(TColor(0xF8F0D8), grid.GetRowAttributes(4)->BackColor()) << "the looks stay with the rows";
    {
        TStringGridSorter sorter(&grid);
        sorter.SetSortColumns({0});
        sorter.SortAll();
    }
    EXPECT_EQ((QStringList{"Айрян", "Баница", "Хляб", "Общо:", "Общо:"}), Column(grid, 0));
    EXPECT_EQ((QStringList{"8", "-1", "2.5", "9.5", "17.5"}), Column(grid, 1));
}

TEST(StringGridSorterGui, GridsLargeEnoughForSeveralThreadsEndWhereOneThreadPutsThem)
{
    // The data rows of many ties in a grid, below them a totals row by its
    // first cell and one by its colour; the order of the data rows is
    // judged the slow way on the same texts as a record list.
    auto ties = ManyTies(40000);
    TDelimitedStringList data;
    for (int i = 0; i < ties->Count(); ++i)
        if (!ties->Strings(i).startsWith(QChar(0x00A4)))
            data.Add(ties->Strings(i));
    TRichGrid grid;
    grid.SetColCount(5);
    grid.SetRowCount(data.Count() + 3);
    grid.SetFixedRows(1);
    for (int i = 0; i < data.Count(); ++i)
        grid.SetRows(i + 1, data.Strings(i).split(QLatin1Char('@')));
    const int last = data.Count() + 1;
    grid.SetRows(last, {"Сума за филтъра", "", "", "", "-1"});
    grid.SetRows(last + 1, {"Общо:", "", "", "", "-2"});
    grid.GetRowAttributes(last + 1)->SetBackColor(0xF8F0D8);
    for (const std::vector<int> &columns : {std::vector<int>{0}, std::vector<int>{1, 2}, std::vector<int>{3}})
        for (unsigned char direction : {0, 1}) {
            // Rows are judged from where they stand before this sort.
            TDelimitedStringList before;
            for (int r = 1; r < last; ++r)
                before.Add(grid.Rows(r).join(QLatin1Char('@')));
            const QStringList positions = Field(before, 4);
            std::vector<int> expected;
            for (int k : ReferenceOrder(before, columns, direction, 0, false))
                expected.push_back(positions[k].toInt());
            expected.push_back(-1);
            expected.push_back(-2);
            SortGrid(grid, columns, direction);
            std::vector<int> got;
            for (const QString &p : Column(grid, 4))
                got.push_back(p.toInt());
            EXPECT_EQ(expected, got) << "first column " << columns[0] << " direction " << int(direction);
        }
    EXPECT_EQ(TColor(0xF8F0D8), grid.GetRowAttributes(last + 1)->BackColor());
}
