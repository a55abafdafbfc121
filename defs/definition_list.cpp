#include "defs/definition_list.h"

#include "defs/definition_file.h"
#include "foundation/mbs.h"
#include "foundation/sysinfo.h"

std::string glb_DefinitionList;

namespace {

const char kHeader[] =
    "サーバーアプリケーションを指定してください\r\n"
    "※ポート番号を指定して手動開放する場合は【キャンセル】を押してください\r\n\r\n"
    "------------------------------------------------------------\r\n"
    "【対応ソフト(Sluice.def)】\r\n";
const char kFooter[] =
    "\r\n------------------------------------------------------------\r\n\r\n"
    "※「更」ボタンで最新の定義が取得できる場合があります";

constexpr size_t kLineWidth = 60;

}  // namespace

int BuildDefinitionList() {
    std::string file = LocateDefinitionFile();
    if (!FileExists(file.c_str())) {
        glb_DefinitionList.clear();
        return -1;
    }
    std::string text = kHeader;
    size_t width = 0;
    ForEachDefinition(file, [&text, &width](const StrList& fields) {
        std::string name = fields.GetAt(kDefName);
        std::string program = fields.GetAt(kDefProgram);
        if (name.empty()) {
            name = program;
            program = "-";
        }
        if (++width >= kLineWidth) {
            text += "\r\n";
            width = 0;
        }
        std::string item = "●" + name + "[" + program + "] ";
        if (MbsFind(text.c_str(), item.c_str())) return;
        text += item;
        width += item.size();
    });
    glb_DefinitionList = text + kFooter;
    return 0;
}

void ResetDefinitionListForTests() {
    glb_DefinitionList.clear();
}
