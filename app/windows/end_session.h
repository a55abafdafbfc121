// Hands a request to end the process (SIGTERM, SIGHUP, SIGINT, or the desktop
// session ending) to the program's shutdown handling on the main loop. A
// request that comes while a router command waits is handled once that
// command is done, so no deletion runs in the middle of another call.
#pragma once

#include <QObject>
#include <QTimer>

class CSluiceDlg;

class EndSessionWatch final : public QObject {
  public:
    // Installs the signal handlers and listens for the session's end.
    explicit EndSessionWatch(CSluiceDlg& window);

  private:
    void Poll();

    CSluiceDlg& window_;
    QTimer timer_;
};
