#include "app/windows/console_messages.h"

#include <gtest/gtest.h>

#include <sstream>

#include "platform/charset.h"

namespace {

TEST(ConsoleTextTest, UtF8WithPlainLineBreaksAndOneFinalNewline) {
    struct Case {
        const char* cp932;
        const char* console;
    };
    const Case cases[] = {
        {"固定値を設定しました", u8"固定値を設定しました\n"},
        {"WANアドレス取得エラー\r\n\r\nルーター", u8"WANアドレス取得エラー\n\nルーター\n"},
        {"a\rb", "a\nb\n"},
        {"ends with a break\r\n\r\n", "ends with a break\n"},
        {"", "\n"},
    };
    for (const Case& c : cases) EXPECT_EQ(ConsoleText(c.cp932), c.console) << c.console;
}

// A router's name or error text may carry terminal escape sequences; none of
// their control characters reach the terminal, tabs and line breaks do.
TEST(ConsoleTextTest, ControlCharactersFromDevicesAreDropped) {
    struct Case {
        std::string cp932;
        std::string console;
    };
    const Case cases[] = {
        {"Router\x1b]0;owned\x07 X", "Router]0;owned X\n"},
        {"\x1b[2J\x1b[HWAN", "[2J[HWAN\n"},
        {std::string("a\x08\x7f\0b", 5), "ab\n"},
        {"8000\tTCP\n192.168.1.5", "8000\tTCP\n192.168.1.5\n"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.console, ConsoleText(c.cp932)) << c.console;
}

TEST(ConsoleMessagesTest, MessageIsOneUtf8TextOnTheErrorStream) {
    std::ostringstream err;
    std::istringstream in;
    ConsoleMessages messages(err, in, true);
    messages.Show("ポートマッピング削除に失敗しました", "Sluice");
    EXPECT_EQ(err.str(), u8"ポートマッピング削除に失敗しました\n");
}

TEST(ConsoleMessagesTest, QuestionWithoutTerminalIsAnsweredNoWithoutReading) {
    std::ostringstream err;
    std::istringstream in("y\n");
    ConsoleMessages messages(err, in, false);
    EXPECT_FALSE(messages.Ask("初回起動です。\r\n動作テストを行いますか？", "確認"));
    EXPECT_EQ(err.str(), u8"初回起動です。\n動作テストを行いますか？\n(y/n) n\n");
    std::string unread;
    EXPECT_TRUE(std::getline(in, unread));
    EXPECT_EQ(unread, "y");
}

TEST(ConsoleMessagesTest, QuestionOnTerminalTakesTheFirstClearAnswer) {
    struct Case {
        const char* input;
        bool answer;
        int prompts;
    };
    const Case cases[] = {
        {"y\n", true, 1},  {"Y\n", true, 1},     {" yes \n", true, 1},
        {"n\n", false, 1}, {"NO\n", false, 1},   {"maybe\n\ny\n", true, 3},
        {"", false, 1},    {"what\n", false, 2}, {"y\r\n", true, 1},
    };
    for (const Case& c : cases) {
        std::ostringstream err;
        std::istringstream in(c.input);
        ConsoleMessages messages(err, in, true);
        EXPECT_EQ(messages.Ask("よろしいですか？", "確認"), c.answer) << c.input;
        std::string out = err.str();
        int prompts = 0;
        for (size_t at = out.find("(y/n)"); at != std::string::npos;
             at = out.find("(y/n)", at + 1)) {
            ++prompts;
        }
        EXPECT_EQ(prompts, c.prompts) << c.input;
        EXPECT_EQ(out.rfind(u8"よろしいですか？\n", 0), 0u) << out;
    }
}

}  // namespace
