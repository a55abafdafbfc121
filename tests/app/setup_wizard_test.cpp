// The setup wizard's path through its boxes with a recording window: the
// list of supported software, the chosen program, the launcher and the
// messages when nothing is found.
#include "app/setup_wizard.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "defs/definition_list.h"
#include "defs/watch_table.h"
#include "platform/system.h"
#include "tests/app/app_test_base.h"

namespace {

class SetupWizardTest : public AppTest {
  protected:
    void SetUp() override {
        AppTest::SetUp();
        saved_ = platform::CurrentFolder();
        scratch_.Write("Games/Srv/a.b.sh", "#!/bin/sh\n");
        scratch_.Write("Games/Srv/srv.ini", "[Net]\nPort=7777\n");
    }
    void TearDown() override {
        EXPECT_EQ(0, chdir(saved_.c_str()));
        AppTest::TearDown();
    }
    void WriteDefinitions() {
        scratch_.Write("sluice.def",
                       "# records\na.b.sh\tsrv.ini\ta.b\t//ini/Net/Port\tini\tTCP\tGame\n");
    }

    std::string saved_;
};

TEST_F(SetupWizardTest, ChosenProgramGetsALauncherInItsFolder) {
    WriteDefinitions();
    ui_.chosenFile = scratch_.PathOf("Games/Srv/a.b.sh");
    RunSetupWizard(ui_);

    ASSERT_EQ(2u, ui_.messages.size());
    EXPECT_EQ(glb_DefinitionList, ui_.messages[0]);
    EXPECT_NE(std::string::npos, ui_.messages[0].find("●Game[a.b.sh] "));
    EXPECT_EQ(kWizardTitle, ui_.messageTitles[0]);
    EXPECT_EQ(kWizardShortcutMade, ui_.messages[1]);
    EXPECT_EQ(scratch_.PathOf("Games/Srv"), platform::CurrentFolder());
    EXPECT_EQ(1, glb_WatchTable.count);

    std::string launcher = scratch_.Read("Desktop/a.b (UPnP).desktop");
    EXPECT_NE(std::string::npos, launcher.find("Path=" + scratch_.PathOf("Games/Srv") + "\n"))
        << launcher;
    EXPECT_NE(std::string::npos, launcher.find("Exec=" + scratch_.PathOf("sluice") + "\n"))
        << launcher;
    // The start set is made first, once.
    EXPECT_TRUE(scratch_.Exists(u8"Desktop/ポート閉鎖(ALL).desktop"));
}

TEST_F(SetupWizardTest, CancelEndsTheWizard) {
    WriteDefinitions();
    ui_.answerOk = false;
    RunSetupWizard(ui_);
    EXPECT_EQ(0, ui_.fileDialogs);
    EXPECT_EQ(1u, ui_.messages.size());

    ui_.answerOk = true;
    ui_.chosenFile.clear();  // the file dialog cancelled
    RunSetupWizard(ui_);
    EXPECT_EQ(1, ui_.fileDialogs);
    EXPECT_EQ(2u, ui_.messages.size());
    EXPECT_EQ(saved_, platform::CurrentFolder());
}

// Without a definition file the list is empty and the file not-found message
// follows the choice; with one that knows nothing here, the port message.
TEST_F(SetupWizardTest, NotFoundMessages) {
    ui_.chosenFile = scratch_.PathOf("Games/Srv/a.b.sh");
    RunSetupWizard(ui_);
    ASSERT_EQ(2u, ui_.messages.size());
    EXPECT_EQ("", ui_.messages[0]);
    EXPECT_EQ(kNoDefinitionFile, ui_.messages[1]);

    scratch_.Write("sluice.def", "other-srv\t\tx\t1\tfix\tTCP\n");
    RunSetupWizard(ui_);
    ASSERT_EQ(4u, ui_.messages.size());
    EXPECT_EQ(kPortNotFound, ui_.messages[3]);
    EXPECT_FALSE(scratch_.Exists("Desktop/a.b (UPnP).desktop"));
}

}  // namespace
