#include "app/windows/qt_pump.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>

int PumpQtEvents(int n) {
    QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    if (!dispatcher) return 0;
    int dispatched = 0;
    while (dispatched < n && dispatcher->processEvents(QEventLoop::AllEvents)) ++dispatched;
    return dispatched;
}
