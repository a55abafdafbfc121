// The setup wizard on the offscreen platform, from button 1014: the list of
// supported software in an OK/Cancel box, the file dialog, the launcher on the
// desktop.
#include <unistd.h>

#include <QAbstractButton>
#include <QFileDialog>
#include <QMessageBox>
#include <memory>

#include "app/setup_wizard.h"
#include "app/windows/main_controls.h"
#include "app/windows/main_dialog.h"
#include "app/windows/qt_text.h"
#include "platform/system.h"
#include "tests/windows/modal_watch.h"
#include "tests/windows/window_test_base.h"

namespace {

class SetupWizardWindowTest : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        glb_Environment.SetEnum(900010, scratch_.PathOf("Desktop"));
        saved_ = platform::CurrentFolder();
        scratch_.Write("Games/Srv/srv-w.sh", "#!/bin/sh\n");
        scratch_.Write("Games/Srv/srv.ini", "[Net]\nPort=7777\n");
        window_ = std::make_unique<CSluiceDlg>(&console_);
        window_->show();
    }
    void TearDown() override {
        window_.reset();
        EXPECT_EQ(0, chdir(saved_.c_str()));
        WindowTest::TearDown();
    }

    // Clicks button 1014, answers the list box with OK (keeping its title and
    // text) and picks file in the file dialog ("" cancels it).
    void RunWizard(const std::string& file) {
        OnNextModalOf<QMessageBox>([this, file](QMessageBox* box) {
            listTitle_ = box->windowTitle();
            listText_ = box->text();
            OnNextModalOf<QFileDialog>([file, this](QFileDialog* dialog) {
                fileFilter_ = dialog->nameFilters().join(QStringLiteral(";"));
                if (file.empty()) {
                    dialog->reject();
                    return;
                }
                dialog->selectFile(QString::fromStdString(file));
                static_cast<QDialog*>(dialog)->accept();
            });
            box->button(QMessageBox::Ok)->click();
        });
        ButtonControl(window_.get(), kIdWizard)->click();
    }

    std::unique_ptr<CSluiceDlg> window_;
    std::string saved_;
    QString listTitle_, listText_, fileFilter_;
};

TEST_F(SetupWizardWindowTest, ChosenProgramGetsALauncherWithItsFolder) {
    scratch_.Write("sluice.def", "srv-w.sh\tsrv.ini\tsrv-w\t//ini/Net/Port\tini\tTCP\tGame\n");
    EXPECT_TRUE(ButtonControl(window_.get(), kIdWizard)->isEnabled());
    RunWizard(scratch_.PathOf("Games/Srv/srv-w.sh"));

    EXPECT_EQ(ToQString(kWizardTitle), listTitle_);
    EXPECT_TRUE(listText_.contains(QString::fromUtf8(u8"●Game[srv-w.sh]")))
        << listText_.toStdString();
    EXPECT_EQ(QString::fromUtf8(u8"サーバーアプリケーション (*)"), fileFilter_);
    EXPECT_NE(std::string::npos, Messages().find(u8"デスクトップにショートカットを作成しました"))
        << Messages();
    std::string launcher = scratch_.Read("Desktop/srv-w (UPnP).desktop");
    EXPECT_NE(std::string::npos, launcher.find("Path=" + scratch_.PathOf("Games/Srv") + "\n"))
        << launcher;
    EXPECT_EQ(scratch_.PathOf("Games/Srv"), platform::CurrentFolder());
}

}  // namespace
