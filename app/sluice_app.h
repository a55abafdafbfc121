// The program's logic behind the main window: start-up, the command line, the
// commands behind the buttons and the batch timers. It speaks to the window
// only through AppUi, so all of it runs in tests without a display.
#pragma once

#include <string>
#include <vector>

#include "app/app_ui.h"
#include "app/command_line.h"
#include "app/main_fields.h"

// Timer ids of the main window.
enum TimerId {
    kTimerBatchOpen = 1,
    kTimerBatchClose = 2,
    kTimerWatch = 3,
    kTimerBatchCloseAll = 4,
    kTimerFirstRun = 5,
    kTimerBatchList = 12,
};

// The delay of a batch timer.
constexpr int kBatchTimerDelayMs = 200;

// The title of the port-list help.
extern const char kPortHelpTitle[];
// The port-list help text (button 1016).
extern const char kPortHelpText[];

class SluiceApp {
  public:
    explicit SluiceApp(AppUi& ui);
    // The router's progress texts stop going to this window.
    ~SluiceApp();
    SluiceApp(const SluiceApp&) = delete;
    SluiceApp& operator=(const SluiceApp&) = delete;

    // The main window's start-up with the program's arguments (CP932, without
    // the program path). Returns the run kind it acted on: a setup or wizard
    // run has asked to end the process; a batch run has armed its timer;
    // otherwise the run is interactive, and the watch of the server programs
    // found in the current folder may have started.
    RunKind Startup(const std::vector<std::string>& args);

    // Button and control handlers.
    void OnOpen();           // ⑩ 1005
    void OnClose();          // ⑪ 1006
    void OnPortMap();        // ⑬ 1015
    void OnRadioTcp();       // 1020
    void OnRadioUdp();       // 1021
    void OnShortcutCheck();  // ⑦ 1007
    void OnTransportMode();  // combo 1018
    void OnAddressMode();    // combo 1019
    void OnPortHelp();       // 1016
    void OnWanIp();          // ⑥ 1009
    void OnCopy();           // 1026
    void OnRouterPage();     // ⑫ 1013
    void OnDeviceSearch();   // ⑮ 1024
    void OnHomePage();       // 1017
    void OnWizard();         // 1014
    void OnTimer(int id);
    // The session ends, or a signal asked the process to end: the watched
    // ports are closed and the process ends.
    void OnEndSession();
    // The watch of server programs has started (the window stays hidden).
    bool Watching() const;
    // The user closes the main window. Refused (false, nothing done) while a
    // router command runs: the window is disabled then, and the command's
    // end decides how the run ends.
    bool OnCloseWindow();

    AppUi& Ui() { return ui_; }
    const MainFields& Fields() const { return fields_; }

  private:
    void ChooseAddress();

    AppUi& ui_;
    MainFields fields_;
    int listCount_ = 0;  // the mappings a list run asks for
};
