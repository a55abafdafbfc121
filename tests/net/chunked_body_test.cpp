#include "net/chunked_body.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Feeds the encoded text in two parts cut at every possible place.
void ExpectDecodedAtEverySplit(const std::string& encoded, const std::string& decoded,
                               bool finished) {
    for (size_t cut = 0; cut <= encoded.size(); ++cut) {
        SCOPED_TRACE(cut);
        ChunkedDecoder decoder;
        std::string out;
        decoder.Feed(encoded.data(), cut, out);
        decoder.Feed(encoded.data() + cut, encoded.size() - cut, out);
        EXPECT_EQ(out, decoded);
        EXPECT_EQ(decoder.Finished(), finished);
    }
}

TEST(ChunkedDecoderTest, DecodesWhereverTheBytesAreCut) {
    ExpectDecodedAtEverySplit("5\r\n<ip>1\r\n7;ext=1\r\n.2.3.4<\r\n0\r\n\r\n", "<ip>1.2.3.4<",
                              true);
    ExpectDecodedAtEverySplit("A\r\n0123456789\r\n0\r\nTrailer: x\r\n\r\nafter", "0123456789",
                              true);
    ExpectDecodedAtEverySplit("3\nabc\n0\n\n", "abc", true);
    ExpectDecodedAtEverySplit("3\r\nabc\r\n2\r\nde", "abcde", false);
}

TEST(ChunkedDecoderTest, BrokenCodingIsPassedOnUnchanged) {
    ExpectDecodedAtEverySplit("<html>no chunks</html>", "<html>no chunks</html>", false);
    ExpectDecodedAtEverySplit("3\r\nabcXYZ", "abcXYZ", false);
    ExpectDecodedAtEverySplit("3\r\nabc\r\nzz\r\nrest", "abc\r\nzz\r\nrest", false);
    ExpectDecodedAtEverySplit("FFFFFFFFFFFF\r\nx", "FFFFFFFFFFFF\r\nx", false);
}

}  // namespace
