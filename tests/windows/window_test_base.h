// The common ground of the window tests: every process-wide value of the
// program back at its start, a program folder of its own (so the settings
// file lands in a scratch folder), no network adapters (so the start-up asks
// no name server), and messages captured from the console output.
#pragma once

#include <gtest/gtest.h>

#include <sstream>

#include "app/adapter_scan.h"
#include "app/command_line.h"
#include "app/main_ui.h"
#include "app/report_items.h"
#include "app/startup.h"
#include "app/windows/console_messages.h"
#include "foundation/environment.h"
#include "foundation/pump.h"
#include "foundation/settings.h"
#include "foundation/trace.h"
#include "platform/clock.h"
#include "tests/app/app_state.h"
#include "tests/foundation/scratch_folder.h"
#include "upnp/igd_session.h"
#include "upnp/port_mapping.h"

inline void ResetProgramState() {
    ResetAppState();
    SetPumpHook(nullptr);
    platform::SetTickSourceForTests(nullptr);
}

class WindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetProgramState();
        BuildEnvironment(scratch_.PathOf("sluice").c_str(), glb_Environment);
        SetAdaptersForTests({}, "");
    }
    void TearDown() override { ResetProgramState(); }

    // The messages shown so far, as the console writes them (UTF-8).
    std::string Messages() const { return messages_.str(); }

    ScratchFolder scratch_;
    std::ostringstream messages_;
    std::istringstream answers_;
    ConsoleMessages console_{messages_, answers_, false};
};
