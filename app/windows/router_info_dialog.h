// The router information window (dialog 129): the report or test log, the
// test port and the two test buttons, wired to the RouterInfo logic.
#pragma once

#include <QDialog>

#include "app/router_info.h"

class MessageOutput;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTimer;

class CRouterInfoDlg final : public QDialog, private RouterInfoView {
  public:
    CRouterInfoDlg(RouterInfo& logic, MessageOutput& messages, QWidget* parent);

  protected:
    // The close box and Esc: a running test is stopped first.
    void reject() override;

  private:
    void ShowReport(const std::string& text) override;
    std::string ReadPort() override;
    void ShowPort(const std::string& text) override;
    void ShowMessage(const std::string& text) override;
    void EnableTests(bool enable) override;
    void StartTimer(int ms) override;
    void CloseWindow() override;

    RouterInfo& logic_;
    MessageOutput& messages_;
    QPlainTextEdit* report_;
    QLineEdit* port_;
    QPushButton* tcp_;
    QPushButton* udp_;
    QTimer* timer_;
};
