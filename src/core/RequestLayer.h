#pragma once

// The transport under DaemonClient's requests: one send routine over the client's own HTTP/1.1
// connections (ConnectionPool), which turns every transport and status failure into a
// RequestError, and the envelope decoder.

#include "ConnectionSettings.h"
#include "HostAddress.h"
#include "JsonCodec.h"
#include "Models.h"
#include "RequestError.h"

#include <QByteArray>
#include <QList>
#include <QUrl>

#include <QCoroTask>

#include <chrono>
#include <optional>
#include <utility>

namespace brevant {

struct Endpoint {
    HostAddress address;
    quint16 port = 0;
};

// A request to the daemon: where, the headers that follow Host (in their order), and the time the
// whole request may take (no limit when zero).
struct OutgoingRequest {
    QUrl url;
    QList<std::pair<QByteArray, QByteArray>> headers;
    std::chrono::milliseconds timeout{0};
};
// Where a request to `url` goes: only plain HTTP to this machine, else nothing.
std::optional<Endpoint> loopbackEndpoint(const QUrl& url);
// The Host header's value for `url`: IPv6 hosts bracketed, the port where the URL names one.
QByteArray hostHeader(const QUrl& url);

// Sends the request (only http on this machine) on a connection of its lane that is free at once,
// and returns the whole body of a 2xx reply. `body` absent sends none. The timeout bounds the whole
// request, however slowly the reply arrives; the body is cut at kMaxReplyBytes however fast.
// Redirects are status failures.
QCoro::Task<Result<QByteArray>> sendRequest(OutgoingRequest request, QByteArray method,
                                            std::optional<QByteArray> body, Lane lane = Lane::User);

template <class T> Result<T> decodeEnvelope(const QByteArray& body) {
    QString why;
    auto envelope = json::decode<APIResponse<T>>(body, &why);
    if (!envelope)
        return RequestError::decoding(QStringLiteral("The reply could not be decoded: %1").arg(why));
    if (envelope->success && envelope->data)
        return std::move(*envelope->data);
    return RequestError::envelope(envelope->error ? envelope->error->message : std::nullopt);
}

} // namespace brevant
