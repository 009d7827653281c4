// The live channel and the launcher of DaemonClient.

#include "DaemonClient.h"

#include "Awaitables.h"
#include "RequestLayer.h"
#include "WebSocketChannel.h"

#include <QTimer>
#include <QUrl>

namespace brevant {

void DaemonClient::connectWebSocket() {
    // Like every request, the channel goes only to this machine, over plain HTTP.
    const QUrl base(m_settings.baseURL);
    const std::optional<Endpoint> endpoint = loopbackEndpoint(base);
    if (!endpoint)
        return;
    const QByteArray target = base.path(QUrl::FullyEncoded).toUtf8() + "/ws";

    if (m_webSocketTask) {
        // A connection that is replaced is closed too, rather than left open and unread.
        m_webSocketTask->disconnect(this);
        m_webSocketTask->abort();
        m_webSocketTask->deleteLater();
    }
    auto* socket = new WebSocketChannel(this);
    m_webSocketTask = socket;
    connect(socket, &WebSocketChannel::textMessageReceived, this, [this, socket] {
        if (socket == m_webSocketTask)
            handleWebSocketMessage();
    });
    connect(socket, &WebSocketChannel::ended, this, [this, socket] { webSocketFailed(socket); });

    // A daemon that takes the connection but never completes the handshake counts as a failure.
    QTimer::singleShot(m_settings.requestTimeout, socket, [socket] {
        if (!socket->isOpen())
            socket->abort();
    });
    if (listenerRefusal()) {
        // A stranger on the daemon's port gets no token: the attempt fails like a refused one.
        QTimer::singleShot(0, socket, [this, socket] { webSocketFailed(socket); });
        return;
    }
    socket->open(endpoint->address, endpoint->port, hostHeader(base), target,
                 {{QByteArrayLiteral("Authorization"), QByteArrayLiteral("Bearer ") + m_authToken.toUtf8()}});
}

void DaemonClient::handleWebSocketMessage() {
    // A message is a signal only: its content is never read.
    // While a refresh of the channel's is out, further messages fold into one that follows it:
    // a flood costs one refresh at a time, and no message goes unanswered.
    if (m_channelRefreshRunning) {
        m_channelRefreshAgain = true;
        return;
    }
    m_channelRefreshRunning = true;
    channelRefreshes();
}

QCoro::Task<void> DaemonClient::channelRefreshes() {
    QPointer<DaemonClient> self(this);
    do {
        m_channelRefreshAgain = false;
        co_await refreshStatus(Lane::Background);
        if (!self)
            co_return;
    } while (m_channelRefreshAgain);
    m_channelRefreshRunning = false;
}

void DaemonClient::webSocketFailed(WebSocketChannel* socket) {
    if (socket != m_webSocketTask)
        return;
    setIsConnected(false);
    socket->abort(); // a refused listener's attempt has not even started
    QTimer::singleShot(m_settings.reconnectDelay, Qt::PreciseTimer, this, [this, socket] {
        if (socket == m_webSocketTask)
            connectWebSocket();
    });
}

QCoro::Task<bool> DaemonClient::ensureDaemonRunning() {
    QPointer<DaemonClient> self(this);
    co_await fetchStatus();
    if (!self)
        co_return false;
    if (m_isConnected)
        co_return true;

    // Copies: the client may be gone by the time the process ends.
    const std::shared_ptr<ProcessRunner> runner = m_runner;
    const Command load = m_profile.loadDaemon;
    const int checks = m_settings.launcherChecks;
    const auto interval = m_settings.launcherInterval;
    co_await runner->runAndWait(load.program, load.arguments);

    for (int i = 0; i < checks; ++i) {
        co_await delay(interval);
        if (!self)
            co_return false;
        co_await fetchStatus();
        if (!self)
            co_return false;
        if (m_isConnected)
            co_return true;
    }
    co_return false;
}

} // namespace brevant
