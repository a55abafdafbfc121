// Decoding of a body sent with "Transfer-Encoding: chunked", as it arrives.
#pragma once

#include <cstddef>
#include <string>

class ChunkedDecoder {
  public:
    // Appends the data carried by bytes to out. Bytes after the last chunk are
    // ignored; if the coding turns out to be broken, the bytes from there on are
    // passed on unchanged so that nothing is lost.
    void Feed(const char* bytes, size_t length, std::string& out);
    // True once the last (zero-size) chunk came.
    bool Finished() const { return state_ == State::kDone; }

  private:
    enum class State { kSize, kData, kDataEnd, kDone, kBroken };
    void TakeSizeByte(char c);
    void TakeDataEndByte(char c);

    State state_ = State::kSize;
    std::string sizeLine_;
    std::string pending_;  // framing bytes read since the last chunk's data
    size_t remaining_ = 0;
};
