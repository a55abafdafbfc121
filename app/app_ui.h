// What the program's commands need of the windows. The Qt main window
// implements it, and so does the console for a run without a display
// (ConsoleAppUi); tests implement it with a recorder, so every command runs
// without a display.
#pragma once

#include <string>

#include "app/main_fields.h"

class PortMapList;
class RouterInfo;

class AppUi {
  public:
    virtual ~AppUi() = default;

    // Copies the controls into fields ("read the fields") and back ("show the fields").
    virtual void ReadFields(MainFields& fields) = 0;
    virtual void ShowFields(const MainFields& fields) = 0;

    // A plain message box with an OK button, titled "Sluice".
    virtual void ShowMessage(const std::string& text) = 0;
    // A message box with its own title.
    virtual void ShowMessage(const std::string& text, const std::string& title) = 0;
    // A Yes/No question titled "Sluice"; true for Yes.
    virtual bool AskYesNo(const std::string& text) = 0;
    // The same question with its own title.
    virtual bool AskYesNo(const std::string& text, const std::string& title) = 0;

    // A message box with OK and Cancel and its own title; true for OK.
    virtual bool AskOkCancel(const std::string& text, const std::string& title) = 0;
    // A file-open dialog for one existing file, offering all files; the chosen
    // path (CP932), or "" when the user cancels.
    virtual std::string ChooseExistingFile() = 0;

    // The one-line status display (control 1029).
    virtual void SetStatusLine(const std::string& text) = 0;
    // Disables or enables the whole main window while a command runs.
    virtual void EnableMainWindow(bool enable) = 0;
    virtual void HideMainWindow() = 0;
    // Shows the busy panel (control 1028) with a caption and, when picturePath
    // is not empty, that picture on its face.
    virtual void ShowBusyPanel(const std::string& caption, const std::string& picturePath) = 0;

    // Shows the port-mapping list window (dialog 131) modally over the rows of
    // list; its buttons call the list's delete operations.
    virtual void ShowPortMapWindow(PortMapList& list) = 0;

    // Shows the router information window (dialog 129) modally; its controls
    // call window's handlers.
    virtual void ShowRouterInfoWindow(RouterInfo& window) = 0;

    // Shows the device search window (dialog 133) modally over listing.
    virtual void ShowDeviceSearchWindow(const std::string& listing) = 0;
    // Writes text (CP932) on standard output, in UTF-8, for scripts.
    virtual void WriteOutput(const std::string& text) = 0;
    // Puts text on the clipboard.
    virtual void CopyToClipboard(const std::string& text) = 0;
    // Opens url in the desktop's default browser.
    virtual void OpenUrl(const std::string& url) = 0;

    // A one-shot timer: after ms the window calls the program's OnTimer(id).
    virtual void StartTimer(int id, int ms) = 0;
    virtual void StopTimer(int id) = 0;

    // Ends the process with this exit code once control returns to the event
    // loop; the caller returns at once after asking.
    virtual void ExitProcess(int code) = 0;

    // The Ctrl key is held down at this moment.
    virtual bool CtrlHeld() = 0;
};
