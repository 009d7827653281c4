#pragma once

// The live channel's connection: a WebSocket client over plain TCP to the daemon on this machine.
// It takes the upgrade, reads whole messages of at most kMaxChannelMessageBytes (a longer message
// or frame is cut off as soon as its length shows it), answers pings, and reports the end of the
// connection once, whatever ended it. Written for the one peer it has instead of Qt's client,
// which sets up TLS (OpenSSL, about 4 MiB resident) for every socket it makes.

#include "HostAddress.h"

#include <QByteArray>
#include <QList>
#include <QObject>

#include <utility>

namespace brevant {

class TcpStream;

class WebSocketChannel : public QObject {
    Q_OBJECT
public:
    using Header = std::pair<QByteArray, QByteArray>;

    explicit WebSocketChannel(QObject* parent = nullptr);
    ~WebSocketChannel() override;

    // Connects and asks for the upgrade of `target` (a path) with `host` as the Host header and
    // `headers` after it. Headers holding a line break end the channel before anything is sent.
    void open(const HostAddress& address, quint16 port, const QByteArray& host, const QByteArray& target,
              const QList<Header>& headers);
    // Whether the upgrade has been accepted and the channel not ended.
    bool isOpen() const { return m_state == State::Open; }
    // Says goodbye with `code` and closes; `ended` follows once the connection is down.
    void close(quint16 code);
    // Drops the connection at once; `ended` follows if it had not yet.
    void abort();

signals:
    void textMessageReceived(const QString& text);
    // Once: refused, upgrade declined, closed by either side, or a breach of the protocol.
    void ended();

private:
    enum class State { Idle, Connecting, Handshake, Open, Closing, Ended };

    void readAvailable();
    bool readHandshake();
    bool readFrames();
    bool handleFrame(quint8 opcode, bool final, QByteArray payload);
    void send(quint8 opcode, const QByteArray& payload);
    void end();

    TcpStream* m_socket;
    State m_state = State::Idle;
    QByteArray m_request;
    QByteArray m_acceptKey;     // what the server must answer in Sec-WebSocket-Accept
    QByteArray m_buffer;        // received and not yet parsed
    QByteArray m_message;       // the fragments of the message under way
    quint8 m_messageOpcode = 0; // 0: none under way
};

} // namespace brevant
