#include "app/command_line.h"

#include "app/settings_keys.h"
#include "foundation/mbs.h"
#include "foundation/settings.h"
#include "foundation/trace.h"

std::string glb_SwitchText;

namespace {

enum Position { kSwitch = 0, kWanPorts, kProtocol, kLanPorts, kLanAddress, kComment };

// Position 5: an address mode word, or a fixed address.
void ApplyLanAddress(const std::string& value, MainFields& fields) {
    fields.lanIp = value;
    int mode = 0;
    if (value == "localhost" || value == "自動1") {
        mode = 1;
    } else if (value == "自動2") {
        mode = 2;
    } else if (value == "自動3") {
        mode = 3;
    } else {
        glb_Settings.Set(key::kFixedAddress, value);
    }
    glb_Settings.SetInt(key::kAddressMode, mode);
    fields.addressMode = mode;
}

struct SwitchWord {
    const char* word;
    RunKind kind;
};

// In the order they are tested: "open" before the others, "closeall" before
// "close", the mapping list after them.
const SwitchWord kSwitchWords[] = {
    {"open", RunKind::kOpen},
    {"closeall", RunKind::kCloseAll},
    {"close", RunKind::kClose},
    {"list", RunKind::kList},
    {"wizard", RunKind::kWizard},
};

}  // namespace

bool SwitchHas(const char* word) {
    return MbsFind(glb_SwitchText.c_str(), word) != nullptr;
}

bool IsBatchRun() {
    return !glb_SwitchText.empty();
}

void SetProtocolFromText(const std::string& text, MainFields& fields) {
    glb_Settings.Set(key::kProtocol, text);
    if (text == "TCP") {
        fields.protocol = kProtocolTcp;
    } else if (text == "UDP") {
        fields.protocol = kProtocolUdp;
    } else {
        fields.protocol = kProtocolNone;
    }
}

void ApplyCommandLine(const std::vector<std::string>& args, MainFields& fields) {
    const size_t count = args.size();
    if (count > kSwitch) {
        glb_SwitchText = MbsLower(args[kSwitch]);
        if (SwitchHas("debug")) glb_DebugFlag = 1;
    }
    if (count > kWanPorts) {
        fields.wanPort = args[kWanPorts];
        fields.lanPort = args[kWanPorts];
    }
    if (count > kProtocol) SetProtocolFromText(args[kProtocol], fields);
    if (count > kLanPorts) fields.lanPort = args[kLanPorts];
    if (count > kLanAddress) ApplyLanAddress(args[kLanAddress], fields);
    if (count > kComment) fields.comment = args[kComment];
}

RunKind ChooseRun(bool offerFirstRun) {
    if (SwitchHas("setup")) return RunKind::kSetup;
    if (offerFirstRun && glb_Settings.GetInt(key::kSetupTest) == 9) return RunKind::kFirstRun;
    for (const SwitchWord& entry : kSwitchWords) {
        if (SwitchHas(entry.word)) return entry.kind;
    }
    return RunKind::kInteractive;
}

void ResetCommandLineForTests() {
    glb_SwitchText.clear();
}
