// Reading one registry value, named by its root key ("HKEY_CURRENT_USER") and
// its path with the value name at the end ("Software\Vendor\Program\Port").
// The values come from the Wine prefix's registry files ($WINEPREFIX, else
// ~/.wine): system.reg for HKEY_LOCAL_MACHINE, user.reg for
// HKEY_CURRENT_USER, so that Windows server programs run under Wine are found.
#pragma once

#include <string>

constexpr unsigned kRegistryFailure = 0x80000000u;

// 0 on success, kRegistryFailure when the root, key or value does not exist.
// Both outputs are cleared first. text receives the data up to its first zero
// byte, number its first four bytes as a little-endian number, whatever the
// value's type.
unsigned ReadRegistryValue(const char* root, const char* valuePath, std::string* text, int* number);
