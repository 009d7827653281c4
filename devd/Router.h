#pragma once

#include "Reply.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <QCoroTask>

#include <functional>

namespace brevant::devd {

// Maps a method and a path below /api to a handler. Patterns are written like
// "/services/:name/logs": a ":" segment matches one non-empty segment, handed to the handler
// percent-decoded under its name. A decoded segment may hold "/" (sent as %2F); handlers judge
// what they do with it.
class Router {
public:
    using Handler = std::function<QCoro::Task<Reply>(Request)>;

    void add(QByteArray method, const QString& pattern, Handler handler);

    // Runs the matching handler, or answers 404 (no such path) or 405 (no such method there).
    QCoro::Task<Reply> dispatch(Request request) const;

    // Wraps a handler that answers at once.
    template <class F> static Handler immediate(F f) {
        return [f = std::move(f)](Request request) -> QCoro::Task<Reply> { co_return f(request); };
    }

private:
    struct Route {
        QByteArray method;
        QStringList segments;
        Handler handler;
    };
    QList<Route> m_routes;
};

} // namespace brevant::devd
