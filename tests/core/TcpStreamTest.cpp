// The client's own TCP stream against a local server: failures reported from the event loop, the
// bound on what it holds unread, what stays readable after the peer's close, and a close that
// sends what was queued first.

#include "TcpStream.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace brevant;

class TcpStreamTest : public QObject {
    Q_OBJECT

    QTcpServer server;
    std::unique_ptr<QTcpSocket> peer;

    void listen() {
        QVERIFY(server.listen(QHostAddress::LocalHost));
        connect(&server, &QTcpServer::newConnection, this,
                [this] { peer.reset(server.nextPendingConnection()); });
    }
    static QByteArray pattern(qsizetype size) {
        QByteArray data(size, Qt::Uninitialized);
        for (qsizetype i = 0; i < size; ++i)
            data[i] = char((i * 7 + i / 251) & 0xff);
        return data;
    }

private slots:
    void cleanup() {
        peer.reset();
        server.close();
        server.disconnect(this);
    }

    void refusedLater() {
        listen();
        const quint16 port = server.serverPort();
        server.close(); // nothing listens there now
        TcpStream stream(1024);
        QSignalSpy failed(&stream, &TcpStream::errorOccurred);
        stream.connectToHost(HostAddress::localhost(), port);
        QCOMPARE(failed.count(), 0); // never from inside the call
        QVERIFY(failed.wait());
        QCOMPARE(stream.error(), TcpStream::Error::Refused);
        QCOMPARE(stream.state(), TcpStream::State::Unconnected);
    }

    // A peer that sends without end fills the stream's buffer and then waits; every byte arrives
    // once and in order as the owner reads.
    void holdsNoMoreThanItsBound() {
        listen();
        const QByteArray data = pattern(3 * 1024 * 1024 + 17);
        TcpStream stream(64 * 1024);
        QSignalSpy connected(&stream, &TcpStream::connected);
        stream.connectToHost(HostAddress::localhost(), server.serverPort());
        QVERIFY(connected.wait());
        QTRY_VERIFY(peer);
        peer->write(data);
        QByteArray received;
        qint64 most = 0;
        QElapsedTimer clock;
        clock.start();
        QTimer wake; // a stream that stalls ends the loop at the deadline rather than hanging it
        wake.start(100);
        for (;;) {
            most = std::max(most, stream.bytesAvailable());
            received += stream.read(48 * 1024); // a reader slower than the peer
            if (received.size() >= data.size() || clock.elapsed() > 10000)
                break;
            if (stream.bytesAvailable() == 0)
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
        QCOMPARE(most, qint64(64 * 1024));
        QVERIFY(received == data);
    }

    void dataBeforeThePeersCloseStaysReadable() {
        listen();
        TcpStream stream(1024 * 1024);
        QSignalSpy ended(&stream, &TcpStream::disconnected);
        stream.connectToHost(HostAddress::localhost(), server.serverPort());
        QTRY_VERIFY(peer);
        peer->write("last words");
        peer->disconnectFromHost();
        QVERIFY(ended.wait());
        QCOMPARE(stream.state(), TcpStream::State::Unconnected);
        QCOMPARE(stream.read(100), QByteArray("last words"));
    }

    void closingSendsWhatIsQueuedFirst() {
        listen();
        TcpStream stream(1024);
        QSignalSpy ended(&stream, &TcpStream::disconnected);
        connect(&stream, &TcpStream::connected, this, [&] {
            stream.write(pattern(300000));
            stream.disconnectFromHost();
            stream.write("too late"); // nothing is queued once closing
        });
        stream.connectToHost(HostAddress::localhost(), server.serverPort());
        QVERIFY(ended.wait());
        QTRY_VERIFY(peer);
        QByteArray got;
        QTRY_VERIFY_WITH_TIMEOUT((got += peer->readAll(), peer->state() != QAbstractSocket::ConnectedState &&
                                                              !peer->bytesAvailable()),
                                 5000);
        QVERIFY(got == pattern(300000));
    }
};

QTEST_GUILESS_MAIN(TcpStreamTest)
#include "TcpStreamTest.moc"
