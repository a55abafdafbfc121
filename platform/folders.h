// Folders and names the system keeps for the user. All texts are CP932.
#pragma once

#include <string>

namespace platform {

// $TMPDIR or /tmp, with a trailing "/".
std::string TempFolder();

}  // namespace platform
