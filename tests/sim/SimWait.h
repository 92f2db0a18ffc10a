#pragma once

#include <QEventLoop>
#include <QObject>
#include <QTimer>

#include <functional>

// Runs a local event loop until `done` holds, looked at each time `sender` emits `signal`, or
// until the time-out; true when `done` holds at the end.
template <typename Sender, typename Signal>
bool waitUntil(const Sender *sender, Signal signal, const std::function<bool()> &done, int timeoutMs)
{
    if (done())
        return true;
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(sender, signal, &loop, [&] {
        if (done())
            loop.quit();
    });
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    timer.start(timeoutMs);
    loop.exec();
    return done();
}
