// A program folder of its own for the definition tests: the program is
// "sluice" in a scratch folder, so its definition file is "sluice.def" there,
// and the current folder is a server folder below it for the test's length.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "defs/definition_list.h"
#include "defs/watch_table.h"
#include "foundation/environment.h"
#include "foundation/trace.h"
#include "platform/system.h"
#include "tests/foundation/scratch_folder.h"

class DefsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetEnvironmentForTests();
        ResetWatchTableForTests();
        ResetDefinitionListForTests();
        BuildEnvironment(scratch_.PathOf("sluice").c_str(), glb_Environment);
        saved_ = platform::CurrentFolder();
        scratch_.Write("server/.keep", "");
        ASSERT_EQ(0, chdir(scratch_.PathOf("server").c_str()));
    }
    void TearDown() override {
        EXPECT_EQ(0, chdir(saved_.c_str()));
        ResetEnvironmentForTests();
        ResetWatchTableForTests();
        ResetDefinitionListForTests();
        ResetTraceForTests();
    }

    // Writes the definition file beside the program.
    void WriteDefinitions(const std::string& text) { scratch_.Write("sluice.def", text); }
    // Writes a file into the server folder (the current folder).
    void WriteServerFile(const std::string& name, const std::string& text) {
        scratch_.Write("server/" + name, text);
    }

    ScratchFolder scratch_;
    ScopedEnv home_{"HOME", scratch_.PathOf("home").c_str()};
    std::string saved_;
};
