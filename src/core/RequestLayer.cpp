#include "RequestLayer.h"

#include "ConnectionPool.h"
#include "HttpConnection.h"

#include <QDeadlineTimer>
#include <QUrl>

#include <coroutine>
#include <utility>

namespace brevant {

// Requests go only to this machine, over plain HTTP: the daemon is nowhere else.
std::optional<Endpoint> loopbackEndpoint(const QUrl& url) {
    if (!url.isValid() || url.scheme() != QLatin1StringView("http"))
        return std::nullopt;
    const QString host = url.host();
    const std::optional<HostAddress> address =
        host == QLatin1StringView("localhost") ? HostAddress::localhost() : HostAddress::parse(host);
    if (!address || !address->isLoopback())
        return std::nullopt;
    return Endpoint{*address, quint16(url.port(80))};
}

QByteArray hostHeader(const QUrl& url) {
    QByteArray host = url.host(QUrl::FullyEncoded).toUtf8();
    if (host.contains(':'))
        host = '[' + host + ']';
    if (url.port() >= 0)
        host += ':' + QByteArray::number(url.port());
    return host;
}

namespace {

// The whole request message: request line, Host, the request's own headers in their order,
// Content-Length where there is a body or the method expects one, then the body.
std::optional<QByteArray> requestMessage(const OutgoingRequest& request, const QByteArray& method,
                                         const std::optional<QByteArray>& body) {
    const QUrl& url = request.url;
    QByteArray target = url.path(QUrl::FullyEncoded).toUtf8();
    if (target.isEmpty())
        target = "/";
    if (url.hasQuery())
        target += '?' + url.query(QUrl::FullyEncoded).toUtf8();
    const QByteArray host = hostHeader(url);

    if (method.isEmpty() || method.contains(' ') || !isHeaderSafe(method) || target.contains(' ') ||
        !isHeaderSafe(target))
        return std::nullopt;
    QByteArray message = method + ' ' + target + " HTTP/1.1\r\nHost: " + host + "\r\n";
    for (const auto& [name, value] : request.headers) {
        if (name.isEmpty() || name.contains(':') || !isHeaderSafe(name) || !isHeaderSafe(value))
            return std::nullopt; // a line break in a value would smuggle a header of its own
        message += name + ": " + value + "\r\n";
    }
    const bool expectsBody = method == "POST" || method == "PUT" || method == "PATCH";
    if (body || expectsBody)
        message += "Content-Length: " + QByteArray::number(body ? body->size() : 0) + "\r\n";
    message += "\r\n";
    if (body)
        message += *body;
    return message;
}

// Suspends until the connection has sent the message and read its reply.
struct Exchange {
    HttpConnection* connection;
    QByteArray message;
    bool bodyless = false;
    std::chrono::milliseconds deadline{0};
    HttpOutcome outcome{};

    bool await_ready() const noexcept { return false; }
    void await_suspend(std::coroutine_handle<> handle) {
        connection->exchange(std::move(message), bodyless, deadline, [this, handle](HttpOutcome o) {
            outcome = std::move(o);
            handle.resume();
        });
    }
    HttpOutcome await_resume() { return std::move(outcome); }
};

Result<QByteArray> resultOf(HttpOutcome outcome) {
    using Kind = HttpOutcome::Kind;
    switch (outcome.kind) {
    case Kind::Reply:
        return std::move(outcome.body);
    case Kind::Status:
        return RequestError::status(outcome.status);
    case Kind::Refused:
        return RequestError::transport(
            QStringLiteral("Could not connect to the daemon: connection refused."));
    case Kind::Closed:
        return RequestError::transport(
            QStringLiteral("The daemon closed the connection before the reply was complete."));
    case Kind::TimedOut:
        return RequestError::transport(QStringLiteral("The request timed out."));
    case Kind::TooLarge:
        return RequestError::transport(QStringLiteral("The reply is larger than 32 MiB; it was not read."));
    case Kind::Crowded:
        return RequestError::transport(QStringLiteral(
            "The daemon's replies under way hold more than 96 MiB together; this one was not read."));
    case Kind::HeadTooLarge:
        return RequestError::transport(
            QStringLiteral("The reply's head is larger than 64 KiB; it was not read."));
    case Kind::Malformed:
        return RequestError::transport(QStringLiteral("The daemon's reply is not valid HTTP."));
    case Kind::SocketError:
        return RequestError::transport(outcome.socketError);
    case Kind::Cancelled:
        break;
    }
    return RequestError::transport(QStringLiteral("The request was cancelled."));
}

} // namespace

QCoro::Task<Result<QByteArray>> sendRequest(OutgoingRequest request, QByteArray method,
                                            std::optional<QByteArray> body, Lane lane) {
    const std::optional<Endpoint> endpoint = loopbackEndpoint(request.url);
    if (!endpoint)
        co_return RequestError::transport(
            QStringLiteral("Requests go only to this machine, over http; nothing was sent to %1.")
                .arg(request.url.toDisplayString()));
    std::optional<QByteArray> message = requestMessage(request, method, body);
    if (!message)
        co_return RequestError::transport(QStringLiteral(
            "The request could not be sent: a header or the path holds a line break or blank."));

    // A request that is safe to repeat may reuse a kept connection: should the daemon have closed
    // that one at the very moment, it goes once more on a new connection. Any other request takes
    // a new connection, so that it is never sent twice.
    const bool repeatable = method == "GET" || method == "HEAD";
    const QDeadlineTimer deadline = request.timeout.count() > 0 ? QDeadlineTimer(request.timeout)
                                                                : QDeadlineTimer(QDeadlineTimer::Forever);
    for (bool firstTry = true;; firstTry = false) {
        ConnectionPool* pool = ConnectionPool::instance();
        if (!pool)
            co_return RequestError::transport(QStringLiteral("The request was cancelled."));
        HttpConnection* connection =
            pool->acquire(lane, endpoint->address, endpoint->port, !repeatable || !firstTry);
        if (!connection)
            co_return RequestError::transport(
                QStringLiteral("Too many requests to the daemon are still waiting for their replies; this "
                               "one was not sent."));
        const bool reused = connection->used();
        Exchange exchange{connection, *message, method == "HEAD",
                          deadline.isForever()
                              ? std::chrono::milliseconds(0)
                              : std::max(std::chrono::milliseconds(1),
                                         std::chrono::milliseconds(deadline.remainingTime()))};
        HttpOutcome outcome = co_await exchange;
        if (firstTry && repeatable && reused && outcome.kind == HttpOutcome::Kind::Closed &&
            !outcome.replyStarted)
            continue;
        co_return resultOf(std::move(outcome));
    }
}

} // namespace brevant
