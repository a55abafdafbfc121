// Every process-wide value of the program logic back at its start, for the
// tests that run the logic (with or without its windows).
#pragma once

#include "app/adapter_scan.h"
#include "app/command_line.h"
#include "app/main_ui.h"
#include "app/report_items.h"
#include "app/startup.h"
#include "foundation/environment.h"
#include "foundation/settings.h"
#include "foundation/trace.h"
#include "porttest/port_open_test.h"
#include "porttest/test_server_list.h"
#include "upnp/igd_session.h"
#include "upnp/port_mapping.h"

inline void ResetAppState() {
    ResetCommandLineForTests();
    ResetReportItemsForTests();
    ResetMainUiForTests();
    ResetStartupForTests();
    ResetAdapterScanForTests();
    ResetIgdSessionForTests();
    ResetPortMappingForTests();
    ResetSettingsForTests();
    ResetEnvironmentForTests();
    ResetTraceForTests();
    ResetTestServerListForTests();
    ResetPortOpenTestForTests();
}
