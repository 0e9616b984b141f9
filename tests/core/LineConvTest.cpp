// The line splitter and its string-list base.
#include <gtest/gtest.h>

#include "core/LineConv.h"

namespace {

QStringList Items(const TLineConv &l)
{
    return l.ToStringList();
}

// An object that counts its own destruction, to see who frees what.
struct Counted : TObject
{
    explicit Counted(int *d) : deaths(d) {}
    ~Counted() override { ++*deaths; }
    int *deaths;
};

} // namespace

TEST(LineConv, DefaultsAreAtDelimiterTrimmedOwningNotUpper)
{
    TLineConv l;
    EXPECT_EQ("@", l.Delimiter());
    EXPECT_TRUE(l.FreeObjects());
    EXPECT_TRUE(l.AutoTrim());
    EXPECT_FALSE(l.AutoUpper());
}

TEST(LineConv, SetLineCutsAtEveryDelimiterKeepingEmptyItems)
{
    TLineConv l;
    l.SetLine("a@b@");
    EXPECT_EQ(QStringList({"a", "b", ""}), Items(l));
    l.SetLine("@a");
    EXPECT_EQ(QStringList({"", "a"}), Items(l));
    l.SetLine("a@@b");
    EXPECT_EQ(QStringList({"a", "", "b"}), Items(l));
    l.SetLine("@");
    EXPECT_EQ(QStringList({"", ""}), Items(l));
    l.SetLine("");
    EXPECT_EQ(0, l.Count());
}

TEST(LineConv, EmptyDelimiterKeepsTheLineAsOneUntrimmedItem)
{
    TLineConv l;
    l.SetDelimiter("");
    l.SetLine(" x ");
    EXPECT_EQ(QStringList({" x "}), Items(l));
}

TEST(LineConv, AutoTrimDecidesWhetherItemsAreTrimmed)
{
    TLineConv l;
    l.SetLine(" a @\tb\t@ c");
    EXPECT_EQ(QStringList({"a", "b", "c"}), Items(l));
    l.SetAutoTrim(false);
    l.SetLine(" a @ b");
    EXPECT_EQ(QStringList({" a ", " b"}), Items(l));
    l.SetAutoTrim(true); // switching on trims the present items
    EXPECT_EQ(QStringList({"a", "b"}), Items(l));
}

TEST(LineConv, AutoUpperUpperCasesPresentCyrillicItems)
{
    TLineConv l;
    l.SetLine("хляб@bread");
    l.SetAutoUpper(true);
    EXPECT_EQ(QStringList({"ХЛЯБ", "BREAD"}), Items(l));
    l.SetAutoUpper(false);
    EXPECT_EQ(QStringList({"ХЛЯБ", "BREAD"}), Items(l));
}

TEST(LineConv, GetLineGivesBackTheSplitLine)
{
    TLineConv l;
    QString s = "junk";
    l.GetLine(s);
    EXPECT_EQ("", s);
    l.SetLine("a@b@");
    l.GetLine(s);
    EXPECT_EQ("a@b@", s);
}

TEST(LineConv, TwoCharacterDelimiterCutsOnlyAtThePair)
{
    TLineConv l;
    l.SetDelimiter("; ");
    l.SetAutoTrim(false);
    l.SetLine("a;b; c;; d");
    EXPECT_EQ(QStringList({"a;b", "c;", "d"}), Items(l));
    QString s;
    l.GetLine(s);
    EXPECT_EQ("a;b; c;; d", s);
}

TEST(LineConv, DelimiterMatchIsCaseSensitive)
{
    TLineConv l;
    l.SetDelimiter("X");
    l.SetLine("axbXc");
    EXPECT_EQ(QStringList({"axb", "c"}), Items(l));
}

TEST(LineConv, GetLineRangeClipsItsBounds)
{
    TLineConv l;
    l.SetLine("a@b@c@d");
    QString s;
    l.GetLineRange(1, 2, s);
    EXPECT_EQ("b@c", s);
    l.GetLineRange(-5, 99, s);
    EXPECT_EQ("a@b@c@d", s);
    l.GetLineRange(3, 1, s);
    EXPECT_EQ("", s);
    TLineConv empty;
    empty.GetLineRange(0, 0, s);
    EXPECT_EQ("", s);
}

TEST(LineConv, SetCountCutsOrPadsAndIgnoresNegative)
{
    int deaths = 0;
    TLineConv l;
    l.SetLine("a@b@c");
    l.PutObject(2, new Counted(&deaths));
    l.SetCount(1);
    EXPECT_EQ(QStringList({"a"}), Items(l));
    EXPECT_EQ(1, deaths);
    l.SetCount(3);
    EXPECT_EQ(QStringList({"a", "", ""}), Items(l));
    l.SetCount(-1);
    EXPECT_EQ(3, l.Count());
}

TEST(LineConv, OwnedObjectsAreFreedOnDeleteClearAndDestruction)
{
    int deaths = 0;
    {
        TLineConv l;
        l.AddObject("a", new Counted(&deaths));
        l.AddObject("b", new Counted(&deaths));
        l.AddObject("c", new Counted(&deaths));
        l.AddObject("d", new Counted(&deaths));
        l.Delete(0);
        EXPECT_EQ(1, deaths);
        l.SetLine("x"); // clears first
        EXPECT_EQ(4, deaths);
        l.AddObject("e", new Counted(&deaths));
    }
    EXPECT_EQ(5, deaths);

    Counted kept(&deaths);
    {
        TLineConv l;
        l.SetFreeObjects(false);
        l.AddObject("a", &kept);
        l.Clear();
        l.AddObject("a", &kept);
    }
    EXPECT_EQ(5, deaths);
}

TEST(LineConv, NestedLinesJoinRecursivelyAndClearTogether)
{
    TLineConv outer;
    outer.SetLine("a@b@c");
    auto *inner = new TLineConv;
    inner->SetDelimiter(";");
    inner->SetLine("x;y");
    auto *deeper = new TLineConv;
    deeper->SetDelimiter("-");
    deeper->SetLine("1-2");
    inner->PutObject(1, deeper);
    outer.PutObject(1, inner);

    QString s;
    outer.GetNestedLine(s);
    EXPECT_EQ("a@x;1-2@c", s);
    outer.GetLine(s);
    EXPECT_EQ("a@b@c", s);

    outer.ClearItems();
    EXPECT_EQ(QStringList({"", "", ""}), Items(outer));
    EXPECT_EQ(QStringList({"", ""}), Items(*inner));
    EXPECT_EQ(QStringList({"", ""}), Items(*deeper));
}

TEST(LineConv, AssignCopiesSettingsAndPersistentObjectsOnly)
{
    int deaths = 0;
    TLineConv source;
    source.SetDelimiter(";");
    source.SetAutoTrim(false);
    source.SetAutoUpper(true);
    source.SetLine("a;b;c");
    auto *nested = new TLineConv;
    nested->SetLine("x@y");
    source.PutObject(0, nested);
    source.PutObject(1, new Counted(&deaths)); // not persistent: not copied

    TLineConv copy;
    copy.SetLine("old");
    copy.Assign(source);
    EXPECT_EQ(";", copy.Delimiter());
    EXPECT_FALSE(copy.AutoTrim());
    EXPECT_FALSE(copy.AutoUpper());
    EXPECT_EQ(QStringList({"a", "b", "c"}), Items(copy));
    auto *copiedNested = dynamic_cast<TLineConv *>(copy.Objects(0));
    ASSERT_NE(nullptr, copiedNested);
    EXPECT_NE(nested, copiedNested);
    EXPECT_EQ(QStringList({"x", "y"}), Items(*copiedNested));
    EXPECT_EQ(nullptr, copy.Objects(1));

    // Appending copies in the same way; each list frees only its own.
    copy.AddStrings(source);
    EXPECT_EQ(6, copy.Count());
    EXPECT_NE(copy.Objects(0), copy.Objects(3));
}

TEST(LineConv, AssignFromPlainStringListKeepsOwnSettings)
{
    TStringList plain;
    plain.Add("p");
    plain.Add("q");
    TLineConv l;
    l.SetDelimiter("|");
    l.SetLine("z");
    l.Assign(plain);
    EXPECT_EQ("|", l.Delimiter());
    EXPECT_EQ(QStringList({"p", "q"}), Items(l));
}

TEST(StringList, IndexErrorsCarryTheIndex)
{
    TStringList l;
    l.Add("a");
    try {
        l.Get(1);
        FAIL() << "no exception";
    } catch (const EStringListError &e) {
        EXPECT_EQ("List index out of bounds (1)", e.Message());
    }
    EXPECT_THROW(l.Delete(-1), EStringListError);
    EXPECT_THROW(l.Insert(2, "x"), EStringListError);
    l.Insert(1, "b");
    EXPECT_EQ(QStringList({"a", "b"}), l.ToStringList());
}

TEST(StringList, IndexOfIgnoresCaseCyrillicIncluded)
{
    TStringList l;
    l.Add("Хляб");
    l.Add("abc");
    EXPECT_EQ(0, l.IndexOf("ХЛЯБ"));
    EXPECT_EQ(1, l.IndexOf("ABC"));
    EXPECT_EQ(-1, l.IndexOf("ab"));
}

TEST(StringList, CompareFollowsBulgarianAlphabetIgnoringCase)
{
    EXPECT_LT(AnsiCompareText("а", "б"), 0);
    EXPECT_LT(AnsiCompareText("ъгъл", "ябълка"), 0);
    EXPECT_LT(AnsiCompareText("Юли", "ябълка"), 0);
    EXPECT_LT(AnsiCompareText("zebra", "агне"), 0);
    EXPECT_EQ(0, AnsiCompareText("Чай", "чАЙ"));
    EXPECT_NE(0, AnsiCompareText("a", "a "));
    EXPECT_LT(AnsiCompareText("9", "a"), 0);
    EXPECT_LT(AnsiCompareText("ь", "ю"), 0);
}

TEST(StringList, TrimBlanksRemovesControlsAndBlanksAtTheEnds)
{
    EXPECT_EQ("a b", TrimBlanks(QString("\t\x01 a b \r\n")));
    EXPECT_EQ("", TrimBlanks("   "));
}
