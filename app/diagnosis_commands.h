// The diagnosis buttons of the main window: ⑥ the router's WAN address, Copy
// (that address and ① on the clipboard, asking the Internet when the router
// has no global one), ⑫ the router's own web page and ⑮ the device search.
#pragma once

#include <string>

#include "app/main_fields.h"

class AppUi;

// The public page that echoes the caller's address.
extern const char kAddressEchoUrl[];
// The device search window's explanation below the listing.
extern const char kDeviceSearchNote[];

// ⑥ WAN IP (button 1009).
void WanIpCommand(AppUi& ui, MainFields& fields);
// Copy (button 1026).
void CopyCommand(AppUi& ui, MainFields& fields);
// ⑫ (button 1013): the router's web page in the default browser.
void RouterPageCommand(AppUi& ui);
// ⑮ device search (button 1024).
void DeviceSearchCommand(AppUi& ui, MainFields& fields);

// The caller's address as the address-echo page tells it; "" on any failure.
std::string ExternalAddressFromInternet();

// Aims the address-echo fetch elsewhere (tests use a page on loopback).
void SetAddressEchoUrlForTests(const std::string& url);
// Back to kAddressEchoUrl.
void ResetDiagnosisCommandsForTests();
