// The LAN address choice: the address of this computer that a port mapping
// names, chosen by the address mode IP取得 (0 fixed IPADDR, 1 the computer's
// own name, 2 the adapter with the newest lease, 3 the adapter whose gateway
// is the router).
#pragma once

#include <string>

// Runs the adapter scan (glb_GateWy and glb_LocalAdapterIP belong to this
// choice afterwards) and returns the address to use; given is the caller's
// current address, taken when the mode is not 0-3 and it is a usable address.
// Mode 3 starts the router session when it has not been tried. When modes 2
// or 3 find no adapter, IP取得 becomes "1" for good and the computer's own
// address is used. Always returns an address ("127.0.0.1" at worst).
std::string ChooseLanAddress(const std::string& given);
