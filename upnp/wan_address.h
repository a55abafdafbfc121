// Asking the router for its external (WAN side) address.
#pragma once

#include <string>

// Sends GetExternalIPAddress to glb_ControlURL for glb_ServiceType. True when
// the router named a non-empty address, which is left in glb_WanIP; on a
// failed action glb_WanIP keeps its earlier value and, when explanation is
// given, it receives the router's error explained (empty when there was
// none).
bool GetWANIPAdrress(std::string* explanation = nullptr);
