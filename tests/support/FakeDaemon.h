#pragma once

// An in-process stand-in for the daemon over real loopback sockets: scripted replies per route
// (status, raw body, delay, cut-off, verbatim bytes, hang-up; hostile: trickled, endless or huge
// chunked), a record of every request with the connection that carried it, and a WebSocket endpoint at /ws
// that can push text or binary messages, close its sockets, refuse the upgrade or send a message without end.

#include <QByteArray>
#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QString>

#include <chrono>

class QTcpServer;
class QTcpSocket;
class QWebSocket;
class QWebSocketServer;

namespace brevant::test {

class FakeDaemon : public QObject {
    Q_OBJECT
public:
    struct Reply {
        int status = 200;
        QByteArray body;
        std::chrono::milliseconds delay{0};
        bool cutOffHalfway = false; // announce the whole body, send half, then close
        bool withoutLength = false; // no Content-Length: the body ends when the connection closes
        // Hostile forms. tricklePause: head and body go out one byte per pause. streamBytes: after
        // a head, filler as fast as the peer reads, in chunked encoding (> 0: that many bytes) or
        // without end (kEndless); the body above is then unused.
        std::chrono::milliseconds tricklePause{0};
        qint64 streamBytes = 0;
        // Sent as it stands, head included, instead of status and body; withoutLength then closes
        // the connection after it.
        QByteArray raw{};
        bool hangUp = false; // read the request, then close the connection without a byte of reply
    };
    static constexpr qint64 kEndless = -1;

    // A live channel that answers the upgrade itself and then sends one text message that never
    // ends, as fragments or as one frame announced with an endless length.
    enum class EndlessChannel { Off, Fragments, OneFrame };

    struct Request {
        QByteArray method;
        QByteArray target;                    // path and query, as sent
        QMap<QByteArray, QByteArray> headers; // names in lower case
        QByteArray body;
        qint64 atMs = 0;    // since the fixture started
        int connection = 0; // which connection carried it, numbered from 1 in order of arrival

        QByteArray path() const {
            return target.left(target.indexOf('?') < 0 ? target.size() : target.indexOf('?'));
        }
    };

    explicit FakeDaemon(QObject* parent = nullptr);
    ~FakeDaemon() override;

    // Listens on 127.0.0.1; port 0 picks a free one. Calling it again after stop() reuses the port.
    bool start(quint16 port = 0);
    // Closes the listener and every connection: the daemon is gone.
    void stop();
    quint16 port() const { return m_port; }
    QString baseURL() const;

    // Replies are chosen by method and target; a target without its query matches too.
    void setReply(const QByteArray& method, const QByteArray& target, Reply reply);
    // A 200 with {"success":true,"data":<dataJson>}.
    void setData(const QByteArray& method, const QByteArray& target, const QByteArray& dataJson);
    static QByteArray envelope(const QByteArray& dataJson);

    const QList<Request>& requests() const { return m_requests; }
    QList<Request> requestsTo(const QByteArray& path) const;
    int count(const QByteArray& method, const QByteArray& path) const;
    void clearRequests() { m_requests.clear(); }

    // WebSocket side. An empty expected token accepts any upgrade.
    void setWebSocketToken(const QByteArray& token) { m_webSocketToken = token; }
    void setRefuseWebSockets(bool refuse) { m_refuseWebSockets = refuse; }
    void setEndlessChannel(EndlessChannel mode) { m_endlessChannel = mode; }
    // A long-running peer keeps no record of the requests it served.
    void setRecording(bool on) { m_recording = on; }
    int webSocketHandshakes() const { return m_handshakes.size(); }
    const QList<Request>& handshakes() const { return m_handshakes; }
    int openWebSockets() const;
    void pushText(const QString& text);
    void pushBinary(const QByteArray& data);
    void closeWebSockets();

    qint64 elapsedMs() const { return m_clock.elapsed(); }

signals:
    void requestReceived();
    void webSocketOpened();

private:
    void onNewConnection();
    void onReadyRead(QTcpSocket* socket);
    void respond(QTcpSocket* socket, const Request& request);
    void send(QPointer<QTcpSocket> socket, const Reply& reply);
    void trickle(QPointer<QTcpSocket> socket, QByteArray bytes, std::chrono::milliseconds pause);
    void answerEndlessChannel(QTcpSocket* socket, const Request& request);

    QTcpServer* m_server = nullptr;
    QWebSocketServer* m_webSocketServer = nullptr;
    quint16 m_port = 0;
    QElapsedTimer m_clock;
    QHash<QByteArray, Reply> m_replies;
    QList<Request> m_requests;
    QList<Request> m_handshakes;
    QByteArray m_webSocketToken;
    bool m_refuseWebSockets = false;
    EndlessChannel m_endlessChannel = EndlessChannel::Off;
    bool m_recording = true;
    QList<QPointer<QTcpSocket>> m_connections;
    int m_connectionsAccepted = 0;
    QList<QPointer<QWebSocket>> m_webSockets;
};

} // namespace brevant::test
