// The adapter scan: which of this computer's network adapters serves the LAN,
// its address and its default gateway.
#pragma once

#include <string>
#include <vector>

#include "platform/adapters.h"

// The gateway of the adapter the last scan chose, else the first name server
// (usually the router itself), else "". Owned by adapter_scan.cpp.
extern std::string glb_GateWy;
// The address of the adapter the last scan chose; "" when none qualified.
extern std::string glb_LocalAdapterIP;

// Scans the system's adapters. Only adapters with a default gateway that does
// not begin with "0" take part. Without a router host (nullptr) the adapter
// with the newest lease is chosen; with one, the newest whose gateway equals
// it exactly. When none is chosen, glb_GateWy falls back to the first name
// server and glb_LocalAdapterIP stays empty.
void Get_glb_GateWy(const char* routerHost = nullptr);

// The same choice over a given adapter list and name server.
void ChooseAdapter(const std::vector<platform::AdapterAddress>& adapters,
                   const std::string& nameServer, const char* routerHost);

// Makes Get_glb_GateWy use this list and name server in place of the system's.
void SetAdaptersForTests(const std::vector<platform::AdapterAddress>& adapters,
                         const std::string& nameServer);
// Empties both values and goes back to the system's adapters.
void ResetAdapterScanForTests();
