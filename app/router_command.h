// The main window is disabled while a router command runs. Router waits keep
// dispatching window events, so an enabled window would let a second click
// start a second command inside the first, and a close end the process in
// the middle of one.
#pragma once

class AppUi;

// Disables the main window for its lifetime. A timer can still run a command
// inside another, so the window comes back only when the outermost ends.
class RouterCommandScope {
  public:
    explicit RouterCommandScope(AppUi& ui);
    ~RouterCommandScope();
    RouterCommandScope(const RouterCommandScope&) = delete;
    RouterCommandScope& operator=(const RouterCommandScope&) = delete;

  private:
    AppUi& ui_;
};

// True while a router command runs.
bool RouterCommandRunning();

// No command running, as at program start.
void ResetRouterCommandForTests();
