#include "HttpFront.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QWebSocket>
#include <QWebSocketServer>

#include <sys/resource.h>

namespace brevant::devd {

namespace {

// Descriptors kept free for state files, logs, git and tar with their pipes, and live channels.
constexpr qint64 kReservedDescriptors = 64;
// Idle connections cost memory too; this many is far beyond any real use of a local daemon.
constexpr qint64 kMaxConnections = 4096;

// Raises the soft limit on open descriptors to the hard one and returns the soft limit.
qint64 raiseDescriptorLimit() {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0)
        return 1024;
    if (limit.rlim_cur < limit.rlim_max) {
        rlimit raised = limit;
        raised.rlim_cur = limit.rlim_max;
        if (::setrlimit(RLIMIT_NOFILE, &raised) == 0)
            limit = raised;
    }
    if (limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur > static_cast<rlim_t>(1) << 30)
        return qint64(1) << 30;
    return static_cast<qint64>(limit.rlim_cur);
}

} // namespace

HttpFront::HttpFront(HttpLimits limits, HttpHandlers handlers,
                     std::function<void(std::unique_ptr<QWebSocket>)> webSocket, QObject* parent)
    : QObject(parent), m_limits(limits), m_handlers(std::move(handlers)), m_webSocket(std::move(webSocket)) {
    m_upgrades = new QWebSocketServer(QStringLiteral("brevant-devd"), QWebSocketServer::NonSecureMode, this);
    connect(m_upgrades, &QWebSocketServer::newConnection, this, [this] {
        while (m_upgrades->hasPendingConnections())
            m_webSocket(std::unique_ptr<QWebSocket>(m_upgrades->nextPendingConnection()));
    });
    auto log = m_handlers.log;
    m_handlers.upgrade = [this, log](const RequestHead& head, QTcpSocket* socket,
                                     const QElapsedTimer& clock) {
        log(head.method, head.path, 101, clock);
        m_upgrades->handleConnection(socket);
    };
}

HttpFront::~HttpFront() {
    // The connections go first, while the handlers they refer to are still whole.
    for (HttpConnection* c : std::as_const(m_connections)) {
        c->disconnect(this);
        delete c;
    }
}

bool HttpFront::listen(quint16 port, QString* why) {
    m_limit = std::clamp<qint64>(raiseDescriptorLimit() - kReservedDescriptors, 16, kMaxConnections);
    m_tcp = new QTcpServer(this);
    // A burst of connections waits in the kernel rather than being refused.
    m_tcp->setListenBacklogSize(1024);
    if (!m_tcp->listen(QHostAddress::LocalHost, port)) {
        *why = QStringLiteral("cannot listen on 127.0.0.1:%1: %2").arg(port).arg(m_tcp->errorString());
        return false;
    }
    connect(m_tcp, &QTcpServer::newConnection, this, &HttpFront::acceptAll);
    // QTcpServer stops accepting for good after an error such as "too many open files": make
    // room and take up accepting again shortly.
    connect(m_tcp, &QTcpServer::acceptError, this, [this] {
        makeRoom();
        QTimer::singleShot(100, m_tcp, [this] { m_tcp->resumeAccepting(); });
    });
    return true;
}

quint16 HttpFront::port() const {
    return m_tcp ? m_tcp->serverPort() : 0;
}

void HttpFront::acceptAll() {
    while (QTcpSocket* socket = m_tcp->nextPendingConnection()) {
        if (m_connections.size() >= m_limit && !makeRoom()) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        auto* connection = new HttpConnection(socket, m_limits, m_handlers, this);
        m_connections.insert(connection);
        connect(connection, &HttpConnection::finished, this,
                [this](HttpConnection* c) { m_connections.remove(c); });
    }
}

bool HttpFront::makeRoom() {
    HttpConnection* oldest = nullptr;
    for (HttpConnection* c : std::as_const(m_connections)) {
        if (c->isWaiting() && (!oldest || c->waitingSince() < oldest->waitingSince()))
            oldest = c;
    }
    if (!oldest)
        return false;
    oldest->end();
    return true;
}

} // namespace brevant::devd
