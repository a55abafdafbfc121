// The home-page button (1017): the project's home page in the default browser.
#pragma once

#include <string>

class AppUi;

// Shown when the program was built without a home page.
extern const char kNoHomePage[];

// Opens homePage in the browser; when it is empty, says so in a message.
void HomePageCommand(AppUi& ui, const std::string& homePage);
