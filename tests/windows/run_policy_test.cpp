#include "app/windows/run_policy.h"

#include <gtest/gtest.h>

namespace {

TEST(RunPolicyTest, EitherDisplayVariableMeansADisplay) {
    EXPECT_FALSE(HasDisplay("", ""));
    EXPECT_TRUE(HasDisplay(":0", ""));
    EXPECT_TRUE(HasDisplay("", "wayland-0"));
    EXPECT_TRUE(HasDisplay(":1", "wayland-0"));
}

TEST(RunPolicyTest, QtTriesTheDisplaysPlatformsThenOffscreen) {
    EXPECT_EQ(QtPlatforms("", ""), "offscreen");
    EXPECT_EQ(QtPlatforms(":0", ""), "xcb;offscreen");
    EXPECT_EQ(QtPlatforms("", "wayland-0"), "wayland;offscreen");
    EXPECT_EQ(QtPlatforms(":0", "wayland-0"), "wayland;xcb;offscreen");
    EXPECT_TRUE(ShowsWindows("xcb"));
    EXPECT_TRUE(ShowsWindows("wayland"));
    EXPECT_FALSE(ShowsWindows("offscreen"));
    EXPECT_FALSE(ShowsWindows("minimal"));
}

TEST(RunPolicyTest, OnlyUnattendedSwitchesRunWithoutADisplay) {
    struct Case {
        std::vector<std::string> args;
        bool needsDisplay;
    };
    const Case cases[] = {
        {{}, true},
        {{"debug"}, true},
        {{"/wizard"}, true},
        {{"/hide"}, true},
        {{"8000"}, true},
        {{"/open", "8000", "TCP"}, false},
        {{"/OPEN_HIDE"}, false},
        {{"-close", "8000"}, false},
        {{"/closeall"}, false},
        {{"/setup"}, false},
        {{"/list_hide", "100"}, false},
        {{"/open_wizard"}, false},
        {{"", "/open"}, true},
        // Full-width letters fold to full-width small letters, never to ASCII.
        {{"／ｏｐｅｎ"}, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(NeedsDisplay(c.args), c.needsDisplay) << (c.args.empty() ? "" : c.args[0]);
    }
}

// Without a display only an interactive start may go on to watch servers;
// the wizard never does.
TEST(RunPolicyTest, WizardByTheFirstArgument) {
    EXPECT_TRUE(IsWizardRun({"/WIZARD"}));
    EXPECT_TRUE(IsWizardRun({"wizard_debug"}));
    EXPECT_FALSE(IsWizardRun({}));
    EXPECT_FALSE(IsWizardRun({"debug"}));
    EXPECT_FALSE(IsWizardRun({"8000", "wizard"}));
}

TEST(RunPolicyTest, HelpOnlyAsTheFirstArgument) {
    EXPECT_TRUE(IsHelpRequest({"--help"}));
    EXPECT_TRUE(IsHelpRequest({"-h", "/open"}));
    EXPECT_FALSE(IsHelpRequest({}));
    EXPECT_FALSE(IsHelpRequest({"/open", "8000", "TCP", "8000", "自動1", "--help"}));
    EXPECT_FALSE(IsHelpRequest({"--HELP"}));
    EXPECT_FALSE(IsHelpRequest({"-help"}));
}

}  // namespace
