#include "HttpConnection.h"

#include "ConnectionSettings.h"

#include "TcpStream.h"

#include <algorithm>
#include <utility>

namespace brevant {

namespace {

// A status line and headers of a daemon's reply are a few hundred bytes.
constexpr qint64 kMaxReplyHeadBytes = qint64(64) * 1024;
// An idle connection is closed well before a server would close it on its own (commonly after 5 s),
// so that a request is hardly ever sent on a connection that is just being closed.
constexpr std::chrono::milliseconds kIdleLifetime{4000};

// The bodies of every reply under way, against kMaxHeldReplyBytes (main thread only).
qint64 heldReplyBytes = 0;

} // namespace

HttpConnection::HttpConnection(const HostAddress& address, quint16 port, QObject* parent)
    : QObject(parent), m_address(address), m_port(port), m_socket(new TcpStream(kSocketBufferBytes, this)) {
    m_deadline.setSingleShot(true);
    // A coarse timer may fire 5 % early: a request would be cut off with time still left.
    m_deadline.setTimerType(Qt::PreciseTimer);
    m_idle.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, [this] { finish(HttpOutcome::Kind::TimedOut); });
    connect(&m_idle, &QTimer::timeout, this, &HttpConnection::expired);
    connect(m_socket, &TcpStream::connected, this, [this] { m_socket->write(std::exchange(m_unsent, {})); });
    connect(m_socket, &TcpStream::readyRead, this, &HttpConnection::readReply);
    connect(m_socket, &TcpStream::disconnected, this, &HttpConnection::peerClosed);
    connect(m_socket, &TcpStream::errorOccurred, this, &HttpConnection::failed);
}

HttpConnection::~HttpConnection() {
    m_socket->disconnect(this);
    m_socket->abort();
    hold(0);
    if (!m_done)
        return;
    // Only the application's end tears down a busy connection: the waiting request ends too,
    // rather than being left suspended for good.
    const Done done = std::exchange(m_done, {});
    HttpOutcome outcome;
    if (m_finished)
        outcome = std::exchange(m_outcome, {});
    done(std::move(outcome));
}

bool HttpConnection::usable() const {
    return !busy() && m_socket->state() == TcpStream::State::Connected && m_socket->bytesAvailable() == 0;
}

void HttpConnection::exchange(QByteArray request, bool bodyless, std::chrono::milliseconds deadline,
                              Done done) {
    m_done = std::move(done);
    m_parser.emplace(kMaxReplyHeadBytes, kMaxReplyBytes, bodyless);
    m_outcome = {};
    m_finished = false;
    m_surplus = false;
    m_used = true;
    m_idle.stop();
    if (deadline.count() > 0)
        m_deadline.start(deadline);
    if (m_socket->state() == TcpStream::State::Connected) {
        m_socket->write(request);
    } else {
        m_unsent = std::move(request);
        m_socket->connectToHost(m_address, m_port);
    }
}

void HttpConnection::readReply() {
    if (!busy() || m_finished)
        return; // bytes nobody asked for stay unread, and the connection is not used again
    HttpResponseParser& parser = *m_parser;
    while (parser.state() == HttpResponseParser::State::Reading) {
        const qint64 n = std::min({m_socket->bytesAvailable(), parser.room(), kReadStepBytes,
                                   std::max<qint64>(1, kMaxHeldReplyBytes - heldReplyBytes + 1)});
        if (n <= 0)
            break;
        const QByteArray piece = m_socket->read(n);
        m_surplus = parser.feed(piece) < piece.size();
        hold(parser.bodySize());
        if (heldReplyBytes > kMaxHeldReplyBytes) {
            finish(HttpOutcome::Kind::Crowded);
            return;
        }
        // The body of a failed status is never read (whatever it announces): the reply ends
        // with its head.
        if (parser.headComplete() && (parser.status() < 200 || parser.status() > 299)) {
            finish(HttpOutcome::Kind::Status);
            return;
        }
    }
    switch (parser.failure()) {
    case HttpResponseParser::Failure::None:
        if (parser.state() == HttpResponseParser::State::Done)
            finish(HttpOutcome::Kind::Reply);
        break;
    case HttpResponseParser::Failure::BodyTooLarge:
        finish(HttpOutcome::Kind::TooLarge);
        break;
    case HttpResponseParser::Failure::HeadTooLarge:
        finish(HttpOutcome::Kind::HeadTooLarge);
        break;
    case HttpResponseParser::Failure::Malformed:
        finish(HttpOutcome::Kind::Malformed);
        break;
    case HttpResponseParser::Failure::Truncated:
        finish(HttpOutcome::Kind::Closed);
        break;
    }
}

void HttpConnection::peerClosed() {
    if (!busy()) {
        emit expired();
        return;
    }
    if (m_finished)
        return;
    readReply(); // what arrived before the close is still there to read
    if (m_finished)
        return;
    m_parser->endOfStream();
    finish(m_parser->state() == HttpResponseParser::State::Done ? HttpOutcome::Kind::Reply
                                                                : HttpOutcome::Kind::Closed);
}

void HttpConnection::failed() {
    switch (m_socket->error()) {
    case TcpStream::Error::PeerClosed:
        peerClosed();
        return;
    case TcpStream::Error::Refused:
        if (busy() && !m_finished)
            finish(HttpOutcome::Kind::Refused);
        return;
    default:
        if (!busy()) {
            emit expired();
        } else if (!m_finished) {
            readReply();
            if (!m_finished) {
                m_outcome.socketError = m_socket->errorString();
                finish(HttpOutcome::Kind::SocketError);
            }
        }
        return;
    }
}

void HttpConnection::finish(HttpOutcome::Kind kind) {
    if (m_finished || !busy())
        return;
    m_finished = true;
    m_deadline.stop();
    hold(0); // what the body holds now goes to the outcome or away
    m_outcome.kind = kind;
    m_outcome.replyStarted = m_parser->anyBytes();
    if (kind == HttpOutcome::Kind::Status)
        m_outcome.status = m_parser->status();
    else if (kind == HttpOutcome::Kind::Reply)
        m_outcome.body = m_parser->takeBody();
    else
        m_parser->dropBody(); // a failed reply's bytes go at once
    // Whatever runs next, the socket's signal that got us here returns first.
    QMetaObject::invokeMethod(this, &HttpConnection::deliver, Qt::QueuedConnection);
}

void HttpConnection::hold(qint64 bytes) {
    heldReplyBytes += bytes - m_held;
    m_held = bytes;
}

void HttpConnection::deliver() {
    if (!m_done)
        return;
    const bool reusable = m_outcome.kind == HttpOutcome::Kind::Reply && m_parser->keepAlive() && !m_surplus &&
                          m_socket->state() == TcpStream::State::Connected && m_socket->bytesAvailable() == 0;
    if (!reusable)
        m_socket->abort();
    m_parser.reset(); // nothing of a reply is held past its exchange
    const Done done = std::exchange(m_done, {});
    HttpOutcome outcome = std::exchange(m_outcome, {});
    if (reusable)
        m_idle.start(kIdleLifetime);
    emit released(reusable);
    done(std::move(outcome)); // last: the request it resumes may reuse or drop this connection
}

} // namespace brevant
