// The mapping list without a window: the count argument, the lines printed
// for scripts, and whole list runs against a fake router on loopback.
#include "app/list_command.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/port_commands.h"
#include "app/sluice_app.h"
#include "tests/app/app_test_base.h"

namespace {

TEST(ListCountTest, DefaultCapAndBadCounts) {
    struct Case {
        std::vector<std::string> args;
        int count;
    };
    const Case cases[] = {
        {{"/list"}, 100},
        {{"/list", "5"}, 5},
        {{"/list", "1000"}, 1000},
        {{"/list", "1001"}, 1000},
        {{"/list", "99999999999999999999"}, 1000},
        {{"/list", "0"}, 0},
        {{"/list", "-3"}, 0},
        {{"/list", "12x"}, 0},
        {{"/list", ""}, 0},
        {{"/list", " 7"}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.back());
        EXPECT_EQ(c.count, ListCount(c.args));
    }
}

TEST(ListLineTest, FieldsInScriptOrderWithoutControlCharacters) {
    EXPECT_EQ("8000\tTCP\t192.168.0.5\t9000\t1\tWeb8000T\t0\n",
              ListLine("\t8000\tTCP\t9000\t192.168.0.5\t1\tWeb8000T\t0"));
    // A router's text cannot move the fields or reach the terminal's escapes.
    EXPECT_EQ("8001\tUDP\t10.0.0.9\t8001\t0\tevil[2Jtext表\t3600\n",
              ListLine("1.2.3.4\t8001\tUDP\t8001\t10.0.0.9\t0\tevil\x1b[2J\r\ntext表\t3600"));
    EXPECT_EQ("\t\t\t\t\t\t\n", ListLine(""));
}

class ListRunTest : public AppTest {
  protected:
    // Starts a list run and aims it at a fresh fake router; the timer
    // fires with FireTimer.
    void Start(const std::vector<std::string>& args) {
        ASSERT_EQ(RunKind::kList, app_.Startup(args));
        ASSERT_EQ((std::pair<int, int>{kTimerBatchList, 200}), ui_.startedTimers.back());
        AimAtFakeRouter();
    }
    void FireTimer() { app_.OnTimer(kTimerBatchList); }
    SoapOutputs Entry(const std::string& port, const std::string& client) {
        return {{"NewExternalPort", port}, {"NewProtocol", "TCP"},
                {"NewInternalPort", port}, {"NewInternalClient", client},
                {"NewEnabled", "1"},       {"NewPortMappingDescription", "d" + port},
                {"NewLeaseDuration", "0"}};
    }

    SluiceApp app_{ui_};
};

TEST_F(ListRunTest, PrintsEveryHostsMappingsAndEndsDone) {
    Start({"/list_hide"});
    igd_->QueueAnswer(IgdScenario::kNormal, "GetGenericPortMappingEntry",
                      Entry("8000", "192.168.0.10"));
    igd_->QueueAnswer(IgdScenario::kNormal, "GetGenericPortMappingEntry",
                      Entry("8001", "192.168.0.77"));
    igd_->AnswerActions(IgdScenario::kErrorStatus, "GetGenericPortMappingEntry", {});
    FireTimer();

    EXPECT_TRUE(ui_.hidden);
    EXPECT_EQ(
        "8000\tTCP\t192.168.0.10\t8000\t1\td8000\t0\n"
        "8001\tTCP\t192.168.0.77\t8001\t1\td8001\t0\n",
        ui_.output);
    EXPECT_EQ(std::vector<int>{kExitBatchDone}, ui_.exitCodes);
    EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(ListRunTest, TheCountLimitsTheRequests) {
    Start({"/list", "3"});
    igd_->AnswerActions(IgdScenario::kNormal, "GetGenericPortMappingEntry",
                        Entry("8000", "192.168.0.10"));
    FireTimer();
    EXPECT_FALSE(ui_.hidden);
    EXPECT_EQ(std::vector<std::string>{"List...."}, ui_.busyCaptions);
    EXPECT_EQ(3u, igd_->ActionRequests().size());
    EXPECT_EQ(kExitBatchDone, ui_.ExitCode());
}

TEST_F(ListRunTest, NoRouterEndsFailedWithTheReason) {
    ASSERT_EQ(RunKind::kList, app_.Startup({"/list_hide"}));
    glb_IgdState = -1;
    glb_IgdMessage = "IGDエラー3(ルーター反応なし)";
    app_.OnTimer(kTimerBatchList);
    EXPECT_EQ("", ui_.output);
    EXPECT_EQ(kExitBatchFailed, ui_.ExitCode());
    ASSERT_EQ(1u, ui_.messages.size());
    EXPECT_EQ(std::string(kRouterNotFound) + "\r\nIGDエラー3(ルーター反応なし)", ui_.messages[0]);
}

TEST_F(ListRunTest, ABadCountIsRefusedBeforeTheRouterIsAsked) {
    Start({"/list_hide", "all"});
    FireTimer();
    EXPECT_TRUE(igd_->ActionRequests().empty());
    EXPECT_EQ(kExitBatchFailed, ui_.ExitCode());
    EXPECT_EQ(std::vector<std::string>{"一覧の件数は1から1000の数で指定してください"},
              ui_.messages);
}

}  // namespace
