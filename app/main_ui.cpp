#include "app/main_ui.h"

#include "app/app_ui.h"
#include "upnp/port_mapping.h"

AppUi* glb_MainUi = nullptr;

namespace {

void ShowProgress(const char* text) {
    if (glb_MainUi) glb_MainUi->SetStatusLine(text);
}

}  // namespace

void SetMainUi(AppUi* ui) {
    glb_MainUi = ui;
    SetStatusLineHook(ui ? ShowProgress : nullptr);
}

void ResetMainUiForTests() {
    SetMainUi(nullptr);
}
