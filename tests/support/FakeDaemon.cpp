#include "FakeDaemon.h"

#include <QCryptographicHash>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QWebSocket>
#include <QWebSocketServer>

#include <algorithm>
#include <functional>
#include <memory>

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

// How far a fed socket may run ahead of what the peer has read.
constexpr qint64 kWriteAhead = 256 * 1024;

// Keeps `socket` supplied with what `next` produces, a little ahead of the peer, until `next`
// returns nothing; then closes the connection.
void feed(QTcpSocket* socket, std::function<QByteArray()> next) {
    auto done = std::make_shared<bool>(false);
    auto fill = [socket, next = std::move(next), done] {
        while (!*done && socket->bytesToWrite() < kWriteAhead) {
            const QByteArray piece =
                socket->state() == QAbstractSocket::ConnectedState ? next() : QByteArray();
            if (piece.isEmpty() || socket->write(piece) < 0) { // the end, or the peer has gone
                *done = true;
                socket->disconnectFromHost();
                return;
            }
        }
    };
    QObject::connect(socket, &QTcpSocket::bytesWritten, socket, fill);
    fill();
}

QByteArray frameHead(quint8 first, quint64 length) {
    QByteArray head(1, char(first));
    if (length < 126) {
        head += char(length);
    } else if (length < 65536) {
        head += char(126);
        head += char(length >> 8);
        head += char(length & 0xFF);
    } else {
        head += char(127);
        for (int shift = 56; shift >= 0; shift -= 8)
            head += char((length >> shift) & 0xFF);
    }
    return head;
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
        socket->setProperty("fakeDaemonConnection", ++m_connectionsAccepted);
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
        request.connection = socket->property("fakeDaemonConnection").toInt();

        if (request.headers.value("upgrade").toLower() == "websocket") {
            if (m_recording)
                m_handshakes.push_back(request);
            if (m_endlessChannel != EndlessChannel::Off) {
                socket->read(headLength);
                answerEndlessChannel(socket, request);
                return;
            }
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
        if (m_recording)
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
    if (reply.hangUp) {
        socket->disconnectFromHost();
        return;
    }
    if (!reply.raw.isEmpty()) {
        socket->write(reply.raw);
        if (reply.withoutLength)
            socket->disconnectFromHost();
        return;
    }
    QByteArray head = "HTTP/1.1 " + QByteArray::number(reply.status) + ' ' + reason(reply.status) + "\r\n";
    head += "Content-Type: application/json\r\n";
    if (reply.streamBytes != 0) {
        socket->disconnect(this); // nothing more is read from this connection
        const bool endless = reply.streamBytes == kEndless;
        socket->write(head + (endless ? "Connection: close\r\n\r\n"
                                      : "Transfer-Encoding: chunked\r\nConnection: close\r\n\r\n"));
        const QByteArray filler(64 * 1024, ' ');
        auto left = std::make_shared<qint64>(reply.streamBytes);
        feed(socket, [endless, filler, left]() -> QByteArray {
            if (endless)
                return filler;
            if (*left < 0)
                return {};
            if (*left == 0) {
                *left = -1;
                return "0\r\n\r\n";
            }
            const qint64 n = std::min<qint64>(*left, filler.size());
            *left -= n;
            return QByteArray::number(n, 16) + "\r\n" + filler.left(n) + "\r\n";
        });
        return;
    }
    if (!reply.withoutLength && reply.status != 204)
        head += "Content-Length: " + QByteArray::number(reply.body.size()) + "\r\n";
    head +=
        reply.withoutLength || reply.cutOffHalfway ? "Connection: close\r\n" : "Connection: keep-alive\r\n";
    head += "\r\n";
    if (reply.tricklePause.count() > 0) {
        trickle(socket, head + reply.body, reply.tricklePause);
        return;
    }
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

void FakeDaemon::trickle(QPointer<QTcpSocket> socket, QByteArray bytes, std::chrono::milliseconds pause) {
    auto* timer = new QTimer(socket);
    auto sent = std::make_shared<qsizetype>(0);
    connect(timer, &QTimer::timeout, socket, [socket, timer, bytes, sent] {
        if (*sent >= bytes.size()) {
            timer->stop();
            return;
        }
        socket->write(bytes.mid((*sent)++, 1));
    });
    timer->start(pause);
}

void FakeDaemon::answerEndlessChannel(QTcpSocket* socket, const Request& request) {
    socket->disconnect(this);
    const QByteArray accept = QCryptographicHash::hash(request.headers.value("sec-websocket-key") +
                                                           "258EAFA5-E914-47DA-95CA-C5AB0DC85B11",
                                                       QCryptographicHash::Sha1)
                                  .toBase64();
    socket->write("HTTP/1.1 101 Switching Protocols\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
                  "Sec-WebSocket-Accept: " +
                  accept + "\r\n\r\n");
    const QByteArray filler(60'000, 'x');
    if (m_endlessChannel == EndlessChannel::OneFrame) {
        socket->write(frameHead(0x81, quint64(1) << 62)); // a text frame, final, 4 EiB long
        feed(socket, [filler] { return filler; });
        return;
    }
    // A text frame that is not final, then continuation frames that never are.
    auto first = std::make_shared<bool>(true);
    const QByteArray continuation = frameHead(0x00, quint64(filler.size())) + filler;
    feed(socket, [first, filler, continuation] {
        if (!*first)
            return continuation;
        *first = false;
        return frameHead(0x01, quint64(filler.size())) + filler;
    });
}

} // namespace brevant::test
