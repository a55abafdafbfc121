// ⑨ the router information command: classifies the LAN, gateway and WAN
// addresses into the report's verdict texts and opens the router
// information window; and the first-run prompt (timer 5) that offers the
// port-open test through it.
#pragma once

#include <string>

#include "app/main_fields.h"

class AppUi;

// "グローバル　アドレス(" + the first 5 characters + "xxx)", so that a report
// posted publicly does not carry the whole address.
std::string MaskedAddress(const std::string& address);
// "プライベートアドレス(" + address + ")".
std::string PrivateAddress(const std::string& address);

// ⑨ (button 1011).
void RouterInfoCommand(AppUi& ui, MainFields& fields);
// Timer 5: asks whether to run the port-open test now; SetupTest becomes 0
// and the settings are saved whatever the answer.
void FirstRunPrompt(AppUi& ui, MainFields& fields);
