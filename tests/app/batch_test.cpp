// Batch runs: the pictures of the busy panel, what the timers show or hide,
// and whole runs from the command line to the exit code against a fake
// router on loopback.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/batch_timers.h"
#include "app/port_commands.h"
#include "app/settings_keys.h"
#include "app/sluice_app.h"
#include "tests/app/app_test_base.h"

namespace {

constexpr char kLanAddress[] = "192.168.0.10";

class BatchTest : public AppTest {
  protected:
    // Starts the program with args and aims the router session it reset at
    // the fake router.
    void Start(const std::vector<std::string>& args) {
        app_.Startup(args);
        AimAtFakeRouter();
    }
    std::string BmpFolder() const { return scratch_.PathOf("bmp/"); }

    SluiceApp app_{ui_};
};

TEST_F(BatchTest, PicturesAreChosenByKind) {
    scratch_.Write("bmp/open.bmp", "BM");
    scratch_.Write("bmp/more/blue_open.bmp", "BM");
    scratch_.Write("bmp/close.bmp", "BM");
    scratch_.Write("bmp/closeall.bmp", "BM");
    scratch_.Write("bmp/notes.txt", "");
    for (int i = 0; i < 10; ++i) {
        std::string open = BatchPicture(BmpFolder(), kPictureOpen);
        EXPECT_TRUE(open == BmpFolder() + "open.bmp" || open == BmpFolder() + "more/blue_open.bmp")
            << open;
    }
    EXPECT_EQ(BmpFolder() + "close.bmp", BatchPicture(BmpFolder(), kPictureClose));
    EXPECT_EQ(BmpFolder() + "closeall.bmp", BatchPicture(BmpFolder(), kPictureCloseAll));
}

TEST_F(BatchTest, NoPictureFolderLeavesCaption) {
    EXPECT_EQ("", BatchPicture(BmpFolder(), kPictureOpen));
    EXPECT_EQ(scratch_.PathOf("bmp/"), BatchPictureFolder());
}

TEST_F(BatchTest, HiddenOpenEndsDoneWithoutWindow) {
    Start({"/open_hide", "8000-8002", "TCP", "8000", kLanAddress});
    app_.OnTimer(kTimerBatchOpen);
    EXPECT_EQ(std::vector<int>{kTimerBatchOpen}, ui_.stoppedTimers);
    EXPECT_TRUE(ui_.hidden);
    EXPECT_TRUE(ui_.busyCaptions.empty());
    EXPECT_EQ((std::vector<std::string>{"8000", "8001", "8002"}),
              Sent("AddPortMapping", "NewExternalPort"));
    EXPECT_EQ((std::vector<std::string>(3, "8000")), Sent("AddPortMapping", "NewInternalPort"));
    EXPECT_TRUE(ui_.messages.empty());
    EXPECT_EQ(std::vector<int>{kExitBatchDone}, ui_.exitCodes);
}

TEST_F(BatchTest, CloseShowsBusyPanelWithPicture) {
    scratch_.Write("bmp/close.bmp", "BM");
    Start({"/close", "8000", "UDP"});
    app_.OnTimer(kTimerBatchClose);
    EXPECT_FALSE(ui_.hidden);
    EXPECT_FALSE(ui_.disableCount == 0);
    EXPECT_EQ(std::vector<std::string>{"Close...."}, ui_.busyCaptions);
    EXPECT_EQ(std::vector<std::string>{BmpFolder() + "close.bmp"}, ui_.busyPictures);
    EXPECT_NE(ui_.statusLines.end(),
              std::find(ui_.statusLines.begin(), ui_.statusLines.end(), "Port Close...."));
    EXPECT_EQ(std::vector<std::string>{"UDP"}, Sent("DeletePortMapping", "NewProtocol"));
    EXPECT_EQ(std::vector<int>{kExitBatchDone}, ui_.exitCodes);
}

TEST_F(BatchTest, CloseAllShowsItsCaptionWithoutPictures) {
    Start({"/closeall"});
    igd_->QueueAnswer(IgdScenario::kErrorStatus, "GetGenericPortMappingEntry", {});
    app_.OnTimer(kTimerBatchCloseAll);
    EXPECT_EQ(std::vector<std::string>{"All Close...."}, ui_.busyCaptions);
    EXPECT_EQ(std::vector<std::string>{""}, ui_.busyPictures);
    EXPECT_EQ("Port All Close....", ui_.statusLines.back());
    EXPECT_EQ(std::vector<int>{kExitBatchDone}, ui_.exitCodes);
}

TEST_F(BatchTest, FailedOpenWithMessagesOffStillFails) {
    scratch_.Write("sluice.ini", "[設定]\r\nMessageOff=1\r\n");
    Start({"/open_hide", "8000", "TCP", "8000", kLanAddress});
    igd_->AnswerActions(IgdScenario::kErrorStatus, "AddPortMapping", {});
    app_.OnTimer(kTimerBatchOpen);
    EXPECT_TRUE(ui_.messages.empty());
    EXPECT_EQ(std::vector<int>{kExitBatchFailed}, ui_.exitCodes);
}

TEST_F(BatchTest, InvalidPortEndsAtOnce) {
    Start({"/open", "abc", "TCP", "8000", kLanAddress});
    app_.OnTimer(kTimerBatchOpen);
    EXPECT_EQ(std::vector<std::string>{kWanPortInvalid}, ui_.messages);
    EXPECT_EQ(std::vector<int>{kExitBatchFailed}, ui_.exitCodes);
    EXPECT_TRUE(igd_->ActionRequests().empty());
}

TEST_F(BatchTest, OtherTimersAreNotBatchWork) {
    MainFields fields;
    EXPECT_FALSE(RunBatchTimer(ui_, fields, kTimerWatch));
    EXPECT_FALSE(RunBatchTimer(ui_, fields, kTimerFirstRun));
    EXPECT_TRUE(ui_.stoppedTimers.empty());
    EXPECT_TRUE(ui_.exitCodes.empty());
}

}  // namespace
