#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QUrlQuery>

#include <optional>
#include <utility>
#include <variant>

namespace brevant::devd {

// Why a request cannot be served, as the status and the sentence of the reply.
struct HttpRefusal {
    int status = 400;
    QString message;
};

// How the body after a head is framed.
struct NoBody {};
struct LengthBody {
    qint64 length = 0;
};
struct ChunkedBody {};
using BodyFraming = std::variant<NoBody, LengthBody, ChunkedBody, HttpRefusal>;

// The request line and header fields of one HTTP/1.x request, parsed strictly: anything a
// sloppy parser might read in two ways (folded lines, control characters, two lengths) is refused.
struct RequestHead {
    QByteArray method; // as sent: "GET", "POST", ...
    QString path;      // percent-encoded, without the query
    QUrlQuery query;
    int minorVersion = 1;                            // HTTP/1.0 or HTTP/1.1
    QList<std::pair<QByteArray, QByteArray>> fields; // names in lower case, values trimmed

    // The value of the field `name` (lower case); several fields of that name are joined by ", ".
    QByteArray value(QByteArrayView name) const;
    bool has(QByteArrayView name) const;
    // "Upgrade: websocket" together with "Connection: upgrade".
    bool isWebSocketUpgrade() const;
    // The connection ends after the answer: "Connection: close", or HTTP/1.0 without keep-alive.
    bool closesAfter() const;
    BodyFraming framing() const;
};

// Parses a head that ends in an empty line (the "\r\n\r\n" included or not).
std::variant<RequestHead, HttpRefusal> parseRequestHead(QByteArrayView head);

} // namespace brevant::devd
