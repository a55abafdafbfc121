#include "net/wine_registry.h"

#include <cstdlib>
#include <cstring>

#include "foundation/mbs.h"
#include "platform/charset.h"

namespace {

using Units = std::u16string;  // UTF-16 code units, as Wine escapes them

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// A number of up to maxDigits digits in base, following the digits read so
// far (value); at moves past them.
char16_t ReadNumber(const std::string& text, size_t& at, int base, int maxDigits, unsigned value) {
    for (int n = 0; n < maxDigits && at < text.size(); ++n, ++at) {
        int digit = HexDigit(text[at]);
        if (digit < 0 || digit >= base) break;
        value = value * base + digit;
    }
    return static_cast<char16_t>(value);
}

// The character of an escape such as "\x3042", "\101" or "\n" whose letter
// is at text[at]; at moves past it.
char16_t ReadEscape(const std::string& text, size_t& at) {
    char letter = text[at++];
    switch (letter) {
        case 'a':
            return '\a';
        case 'b':
            return '\b';
        case 'e':
            return 0x1B;
        case 'f':
            return '\f';
        case 'n':
            return '\n';
        case 'r':
            return '\r';
        case 't':
            return '\t';
        case 'v':
            return '\v';
        case 'x':
            return ReadNumber(text, at, 16, 4, 0);
        default:
            if (letter >= '0' && letter <= '7') return ReadNumber(text, at, 8, 2, letter - '0');
            return static_cast<unsigned char>(letter);
    }
}

// Reads escaped text from at up to the unescaped terminator. Returns the
// position after the terminator, or npos when the line ends first.
size_t ReadEscaped(const std::string& text, size_t at, char terminator, Units& out) {
    while (at < text.size() && text[at] != '\n') {
        char c = text[at++];
        if (c == terminator) return at;
        if (c == '\\' && at < text.size()) {
            out += ReadEscape(text, at);
        } else {
            out += static_cast<unsigned char>(c);
        }
    }
    return std::string::npos;
}

std::string ToCp932(const Units& units) {
    std::string bytes;
    bool ascii = true;
    for (char16_t unit : units) {
        ascii = ascii && unit < 0x80;
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    if (!ascii) return platform::Utf16LeToCp932(bytes);
    std::string text;
    for (char16_t unit : units) text += static_cast<char>(unit);
    return text;
}

// Bytes of a "hex:" list, which may continue over lines ending in "\".
std::string ReadHexBytes(const std::string& text, size_t at) {
    std::string bytes;
    while (at < text.size() && text[at] != '\n') {
        if (text[at] == '\\') {  // the list goes on in the next line
            size_t lineEnd = text.find('\n', at);
            if (lineEnd == std::string::npos) break;
            at = lineEnd + 1;
            continue;
        }
        int high = HexDigit(text[at]);
        int low = at + 1 < text.size() ? HexDigit(text[at + 1]) : -1;
        if (high >= 0 && low >= 0) {
            bytes += static_cast<char>(high * 16 + low);
            at += 2;
        } else {
            ++at;
        }
    }
    return bytes;
}

// Text types written as hex hold UTF-16LE, which a program reading the value
// as CP932 text gets converted.
bool IsTextType(unsigned type) {
    return type == 1 || type == 2 || type == 7;
}

// The data of the value whose "=" ends just before at.
std::string ReadData(const std::string& text, size_t at) {
    Units units;
    size_t typeEnd = text.compare(at, 4, "str(") == 0 ? text.find(':', at) : std::string::npos;
    if (typeEnd != std::string::npos) at = typeEnd + 1;
    if (at < text.size() && text[at] == '"') {
        ReadEscaped(text, at + 1, '"', units);
        return ToCp932(units) + '\0';
    }
    if (text.compare(at, 6, "dword:") == 0) {
        unsigned long value = std::strtoul(text.c_str() + at + 6, nullptr, 16);
        std::string bytes;
        for (int i = 0; i < 4; ++i) bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
        return bytes;
    }
    if (text.compare(at, 3, "hex") != 0) return "";
    unsigned type =
        text.compare(at, 4, "hex(") == 0 ? std::strtoul(text.c_str() + at + 4, nullptr, 16) : 3;
    size_t colon = text.find(':', at);
    std::string bytes = colon == std::string::npos ? "" : ReadHexBytes(text, colon + 1);
    return IsTextType(type) ? platform::Utf16LeToCp932(bytes) : bytes;
}

// The lower-cased key name of a section line "[Key\\Path] stamp".
bool SectionKey(const std::string& text, size_t at, std::string& key) {
    Units units;
    if (ReadEscaped(text, at + 1, ']', units) == std::string::npos) return false;
    key = MbsLower(ToCp932(units));
    return true;
}

// For a value line: its lower-cased name and the position after its "=".
bool ValueName(const std::string& text, size_t at, std::string& name, size_t& dataAt) {
    Units units;
    size_t end = text[at] == '@' ? at + 1 : ReadEscaped(text, at + 1, '"', units);
    if (end == std::string::npos || end >= text.size() || text[end] != '=') return false;
    name = MbsLower(ToCp932(units));
    dataAt = end + 1;
    return true;
}

}  // namespace

bool FindWineRegistryValue(const std::string& fileText, const std::string& key,
                           const std::string& value, std::string* data) {
    std::string wantedKey = MbsLower(key);
    std::string wantedValue = MbsLower(value);
    bool inKey = false;
    size_t at = 0;
    while (at < fileText.size()) {
        std::string name;
        size_t dataAt = 0;
        if (fileText[at] == '[') {
            if (inKey) return false;
            inKey = SectionKey(fileText, at, name) && name == wantedKey;
        } else if (inKey && (fileText[at] == '"' || fileText[at] == '@') &&
                   ValueName(fileText, at, name, dataAt) && name == wantedValue) {
            if (data) *data = ReadData(fileText, dataAt);
            return true;
        }
        size_t lineEnd = fileText.find('\n', at);
        if (lineEnd == std::string::npos) break;
        at = lineEnd + 1;
    }
    return false;
}
