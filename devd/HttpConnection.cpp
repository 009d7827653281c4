#include "HttpConnection.h"

#include <QTcpSocket>

namespace brevant::devd {

namespace {

// Answers not yet taken by the client beyond which the next request waits.
constexpr qint64 kMaxUnsent = 1024 * 1024;

qint64 nowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

QString codeFor(int status) {
    switch (status) {
    case 401:
        return QStringLiteral("UNAUTHORIZED");
    case 408:
        return QStringLiteral("REQUEST_TIMEOUT");
    case 413:
        return QStringLiteral("BODY_TOO_LARGE");
    case 431:
        return QStringLiteral("HEADERS_TOO_LARGE");
    case 501:
        return QStringLiteral("NOT_IMPLEMENTED");
    case 505:
        return QStringLiteral("HTTP_VERSION_NOT_SUPPORTED");
    default:
        return QStringLiteral("BAD_REQUEST");
    }
}

} // namespace

HttpConnection::HttpConnection(QTcpSocket* socket, const HttpLimits& limits, const HttpHandlers& handlers,
                               QObject* parent)
    : QObject(parent), m_socket(socket), m_limits(limits), m_handlers(handlers) {
    m_socket->setParent(this);
    // The socket buffers no more than a head ahead of the parser; the rest waits in the kernel,
    // which slows the sender down. So thousands of idle peers cost little memory.
    m_socket->setReadBufferSize(m_limits.maxHead);
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::CoarseTimer);
    connect(&m_timer, &QTimer::timeout, this, &HttpConnection::timedOut);
    connect(m_socket, &QTcpSocket::readyRead, this, &HttpConnection::pump);
    connect(m_socket, &QTcpSocket::bytesWritten, this, &HttpConnection::pump);
    connect(m_socket, &QTcpSocket::disconnected, this, &HttpConnection::finish);
    startWaiting();
    // Bytes may have come with the connection; read them once the owner has wired this one up.
    if (m_socket->bytesAvailable() > 0)
        QMetaObject::invokeMethod(this, &HttpConnection::pump, Qt::QueuedConnection);
}

HttpConnection::~HttpConnection() {
    // The socket, a child, outlives this part of the object: let it call nothing here.
    if (m_socket)
        m_socket->disconnect(this);
}

void HttpConnection::startWaiting() {
    m_state = State::Head;
    m_started = false;
    m_head.reset();
    m_chunked.reset();
    m_body.clear();
    m_waitingSince = nowMs();
    m_timer.start(m_limits.timeout);
}

void HttpConnection::pump() {
    while (m_socket) {
        const bool progressed = m_state == State::Head   ? readHead()
                                : m_state == State::Body ? readBody()
                                                         : false;
        if (!progressed)
            return;
    }
}

bool HttpConnection::readHead() {
    const qint64 available = m_socket->bytesAvailable();
    if (available == 0 || m_socket->bytesToWrite() > kMaxUnsent)
        return false;
    if (!m_started) {
        m_started = true;
        m_clock.start();
    }
    const QByteArray peeked = m_socket->peek(std::min(available, m_limits.maxHead));
    const qsizetype end = peeked.indexOf("\r\n\r\n");
    if (end < 0) {
        if (available >= m_limits.maxHead)
            refuse(431, QStringLiteral("The request head is larger than %1 bytes.").arg(m_limits.maxHead));
        return false;
    }
    // Peeked, not read: an upgrade goes on with its head still in the socket.
    std::variant<RequestHead, HttpRefusal> parsed = parseRequestHead(QByteArrayView(peeked).first(end + 4));
    if (const auto* refusal = std::get_if<HttpRefusal>(&parsed)) {
        refuse(refusal->status, refusal->message);
        return false;
    }
    m_head = std::move(std::get<RequestHead>(parsed));

    if (std::optional<Reply> refused = m_handlers.screen(*m_head)) {
        m_socket->skip(end + 4);
        write(*refused, true, false);
        m_handlers.log(m_head->method, m_head->path, refused->status, m_clock);
        return false;
    }
    if (m_head->isWebSocketUpgrade()) {
        m_timer.stop();
        m_state = State::Done;
        QTcpSocket* socket = m_socket;
        m_socket = nullptr;
        socket->disconnect(this);
        socket->setParent(nullptr);
        socket->setReadBufferSize(0);
        m_handlers.upgrade(*m_head, socket, m_clock);
        emit finished(this);
        deleteLater();
        return false;
    }
    m_socket->skip(end + 4);

    const BodyFraming framing = m_head->framing();
    if (const auto* refusal = std::get_if<HttpRefusal>(&framing)) {
        refuse(refusal->status, refusal->message);
        return false;
    }
    if (std::holds_alternative<NoBody>(framing)) {
        dispatch();
        return false;
    }
    if (const auto* sized = std::get_if<LengthBody>(&framing)) {
        if (sized->length > m_limits.maxBody) {
            refuse(413, QStringLiteral("The request body is larger than %1 bytes.").arg(m_limits.maxBody));
            return false;
        }
        m_remaining = sized->length;
        if (m_remaining == 0) {
            dispatch();
            return false;
        }
    } else {
        m_chunked = std::make_unique<ChunkedReader>(m_limits.maxBody);
    }
    if (m_head->value("expect").compare("100-continue", Qt::CaseInsensitive) == 0)
        m_socket->write("HTTP/1.1 100 Continue\r\n\r\n");
    m_state = State::Body;
    return true;
}

bool HttpConnection::readBody() {
    if (m_chunked) {
        switch (m_chunked->readFrom(*m_socket)) {
        case ChunkedReader::State::More:
            return false;
        case ChunkedReader::State::Failed:
            refuse(m_chunked->refusal().status, m_chunked->refusal().message);
            return false;
        case ChunkedReader::State::Done:
            m_body = m_chunked->body();
            dispatch();
            return false;
        }
    }
    const qint64 n = std::min(m_remaining, m_socket->bytesAvailable());
    if (n <= 0)
        return false;
    m_body += m_socket->read(n);
    m_remaining -= n;
    if (m_remaining == 0)
        dispatch();
    return false;
}

void HttpConnection::dispatch() {
    m_timer.stop();
    m_state = State::Busy;
    m_handlers.serve(QPointer<HttpConnection>(this), *m_head, std::exchange(m_body, {}), m_clock);
}

bool HttpConnection::respond(const Reply& reply) {
    if (m_state != State::Busy || !m_socket || m_socket->state() != QAbstractSocket::ConnectedState)
        return false;
    const bool close = m_head->closesAfter();
    write(reply, close, m_head->method == "HEAD");
    if (close)
        return true;
    startWaiting();
    // The next request may already be here; read it once this call has returned.
    if (m_socket->bytesAvailable() > 0)
        QMetaObject::invokeMethod(this, &HttpConnection::pump, Qt::QueuedConnection);
    return true;
}

void HttpConnection::refuse(int status, const QString& message) {
    write(failure(status, codeFor(status), message), true, false);
    if (m_head)
        m_handlers.log(m_head->method, m_head->path, status, m_clock);
    else
        m_handlers.log("-", QStringLiteral("-"), status, m_clock);
}

void HttpConnection::write(const Reply& reply, bool close, bool headOnly) {
    QByteArray out;
    out.reserve(160 + reply.body.size());
    out += "HTTP/1.1 ";
    out += QByteArray::number(reply.status);
    out += ' ';
    out += reasonPhrase(reply.status);
    out += "\r\nContent-Type: application/json\r\nContent-Length: ";
    out += QByteArray::number(reply.body.size());
    out += close ? "\r\nConnection: close\r\n\r\n" : "\r\nConnection: keep-alive\r\n\r\n";
    if (!headOnly)
        out += reply.body;
    m_socket->write(out);
    if (!close)
        return;
    // What is buffered still goes out; a client that never takes it is cut off at the next timeout.
    m_state = State::Closing;
    m_timer.start(m_limits.timeout);
    m_socket->disconnectFromHost();
}

void HttpConnection::timedOut() {
    if (m_state == State::Closing || !m_started) {
        end();
        return;
    }
    refuse(408, QStringLiteral("The request did not arrive in full within %1 seconds.")
                    .arg(static_cast<double>(m_limits.timeout.count()) / 1000.0));
}

void HttpConnection::end() {
    if (m_socket)
        m_socket->abort(); // emits disconnected, which finishes
    finish();
}

void HttpConnection::finish() {
    if (m_state == State::Done)
        return;
    m_state = State::Done;
    m_timer.stop();
    emit finished(this);
    deleteLater();
}

} // namespace brevant::devd
