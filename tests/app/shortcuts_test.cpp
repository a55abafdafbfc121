// Desktop launchers written into a scratch home folder: names, Exec lines read
// back the way a desktop reads them, file mode, the made-once rule of the
// start set, overwriting, and failures.
#include "app/shortcuts.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <thread>

#include "app/desktop_entry.h"
#include "app/settings_keys.h"
#include "foundation/environment.h"
#include "foundation/settings.h"
#include "platform/charset.h"
#include "tests/foundation/scratch_folder.h"

namespace {

namespace fs = std::filesystem;
using Words = std::vector<std::string>;

// Reads an Exec value back as a desktop does: string escapes first, then the
// quoting into words, then "%%" to "%". A lone "%" fails the test, since it
// would be taken for a field code.
Words ParseExec(const std::string& value) {
    std::string line;
    for (size_t i = 0; i < value.size(); ++i) {
        char c = value[i];
        if (c == '\\' && i + 1 < value.size()) {
            char next = value[++i];
            c = next == 's'   ? ' '
                : next == 'n' ? '\n'
                : next == 't' ? '\t'
                : next == 'r' ? '\r'
                              : next;
        }
        line += c;
    }
    Words words;
    size_t i = 0;
    while (i < line.size()) {
        if (line[i] == ' ') {
            ++i;
            continue;
        }
        std::string word;
        if (line[i] == '"') {
            for (++i; i < line.size() && line[i] != '"'; ++i) {
                if (line[i] == '\\') ++i;
                word += line[i];
            }
            ++i;
        } else {
            for (; i < line.size() && line[i] != ' '; ++i) word += line[i];
        }
        std::string plain;
        for (size_t p = 0; p < word.size(); ++p) {
            if (word[p] == '%') {
                EXPECT_EQ('%', p + 1 < word.size() ? word[p + 1] : '\0')
                    << "field code in " << word;
                ++p;
            }
            plain += word[p];
        }
        words.push_back(plain);
    }
    return words;
}

Words Utf8(const Words& cp932) {
    Words converted;
    for (const std::string& word : cp932) converted.push_back(platform::Cp932ToUtf8(word));
    return converted;
}

// The value of key in a desktop entry text.
std::string EntryValue(const std::string& text, const std::string& key) {
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.compare(0, key.size() + 1, key + "=") == 0) return line.substr(key.size() + 1);
    }
    return "<missing " + key + ">";
}

class ShortcutsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetEnvironmentForTests();
        ResetSettingsForTests();
        glb_Settings.Set(key::kProtocol, "TCP");
        glb_Settings.Set(key::kAddressMode, "2");
    }
    void TearDown() override {
        ResetEnvironmentForTests();
        ResetSettingsForTests();
    }

    // The desktop folder's launcher base name (CP932) as a path below home.
    std::string LauncherFile(const std::string& baseName) const {
        return "Desktop/" + platform::Cp932ToUtf8(baseName) + ".desktop";
    }
    std::string Text(const std::string& baseName) const {
        return home_.Read(LauncherFile(baseName));
    }
    Words Exec(const std::string& baseName) const {
        return ParseExec(EntryValue(Text(baseName), "Exec"));
    }
    Words Expected(const Words& arguments) const {
        Words words = {platform::Cp932ToUtf8(SharedEnvironment().GetEnum(900002))};
        for (const std::string& word : Utf8(arguments)) words.push_back(word);
        return words;
    }
    fs::perms Mode(const std::string& baseName) const {
        return fs::status(home_.PathOf(LauncherFile(baseName))).permissions();
    }
    size_t FilesOnDesktop() const {
        size_t count = 0;
        for (const auto& item : fs::directory_iterator(home_.PathOf("Desktop"))) {
            count += item.is_regular_file() ? 1 : 0;
        }
        return count;
    }
    ShortcutMessage Recorder() {
        return [this](const std::string& text) { messages_.push_back(text); };
    }

    ScratchFolder home_;
    ScopedEnv homeEnv_{"HOME", home_.Path()};
    ScopedEnv configEnv_{"XDG_CONFIG_HOME", nullptr};
    Words messages_;
};

constexpr fs::perms kExecutable = fs::perms::owner_all | fs::perms::group_read |
                                  fs::perms::group_exec | fs::perms::others_read |
                                  fs::perms::others_exec;

TEST_F(ShortcutsTest, OpenClosePairNamesAndArguments) {
    struct {
        const char* wan;
        const char* protocol;
        const char* lan;
        const char* mode;
        const char* fixed;
        const char* nameSuffix;
        const char* address;
    } cases[] = {
        {"8000-8005", "UDP", "8000-8005", "2", "", "(8000-8005U)", "自動2"},
        {"8000", "TCP", "8000", "0", "192.168.1.10", "(8000T)", "192.168.1.10"},
        {"10001-10005,20001", "TCP", "9000", "1", "", "(10001-10005,20001T)", "自動1"},
        {"8000", "TCP", "8000", "3", "", "(8000T)", "自動3"},
        // "/" cannot be in a file name; the argument keeps it.
        {"8000/9000", "TCP", "8000", "2", "", "(8000_9000T)", "自動2"},
        // An empty LAN list stays an argument of its own.
        {"8000", "UDP", "", "2", "", "(8000U)", "自動2"},
    };
    for (const auto& one : cases) {
        SCOPED_TRACE(std::string(one.wan) + " " + one.protocol + " mode " + one.mode);
        glb_Settings.Set(key::kProtocol, one.protocol);
        glb_Settings.Set(key::kAddressMode, one.mode);
        glb_Settings.Set(key::kFixedAddress, one.fixed);
        CreatePortShortcuts(one.wan, one.lan, Recorder());
        std::string open = std::string("ポート開放") + one.nameSuffix;
        std::string close = std::string("ポート閉鎖") + one.nameSuffix;
        EXPECT_EQ(Expected({"/open", one.wan, one.protocol, one.lan, one.address}), Exec(open));
        EXPECT_EQ(Expected({"/close", one.wan, one.protocol}), Exec(close));
        EXPECT_EQ(platform::Cp932ToUtf8(open), EntryValue(Text(open), "Name"));
        EXPECT_EQ("Application", EntryValue(Text(close), "Type"));
        // The program's own icon, beside the program that is not installed.
        const std::string icon = std::string(SharedEnvironment().GetEnum(900006)) + "sluice.png";
        EXPECT_EQ(icon, EntryValue(Text(open), "Icon"));
        EXPECT_EQ(icon, EntryValue(Text(close), "Icon"));
        EXPECT_EQ(kExecutable, Mode(open));
        EXPECT_EQ(kExecutable, Mode(close));
    }
    EXPECT_TRUE(messages_.empty());
}

TEST_F(ShortcutsTest, AddressArgumentFollowsAddressMode) {
    glb_Settings.Set(key::kFixedAddress, "192.168.1.10");
    struct {
        const char* mode;
        const char* expected;
    } cases[] = {{"0", "192.168.1.10"}, {"", "192.168.1.10"}, {"1", "自動1"}, {"2", "自動2"},
                 {"3", "自動3"},        {"9", "自動3"},       {"-1", "自動3"}};
    for (const auto& one : cases) {
        glb_Settings.Set(key::kAddressMode, one.mode);
        EXPECT_EQ(one.expected, AddressArgument()) << "mode " << one.mode;
    }
}

TEST_F(ShortcutsTest, SecondOpenReplacesThePair) {
    CreatePortShortcuts("8000", "8000", Recorder());
    fs::permissions(home_.PathOf(LauncherFile("ポート開放(8000T)")),
                    fs::perms::owner_read | fs::perms::owner_write);
    glb_Settings.Set(key::kAddressMode, "0");
    glb_Settings.Set(key::kFixedAddress, "192.168.1.10");
    CreatePortShortcuts("8000", "8000", Recorder());
    EXPECT_EQ(Expected({"/open", "8000", "TCP", "8000", "192.168.1.10"}),
              Exec("ポート開放(8000T)"));
    EXPECT_EQ(kExecutable, Mode("ポート開放(8000T)"));
    EXPECT_EQ(2u, FilesOnDesktop());
    EXPECT_TRUE(messages_.empty());
}

TEST_F(ShortcutsTest, StartSetIsMadeOnlyWhileCloseAllIsMissing) {
    CreateStartShortcuts(Recorder());
    EXPECT_EQ(Expected({}), Exec("Sluice (手動開放)"));
    EXPECT_EQ(Expected({"/wizard"}), Exec("Sluice (ウィザード)"));
    EXPECT_EQ(Expected({"/closeall"}), Exec("ポート閉鎖(ALL)"));
    EXPECT_EQ(kExecutable, Mode("Sluice (手動開放)"));

    fs::remove(home_.PathOf(LauncherFile("Sluice (手動開放)")));
    CreateStartShortcuts(Recorder());
    EXPECT_FALSE(home_.Exists(LauncherFile("Sluice (手動開放)")));

    fs::remove(home_.PathOf(LauncherFile("ポート閉鎖(ALL)")));
    CreateStartShortcuts(Recorder());
    EXPECT_EQ(3u, FilesOnDesktop());
    EXPECT_TRUE(messages_.empty());
}

TEST_F(ShortcutsTest, DesktopFolderFromUserDirsWithJapaneseName) {
    std::string desktop = platform::Cp932ToUtf8("デスクトップ");
    home_.Write(".config/user-dirs.dirs", "XDG_DESKTOP_DIR=\"$HOME/" + desktop + "\"\n");
    CreateStartShortcuts(Recorder());
    EXPECT_TRUE(
        home_.Exists(desktop + "/" + platform::Cp932ToUtf8("ポート閉鎖(ALL)") + ".desktop"));
    EXPECT_TRUE(messages_.empty());
}

TEST_F(ShortcutsTest, UnwritableDesktopShowsOneMessagePerLauncher) {
    home_.Write("Desktop", "a file where the folder should be");
    CreatePortShortcuts("8000", "8000", Recorder());
    EXPECT_EQ(Words({"ショートカット作成失敗", "ショートカット作成失敗"}), messages_);
    EXPECT_EQ(0, CreateShortCut(home_.PathOf("Desktop/x.desktop"), "/bin/true", {}, "", 0, "",
                                Recorder()));
    EXPECT_EQ(3u, messages_.size());
}

TEST_F(ShortcutsTest, IconAndWorkingFolderOnlyWhenGiven) {
    ASSERT_EQ(1, CreateShortCut(home_.PathOf("Desktop/plain.desktop"), "/bin/true", {}, "", 0, "",
                                Recorder()));
    std::string plain = home_.Read("Desktop/plain.desktop");
    EXPECT_EQ(std::string::npos, plain.find("Icon="));
    EXPECT_EQ(std::string::npos, plain.find("Path="));
    ASSERT_EQ(1, CreateShortCut(home_.PathOf("Desktop/full.desktop"), "/bin/true", {},
                                "/opt/作業/icon.png", 3, "/opt/作業", Recorder()));
    std::string full = home_.Read("Desktop/full.desktop");
    EXPECT_EQ(platform::Cp932ToUtf8("/opt/作業/icon.png"), EntryValue(full, "Icon"));
    EXPECT_EQ(platform::Cp932ToUtf8("/opt/作業"), EntryValue(full, "Path"));
    EXPECT_EQ("full", EntryValue(full, "Name"));
}

// Arguments a user can type into the port and comment fields, and paths with
// the characters the Exec quoting rules single out.
const std::vector<Words> kAwkwardArguments = {
    {"/open", "8000", "TCP", "8000", "自動2"},
    {"/open", "8000 8001", "TCP", "100%", "%U"},
    {"a\"b", "c`d", "e$HOME", "f\\g", "h'i", "j;k|l&m", "n>o<p", "~q", "#r", "(s)", "*?"},
    {"", "tab\there", "new\nline", "cr\rx", " lead", "trail ", "a=b", "表示", "ソ\\"},
};

TEST(DesktopEntryTest, ExecValueReadsBackAsTheSameWords) {
    for (const Words& arguments : kAwkwardArguments) {
        Words utf8 = Utf8(arguments);
        std::string value = ExecValue("/opt/My Apps/sluice", utf8);
        EXPECT_EQ(std::string::npos, value.find('\n')) << value;
        Words expected = {"/opt/My Apps/sluice"};
        expected.insert(expected.end(), utf8.begin(), utf8.end());
        EXPECT_EQ(expected, ParseExec(value)) << value;
    }
    EXPECT_EQ("/bin/true 8000 TCP", ExecValue("/bin/true", {"8000", "TCP"}));
}

// The desktop's own launcher reads the file: gio launch runs it, and a
// script records the words it was given, one per NUL-ended record.
TEST_F(ShortcutsTest, GioLaunchPassesEachArgumentWhole) {
    if (std::system("command -v gio >/dev/null 2>&1") != 0) GTEST_SKIP() << "gio not installed";
    home_.Write("record.sh",
                "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\0' \"$a\"; done >\"$0.tmp\"\n"
                "mv \"$0.tmp\" \"$0.out\"\n");
    fs::permissions(home_.PathOf("record.sh"), kExecutable);
    for (const Words& arguments : kAwkwardArguments) {
        fs::remove(home_.PathOf("record.sh.out"));
        std::string launcher = home_.PathOf("Desktop/launch.desktop");
        ASSERT_EQ(1, CreateShortCut(launcher, home_.PathOf("record.sh"), arguments, "", 0, "",
                                    Recorder()));
        ASSERT_EQ(0, std::system(("gio launch '" + launcher + "' >/dev/null 2>&1").c_str()));
        for (int waited = 0; waited < 5000 && !home_.Exists("record.sh.out"); waited += 20) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        Words received;
        std::istringstream out(home_.Read("record.sh.out"));
        for (std::string word; std::getline(out, word, '\0');) received.push_back(word);
        EXPECT_EQ(Utf8(arguments), received);
    }
}

}  // namespace
