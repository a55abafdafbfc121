#include "upnp/port_mapping.h"

#include <cstdlib>

#include "foundation/pump.h"
#include "foundation/trace.h"
#include "upnp/igd_session.h"
#include "upnp/soap_fault.h"
#include "upnp/soap_request.h"

StrList glb_MappingEntries;

namespace {

constexpr int kSuccess = 200;
constexpr int kPortsPerCall = 10;
constexpr int kPauseBeforeItemMs = 100;
constexpr int kMessagesPerPort = 100;

constexpr char kGetEntry[] = "GetGenericPortMappingEntry";
const char* const kEntryFields[] = {
    "NewRemoteHost",
    "NewExternalPort",
    "NewProtocol",
    "NewInternalPort",
    "NewInternalClient",
    "NewEnabled",
    "NewPortMappingDescription",
    "NewLeaseDuration",
};

StatusLineHook g_statusLineHook = nullptr;

void ShowStatus(const std::string& text) {
    if (g_statusLineHook) g_statusLineHook(text.c_str());
}

// Runs UPnpInit when the session was never tried; false when it failed.
bool SessionAvailable() {
    if (glb_IgdState == 0) UPnpInit();
    return glb_IgdState != -1;
}

// One list item: a port or "low-high"; a high end below the low end (or
// missing) makes the single port low. Numbers read the way atol reads them.
struct PortRange {
    long low;
    long high;
};

PortRange ReadRange(const char* item) {
    StrList ends(item, "-");
    PortRange range{std::atol(ends.GetAt(0)), std::atol(ends.GetAt(1))};
    if (range.high < range.low) range.high = range.low;
    return range;
}

std::string MappingDescription(const std::string& prefix, long port, const std::string& protocol) {
    std::string description = prefix + std::to_string(port);
    if (!protocol.empty()) description += protocol[0];
    return description;
}

std::string MappingRecord(const SoapRequest& request) {
    std::string record = request.GetResponseValue(kEntryFields[0]);
    for (size_t i = 1; i < sizeof kEntryFields / sizeof kEntryFields[0]; ++i) {
        record += '\t' + request.GetResponseValue(kEntryFields[i]);
    }
    return record;
}

}  // namespace

void SetStatusLineHook(StatusLineHook hook) {
    g_statusLineHook = hook;
}

int _AddPortMapping(const std::string& wanPort, const std::string& protocol,
                    const std::string& lanPort, const std::string& lanAddress,
                    const std::string& description) {
    Trace("_AddPortMapping() S");
    if (!SessionAvailable()) return -1;
    Trace("_AddPortMapping() Send() C");
    SoapRequest request(glb_ServiceType, "AddPortMapping");
    request.AddArgument("NewRemoteHost", "", "string");
    request.AddArgument("NewExternalPort", wanPort, "ui2");
    request.AddArgument("NewProtocol", protocol, "string");
    request.AddArgument("NewInternalPort", lanPort, "ui2");
    request.AddArgument("NewInternalClient", lanAddress, "string");
    request.AddArgument("NewEnabled", "1", "ui2");
    request.AddArgument("NewPortMappingDescription", description, "string");
    request.AddArgument("NewLeaseDuration", "0", "ui2");
    if (request.Invoke(glb_ControlURL) != kSuccess) {
        glb_IgdMessage = "AddPortMappingエラー(" + glb_ControlURL + ")" +
                         FaultExplanation(request.ResponseText());
        Trace("_AddPortMapping() ControlURL Invoke error");
        return -2;
    }
    glb_IgdMessage = "AddPortMapping成功(" + glb_ControlURL + "," + wanPort + ")";
    Trace("_AddPortMapping() E AddPortMapping OK");
    return 0;
}

int AddPortMapping(const std::string& wanPorts, const std::string& protocol,
                   const std::string& lanPorts, const std::string& lanAddress,
                   const std::string& descriptionPrefix) {
    ShowStatus(wanPorts + "(" + protocol + ") Open...");
    Trace("AddPortMapping() S");
    StrList wanItems(wanPorts.c_str(), ",");
    StrList lanItems(lanPorts.c_str(), ",");
    if (wanItems.Count() == 0) {
        Trace("AddPortMapping() E");
        return -1;
    }
    int result = -1;
    int count = 0;
    for (int i = 0; i < wanItems.Count(); ++i) {
        PumpSleep(kPauseBeforeItemMs);
        PortRange wan = ReadRange(wanItems.GetAt(i));
        PortRange lan = ReadRange(lanItems.GetAt(i));
        long lanPort = lan.low;
        for (long port = wan.low;; ++port) {
            PumpMessages(kMessagesPerPort);
            result =
                _AddPortMapping(std::to_string(port), protocol, std::to_string(lanPort), lanAddress,
                                MappingDescription(descriptionPrefix, port, protocol));
            if (result != 0 || ++count >= kPortsPerCall) return result;
            if (port >= wan.high) break;
            lanPort = lanPort >= lan.high ? lan.low : lanPort + 1;
        }
    }
    Trace("AddPortMapping() E");
    return result;
}

int _DeletePortMapping(const std::string& wanPort, const std::string& protocol) {
    Trace("DeletePortMapping() S");
    if (!SessionAvailable()) return -1;
    SoapRequest request(glb_ServiceType, "DeletePortMapping");
    request.AddArgument("NewRemoteHost", "", "string");
    request.AddArgument("NewExternalPort", wanPort, "ui2");
    request.AddArgument("NewProtocol", protocol, "string");
    if (request.Invoke(glb_ControlURL) != kSuccess) {
        glb_IgdMessage = "DeletePortMappingエラー(" + glb_ControlURL + ")" +
                         FaultExplanation(request.ResponseText());
        return -1;
    }
    glb_IgdMessage = "DeletePortMapping成功(" + glb_ControlURL + "," + wanPort + ")";
    Trace("DeletePortMapping() E");
    return 0;
}

int DeletePortMapping(const std::string& wanPorts, const std::string& protocol) {
    ShowStatus(wanPorts + "(" + protocol + ") Close...");
    Trace("DeletePortMapping() S");
    StrList items(wanPorts.c_str(), ",");
    int result = -1;
    int count = 0;
    for (int i = 0; i < items.Count(); ++i) {
        PumpSleep(kPauseBeforeItemMs);
        PortRange range = ReadRange(items.GetAt(i));
        for (long port = range.low;; ++port) {
            result = _DeletePortMapping(std::to_string(port), protocol);
            if (++count >= kPortsPerCall || port >= range.high) break;
        }
    }
    Trace("DeletePortMapping() E");
    return result;
}

int GetMappingEntries(int limit) {
    Trace("GetMappingEntries() S");
    glb_MappingEntries.Clear();
    int count = 0;
    if (SessionAvailable()) {
        SoapRequest request(glb_ServiceType, kGetEntry);
        for (int index = 0; count < limit; ++index) {
            PumpSleep(kPauseBeforeItemMs);
            request.ClearArguments();
            request.SetAction(glb_ServiceType, kGetEntry);
            request.AddArgument("NewPortMappingIndex", std::to_string(index), "ui2");
            if (request.Invoke(glb_ControlURL) != kSuccess) break;
            glb_MappingEntries.Add(MappingRecord(request).c_str());
            ++count;
        }
    }
    Trace("GetMappingEntries() E Entries Cnt=", "", count);
    return count;
}

void ResetPortMappingForTests() {
    glb_MappingEntries.Clear();
    g_statusLineHook = nullptr;
}
