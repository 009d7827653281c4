// The client's own HTTP/1.1 transport over real sockets: every framing of a reply and the broken
// ones, kept connections and a daemon that closes them, and the pool of a lane under a burst.

#include "ConnectionPool.h"
#include "DaemonClient.h"
#include "FakeDaemon.h"
#include "TestSupport.h"

#include <QCoroTask>
#include <QTest>

#include <vector>

using namespace brevant;
using namespace brevant::test;
using namespace std::chrono_literals;

namespace {

const QByteArray kBackups =
    FakeDaemon::envelope("{\"backups\":[{\"name\":\"b\",\"size\":1,\"created\":\"x\"}]}");

QByteArray chunked(const QByteArray& body, int piece) {
    QByteArray out;
    for (qsizetype i = 0; i < body.size(); i += piece)
        out += QByteArray::number(qMin<qsizetype>(piece, body.size() - i), 16) + "\r\n" + body.mid(i, piece) +
               "\r\n";
    return out;
}

const char* const kOk = "";
const char* const kClosed = "The daemon closed the connection before the reply was complete.";
const char* const kNotHttp = "The daemon's reply is not valid HTTP.";

} // namespace

class HttpTransportTest : public QObject {
    Q_OBJECT
    FakeDaemon* daemon = nullptr;
    TempConfig* config = nullptr;
    std::unique_ptr<DaemonClient> c;

    // What the client makes of GET /api/pro/backups: "" when it decoded one backup.
    QString backups() {
        auto r = QCoro::waitFor(c->fetchBackups());
        if (r.ok())
            return r.value().size() == 1 ? QString() : QStringLiteral("decoded the wrong list");
        return r.error().description;
    }
    QList<int> connectionsOf(const QByteArray& path) const {
        QList<int> out;
        for (const auto& r : daemon->requestsTo(path))
            out.push_back(r.connection);
        return out;
    }

private slots:
    void init() {
        daemon = new FakeDaemon;
        QVERIFY(daemon->start());
        config = new TempConfig;
        c = std::make_unique<DaemonClient>(fastSettings(daemon->baseURL(), config->path()), nullptr);
    }
    void cleanup() {
        c.reset();
        delete daemon;
        delete config;
    }

    void framings_data() {
        QTest::addColumn<QByteArray>("raw");
        QTest::addColumn<bool>("close");
        QTest::addColumn<QString>("outcome");
        const QByteArray ok = "HTTP/1.1 200 OK\r\n";
        const QByteArray chunkedHead = ok + "Transfer-Encoding: chunked\r\n\r\n";
        QTest::newRow("chunked, odd pieces, extension, trailer")
            << chunkedHead + chunked(kBackups, 7).replace("7\r\n", "7;ext=1\r\n") + "0\r\nX-Sum: 1\r\n\r\n"
            << false << kOk;
        QTest::newRow("bare line feeds")
            << "HTTP/1.1 200 OK\nContent-Length: " + QByteArray::number(kBackups.size()) + "\n\n" + kBackups
            << false << kOk;
        QTest::newRow("interim 100 first")
            << "HTTP/1.1 100 Continue\r\n\r\n" + ok +
                   "Content-Length: " + QByteArray::number(kBackups.size()) + "\r\n\r\n" + kBackups
            << false << kOk;
        QTest::newRow("HTTP/1.0 until close") << "HTTP/1.0 200 OK\r\n\r\n" + kBackups << true << kOk;
        QTest::newRow("chunked, cut off half-way")
            << chunkedHead + chunked(kBackups, 16).left(40) << true << kClosed;
        QTest::newRow("head, then close") << ok + "Content-Length: 10\r\n\r\n" << true << kClosed;
        QTest::newRow("not HTTP") << QByteArray("<html>hello</html>\r\n\r\n") << false << kNotHttp;
        QTest::newRow("two lengths") << ok + "Content-Length: 5\r\nContent-Length: 6\r\n\r\nhello!" << false
                                     << kNotHttp;
        QTest::newRow("bad chunk size") << chunkedHead + "zz\r\nhello\r\n0\r\n\r\n" << false << kNotHttp;
        QTest::newRow("folded header") << ok + "X-A: 1\r\n b\r\nContent-Length: 0\r\n\r\n"
                                       << false << kNotHttp;
        QTest::newRow("head over 64 KiB")
            << ok + "X-Pad: " + QByteArray(70 * 1024, 'p') + "\r\n\r\n"
            << false << "The reply's head is larger than 64 KiB; it was not read.";
        QTest::newRow("chunk announced over 32 MiB")
            << chunkedHead + "2000001\r\n"
            << false << "The reply is larger than 32 MiB; it was not read.";
    }
    void framings() {
        QFETCH(QByteArray, raw);
        QFETCH(bool, close);
        QFETCH(QString, outcome);
        FakeDaemon::Reply reply;
        reply.raw = raw;
        reply.withoutLength = close;
        daemon->setReply("GET", "/api/pro/backups", reply);
        QCOMPARE(backups(), outcome);
    }

    void requestsCarryNoOtherHeaders() {
        daemon->setData("GET", "/api/status", "{\"services\":[]}");
        daemon->setData("POST", "/api/services/stop-all", "{\"services\":[]}");
        QCoro::waitFor(c->stopAll());
        const auto post = daemon->requestsTo("/api/services/stop-all").first();
        const auto get = daemon->requestsTo("/api/status").first();
        QCOMPARE(get.headers.keys(), QList<QByteArray>({"authorization", "content-type", "host"}));
        QCOMPARE(get.headers.value("host"), "127.0.0.1:" + QByteArray::number(daemon->port()));
        // A POST without a body says so, as servers that insist on a length expect.
        QCOMPARE(post.headers.keys(),
                 QList<QByteArray>({"authorization", "content-length", "content-type", "host"}));
        QCOMPARE(post.headers.value("content-length"), QByteArray("0"));
    }

    void aTokenWithALineBreakIsNeverSent() {
        // It would end the header and smuggle one of its own after it.
        config->write("{\"authToken\":\"abc\\r\\nX-Injected: 1\"}");
        c = std::make_unique<DaemonClient>(fastSettings(daemon->baseURL(), config->path()), nullptr);
        QVERIFY(backups().startsWith(QStringLiteral("The request could not be sent")));
        QVERIFY(daemon->requests().isEmpty());
    }

    void keptConnectionsAreReused() {
        daemon->setReply("GET", "/api/pro/backups", {200, kBackups});
        for (int i = 0; i < 3; ++i)
            QCOMPARE(backups(), QString());
        QCOMPARE(connectionsOf("/api/pro/backups"), QList<int>({1, 1, 1}));

        // A reply that ends its connection leaves the next request a new one.
        FakeDaemon::Reply closing;
        closing.raw =
            "HTTP/1.1 200 OK\r\nConnection: close\r\nContent-Length: " + QByteArray::number(kBackups.size()) +
            "\r\n\r\n" + kBackups;
        daemon->setReply("GET", "/api/pro/backups", closing);
        QCOMPARE(backups(), QString());
        daemon->setReply("GET", "/api/pro/backups", {200, kBackups});
        QCOMPARE(backups(), QString());
        QCOMPARE(connectionsOf("/api/pro/backups"), QList<int>({1, 1, 1, 1, 2}));
    }

    void aDaemonThatClosesKeptConnections() {
        daemon->setReply("GET", "/api/pro/backups", {200, kBackups});
        QCOMPARE(backups(), QString());
        // Restarted between two requests, before the client could notice: the read is sent again.
        daemon->stop();
        QVERIFY(daemon->start());
        QCOMPARE(backups(), QString());
        QCOMPARE(daemon->count("GET", "/api/pro/backups"), 2);

        // A kept connection closed with the request unanswered: a read goes out once more, and
        // then fails; an action goes out once, on a connection of its own, and is never repeated.
        FakeDaemon::Reply hangUp;
        hangUp.hangUp = true;
        daemon->setReply("GET", "/api/pro/backups", hangUp);
        daemon->setReply("POST", "/api/services/stop-all", hangUp);
        daemon->setData("GET", "/api/status", "{\"services\":[]}");
        QCOMPARE(backups(), QString(kClosed));
        QCOMPARE(daemon->count("GET", "/api/pro/backups"), 4);
        const int lastConnection = daemon->requests().last().connection;
        QCoro::waitFor(c->stopAll());
        const auto actions = daemon->requestsTo("/api/services/stop-all");
        QCOMPARE(actions.size(), 1);
        QVERIFY(actions.first().connection > lastConnection);
    }

    void aBurstGoesOutAtOnceAndThePoolShrinksAfter() {
        daemon->setReply("GET", "/api/pro/backups", {200, kBackups, 500ms});
        std::vector<QCoro::Task<Result<QList<BackupEntry>>>> burst;
        for (int i = 0; i < 40; ++i)
            burst.push_back(c->fetchBackups());
        QTRY_COMPARE(daemon->count("GET", "/api/pro/backups"), 40);
        const auto sent = daemon->requestsTo("/api/pro/backups");
        QVERIFY2(sent.last().atMs - sent.first().atMs < 400, "a request waited for another's reply");
        for (auto& task : burst)
            QVERIFY(QCoro::waitFor(std::move(task)).ok());
        QVERIFY(ConnectionPool::instance()->openConnections(Lane::User) <= ConnectionPool::kMaxIdlePerLane);
    }

    void repliesUnderWayShareOneLimit() {
        // Six replies of 30 MiB at once, each under its own limit: they cannot all be held.
        FakeDaemon::Reply large;
        large.streamBytes = 30 * 1024 * 1024;
        daemon->setReply("GET", "/api/pro/backups", large);
        resetPeakResident();
        std::vector<QCoro::Task<Result<QList<BackupEntry>>>> burst;
        for (int i = 0; i < 6; ++i)
            burst.push_back(c->fetchBackups());
        int crowded = 0;
        for (auto& task : burst) {
            const auto r = QCoro::waitFor(std::move(task));
            QVERIFY(!r.ok());
            crowded +=
                r.error().description.startsWith(QStringLiteral("The daemon's replies under way hold more"));
        }
        QVERIFY(crowded >= 1);
        QVERIFY2(peakResidentMiB() < 250 || !kMemoryBudgetsApply,
                 qPrintable(QString::number(peakResidentMiB())));
    }

    void aFullLaneRefusesAtOnce() {
        daemon->setReply("GET", "/api/pro/backups", {200, kBackups, 1500ms});
        std::vector<QCoro::Task<Result<QList<BackupEntry>>>> held;
        for (int i = 0; i < ConnectionPool::kMaxConnectionsPerLane; ++i)
            held.push_back(c->fetchBackups());
        QVERIFY(backups().startsWith(QStringLiteral("Too many requests to the daemon")));
        for (auto& task : held)
            QVERIFY(QCoro::waitFor(std::move(task)).ok());
        daemon->setReply("GET", "/api/pro/backups", {200, kBackups});
        QCOMPARE(backups(), QString());
    }
};

QTEST_GUILESS_MAIN(HttpTransportTest)
#include "HttpTransportTest.moc"
