// The setup wizard: the user picks a server program, its port is looked up
// through the definition file, and a launcher named after the program is put
// on the desktop. The launcher starts this program in the server's folder,
// where the interactive start finds the same records, opens the ports,
// starts the server and watches it.
#pragma once

class AppUi;

extern const char kWizardTitle[];       // "Sluice - ⑬設定ウィザード"
extern const char kNoDefinitionFile[];  // "Sluice.defが見つかりません(...)"
extern const char kPortNotFound[];      // "ポート番号を取得できませんでした..."
extern const char kWizardShortcutMade[];  // "デスクトップにショートカットを作成しました"

// Runs the wizard. Afterwards the current folder is the chosen program's
// folder and the watch table holds what the lookup found there.
void RunSetupWizard(AppUi& ui);
