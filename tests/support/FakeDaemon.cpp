#include "FakeDaemon.h"

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QWebSocket>
#include <QWebSocketServer>

namespace brevant::test {

namespace {

QByteArray reason(int status) {
    switch (status) {
    case 200:
        return "OK";
    case 204:
        return "No Content";
    case 302:
        return "Found";
    case 400:
        return "Bad Request";
    case 401:
        return "Unauthorized";
    case 404:
        return "Not Found";
    case 500:
        return "Internal Server Error";
    default:
        return "Status";
    }
}

// Parses a request head; false while it is incomplete.
bool parseHead(const QByteArray& buffer, FakeDaemon::Request& request, qsizetype& headLength) {
    const qsizetype end = buffer.indexOf("\r\n\r\n");
    if (end < 0)
        return false;
    headLength = end + 4;
    const QList<QByteArray> lines = buffer.left(end).split('\n');
    const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
    request.method = first.value(0);
    request.target = first.value(1);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        QByteArray line = lines[i];
        if (line.endsWith('\r'))
            line.chop(1);
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0)
            continue;
        // Only leading blanks go: the tests check values byte for byte ("Bearer " with its blank).
        QByteArray value = line.mid(colon + 1);
        while (value.startsWith(' '))
            value.remove(0, 1);
        request.headers.insert(line.left(colon).trimmed().toLower(), value);
    }
    return true;
}

} // namespace

FakeDaemon::FakeDaemon(QObject* parent) : QObject(parent) {
    m_clock.start();
    m_webSocketServer = new QWebSocketServer(QStringLiteral("fake"), QWebSocketServer::NonSecureMode, this);
    connect(m_webSocketServer, &QWebSocketServer::newConnection, this, [this] {
        while (QWebSocket* ws = m_webSocketServer->nextPendingConnection()) {
            ws->setParent(this);
            m_webSockets.push_back(ws);
            connect(ws, &QWebSocket::disconnected, ws, &QObject::deleteLater);
            emit webSocketOpened();
        }
    });
}

FakeDaemon::~FakeDaemon() {
    stop();
}

bool FakeDaemon::start(quint16 port) {
    if (m_server)
        return true;
    m_server = new QTcpServer(this);
    if (!m_server->listen(QHostAddress::LocalHost, port ? port : m_port)) {
        delete m_server;
        m_server = nullptr;
        return false;
    }
    m_port = m_server->serverPort();
    connect(m_server, &QTcpServer::newConnection, this, &FakeDaemon::onNewConnection);
    return true;
}

void FakeDaemon::stop() {
    if (m_server) {
        m_server->close();
        delete m_server;
        m_server = nullptr;
    }
    for (auto& ws : m_webSockets)
        if (ws)
            ws->abort();
    m_webSockets.clear();
    for (auto& c : m_connections)
        if (c)
            c->abort();
    m_connections.clear();
}

QString FakeDaemon::baseURL() const {
    return QStringLiteral("http://127.0.0.1:%1").arg(m_port);
}

void FakeDaemon::setReply(const QByteArray& method, const QByteArray& target, Reply reply) {
    m_replies.insert(method + ' ' + target, std::move(reply));
}

void FakeDaemon::setData(const QByteArray& method, const QByteArray& target, const QByteArray& dataJson) {
    setReply(method, target, Reply{200, envelope(dataJson)});
}

QByteArray FakeDaemon::envelope(const QByteArray& dataJson) {
    return QByteArrayLiteral("{\"success\":true,\"data\":") + dataJson + '}';
}

QList<FakeDaemon::Request> FakeDaemon::requestsTo(const QByteArray& path) const {
    QList<Request> out;
    for (const auto& r : m_requests)
        if (r.path() == path)
            out.push_back(r);
    return out;
}

int FakeDaemon::count(const QByteArray& method, const QByteArray& path) const {
    int n = 0;
    for (const auto& r : m_requests)
        n += (r.method == method && r.path() == path) ? 1 : 0;
    return n;
}

int FakeDaemon::openWebSockets() const {
    int n = 0;
    for (const auto& ws : m_webSockets)
        n += (ws && ws->state() == QAbstractSocket::ConnectedState) ? 1 : 0;
    return n;
}

void FakeDaemon::pushText(const QString& text) {
    for (const auto& ws : m_webSockets)
        if (ws)
            ws->sendTextMessage(text);
}

void FakeDaemon::pushBinary(const QByteArray& data) {
    for (const auto& ws : m_webSockets)
        if (ws)
            ws->sendBinaryMessage(data);
}

void FakeDaemon::closeWebSockets() {
    for (const auto& ws : m_webSockets)
        if (ws)
            ws->close();
}

void FakeDaemon::onNewConnection() {
    while (QTcpSocket* socket = m_server->nextPendingConnection()) {
        m_connections.push_back(socket);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }
}

void FakeDaemon::onReadyRead(QTcpSocket* socket) {
    // Peek first: a WebSocket upgrade must reach QWebSocketServer with its head unread.
    for (;;) {
        const QByteArray buffer = socket->peek(socket->bytesAvailable());
        Request request;
        qsizetype headLength = 0;
        if (!parseHead(buffer, request, headLength))
            return;
        request.atMs = m_clock.elapsed();

        if (request.headers.value("upgrade").toLower() == "websocket") {
            m_handshakes.push_back(request);
            const bool tokenOk = m_webSocketToken.isEmpty() ||
                                 request.headers.value("authorization") == "Bearer " + m_webSocketToken;
            if (m_refuseWebSockets || !tokenOk) {
                socket->readAll();
                socket->write("HTTP/1.1 401 Unauthorized\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
                socket->disconnectFromHost();
                return;
            }
            socket->disconnect(this);
            m_connections.removeAll(socket);
            m_webSocketServer->handleConnection(socket);
            return;
        }

        const qsizetype length = request.headers.value("content-length", "0").toLongLong();
        if (buffer.size() < headLength + length)
            return;
        socket->read(headLength);
        request.body = socket->read(length);
        m_requests.push_back(request);
        emit requestReceived();
        respond(socket, request);
        if (!socket->bytesAvailable())
            return;
    }
}

void FakeDaemon::respond(QTcpSocket* socket, const Request& request) {
    auto it = m_replies.constFind(request.method + ' ' + request.target);
    if (it == m_replies.cend())
        it = m_replies.constFind(request.method + ' ' + request.path());
    const Reply reply =
        it != m_replies.cend()
            ? *it
            : Reply{404, QByteArrayLiteral("{\"success\":false,\"error\":{\"message\":\"no route\"}}")};
    QPointer<QTcpSocket> guarded(socket);
    if (reply.delay.count() > 0)
        QTimer::singleShot(reply.delay, this, [this, guarded, reply] { send(guarded, reply); });
    else
        send(guarded, reply);
}

void FakeDaemon::send(QPointer<QTcpSocket> socket, const Reply& reply) {
    if (!socket || socket->state() != QAbstractSocket::ConnectedState)
        return;
    QByteArray head = "HTTP/1.1 " + QByteArray::number(reply.status) + ' ' + reason(reply.status) + "\r\n";
    head += "Content-Type: application/json\r\n";
    if (!reply.withoutLength && reply.status != 204)
        head += "Content-Length: " + QByteArray::number(reply.body.size()) + "\r\n";
    head +=
        reply.withoutLength || reply.cutOffHalfway ? "Connection: close\r\n" : "Connection: keep-alive\r\n";
    head += "\r\n";
    socket->write(head);
    if (reply.cutOffHalfway) {
        socket->write(reply.body.left(reply.body.size() / 2));
        socket->flush();
        socket->disconnectFromHost();
        return;
    }
    if (reply.status != 204)
        socket->write(reply.body);
    if (reply.withoutLength)
        socket->disconnectFromHost();
}

} // namespace brevant::test
