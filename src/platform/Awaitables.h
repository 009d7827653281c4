#pragma once

// Small awaitables on Qt's event loop. QCoro's timer and signal awaiters bind a reference to
// Qt's null QPrivateSignal argument, which UndefinedBehaviorSanitizer rightly reports; these
// connect plainly instead.

#include <QCoreApplication>
#include <QMetaObject>
#include <QObject>
#include <QTimer>

#include <chrono>
#include <coroutine>

namespace brevant {

// Resumes after `duration` (precisely, not within a coarse timer's 5 % slack).
struct Delay {
    std::chrono::milliseconds duration;
    bool await_ready() const noexcept { return duration.count() <= 0; }
    void await_suspend(std::coroutine_handle<> handle) const {
        QTimer::singleShot(duration, Qt::PreciseTimer, [handle] { handle.resume(); });
    }
    void await_resume() const noexcept {}
};

inline Delay delay(std::chrono::milliseconds duration) {
    return Delay{duration};
}

// Resumes from the event loop, once whatever signal emission is running now has returned.
struct NextTurn {
    bool await_ready() const noexcept { return false; }
    void await_suspend(std::coroutine_handle<> handle) const {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [handle] { handle.resume(); }, Qt::QueuedConnection);
    }
    void await_resume() const noexcept {}
};

inline NextTurn nextTurn() {
    return {};
}

// Resumes once `object` emits `signal` (any arguments are dropped). The connection is made with
// `object` as context, so a sender destroyed first never resumes the coroutine: callers keep it alive.
template <class Object, class Signal> struct SignalWait {
    Object* object;
    Signal signal;
    QMetaObject::Connection connection{};
    bool await_ready() const noexcept { return false; }
    void await_suspend(std::coroutine_handle<> handle) {
        auto resumed = std::make_shared<bool>(false);
        connection = QObject::connect(object, signal, object, [handle, resumed, this] {
            if (*resumed)
                return;
            *resumed = true;
            QObject::disconnect(connection);
            handle.resume();
        });
    }
    void await_resume() const noexcept {}
};

template <class Object, class Signal> SignalWait<Object, Signal> nextSignal(Object* object, Signal signal) {
    return {object, signal};
}

} // namespace brevant
