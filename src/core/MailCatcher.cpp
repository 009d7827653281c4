#include "MailCatcher.h"

namespace brevant {

std::optional<QUrl> mailCatcherURL(const std::optional<AppConfig>& config) {
    const qint64 port = config ? config->ports.mailhogWeb : 8025;
    if (port <= 0 || port > 65535)
        return std::nullopt;
    return QUrl(QStringLiteral("http://localhost:") + QString::number(port));
}

} // namespace brevant
