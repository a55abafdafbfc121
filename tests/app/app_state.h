// Every process-wide value of the program logic back at its start, for the
// tests that run the logic (with or without its windows).
#pragma once

#include "app/adapter_scan.h"
#include "app/command_line.h"
#include "app/main_ui.h"
#include "app/report_items.h"
#include "app/router_command.h"
#include "app/startup.h"
#include "app/watched_apps.h"
#include "defs/definition_list.h"
#include "defs/watch_table.h"
#include "foundation/environment.h"
#include "foundation/settings.h"
#include "foundation/trace.h"
#include "platform/termination.h"
#include "upnp/igd_session.h"
#include "upnp/port_mapping.h"

inline void ResetAppState() {
    ResetCommandLineForTests();
    ResetReportItemsForTests();
    ResetRouterCommandForTests();
    ResetMainUiForTests();
    ResetStartupForTests();
    ResetWatchForTests();
    ResetWatchTableForTests();
    ResetDefinitionListForTests();
    platform::ResetTerminationForTests();
    ResetAdapterScanForTests();
    ResetIgdSessionForTests();
    ResetPortMappingForTests();
    ResetSettingsForTests();
    ResetEnvironmentForTests();
    ResetTraceForTests();
}
