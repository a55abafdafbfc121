#include "app/port_map_command.h"

#include "app/adapter_scan.h"
#include "app/app_ui.h"
#include "app/command_line.h"
#include "app/port_commands.h"
#include "app/port_map_list.h"
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

}  // namespace

bool ShowAllMappings(AppUi& ui) {
    if (glb_Settings.GetInt(key::kAllPortView) == 1) return true;
    return ui.CtrlHeld() && platform::LoginName() == "root";
}

void PortMapCommand(AppUi& ui, MainFields& fields) {
    ui.ReadFields(fields);
    glb_Settings.Set(key::kDevice, fields.device);
    if (!RouterAvailable()) {
        EndBatchRun(ui, false);
        return;
    }
    if (GetMappingEntries() == 0) {
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
        EndBatchRun(ui, list.CloseAll() == 0);
        return;
    }
    ui.ShowPortMapWindow(list);
}
