#include "app/list_command.h"

#include "app/app_ui.h"
#include "app/command_line.h"
#include "app/port_commands.h"
#include "app/settings_keys.h"
#include "app/sluice_app.h"
#include "foundation/settings.h"
#include "foundation/strlist.h"
#include "foundation/trace.h"
#include "upnp/igd_session.h"
#include "upnp/port_mapping.h"

namespace {

const char kCountInvalid[] = "一覧の件数は1から1000の数で指定してください";

// Positions of the fields in a mapping record, in the order a list line
// shows them.
enum RecordField {
    kExternalPort = 1,
    kProtocol = 2,
    kInternalPort = 3,
    kInternalClient = 4,
    kEnabled = 5,
    kDescription = 6,
    kLease = 7,
};
const RecordField kLineFields[] = {kExternalPort, kProtocol,    kInternalClient, kInternalPort,
                                   kEnabled,      kDescription, kLease};

// Bytes below 0x20 and DEL are never part of a CP932 double-byte character,
// so they can go one by one.
std::string WithoutControls(const char* text) {
    std::string clean;
    for (const char* p = text; *p; ++p) {
        unsigned char byte = static_cast<unsigned char>(*p);
        if (byte >= 0x20 && byte != 0x7F) clean.push_back(*p);
    }
    return clean;
}

bool RouterAvailable() {
    if (glb_IgdState == 0) UPnpInit();
    return glb_IgdState != -1;
}

void Fail(AppUi& ui, const std::string& message, bool always) {
    if (always || glb_Settings.GetInt(key::kMessageOff) == 0) ui.ShowMessage(message);
    EndBatchRun(ui, false);
}

}  // namespace

int ListCount(const std::vector<std::string>& args) {
    if (args.size() < 2) return kListDefaultCount;
    const std::string& text = args[1];
    if (text.empty()) return 0;
    long count = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return 0;
        if (count <= kListMaxCount) count = count * 10 + (c - '0');
    }
    if (count > kListMaxCount) return kListMaxCount;
    return static_cast<int>(count);
}

std::string ListLine(const std::string& record) {
    StrList fields(record.c_str(), "\t");
    std::string line;
    for (RecordField field : kLineFields) {
        if (field != kLineFields[0]) line += '\t';
        line += WithoutControls(fields.GetAt(field));
    }
    return line + "\n";
}

void RunListTimer(AppUi& ui, int count) {
    ui.StopTimer(kTimerBatchList);
    if (SwitchHas("hide")) {
        ui.HideMainWindow();
    } else {
        ui.EnableMainWindow(false);
        ui.ShowBusyPanel("List....", "");
        ui.SetStatusLine("Port List....");
    }
    ListCommand(ui, count);
}

void ListCommand(AppUi& ui, int count) {
    Trace("ListCommand() S", "", count);
    if (count < 1) {
        Fail(ui, kCountInvalid, true);
        return;
    }
    if (!RouterAvailable()) {
        Fail(ui, std::string(kRouterNotFound) + "\r\n" + glb_IgdMessage, false);
        return;
    }
    int read = GetMappingEntries(count);
    std::string text;
    for (int i = 0; i < read; ++i) text += ListLine(glb_MappingEntries.GetAt(i));
    ui.WriteOutput(text);
    Trace("ListCommand() E", "", read);
    EndBatchRun(ui, true);
}
