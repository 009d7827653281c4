// The token goes only to a listener of root or of the configuration file's owner: the socket
// tables read right, the client refusing a stranger for requests and the channel, and, as root,
// a real listener of another user.

#include "ListenerCheck.h"
#include "DaemonClient.h"
#include "FakeDaemon.h"
#include "TestSupport.h"

#include <QCoroTask>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTest>

#include <arpa/inet.h>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace brevant;
using namespace brevant::test;

namespace {

// An address as the kernel prints it: 32-bit words in host order.
QByteArray kernelHex(const QByteArray& bytes) {
    QByteArray hex;
    for (qsizetype i = 0; i < bytes.size(); i += 4) {
        quint32 word;
        Q_ASSERT(i + 4 <= bytes.size());
        std::memcpy(&word, bytes.constData() + i, 4);
        hex += QByteArray::number(word, 16).rightJustified(8, '0').toUpper();
    }
    return hex;
}

QByteArray tableLine(const QByteArray& address, quint16 port, const char* state, uint uid) {
    return "   0: " + kernelHex(address) + ':' +
           QByteArray::number(port, 16).rightJustified(4, '0').toUpper() + ' ' +
           kernelHex(QByteArray(address.size(), '\0')) + ":0000 " + state +
           " 00000000:00000000 00:00000000 00000000 " + QByteArray::number(uid).rightJustified(5, ' ') +
           "        0 4242 1 0000000000000000 100 0 0 10 0\n";
}

const QByteArray kHeader =
    "  sl  local_address rem_address   st tx_queue rx_queue tr tm->when retrnsmt   uid\n";
const QByteArray kLoopback4("\x7f\0\0\x01", 4);
const QByteArray kMapped = QByteArray(10, '\0') + QByteArray("\xff\xff", 2);

// A process of another user that listens on a loopback port and answers every request with a
// good status reply; it reports each connection on a pipe.
class ForeignListener {
public:
    explicit ForeignListener(uid_t uid) {
        const QByteArray body = FakeDaemon::envelope("{\"services\":[]}");
        const QByteArray reply = "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: " +
                                 QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
        int portPipe[2];
        if (pipe(portPipe) != 0 || pipe(m_hits) != 0)
            return;
        m_pid = fork();
        if (m_pid == 0) { // only system calls from here on
            if (setgid(uid) != 0 || setuid(uid) != 0)
                _exit(1);
            const int server = socket(AF_INET, SOCK_STREAM, 0);
            sockaddr_in address{};
            address.sin_family = AF_INET;
            address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            socklen_t length = sizeof address;
            if (bind(server, reinterpret_cast<sockaddr*>(&address), length) != 0 || listen(server, 8) != 0 ||
                getsockname(server, reinterpret_cast<sockaddr*>(&address), &length) != 0)
                _exit(1);
            const quint16 port = ntohs(address.sin_port);
            if (write(portPipe[1], &port, sizeof port) != sizeof port)
                _exit(1);
            for (;;) {
                const int client = accept(server, nullptr, nullptr);
                if (client < 0)
                    continue;
                if (write(m_hits[1], "x", 1) != 1)
                    _exit(1);
                char buffer[4096];
                (void)!read(client, buffer, sizeof buffer); // a head fits in one read here
                (void)!write(client, reply.constData(), size_t(reply.size()));
                close(client);
            }
        }
        close(portPipe[1]);
        close(m_hits[1]);
        fcntl(m_hits[0], F_SETFL, O_NONBLOCK);
        if (m_pid <= 0 || read(portPipe[0], &m_port, sizeof m_port) != sizeof m_port)
            m_port = 0;
        close(portPipe[0]);
    }
    ~ForeignListener() {
        if (m_pid > 0) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
        close(m_hits[0]);
    }
    quint16 port() const { return m_port; }
    int connections() const {
        char buffer[64];
        const ssize_t n = read(m_hits[0], buffer, sizeof buffer);
        return n > 0 ? int(n) : 0;
    }

private:
    pid_t m_pid = -1;
    int m_hits[2] = {-1, -1};
    quint16 m_port = 0;
};

} // namespace

class ListenerCheckTest : public QObject {
    Q_OBJECT
    FakeDaemon* daemon = nullptr;
    TempConfig* config = nullptr;

    std::unique_ptr<DaemonClient> client(QList<uint> owners) {
        auto s = fastSettings(daemon->baseURL(), config->path());
        s.listenerOwners = [owners](quint16) { return owners; };
        return std::make_unique<DaemonClient>(s, nullptr);
    }

private slots:
    void init() {
        daemon = new FakeDaemon;
        QVERIFY(daemon->start());
        config = new TempConfig;
        daemon->setData("GET", "/api/status", sevenServicesJson());
    }
    void cleanup() {
        delete daemon;
        delete config;
    }

    void socketTables_data() {
        QTest::addColumn<QByteArray>("tcp4");
        QTest::addColumn<QByteArray>("tcp6");
        QTest::addColumn<QList<uint>>("owners");
        const quint16 p = 19400;
        QTest::newRow("loopback and any address")
            << kHeader + tableLine(kLoopback4, p, "0A", 0) + tableLine(QByteArray(4, '\0'), p, "0A", 1000)
            << kHeader << QList<uint>{0, 1000};
        QTest::newRow("other port, other address, not listening")
            << kHeader + tableLine(kLoopback4, p + 1, "0A", 7) + tableLine(QByteArray("\x7f\0\0\x02", 4), p, "0A", 7) +
                   tableLine(kLoopback4, p, "01", 7)
            << kHeader << QList<uint>{};
        QTest::newRow("IPv6 any and mapped forms, not ::1")
            << kHeader
            << kHeader + tableLine(QByteArray(16, '\0'), p, "0A", 5) +
                   tableLine(kMapped + kLoopback4, p, "0A", 6) +
                   tableLine(kMapped + QByteArray(4, '\0'), p, "0A", 7) +
                   tableLine(QByteArray(15, '\0') + '\x01', p, "0A", 8)
            << QList<uint>{5, 6, 7};
        QTest::newRow("garbage") << QByteArray("no table\n0: zz:zz 0A") << QByteArray() << QList<uint>{};
    }
    void socketTables() {
        QFETCH(QByteArray, tcp4);
        QFETCH(QByteArray, tcp6);
        QFETCH(QList<uint>, owners);
        QCOMPARE(listenerOwnersIn(tcp4, tcp6, 19400), owners);
    }

    void ownListenerIsSeenInTheRealTables() {
        const QList<uint> owners = loopbackListenerOwners(daemon->port());
        QCOMPARE(owners, QList<uint>{uint(geteuid())});
    }

    void strangerGetsNoRequestAndNoChannel() {
        auto c = client({0, 4242});
        QSignalSpy refreshed(c.get(), &DaemonClient::statusRefreshed);
        QCoro::waitFor(c->fetchStatus());
        QVERIFY(!c->isConnected());
        QCOMPARE(c->connectionError(), std::optional<QString>(QStringLiteral("Cannot connect to daemon")));
        const QString logs = QCoro::waitFor(c->fetchLogs(QStringLiteral("nginx"), 200));
        QVERIFY2(logs.contains(QStringLiteral("belongs neither to root nor to the owner")), qPrintable(logs));
        c->connectWebSocket();
        QSignalSpy lost(c.get(), &DaemonClient::isConnectedChanged);
        QTRY_VERIFY(lost.count() >= 2); // fails and tries again, like an unreachable daemon
        QCOMPARE(daemon->requests().size(), 0);
        QCOMPARE(daemon->webSocketHandshakes(), 0);
    }

    void rootAndTheConfigurationOwnerAreTrusted() {
        auto c = client({0, QFileInfo(config->path()).ownerId()});
        QCoro::waitFor(c->fetchStatus());
        QVERIFY(c->isConnected());
        c->connectWebSocket();
        QTRY_COMPARE(daemon->openWebSockets(), 1);
    }

    void realListenerOfAnotherUser() {
        if (geteuid() != 0)
            QSKIP("needs root to listen as another user and to give the configuration away");
        const uid_t nobody = 65534;
        ForeignListener stranger(nobody);
        QVERIFY(stranger.port());
        QCOMPARE(loopbackListenerOwners(stranger.port()), QList<uint>{nobody});
        auto s = fastSettings(QStringLiteral("http://127.0.0.1:%1").arg(stranger.port()), config->path());
        {
            DaemonClient c(s, nullptr);
            QCoro::waitFor(c.fetchStatus());
            QVERIFY(!c.isConnected());
            QTest::qWait(50);
            QCOMPARE(stranger.connections(), 0);
        }
        // Once the configuration belongs to that user, the listener is the daemon.
        QCOMPARE(chown(QFile::encodeName(config->path()).constData(), nobody, nobody), 0);
        DaemonClient c(s, nullptr);
        QCoro::waitFor(c.fetchStatus());
        QVERIFY(c.isConnected());
        QCOMPARE(stranger.connections(), 1);
    }
};

QTEST_GUILESS_MAIN(ListenerCheckTest)
#include "ListenerCheckTest.moc"
