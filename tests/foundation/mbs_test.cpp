#include "foundation/mbs.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// "表" is 95 5C and "ソ" is 83 5C: their trail byte is the backslash.
TEST(Mbs, SourceLiteralsAreCp932) {
    EXPECT_EQ("\x95\x5C", std::string("表"));
    EXPECT_EQ("\x83\x5C", std::string("ソ"));
    EXPECT_EQ("\x82\x60", std::string("Ａ"));
}

TEST(Mbs, LeadBytes) {
    for (int c : {0x81, 0x9F, 0xE0, 0xFC}) EXPECT_TRUE(IsLeadByte(c)) << c;
    for (int c : {0x00, 0x5C, 0x7F, 0x80, 0xA0, 0xDF, 0xFD, 0xFF}) EXPECT_FALSE(IsLeadByte(c)) << c;
}

TEST(Mbs, LowerFoldsAsciiAndFullWidthCapitals) {
    struct Case {
        const char* text;
        const char* folded;
    };
    for (Case c : {Case{"ABC xyz 09", "abc xyz 09"}, Case{"ＡＢＺ", "ａｂｚ"},
                   Case{"ａＭｚ", "ａｍｚ"}, Case{"表Ａ予ソ", "表ａ予ソ"},
                   // 82 9F and 83 60 lie just outside the full-width capitals.
                   Case{"ぁア", "ぁア"}, Case{"\x82\x5F\x82\x7A", "\x82\x5F\x82\x7A"},
                   // A trail byte equal to an ASCII capital is not folded.
                   Case{"\x83\x41", "\x83\x41"}, Case{"", ""}}) {
        EXPECT_EQ(c.folded, MbsLower(std::string(c.text))) << c.text;
    }
}

TEST(Mbs, LowerInPlaceHonoursLength) {
    char text[] = "ABＣＤ";
    MbsLower(text, 4);
    EXPECT_STREQ("abｃＤ", text);
    char lone[] = "A\x82";  // a lead byte with nothing behind it
    MbsLower(lone);
    EXPECT_STREQ("a\x82", lone);
}

TEST(Mbs, FindStaysOnCharacterBoundaries) {
    struct Case {
        const char* text;
        const char* search;
        int offset;  // -1: not found
    };
    for (Case c : {Case{"abc\\def", "\\", 3}, Case{"表\\x", "\\", 2}, Case{"表ソ", "\\", -1},
                   Case{"ソ|表", "\x5C\x7C", -1}, Case{"a|b", "|", 1}, Case{"abc", "", 0},
                   Case{"\x83|", "|", -1}, Case{"", "a", -1}}) {
        const char* found = MbsFind(c.text, c.search);
        EXPECT_EQ(c.offset, found ? static_cast<int>(found - c.text) : -1) << c.text;
    }
    EXPECT_EQ(nullptr, MbsFind(nullptr, "a"));
    EXPECT_EQ(nullptr, MbsFind("a", nullptr));
}

TEST(Mbs, FindLastIsNonOverlapping) {
    struct Case {
        const char* text;
        const char* search;
        int offset;
    };
    for (Case c : {Case{"a\\b\\c", "\\", 3}, Case{"aaa", "aa", 0}, Case{"aaaa", "aa", 2},
                   Case{"c:\\表", "\\", 2}, Case{"表", "\\", -1}, Case{"abc", "", -1},
                   Case{"abc", "x", -1}}) {
        EXPECT_EQ(c.offset, MbsFindLast(c.text, c.search)) << c.text << " / " << c.search;
    }
}

TEST(Mbs, CutLastAndCutSuffix) {
    struct Case {
        const char* text;
        const char* search;
        const char* cutLast;
        const char* cutSuffix;
    };
    for (Case c : {Case{"c:\\dir\\file", "\\", "c:\\dir", "c:\\dir\\file"},
                   Case{"c:\\dir\\", "\\", "c:\\dir", "c:\\dir"},
                   Case{"c:\\表", "\\", "c:", "c:\\表"},  // 95 5C ends the text
                   Case{"aaa", "aa", "", "a"}, Case{"abc", "x", "abc", "abc"}}) {
        std::string last = c.text;
        MbsCutLast(last, c.search);
        EXPECT_EQ(c.cutLast, last) << c.text;
        std::string suffix = c.text;
        MbsCutSuffix(suffix, c.search);
        EXPECT_EQ(c.cutSuffix, suffix) << c.text;
    }
}

TEST(Mbs, FindBytesSeesPastZeroBytes) {
    const char buffer[] = {'a', '\0', 'b', '\r', '\n', '\r', '\n', 'c'};
    const char* found = FindBytes(buffer, "\r\n\r\n", sizeof buffer, 4);
    EXPECT_EQ(buffer + 3, found);
    const char zeroB[] = {'\0', 'b'};
    EXPECT_EQ(buffer + 1, FindBytes(buffer, zeroB, sizeof buffer, 2));
    EXPECT_EQ(nullptr, FindBytes(buffer, "cd", sizeof buffer, 2));
    EXPECT_EQ(nullptr, FindBytes(buffer, "a", 0, 1));
}

TEST(Mbs, PatternFind) {
    const int w = kPatternWildcards;
    const int fold = kPatternFoldText | kPatternFoldPattern;
    struct Case {
        const char* text;
        const char* pattern;
        int flags;
        int offset;
        int length;
    };
    for (Case c : {
             Case{"Hello World", "World", 0, 6, 5},
             Case{"Hello World", "world", 0, -1, 0},
             Case{"Hello World", "world", fold, 6, 5},
             Case{"Hello World", "WORLD", kPatternFoldText, -1, 0},
             Case{"Hello WORLD", "world", kPatternFoldText, 6, 5},
             Case{"ＡＢＣ", "ａｂｃ", kPatternFoldText, 0, 6},
             Case{"ab*c", "b*c", 0, 1, 3},  // "*" is plain text without the flag
             Case{"ServerPort=8000", "^Server", w, 0, 6},
             Case{"MyServerPort", "^Server", w, -1, 0},
             Case{"port.txt", ".txt$", w, 4, 4},
             Case{"a.txt.bak", ".txt$", w, -1, 0},
             Case{"x.txt.txt", ".txt$", w, 5, 4},
             Case{"Port=8000;", "Port=*;", w, 0, 10},
             Case{"xx Port = 8000 ; y", "Port*=*;", w, 3, 13},
             Case{"abcabc", "b*c", w, 1, 2},
             Case{"abcabc", "b*$", w, 1, 5},
             Case{"key=value", "=*", w, 3, 6},  // a final "*" takes the rest
             Case{"abc", "*c", w, 0, 3},
             Case{"abc", "^abc$", w, 0, 3},
             Case{"abcd", "^abc$", w, -1, 0},
             Case{"", "^$", w, 0, 0},
             Case{"a", "^$", w, -1, 0},
             Case{"a1b2b", "^a*b$", w, 0, 5},
             Case{"PORT=1", "^port*", w | fold, 0, 6},
             Case{"表\\", "\\$", w, 2, 1},
             Case{"表", "\\$", w, -1, 0},  // the trail byte 5C is not a backslash
         }) {
        int length = 0;
        EXPECT_EQ(c.offset, PatternFind(c.text, c.pattern, c.flags, &length))
            << c.text << " / " << c.pattern;
        if (c.offset >= 0) {
            EXPECT_EQ(c.length, length) << c.text << " / " << c.pattern;
        }
    }
    EXPECT_EQ(-1, PatternFind(nullptr, "a", 0));
    EXPECT_EQ(2, PatternFind("xya", "a", 0));
}

}  // namespace
