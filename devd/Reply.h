#pragma once

// What a route sees of a request and what it answers. Every answer is an APIResponse envelope
// encoded with the core codec, so the client's own decoder is the judge of its shape.

#include "JsonCodec.h"
#include "Models.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QUrlQuery>

#include <optional>
#include <variant>

namespace brevant::devd {

struct Request {
    QByteArray method; // "GET", "POST", ...
    QString path;      // as sent, percent-encoded, without the query
    QUrlQuery query;
    QByteArray body;
    QHash<QString, QString> params; // the named segments of the matched route, decoded
};

struct Reply {
    int status = 200;
    QByteArray body;
};

// An envelope that says the request failed: {"success":false,"error":{"code":...,"message":...}}.
Reply failure(int status, const QString& code, const QString& message);

// An envelope carrying `data`.
template <class T> Reply success(const T& data, int status = 200) {
    APIResponse<T> envelope;
    envelope.success = true;
    envelope.data = data;
    std::optional<QByteArray> body = json::encode(envelope);
    if (!body)
        return failure(500, QStringLiteral("ENCODING_FAILED"),
                       QStringLiteral("The reply could not be encoded."));
    return {status, std::move(*body)};
}

// Decodes a request body; on failure `error` holds the 400 to send.
template <class T> std::optional<T> decodeBody(const Request& request, Reply& error) {
    QString why;
    std::optional<T> value = json::decode<T>(request.body, &why);
    if (!value)
        error = failure(400, QStringLiteral("BAD_REQUEST"),
                        QStringLiteral("The request body is not valid: %1.").arg(why));
    return value;
}

// A value, or the failure reply that explains why there is none.
template <class T> class Outcome {
public:
    Outcome(T value) : m_state(std::in_place_index<0>, std::move(value)) {}
    Outcome(Reply failure) : m_state(std::in_place_index<1>, std::move(failure)) {}
    bool ok() const { return m_state.index() == 0; }
    const T& value() const { return std::get<0>(m_state); }
    const Reply& failure() const { return std::get<1>(m_state); }

private:
    std::variant<T, Reply> m_state;
};

// The reason phrase of a status line.
QByteArray reasonPhrase(int status);

} // namespace brevant::devd
