// The folder-choosing dialog. It is Qt's, in a companion library
// (libsluice-folder-dialog.so) loaded from the folder of the module that
// holds this code on the first call, so that nothing here links Qt and a
// program that never asks for a folder never loads it.
#pragma once

#include <string>

namespace platform {

// The file name of the companion library.
constexpr const char* kFolderDialogLibrary = "libsluice-folder-dialog.so";

// Shows the dialog, owned by the X11 window owner when it is not 0, with the
// title and, when initial is not empty, that folder selected. Texts are CP932.
// True with path set when the user chose a folder whose path has a CP932 form;
// false when the user cancelled or there is no dialog to show (no display, a
// caller's Qt application without widgets, or a call off its GUI thread).
// When the companion library cannot be loaded, one line on standard error
// says why.
bool ChooseFolder(unsigned long owner, const std::string& initial, const std::string& title,
                  std::string* path);

}  // namespace platform
