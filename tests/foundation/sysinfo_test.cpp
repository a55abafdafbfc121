#include "foundation/sysinfo.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/charset.h"
#include "platform/clock.h"
#include "platform/programs.h"
#include "scratch_folder.h"

namespace {

uint32_t TestTick() {
    return 312345678u;
}

std::string Place(int place) {
    char buffer[1024];
    std::fill(buffer, buffer + sizeof buffer, 'x');
    EXPECT_EQ(1, m_GetSpecialFolderLocation(buffer, place));
    return buffer;
}

std::string FirstLine(const char* path) {
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    return line;
}

std::vector<std::string> Items(const StrList& list) {
    std::vector<std::string> items;
    for (int i = 0; i < list.Count(); ++i) items.push_back(list.GetAt(i));
    return items;
}

TEST(SplitPath, Parts) {
    struct Case {
        const char* path;
        const char* drive;
        const char* directory;
        const char* name;
        const char* extension;
        const char* folder;
        const char* withoutExt;
        const char* nameExt;
    } cases[] = {
        {"/usr/local/bin/sluice", "/", "usr/local/bin/", "sluice", "", "/usr/local/bin/",
         "/usr/local/bin/sluice", "sluice"},
        {"C:\\dir\\sub\\file.tar.gz", "C:\\", "dir\\sub\\", "file.tar", ".gz", "C:\\dir\\sub\\",
         "C:\\dir\\sub\\file.tar", "file.tar.gz"},
        {"C", "C:\\", "", "", "", "C:\\", "C:\\", ""},
        {"C:", "C:\\", "", "", "", "C:\\", "C:\\", ""},
        {"a.b.exe", "", "", "a.b", ".exe", "", "a.b", "a.b.exe"},
        {"/opt/a.b.exe", "/", "opt/", "a.b", ".exe", "/opt/", "/opt/a.b", "a.b.exe"},
        {"", "", "", "", "", "", "", ""},
        {"/", "/", "", "", "", "/", "/", ""},
        {"\\\\server\\share\\x.txt", "\\\\", "server\\share\\", "x", ".txt", "\\\\server\\share\\",
         "\\\\server\\share\\x", "x.txt"},
        {"//host/dir/x", "//", "host/dir/", "x", "", "//host/dir/", "//host/dir/x", "x"},
        {"C:/mixed\\seps/f.ini", "C:/", "mixed\\seps/", "f", ".ini", "C:/mixed\\seps/",
         "C:/mixed\\seps/f", "f.ini"},
        {"/home/表示/表.txt", "/", "home/表示/", "表", ".txt", "/home/表示/", "/home/表示/表",
         "表.txt"},
        {"/etc/.bashrc", "/", "etc/", "", ".bashrc", "/etc/", "/etc/", ".bashrc"},
        {"/dir.d/file", "/", "dir.d/", "file", "", "/dir.d/", "/dir.d/file", "file"},
    };
    for (const Case& c : cases) {
        PathParts parts = SplitPath(c.path);
        EXPECT_EQ(c.drive, parts.drive) << c.path;
        EXPECT_EQ(c.directory, parts.directory) << c.path;
        EXPECT_EQ(c.name, parts.name) << c.path;
        EXPECT_EQ(c.extension, parts.extension) << c.path;
        EXPECT_EQ(c.folder, parts.folder) << c.path;
        EXPECT_EQ(c.withoutExt, parts.withoutExt) << c.path;
        EXPECT_EQ(c.nameExt, parts.nameExt) << c.path;
    }
}

class SpecialPlaceTest : public ::testing::Test {
  protected:
    SpecialPlaceTest()
        : home_("HOME", folder_.PathOf("home")),
          config_("XDG_CONFIG_HOME", nullptr),
          data_("XDG_DATA_HOME", nullptr),
          tmp_("TMPDIR", folder_.PathOf("tmp")),
          quick_("TEMP_QUICK", nullptr) {}

    ScratchFolder folder_;
    ScopedEnv home_, config_, data_, tmp_, quick_;
};

TEST_F(SpecialPlaceTest, FoldersNamesAndUnknownPlaces) {
    const std::string hostname = FirstLine("/proc/sys/kernel/hostname");
    const std::string home = folder_.PathOf("home");
    struct Case {
        int place;
        std::string expected;
    } cases[] = {
        {0, home + "/Desktop"},
        {16, home + "/Desktop"},
        {5, home + "/Documents"},
        {2, home + "/.local/share/applications"},
        {11, home + "/.local/share/applications"},
        {7, home + "/.config/autostart"},
        {6, ""},
        {8, ""},
        {4096, ""},
        {4097, folder_.PathOf("tmp/")},
        {4099, ""},
        {4100, ""},
        {4101, platform::Utf8ToCp932(hostname)},
        {4103, folder_.PathOf("tmp/")},
        {4105, ""},
        {-1, ""},
        {0x7FFFFFFF, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.expected, Place(c.place)) << c.place;
        EXPECT_EQ(c.expected, SpecialPlace(c.place)) << c.place;
    }
    EXPECT_FALSE(hostname.empty());
    EXPECT_NE("", Place(4102));
    EXPECT_EQ(1, m_GetSpecialFolderLocation(nullptr, 0));
}

TEST_F(SpecialPlaceTest, UserDirsFileNamesTheDesktopAndDocuments) {
    folder_.Write("home/.config/user-dirs.dirs",
                  platform::Cp932ToUtf8("# written by xdg-user-dirs-update\n"
                                        "XDG_DESKTOP_DIR=\"$HOME/デスクトップ\"\n"
                                        "#XDG_DOCUMENTS_DIR=\"/commented/out\"\n"
                                        "XDG_DOCUMENTS_DIR=\"/srv/文書/\"\n"
                                        "XDG_MUSIC_DIR=\"$HOME/Music\"\n"));
    EXPECT_EQ(folder_.PathOf("home/デスクトップ"), SpecialPlace(kPlaceDesktop));
    EXPECT_EQ(folder_.PathOf("home/デスクトップ"), SpecialPlace(kPlaceDesktopFolder));
    EXPECT_EQ("/srv/文書", SpecialPlace(kPlaceDocuments));

    ScopedEnv config("XDG_CONFIG_HOME", folder_.PathOf("elsewhere"));
    folder_.Write("elsewhere/user-dirs.dirs", "XDG_DESKTOP_DIR=\"relative/not/allowed\"\n");
    EXPECT_EQ(folder_.PathOf("home/Desktop"), SpecialPlace(kPlaceDesktop));
    EXPECT_EQ(folder_.PathOf("elsewhere/autostart"), SpecialPlace(kPlaceStartup));
}

TEST_F(SpecialPlaceTest, TemporaryFileNamesAndTheQuickFolder) {
    platform::SetTickSourceForTests(TestTick);
    EXPECT_EQ(folder_.PathOf("tmp/t2345678.txt"), SpecialPlace(kPlaceTempFile));
    EXPECT_EQ(folder_.PathOf("tmp/t2345678.txt"), SpecialPlace(kPlaceQuickTempFile));
    {
        ScopedEnv quick("TEMP_QUICK", "");
        EXPECT_EQ(folder_.PathOf("tmp/"), SpecialPlace(kPlaceQuickTemp));
    }
    {
        ScopedEnv quick("TEMP_QUICK", "/dev/shm");
        EXPECT_EQ("/dev/shm", SpecialPlace(kPlaceQuickTemp));
        EXPECT_EQ("/dev/shm/t2345678.txt", SpecialPlace(kPlaceQuickTempFile));
    }
    platform::SetTickSourceForTests(nullptr);
}

// The buffer holds 1023 bytes and a zero; a longer path is cut before a
// double-byte character that would not fit.
TEST_F(SpecialPlaceTest, LongPlacesAreCutAtACharacterBoundary) {
    std::string home = "/x";
    for (int i = 0; i < 600; ++i) home += "あ";
    ScopedEnv longHome("HOME", platform::Cp932ToUtf8(home));
    std::string place = Place(kPlaceDesktop);
    EXPECT_EQ(1022u, place.size());
    EXPECT_EQ(home.substr(0, 1022), place);
}

TEST(OSName, IsLinuxAndTheKernelRelease) {
    EXPECT_EQ("Linux " + FirstLine("/proc/sys/kernel/osrelease"), GetOSName());
}

TEST(WindowPresent, ExactTitleOrFoldedPartOfTitleOrClass) {
    std::vector<platform::WindowInfo> windows = {
        {"Untitled - Editor", "gedit"},
        {"Terminal", "xterm XTerm"},
        {"java -Xmx1G -jar server.jar nogui", "java"},
        {"ＡＢＣサーバ", "Fullwidth"},
    };
    struct Case {
        const char* title;
        int expected;
    } cases[] = {
        {"Untitled - Editor", 1}, {"Editor", 1},  {"editor", 1},
        {"UNTITLED", 1},          {"xterm", 1},   {"XTERM", 1},
        {"server.JAR", 1},        {"ａｂｃ", 1},  {"ＡＢＣサーバ", 1},
        {"Notepad", 0},           {"editor2", 0}, {nullptr, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.expected, WindowPresentIn(c.title, windows)) << (c.title ? c.title : "null");
    }
    EXPECT_EQ(0, WindowPresentIn("Editor", {}));
    // ア is 83 41: its trail byte is no "A" to fold and find.
    EXPECT_EQ(0, WindowPresentIn("A", {{"アイ", "K"}}));
}

// This process's command line as the window finder writes it, arguments
// joined by blanks.
std::string OwnCommandLine() {
    std::ifstream file("/proc/self/cmdline", std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    while (!text.empty() && text.back() == '\0') text.pop_back();
    for (char& c : text) {
        if (c == '\0') c = ' ';
    }
    return text;
}

// Polls WindowPresent for up to 10 s until it gives expected.
bool PresenceBecomes(const char* title, int expected) {
    for (int i = 0; i < 100; ++i) {
        if (WindowPresent(title) == expected) return true;
        platform::SleepMs(100);
    }
    return false;
}

// A program started here is found by its command line while it runs, and no
// longer once it has ended, even before it is collected. The program runs in
// its own folder: it waits while the file "flag" is there. This process
// itself is never listed.
TEST(WindowPresent, FindsRunningProcessesButNotThisOneNorEndedOnes) {
    ScratchFolder folder;
    folder.Write("flag", "");
    folder.Write("srv-4f1c9a.sh", "#!/bin/sh\nwhile [ -e flag ]; do sleep 0.1; done\n");
    std::filesystem::permissions(folder.PathOf("srv-4f1c9a.sh"), std::filesystem::perms::owner_all);
    EXPECT_FALSE(platform::StartProgram(folder.PathOf("missing.sh"), folder.Path()));
    ASSERT_TRUE(platform::StartProgram(folder.PathOf("srv-4f1c9a.sh"), folder.Path()));
    EXPECT_TRUE(PresenceBecomes("srv-4f1c9a", 1));
    std::filesystem::remove(folder.PathOf("flag"));
    EXPECT_TRUE(PresenceBecomes("srv-4f1c9a", 0));
    platform::ReapPrograms();
    platform::ResetProgramsForTests();
    EXPECT_EQ(0, WindowPresent(OwnCommandLine().c_str()));
    EXPECT_EQ(0, WindowPresent("no-such-window-8c1f0e4b-7d2a"));
}

TEST(FileExists, FilesFoldersAndWildcards) {
    ScratchFolder folder;
    folder.Write("dir/a.txt", "a");
    folder.Write("dir/表.ini", "");
    std::filesystem::create_directories(folder.PathOf("dir/sub"));
    struct Case {
        std::string path;
        int expected;
    } cases[] = {
        {folder.PathOf("dir/a.txt"), 1},  {folder.PathOf("dir"), 1},
        {folder.PathOf("dir/sub/"), 1},   {folder.PathOf("dir/b.txt"), 0},
        {folder.PathOf("dir/*.txt"), 1},  {folder.PathOf("dir/*.png"), 0},
        {folder.PathOf("dir/a?txt"), 1},  {folder.PathOf("dir/?.txt"), 1},
        {folder.PathOf("dir/??.txt"), 0}, {folder.PathOf("dir/*"), 1},
        {folder.PathOf("none/*"), 0},     {"", 0},
    };
    for (const Case& c : cases) EXPECT_EQ(c.expected, FileExists(c.path.c_str())) << c.path;
    EXPECT_EQ(0, FileExists(nullptr));
}

TEST(FileExists, JapaneseNamesAndWildcardsStepOverDoubleBytes) {
    ScratchFolder folder;
    folder.Write(platform::Cp932ToUtf8("表.ini"), "");
    EXPECT_EQ(1, FileExists(folder.PathOf("表.ini").c_str()));
    EXPECT_EQ(1, FileExists(folder.PathOf("?.ini").c_str()));
    EXPECT_EQ(0, FileExists(folder.PathOf("??.ini").c_str()));
}

TEST(GetFileTimes, StampsOfAFileAndAMissingOne) {
    ScratchFolder folder;
    time_t before = std::time(nullptr);
    folder.Write("f.txt", "x");
    FileTimes times;
    ASSERT_EQ(0, GetFileTimes(folder.PathOf("f.txt").c_str(), &times));
    time_t after = std::time(nullptr);
    for (time_t stamp : {times.creation, times.lastWrite, times.lastAccess}) {
        EXPECT_GE(stamp, before - 1);
        EXPECT_LE(stamp, after + 1);
    }
    EXPECT_EQ(-1, GetFileTimes(folder.PathOf("missing").c_str(), &times));
}

class FindFilesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* name :
             {"bmp/abc_open.bmp", "bmp/OPEN.BMP", "bmp/open.png", "bmp/close.bmp",
              "bmp/sub/deep/x_open.bmp", "bmp/sub/y_open.bmp"}) {
            folder_.Write(name, "");
        }
        folder_.Write(platform::Cp932ToUtf8("bmp/開く_open.bmp"), "");
        std::filesystem::create_directory_symlink(folder_.PathOf("bmp"),
                                                  folder_.PathOf("bmp/sub/loop"));
        std::filesystem::create_directory(folder_.PathOf("bmp/empty_open.bmp"));
    }
    std::vector<std::string> Find(const std::string& folder, const char* pattern,
                                  int flags = kFindFiles, int depth = -1) {
        StrList list;
        return Items(FindFiles(folder.c_str(), pattern, list, flags, depth));
    }

    ScratchFolder folder_;
};

TEST_F(FindFilesTest, FindsNamesContainingThePatternIgnoringCase) {
    const std::string bmp = folder_.PathOf("bmp");
    std::vector<std::string> open = {bmp + "/OPEN.BMP", bmp + "/abc_open.bmp",
                                     bmp + "/sub/deep/x_open.bmp", bmp + "/sub/y_open.bmp",
                                     bmp + "/開く_open.bmp"};
    EXPECT_EQ(open, Find(bmp, "*open.bmp"));
    EXPECT_EQ(open, Find(bmp + "/", "*OPEN.bmp"));
    EXPECT_EQ(std::vector<std::string>{bmp + "/close.bmp"}, Find(bmp, "*close.bmp"));
    EXPECT_EQ(7u, Find(bmp, "*").size());
    EXPECT_EQ(6u, Find(bmp, "*open.bmp;*close.bmp").size());
}

TEST_F(FindFilesTest, DepthLimitFlagsAndMissingFolders) {
    const std::string bmp = folder_.PathOf("bmp");
    EXPECT_EQ(3u, Find(bmp, "open.bmp", kFindFiles, 0).size());
    EXPECT_EQ(4u, Find(bmp, "open.bmp", kFindFiles, 1).size());
    EXPECT_TRUE(Find(bmp, "open.bmp", 0).empty());
    EXPECT_TRUE(Find(folder_.PathOf("nothing"), "").empty());
    EXPECT_TRUE(Find("", "").empty());

    StrList list;
    list.Add("kept");
    FindFiles(bmp.c_str(), "close", list, kFindFiles, -1);
    EXPECT_EQ((std::vector<std::string>{"kept", bmp + "/close.bmp"}), Items(list));
}

}  // namespace
