#pragma once

// The transport under DaemonClient's requests: one send routine over the client's own HTTP/1.1
// connections (ConnectionPool), which turns every transport and status failure into a
// RequestError, and the envelope decoder.

#include "ConnectionSettings.h"
#include "JsonCodec.h"
#include "Models.h"
#include "RequestError.h"

#include <QByteArray>
#include <QHostAddress>
#include <QNetworkRequest>
#include <QUrl>

#include <QCoroTask>

#include <optional>

namespace brevant {

struct Endpoint {
    QHostAddress address;
    quint16 port = 0;
};
// Where a request to `url` goes: only plain HTTP to this machine, else nothing.
std::optional<Endpoint> loopbackEndpoint(const QUrl& url);
// The Host header's value for `url`: IPv6 hosts bracketed, the port where the URL names one.
QByteArray hostHeader(const QUrl& url);

// Sends the request (its address, raw headers and transfer timeout; only http on this machine) on
// a connection of its lane that is free at once, and returns the whole body of a 2xx reply. `body`
// absent sends none. The transfer timeout bounds the whole request, however slowly the reply
// arrives; the body is cut at kMaxReplyBytes however fast. Redirects are status failures.
QCoro::Task<Result<QByteArray>> sendRequest(QNetworkRequest request, QByteArray method,
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
