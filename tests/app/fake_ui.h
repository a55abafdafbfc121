// A recording AppUi: every window operation the logic asks for is kept in
// order, so tests read what the user would have seen without a display.
#pragma once

#include <string>
#include <vector>

#include "app/app_ui.h"
#include "app/port_map_list.h"

class FakeUi : public AppUi {
  public:
    // What the window's controls hold; ReadFields copies it out, ShowFields in.
    MainFields window;

    std::vector<std::string> messages;
    std::vector<std::string> messageTitles;  // "Sluice" for the plain box
    std::vector<std::string> statusLines;
    std::vector<std::string> busyCaptions;
    std::vector<std::string> busyPictures;
    std::vector<std::pair<int, int>> startedTimers;  // id, ms
    std::vector<int> stoppedTimers;
    std::vector<int> exitCodes;
    bool enabled = true;
    bool hidden = false;
    int disableCount = 0;
    bool ctrlHeld = false;
    bool answerYes = false;
    bool answerOk = true;    // AskOkCancel's answer
    std::string chosenFile;  // ChooseExistingFile's answer ("" cancels)
    int fileDialogs = 0;
    std::vector<std::string> deviceListings;  // every device search window shown
    std::vector<std::string> clipboard;       // every text copied
    std::vector<std::string> openedUrls;
    std::string output;                 // everything written on standard output
    bool enabledDuringListing = false;  // the window was enabled when the listing came up

    // Rows of every list window shown, and the indexes its buttons delete
    // (empty: the user only looks).
    std::vector<std::vector<PortMapRow>> shownLists;
    std::vector<int> deleteSelection;

    void ReadFields(MainFields& fields) override { fields = window; }
    void ShowFields(const MainFields& fields) override { window = fields; }
    void ShowMessage(const std::string& text) override { ShowMessage(text, "Sluice"); }
    void ShowMessage(const std::string& text, const std::string& title) override {
        messages.push_back(text);
        messageTitles.push_back(title);
    }
    bool AskYesNo(const std::string& text) override { return AskYesNo(text, "Sluice"); }
    bool AskYesNo(const std::string& text, const std::string& title) override {
        messages.push_back(text);
        messageTitles.push_back(title);
        return answerYes;
    }
    bool AskOkCancel(const std::string& text, const std::string& title) override {
        messages.push_back(text);
        messageTitles.push_back(title);
        return answerOk;
    }
    std::string ChooseExistingFile() override {
        ++fileDialogs;
        return chosenFile;
    }
    void SetStatusLine(const std::string& text) override { statusLines.push_back(text); }
    void EnableMainWindow(bool enable) override {
        enabled = enable;
        if (!enable) ++disableCount;
    }
    void HideMainWindow() override { hidden = true; }
    void ShowBusyPanel(const std::string& caption, const std::string& picturePath) override {
        busyCaptions.push_back(caption);
        busyPictures.push_back(picturePath);
    }
    void ShowPortMapWindow(PortMapList& list) override {
        shownLists.push_back(list.Rows());
        if (!deleteSelection.empty()) list.DeleteSelected(deleteSelection);
    }
    void ShowDeviceSearchWindow(const std::string& listing) override {
        deviceListings.push_back(listing);
        enabledDuringListing = enabled;
    }
    void WriteOutput(const std::string& text) override { output += text; }
    void CopyToClipboard(const std::string& text) override { clipboard.push_back(text); }
    void OpenUrl(const std::string& url) override { openedUrls.push_back(url); }
    void StartTimer(int id, int ms) override { startedTimers.push_back({id, ms}); }
    void StopTimer(int id) override { stoppedTimers.push_back(id); }
    void ExitProcess(int code) override { exitCodes.push_back(code); }
    bool CtrlHeld() override { return ctrlHeld; }

    // The exit code asked for, or -1 when none was.
    int ExitCode() const { return exitCodes.empty() ? -1 : exitCodes.back(); }
};
