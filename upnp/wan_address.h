// Asking the router for its external (WAN side) address.
#pragma once

// Sends GetExternalIPAddress to glb_ControlURL for glb_ServiceType. True when
// the router named a non-empty address, which is left in glb_WanIP; on a
// failed action glb_WanIP keeps its earlier value.
bool GetWANIPAdrress();
