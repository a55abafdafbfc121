#include "foundation/keyed_table.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace {

std::vector<std::string> FoldedKeys(const KeyedTable& table) {
    std::vector<std::string> keys;
    for (int i = 0; i < table.Count(); ++i) keys.push_back(table.FoldedKeyAt(i));
    return keys;
}

TEST(KeyedTable, LooksUpWithoutLetterCase) {
    KeyedTable table;
    table.Set("//ini/設定/SetupTest", "1");
    table.Set("ＡＢＣ", "full");
    for (const char* key :
         {"//ini/設定/SetupTest", "//INI/設定/setuptest", "//Ini/設定/SETUPTEST"}) {
        EXPECT_STREQ("1", table.Get(key)) << key;
    }
    EXPECT_STREQ("full", table.Get("ａｂｃ"));
    EXPECT_STREQ("full", table.Get("ａＢｃ"));
    EXPECT_STREQ("", table.Get("//ini/設定/SetupTest2"));
    EXPECT_STREQ("", table.Get(""));
    EXPECT_STREQ("", table.Get(static_cast<const char*>(nullptr)));
}

// ア is 83 41: its trail byte looks like "A" but the character must not fold
// into ヂ (83 61).
TEST(KeyedTable, DoubleByteCharactersAreNotFolded) {
    KeyedTable table;
    table.Set("ア", "a");
    EXPECT_STREQ("", table.Get("ヂ"));
    table.Set("ヂ", "di");
    EXPECT_EQ(2, table.Count());
    EXPECT_STREQ("a", table.Get("ア"));
    EXPECT_STREQ("di", table.Get("ヂ"));
}

TEST(KeyedTable, KeepsTheFirstWrittenKeyAndReplacesTheValue) {
    KeyedTable table;
    table.Set("//ini/設定/SetupTest", "0");
    table.Set("//INI/設定/setuptest", "a much longer value than the first");
    table.Set("//ini/設定/SETUPTEST", "2");
    ASSERT_EQ(1, table.Count());
    EXPECT_STREQ("//ini/設定/SetupTest", table.WrittenKeyAt(0));
    EXPECT_STREQ("//ini/設定/setuptest", table.FoldedKeyAt(0));
    EXPECT_STREQ("2", table.Get("//ini/設定/setuptest"));
}

TEST(KeyedTable, EmptyKeyIsNeverStored) {
    KeyedTable table;
    table.Set("", "x");
    table.Set(nullptr, "x");
    table.SetInt("", 5);
    EXPECT_EQ(0, table.Count());
}

TEST(KeyedTable, StaysSortedByUnsignedBytesOfTheFoldedKey) {
    KeyedTable table;
    for (const char* key : {"b", "設定", "A/x", "a", "ab", "//ini//k", "Z", "//ini/b/k"}) {
        table.Set(key, key);
    }
    std::vector<std::string> expected = {"//ini//k", "//ini/b/k", "a", "a/x",
                                         "ab",       "b",         "z", "設定"};
    EXPECT_EQ(expected, FoldedKeys(table));
    for (const char* key : {"b", "設定", "A/x", "a", "ab", "//ini//k", "Z", "//ini/b/k"}) {
        EXPECT_STREQ(key, table.Get(key));
    }
}

TEST(KeyedTable, GetIntReadsLikeAtol) {
    struct Case {
        const char* value;
        int expected;
    } cases[] = {
        {"42", 42},
        {"  -7x", -7},
        {"+3", 3},
        {"\t12 34", 12},
        {"abc", 0},
        {"", 0},
        {"0x10", 0},
        {"2147483647", INT_MAX},
        {"-2147483648", INT_MIN},
        {"99999999999", INT_MAX},
    };
    KeyedTable table;
    for (const Case& c : cases) {
        table.Set("k", c.value);
        EXPECT_EQ(c.expected, table.GetInt("k")) << c.value;
    }
    EXPECT_EQ(0, table.GetInt("missing"));
    table.SetInt("n", -15);
    EXPECT_STREQ("-15", table.Get("n"));
}

TEST(KeyedTable, EnumeratedEntriesAreOrdinaryKeys) {
    KeyedTable table;
    table.SetEnum(900003, "/opt/sluice.ini");
    EXPECT_STREQ("/opt/sluice.ini", table.Get("//_enum_/900003"));
    table.Set("//_ENUM_/100002", "def");
    EXPECT_STREQ("def", table.GetEnum(100002));
    EXPECT_STREQ("", table.GetEnum(900004));
}

TEST(KeyedTable, MergeSetsEveryEntryOfTheOther) {
    KeyedTable table;
    table.Set("Content-Type", "text/html");
    KeyedTable other;
    other.Set("CONTENT-TYPE", "text/xml");
    other.Set("Return-Code", "200");
    table.Merge(other);
    ASSERT_EQ(2, table.Count());
    EXPECT_STREQ("text/xml", table.Get("content-type"));
    EXPECT_STREQ("Content-Type", table.WrittenKeyAt(0));
    EXPECT_STREQ("200", table.Get("return-code"));
    EXPECT_STREQ("Return-Code", table.WrittenKeyAt(1));
}

// A value taken from the table itself stays intact while the table grows.
TEST(KeyedTable, SetAcceptsItsOwnValues) {
    KeyedTable table;
    table.Set("a", "value of a");
    for (int i = 0; i < 300; ++i) table.Set(("k" + std::to_string(i)).c_str(), table.Get("a"));
    EXPECT_STREQ("value of a", table.Get("k299"));
    table.Clear();
    EXPECT_EQ(0, table.Count());
    EXPECT_STREQ("", table.Get("a"));
}

TEST(CutAtCharBoundary, NeverSplitsADoubleByteCharacter) {
    struct Case {
        std::string text;
        size_t limit;
        std::string expected;
    } cases[] = {
        {"abc", 2, "ab"},    {"abc", 3, "abc"},     {"abc", 10, "abc"}, {"あい", 3, "あ"},
        {"あい", 4, "あい"}, {"aあ", 2, "a"},       {"aあ", 3, "aあ"},  {"表x", 1, ""},
        {"", 5, ""},         {"a\x83", 2, "a\x83"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.expected, CutAtCharBoundary(c.text, c.limit)) << c.text << " " << c.limit;
    }
}

}  // namespace
