// The exported functions live in their layers; referring to each here pulls it
// out of the static libraries into libsluice.so, whose version script then
// exports exactly these names. The public header is included beside the
// layers' own declarations, so that the compiler checks they agree.
#include "exports/sluice.h"
#include "foundation/folder_chooser.h"
#include "foundation/sysinfo.h"
#include "net/network_time.h"

namespace {
[[gnu::used]] const decltype(&m_GetSpecialFolderLocation) kSpecialFolder =
    &m_GetSpecialFolderLocation;
[[gnu::used]] const decltype(&GetOpenFolderName) kFolderChooser = &GetOpenFolderName;
[[gnu::used]] const decltype(&InetHttpTime) kHttpTime = &InetHttpTime;
[[gnu::used]] const decltype(&InetSNTP) kSntp = &InetSNTP;
}  // namespace
