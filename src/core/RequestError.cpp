#include "RequestError.h"

namespace brevant {

RequestError RequestError::status(int httpStatus) {
    return {Kind::Status,
            QStringLiteral("The daemon sent a bad server response (HTTP status %1).").arg(httpStatus),
            {},
            httpStatus};
}

RequestError RequestError::envelope(std::optional<QString> message) {
    return {Kind::Envelope, message ? *message : QStringLiteral("Unknown error"),
            QStringLiteral("DaemonClient"), -1};
}

} // namespace brevant
