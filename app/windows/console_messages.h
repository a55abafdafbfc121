// Message boxes for a run without a display: each message is written to
// standard error as UTF-8 text; a Yes/No question is asked on the terminal
// when there is one to answer it, and is answered No otherwise.
#pragma once

#include <iosfwd>
#include <string>

#include "app/windows/message_output.h"

// A message's text as written on the console: UTF-8, every line break a
// plain "\n", ending with exactly one, and no control characters other than
// line breaks and tabs.
std::string ConsoleText(const std::string& cp932);

class ConsoleMessages final : public MessageOutput {
  public:
    // Writes to err; questions read their answers from in when
    // inIsTerminal, and are answered No without reading otherwise.
    ConsoleMessages(std::ostream& err, std::istream& in, bool inIsTerminal);

    void Show(const std::string& text, const std::string& title) override;
    bool Ask(const std::string& text, const std::string& title) override;

  private:
    std::ostream& err_;
    std::istream& in_;
    bool inIsTerminal_;
};
