#include "EventHub.h"

#include <QTimer>
#include <QWebSocket>

namespace brevant::devd {

EventHub::EventHub(std::optional<std::chrono::milliseconds> closeAfter, QObject* parent)
    : QObject(parent), m_closeAfter(closeAfter) {}

EventHub::~EventHub() {
    for (const QPointer<QWebSocket>& socket : std::as_const(m_sockets)) {
        if (socket) {
            socket->disconnect(this);
            socket->abort();
        }
    }
}

void EventHub::adopt(std::unique_ptr<QWebSocket> owned) {
    QWebSocket* socket = owned.release();
    socket->setParent(this);
    m_sockets.push_back(socket);
    connect(socket, &QWebSocket::disconnected, this, [this, socket] {
        m_sockets.removeAll(socket);
        socket->deleteLater();
    });
    // What the client sends is not part of the protocol; it is read and dropped.
    connect(socket, &QWebSocket::textMessageReceived, socket, [](const QString&) {});
    if (m_closeAfter) {
        QTimer::singleShot(*m_closeAfter, socket,
                           [socket] { socket->close(QWebSocketProtocol::CloseCodeGoingAway); });
    }
}

void EventHub::broadcast(const QString& event) {
    const QString message = QStringLiteral("{\"event\":\"%1\"}").arg(event);
    for (const QPointer<QWebSocket>& socket : std::as_const(m_sockets)) {
        if (socket && socket->state() == QAbstractSocket::ConnectedState)
            socket->sendTextMessage(message);
    }
}

qsizetype EventHub::openCount() const {
    return std::count_if(m_sockets.begin(), m_sockets.end(), [](const QPointer<QWebSocket>& s) {
        return s && s->state() == QAbstractSocket::ConnectedState;
    });
}

} // namespace brevant::devd
