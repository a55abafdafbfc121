#include "net/chunked_body.h"

#include <cstring>

namespace {

constexpr size_t kMaxSizeLine = 1024;
constexpr size_t kMaxChunk = 0x7FFFFFFF;

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The chunk size at the start of a size line (extensions after ";" ignored),
// or -1 when the line holds none.
long long ChunkSize(const std::string& line) {
    size_t at = 0;
    long long size = -1;
    for (; at < line.size() && HexDigit(line[at]) >= 0; ++at) {
        size = (size < 0 ? 0 : size * 16) + HexDigit(line[at]);
        if (size > static_cast<long long>(kMaxChunk)) return -1;
    }
    return size;
}

// A size line starts with hex digits; after them only spaces, an extension
// after ";" and the line end may follow.
bool PlausibleSizeLine(const std::string& line) {
    size_t digits = 0;
    while (digits < line.size() && HexDigit(line[digits]) >= 0) ++digits;
    if (digits == line.size()) return true;
    return digits > 0 && line[digits] != '\0' && std::strchr(" \t;\r", line[digits]) != nullptr;
}

}  // namespace

void ChunkedDecoder::TakeSizeByte(char c) {
    pending_ += c;
    if (c != '\n') {
        sizeLine_ += c;
        if (sizeLine_.size() > kMaxSizeLine || !PlausibleSizeLine(sizeLine_)) {
            state_ = State::kBroken;
        }
        return;
    }
    long long size = ChunkSize(sizeLine_);
    if (size < 0) {
        state_ = State::kBroken;
        return;
    }
    sizeLine_.clear();
    pending_.clear();
    remaining_ = static_cast<size_t>(size);
    state_ = size == 0 ? State::kDone : State::kData;
}

void ChunkedDecoder::TakeDataEndByte(char c) {
    pending_ += c;
    if (c == '\n') {
        state_ = State::kSize;
    } else if (c != '\r') {
        state_ = State::kBroken;
    }
}

void ChunkedDecoder::Feed(const char* bytes, size_t length, std::string& out) {
    if (state_ == State::kBroken) {
        out.append(bytes, length);
        return;
    }
    size_t at = 0;
    while (at < length && state_ != State::kDone && state_ != State::kBroken) {
        if (state_ == State::kData) {
            size_t take = length - at < remaining_ ? length - at : remaining_;
            out.append(bytes + at, take);
            at += take;
            remaining_ -= take;
            if (remaining_ == 0) state_ = State::kDataEnd;
        } else if (state_ == State::kSize) {
            TakeSizeByte(bytes[at++]);
        } else {
            TakeDataEndByte(bytes[at++]);
        }
    }
    if (state_ == State::kBroken) {
        out.append(pending_);
        out.append(bytes + at, length - at);
        pending_.clear();
    }
}
