#include "app/windows/console_messages.h"

#include <istream>
#include <ostream>

#include "platform/charset.h"

namespace {

// Lower-cased, surrounding blanks removed.
std::string Answer(const std::string& line) {
    std::string word;
    for (char c : line) {
        if (c == ' ' || c == '\t' || c == '\r') continue;
        word.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c);
    }
    return word;
}

// Texts from routers and other devices reach the terminal here: their
// control characters are dropped, so that none can drive the terminal
// (escape sequences, a title change, a cleared screen). Line breaks and tabs
// stay.
bool IsControl(unsigned char c) {
    return (c < 0x20 && c != '\n' && c != '\t') || c == 0x7F;
}

}  // namespace

std::string ConsoleText(const std::string& cp932) {
    std::string utf8 = platform::Cp932ToUtf8(cp932);
    std::string text;
    for (size_t i = 0; i < utf8.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(utf8[i]);
        if (c == '\r') {
            if (i + 1 >= utf8.size() || utf8[i + 1] != '\n') text.push_back('\n');
        } else if (!IsControl(c)) {
            text.push_back(utf8[i]);
        }
    }
    while (!text.empty() && text.back() == '\n') text.pop_back();
    return text + "\n";
}

ConsoleMessages::ConsoleMessages(std::ostream& err, std::istream& in, bool inIsTerminal)
    : err_(err), in_(in), inIsTerminal_(inIsTerminal) {}

void ConsoleMessages::Show(const std::string& text, const std::string&) {
    err_ << ConsoleText(text) << std::flush;
}

bool ConsoleMessages::Ask(const std::string& text, const std::string&) {
    err_ << ConsoleText(text);
    if (!inIsTerminal_) {
        err_ << "(y/n) n\n" << std::flush;
        return false;
    }
    std::string line;
    while (true) {
        err_ << "(y/n) " << std::flush;
        if (!std::getline(in_, line)) {
            err_ << "n\n" << std::flush;
            return false;
        }
        std::string answer = Answer(line);
        if (answer == "y" || answer == "yes") return true;
        if (answer == "n" || answer == "no") return false;
    }
}
