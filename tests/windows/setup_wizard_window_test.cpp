// The setup wizard on the offscreen platform, from button 1014: the list of
// supported software in an OK/Cancel box, the file dialog, the launcher on the
// desktop and the messages when nothing is found.
#include <unistd.h>

#include <QAbstractButton>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>
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
                AcceptOnceSelected(dialog, QString::fromStdString(file));
            });
            box->button(QMessageBox::Ok)->click();
        });
        ButtonControl(window_.get(), kIdWizard)->click();
    }

    // Types file into the dialog's file name box, as a user can, and closes
    // the dialog as accepted once it reports that file as selected. Typing
    // rather than selectFile(): while the box has focus, selectFile() only
    // picks the file once the dialog's folder listing, read on a thread of
    // its own, has it. done() rather than accept(): accept() answers a wrong
    // selection with a modal warning nobody would close. After 10 s the
    // dialog is cancelled and the test fails instead of hanging.
    static void AcceptOnceSelected(QFileDialog* dialog, const QString& file) {
        auto* nameBox = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        if (!nameBox) {
            ADD_FAILURE() << "the file dialog has no file name box";
            dialog->reject();
            return;
        }
        nameBox->setText(file);
        auto* poll = new QTimer(dialog);
        auto tries = std::make_shared<int>(0);
        QObject::connect(poll, &QTimer::timeout, [dialog, file, poll, tries] {
            bool selected = dialog->selectedFiles() == QStringList{file};
            if (!selected && ++*tries < 1000) return;
            poll->stop();
            if (selected) {
                static_cast<QDialog*>(dialog)->done(QDialog::Accepted);
                return;
            }
            ADD_FAILURE() << "the file dialog never selected " << file.toStdString();
            dialog->reject();
        });
        poll->start(10);
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

TEST_F(SetupWizardWindowTest, NotFoundMessages) {
    RunWizard(scratch_.PathOf("Games/Srv/srv-w.sh"));
    EXPECT_NE(std::string::npos, Messages().find(u8"Sluice.defが見つかりません")) << Messages();

    scratch_.Write("sluice.def", "other-srv\t\tx\t1\tfix\tTCP\n");
    RunWizard(scratch_.PathOf("Games/Srv/srv-w.sh"));
    EXPECT_NE(std::string::npos, Messages().find(u8"ポート番号を取得できませんでした"))
        << Messages();
    EXPECT_FALSE(scratch_.Exists("Desktop/srv-w (UPnP).desktop"));

    // A cancelled file dialog ends the wizard without a message.
    std::string before = Messages();
    RunWizard("");
    EXPECT_EQ(before, Messages());
}

}  // namespace
