// Finding and loading the window library: beside the program, or in the
// installed library folder (../lib/sluice/ in the usual layout) once
// installed; a library that cannot be loaded is reported in one line and the
// program goes on without windows.
#include "app/windows/window_library.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>

#include "platform/dynamic_library.h"
#include "tests/foundation/scratch_folder.h"

namespace {

TEST(WindowLibraryTest, BesideTheProgramFirstThenTheInstalledLibraryFolder) {
    const std::string beside = "prefix/bin/libsluice_gui.so";
    const std::string installed =
        std::string("prefix/bin/") + kInstalledWindowLibraryFolder + "libsluice_gui.so";
    struct Case {
        bool beside;
        bool installed;
        const std::string* found;  // below the scratch folder; nullptr for none
    };
    const Case cases[] = {
        {true, false, &beside},
        {false, true, &installed},
        {true, true, &beside},
        {false, false, nullptr},
    };
    for (const Case& c : cases) {
        ScratchFolder scratch;
        scratch.Write("prefix/bin/sluice", "");
        if (c.beside) scratch.Write(beside, "");
        if (c.installed) scratch.Write(installed, "");
        // A library beside the program's folder is not the program's.
        scratch.Write("prefix/libsluice_gui.so", "");
        std::string expected = c.found ? scratch.PathOf(*c.found) : "";
        EXPECT_EQ(expected, WindowLibraryPath(scratch.PathOf("prefix/bin/sluice")))
            << c.beside << c.installed;
    }
}

// Without the program's own path, a library in the current folder is never
// taken for the program's.
TEST(WindowLibraryTest, NothingIsLookedForWithoutTheProgramsAbsolutePath) {
    ScratchFolder scratch;
    scratch.Write("libsluice_gui.so", "");
    std::string current = std::filesystem::current_path();
    std::filesystem::current_path(scratch.Path());
    EXPECT_EQ("", WindowLibraryPath(""));
    EXPECT_EQ("", WindowLibraryPath("sluice"));
    EXPECT_EQ("", WindowLibraryPath("./sluice"));
    std::filesystem::current_path(current);
}

TEST(WindowLibraryTest, ABrokenLibraryGivesTheLoadersReason) {
    ScratchFolder scratch;
    scratch.Write("libsluice_gui.so", "not a library");
    std::string error;
    EXPECT_EQ(nullptr, platform::LibrarySymbol(scratch.PathOf("libsluice_gui.so"),
                                               "SluiceWindowsMain", &error));
    EXPECT_NE(std::string::npos, error.find(scratch.PathOf("libsluice_gui.so"))) << error;
}

// This test program has no window library beside it.
TEST(WindowLibraryTest, AMissingLibraryIsOneLineAndNoScreen) {
    std::ostringstream err;
    char program[] = "sluice";
    char* argv[] = {program, nullptr};
    EXPECT_EQ(kNoScreen, RunWindowLibrary(1, argv, err));
    EXPECT_EQ(std::string("sluice: cannot load the windows (libsluice_gui.so is neither beside "
                          "the program nor in ") +
                  kInstalledWindowLibraryFolder + "); going on without them\n",
              err.str());
}

}  // namespace
