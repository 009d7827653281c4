#pragma once

#include "ChunkedReader.h"
#include "Reply.h"
#include "RequestHead.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class QTcpSocket;

namespace brevant::devd {

class HttpConnection;

// What the owner of the connections decides about each request.
struct HttpHandlers {
    // Called with every complete head before a byte of its body is read: a reply that ends the
    // connection at once (a missing token, a refused upgrade), or nothing to go on.
    std::function<std::optional<Reply>(const RequestHead&)> screen;
    // A WebSocket upgrade that passed the screen: the socket, its head still unread, is the callee's.
    std::function<void(const RequestHead&, QTcpSocket*, const QElapsedTimer&)> upgrade;
    // A complete request; the answer goes back through HttpConnection::respond, perhaps later.
    std::function<void(QPointer<HttpConnection>, RequestHead, QByteArray, QElapsedTimer)> serve;
    // One line per answered request.
    std::function<void(const QByteArray& method, const QString& path, int status, const QElapsedTimer&)> log;
};

struct HttpLimits {
    qint64 maxHead = 16 * 1024; // the request line and all header fields
    qint64 maxBody = 1024 * 1024;
    // How long a connection may wait for a whole request, from its start or the last answer.
    std::chrono::milliseconds timeout{30'000};
};

// One accepted connection. It reads one request at a time, within the limits, and reads the next
// only once the answer is written, so answers keep the order of the requests. A connection that
// sends nothing, or not a whole request, within the time limit is ended.
class HttpConnection : public QObject {
    Q_OBJECT
public:
    // Takes the socket over; `handlers` must outlive the connection.
    HttpConnection(QTcpSocket* socket, const HttpLimits& limits, const HttpHandlers& handlers,
                   QObject* parent = nullptr);
    ~HttpConnection() override;

    // Waiting for a request or the rest of one, rather than for its own answer: it may be
    // ended to make room for others.
    bool isWaiting() const { return m_state == State::Head || m_state == State::Body; }
    // When the current wait began (QElapsedTimer's clock), for picking the oldest.
    qint64 waitingSince() const { return m_waitingSince; }

    // Answers the request being served; false when the client has already gone.
    bool respond(const Reply& reply);
    // Ends the connection now, without an answer.
    void end();

signals:
    // The connection is over and deletes itself; its owner forgets it.
    void finished(HttpConnection* connection);

private:
    enum class State { Head, Body, Busy, Closing, Done };

    void pump();
    bool readHead();
    bool readBody();
    void dispatch();
    void refuse(int status, const QString& message);
    void write(const Reply& reply, bool close, bool headOnly);
    void startWaiting();
    void timedOut();
    void finish();

    QTcpSocket* m_socket;
    const HttpLimits& m_limits;
    const HttpHandlers& m_handlers;
    State m_state = State::Head;
    QTimer m_timer;
    qint64 m_waitingSince = 0;
    bool m_started = false; // a byte of the current request has arrived
    QElapsedTimer m_clock;  // from the first byte of the current request
    std::optional<RequestHead> m_head;
    qint64 m_remaining = 0;
    std::unique_ptr<ChunkedReader> m_chunked;
    QByteArray m_body;
};

} // namespace brevant::devd
