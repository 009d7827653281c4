#include "Router.h"

#include <QUrl>

namespace brevant::devd {

void Router::add(QByteArray method, const QString& pattern, Handler handler) {
    m_routes.push_back({std::move(method), pattern.split(u'/', Qt::SkipEmptyParts), std::move(handler)});
}

QCoro::Task<Reply> Router::dispatch(Request request) const {
    // Empty segments ("//", a trailing "/") are kept so that they match nothing.
    QStringList segments = request.path.split(u'/');
    if (!segments.isEmpty() && segments.front().isEmpty())
        segments.removeFirst();

    bool pathMatched = false;
    for (const Route& route : m_routes) {
        if (route.segments.size() != segments.size())
            continue;
        QHash<QString, QString> params;
        bool matched = true;
        for (qsizetype i = 0; i < segments.size() && matched; ++i) {
            const QString& want = route.segments[i];
            if (want.startsWith(u':')) {
                matched = !segments[i].isEmpty();
                params.insert(want.mid(1), QUrl::fromPercentEncoding(segments[i].toUtf8()));
            } else {
                matched = want == segments[i];
            }
        }
        if (!matched)
            continue;
        pathMatched = true;
        if (route.method != request.method)
            continue;
        request.params = std::move(params);
        const Handler& handler = route.handler; // routes live as long as the router
        co_return co_await handler(std::move(request));
    }
    if (pathMatched)
        co_return failure(405, QStringLiteral("METHOD_NOT_ALLOWED"),
                          QStringLiteral("%1 is not allowed on %2.")
                              .arg(QString::fromLatin1(request.method), request.path));
    co_return failure(404, QStringLiteral("NOT_FOUND"),
                      QStringLiteral("There is no endpoint %1.").arg(request.path));
}

} // namespace brevant::devd
