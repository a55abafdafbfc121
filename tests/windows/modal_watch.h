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

// Calls act with the next modal window of type T once it is up and shown
// (polling every 10 ms, for at most 30 s). A modal window of another type,
// such as one still closing, is waited past rather than acted on. act must
// close it.
template <class T>
void OnNextModalOf(std::function<void(T*)> act) {
    auto* poll = new QTimer;
    auto tries = std::make_shared<int>(0);
    QObject::connect(poll, &QTimer::timeout, [poll, tries, act] {
        T* modal = qobject_cast<T*>(QApplication::activeModalWidget());
        if (modal && !modal->isVisible()) modal = nullptr;
        if (!modal && ++*tries < 3000) return;
        poll->stop();
        poll->deleteLater();
        if (modal) act(modal);
    });
    poll->start(10);
}
