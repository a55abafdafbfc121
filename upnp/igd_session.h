// The IGD session record: the program's single link to the router whose WAN
// connection service every port-mapping action is sent to. UPnpInit finds
// that router once, by SSDP search, device description and WAN address
// query; SearchDevices lists every device that answers the same search.
#pragma once

#include <cstdint>
#include <string>

#include "upnp/ssdp_searcher.h"

// 0 = not tried yet, 1 = router ready, -1 = the last attempt failed.
extern int glb_IgdState;
// Status or error text of the last router operation, shown by the callers.
extern std::string glb_IgdMessage;
// Absolute control URL of the router's WAN connection service.
extern std::string glb_ControlURL;
// That service's type, as the router's SSDP answer named it.
extern std::string glb_ServiceType;
// The router's external address, left by GetWANIPAdrress.
extern std::string glb_WanIP;
// Tick count of the last repeated search pair; 0 until the first CheckRooter.
extern uint32_t glb_LastSearchTick;
// The listing SearchDevices builds, CR LF lines.
extern std::string glb_DeviceListText;
// The uuid SearchDevices proposes as the device designation, or "".
extern std::string glb_ChosenDevice;

// The device designation: free text that a device's SSDP answer must contain.
constexpr char kDeviceDesignationKey[] = "//ini/設定/SIKIBETU";

// CheckRooter results.
enum CheckRooterResult {
    kRouterAccepted = 0,
    kNothingToActOn = 1,
    kReceiveError = -1001,
    kNoControlUrl = -1002,
    kNoWanAddress = -1003,
};

// Establishes the session: searches, then examines the answers for at most
// 3000 ms of polling steps, and ends within 20 s of wall-clock time. Leaves
// glb_IgdState 1 with the router values, or -1 with the reason in
// glb_IgdMessage; while it runs glb_IgdState is -1. Started inside a running
// UPnpInit or SearchDevices (by a handler during a pause) it does nothing and
// leaves glb_IgdState to the running one.
void UPnpInit();

// Examines the next waiting SSDP answer (the session's searcher must be open)
// and returns one of CheckRooterResult. Repeats the search pair when 1600 ms
// have passed since the last one. A LOCATION already examined since the
// running UPnpInit or SearchDevices began is passed over (1).
int CheckRooter();

// Lists every device that answers the search in glb_DeviceListText and
// proposes the one with a global WAN address in glb_ChosenDevice; the same cap
// and the same refusal to nest as UPnpInit.
void SearchDevices();

// The session's searcher, opened and closed by UPnpInit and SearchDevices.
SsdpSearcher& SessionSearcher();
// Aims the session's searcher elsewhere (tests use a socket on loopback);
// ResetIgdSessionForTests goes back to the SSDP group.
void SetSessionSsdpTargetForTests(const SsdpTarget& target);

// Back to the state at program start, searcher included.
void ResetIgdSessionForTests();
