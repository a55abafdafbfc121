#include "foundation/settings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "foundation/environment.h"
#include "platform/charset.h"
#include "platform/clock.h"
#include "scratch_folder.h"

namespace {

uint32_t g_tick = 0;
uint32_t TestTick() {
    return g_tick;
}

// UTF-8 to UTF-16LE for text of the basic plane, to build files as Windows
// editors write them.
std::string Utf16Le(const std::string& utf8) {
    std::string out;
    for (size_t i = 0; i < utf8.size();) {
        unsigned char c = utf8[i];
        unsigned code = c;
        size_t length = 1;
        if (c >= 0xE0) {
            code = ((c & 0x0F) << 12) | ((utf8[i + 1] & 0x3F) << 6) | (utf8[i + 2] & 0x3F);
            length = 3;
        } else if (c >= 0xC0) {
            code = ((c & 0x1F) << 6) | (utf8[i + 1] & 0x3F);
            length = 2;
        }
        out.push_back(static_cast<char>(code & 0xFF));
        out.push_back(static_cast<char>(code >> 8));
        i += length;
    }
    return out;
}

// The program lives in the scratch folder, so the settings file and "$ARGV0$"
// point there; the clock is the test's.
class SettingsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetSettingsForTests();
        ResetEnvironmentForTests();
        BuildEnvironment(folder_.PathOf("sluice").c_str(), glb_Environment);
        g_tick = 100000;
        platform::SetTickSourceForTests(TestTick);
    }
    void TearDown() override {
        platform::SetTickSourceForTests(nullptr);
        ResetSettingsForTests();
        ResetEnvironmentForTests();
    }

    // Loads bytes as a settings file into a fresh table.
    KeyedTable Load(const std::string& bytes, int flags = 0) {
        folder_.Write("in.ini", bytes);
        KeyedTable table;
        LoadIni(folder_.PathOf("in.ini").c_str(), table, flags);
        return table;
    }
    // Saves table (loaded 3 s ago, so the save is due) and returns the file.
    std::string Save(const KeyedTable& table, int flags = 0) {
        folder_.Write("out.ini", "");
        KeyedTable none;
        LoadIni(folder_.PathOf("missing.ini").c_str(), none, 0);
        g_tick += 3000;
        SaveIni(folder_.PathOf("out.ini").c_str(), table, flags);
        return folder_.Read("out.ini");
    }

    ScratchFolder folder_;
};

TEST_F(SettingsTest, LoadsCp932Utf16AndUtf8FilesAlike) {
    const std::string text = "[設定]\r\nSetupTest=1\r\nコメント=表示の値\r\n[表]\r\nキー=ソ\r\n";
    const std::string utf8 = platform::Cp932ToUtf8(text);
    struct Case {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"CP932", text},
        {"UTF-16LE with BOM", "\xFF\xFE" + Utf16Le(utf8)},
        {"UTF-16LE without BOM", Utf16Le(utf8)},
        {"UTF-8 with BOM", "\xEF\xBB\xBF" + utf8},
    };
    for (const Case& c : cases) {
        KeyedTable table = Load(c.bytes);
        EXPECT_EQ(3, table.Count()) << c.name;
        EXPECT_STREQ("1", table.Get("//ini/設定/SetupTest")) << c.name;
        EXPECT_STREQ("表示の値", table.Get("//ini/設定/コメント")) << c.name;
        EXPECT_STREQ("ソ", table.Get("//ini/表/キー")) << c.name;
        EXPECT_STREQ("//ini/設定/SetupTest", table.WrittenKeyAt(0)) << c.name;
    }
}

TEST_F(SettingsTest, FileKeysFindTheDefaultsWhateverTheirCase) {
    SetDefault("//ini/設定/SetupTest", "0", glb_Settings);
    SetDefault("//ini/設定/PROT", "TCP", glb_Settings);
    folder_.Write("sluice.ini", "[設定]\r\nsetuptest = 1\r\n  PROT=UDP\r\n");
    LoadIni(glb_Environment.GetEnum(900003), glb_Settings, 0);

    EXPECT_STREQ("1", glb_Settings.Get("//INI/設定/setuptest"));
    EXPECT_STREQ("TCP", glb_Settings.Get("//ini/設定/PROT"));
    EXPECT_STREQ("UDP", glb_Settings.Get("//ini/設定/  PROT"));
    g_tick += 3000;
    SaveIni(glb_Environment.GetEnum(900003), glb_Settings, 0);
    EXPECT_EQ("[設定]\r\n  PROT=UDP\r\nPROT=TCP\r\nSetupTest=1\r\n", folder_.Read("sluice.ini"));
}

TEST_F(SettingsTest, TrimsKeysAndValuesAsWritten) {
    struct Case {
        const char* line;
        const char* key;  // nullptr: the line is not an entry
        const char* value;
    } cases[] = {
        {"k=v", "k", "v"},
        {"k=   x", "k", "x"},
        {"k=\t x", "k", "x"},
        {"k=x   ", "k", "x   "},
        {"k=", "k", ""},
        {"k  =v", "k", "v"},
        {"k   =v", "k ", "v"},
        {"k\t\t=v", "k", "v"},
        {"k\t\t\t=v", "k\t", "v"},
        {"k \t=v", "k ", "v"},
        {"k\t =v", "k", "v"},
        {"  k=v", "  k", "v"},
        {"k=a=b", "k", "a=b"},
        {"表=ソ", "表", "ソ"},
        {"#k=v", nullptr, nullptr},
        {";k=v", nullptr, nullptr},
        {"no equals sign", nullptr, nullptr},
        {"", nullptr, nullptr},
    };
    for (const Case& c : cases) {
        KeyedTable table = Load(std::string("[s]\r\n") + c.line + "\r\n");
        if (!c.key) {
            EXPECT_EQ(0, table.Count()) << c.line;
            continue;
        }
        ASSERT_EQ(1, table.Count()) << c.line;
        EXPECT_EQ(std::string("//ini/s/") + c.key, table.WrittenKeyAt(0)) << c.line;
        EXPECT_STREQ(c.value, table.ValueAt(0)) << c.line;
    }
}

TEST_F(SettingsTest, SectionsLineEndsAndLaterLines) {
    KeyedTable table = Load("top=0\n[a]\rk=1\r\n[broken\nk2=2\n[b]x\nk=3\n[a]\nk=4\n[]\nlast=5");
    EXPECT_STREQ("0", table.Get("//ini//top"));
    EXPECT_STREQ("4", table.Get("//ini/a/k"));
    EXPECT_STREQ("2", table.Get("//ini/a/k2"));
    EXPECT_STREQ("3", table.Get("//ini/b/k"));
    EXPECT_STREQ("5", table.Get("//ini//last"));
    EXPECT_EQ(5, table.Count());
}

TEST_F(SettingsTest, LoadKeepsEntriesMissingFromTheFile) {
    KeyedTable table;
    table.Set("//ini/設定/Old", "kept");
    table.Set("//ini/設定/New", "default");
    folder_.Write("in.ini", "[設定]\r\nNew=file\r\n");
    LoadIni(folder_.PathOf("in.ini").c_str(), table, 0);
    EXPECT_STREQ("kept", table.Get("//ini/設定/Old"));
    EXPECT_STREQ("file", table.Get("//ini/設定/New"));

    LoadIni(folder_.PathOf("absent.ini").c_str(), table, 0);
    LoadIni(folder_.Path().c_str(), table, 0);
    EXPECT_EQ(2, table.Count());
}

TEST_F(SettingsTest, SavesSortedSectionsWithCrLfAndNoComments) {
    KeyedTable table = Load(
        "# a comment\r\n; another\r\nz=first\r\n[Zeta]\r\nb=2\r\n[alpha]\r\nY=1\r\nx=0\r\n"
        "junk line\r\n[設定]\r\nSetupTest=1\r\n[-dash]\r\nk=d\r\n");
    table.Set("//env/not-a-setting", "never written");
    table.Set("//ini/alpha/Added", "new");
    EXPECT_EQ(
        "z=first\r\n[-dash]\r\nk=d\r\n[alpha]\r\nAdded=new\r\nx=0\r\nY=1\r\n[Zeta]\r\nb=2\r\n"
        "[設定]\r\nSetupTest=1\r\n",
        Save(table));

    KeyedTable again = Load(folder_.Read("out.ini"));
    EXPECT_EQ(table.Count() - 1, again.Count());
    EXPECT_STREQ("first", again.Get("//ini//z"));
    EXPECT_STREQ("d", again.Get("//ini/-dash/k"));
}

TEST_F(SettingsTest, SaveWaitsThreeSecondsAfterTheLoad) {
    struct Case {
        uint32_t loadTick;
        uint32_t elapsed;
        int flags;
        bool written;
    } cases[] = {
        {100000, 2000, 0, false}, {100000, 2999, 0, false},       {100000, 3000, 0, true},
        {100000, 60000, 0, true}, {100000, 0, kIniForce, true},   {100000, 2000, kIniForce, true},
        {0, 3000, 0, true},       {0xFFFFF000u, 0x1800, 0, true}, {0xFFFFFF00u, 0x200, 0, false},
    };
    KeyedTable table;
    table.Set("//ini/s/k", "v");
    for (const Case& c : cases) {
        folder_.Write("out.ini", "old");
        g_tick = c.loadTick;
        LoadIni(folder_.PathOf("absent.ini").c_str(), table, 0);
        g_tick = c.loadTick + c.elapsed;
        SaveIni(folder_.PathOf("out.ini").c_str(), table, c.flags);
        EXPECT_EQ(c.written ? "[s]\r\nk=v\r\n" : "old", folder_.Read("out.ini"))
            << c.loadTick << " + " << c.elapsed << " flags " << c.flags;
    }
}

TEST_F(SettingsTest, NeverSavesBeforeALoad) {
    KeyedTable table;
    table.Set("//ini/s/k", "v");
    g_tick += 100000;
    for (int flags : {0, int{kIniForce}}) {
        SaveIni(folder_.PathOf("out.ini").c_str(), table, flags);
        EXPECT_FALSE(folder_.Exists("out.ini")) << flags;
    }
}

TEST_F(SettingsTest, PathsBecomeMacrosInTheFileAndBackInMemory) {
    const std::string home = folder_.Path();
    KeyedTable table;
    table.Set("//ini/s/data", home + "/data");
    table.Set("//ini/s/other", home + "Old/x");
    table.Set("//ini/s/tmp", glb_Environment.GetEnum(900019) + std::string("t.txt"));
    EXPECT_EQ("[s]\r\ndata=$ARGV0$/data\r\nother=$ARGV0$Old/x\r\ntmp=$TEMPDIR$t.txt\r\n",
              Save(table));
    KeyedTable loaded = Load(folder_.Read("out.ini"));
    for (const char* key : {"//ini/s/data", "//ini/s/other", "//ini/s/tmp"}) {
        EXPECT_STREQ(table.Get(key), loaded.Get(key)) << key;
    }

    EXPECT_EQ("[s]\r\ndata=" + home + "/data\r\n",
              Save(Load("[s]\r\ndata=" + home + "/data"), kIniRaw));
    EXPECT_STREQ("$ARGV0$/data", Load("[s]\r\ndata=$ARGV0$/data", kIniRaw).Get("//ini/s/data"));
    SetDefault("//ini/s/d", "$ARGV0$/x", glb_Settings);
    EXPECT_EQ(home + "/x", glb_Settings.Get("//ini/s/d"));
}

// Sections over 1000 bytes, keys over 2000 and values over 3000 are cut, and
// never inside a double-byte character.
TEST_F(SettingsTest, LongTextsAreCutAtCharacterBoundaries) {
    std::string longSection = "a", longKey = "b", longValue = "c";
    for (int i = 0; i < 1000; ++i) longSection += "あ";
    for (int i = 0; i < 1500; ++i) longKey += "い";
    for (int i = 0; i < 2000; ++i) longValue += "う";
    KeyedTable table = Load("[" + longSection + "]\r\n" + longKey + "=" + longValue + "\r\n");
    ASSERT_EQ(1, table.Count());
    std::string path = table.WrittenKeyAt(0);
    std::string value = table.ValueAt(0);
    EXPECT_EQ(2999u, path.size());
    EXPECT_EQ("//ini/" + longSection.substr(0, 999) + "/" + longKey.substr(0, 3000 - 1 - 7 - 999),
              path);
    EXPECT_EQ(longValue.substr(0, 2999), value);

    KeyedTable shortKey = Load("[s]\r\n" + longKey + "=v\r\n");
    EXPECT_EQ("//ini/s/" + longKey.substr(0, 1999), shortKey.WrittenKeyAt(0));
}

TEST_F(SettingsTest, SaveCreatesTheFolderAndSkipsAnUncreatableFile) {
    KeyedTable table;
    table.Set("//ini/s/k", "v");
    LoadIni(folder_.PathOf("absent.ini").c_str(), table, 0);
    g_tick += 3000;
    SaveIni(folder_.PathOf("config/sluice/sluice.ini").c_str(), table, 0);
    EXPECT_EQ("[s]\r\nk=v\r\n", folder_.Read("config/sluice/sluice.ini"));

    folder_.Write("plain", "a file, not a folder");
    SaveIni(folder_.PathOf("plain/sluice.ini").c_str(), table, 0);
    EXPECT_EQ("a file, not a folder", folder_.Read("plain"));

    SaveIni(folder_.PathOf("config").c_str(), table, 0);
    EXPECT_TRUE(std::filesystem::is_directory(folder_.PathOf("config")));
    EXPECT_FALSE(folder_.Exists("config.tmp"));
    EXPECT_STREQ("v", table.Get("//ini/s/k"));
}

}  // namespace
