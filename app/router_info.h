// The logic of the router information window (dialog 129): the report, the
// test port field, the two test buttons and the automatic mode of the
// first-run prompt. The Qt window only wires its controls to this.
#pragma once

#include <string>

#include "porttest/port_open_test.h"

// What the logic needs of the window.
class RouterInfoView {
  public:
    virtual ~RouterInfoView() = default;
    // The report or test log (control 1000).
    virtual void ShowReport(const std::string& text) = 0;
    // The port field (control 1001).
    virtual std::string ReadPort() = 0;
    virtual void ShowPort(const std::string& text) = 0;
    virtual void ShowMessage(const std::string& text) = 0;
    // Buttons ⑲ and ⑳.
    virtual void EnableTests(bool enable) = 0;
    // The one-shot timer of the automatic mode; calls OnTimer.
    virtual void StartTimer(int ms) = 0;
    virtual void CloseWindow() = 0;
};

class RouterInfo final : private PortTestOutput {
  public:
    // lanAddress: the main window's ④, which the test maps the port to.
    explicit RouterInfo(const std::string& lanAddress);

    // The window is up: port from the settings, the report, and in the
    // automatic mode (PORT_AUTO_TEST 1) the timer that starts the TCP test.
    void OnInit(RouterInfoView& view);
    void OnTcpTest();  // ⑲ 1005
    void OnUdpTest();  // ⑳ 1006
    void OnTimer();
    // The close box. While a test runs the test is cancelled and the window
    // closes once its clean-up is done: returns false, the window stays.
    bool OnClose();

    const std::string& PortText() const { return portText_; }

  private:
    void RunTest(const std::string& protocol);
    void StorePortAndClose();
    void ShowLog(const std::string& whole, const std::string& added) override;
    void ShowMessage(const std::string& text) override;

    std::string lanAddress_;
    std::string portText_;
    RouterInfoView* view_ = nullptr;
    bool closeAsked_ = false;
};

// Environment flag set by the first-run prompt while the window runs.
bool AutomaticPortTest();
