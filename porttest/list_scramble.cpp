#include "porttest/list_scramble.h"

#include <cstdint>
#include <vector>

namespace {

constexpr size_t kKeyLength = 6;
const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// The six key letters, put together here so that they never stand in the
// binary as one text.
std::vector<uint8_t> Key() {
    const char first = 'S';
    return {static_cast<uint8_t>(first), static_cast<uint8_t>(first + 'l' - 'S'),
            static_cast<uint8_t>('u'),   static_cast<uint8_t>('i' + 0),
            static_cast<uint8_t>('c'),   static_cast<uint8_t>('e' ^ 0x20)};
}

// Adds (sign 1) or subtracts (sign -1) the key stream: every key byte is
// doubled before each cycle of six bytes.
void ApplyKeyStream(std::string& bytes, int sign) {
    std::vector<uint8_t> key = Key();
    size_t j = kKeyLength;
    for (char& c : bytes) {
        if (j == kKeyLength) {
            for (uint8_t& k : key) k = static_cast<uint8_t>(k * 2);
            j = 0;
        }
        c = static_cast<char>(static_cast<uint8_t>(c) + sign * key[j]);
        ++j;
    }
}

std::string EncodeBase64(const std::string& bytes) {
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (size_t i = 0; i < bytes.size(); i += 3) {
        uint32_t group = static_cast<uint8_t>(bytes[i]) << 16;
        if (i + 1 < bytes.size()) group |= static_cast<uint8_t>(bytes[i + 1]) << 8;
        if (i + 2 < bytes.size()) group |= static_cast<uint8_t>(bytes[i + 2]);
        out += kAlphabet[(group >> 18) & 63];
        out += kAlphabet[(group >> 12) & 63];
        out += i + 1 < bytes.size() ? kAlphabet[(group >> 6) & 63] : '=';
        out += i + 2 < bytes.size() ? kAlphabet[group & 63] : '=';
    }
    return out;
}

int Base64Value(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

bool DecodeBase64(const std::string& text, std::string* bytes) {
    bytes->clear();
    uint32_t group = 0;
    int bits = 0;
    bool padded = false;
    for (char c : text) {
        if (c == '\r' || c == '\n') continue;
        if (c == '=') {
            padded = true;
            continue;
        }
        int value = Base64Value(c);
        if (value < 0 || padded) return false;
        group = (group << 6) | static_cast<uint32_t>(value);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            bytes->push_back(static_cast<char>((group >> bits) & 0xFF));
        }
    }
    return true;
}

}  // namespace

std::string ScrambleList(const std::string& plain) {
    std::string bytes = plain;
    ApplyKeyStream(bytes, 1);
    return EncodeBase64(bytes);
}

bool UnscrambleList(const std::string& scrambled, std::string* plain) {
    if (!DecodeBase64(scrambled, plain)) return false;
    ApplyKeyStream(*plain, -1);
    return true;
}
