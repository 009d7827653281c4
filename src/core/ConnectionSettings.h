#pragma once

#include "ListenerCheck.h"

#include <QByteArray>
#include <QString>

#include <chrono>
#include <functional>

namespace brevant {

// Where the daemon is and how often to talk to it. The defaults are the product's fixed values;
// only tests construct other settings.
struct ConnectionSettings {
    QString baseURL = QStringLiteral("http://127.0.0.1:19400"); // no trailing slash
    QString configPath = QStringLiteral("/opt/brevant/brevant.config.json");
    std::chrono::milliseconds requestTimeout{60'000}; // the whole request, not the silence between bytes
    std::chrono::milliseconds pollInterval{500};
    std::chrono::milliseconds reconnectDelay{3'000};
    int launcherChecks = 20;
    std::chrono::milliseconds launcherInterval{500};
    // Who owns the sockets that would take a loopback connection to a port (tests replace it).
    std::function<QList<uint>(quint16 port)> listenerOwners = loopbackListenerOwners;
};

// Replies larger than this are refused: nothing the daemon legitimately sends comes near it.
inline constexpr qint64 kMaxReplyBytes = qint64(32) * 1024 * 1024;
// The same for one message or frame of the live channel, which only ever carries short signals.
inline constexpr qint64 kMaxChannelMessageBytes = qint64(4) * 1024 * 1024;

// What a socket to the daemon may hold unread: with a bound, it stops reading from the kernel once
// it is full, and the peer has to wait for us instead of our memory growing.
inline constexpr qint64 kSocketBufferBytes = qint64(256) * 1024;
// The most taken from such a socket at once.
inline constexpr qint64 kReadStepBytes = qint64(64) * 1024;

// Whether text may stand in a request line or header: a line break would smuggle a header of its own.
inline bool isHeaderSafe(const QByteArray& text) {
    return !text.contains('\r') && !text.contains('\n') && !text.contains('\0');
}

// Which connections a request travels on: what the user asked for never waits behind the
// background refreshes (polls and the live channel's) of a slow daemon.
enum class Lane { User, Background };

} // namespace brevant
