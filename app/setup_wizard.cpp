#include "app/setup_wizard.h"

#include <string>

#include "app/app_ui.h"
#include "app/shortcuts.h"
#include "defs/definition_file.h"
#include "defs/definition_list.h"
#include "defs/watch_table.h"
#include "foundation/environment.h"
#include "foundation/mbs.h"
#include "platform/system.h"

const char kWizardTitle[] = "Sluice - ⑬設定ウィザード";
const char kNoDefinitionFile[] =
    "Sluice.defが見つかりません(完全版をHPからダウンロードしてください)";
const char kPortNotFound[] =
    "ポート番号を取得できませんでした\r\n\r\n"
    "可能性１：サーバーアプリケーションが１度も実行されていない為、設定ファイルが存在しない\r\n"
    "→対策１：一度サーバーアプリケーションを実行し、設定ファイルを作成してください\r\n\r\n"
    "可能性２：非対応のサーバーアプリケーション\r\n"
    "→対策２：ポート番号を指定して手動で開放するか、Sluice.defを手動で編集してください\r\n"
    "※「更」ボタンで定義ファイルを更新すると対応できる可能性もあります";
const char kWizardShortcutMade[] = "デスクトップにショートカットを作成しました";

namespace {

constexpr int kProgramPathEntry = 900002;
constexpr int kDesktopEntry = 900010;

}  // namespace

void RunSetupWizard(AppUi& ui) {
    ShortcutMessage show = [&ui](const std::string& message) { ui.ShowMessage(message); };
    CreateStartShortcuts(show);
    BuildDefinitionList();
    if (!ui.AskOkCancel(glb_DefinitionList, kWizardTitle)) return;
    std::string chosen = ui.ChooseExistingFile();
    int slash = MbsFindLast(chosen.c_str(), "/");
    if (slash < 0) return;
    std::string folder = slash == 0 ? "/" : chosen.substr(0, slash);
    std::string name = chosen.substr(slash + 1);
    MbsCutLast(name, ".");
    platform::ChangeFolder(folder);
    if (CheckDef() == -1) {
        ui.ShowMessage(kNoDefinitionFile);
        return;
    }
    if (glb_WatchTable.count == 0) {
        ui.ShowMessage(kPortNotFound);
        return;
    }
    // An executable is no icon picture, so the launcher goes without one.
    const KeyedTable& env = SharedEnvironment();
    CreateShortCut(std::string(env.GetEnum(kDesktopEntry)) + "/" + name + " (UPnP).desktop",
                   env.GetEnum(kProgramPathEntry), {}, "", 0, folder, show);
    ui.ShowMessage(kWizardShortcutMade);
}
