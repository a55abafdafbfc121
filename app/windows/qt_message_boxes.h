// Message boxes on a display: Qt message boxes over the main window.
#pragma once

#include "app/windows/message_output.h"

class QWidget;

class QtMessageBoxes final : public MessageOutput {
  public:
    explicit QtMessageBoxes(QWidget* parent) : parent_(parent) {}

    void Show(const std::string& text, const std::string& title) override;
    bool Ask(const std::string& text, const std::string& title) override;

  private:
    QWidget* parent_;
};
