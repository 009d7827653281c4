#include "Reply.h"

namespace brevant::devd {

Reply failure(int status, const QString& code, const QString& message) {
    APIResponse<EmptyRequest> envelope;
    envelope.success = false;
    envelope.error = APIError{code, message};
    return {status, json::encode(envelope).value_or(QByteArrayLiteral("{\"success\":false}"))};
}

QByteArray reasonPhrase(int status) {
    switch (status) {
    case 101:
        return QByteArrayLiteral("Switching Protocols");
    case 200:
        return QByteArrayLiteral("OK");
    case 201:
        return QByteArrayLiteral("Created");
    case 204:
        return QByteArrayLiteral("No Content");
    case 400:
        return QByteArrayLiteral("Bad Request");
    case 401:
        return QByteArrayLiteral("Unauthorized");
    case 403:
        return QByteArrayLiteral("Forbidden");
    case 404:
        return QByteArrayLiteral("Not Found");
    case 405:
        return QByteArrayLiteral("Method Not Allowed");
    case 408:
        return QByteArrayLiteral("Request Timeout");
    case 409:
        return QByteArrayLiteral("Conflict");
    case 413:
        return QByteArrayLiteral("Content Too Large");
    case 422:
        return QByteArrayLiteral("Unprocessable Entity");
    case 429:
        return QByteArrayLiteral("Too Many Requests");
    case 431:
        return QByteArrayLiteral("Request Header Fields Too Large");
    case 500:
        return QByteArrayLiteral("Internal Server Error");
    case 501:
        return QByteArrayLiteral("Not Implemented");
    case 502:
        return QByteArrayLiteral("Bad Gateway");
    case 503:
        return QByteArrayLiteral("Service Unavailable");
    case 504:
        return QByteArrayLiteral("Gateway Timeout");
    case 505:
        return QByteArrayLiteral("HTTP Version Not Supported");
    default:
        return status < 400 ? QByteArrayLiteral("OK") : QByteArrayLiteral("Error");
    }
}

} // namespace brevant::devd
