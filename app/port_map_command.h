// The PortMap command (button ⑬, batch timer 4): fetches the router's
// mappings and shows them in the list window, or, in a batch run, deletes
// every listed one and ends the process.
#pragma once

#include "app/main_fields.h"

class AppUi;

// Every host's mappings are listed when AllPortView is 1, or when the Ctrl
// key is held by a user with the rights to see them (running as root).
bool ShowAllMappings(AppUi& ui);

void PortMapCommand(AppUi& ui, MainFields& fields);
