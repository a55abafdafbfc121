#include "app/port_map_command.h"

#include "app/adapter_scan.h"
#include "app/app_ui.h"
#include "app/command_line.h"
#include "app/port_commands.h"
#include "app/port_map_list.h"
#include "app/router_command.h"
#include "app/settings_keys.h"
#include "foundation/settings.h"
#include "platform/system.h"
#include "upnp/igd_session.h"
#include "upnp/port_mapping.h"

namespace {

const char kNoMappings[] = "開放されたポートが存在しないか、取得エラーです";

bool RouterAvailable() {
    if (glb_IgdState == 0) UPnpInit();
    return glb_IgdState != -1;
}

// The number of mappings the router listed; -1 when no router was found.
int FetchMappings(AppUi& ui) {
    RouterCommandScope running(ui);
    return RouterAvailable() ? GetMappingEntries() : -1;
}

int CloseAllListed(AppUi& ui, PortMapList& list) {
    RouterCommandScope running(ui);
    return list.CloseAll();
}

}  // namespace

bool ShowAllMappings(AppUi& ui) {
    if (glb_Settings.GetInt(key::kAllPortView) == 1) return true;
    return ui.CtrlHeld() && platform::LoginName() == "root";
}

void PortMapCommand(AppUi& ui, MainFields& fields) {
    ui.ReadFields(fields);
    glb_Settings.Set(key::kDevice, fields.device);
    int fetched = FetchMappings(ui);
    if (fetched < 0) {
        EndBatchRun(ui, false);
        return;
    }
    if (fetched == 0) {
        if (IsBatchRun()) {
            EndBatchRun(ui, true);
        } else {
            ui.ShowMessage(kNoMappings);
        }
        return;
    }
    PortMapList list(ui);
    list.Load(glb_MappingEntries, glb_LocalAdapterIP, ShowAllMappings(ui));
    if (IsBatchRun()) {
        EndBatchRun(ui, CloseAllListed(ui, list) == 0);
        return;
    }
    ui.ShowPortMapWindow(list);
}
