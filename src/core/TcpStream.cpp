#include "TcpStream.h"

#include <QPointer>
#include <QSocketNotifier>

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace brevant {

TcpStream::TcpStream(qint64 readBufferBytes, QObject* parent)
    : QObject(parent), m_readBufferBytes(std::max<qint64>(1, readBufferBytes)) {}

TcpStream::~TcpStream() {
    abort();
}

void TcpStream::connectToHost(const HostAddress& address, quint16 port) {
    abort();
    m_error = Error::None;
    m_errorString.clear();
    m_state = State::Connecting;
    ++m_attempt;
    m_fd = ::socket(address.isIPv6() ? AF_INET6 : AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (m_fd < 0) {
        failLater(errno);
        return;
    }
    const int one = 1;
    ::setsockopt(m_fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    sockaddr_storage to{};
    const socklen_t length = address.fill(to, port);
    if (::connect(m_fd, reinterpret_cast<sockaddr*>(&to), length) != 0 && errno != EINPROGRESS) {
        // Refused at once (nothing listens on this machine's port): reported from the event loop.
        failLater(errno);
        return;
    }
    m_reader = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    m_reader->setEnabled(false);
    connect(m_reader, &QSocketNotifier::activated, this, &TcpStream::readable);
    m_writer = new QSocketNotifier(m_fd, QSocketNotifier::Write, this);
    connect(m_writer, &QSocketNotifier::activated, this, &TcpStream::writable);
}

QByteArray TcpStream::read(qint64 maxBytes) {
    const qint64 n = std::clamp<qint64>(maxBytes, 0, m_in.size());
    QByteArray piece = m_in.left(n);
    m_in.remove(0, n);
    if (m_reader && m_state != State::Unconnected && m_in.size() < m_readBufferBytes)
        m_reader->setEnabled(true);
    return piece;
}

void TcpStream::write(const QByteArray& data) {
    if (m_state == State::Unconnected || m_state == State::Closing || data.isEmpty())
        return;
    m_out += data;
    if (m_state == State::Connected)
        m_writer->setEnabled(true);
}

void TcpStream::disconnectFromHost() {
    if (m_state == State::Connected) {
        m_state = State::Closing;
        m_writer->setEnabled(true); // closes once what is queued is sent
    } else if (m_state == State::Connecting) {
        abort();
    }
}

void TcpStream::abort() {
    ++m_attempt;
    close();
    m_out.clear();
    m_in.clear();
}

void TcpStream::close() {
    // Either may be the one whose signal is running: they go from the event loop.
    for (QSocketNotifier* notifier : {m_reader, m_writer}) {
        if (notifier) {
            notifier->setEnabled(false);
            notifier->deleteLater();
        }
    }
    m_reader = m_writer = nullptr;
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_state = State::Unconnected;
}

void TcpStream::readable() {
    const QPointer<TcpStream> alive(this);
    bool arrived = false;
    bool ended = false;
    while (m_in.size() < m_readBufferBytes) {
        int pending = 0;
        if (::ioctl(m_fd, FIONREAD, &pending) != 0 || pending <= 0)
            pending = 4096; // the end of the stream, or an error, is read as such
        const qint64 room = m_readBufferBytes - m_in.size();
        const qint64 want = std::min<qint64>(pending, room);
        const qsizetype before = m_in.size();
        m_in.resize(before + want);
        const ssize_t got = ::recv(m_fd, m_in.data() + before, size_t(want), 0);
        m_in.resize(before + std::max<ssize_t>(got, 0));
        if (got > 0) {
            arrived = true;
            continue;
        }
        if (got == 0) {
            ended = true;
        } else if (errno == EINTR) {
            continue;
        } else if (errno != EAGAIN && errno != EWOULDBLOCK) {
            const int why = errno;
            if (arrived)
                emit readyRead();
            if (alive && m_fd >= 0)
                fail(why);
            return;
        }
        break;
    }
    if (m_reader && m_in.size() >= m_readBufferBytes)
        m_reader->setEnabled(false); // until the owner reads
    if (arrived)
        emit readyRead();
    if (ended && alive && m_fd >= 0) {
        close();
        emit disconnected();
    }
}

void TcpStream::writable() {
    if (m_state == State::Connecting) {
        int why = 0;
        socklen_t length = sizeof why;
        if (::getsockopt(m_fd, SOL_SOCKET, SO_ERROR, &why, &length) != 0)
            why = errno;
        if (why != 0) {
            fail(why);
            return;
        }
        m_state = State::Connected;
        m_reader->setEnabled(m_in.size() < m_readBufferBytes);
        m_writer->setEnabled(false);
        const QPointer<TcpStream> alive(this);
        const quint64 attempt = m_attempt;
        emit connected();
        if (!alive || attempt != m_attempt || m_fd < 0)
            return; // aborted, or another connection begun, by a receiver
    }
    while (!m_out.isEmpty()) {
        const ssize_t sent = ::send(m_fd, m_out.constData(), size_t(m_out.size()), MSG_NOSIGNAL);
        if (sent > 0) {
            m_out.remove(0, sent);
            continue;
        }
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            m_writer->setEnabled(true); // the rest when the kernel takes more
            return;
        }
        fail(sent < 0 ? errno : EPIPE);
        return;
    }
    if (m_state == State::Closing) {
        ::shutdown(m_fd, SHUT_RDWR);
        close();
        emit disconnected();
        return;
    }
    m_writer->setEnabled(false);
}

void TcpStream::failLater(int errorNumber) {
    QMetaObject::invokeMethod(
        this,
        [this, attempt = m_attempt, errorNumber] {
            if (attempt == m_attempt)
                fail(errorNumber);
        },
        Qt::QueuedConnection);
}

void TcpStream::fail(int errorNumber) {
    const bool wasOpen = m_state == State::Connected || m_state == State::Closing;
    switch (errorNumber) {
    case ECONNREFUSED:
        m_error = Error::Refused;
        break;
    case ECONNRESET:
    case EPIPE:
        m_error = wasOpen ? Error::PeerClosed : Error::Refused;
        break;
    default:
        m_error = Error::Other;
        break;
    }
    m_errorString = qt_error_string(errorNumber);
    close();
    m_out.clear();
    emit errorOccurred(); // alone: a failed connection is not also reported as disconnected
}

} // namespace brevant
