#include "foundation/environment.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "platform/system.h"
#include "scratch_folder.h"

namespace {

// A program at a known place, with the temporary, home and config folders
// under the scratch folder.
class EnvironmentTest : public ::testing::Test {
  protected:
    EnvironmentTest()
        : tmp_("TMPDIR", folder_.PathOf("tmp")),
          home_("HOME", folder_.PathOf("home")),
          config_("XDG_CONFIG_HOME", folder_.PathOf("config")),
          quick_("TEMP_QUICK", nullptr) {}
    void TearDown() override { ResetEnvironmentForTests(); }

    ScratchFolder folder_;
    ScopedEnv tmp_, home_, config_, quick_;
};

TEST_F(EnvironmentTest, ProgramEntriesOfAWritableFolder) {
    folder_.Write("Tools/a.b.exe", "");
    KeyedTable env;
    BuildEnvironment(folder_.PathOf("Tools/a.b.exe").c_str(), env);
    const std::string tools = folder_.PathOf("Tools");
    struct Case {
        int entry;
        std::string value;
    } cases[] = {
        {900001, "■■■環境変数1 __argv[0]より■■■"},
        {900002, tools + "/a.b.exe"},
        {900003, tools + "/a.b.ini"},
        {900004, "a.b"},
        {900005, "a.b.exe"},
        {900006, tools + "/"},
        {900007, tools + "/a.b"},
        {900008, tools},
        {900009, "■■■環境変数2 各種フォルダ■■■"},
        {900010, folder_.PathOf("home/Desktop")},
        {900011, folder_.PathOf("home/.local/share/applications")},
        {900012, folder_.PathOf("home/Documents")},
        {900013, ""},
        {900014, folder_.PathOf("config/autostart")},
        {900017, folder_.PathOf("home/.local/share/applications")},
        {900018, folder_.PathOf("home/Desktop")},
        {900019, folder_.PathOf("tmp/")},
        {900020, folder_.PathOf("tmp/")},
        {900021, ""},
        {900022, ""},
        {900023, platform::ComputerName()},
        {900025, ""},
        {900026, ""},
        {900027, "■■■環境変数定義終了■■■"},
        {900028, folder_.PathOf("home")},
    };
    for (const Case& c : cases) EXPECT_EQ(c.value, env.GetEnum(c.entry)) << c.entry;
    EXPECT_STRNE("", env.GetEnum(900024));
}

TEST_F(EnvironmentTest, SettingsGoToTheConfigFolderWhenTheProgramFolderIsNotWritable) {
    KeyedTable env;
    BuildEnvironment("/nonexistent-sluice/bin/sluice", env);
    EXPECT_EQ(folder_.PathOf("config/sluice/sluice.ini"), env.GetEnum(900003));
    EXPECT_STREQ("/nonexistent-sluice/bin/sluice", env.GetEnum(900007));
    EXPECT_STREQ("/nonexistent-sluice/bin/", env.GetEnum(900006));

    ScopedEnv noConfig("XDG_CONFIG_HOME", nullptr);
    BuildEnvironment("/nonexistent-sluice/bin/sluice", env);
    EXPECT_EQ(folder_.PathOf("home/.config/sluice/sluice.ini"), env.GetEnum(900003));
}

// A relative program path is taken from the current folder; the root folder's
// "/" is not doubled.
TEST_F(EnvironmentTest, RelativeProgramPathUsesTheCurrentFolder) {
    std::string saved = platform::CurrentFolder();
    KeyedTable env;
    ASSERT_EQ(0, chdir(folder_.Path().c_str()));
    BuildEnvironment("sluice", env);
    EXPECT_EQ(folder_.PathOf("sluice"), env.GetEnum(900002));
    ASSERT_EQ(0, chdir("/"));
    BuildEnvironment("sluice", env);
    ASSERT_EQ(0, chdir(saved.c_str()));
    EXPECT_STREQ("/sluice", env.GetEnum(900002));
    EXPECT_STREQ("/", env.GetEnum(900006));
    EXPECT_STREQ("", env.GetEnum(900008));
}

TEST_F(EnvironmentTest, MacrosExpandAndCollapse) {
    KeyedTable env;
    BuildEnvironment("/opt/Tools/sluice", env);
    const std::string tmp = folder_.PathOf("tmp/");
    const std::string desktop = folder_.PathOf("home/Desktop");
    struct Case {
        std::string stored;    // as in the settings file
        std::string expanded;  // in memory
    } roundTrips[] = {
        {"$ARGV0$/data", "/opt/Tools/data"},
        {"$ARGV0$Old/x", "/opt/ToolsOld/x"},
        {"$TEMPDIR$file.txt", tmp + "file.txt"},
        {"$DESKTOP$/Sluice.desktop", desktop + "/Sluice.desktop"},
        {"$ARGV0$ and $ARGV0$/表", "/opt/Tools and /opt/Tools/表"},
        {"$program$ $argv0$ plain", "$program$ $argv0$ plain"},
        {"", ""},
    };
    for (const Case& c : roundTrips) {
        EXPECT_EQ(c.expanded, ExpandMacros(c.stored, env)) << c.stored;
        EXPECT_EQ(c.stored, CollapseMacros(c.expanded, env)) << c.expanded;
    }
    struct OneWay {
        std::string text, expanded;
    } expansions[] = {
        {"$M_ARGV0_DIR/x", "/opt/Tools/x"},
        {"$WINDIR$\\x", "\\x"},
        {"$WINDRIVE$$PROGRAM$/x", "/x"},
        {"$ARGV0", "$ARGV0"},
        {"$HOME$/.config/srv/a.ini", folder_.PathOf("home/.config/srv/a.ini")},
    };
    for (const OneWay& c : expansions) EXPECT_EQ(c.expanded, ExpandMacros(c.text, env)) << c.text;
    // The home folder is expanded only: a settings value under it keeps its path.
    std::string underHome = folder_.PathOf("home/games/a.ini");
    EXPECT_EQ(underHome, CollapseMacros(underHome, env));
}

// A value that appears only from the trail byte of a double-byte character
// on is not a match: ア is 83 41.
TEST_F(EnvironmentTest, ReplacementStepsOverDoubleByteCharacters) {
    KeyedTable env;
    env.SetEnum(900008, "Ab");
    EXPECT_EQ("アb", CollapseMacros("アb", env));
    EXPECT_EQ("x$ARGV0$", CollapseMacros("xAb", env));
    EXPECT_EQ("ア$ARGV0$", CollapseMacros("アAb", env));
}

TEST_F(EnvironmentTest, SharedEnvironmentIsBuiltFromTheRunningProgram) {
    ResetEnvironmentForTests();
    const KeyedTable& env = SharedEnvironment();
    EXPECT_EQ(&glb_Environment, &env);
    EXPECT_EQ(platform::ProgramPath(), env.GetEnum(900002));
    EXPECT_STREQ("foundation_tests", env.GetEnum(900005));

    glb_Environment.SetEnum(900002, "kept");
    EXPECT_STREQ("kept", SharedEnvironment().GetEnum(900002));
    ResetEnvironmentForTests();
    EXPECT_EQ(0, glb_Environment.Count());
}

}  // namespace
