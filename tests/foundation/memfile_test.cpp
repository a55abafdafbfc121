#include "foundation/memfile.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

// A scratch folder for file-backed handles, removed with its files.
class MemFileDisk : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/sluice_memfile_XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(pattern));
        dir_ = pattern;
    }
    void TearDown() override {
        for (const std::string& name : created_) unlink(name.c_str());
        rmdir(dir_.c_str());
    }
    std::string PathOf(const std::string& name) {
        created_.push_back(dir_ + "/" + name);
        return created_.back();
    }
    static void WriteFile(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    static std::string ReadFile(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream content;
        content << in.rdbuf();
        return content.str();
    }
    static timespec ModifiedAt(const std::string& path) {
        struct stat info {};
        stat(path.c_str(), &info);
        return info.st_mtim;
    }

    std::string dir_;
    std::vector<std::string> created_;
};

std::string Contents(const MemFile* file) {
    return std::string(MemData(file), MemLength(file));
}

// Reads every line into a caller's buffer of the given size.
std::vector<std::pair<std::string, int>> ReadAll(const char* text, size_t size, int strip) {
    MemFile* file = MemOpen(text, "mr");
    std::vector<std::pair<std::string, int>> lines;
    std::vector<char> buffer(size);
    for (int n; (n = MemReadLine(buffer.data(), size, file, strip)) > 0;) {
        lines.emplace_back(buffer.data(), n);
    }
    MemClose(file);
    return lines;
}

using Lines = std::vector<std::pair<std::string, int>>;

TEST(MemFile, ReadLineEndsAndResults) {
    struct Case {
        const char* text;
        int strip;
        Lines lines;
    };
    for (const Case& c : std::vector<Case>{
             {"a\r\nb", 0, {{"a\n", 3}, {"b", 2}}},
             {"a\r\nb", 1, {{"a", 3}, {"b", 2}}},
             {"a\nb\rc\r\n", 0, {{"a\n", 3}, {"b\n", 3}, {"c\n", 3}}},
             {"a\n\r\nb", 1, {{"a", 3}, {"", 2}, {"b", 2}}},
             {"\n\n", 0, {{"\n", 2}, {"\n", 2}}},
             {"表\r\nソ", 1, {{"表", 4}, {"ソ", 3}}},
             {"", 0, {}},
         }) {
        EXPECT_EQ(c.lines, ReadAll(c.text, 100, c.strip)) << c.text;
    }
}

TEST(MemFile, ReadLineSplitsLongLinesWithoutBreakingCharacters) {
    // Size 5 leaves room for three bytes of text, a line end and the zero.
    EXPECT_EQ((Lines{{"abc", 4}, {"de\n", 4}}), ReadAll("abcde\n", 5, 0));
    EXPECT_EQ((Lines{{"a", 2}, {"表", 3}, {"x\n", 3}}), ReadAll("a表x\n", 4, 0));
    EXPECT_EQ((Lines{}), ReadAll("abc", 3, 0));
}

TEST(MemFile, ReadLineIntoOwnBufferAndStopAtZero) {
    std::string longLine(12000, 'x');
    std::string text = longLine + "\nend";
    MemFile* file = MemOpen(text.c_str(), "mr");
    EXPECT_EQ(12002, MemReadLine(nullptr, 0, file, 1));
    EXPECT_EQ(longLine, MemLine(file));
    EXPECT_EQ(4, MemReadLine(nullptr, 0, file, 0));
    EXPECT_STREQ("end", MemLine(file));
    EXPECT_EQ(0, MemReadLine(nullptr, 0, file, 0));
    MemRewind(file);
    EXPECT_EQ(12002, MemReadLine(nullptr, 0, file, 1));
    MemClose(file);

    MemFile* zero = MemOpen("10", "mw");
    MemWrite(zero, "a\nb\0c", 5);
    MemRewind(zero);
    EXPECT_EQ(3, MemReadLine(nullptr, 0, zero, 0));
    EXPECT_EQ(2, MemReadLine(nullptr, 0, zero, 0));
    EXPECT_EQ(0, MemReadLine(nullptr, 0, zero, 0));
    MemClose(zero);
}

TEST(MemFile, PutsConvertsLineEnds) {
    struct Case {
        const char* text;
        int lineEnds;
        const char* stored;
    };
    for (Case c : {Case{"x\ny", 0, "x\r\ny"}, Case{"x\r\ny", 0, "x\r\ny"},
                   Case{"\n\n", 0, "\r\n\r\n"}, Case{"x\r\ny", 1, "x\ny"}, Case{"x\ry", 1, "x\ny"},
                   Case{"a\r\r\nb\n", 1, "a\n\nb\n"}, Case{"表\n", 0, "表\r\n"}}) {
        MemFile* file = MemOpen("0", "mw");
        MemPuts(file, c.text, c.lineEnds);
        EXPECT_EQ(c.stored, Contents(file)) << c.text;
        MemClose(file);
    }
}

TEST(MemFile, WritesGrowTheBufferAndAppend) {
    MemFile* file = MemOpen("5000", "mw");
    EXPECT_EQ(10000u, MemCapacity(file));
    EXPECT_STREQ("NON", MemName(file));
    std::string line(999, 'z');
    line += "\n";
    std::string expected;
    for (int i = 0; i < 30; ++i) {
        MemPuts(file, line.c_str(), 0);
        expected += line.substr(0, 999) + "\r\n";
    }
    MemWrite(file, "\0tail", 5);
    expected += std::string("\0tail", 5);
    EXPECT_EQ(expected, Contents(file));
    EXPECT_GT(MemCapacity(file), MemLength(file));
    EXPECT_EQ(MemLength(file), MemPosition(file));

    MemSetPosition(file, 2);  // overwrite inside the text: the end stays
    MemWrite(file, "AB", 2);
    EXPECT_EQ(expected.size(), MemLength(file));
    EXPECT_EQ("zzABzz", Contents(file).substr(0, 6));
    MemClose(file);
}

TEST(MemFile, ViewCopiesOnWriteAndDuplicateSharesBuffer) {
    char text[] = "abc";
    MemFile* view = MemOpen(text, "mr");
    EXPECT_STREQ("mr", MemMode(view));
    MemSetPosition(view, 3);
    MemPuts(view, "\ndef", 0);
    EXPECT_STREQ("abc", text);  // the caller's text is untouched
    EXPECT_STREQ("mw", MemMode(view));
    EXPECT_EQ("abc\r\ndef", Contents(view));

    MemFile* copy = MemOpen(nullptr, "dd", view);
    EXPECT_STREQ("dd", MemMode(copy));
    EXPECT_EQ(0u, MemPosition(copy));
    EXPECT_EQ(MemData(view), MemData(copy));
    MemPuts(copy, "x", 0);  // a duplicate is read-only
    EXPECT_EQ("abc\r\ndef", Contents(copy));
    MemClose(view);
    EXPECT_EQ(5, MemReadLine(nullptr, 0, copy, 0));  // still readable on its own
    EXPECT_STREQ("abc\n", MemLine(copy));
    MemClose(copy);

    EXPECT_EQ(nullptr, MemOpen(nullptr, "dd", nullptr));
}

TEST(MemFile, NullHandleDoesNothing) {
    MemClose(nullptr);
    MemRewind(nullptr);
    MemPuts(nullptr, "x", 0);
    MemWrite(nullptr, "x", 1);
    MemToAnsi(nullptr);
    EXPECT_EQ(0, MemReadLine(nullptr, 0, nullptr, 0));
    EXPECT_EQ(0, MemSave(nullptr, "/nonexistent/x", 1));
    EXPECT_EQ(0u, MemLength(nullptr));
}

TEST(MemFile, ToAnsiConvertsUtf16) {
    struct Case {
        std::string bytes;
        std::string text;
    };
    // "[表]" in UTF-16LE is 5B 00 68 88 5D 00.
    for (const Case& c : std::vector<Case>{
             {std::string("\xFF\xFE[\0h\x88]\0", 8), "[表]"},
             {std::string("[\0h\x88]\0", 6), "[表]"},
             {std::string("\xFF\xFE?\0a\0", 6), "?a"},  // a real "?" stays
             {"plain ANSI", "plain ANSI"},
         }) {
        MemFile* file = MemOpen("0", "mw");
        MemWrite(file, c.bytes.data(), c.bytes.size());
        MemToAnsi(file);
        EXPECT_EQ(c.text, Contents(file));
        MemClose(file);
    }
}

TEST_F(MemFileDisk, LoadsFilesWithTheirTimes) {
    std::string path = PathOf("settings.ini");
    WriteFile(path, "[Sluice]\r\nPort=80\r\n");
    MemFile* file = MemOpen(path.c_str(), "fr");
    ASSERT_NE(nullptr, file);
    EXPECT_EQ("[Sluice]\r\nPort=80\r\n", Contents(file));
    EXPECT_EQ(path, MemName(file));
    EXPECT_STREQ("fr", MemMode(file));
    EXPECT_EQ(ModifiedAt(path).tv_sec, MemWriteTime(file));
    EXPECT_EQ(MemLength(file) + 1000, MemCapacity(file));
    MemClose(file);

    EXPECT_EQ(nullptr, MemOpen(PathOf("missing").c_str(), "fr"));
    EXPECT_EQ(nullptr, MemOpen(dir_.c_str(), "fr"));
}

TEST_F(MemFileDisk, LoadsUtf16FileAsAnsi) {
    std::string path = PathOf("utf16.ini");
    WriteFile(path, std::string("\xFF\xFE[\0S\0]\0\r\0\n\0", 12));
    MemFile* file = MemOpen(path.c_str(), "fr");
    MemToAnsi(file);
    EXPECT_EQ("[S]\r\n", Contents(file));
    MemClose(file);
}

TEST_F(MemFileDisk, FileNamesAreCp932) {
    std::string utf8Path = PathOf("\xE8\xA1\xA8.ini");  // 表.ini in UTF-8
    WriteFile(utf8Path, "x");
    std::string cp932Path = dir_ + "/表.ini";
    MemFile* file = MemOpen(cp932Path.c_str(), "fr");
    ASSERT_NE(nullptr, file);
    EXPECT_EQ(0, MemSave(file, cp932Path.c_str(), 1));
    MemClose(file);
    EXPECT_EQ("x", ReadFile(utf8Path));
}

TEST_F(MemFileDisk, SaveWritesTextAndStampsTheFile) {
    std::string path = PathOf("out.txt");
    MemFile* file = MemOpen("0", "mw");
    MemPuts(file, "Port=80\nName=表\n", 0);
    MemSetWriteTime(file, 1000000000);
    EXPECT_EQ(0, MemSave(file, path.c_str(), 0));
    EXPECT_EQ("Port=80\r\nName=表\r\n", ReadFile(path));
    EXPECT_EQ(1000000000, ModifiedAt(path).tv_sec);

    // Same time stamp as the file: skipped unless forced.
    MemPuts(file, "More=1\n", 0);
    EXPECT_EQ(0, MemSave(file, path.c_str(), 0));
    EXPECT_EQ("Port=80\r\nName=表\r\n", ReadFile(path));
    EXPECT_EQ(0, MemSave(file, path.c_str(), 1));
    EXPECT_EQ("Port=80\r\nName=表\r\nMore=1\r\n", ReadFile(path));
    MemClose(file);

    MemFile* any = MemOpen("0", "mw");
    EXPECT_EQ(-1, MemSave(any, (dir_ + "/missing/out.txt").c_str(), 1));
    MemClose(any);
}

TEST_F(MemFileDisk, LoadedFileSavesBackOnlyWhenForced) {
    std::string path = PathOf("keep.ini");
    WriteFile(path, "a=1\r\n");
    MemFile* file = MemOpen(path.c_str(), "fr");
    MemSetPosition(file, MemLength(file));
    MemPuts(file, "b=2\n", 0);
    EXPECT_EQ(0, MemSave(file, path.c_str(), 0));
    EXPECT_EQ("a=1\r\n", ReadFile(path));
    EXPECT_EQ(0, MemSave(file, path.c_str(), 1));
    EXPECT_EQ("a=1\r\nb=2\r\n", ReadFile(path));
    MemClose(file);
}

}  // namespace
