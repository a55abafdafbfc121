#include "app/lan_address.h"

#include "app/adapter_scan.h"
#include "app/settings_keys.h"
#include "foundation/settings.h"
#include "upnp/device_description.h"
#include "upnp/igd_session.h"
#include "upnp/local_address.h"

namespace {

constexpr int kModeFixed = 0;
constexpr int kModeOwnName = 1;
constexpr int kModeNewestLease = 2;
constexpr int kModeRouterGateway = 3;

int AddressMode() {
    return glb_Settings.GetInt(key::kAddressMode);
}

void FallBackToOwnName() {
    glb_Settings.SetInt(key::kAddressMode, kModeOwnName);
}

// The adapter whose gateway is the router's host, once the router is known.
bool RouterAdapter(std::string* address) {
    if (glb_IgdState == 0) UPnpInit();
    if (glb_IgdState == -1) return false;
    Get_glb_GateWy(glb_RouterHost.c_str());
    *address = glb_LocalAdapterIP;
    return !address->empty();
}

std::string OwnAddress() {
    std::string address;
    GetLocalIP(&address);
    return address;
}

bool Usable(const std::string& candidate) {
    return !candidate.empty() && candidate != "localhost" &&
           ClassifyAddress(candidate) != kAddressNotIpv4;
}

}  // namespace

std::string ChooseLanAddress(const std::string& given) {
    std::string address;
    if (AddressMode() == kModeRouterGateway) {
        if (RouterAdapter(&address)) return address;
        FallBackToOwnName();
    }
    Get_glb_GateWy();
    if (AddressMode() == kModeNewestLease) {
        if (!glb_LocalAdapterIP.empty()) return glb_LocalAdapterIP;
        FallBackToOwnName();
    }
    int mode = AddressMode();
    if (mode == kModeOwnName) return OwnAddress();
    std::string candidate = mode == kModeFixed ? glb_Settings.Get(key::kFixedAddress) : given;
    return Usable(candidate) ? candidate : OwnAddress();
}
