// Adapter records for tests of the LAN address choice.
#pragma once

#include <cstdint>

#include "platform/adapters.h"

// A wired adapter with its address, its gateway and the time its lease was
// obtained.
inline platform::AdapterAddress Adapter(const char* address, const char* gateway,
                                        uint32_t obtained) {
    platform::AdapterAddress adapter;
    adapter.interfaceName = "eth";
    adapter.address = address;
    adapter.gateway = gateway;
    adapter.obtainedTime = obtained;
    return adapter;
}
