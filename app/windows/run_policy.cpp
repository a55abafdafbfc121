#include "app/windows/run_policy.h"

#include "app/watched_apps.h"
#include "foundation/mbs.h"
#include "platform/charset.h"
#include "platform/system.h"

bool HasDisplay(const std::string& display, const std::string& waylandDisplay) {
    return !display.empty() || !waylandDisplay.empty();
}

bool HasDisplay() {
    return HasDisplay(platform::EnvironmentValue("DISPLAY"),
                      platform::EnvironmentValue("WAYLAND_DISPLAY"));
}

std::string QtPlatforms(const std::string& display, const std::string& waylandDisplay) {
    std::string platforms;
    if (!waylandDisplay.empty()) platforms += "wayland;";
    if (!display.empty()) platforms += "xcb;";
    return platforms + "offscreen";
}

bool ShowsWindows(const std::string& qtPlatformName) {
    return qtPlatformName != "offscreen" && qtPlatformName != "minimal";
}

bool NeedsDisplay(const std::vector<std::string>& args) {
    if (args.empty()) return true;
    std::string switchText = MbsLower(args[0]);
    for (const char* word : {"setup", "open", "close", "list", "porttest"}) {
        if (MbsFind(switchText.c_str(), word)) return false;
    }
    return true;
}

bool IsWizardRun(const std::vector<std::string>& args) {
    return !args.empty() && MbsFind(MbsLower(args[0]).c_str(), "wizard") != nullptr;
}

bool RunsWithoutDisplay(const std::vector<std::string>& args) {
    return !NeedsDisplay(args) || (!IsWizardRun(args) && FindWatchedPrograms());
}

bool IsHelpRequest(const std::vector<std::string>& args) {
    return !args.empty() && (args[0] == "--help" || args[0] == "-h");
}

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.push_back(platform::Utf8ToCp932(argv[i]));
    return args;
}
