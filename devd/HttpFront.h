#pragma once

#include "HttpConnection.h"

#include <QObject>
#include <QSet>

#include <functional>
#include <memory>

class QTcpServer;
class QWebSocket;
class QWebSocketServer;

namespace brevant::devd {

// The listening side: accepts connections on loopback, keeps their number below what the
// process may open, and hands accepted WebSocket upgrades to a QWebSocketServer.
//
// When the connections reach the limit, the one that has been waiting longest for a request is
// ended to make room, so idle or slow peers can never lock a valid client out. The limit is the
// descriptor limit (raised to its hard maximum at start) less a reserve for files and programs.
class HttpFront : public QObject {
    Q_OBJECT
public:
    // `handlers.upgrade` is the front's own; the others come from the caller.
    HttpFront(HttpLimits limits, HttpHandlers handlers,
              std::function<void(std::unique_ptr<QWebSocket>)> webSocket, QObject* parent = nullptr);
    ~HttpFront() override;

    bool listen(quint16 port, QString* why);
    quint16 port() const;
    qsizetype connectionLimit() const { return m_limit; }

private:
    void acceptAll();
    // Ends the connection that has waited longest for a request; false when every one is busy.
    bool makeRoom();

    HttpLimits m_limits;
    HttpHandlers m_handlers;
    std::function<void(std::unique_ptr<QWebSocket>)> m_webSocket;
    QTcpServer* m_tcp = nullptr;
    QWebSocketServer* m_upgrades = nullptr;
    QSet<HttpConnection*> m_connections;
    qsizetype m_limit = 0;
};

} // namespace brevant::devd
