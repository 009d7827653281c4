#pragma once

// A TCP connection of the client's own over a non-blocking socket, driven by the event loop. It
// holds at most `readBufferBytes` unread: once that is full it stops reading from the kernel until
// the owner reads, so a peer that sends without end waits for us instead of our memory growing.
// Writes are queued and sent from the event loop; signals never come from inside a call.

#include "HostAddress.h"

#include <QByteArray>
#include <QObject>
#include <QString>

class QSocketNotifier;

namespace brevant {

class TcpStream : public QObject {
    Q_OBJECT
public:
    enum class State { Unconnected, Connecting, Connected, Closing };
    enum class Error { None, Refused, PeerClosed, Other };

    explicit TcpStream(qint64 readBufferBytes, QObject* parent = nullptr);
    ~TcpStream() override;

    void connectToHost(const HostAddress& address, quint16 port);
    State state() const { return m_state; }
    Error error() const { return m_error; }
    QString errorString() const { return m_errorString; }

    qint64 bytesAvailable() const { return m_in.size(); }
    QByteArray read(qint64 maxBytes);
    void write(const QByteArray& data);
    qint64 bytesToWrite() const { return m_out.size(); }

    // Sends what is queued, then closes; `disconnected` follows.
    void disconnectFromHost();
    // Closes at once, dropping what is queued; no signal follows.
    void abort();

signals:
    void connected();
    void readyRead();
    // The peer closed (what it sent before stays readable), or the close asked for is done.
    void disconnected();
    // Refused, reset by the peer, or any other failure; the connection is closed.
    void errorOccurred();

private:
    void readable();
    void writable();
    void fail(int errorNumber);
    // The same from the event loop, unless the connection has been replaced or aborted by then.
    void failLater(int errorNumber);
    void close();

    const qint64 m_readBufferBytes;
    int m_fd = -1;
    quint64 m_attempt = 0; // tells a queued report of an old connection from the current one
    State m_state = State::Unconnected;
    Error m_error = Error::None;
    QString m_errorString;
    QByteArray m_in;
    QByteArray m_out;
    QSocketNotifier* m_reader = nullptr;
    QSocketNotifier* m_writer = nullptr;
};

} // namespace brevant
