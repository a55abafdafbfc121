// Where the program's message boxes and Yes/No questions go: real message
// boxes on a display, standard error and the terminal without one. Texts
// are CP932.
#pragma once

#include <string>

class MessageOutput {
  public:
    virtual ~MessageOutput() = default;
    // A message with an OK button.
    virtual void Show(const std::string& text, const std::string& title) = 0;
    // A Yes/No question; true for Yes.
    virtual bool Ask(const std::string& text, const std::string& title) = 0;
};
