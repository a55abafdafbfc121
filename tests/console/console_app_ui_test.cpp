// The window operations of a run without a display: the timer loop and its
// exit, the waits that fire timers inside a handler, messages and questions
// on the console, and what a window would hand to the user printed on
// standard output.
#include "app/console/console_app_ui.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "app/port_commands.h"
#include "app/port_map_list.h"
#include "app/windows/console_messages.h"
#include "foundation/pump.h"
#include "foundation/strlist.h"
#include "tests/console/fake_clock.h"

namespace {

class ConsoleAppUiTest : public ::testing::Test {
  protected:
    void TearDown() override { SetPumpHook(nullptr); }

    // Milliseconds the fake clock moved since the test began.
    uint32_t Elapsed() const { return FakeClock::Now() - start_; }

    FakeClock clock_;
    uint32_t start_ = FakeClock::Now();
    std::ostringstream err_;
    std::ostringstream out_;
    std::istringstream in_;
    ConsoleMessages messages_{err_, in_, false};
    ConsoleAppUi ui_{messages_, out_, FakeClock::Sleep};
    std::vector<std::string> fired_;
};

TEST_F(ConsoleAppUiTest, RunFiresTimersInDueOrderUntilTheExit) {
    int watches = 0;
    ui_.SetTimerHandler([&](int id) {
        fired_.push_back(std::to_string(id) + "@" + std::to_string(Elapsed()));
        if (id == 3 && ++watches < 3) ui_.StartTimer(3, 1000);
        if (id == 1) ui_.ExitProcess(kExitBatchDone);
    });
    ui_.StartTimer(1, 2500);
    ui_.StartTimer(3, 100);
    EXPECT_EQ(kExitBatchDone, ui_.Run());
    EXPECT_EQ((std::vector<std::string>{"3@100", "3@1100", "3@2100", "1@2500"}), fired_);
    EXPECT_TRUE(ui_.ExitRequested());
}

TEST_F(ConsoleAppUiTest, AfterTheExitNoTimerFiresAndTheFirstCodeStays) {
    ui_.SetTimerHandler([&](int id) {
        fired_.push_back(std::to_string(id));
        ui_.ExitProcess(kExitBatchDone);
        ui_.ExitProcess(kExitBatchFailed);
        ui_.StartTimer(5, 0);
    });
    ui_.StartTimer(1, 200);
    ui_.StartTimer(2, 200);
    ui_.StartTimer(4, 300);
    EXPECT_EQ(kExitBatchDone, ui_.Run());
    EXPECT_EQ(std::vector<std::string>{"1"}, fired_);
    EXPECT_EQ(0, ui_.FireDue(50));
}

TEST_F(ConsoleAppUiTest, ARunThatCanNoLongerEndEndsAsFailedAtOnce) {
    EXPECT_EQ(kExitBatchFailed, ui_.Run());
    EXPECT_EQ(0u, Elapsed());

    ui_.SetTimerHandler([&](int id) { fired_.push_back(std::to_string(id)); });
    ui_.StartTimer(1, 200);
    ui_.StartTimer(2, 400);
    ui_.StopTimer(2);
    EXPECT_EQ(kExitBatchFailed, ui_.Run());
    EXPECT_EQ(std::vector<std::string>{"1"}, fired_);
    EXPECT_EQ(200u, Elapsed());
}

// The core's waits inside a handler fire the timers that fall due
// meanwhile, as the window's event loop does during a router call.
TEST_F(ConsoleAppUiTest, WaitsInsideAHandlerFireTheTimersThatFallDue) {
    ui_.InstallPump();
    ui_.SetTimerHandler([&](int id) {
        fired_.push_back(std::to_string(id) + " begins");
        if (id == 1) {
            ui_.StartTimer(3, 100);
            PumpMessages(50);
            FakeClock::Advance(100);
            PumpMessages(50);
            ui_.ExitProcess(kExitBatchDone);
        }
        fired_.push_back(std::to_string(id) + " ends");
    });
    ui_.StartTimer(1, 200);
    EXPECT_EQ(kExitBatchDone, ui_.Run());
    EXPECT_EQ((std::vector<std::string>{"1 begins", "3 begins", "3 ends", "1 ends"}), fired_);
}

// The check runs from the loop at least every 200 ms even while the next
// timer is further away, and never from a wait inside a handler.
TEST_F(ConsoleAppUiTest, TheLoopCheckRunsBetweenTimersAndNeverInsideAWait) {
    ui_.InstallPump();
    ui_.SetLoopCheck([&] {
        fired_.push_back("check@" + std::to_string(Elapsed()));
        if (Elapsed() >= 800) ui_.ExitProcess(kExitBatchDone);
    });
    ui_.SetTimerHandler([&](int id) {
        fired_.push_back(std::to_string(id) + " begins");
        if (id == 1) {
            ui_.StartTimer(2, 0);
            ui_.StartTimer(3, 5000);
            FakeClock::Advance(500);
            PumpMessages(50);
        }
        fired_.push_back(std::to_string(id) + " ends");
    });
    ui_.StartTimer(1, 100);
    EXPECT_EQ(kExitBatchDone, ui_.Run());
    EXPECT_EQ((std::vector<std::string>{"check@100", "1 begins", "2 begins", "2 ends", "1 ends",
                                        "check@800"}),
              fired_);
}

TEST_F(ConsoleAppUiTest, WaitsFireNothingOnceTheUiIsGone) {
    int calls = 0;
    {
        ConsoleAppUi gone(messages_, out_, FakeClock::Sleep);
        gone.SetTimerHandler([&](int) { ++calls; });
        gone.InstallPump();
        gone.StartTimer(1, 0);
    }
    PumpMessages(50);
    EXPECT_EQ(0, calls);
}

TEST_F(ConsoleAppUiTest, MessagesGoToStandardErrorAndQuestionsAreAnsweredNo) {
    ui_.ShowMessage("ポートマッピング削除に失敗しました");
    ui_.ShowMessage("a\r\nb", "タイトル");
    EXPECT_FALSE(ui_.AskYesNo("よろしいですか？"));
    EXPECT_FALSE(ui_.AskYesNo("初回起動です。", "確認"));
    EXPECT_FALSE(ui_.AskOkCancel("定義ファイルを選びます。", "ウィザード"));
    EXPECT_EQ(
        u8"ポートマッピング削除に失敗しました\na\nb\n"
        u8"よろしいですか？\n(y/n) n\n初回起動です。\n(y/n) n\n"
        u8"定義ファイルを選びます。\n(y/n) n\n",
        err_.str());
    EXPECT_EQ("", out_.str());
}

TEST_F(ConsoleAppUiTest, QuestionsOnATerminalTakeTheAnswer) {
    std::istringstream answers("y\nno\nyes\nn\n");
    ConsoleMessages terminal(err_, answers, true);
    ConsoleAppUi ui(terminal, out_, FakeClock::Sleep);
    EXPECT_TRUE(ui.AskYesNo("よろしいですか？"));
    EXPECT_FALSE(ui.AskYesNo("よろしいですか？", "確認"));
    EXPECT_TRUE(ui.AskOkCancel("定義ファイルを選びます。", "ウィザード"));
    EXPECT_FALSE(ui.AskOkCancel("定義ファイルを選びます。", "ウィザード"));
}

// No window can offer a file: the choice is always cancelled.
TEST_F(ConsoleAppUiTest, NoFileIsChosen) {
    EXPECT_EQ("", ui_.ChooseExistingFile());
    EXPECT_EQ("", out_.str());
    EXPECT_EQ("", err_.str());
}

// A listing for scripts goes to standard output exactly as given, in UTF-8.
TEST_F(ConsoleAppUiTest, OutputForScriptsIsWrittenAsItIs) {
    ui_.WriteOutput("8000\tTCP\t192.168.0.10\t8000\t1\tサーバー\t0\n");
    ui_.WriteOutput("");
    ui_.WriteOutput("9000\tUDP");
    EXPECT_EQ(u8"8000\tTCP\t192.168.0.10\t8000\t1\tサーバー\t0\n9000\tUDP", out_.str());
    EXPECT_EQ("", err_.str());
}

TEST_F(ConsoleAppUiTest, WhatAWindowHandsToTheUserIsPrinted) {
    ui_.CopyToClipboard("203.0.113.7:8000");
    ui_.OpenUrl("http://192.168.0.1/");
    ui_.ShowDeviceSearchWindow("uuid:dev-0\r\nルーター\r\n");
    StrList records;
    records.Add("\t8000\tTCP\t8000\t192.168.0.10\t1\tSluice8000T\t0");
    PortMapList list(ui_);
    list.Load(records, "192.168.0.10", false);
    ui_.ShowPortMapWindow(list);
    EXPECT_EQ(
        u8"203.0.113.7:8000\nhttp://192.168.0.1/\nuuid:dev-0\nルーター\n"
        u8"8000(TCP)→192.168.0.10:8000【○】\tSluice8000T\t0\n",
        out_.str());
    EXPECT_EQ("", err_.str());
}

TEST_F(ConsoleAppUiTest, TheWindowsLooksLeaveNoTrace) {
    MainFields fields;
    fields.wanPort = "8000";
    fields.protocol = kProtocolUdp;
    ui_.ShowFields(fields);
    ui_.SetStatusLine("Port Open....");
    ui_.EnableMainWindow(false);
    ui_.ShowBusyPanel("Open....", "bmp/open.bmp");
    ui_.HideMainWindow();
    MainFields read;
    ui_.ReadFields(read);
    EXPECT_EQ("8000", read.wanPort);
    EXPECT_EQ(kProtocolUdp, read.protocol);
    EXPECT_FALSE(ui_.CtrlHeld());
    EXPECT_EQ("", out_.str());
    EXPECT_EQ("", err_.str());
}

// The real clock and sleep: the loop waits for its timer, and a real wait
// inside a handler fires a timer that falls due during it.
TEST(ConsoleAppUiRealClockTest, LoopAndWaitsRunOnTheRealClock) {
    std::ostringstream err, out;
    std::istringstream in;
    ConsoleMessages messages(err, in, false);
    ConsoleAppUi ui(messages, out);
    ui.InstallPump();
    std::vector<int> fired;
    ui.SetTimerHandler([&](int id) {
        fired.push_back(id);
        if (id != 1) return;
        ui.StartTimer(3, 50);
        PumpSleep(200);
        ui.ExitProcess(kExitBatchDone);
    });
    ui.StartTimer(1, 30);
    EXPECT_EQ(kExitBatchDone, ui.Run());
    EXPECT_EQ((std::vector<int>{1, 3}), fired);
}

}  // namespace
