// The live channel's own WebSocket client against a scripted peer: the upgrade it accepts, the
// messages it delivers, the frames that end it, and what it writes back.

#include "WebSocketChannel.h"
#include "ConnectionSettings.h"

#include <QCryptographicHash>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <memory>

using namespace brevant;

namespace {

QByteArray frame(quint8 first, const QByteArray& payload) {
    QByteArray f(1, char(first));
    const qsizetype n = payload.size();
    if (n < 126) {
        f += char(n);
    } else if (n < 65536) {
        f += char(126);
        f += char(n >> 8);
        f += char(n & 0xff);
    } else {
        f += char(127);
        for (int shift = 56; shift >= 0; shift -= 8)
            f += char((quint64(n) >> shift) & 0xff);
    }
    return f + payload;
}

// One connection: answers the upgrade (with `accept` overriding the proper answer when set), then
// writes `afterUpgrade`; keeps everything the client sends after its request.
class Peer : public QObject {
public:
    Peer(QByteArray afterUpgrade, QByteArray acceptOverride = {})
        : m_after(std::move(afterUpgrade)), m_accept(std::move(acceptOverride)) {
        QVERIFY(m_server.listen(QHostAddress::LocalHost));
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            m_socket.reset(m_server.nextPendingConnection());
            connect(m_socket.get(), &QTcpSocket::readyRead, this, [this] { read(); });
        });
    }
    quint16 port() const { return m_server.serverPort(); }
    QByteArray request;
    QByteArray sent; // after the request
    bool clientClosed() const { return m_socket && m_socket->state() != QAbstractSocket::ConnectedState; }

private:
    void read() {
        const QByteArray data = m_socket->readAll();
        if (request.contains("\r\n\r\n")) {
            sent += data;
            return;
        }
        request += data;
        if (!request.contains("\r\n\r\n"))
            return;
        QByteArray key;
        for (const QByteArray& line : request.split('\n'))
            if (line.startsWith("Sec-WebSocket-Key:"))
                key = line.mid(18).trimmed();
        const QByteArray accept = m_accept.isEmpty()
                                      ? QCryptographicHash::hash(key + "258EAFA5-E914-47DA-95CA-C5AB0DC85B11",
                                                                 QCryptographicHash::Sha1)
                                            .toBase64()
                                      : m_accept;
        m_socket->write("HTTP/1.1 101 Switching Protocols\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
                        "Sec-WebSocket-Accept: " +
                        accept + "\r\n\r\n" + m_after);
    }

    QTcpServer m_server;
    std::unique_ptr<QTcpSocket> m_socket;
    QByteArray m_after;
    QByteArray m_accept;
};

// A client frame's opcode and unmasked payload.
std::pair<int, QByteArray> unmaskFirst(const QByteArray& f) {
    if (f.size() < 6 || !(quint8(f[1]) & 0x80))
        return {-1, {}};
    const int n = quint8(f[1]) & 0x7f;
    QByteArray payload = f.mid(6, n);
    for (int i = 0; i < payload.size(); ++i)
        payload[i] = char(payload[i] ^ f[2 + i % 4]);
    return {quint8(f[0]) & 0x0f, payload};
}

} // namespace

class WebSocketChannelTest : public QObject {
    Q_OBJECT
private slots:
    void frames_data() {
        QTest::addColumn<QByteArray>("afterUpgrade");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<bool>("ends");
        const QByteArray big(70000, 'x');
        QTest::newRow("text, fragments, binary skipped, long lengths")
            << frame(0x81, "one") + frame(0x01, "tw") + frame(0x89, "between") + frame(0x80, "o") +
                   frame(0x82, "binary") + frame(0x81, QByteArray(300, 'y')) + frame(0x81, big)
            << QStringList{"one", "two", QString(300, 'y'), QString::fromLatin1(big)} << false;
        QTest::newRow("masked frame from the server")
            << QByteArray("\x81\x83\0\0\0\0abc", 9) << QStringList{} << true;
        QTest::newRow("reserved bit") << frame(0xC1, "x") << QStringList{} << true;
        QTest::newRow("unknown opcode") << frame(0x83, "x") << QStringList{} << true;
        QTest::newRow("continuation without a start") << frame(0x80, "x") << QStringList{} << true;
        QTest::newRow("new message inside a fragmented one")
            << frame(0x01, "a") + frame(0x81, "b") << QStringList{} << true;
        QTest::newRow("fragmented ping") << frame(0x09, "p") << QStringList{} << true;
        QTest::newRow("invalid UTF-8") << frame(0x81, "\xff\xfe") << QStringList{} << true;
        // Only the length is sent: the client must not wait for 5 MiB to refuse it.
        QTest::newRow("frame longer than the limit, announced")
            << frame(0x81, QByteArray(5 * 1024 * 1024, 'z')).left(10) << QStringList{} << true;
        QTest::newRow("fragments adding up past the limit")
            << frame(0x01, QByteArray(3 * 1024 * 1024, 'a')) + frame(0x00, QByteArray(1024 * 1024, 'b')) +
                   frame(0x80, "c")
            << QStringList{} << true;
        QTest::newRow("close") << frame(0x81, "last") + frame(0x88, QByteArray("\x03\xe8", 2)) +
                                      frame(0x81, "after")
                               << QStringList{"last"} << true;
    }
    void frames() {
        QFETCH(QByteArray, afterUpgrade);
        QFETCH(QStringList, messages);
        QFETCH(bool, ends);
        Peer peer(afterUpgrade);
        WebSocketChannel channel;
        QStringList received;
        connect(&channel, &WebSocketChannel::textMessageReceived, this,
                [&](const QString& text) { received << text; });
        QSignalSpy ended(&channel, &WebSocketChannel::ended);
        channel.open(HostAddress::localhost(), peer.port(), "127.0.0.1", "/ws",
                     {{"Authorization", "Bearer t"}});
        if (ends)
            QVERIFY(ended.wait(3000));
        else
            QTRY_COMPARE(received.size(), messages.size());
        QTest::qWait(50);
        QCOMPARE(received, messages);
        QCOMPARE(ended.size(), ends ? 1 : 0);
        QCOMPARE(channel.isOpen(), !ends);
        QVERIFY(peer.request.startsWith("GET /ws HTTP/1.1\r\nHost: 127.0.0.1\r\n"));
        QVERIFY(peer.request.contains("\r\nAuthorization: Bearer t\r\n"));
    }

    void answersPingsAndClosesPolitely() {
        Peer peer(frame(0x89, "are you there"));
        WebSocketChannel channel;
        QSignalSpy ended(&channel, &WebSocketChannel::ended);
        channel.open(HostAddress::localhost(), peer.port(), "127.0.0.1", "/ws", {});
        QTRY_VERIFY(!peer.sent.isEmpty());
        QCOMPARE(unmaskFirst(peer.sent), std::make_pair(0xA, QByteArray("are you there")));
        peer.sent.clear();
        channel.close(1001);
        QTRY_VERIFY(!peer.sent.isEmpty());
        QCOMPARE(unmaskFirst(peer.sent), std::make_pair(0x8, QByteArray("\x03\xe9", 2)));
        QTRY_VERIFY(peer.clientClosed());
        QTRY_COMPARE(ended.size(), 1);
    }

    void refusesAWrongUpgrade() {
        Peer peer(frame(0x81, "never"), "AAAAAAAAAAAAAAAAAAAAAAAAAAA=");
        WebSocketChannel channel;
        QSignalSpy messages(&channel, &WebSocketChannel::textMessageReceived);
        QSignalSpy ended(&channel, &WebSocketChannel::ended);
        channel.open(HostAddress::localhost(), peer.port(), "127.0.0.1", "/ws", {});
        QVERIFY(ended.wait(3000));
        QCOMPARE(messages.size(), 0);
    }

    void sendsNothingWithAHeaderThatBreaksALine() {
        Peer peer({});
        WebSocketChannel channel;
        QSignalSpy ended(&channel, &WebSocketChannel::ended);
        channel.open(HostAddress::localhost(), peer.port(), "127.0.0.1", "/ws",
                     {{"Authorization", "Bearer t\r\nX-Evil: 1"}});
        QVERIFY(ended.wait(3000));
        QTest::qWait(50);
        QVERIFY(peer.request.isEmpty());
    }
};

QTEST_GUILESS_MAIN(WebSocketChannelTest)
#include "WebSocketChannelTest.moc"
