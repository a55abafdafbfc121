// The IGD session record: the program's single link to the router whose WAN
// connection service every port-mapping action is sent to.
#pragma once

#include <string>

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

// Back to the state at program start.
void ResetIgdSessionForTests();
