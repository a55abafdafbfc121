// The folder dialog behind GetOpenFolderName, in a library of its own so that
// only a program that asks for a folder loads Qt: libsluice.so loads it with
// dlopen on the first call. Texts in and out are UTF-8.
#include <unistd.h>

#include <QApplication>
#include <QByteArray>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QThread>
#include <QUrl>
#include <QWindow>
#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr int kChosen = 1;
constexpr int kNotChosen = 2;
const QByteArray kOffscreen = QByteArrayLiteral("offscreen");

bool HasDisplay() {
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

// The Qt platforms to try: the user's choice, else the display's own; the
// offscreen platform always last, so that a display that cannot be reached
// ends in no dialog instead of Qt ending the caller's process.
QByteArray Platforms() {
    QByteArray platforms = qgetenv("QT_QPA_PLATFORM");
    if (platforms.isEmpty()) {
        if (!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) platforms += "wayland;";
        if (!qEnvironmentVariableIsEmpty("DISPLAY")) platforms += "xcb;";
    } else {
        platforms += ';';
    }
    return platforms + kOffscreen;
}

// A Qt application made for one call, for a caller that has none. Qt keeps
// references to the argument count and list, so they live here as well.
class OwnApplication {
  public:
    OwnApplication() : arguments_{"sluice", "-platform", Platforms()} {
        for (QByteArray& argument : arguments_) pointers_.push_back(argument.data());
        pointers_.push_back(nullptr);
        count_ = static_cast<int>(arguments_.size());
        application_ = std::make_unique<QApplication>(count_, pointers_.data());
    }
    // False when Qt fell back to the offscreen platform without the user
    // asking for it: its windows would never be seen.
    bool ShowsWindows() const {
        return QGuiApplication::platformName().toUtf8() != kOffscreen ||
               qgetenv("QT_QPA_PLATFORM") == kOffscreen;
    }

  private:
    std::vector<QByteArray> arguments_;
    std::vector<char*> pointers_;
    int count_ = 0;
    std::unique_ptr<QApplication> application_;
};

// The owner's window, as the dialog's transient parent; none when the
// platform cannot take a window of another program.
std::unique_ptr<QWindow> AttachToOwner(QFileDialog& dialog, unsigned long owner) {
    if (owner == 0) return nullptr;
    dialog.winId();
    std::unique_ptr<QWindow> ownerWindow(QWindow::fromWinId(static_cast<WId>(owner)));
    if (ownerWindow && dialog.windowHandle()) {
        dialog.windowHandle()->setTransientParent(ownerWindow.get());
    }
    return ownerWindow;
}

int RunDialog(unsigned long owner, const QString& initial, const QString& title, char* path,
              unsigned size) {
    QFileDialog dialog(nullptr, title);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOptions(QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
    if (!initial.isEmpty()) dialog.setDirectory(initial);
    std::unique_ptr<QWindow> ownerWindow = AttachToOwner(dialog, owner);
    if (dialog.exec() != QDialog::Accepted) return kNotChosen;
    const QList<QUrl> urls = dialog.selectedUrls();
    if (urls.isEmpty() || !urls.first().isLocalFile()) return kNotChosen;
    QString chosen = urls.first().toLocalFile();
    QByteArray bytes = QFile::encodeName(chosen);
    if (!QFileInfo(chosen).isDir() || bytes.size() >= static_cast<qsizetype>(size)) {
        return kNotChosen;
    }
    std::memcpy(path, bytes.constData(), bytes.size() + 1);
    return kChosen;
}

}  // namespace

// 1 with the chosen folder's path (with its terminator) in path, which holds
// size bytes; 2 when nothing was chosen, the path does not fit, or no dialog
// can be shown: the caller's Qt application has no widgets or runs on another
// thread, or the caller has none and there is no display to make one on.
extern "C" int SluiceChooseFolder(unsigned long owner, const char* initial, const char* title,
                                  char* path, unsigned size) {
    QString initialText = QString::fromUtf8(initial);
    QString titleText = QString::fromUtf8(title);
    if (QCoreApplication* existing = QCoreApplication::instance()) {
        if (!qobject_cast<QApplication*>(existing) ||
            QThread::currentThread() != existing->thread()) {
            return kNotChosen;
        }
        return RunDialog(owner, initialText, titleText, path, size);
    }
    if (!HasDisplay() || gettid() != getpid()) return kNotChosen;
    OwnApplication application;
    if (!application.ShowsWindows()) return kNotChosen;
    return RunDialog(owner, initialText, titleText, path, size);
}
