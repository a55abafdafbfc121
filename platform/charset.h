// Conversions between the program's internal CP932 text and the encodings the
// system speaks (UTF-8 for file names, argv, the terminal and Qt; UTF-16LE for
// settings files written by Windows editors).
#pragma once

#include <string>

namespace platform {

// Characters without a form in the target encoding become "?".
std::string Cp932ToUtf8(const std::string& cp932);
std::string Utf8ToCp932(const std::string& utf8);
std::string Utf16LeToCp932(const std::string& utf16le);

}  // namespace platform
