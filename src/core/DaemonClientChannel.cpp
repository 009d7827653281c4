// The live channel and the launcher of DaemonClient.

#include "DaemonClient.h"

#include <QTimer>
#include <QUrl>
#include <QWebSocket>

#include "Awaitables.h"

namespace brevant {

void DaemonClient::connectWebSocket() {
    QUrl url(m_settings.baseURL + QStringLiteral("/ws"));
    if (!url.isValid())
        return;
    url.setScheme(QStringLiteral("ws"));

    QNetworkRequest request(url);
    request.setRawHeader(QByteArrayLiteral("Authorization"),
                         QByteArrayLiteral("Bearer ") + m_authToken.toUtf8());

    if (m_webSocketTask) {
        // A connection that is replaced is closed too, rather than left open and unread.
        m_webSocketTask->disconnect(this);
        m_webSocketTask->abort();
        m_webSocketTask->deleteLater();
    }
    auto* socket = new QWebSocket(QString(), QWebSocketProtocol::VersionLatest, this);
    m_webSocketTask = socket;
    // The channel carries short signals; a peer that streams a message or frame without end is
    // cut off (a failure like any other) instead of being buffered.
    socket->setMaxAllowedIncomingMessageSize(quint64(kMaxChannelMessageBytes));
    socket->setMaxAllowedIncomingFrameSize(quint64(kMaxChannelMessageBytes));

    connect(socket, &QWebSocket::textMessageReceived, this, [this, socket](const QString& text) {
        if (socket == m_webSocketTask)
            handleWebSocketMessage(text);
    });
    // Binary messages carry nothing for the client; they are not even connected.
    connect(socket, &QWebSocket::disconnected, this, [this, socket] { webSocketFailed(socket); });
    connect(socket, qOverload<QAbstractSocket::SocketError>(&QWebSocket::error), this,
            [this, socket](QAbstractSocket::SocketError) { webSocketFailed(socket); });

    // A daemon that takes the connection but never completes the handshake counts as a failure.
    QTimer::singleShot(m_settings.requestTimeout, socket, [socket] {
        if (socket->state() != QAbstractSocket::ConnectedState)
            socket->abort();
    });
    if (listenerRefusal()) {
        // A stranger on the daemon's port gets no token: the attempt fails like a refused one.
        QTimer::singleShot(0, socket, [this, socket] { webSocketFailed(socket); });
        return;
    }
    socket->open(request);
}

void DaemonClient::handleWebSocketMessage(const QString& text) {
    Q_UNUSED(text); // a signal only: its content is never read
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

void DaemonClient::webSocketFailed(QWebSocket* socket) {
    // disconnected and error both report one loss; only the first counts.
    if (socket->property("brevantFailed").toBool())
        return;
    socket->setProperty("brevantFailed", true);
    if (socket != m_webSocketTask)
        return;
    setIsConnected(false);
    // Nothing more is read from a failed connection, even if the peer keeps sending.
    QMetaObject::invokeMethod(socket, &QWebSocket::abort, Qt::QueuedConnection);
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
