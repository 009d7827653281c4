#pragma once

// The generic request routines of DaemonClient, shared by its implementation files.

#include "DaemonClient.h"
#include "RequestLayer.h"

namespace brevant {

// Neither routine touches the client after its first suspension, so a client that dies
// while a request is out is never read.
template <class T> QCoro::Task<Result<T>> DaemonClient::fetch(QString path, QByteArray method, Lane lane) {
    if (auto refusal = listenerRefusal())
        co_return *refusal;
    OutgoingRequest request = makeRequest(path);
    Result<QByteArray> raw = co_await sendRequest(request, std::move(method), std::nullopt, lane);
    if (!raw)
        co_return raw.error();
    co_return decodeEnvelope<T>(raw.value());
}

template <class T, class B> QCoro::Task<Result<T>> DaemonClient::postJSON(QString path, B body) {
    std::optional<QByteArray> encoded = json::encode(body);
    if (!encoded)
        co_return RequestError::transport(QStringLiteral("The request body could not be encoded."));
    if (auto refusal = listenerRefusal())
        co_return *refusal;
    OutgoingRequest request = makeRequest(path);
    Result<QByteArray> raw = co_await sendRequest(request, QByteArrayLiteral("POST"), std::move(encoded));
    if (!raw)
        co_return raw.error();
    co_return decodeEnvelope<T>(raw.value());
}

// The error of a request whose name or id cannot be put into a path.
inline RequestError invalidPathName(const QString& name) {
    return RequestError::transport(
        QStringLiteral("The name \"%1\" cannot be used in a request path; nothing was sent.").arg(name));
}

} // namespace brevant
