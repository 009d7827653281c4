#pragma once

// The transport under DaemonClient's requests: one shared network manager, one send routine that
// turns every transport and status failure into a RequestError, and the envelope decoder.

#include "Models.h"
#include "RequestError.h"

#include <QByteArray>
#include <QNetworkRequest>

#include <QCoroTask>

#include <optional>

class QNetworkAccessManager;

namespace brevant {

// The process-wide HTTP client, owned by the application object so that it outlives every
// window's client (a reply whose manager dies never finishes, stranding its coroutine).
QNetworkAccessManager* sharedNetworkManager();

// Sends the request and returns the whole body of a 2xx reply. `body` absent sends none.
QCoro::Task<Result<QByteArray>> sendRequest(QNetworkRequest request, QByteArray method,
                                            std::optional<QByteArray> body);

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
