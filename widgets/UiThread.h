#pragma once

#include <QMetaObject>
#include <QObject>
#include <QThread>
#include <utility>

namespace zel {

// Runs f on the thread that owns object: at once when called there, otherwise as a queued call
// that the owner's event loop runs later. The caller never waits for the owner's thread, so a
// worker cannot deadlock with a window that is itself waiting for the worker. A queued call is
// dropped when the object is destroyed before it runs.
template <typename F> void RunOnObjectThread(QObject* object, F&& f) {
    if (QThread::currentThread() == object->thread())
        f();
    else
        QMetaObject::invokeMethod(object, std::forward<F>(f), Qt::QueuedConnection);
}

} // namespace zel
