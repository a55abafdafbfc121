// The program's entry: the command line, then the windows when there is a
// display to show them on, and the console otherwise (or when the windows
// cannot be loaded or find no screen). Qt is loaded only with the windows.
#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include "app/console/console_run.h"
#include "app/windows/run_policy.h"
#include "app/windows/usage.h"
#include "app/windows/window_library.h"
#include "platform/charset.h"

namespace {

constexpr int kExitHelp = 0;

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args = ProgramArguments(argc, argv);
    if (IsHelpRequest(args)) {
        std::cout << platform::Cp932ToUtf8(UsageText()) << std::flush;
        return kExitHelp;
    }
    if (HasDisplay()) {
        int code = RunWindowLibrary(argc, argv, std::cerr);
        if (code != kNoScreen) return code;
    }
    return RunOnConsole(args, {std::cout, std::cerr, std::cin, isatty(STDIN_FILENO) == 1});
}
