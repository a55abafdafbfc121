#include "app/adapter_scan.h"

#include <cstdio>

#include "foundation/strlist.h"
#include "foundation/trace.h"

std::string glb_GateWy;
std::string glb_LocalAdapterIP;

namespace {

bool g_useGivenAdapters = false;
std::vector<platform::AdapterAddress> g_givenAdapters;
std::string g_givenNameServer;

// "%08x\t%s\t%s": lease-obtained time, gateway, address. The fixed-width
// hexadecimal time makes byte order the order from oldest to newest lease.
std::string AdapterRecord(const platform::AdapterAddress& adapter) {
    char time[16];
    std::snprintf(time, sizeof time, "%08x", static_cast<unsigned>(adapter.obtainedTime));
    return std::string(time) + "\t" + adapter.gateway + "\t" + adapter.address;
}

bool HasUsableGateway(const platform::AdapterAddress& adapter) {
    return !adapter.gateway.empty() && adapter.gateway[0] != '0';
}

// Sets glb_GateWy and glb_LocalAdapterIP from a record when its gateway
// matches the router host (or no host is given).
bool TakeRecord(const std::string& record, const char* routerHost) {
    size_t first = record.find('\t');
    size_t second = record.find('\t', first + 1);
    std::string gateway = record.substr(first + 1, second - first - 1);
    if (routerHost && gateway != routerHost) return false;
    glb_GateWy = gateway;
    glb_LocalAdapterIP = record.substr(second + 1);
    return true;
}

}  // namespace

void ChooseAdapter(const std::vector<platform::AdapterAddress>& adapters,
                   const std::string& nameServer, const char* routerHost) {
    glb_GateWy.clear();
    glb_LocalAdapterIP.clear();
    StrList records;
    for (const platform::AdapterAddress& adapter : adapters) {
        if (HasUsableGateway(adapter)) records.Add(AdapterRecord(adapter).c_str());
    }
    records.Sort();
    for (int index = records.Count() - 1; index >= 0; --index) {
        if (TakeRecord(records.GetAt(index), routerHost)) break;
    }
    if (glb_GateWy.empty()) glb_GateWy = nameServer;
}

void Get_glb_GateWy(const char* routerHost) {
    Trace("Get_glb_GateWy() S");
    if (g_useGivenAdapters) {
        ChooseAdapter(g_givenAdapters, g_givenNameServer, routerHost);
    } else {
        std::vector<platform::AdapterAddress> adapters;
        platform::ListAdapterAddresses(&adapters);
        ChooseAdapter(adapters, platform::FirstNameServer(), routerHost);
    }
    Trace("Get_glb_GateWy() E");
}

void SetAdaptersForTests(const std::vector<platform::AdapterAddress>& adapters,
                         const std::string& nameServer) {
    g_useGivenAdapters = true;
    g_givenAdapters = adapters;
    g_givenNameServer = nameServer;
}

void ResetAdapterScanForTests() {
    glb_GateWy.clear();
    glb_LocalAdapterIP.clear();
    g_useGivenAdapters = false;
    g_givenAdapters.clear();
    g_givenNameServer.clear();
}
