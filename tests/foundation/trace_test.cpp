#include "foundation/trace.h"

#include <gtest/gtest.h>

TEST(Trace, BlackSquareIsCp932) {
    const char* square = "■";
    ASSERT_EQ(2u, std::char_traits<char>::length(square));
    EXPECT_EQ(0x81, static_cast<unsigned char>(square[0]));
    EXPECT_EQ(0xA1, static_cast<unsigned char>(square[1]));
}
