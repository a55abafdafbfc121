#include "foundation/folder_chooser.h"

#include <cstring>
#include <string>

#include "foundation/keyed_table.h"
#include "platform/folder_dialog.h"

namespace {
constexpr int32_t kChosen = 1;
constexpr int32_t kNotChosen = 2;
}  // namespace

int32_t GetOpenFolderName(unsigned long owner, const char* initial, char* buffer, uint32_t size,
                          const char* title) {
    if (!buffer || size == 0) return kNotChosen;
    std::string path;
    if (!platform::ChooseFolder(owner, initial ? initial : "",
                                title && *title ? title : kFolderChooserTitle, &path)) {
        return kNotChosen;
    }
    std::string text = CutAtCharBoundary(path, size - 1);
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return kChosen;
}
