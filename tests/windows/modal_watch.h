// Acts on the next modal window the code under test opens: modal windows
// block in their own event loop, so the test's action runs from a timer
// inside that loop.
#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

// Calls act with the modal window as soon as one is up (polling every
// 10 ms, for at most 5 s). act must close it.
inline void OnNextModal(std::function<void(QWidget*)> act) {
    auto* poll = new QTimer;
    auto tries = std::make_shared<int>(0);
    QObject::connect(poll, &QTimer::timeout, [poll, tries, act] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal && ++*tries < 500) return;
        poll->stop();
        poll->deleteLater();
        if (modal) act(modal);
    });
    poll->start(10);
}
