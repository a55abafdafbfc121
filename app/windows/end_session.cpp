#include "app/windows/end_session.h"

#include <QGuiApplication>
#include <QSessionManager>

#include "app/windows/main_dialog.h"
#include "foundation/pump.h"
#include "platform/termination.h"

namespace {

constexpr int kPollMs = 200;

}  // namespace

EndSessionWatch::EndSessionWatch(CSluiceDlg& window) : window_(window) {
    platform::CatchTerminationSignals();
    connect(qGuiApp, &QGuiApplication::commitDataRequest, this,
            [](QSessionManager&) { platform::RequestTermination(); });
    connect(&timer_, &QTimer::timeout, this, [this] { Poll(); });
    timer_.start(kPollMs);
}

void EndSessionWatch::Poll() {
    if (InsidePump() || window_.Ui().ExitRequested()) return;
    if (!platform::TakeTerminationRequest()) return;
    timer_.stop();
    window_.App().OnEndSession();
}
