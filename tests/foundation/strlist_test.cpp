#include "foundation/strlist.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "foundation/pump.h"

namespace {

std::vector<std::string> Items(const StrList& list) {
    std::vector<std::string> items;
    for (int i = 0; i < list.Count(); ++i) items.push_back(list.GetAt(i));
    return items;
}

using Texts = std::vector<std::string>;

TEST(StrListSplit, DelimiterListsAndPieces) {
    struct Case {
        const char* text;
        const char* delimiters;
        int flags;
        Texts items;
    };
    for (const Case& c : std::vector<Case>{
             {"8000-8005,9000", ",", 0, {"8000-8005", "9000"}},
             {"80,,81", ",", 0, {"80", "", "81"}},
             {"80,", ",", 0, {"80", ""}},
             {"8000", ",", 0, {"8000"}},
             {"http://host:80/path", "://;:;/", 0, {"http", "host", "80", "path"}},
             {"a\tb\r\nc\nd", "\t;\r\n;\n", 0, {"a", "b", "c", "d"}},
             {"a\r\nb", "\t;\r\n;\n", 0, {"a", "b"}},
             {"a\r\rb", "\t;\r\n;\n", 0, {"a\r\rb"}},
             {"1.2/3 4:5", "/; ;:", 0, {"1.2", "3", "4", "5"}},
             {"a;b;;c", ";", 0, {"a", "b", "", "c"}},
             {";x", ";", 0, {"", "x"}},
             {"a;b|c", "a;|", 0, {"", ";b", "c"}},
             {"a;b|c", ";|", 0, {"a;b|c"}},  // leading ";": one delimiter ";|"
             {"表|ソ\\予", "\\;|", 0, {"表", "ソ", "予"}},
             {"ソ\\表", "\\", 0, {"ソ", "表"}},
             {"ソ表予", "\\;|", 0, {"ソ表予"}},
             {"xandy", "AND", 4, {"x", "y"}},
             {"xANDy", "and", 8, {"x", "y"}},
             {"xandy", "AND", 0, {"xandy"}},
             {"PortAndHost", "and", 4, {"Port", "Host"}},  // pieces keep their case
             {"a,b,", ",", 32, {"a,", "b,", ""}},
             {"x\r\ny\nz", "\r\n;\n", 32, {"x\r\n", "y\n", "z"}},
         }) {
        StrList list;
        EXPECT_EQ(static_cast<int>(c.items.size()), list.Split(c.text, c.delimiters, c.flags))
            << c.text << " / " << c.delimiters;
        EXPECT_EQ(c.items, Items(list)) << c.text << " / " << c.delimiters;
    }
}

TEST(StrListSplit, SeparatorAndEmptyInput) {
    StrList list("a;b,c", ";", 0, ',');  // "," separates alternatives: only ";"
    EXPECT_EQ((Texts{"a", "b,c"}), Items(list));
    list.Split("a+b-c", "+,-", 0, ',');
    EXPECT_EQ((Texts{"a", "b", "c"}), Items(list));

    EXPECT_EQ(0, list.Split("", ","));
    EXPECT_EQ(0, list.Split(nullptr, ","));
    list.Split("a,b", ",");
    EXPECT_EQ(0, list.Split("a,b", nullptr));
    EXPECT_EQ(0, list.Split("a,b", ""));
}

TEST(StrListSplit, AppendKeepsEarlierItems) {
    StrList list("a,b", ",");
    EXPECT_EQ(4, list.Split("c,d", ",", StrList::kAppend));
    EXPECT_EQ((Texts{"a", "b", "c", "d"}), Items(list));
    EXPECT_EQ(4, list.Split("", ",", StrList::kAppend));
    EXPECT_EQ(2, list.Split("e,f", ","));
    EXPECT_EQ((Texts{"e", "f"}), Items(list));
}

TEST(StrListSplit, TextFromTheListItself) {
    StrList list("a,b;,", ";");  // the items "a,b" and ","
    EXPECT_EQ(2, list.Split(list.GetAt(0), list.GetAt(1), StrList::kKeepDelimiter));
    EXPECT_EQ((Texts{"a,", "b"}), Items(list));
}

TEST(StrList, GetAtCountsFromTheEnd) {
    StrList list("a,b,c", ",");
    EXPECT_STREQ("c", list.GetAt(-1));
    EXPECT_STREQ("a", list.GetAt(-3));
    EXPECT_STREQ("", list.GetAt(-4));
    EXPECT_STREQ("", list.GetAt(3));
    EXPECT_STREQ("", StrList().GetAt(0));
}

TEST(StrList, AddAppendsInsertsAndReplaces) {
    StrList list;
    list.Add("b");
    list.Add("d");
    list.Add("a", 0, 0);
    list.Add("c", 0, 2);
    list.Add("e", 0, 99);
    EXPECT_EQ((Texts{"a", "b", "c", "d", "e"}), Items(list));

    list.Add("B", 0, 1, StrList::kReplace);
    list.Add("Efg", 2, 4, StrList::kReplace);  // length takes the first two bytes
    EXPECT_EQ((Texts{"a", "B", "c", "d", "Ef"}), Items(list));
}

TEST(StrList, ReplacedItemsStayWhereTheyWere) {
    StrList list;
    list.Add("one");
    list.Add("two");
    const char* two = list.GetAt(1);
    list.Add("uno", 0, 0, StrList::kReplace);
    EXPECT_EQ(two, list.GetAt(1));
    EXPECT_STREQ("uno", list.GetAt(0));
}

TEST(StrList, ReserveTenPadsShortItems) {
    StrList list;
    list.Add("80", 0, -1, StrList::kReserveTen);
    list.Add("next");
    const char* item = list.GetAt(0);
    EXPECT_STREQ("80", item);
    EXPECT_EQ(11, list.GetAt(1) - item);  // ten bytes and the terminator
    list.Add("12345678901", 0, -1, StrList::kReserveTen);
    EXPECT_STREQ("12345678901", list.GetAt(2));
}

TEST(StrList, AddCopiesFromItsOwnPoolSafely) {
    StrList list;
    list.Add("seed");
    for (int i = 0; i < 3000; ++i) list.Add(list.GetAt(-1));
    EXPECT_EQ(3001, list.Count());
    EXPECT_STREQ("seed", list.GetAt(3000));
}

TEST(StrList, FindAndRemove) {
    StrList list("a,b,a,c", ",");
    EXPECT_EQ(0, list.Find(0, "a"));
    EXPECT_EQ(2, list.Find(1, "a"));
    EXPECT_EQ(0, list.Find(-5, "a"));
    EXPECT_EQ(-1, list.Find(3, "a"));
    EXPECT_EQ(-1, list.Find(0, "A"));

    EXPECT_EQ(0, list.Remove(1));
    EXPECT_EQ((Texts{"a", "", "a", "c"}), Items(list));
    EXPECT_EQ(0, list.Remove(0, StrList::kTakeOut));
    EXPECT_EQ((Texts{"", "a", "c"}), Items(list));
    EXPECT_EQ(-1, list.Remove(3));
    EXPECT_EQ(-1, list.Remove(-1));
}

TEST(StrList, SortedFindGivesIndexOrInsertionPoint) {
    StrList list("b,d,f,h,j,l,n,p", ",");
    struct Case {
        const char* text;
        int result;
        int position;
    };
    for (Case c : {Case{"b", 0, 0}, Case{"p", 7, 7}, Case{"j", 4, 4}, Case{"a", -1, 0},
                   Case{"e", -1, 2}, Case{"z", -1, 8}, Case{"", -1, 0}, Case{"\x95\x5C", -1, 8}}) {
        int position = -99;
        EXPECT_EQ(c.result, list.SortedFind(c.text, &position)) << c.text;
        EXPECT_EQ(c.position, position) << c.text;
    }
    int position = -99;
    EXPECT_EQ(-1, StrList().SortedFind("a", &position));
    EXPECT_EQ(0, position);
}

TEST(StrListSort, OrdersByUnsignedBytes) {
    struct Case {
        int flags;
        Texts sorted;
    };
    const char* text = "b,表,B,a,ｂ,Ａ";
    for (const Case& c : std::vector<Case>{
             {0, {"B", "a", "b", "Ａ", "ｂ", "表"}},
             {StrList::kDescending, {"表", "ｂ", "Ａ", "b", "a", "B"}},
         }) {
        StrList list(text, ",");
        list.Sort(c.flags);
        EXPECT_EQ(c.sorted, Items(list)) << c.flags;
    }
    StrList folded(text, ",");
    folded.Sort(StrList::kSortFolded);
    Texts items = Items(folded);
    EXPECT_EQ("a", items[0]);
    EXPECT_TRUE((items[1] == "b" && items[2] == "B") || (items[1] == "B" && items[2] == "b"));
    EXPECT_EQ("Ａ", items[3]);  // folds to ａ, before ｂ
    EXPECT_EQ("ｂ", items[4]);
    EXPECT_EQ("表", items[5]);
}

TEST(StrListSort, ShuffleKeepsEveryItem) {
    StrList list;
    Texts expected;
    for (int i = 0; i < 50; ++i) {
        expected.push_back(std::to_string(i));
        list.Add(expected.back().c_str());
    }
    std::srand(7);
    list.Sort(StrList::kShuffle);
    Texts items = Items(list);
    EXPECT_NE(expected, items);
    std::sort(items.begin(), items.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(expected, items);
}

int g_pumpCalls = 0;
int CountPumps(int n) {
    EXPECT_EQ(10, n);
    ++g_pumpCalls;
    return 0;
}

TEST(StrListSort, LargeSortDispatchesEvents) {
    StrList list;
    for (int i = 0; i < 20000; ++i) list.Add(std::to_string((i * 7919) % 20000).c_str());
    g_pumpCalls = 0;
    SetPumpHook(CountPumps);
    list.Sort();
    SetPumpHook(nullptr);
    EXPECT_GT(g_pumpCalls, 0);
    for (int i = 1; i < list.Count(); ++i) {
        ASSERT_LT(std::string(list.GetAt(i - 1)), std::string(list.GetAt(i)));
    }
}

}  // namespace
