// Record lists: the text format, fields, sorting, notifications, hooks and
// files.
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "core/uDelimitedStrings.h"
#include "support/FileSizeLimit.h"

namespace {

const QString D = QString(QChar(0xB0)); // '°'

QString T(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

QStringList Records(const TDelimitedStrings &l)
{
    QStringList r;
    for (int i = 0; i < l.Count(); ++i)
        r << l.Get(i);
    return r;
}

template <typename E, typename F>
QString MessageOf(F f)
{
    try {
        f();
    } catch (const E &e) {
        return e.Message();
    }
    return "no exception";
}

struct Tag : TObject
{
    explicit Tag(int v) : value(v) {}
    int value;
};

} // namespace

TEST(DelimitedStrings, TextSplitsAtEveryRecordDelimiter)
{
    TDelimitedStringList l;
    l.SetTextStr(T("a°°b"));
    EXPECT_EQ(QStringList({"a", "", "b"}), Records(l));
    l.SetTextStr(T("°a"));
    EXPECT_EQ(QStringList({"", "a"}), Records(l));
    l.SetTextStr(T("a°"));
    EXPECT_EQ(QStringList({"a", ""}), Records(l));
    l.SetTextStr(T("°"));
    EXPECT_EQ(QStringList({"", ""}), Records(l));
    l.SetText(T("x°°°"));
    EXPECT_EQ(QStringList({"x", "", "", ""}), Records(l));
    l.SetTextStr("");
    EXPECT_EQ(0, l.Count());
}

TEST(DelimitedStrings, TextJoinsRecordsWithOneDelimiterBetween)
{
    TDelimitedStringList l;
    EXPECT_EQ("", l.Text());
    l.Add("a");
    l.Add("");
    EXPECT_EQ(T("a°"), l.Text());

    TDelimitedStringList single;
    single.Add("");
    EXPECT_EQ("", single.Text()); // one empty record writes nothing...
    single.SetTextStr(single.Text());
    EXPECT_EQ(0, single.Count()); // ...and reads back as no record

    TDelimitedStringList three;
    three.SetTextStr(T("ab@c°°d@"));
    EXPECT_EQ(T("ab@c°°d@"), three.Text());
    EXPECT_EQ(three.GetText(), three.Text());
}

TEST(DelimitedStrings, ConstructorSetsDelimitersAndDefaults)
{
    TDelimitedStringList l;
    EXPECT_EQ(QChar(0xB0), l.RecordDelimiter());
    EXPECT_EQ(QChar('@'), l.FieldDelimiter());
    EXPECT_EQ(QChar(0xA4), l.MarkerChar());
    EXPECT_FALSE(l.TrimRecords());
    EXPECT_FALSE(l.Sorted());
    EXPECT_EQ(dupIgnore, l.Duplicates());

    TDelimitedStringList other('\n', ';');
    other.SetTextStr("a;b\nc");
    EXPECT_EQ(2, other.Count());
    EXPECT_EQ(2, other.GetFieldCount(0));
}

TEST(DelimitedStrings, FieldCountIsDelimitersPlusOne)
{
    TDelimitedStringList l;
    l.Add("");
    l.Add("x@");
    l.Add("a@b@c");
    EXPECT_EQ(1, l.GetFieldCount(0));
    EXPECT_EQ(2, l.GetFieldCount(1));
    EXPECT_EQ(3, l.GetFieldCount(2));
    EXPECT_EQ("List index out of bounds (3)", MessageOf<EStringListError>([&] { l.GetFieldCount(3); }));
}

TEST(DelimitedStrings, GetFieldReadsUpToTheFieldCountAndRaisesPastIt)
{
    TDelimitedStringList l;
    l.Add("a@b");
    QString s = "junk";
    l.GetField(0, 1, s);
    EXPECT_EQ("b", s);
    s = "junk";
    l.GetField(0, 2, s); // index equal to the count: the empty text
    EXPECT_EQ("", s);
    EXPECT_EQ("List index out of bounds (3)", MessageOf<EStringListError>([&] { l.GetField(0, 3, s); }));
    EXPECT_EQ("List index out of bounds (-1)", MessageOf<EStringListError>([&] { l.GetField(0, -1, s); }));
    EXPECT_EQ("List index out of bounds (1)", MessageOf<EStringListError>([&] { l.GetField(1, 0, s); }));
}

TEST(DelimitedStrings, SetFieldAddsMissingFieldsAsEmptyOnes)
{
    TDelimitedStringList l;
    l.Add("a");
    l.SetField(0, 3, "z");
    EXPECT_EQ("a@@@z", l.Get(0));
    l.SetField(0, 1, "mid");
    EXPECT_EQ("a@mid@@z", l.Get(0));
    l.SetField(0, 0, "");
    EXPECT_EQ("@mid@@z", l.Get(0));
    EXPECT_EQ("List index out of bounds (5)", MessageOf<EStringListError>([&] { l.SetField(5, 0, "q"); }));
    EXPECT_EQ("List index out of bounds (-2)", MessageOf<EStringListError>([&] { l.SetField(0, -2, "q"); }));
    EXPECT_EQ("@mid@@z", l.Get(0));
}

TEST(DelimitedStrings, SetFieldCountCutsOrPads)
{
    TDelimitedStringList l;
    l.Add("a@b@c");
    l.Add("a");
    l.SetFieldCount(0, 1);
    l.SetFieldCount(1, 3);
    EXPECT_EQ(QStringList({"a", "a@@"}), Records(l));
    EXPECT_EQ("List index out of bounds (-1)", MessageOf<EStringListError>([&] { l.SetFieldCount(0, -1); }));
    EXPECT_EQ("List index out of bounds (2)", MessageOf<EStringListError>([&] { l.SetFieldCount(2, 1); }));

    l.AddWithFieldCount("p@q@r@s", 2);
    l.AddWithFieldCount("p", 4);
    EXPECT_EQ(QStringList({"a", "a@@", "p@q", "p@@@"}), Records(l));
}

TEST(DelimitedStrings, AddTextSplitsButAddStoresOneRecord)
{
    TDelimitedStringList l;
    l.Add("first");
    l.AddText(T("x°y"));
    EXPECT_EQ(QStringList({"first", "x", "y"}), Records(l));
    l.AddText("");
    EXPECT_EQ(3, l.Count());
    EXPECT_EQ(3, l.Add(T("x°y")));
    EXPECT_EQ(4, l.Count());
    EXPECT_EQ(T("x°y"), l.Get(3));
    l.Append("z");
    EXPECT_EQ("z", l.Get(4));
    // The text writer replaces what was there.
    l.SetTextStr("only");
    EXPECT_EQ(QStringList({"only"}), Records(l));
}

TEST(DelimitedStrings, SortedListAppliesDuplicates)
{
    TDelimitedStringList l;
    l.SetSorted(true);
    EXPECT_EQ(0, l.Add("abc"));
    EXPECT_EQ(0, l.Add("ABC")); // dupIgnore: the existing index
    EXPECT_EQ(1, l.Count());
    EXPECT_EQ("abc", l.Get(0));

    l.SetDuplicates(dupError);
    EXPECT_EQ("String list does not allow duplicates", MessageOf<EStringListError>([&] { l.Add("Abc"); }));
    EXPECT_EQ(QStringList({"abc"}), Records(l));

    l.SetDuplicates(dupAccept);
    l.Add("b");
    l.Add("ABC");
    l.Add("aBc");
    EXPECT_EQ(4, l.Count());
    int index = -1;
    EXPECT_TRUE(l.Find("abc", index));
    EXPECT_EQ(0, index); // the first of the equal records
    EXPECT_EQ("b", l.Get(3));
}

TEST(DelimitedStrings, FindGivesTheInsertPositionWhenAbsent)
{
    TDelimitedStringList l;
    l.SetSorted(true);
    for (const char *s : {"d", "b", "f", "Ж", "а"})
        l.Add(T(s));
    EXPECT_EQ(QStringList({"b", "d", "f", T("а"), T("Ж")}), Records(l));
    int index = -1;
    EXPECT_FALSE(l.Find("a", index));
    EXPECT_EQ(0, index);
    EXPECT_FALSE(l.Find("c", index));
    EXPECT_EQ(1, index);
    EXPECT_TRUE(l.Find("D", index));
    EXPECT_EQ(1, index);
    EXPECT_FALSE(l.Find("g", index));
    EXPECT_EQ(3, index);
    EXPECT_TRUE(l.Find(T("ж"), index));
    EXPECT_EQ(4, index);
    EXPECT_FALSE(l.Find(T("я"), index));
    EXPECT_EQ(5, index);
    EXPECT_EQ(4, l.IndexOf(T("ж")));
    EXPECT_EQ(-1, l.IndexOf("e"));
}

TEST(DelimitedStrings, SortedListRefusesInsertPutAndMove)
{
    TDelimitedStringList l;
    l.Add("b");
    l.Add("a");
    l.SetSorted(true); // switching on sorts
    EXPECT_EQ(QStringList({"a", "b"}), Records(l));
    const QString refused = "Operation not allowed on sorted string list";
    EXPECT_EQ(refused, MessageOf<EStringListError>([&] { l.Insert(0, "c"); }));
    EXPECT_EQ(refused, MessageOf<EStringListError>([&] { l.Put(0, "c"); }));
    EXPECT_EQ(refused, MessageOf<EStringListError>([&] { l.SetField(0, 1, "c"); }));
    EXPECT_EQ(refused, MessageOf<EStringListError>([&] { l.Move(0, 1); }));
    EXPECT_EQ(QStringList({"a", "b"}), Records(l)); // nothing lost
}

TEST(DelimitedStrings, SortOrdersIgnoringCaseAndCarriesObjects)
{
    TDelimitedStringList l;
    Tag t1(1), t2(2), t3(3), t4(4), t5(5);
    l.AddObject(T("Хляб@1"), &t1);
    l.AddObject("beta@2", &t2);
    l.AddObject(T("баница@3"), &t3);
    l.AddObject("Alpha@4", &t4);
    l.AddObject("10@5", &t5);
    l.Sort();
    EXPECT_EQ(QStringList({"10@5", "Alpha@4", "beta@2", T("баница@3"), T("Хляб@1")}), Records(l));
    EXPECT_EQ(&t5, l.Objects(0));
    EXPECT_EQ(&t1, l.Objects(4));
    EXPECT_FALSE(l.Sorted());
}

TEST(DelimitedStrings, SortHandlesManyEqualAndReversedRecords)
{
    TDelimitedStringList l;
    for (int i = 200; i > 0; --i)
        l.Add(QString::number(i % 7) + "@" + QString::number(i));
    l.Sort();
    for (int i = 1; i < l.Count(); ++i) {
        QString a, b;
        l.GetField(i - 1, 0, a);
        l.GetField(i, 0, b);
        EXPECT_LE(a, b);
    }
    EXPECT_EQ(200, l.Count());
}

// The list's quicksort as it compares every pair through AnsiCompareText:
// the sort by keys made once must leave records that compare equal (the
// same text in other letter cases) in exactly the places this one does.
void PairwiseQuickSort(QStringList &s, int L, int R)
{
    int i;
    do {
        i = L;
        int j = R;
        int p = (L + R) / 2;
        do {
            while (AnsiCompareText(s[i], s[p]) < 0)
                ++i;
            while (AnsiCompareText(s[j], s[p]) > 0)
                --j;
            if (i <= j) {
                if (i != j)
                    s.swapItemsAt(i, j);
                if (p == i)
                    p = j;
                else if (p == j)
                    p = i;
                ++i;
                --j;
            }
        } while (i <= j);
        if (L < j)
            PairwiseQuickSort(s, L, j);
        L = i;
    } while (i < R);
}

TEST(DelimitedStrings, SortPlacesEqualRecordsAsThePairwiseSortDoes)
{
    auto check = [](const QStringList &words, const char *what) {
        QStringList model;
        TDelimitedStringList l;
        quint32 seed = 12345;
        for (int i = 0; i < 3000; ++i) {
            seed = seed * 1103515245u + 12345u;
            const QString record = words[(seed >> 8) % words.size()] + "@" + words[(seed >> 20) % words.size()];
            model << record;
            l.Add(record);
        }
        PairwiseQuickSort(model, 0, model.size() - 1);
        l.Sort();
        EXPECT_EQ(model, Records(l)) << what;
    };
    // Letter cases and trailing blanks make records that compare equal
    // without being the same.
    check({T("Хляб"), T("хляб"), T("ХЛЯБ"), T("баница"), T("Баница "), "beta", "Beta", "BETA  ", "10", "1", "-5",
           T("ёж"), T("Ъгъл"), "a b", "A B", "ab"},
          "letter cases");
    // Only exact copies compare equal.
    check({T("Хляб"), T("баница"), "beta", "10", "1", "-5", T("ёж"), T("Ъгъл"), "a b", "ab", "", " x"}, "copies");
    // Equal keys whose texts still differ (trailing blanks): ordered by the
    // texts, copies only among the records that compare equal.
    check({T("Хляб"), T("Хляб "), T("Хляб  "), "beta", "beta ", T("баница"), "10", "10 ", ""}, "trailing blanks");
}

TEST(DelimitedStrings, IndexOfOnUnsortedListIgnoresCase)
{
    TDelimitedStringList l;
    l.Add("x");
    l.Add(T("Пекарна@1"));
    EXPECT_EQ(1, l.IndexOf(T("пекарна@1")));
    EXPECT_EQ(-1, l.IndexOf(T("пекарна")));
}

TEST(DelimitedStrings, AddStringsChecksTheSourceKind)
{
    TDelimitedStringList l;
    l.Add("a");
    TDelimitedStringList other('\n', '@');
    other.Add("b");
    EXPECT_EQ("Adding objects with different delimiters is not supported",
              MessageOf<EDifferentDelimiters>([&] { l.AddStrings(&other); }));
    EXPECT_EQ("AddStrings method failed", MessageOf<EAddStringsFailed>([&] { l.AddStrings(nullptr); }));

    Tag t(7);
    TDelimitedStringList same(QChar(0xB0), ';'); // only the record delimiter must match
    same.AddObject("c;d", &t);
    l.AddStrings(&same);
    TStringList plain;
    plain.AddObject("e", &t);
    l.AddStrings(&plain);
    EXPECT_EQ(QStringList({"a", "c;d", "e"}), Records(l));
    EXPECT_EQ(&t, l.Objects(1));
    EXPECT_EQ(&t, l.Objects(2));

    l.AddStrings(&l); // its own records once more
    EXPECT_EQ(6, l.Count());
}

TEST(DelimitedStrings, AssignCopiesDelimitersMarkerRecordsAndObjects)
{
    Tag t(1);
    TDelimitedStringList source('|', ';');
    source.SetMarkerChar('*');
    source.AddObject("a;b", &t);
    source.Add("c");

    TDelimitedStringList l;
    l.Add("old");
    l.Assign(&source);
    EXPECT_EQ(QChar('|'), l.RecordDelimiter());
    EXPECT_EQ(QChar(';'), l.FieldDelimiter());
    EXPECT_EQ(QChar('*'), l.MarkerChar());
    EXPECT_EQ(QStringList({"a;b", "c"}), Records(l));
    EXPECT_EQ(&t, l.Objects(0));

    l.Assign(nullptr);
    EXPECT_EQ(2, l.Count());

    TStringList plain;
    plain.AddObject("p", &t);
    l.Assign(&plain);
    EXPECT_EQ(QStringList({"p"}), Records(l));
    EXPECT_EQ(QChar('|'), l.RecordDelimiter());

    TStringList dest;
    dest.Add("gone");
    source.AssignTo(dest);
    EXPECT_EQ(QStringList({"a;b", "c"}), dest.ToStringList());
    EXPECT_EQ(nullptr, dest.Objects(0));
    TDelimitedStringList empty;
    empty.AssignTo(dest); // an empty list leaves the destination alone
    EXPECT_EQ(2, dest.Count());

    std::unique_ptr<TPersistent> clone(source.Clone());
    auto *copy = dynamic_cast<TDelimitedStringList *>(clone.get());
    ASSERT_NE(nullptr, copy);
    EXPECT_EQ(source.Text(), copy->Text());
}

TEST(DelimitedStrings, MoveAndExchangeCarryObjects)
{
    Tag a(1), b(2), c(3);
    TDelimitedStringList l;
    l.AddObject("a", &a);
    l.AddObject("b", &b);
    l.AddObject("c", &c);
    l.Move(0, 2);
    EXPECT_EQ(QStringList({"b", "c", "a"}), Records(l));
    EXPECT_EQ(&a, l.Objects(2));
    l.Exchange(0, 1);
    EXPECT_EQ(QStringList({"c", "b", "a"}), Records(l));
    EXPECT_EQ(&c, l.Objects(0));
    EXPECT_EQ("List index out of bounds (3)", MessageOf<EStringListError>([&] { l.Exchange(0, 3); }));
    EXPECT_EQ("List index out of bounds (3)", MessageOf<EStringListError>([&] { l.Move(0, 3); }));
    EXPECT_EQ(QStringList({"c", "b", "a"}), Records(l));
}

TEST(DelimitedStrings, IndexErrorsOfListOperations)
{
    TDelimitedStringList l;
    l.Add("a");
    EXPECT_EQ("List index out of bounds (1)", MessageOf<EStringListError>([&] { l.Get(1); }));
    EXPECT_EQ("List index out of bounds (-1)", MessageOf<EStringListError>([&] { l.Delete(-1); }));
    EXPECT_EQ("List index out of bounds (2)", MessageOf<EStringListError>([&] { l.Insert(2, "x"); }));
    EXPECT_EQ("List index out of bounds (1)", MessageOf<EStringListError>([&] { l.PutObject(1, nullptr); }));
    EXPECT_EQ("List index out of bounds (1)", MessageOf<EStringListError>([&] { l.GetObject(1); }));
    l.Insert(1, "b");
    l.Insert(0, "c");
    l.Delete(1);
    EXPECT_EQ(QStringList({"c", "b"}), Records(l));
}

TEST(DelimitedStrings, CapacityGrowsByFourThenSixteenThenAQuarter)
{
    TDelimitedStringList l;
    QList<int> steps;
    for (int i = 0; i < 80; ++i) {
        l.Add("r");
        if (steps.isEmpty() || steps.last() != l.Capacity())
            steps << l.Capacity();
    }
    EXPECT_EQ(QList<int>({4, 8, 12, 28, 44, 60, 76, 95}), steps);
    EXPECT_THROW(l.SetCapacity(79), EStringListError);
    l.SetCapacity(200);
    EXPECT_EQ(200, l.Capacity());
    EXPECT_EQ(80, l.Count());
    l.Clear();
    EXPECT_EQ(0, l.Capacity());
    EXPECT_EQ(0, l.Count());
}

TEST(DelimitedStrings, ChangeNotificationsFireOncePerOperationOutsideUpdates)
{
    TDelimitedStringList l;
    int changing = 0, changed = 0;
    l.OnChanging = [&](TObject *sender) {
        EXPECT_EQ(&l, sender);
        ++changing;
    };
    l.OnChange = [&](TObject *) { ++changed; };

    l.Add("a");
    EXPECT_EQ(1, changing);
    EXPECT_EQ(1, changed);
    l.SetTextStr(T("x°y°z"));
    EXPECT_EQ(2, changing);
    EXPECT_EQ(2, changed);
    l.SetText(T("p°q"));
    EXPECT_EQ(3, changing);
    EXPECT_EQ(3, changed);
    EXPECT_EQ(QStringList({"p", "q"}), Records(l));

    l.BeginUpdate();
    EXPECT_EQ(4, changing);
    l.BeginUpdate();
    l.Add("r");
    l.Delete(0);
    l.EndUpdate();
    EXPECT_EQ(3, changed);
    l.EndUpdate();
    EXPECT_EQ(4, changing);
    EXPECT_EQ(4, changed);
    l.EndUpdate(); // unpaired: ignored
    l.Clear();
    EXPECT_EQ(5, changed);
    l.Clear(); // already empty: no notification
    EXPECT_EQ(5, changed);
}

TEST(DelimitedStrings, SplitHookMayChangeOrStopButNotInsertDelimiters)
{
    TDelimitedStringList l;
    QList<int> seen;
    l.OnSplitRecord = [&](TDelimitedStrings &list, int count, int no, QString &rec, bool &stop, bool &changed) {
        EXPECT_EQ(&l, &list);
        EXPECT_EQ(4, count);
        seen << no;
        if (no == 1) {
            rec = rec.toUpper();
            changed = true;
        }
        if (no == 2)
            stop = true;
    };
    l.SetTextStr(T("a°b°c°d"));
    EXPECT_EQ(QList<int>({0, 1, 2}), seen);
    EXPECT_EQ(QStringList({"a", "B"}), Records(l));
    EXPECT_TRUE(l.Stopped());

    l.OnSplitRecord = [&](TDelimitedStrings &, int, int no, QString &rec, bool &, bool &changed) {
        if (no == 1) {
            rec = T("x°y");
            changed = true;
        }
    };
    EXPECT_EQ("Record Delimiter Found In Already Separated String",
              MessageOf<ERecordDelimiterFoundInAlreadySeparatedString>([&] { l.SetTextStr(T("a°b")); }));
    EXPECT_EQ(QStringList({"a"}), Records(l)); // what was added before stays
    EXPECT_FALSE(l.Stopped());
    EXPECT_EQ("Extra Record Delimiter Found In Already Separated String",
              MessageOf<EExtraRecordDelimiterFoundInAlreadySeparatedString>([&] { l.SetTextStr(T("a°°b")); }));

    // The list is usable after the failure: the update was closed.
    int changed = 0;
    l.OnSplitRecord = nullptr;
    l.OnChange = [&](TObject *) { ++changed; };
    l.Add("z");
    EXPECT_EQ(1, changed);
}

TEST(DelimitedStrings, TrimRecordsTrimsEachSplitRecordOnly)
{
    TDelimitedStringList l;
    l.SetTrimRecords(true);
    l.SetTextStr(T(" a @ b °\tc "));
    EXPECT_EQ(QStringList({"a @ b", "c"}), Records(l));
    l.Add(" kept ");
    EXPECT_EQ(" kept ", l.Get(2));
}

TEST(DelimitedStrings, GetRecordHookSeesReadsAndMayStopTheText)
{
    TDelimitedStringList l;
    l.SetTextStr(T("a°b°c"));
    QList<int> numbers;
    l.OnGetRecord = [&](const TDelimitedStrings &, int count, QString &rec, int no, bool &stop) {
        EXPECT_EQ(3, count);
        numbers << no;
        rec = "<" + rec + ">";
        if (no == 3)
            stop = true;
    };
    EXPECT_EQ(T("<a>°<b>"), l.Text());
    EXPECT_TRUE(l.Stopped());
    EXPECT_EQ(QList<int>({1, 2, 3}), numbers);
    QString field;
    l.GetField(1, 0, field);
    EXPECT_EQ("<b>", field);
}

namespace {
// A list that leaves Add to the base: the base splits a text given to Add
// and tells of marked records.
class PlainRecords : public TDelimitedStrings
{
public:
    QString Get(int Index) const override
    {
        CheckIndex(Index);
        return items.at(Index);
    }
    int GetCount() const override { return items.size(); }
    void Clear() override { items.clear(); }
    void Delete(int Index) override
    {
        CheckIndex(Index);
        items.removeAt(Index);
    }
    void Insert(int Index, const QString &S) override { items.insert(Index, S); }
    TPersistent *Clone() const override { return nullptr; }
    QStringList items;
};
} // namespace

TEST(DelimitedStrings, BaseAddSplitsTextAndReportsMarkedRecords)
{
    PlainRecords l;
    int marked = 0;
    l.OnMarkedRecord = [&](TObject *sender) {
        EXPECT_EQ(&l, sender);
        ++marked;
    };
    l.Add("first");
    EXPECT_EQ(1, l.Add(T("x°¤Общо:@5"))); // the count before the call
    EXPECT_EQ(QStringList({"first", "x", T("¤Общо:@5")}), l.items);
    EXPECT_EQ(1, marked);
    l.SetText(T("a°b"));
    EXPECT_EQ(QStringList({"a", "b"}), l.items);
    l.SetField(0, 2, "z"); // the base Put: delete and insert
    EXPECT_EQ(QStringList({"a@@z", "b"}), l.items);
    l.Exchange(0, 1);
    EXPECT_EQ(QStringList({"b", "a@@z"}), l.items);
}

TEST(DelimitedStrings, SaveAndLoadRoundTripThroughAFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString name = dir.filePath("records.txt");

    TDelimitedStringList l;
    l.SetTextStr(T("1@Хляб бял@0.65°°2@Кифла@@°"));
    l.SaveToFile(name);
    QFile file(name);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(l.Text().toUtf8(), file.readAll()); // no terminator added
    file.close();

    TDelimitedStringList back;
    back.Add("replaced");
    back.LoadFromFile(name);
    EXPECT_EQ(Records(l), Records(back));
    EXPECT_EQ(4, back.Count());
    QString name2;
    back.GetField(2, 1, name2);
    EXPECT_EQ(T("Кифла"), name2);

    EXPECT_THROW(back.LoadFromFile(dir.filePath("missing.txt")), EFOpenError);
    EXPECT_EQ(4, back.Count());
    EXPECT_THROW(back.SaveToFile(dir.filePath("no/such/folder/x.txt")), EFCreateError);
}

TEST(DelimitedStrings, SaveOnAFullDiskRaisesAndKeepsTheOldFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString name = dir.filePath("records.txt");
    TDelimitedStringList l;
    l.SetTextStr("old");
    l.SaveToFile(name);
    l.SetTextStr(QString(500, QChar('x')));
    {
        testsupport::FileSizeLimit full(100);
        EXPECT_THROW(l.SaveToFile(name), EWriteError);
    }
    TDelimitedStringList back;
    back.LoadFromFile(name);
    EXPECT_EQ(QStringList{"old"}, Records(back));
    EXPECT_EQ(QStringList{"records.txt"}, QDir(dir.path()).entryList(QDir::Files | QDir::Hidden));
}

// A link planted at the file's name is replaced by the saved file; what it
// pointed to is never written.
TEST(DelimitedStrings, SaveReplacesALinkAtItsNameAndNeverWritesThroughIt)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString target = dir.filePath("elsewhere.txt");
    {
        QFile f(target);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("untouched");
    }
    const QString name = dir.filePath("records.txt");
    ASSERT_TRUE(QFile::link(target, name));
    TDelimitedStringList l;
    l.SetTextStr("new");
    l.SaveToFile(name);
    EXPECT_FALSE(QFileInfo(name).isSymLink());
    QFile back(target);
    ASSERT_TRUE(back.open(QIODevice::ReadOnly));
    EXPECT_EQ(QByteArray("untouched"), back.readAll());
    TDelimitedStringList saved;
    saved.LoadFromFile(name);
    EXPECT_EQ(QStringList{"new"}, Records(saved));
}

TEST(DelimitedStrings, LoadFromStreamReadsFromThePositionToTheEnd)
{
    QByteArray bytes = T("HEADa°b").toUtf8();
    QBuffer buffer(&bytes);
    ASSERT_TRUE(buffer.open(QIODevice::ReadOnly));
    buffer.seek(4);
    TDelimitedStringList l;
    l.LoadFromStream(buffer);
    EXPECT_EQ(QStringList({"a", "b"}), Records(l));

    QBuffer out;
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    l.SaveToStream(out);
    EXPECT_EQ(T("a°b").toUtf8(), out.data());
}

TEST(DelimitedStrings, CleanedValuesNeverShiftOrSplitARecord)
{
    EXPECT_EQ(T("office~bakery.bg"), CleanFieldValue("office@bakery.bg"));
    EXPECT_EQ(T("25 C"), CleanFieldValue(T("25°C")));
    EXPECT_EQ(T("Хляб"), CleanFieldValue(T("Хляб")));

    const QStringList values = {"7", "a@b.bg", T("10°"), ""};
    QStringList cleaned;
    for (const QString &v : values)
        cleaned << CleanFieldValue(v);
    TDelimitedStringList l;
    l.AddText(cleaned.join('@'));
    l.AddText(cleaned.join('@'));
    ASSERT_EQ(2, l.Count());
    EXPECT_EQ(4, l.GetFieldCount(0));
    QString s;
    l.GetField(1, 1, s);
    EXPECT_EQ("a~b.bg", s);
    l.GetField(1, 2, s);
    EXPECT_EQ("10 ", s);
}

// A refused operation must close the update it opened, or the list would
// stay silent for good; a change handler that throws while the refusal is
// on its way must not end the program.
TEST(DelimitedStrings, RefusedOperationsCloseTheirUpdate)
{
    TDelimitedStringList l;
    l.Add("a");
    TDelimitedStringList other(';', '@');
    other.Add("x");
    int changed = 0;
    l.OnChange = [&](TObject *) { ++changed; };

    EXPECT_THROW(l.AddStrings(&other), EDifferentDelimiters);
    l.SetSorted(true);
    EXPECT_THROW(l.Put(0, "b"), EStringListError);
    l.SetSorted(false);
    changed = 0;
    l.Add("c");
    EXPECT_EQ(1, changed);

    l.OnChange = [&](TObject *) { throw EConvertError("handler failed"); };
    EXPECT_THROW(l.AddStrings(&other), EDifferentDelimiters);
    l.OnChange = [&](TObject *) { ++changed; };
    changed = 0;
    l.Add("d");
    EXPECT_EQ(1, changed);
    EXPECT_EQ(3, l.Count());
}

TEST(DelimitedStrings, PermuteRecordsMovesEveryRecordWithItsObjectOnce)
{
    // Enough records that the moves are shared among threads; a range in
    // the middle takes a shuffled order of its records, the rest stays.
    const int n = 100000, first = 7, count = 70000;
    TDelimitedStringList l;
    std::vector<TObject> objects(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        l.Add(QStringLiteral("r%1").arg(i));
        l.SetObjects(i, &objects[size_t(i)]);
    }
    int changed = 0;
    l.OnChange = [&](TObject *) { ++changed; };
    std::vector<int> from(static_cast<size_t>(count));
    for (int k = 0; k < count; ++k)
        from[size_t(k)] = (k * 7919) % count;   // 7919 is prime to count: a permutation
    l.PermuteRecords(first, from);
    EXPECT_EQ(1, changed);
    ASSERT_EQ(n, l.Count());
    for (int i = 0; i < n; ++i) {
        const int was = i >= first && i < first + count ? first + from[size_t(i - first)] : i;
        ASSERT_EQ(QStringLiteral("r%1").arg(was), l.Get(i)) << i;
        ASSERT_EQ(&objects[size_t(was)], l.Objects(i)) << i;
    }

    // Not a permutation (a record twice): refused, nothing moved.
    from[1] = from[0];
    const QStringList before = Records(l);
    EXPECT_THROW(l.PermuteRecords(first, from), EStringListError);
    EXPECT_EQ(before, Records(l));
}
