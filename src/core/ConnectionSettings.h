#pragma once

#include <QString>

#include <chrono>

namespace brevant {

// Where the daemon is and how often to talk to it. The defaults are the product's fixed values;
// only tests construct other settings.
struct ConnectionSettings {
    QString baseURL = QStringLiteral("http://127.0.0.1:19400"); // no trailing slash
    QString configPath = QStringLiteral("/opt/brevant/brevant.config.json");
    std::chrono::milliseconds requestTimeout{60'000};
    std::chrono::milliseconds pollInterval{500};
    std::chrono::milliseconds reconnectDelay{3'000};
    int launcherChecks = 20;
    std::chrono::milliseconds launcherInterval{500};
};

// Replies larger than this are refused: nothing the daemon legitimately sends comes near it.
inline constexpr qint64 kMaxReplyBytes = qint64(32) * 1024 * 1024;

} // namespace brevant
