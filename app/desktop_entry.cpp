#include "app/desktop_entry.h"

#include <string_view>

namespace {

// Characters that make an Exec argument need quotes.
constexpr char kReserved[] = " \t\n\r\"'\\><~|&;$*?#()`";
// Characters escaped by a backslash inside quotes.
constexpr char kEscapedInQuotes[] = "\"`$\\";

bool NeedsQuotes(const std::string& argument) {
    return argument.empty() || argument.find_first_of(kReserved) != std::string::npos;
}

std::string DoublePercents(const std::string& text) {
    std::string doubled;
    for (char c : text) {
        doubled += c;
        if (c == '%') doubled += '%';
    }
    return doubled;
}

// The escapes of a string value: backslash, newline, tab and carriage return.
std::string EscapeStringValue(const std::string& text) {
    const std::string_view escapable = "\\\n\t\r";
    const char letters[] = "\\ntr";
    std::string escaped;
    for (char c : text) {
        size_t at = escapable.find(c);
        if (at == std::string_view::npos) {
            escaped += c;
        } else {
            escaped += '\\';
            escaped += letters[at];
        }
    }
    if (!escaped.empty() && escaped[0] == ' ') escaped.replace(0, 1, "\\s");
    return escaped;
}

}  // namespace

std::string QuoteExecArgument(const std::string& argument) {
    if (!NeedsQuotes(argument)) return DoublePercents(argument);
    std::string quoted = "\"";
    for (char c : argument) {
        if (std::string_view(kEscapedInQuotes).find(c) != std::string_view::npos) quoted += '\\';
        quoted += c;
    }
    return DoublePercents(quoted + "\"");
}

std::string ExecValue(const std::string& target, const std::vector<std::string>& arguments) {
    std::string line = QuoteExecArgument(target);
    for (const std::string& argument : arguments) line += " " + QuoteExecArgument(argument);
    return EscapeStringValue(line);
}

std::string DesktopEntryText(const DesktopEntry& entry) {
    std::string text = "[Desktop Entry]\nType=Application\n";
    text += "Name=" + EscapeStringValue(entry.name) + "\n";
    text += "Exec=" + ExecValue(entry.target, entry.arguments) + "\n";
    if (!entry.workingFolder.empty())
        text += "Path=" + EscapeStringValue(entry.workingFolder) + "\n";
    if (!entry.icon.empty()) text += "Icon=" + EscapeStringValue(entry.icon) + "\n";
    return text + "Terminal=false\n";
}
