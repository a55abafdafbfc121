#include "app/home_page.h"

#include "app/app_ui.h"

const char kNoHomePage[] = "このSluiceにはホームページが設定されていません";

void HomePageCommand(AppUi& ui, const std::string& homePage) {
    if (homePage.empty()) {
        ui.ShowMessage(kNoHomePage);
        return;
    }
    ui.OpenUrl(homePage);
}
