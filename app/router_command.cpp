#include "app/router_command.h"

#include "app/app_ui.h"

namespace {

// Router commands now running, the outer ones waiting for the inner.
int g_depth = 0;

}  // namespace

RouterCommandScope::RouterCommandScope(AppUi& ui) : ui_(ui) {
    ++g_depth;
    ui_.EnableMainWindow(false);
}

RouterCommandScope::~RouterCommandScope() {
    if (--g_depth == 0) ui_.EnableMainWindow(true);
}

bool RouterCommandRunning() {
    return g_depth > 0;
}

void ResetRouterCommandForTests() {
    g_depth = 0;
}
