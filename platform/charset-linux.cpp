#include "platform/charset.h"

#include <iconv.h>

#include <cerrno>

namespace platform {
namespace {

// Converts with glibc iconv; an input sequence that cannot be converted is
// replaced by "?" and skipped, so the result is always usable text.
std::string Convert(const char* to, const char* from, const std::string& in, size_t unitSize) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::string();
    std::string out;
    char buf[4096];
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    while (srcLeft > 0) {
        char* dst = buf;
        size_t dstLeft = sizeof buf;
        size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        out.append(buf, dst - buf);
        if (rc != static_cast<size_t>(-1)) continue;
        if (errno == E2BIG) continue;
        out.push_back('?');
        size_t skip = srcLeft < unitSize ? srcLeft : unitSize;
        src += skip;
        srcLeft -= skip;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    char* dst = buf;
    size_t dstLeft = sizeof buf;
    iconv(cd, nullptr, nullptr, &dst, &dstLeft);
    out.append(buf, dst - buf);
    iconv_close(cd);
    return out;
}

}  // namespace

std::string Cp932ToUtf8(const std::string& cp932) { return Convert("UTF-8", "CP932", cp932, 1); }

std::string Utf8ToCp932(const std::string& utf8) { return Convert("CP932", "UTF-8", utf8, 1); }

std::string Utf16LeToCp932(const std::string& utf16le) {
    return Convert("CP932", "UTF-16LE", utf16le, 2);
}

}  // namespace platform
