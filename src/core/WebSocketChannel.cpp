#include "WebSocketChannel.h"

#include "ConnectionSettings.h"
#include "TcpStream.h"

#include <QCryptographicHash>
#include <QRandomGenerator>
#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <cstring>

namespace brevant {

namespace {

constexpr qsizetype kMaxHandshakeBytes = qsizetype(16) * 1024;
// Pongs and the closing frame are all the client writes; a peer that pings without reading the
// answers is cut off rather than queued for.
constexpr qint64 kMaxUnsentBytes = qint64(64) * 1024;

constexpr quint8 kContinuation = 0x0, kText = 0x1, kBinary = 0x2, kClose = 0x8, kPing = 0x9, kPong = 0xA;

// A header's value by case-insensitive name in a head of CRLF-separated lines.
QByteArray headerValue(const QList<QByteArray>& lines, QByteArrayView name) {
    for (const QByteArray& line : lines) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 && line.left(colon).trimmed().compare(name, Qt::CaseInsensitive) == 0)
            return line.mid(colon + 1).trimmed();
    }
    return {};
}

bool hasToken(const QByteArray& value, QByteArrayView token) {
    const QList<QByteArray> parts = value.split(',');
    return std::any_of(parts.begin(), parts.end(), [&](const QByteArray& part) {
        return part.trimmed().compare(token, Qt::CaseInsensitive) == 0;
    });
}

} // namespace

WebSocketChannel::WebSocketChannel(QObject* parent)
    : QObject(parent), m_socket(new TcpStream(kSocketBufferBytes, this)) {
    connect(m_socket, &TcpStream::connected, this, [this] {
        m_state = State::Handshake;
        m_socket->write(std::exchange(m_request, {}));
    });
    connect(m_socket, &TcpStream::readyRead, this, &WebSocketChannel::readAvailable);
    connect(m_socket, &TcpStream::disconnected, this, &WebSocketChannel::end);
    connect(m_socket, &TcpStream::errorOccurred, this, &WebSocketChannel::end);
}

WebSocketChannel::~WebSocketChannel() {
    m_socket->disconnect(this);
    m_socket->abort();
}

void WebSocketChannel::open(const HostAddress& address, quint16 port, const QByteArray& host,
                            const QByteArray& target, const QList<Header>& headers) {
    std::array<quint32, 4> nonce{};
    QRandomGenerator::global()->fillRange(nonce.data(), nonce.size());
    const QByteArray key = QByteArray(reinterpret_cast<const char*>(nonce.data()), sizeof nonce).toBase64();
    m_acceptKey =
        QCryptographicHash::hash(key + "258EAFA5-E914-47DA-95CA-C5AB0DC85B11", QCryptographicHash::Sha1)
            .toBase64();

    bool safe = isHeaderSafe(host) && isHeaderSafe(target) && !target.contains(' ');
    QByteArray request = "GET " + target + " HTTP/1.1\r\nHost: " + host +
                         "\r\nUpgrade: websocket\r\nConnection: Upgrade\r\nSec-WebSocket-Key: " + key +
                         "\r\nSec-WebSocket-Version: 13\r\n";
    for (const auto& [name, value] : headers) {
        safe = safe && !name.isEmpty() && !name.contains(':') && isHeaderSafe(name) && isHeaderSafe(value);
        request += name + ": " + value + "\r\n";
    }
    request += "\r\n";
    if (!safe) {
        // A line break in the token would smuggle a header of its own: nothing is sent.
        QMetaObject::invokeMethod(this, &WebSocketChannel::end, Qt::QueuedConnection);
        return;
    }
    m_request = std::move(request);
    m_state = State::Connecting;
    m_socket->connectToHost(address, port);
}

void WebSocketChannel::close(quint16 code) {
    if (m_state == State::Open) {
        const char status[2] = {char(code >> 8), char(code & 0xff)};
        send(kClose, QByteArray(status, 2));
        m_state = State::Closing;
        m_socket->disconnectFromHost();
    } else {
        abort();
    }
}

void WebSocketChannel::abort() {
    m_socket->abort();
    end();
}

void WebSocketChannel::end() {
    if (m_state == State::Ended)
        return;
    m_state = State::Ended;
    m_buffer.clear();
    m_message.clear();
    // Nothing more is read from an ended connection, however much the peer keeps sending.
    m_socket->disconnect(this);
    QMetaObject::invokeMethod(m_socket, &TcpStream::abort, Qt::QueuedConnection);
    emit ended();
}

void WebSocketChannel::readAvailable() {
    while (m_state == State::Handshake || m_state == State::Open || m_state == State::Closing) {
        const QByteArray chunk = m_socket->read(kReadStepBytes);
        if (chunk.isEmpty())
            return;
        m_buffer += chunk;
        const bool fine = m_state == State::Handshake ? readHandshake() : readFrames();
        if (!fine) {
            abort();
            return;
        }
    }
}

bool WebSocketChannel::readHandshake() {
    const qsizetype headEnd = m_buffer.indexOf("\r\n\r\n");
    if (headEnd < 0)
        return m_buffer.size() <= kMaxHandshakeBytes;
    const QList<QByteArray> lines = m_buffer.left(headEnd).split('\n');
    m_buffer.remove(0, headEnd + 4);
    const QList<QByteArray> status = lines.first().trimmed().split(' ');
    if (status.size() < 2 || !status[0].startsWith("HTTP/1.") || status[1] != "101")
        return false;
    if (headerValue(lines, "Upgrade").compare("websocket", Qt::CaseInsensitive) != 0 ||
        !hasToken(headerValue(lines, "Connection"), "upgrade") ||
        headerValue(lines, "Sec-WebSocket-Accept") != m_acceptKey)
        return false;
    // No extension or subprotocol was asked for, so none may be chosen.
    if (!headerValue(lines, "Sec-WebSocket-Extensions").isEmpty() ||
        !headerValue(lines, "Sec-WebSocket-Protocol").isEmpty())
        return false;
    m_state = State::Open;
    return readFrames();
}

bool WebSocketChannel::readFrames() {
    while (m_state == State::Open || m_state == State::Closing) {
        if (m_buffer.size() < 2)
            return true;
        const auto* bytes = reinterpret_cast<const quint8*>(m_buffer.constData());
        const bool final = bytes[0] & 0x80;
        const quint8 opcode = bytes[0] & 0x0f;
        if ((bytes[0] & 0x70) != 0 || (bytes[1] & 0x80) != 0)
            return false; // reserved bits without an extension, or a masked frame from the server
        quint64 length = bytes[1] & 0x7f;
        qsizetype headerSize = 2;
        if (length == 126 || length == 127) {
            const int extra = length == 126 ? 2 : 8;
            if (m_buffer.size() < 2 + extra)
                return true;
            length = 0;
            for (int i = 0; i < extra; ++i)
                length = (length << 8) | bytes[2 + i];
            headerSize += extra;
        }
        const bool control = opcode >= 0x8;
        if (control && (!final || length > 125))
            return false;
        // Cut off as soon as the length shows the message will not fit, not after buffering it.
        const quint64 room = quint64(kMaxChannelMessageBytes) - quint64(control ? 0 : m_message.size());
        if (length > room)
            return false;
        if (quint64(m_buffer.size() - headerSize) < length)
            return true;
        QByteArray payload = m_buffer.mid(headerSize, qsizetype(length));
        m_buffer.remove(0, headerSize + qsizetype(length));
        if (!handleFrame(opcode, final, std::move(payload)))
            return false;
    }
    return true;
}

bool WebSocketChannel::handleFrame(quint8 opcode, bool final, QByteArray payload) {
    switch (opcode) {
    case kText:
    case kBinary:
        if (m_messageOpcode != 0)
            return false; // a new message inside a fragmented one
        m_messageOpcode = opcode;
        m_message = std::move(payload);
        break;
    case kContinuation:
        if (m_messageOpcode == 0)
            return false;
        m_message += payload;
        break;
    case kPing:
        if (m_state == State::Open)
            send(kPong, payload);
        return m_socket->bytesToWrite() <= kMaxUnsentBytes;
    case kPong:
        return true;
    case kClose:
        if (m_state == State::Open) {
            send(kClose, payload.left(2));
            m_state = State::Closing;
            m_socket->disconnectFromHost();
        }
        return true;
    default:
        return false;
    }
    if (!final)
        return true;
    const quint8 kind = std::exchange(m_messageOpcode, 0);
    const QByteArray message = std::exchange(m_message, {});
    if (kind != kText || m_state != State::Open)
        return true; // binary messages carry nothing for the client
    QStringDecoder decode(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decode(message);
    if (decode.hasError())
        return false;
    emit textMessageReceived(text);
    return m_state == State::Open || m_state == State::Closing; // a receiver may have ended it
}

void WebSocketChannel::send(quint8 opcode, const QByteArray& payload) {
    // Client frames are masked; control frames carry at most 125 bytes, so one length byte.
    QByteArray frame;
    frame.reserve(6 + payload.size());
    frame += char(0x80 | opcode);
    frame += char(0x80 | payload.size());
    const quint32 maskWord = QRandomGenerator::global()->generate();
    char mask[4];
    std::memcpy(mask, &maskWord, 4);
    frame.append(mask, 4);
    for (qsizetype i = 0; i < payload.size(); ++i)
        frame += char(payload[i] ^ mask[i % 4]);
    m_socket->write(frame);
}

} // namespace brevant
