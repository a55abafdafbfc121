// The status line text that tells the state of the port-open test.
#pragma once

#include <string>

// From SetupTest: 0 or 9 not run, 1 passed, -1 failed, "？？？？" otherwise.
std::string PortTestStatusText();
