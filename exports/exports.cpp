// The exported functions live in their layers; referring to each here pulls it
// out of the static libraries into libsluice.so, whose version script then
// exports exactly these names.
#include "foundation/sysinfo.h"

namespace {
using SpecialFolderFunction = int (*)(char*, int);
[[gnu::used]] const SpecialFolderFunction kSpecialFolder = &m_GetSpecialFolderLocation;
}  // namespace
