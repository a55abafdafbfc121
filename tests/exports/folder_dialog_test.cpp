// GetOpenFolderName of the built libsluice.so with Qt's real folder dialog on
// the offscreen platform. The dialog runs modally inside the call, so each
// test acts on it from a timer in the dialog's own event loop.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

namespace {

using FolderFunction = int32_t (*)(unsigned long, const char*, char*, uint32_t, const char*);
using DialogAction = std::function<void(QFileDialog*)>;

// What the dialog showed when the action ran.
struct Shown {
    bool dialog = false;
    QString title;
    QString directory;
};

Shown g_shown;
DialogAction g_armedAction;

// Runs action on the folder dialog as soon as it is the active modal window.
void WhenDialogShows(DialogAction action) {
    QTimer::singleShot(10, [action] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog) return WhenDialogShows(action);
        g_shown = Shown{true, dialog->windowTitle(), dialog->directory().absolutePath()};
        action(dialog);
    });
}

DialogAction Choose(const QString& folder) {
    return [folder](QFileDialog* dialog) {
        dialog->setDirectory(folder);
        static_cast<QDialog*>(dialog)->accept();  // QFileDialog::accept, as its button does
    };
}

void Cancel(QFileDialog* dialog) {
    dialog->reject();
}

// For a Qt application that the library makes itself: the armed action is
// set up from the application's constructor, once.
void ArmOnConstruction() {
    if (!g_armedAction) return;
    WhenDialogShows(g_armedAction);
    g_armedAction = nullptr;
}

FolderFunction LoadFolderChooser() {
    void* library = dlopen(SLUICE_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    return library ? reinterpret_cast<FolderFunction>(dlsym(library, "GetOpenFolderName"))
                   : nullptr;
}

// Sets an environment variable for one test (unsets it when value is null).
class EnvironmentValue {
  public:
    EnvironmentValue(const char* name, const char* value) : name_(name) {
        const char* old = std::getenv(name);
        if (old) old_ = std::make_unique<std::string>(old);
        value ? setenv(name, value, 1) : unsetenv(name);
    }
    ~EnvironmentValue() { old_ ? setenv(name_, old_->c_str(), 1) : unsetenv(name_); }

  private:
    const char* name_;
    std::unique_ptr<std::string> old_;
};

std::string Utf8(const QString& text) {
    return text.toUtf8().toStdString();
}

class FolderDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        g_shown = Shown();
        choose_ = LoadFolderChooser();
        ASSERT_NE(nullptr, choose_) << dlerror();
    }

    FolderFunction choose_ = nullptr;
};

// The caller has a QApplication of its own, which the dialog uses.
class InCallersApplicationTest : public FolderDialogTest {
  protected:
    void SetUp() override {
        FolderDialogTest::SetUp();
        application_ = std::make_unique<QApplication>(argc_, argv_);
        ASSERT_TRUE(folders_.isValid());
        root_ = folders_.path();
    }
    void TearDown() override { application_.reset(); }

    // A new folder under the test's own; its path as the file system has it.
    QString MakeFolder(const QString& name) {
        QDir(root_).mkpath(name);
        return root_ + QStringLiteral("/") + name;
    }

    int argc_ = 1;
    char name_[16] = "folder_tests";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QApplication> application_;
    QTemporaryDir folders_;
    QString root_;
};

TEST_F(InCallersApplicationTest, ChoosesAFolderWithTheDefaultTitleFromTheInitialFolder) {
    QString chosen = MakeFolder(QStringLiteral("chosen"));
    WhenDialogShows(Choose(chosen));
    char buffer[1024] = "unchanged";
    std::string initial = Utf8(root_);
    EXPECT_EQ(1, choose_(0, initial.c_str(), buffer, sizeof buffer, nullptr));
    EXPECT_EQ(Utf8(chosen), buffer);
    EXPECT_EQ(g_shown.title, QString::fromUtf8(u8"フォルダを選択してください"));
    EXPECT_EQ(g_shown.directory, root_);
}

TEST_F(InCallersApplicationTest, TakesAndGivesCp932Texts) {
    QString chosen = MakeFolder(QString::fromUtf8(u8"フォルダ"));
    WhenDialogShows(Choose(chosen));
    char buffer[1024] = "unchanged";
    EXPECT_EQ(1, choose_(0, nullptr, buffer, sizeof buffer, "選択"));
    EXPECT_EQ(Utf8(root_) + "/フォルダ", buffer) << "CP932 bytes";
    EXPECT_EQ(g_shown.title, QString::fromUtf8(u8"選択"));
}

TEST_F(InCallersApplicationTest, CutsAPathToTheBufferWithoutSplittingACharacter) {
    QString chosen = MakeFolder(QString::fromUtf8(u8"フォルダ"));
    std::string prefix = Utf8(root_) + "/";
    struct Case {
        uint32_t size;
        std::string expected;
    };
    const Case cases[] = {
        {10, prefix.substr(0, 9)},
        {static_cast<uint32_t>(prefix.size() + 2), prefix},  // room for half of "フ"
        {static_cast<uint32_t>(prefix.size() + 3), prefix + "フ"},
        {1, ""},
    };
    for (const Case& c : cases) {
        WhenDialogShows(Choose(chosen));
        char buffer[1024];
        std::memset(buffer, 'z', sizeof buffer);
        EXPECT_EQ(1, choose_(0, nullptr, buffer, c.size, nullptr)) << c.size;
        EXPECT_EQ(c.expected, buffer) << c.size;
        EXPECT_EQ('z', buffer[c.size]) << "nothing written past the buffer";
    }
}

TEST_F(InCallersApplicationTest, GivesTwoAndLeavesTheBufferWhenNothingUsableIsChosen) {
    QString latin = MakeFolder(QString::fromUtf8(u8"café"));  // "é" has no CP932 form
    const std::pair<const char*, DialogAction> cases[] = {
        {"cancelled", Cancel},
        {"no CP932 path", Choose(latin)},
    };
    for (const auto& [name, action] : cases) {
        WhenDialogShows(action);
        char buffer[1024] = "unchanged";
        EXPECT_EQ(2, choose_(0, nullptr, buffer, sizeof buffer, nullptr)) << name;
        EXPECT_STREQ("unchanged", buffer) << name;
        EXPECT_TRUE(g_shown.dialog) << name;
    }
}

TEST_F(InCallersApplicationTest, AnOwnerWindowDoesNotKeepTheDialogFromWorking) {
    QWidget owner;
    owner.show();
    QString chosen = MakeFolder(QStringLiteral("owned"));
    WhenDialogShows(Choose(chosen));
    char buffer[1024] = "";
    EXPECT_EQ(1, choose_(static_cast<unsigned long>(owner.winId()), nullptr, buffer, sizeof buffer,
                         nullptr));
    EXPECT_EQ(Utf8(chosen), buffer);
}

TEST_F(FolderDialogTest, ACallerWithoutWidgetsGetsTwoAtOnce) {
    int argc = 1;
    char name[] = "core_only";
    char* argv[] = {name, nullptr};
    QCoreApplication application(argc, argv);
    char buffer[16] = "unchanged";
    EXPECT_EQ(2, choose_(0, nullptr, buffer, sizeof buffer, nullptr));
    EXPECT_STREQ("unchanged", buffer);
}

TEST_F(FolderDialogTest, WithoutADisplayACallerWithoutQtGetsTwoAtOnce) {
    EnvironmentValue display("DISPLAY", nullptr);
    EnvironmentValue wayland("WAYLAND_DISPLAY", nullptr);
    char buffer[16] = "unchanged";
    EXPECT_EQ(2, choose_(0, nullptr, buffer, sizeof buffer, nullptr));
    EXPECT_STREQ("unchanged", buffer);
    EXPECT_EQ(nullptr, QCoreApplication::instance());
}

TEST_F(FolderDialogTest, AnUnreachableDisplayGivesTwoInsteadOfEndingTheCaller) {
    EnvironmentValue display("DISPLAY", ":97");
    EnvironmentValue wayland("WAYLAND_DISPLAY", nullptr);
    EnvironmentValue platform("QT_QPA_PLATFORM", nullptr);
    char buffer[16] = "unchanged";
    EXPECT_EQ(2, choose_(0, nullptr, buffer, sizeof buffer, nullptr));
    EXPECT_STREQ("unchanged", buffer);
    EXPECT_EQ(nullptr, QCoreApplication::instance()) << "the call's own application is gone";
}

TEST_F(FolderDialogTest, ACallerWithoutQtGetsAnApplicationForTheCall) {
    EnvironmentValue display("DISPLAY", ":97");
    EnvironmentValue platform("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir folders;
    ASSERT_TRUE(folders.isValid());
    qAddPreRoutine(ArmOnConstruction);
    g_armedAction = Choose(folders.path());
    char buffer[1024] = "unchanged";
    EXPECT_EQ(1, choose_(0, nullptr, buffer, sizeof buffer, nullptr));
    EXPECT_EQ(Utf8(folders.path()), buffer);
    EXPECT_EQ(nullptr, QCoreApplication::instance()) << "the call's own application is gone";
}

}  // namespace
