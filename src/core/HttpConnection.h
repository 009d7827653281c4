#pragma once

// One keep-alive connection to the daemon over a socket of the client's own, carrying one request
// at a time. It reads from the socket only what the reply parser can take, so a reply that is too
// large is refused after at most its limit plus one socket buffer, however fast the peer sends;
// and the bodies of all replies under way together stay within kMaxHeldReplyBytes, so that many
// requests answered without end at once cannot multiply that limit.

#include "ConnectionSettings.h"
#include "HostAddress.h"
#include "HttpResponseParser.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>
#include <functional>
#include <optional>

namespace brevant {

class TcpStream;

inline constexpr qint64 kMaxHeldReplyBytes = 3 * kMaxReplyBytes;

// How one exchange ended.
struct HttpOutcome {
    enum class Kind {
        Reply,        // a complete 2xx reply: `body` holds it
        Status,       // a reply outside 2xx: `status`; its body is not read
        Refused,      // nothing listens
        Closed,       // the peer closed before the reply was complete
        TimedOut,     // the deadline passed
        TooLarge,     // the body is over the limit
        Crowded,      // the replies under way together are over their limit
        HeadTooLarge, // the head is over its limit
        Malformed,    // not an HTTP/1.x reply
        SocketError,  // any other socket failure: `socketError`
        Cancelled,    // the connection was torn down with the application
    };
    Kind kind = Kind::Cancelled;
    int status = 0;
    QByteArray body;
    QString socketError;
    bool replyStarted = false; // whether any byte of the reply arrived
};

class HttpConnection : public QObject {
    Q_OBJECT
public:
    using Done = std::function<void(HttpOutcome)>;

    HttpConnection(const HostAddress& address, quint16 port, QObject* parent = nullptr);
    ~HttpConnection() override;

    const HostAddress& address() const { return m_address; }
    quint16 port() const { return m_port; }
    bool busy() const { return bool(m_done); }
    // Whether it has carried an exchange (a kept connection the peer may have closed meanwhile).
    bool used() const { return m_used; }
    // Idle, connected and with nothing unasked-for waiting: fit for the next request.
    bool usable() const;

    // Sends `request` (the whole message) and reads one reply within `deadline` (none when zero).
    // `done` is called once, from the event loop after the socket's own signals have returned, or
    // with Cancelled from the destructor.
    void exchange(QByteArray request, bool bodyless, std::chrono::milliseconds deadline, Done done);

signals:
    // After an exchange, just before its `done`: whether the connection may carry another.
    void released(bool reusable);
    // Idle too long, or closed by the peer while idle.
    void expired();

private:
    void readReply();
    void peerClosed();
    void failed();
    void finish(HttpOutcome::Kind kind);
    void hold(qint64 bytes);
    void deliver();

    HostAddress m_address;
    quint16 m_port;
    TcpStream* m_socket;
    QTimer m_deadline;
    QTimer m_idle;
    std::optional<HttpResponseParser> m_parser;
    QByteArray m_unsent; // written once the connection is established
    Done m_done;
    bool m_finished = false;
    bool m_surplus = false; // the peer sent more than the reply
    bool m_used = false;
    qint64 m_held = 0; // of the reply's body, counted in the replies under way
    HttpOutcome m_outcome;
};

} // namespace brevant
