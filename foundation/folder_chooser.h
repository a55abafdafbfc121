// Asking the user for a folder, for other programs. C linkage: libsluice.so
// exports it by this name.
#pragma once

#include <cstdint>

// The title the dialog shows when the caller gives none.
constexpr const char* kFolderChooserTitle = "フォルダを選択してください";

// Shows the folder dialog, owned by the X11 window owner when it is not 0,
// with initial (CP932, optional) selected and title (CP932; the default title
// when missing or empty). 1 when a folder was chosen: its CP932 path is in
// buffer, cut to size - 1 bytes at a character boundary and terminated. 2
// when the user cancelled, the folder's path has no CP932 form, there is no
// dialog to show, or buffer is missing or size is 0; buffer is unchanged then.
extern "C" int32_t GetOpenFolderName(unsigned long owner, const char* initial, char* buffer,
                                     uint32_t size, const char* title);
