// The request layer over real sockets: headers and token, the four failure kinds and their
// texts, the envelope rules, path segments and the reply size limit.

#include "RequestLayer.h"
#include "DaemonClient.h"
#include "FakeDaemon.h"
#include "TestSupport.h"

#include <QCoroTask>
#include <QDir>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

using namespace brevant;
using namespace brevant::test;

class RequestLayerTest : public QObject {
    Q_OBJECT

    FakeDaemon* daemon = nullptr;
    TempConfig* config = nullptr;

    std::unique_ptr<DaemonClient> client(const QString& configPath = {}) {
        return std::make_unique<DaemonClient>(
            fastSettings(daemon->baseURL(), configPath.isEmpty() ? config->path() : configPath), nullptr);
    }
    // GET /pro/backups hands its error to the caller, which makes it a clear probe of fetch().
    RequestError backupsError(DaemonClient& c) {
        auto r = QCoro::waitFor(c.fetchBackups());
        if (r.ok())
            return RequestError::transport(QStringLiteral("unexpected success"));
        return r.error();
    }

private slots:
    void init() {
        daemon = new FakeDaemon;
        QVERIFY(daemon->start());
        config = new TempConfig("s3cret");
    }
    void cleanup() {
        delete daemon;
        delete config;
    }

    void getCarriesTokenAndContentTypeAndNoBody() {
        daemon->setData(
            "GET", "/api/pro/backups",
            "{\"backups\":[{\"name\":\"b.tar.gz\",\"size\":10,\"created\":\"2026-12-01T10:00:00Z\"}]}");
        auto c = client();
        QCOMPARE(c->authToken(), QStringLiteral("s3cret"));
        QVERIFY(!c->connectionError());
        auto r = QCoro::waitFor(c->fetchBackups());
        QVERIFY(r.ok());
        QCOMPARE(r.value().size(), 1);
        QCOMPARE(daemon->requests().size(), 1);
        const auto& req = daemon->requests().first();
        QCOMPARE(req.method, QByteArray("GET"));
        QCOMPARE(req.target, QByteArray("/api/pro/backups"));
        QCOMPARE(req.headers.value("authorization"), QByteArray("Bearer s3cret"));
        QCOMPARE(req.headers.value("content-type"), QByteArray("application/json"));
        QVERIFY(req.body.isEmpty());
    }

    void missingConfigGivesEmptyTokenAndMessage() {
        auto c = client(QDir::temp().filePath(QStringLiteral("brevant-no-such-dir/none.json")));
        QCOMPARE(c->authToken(), QString());
        QVERIFY(c->connectionError());
        QVERIFY(c->connectionError()->startsWith(QStringLiteral("Cannot read config: ")));
        QVERIFY(c->connectionError()->contains(QStringLiteral("No such file")));
        QVERIFY(!c->configurationReadable());
        daemon->setData("GET", "/api/status", "{\"services\":[]}");
        QCoro::waitFor(c->fetchStatus());
        QCOMPARE(daemon->requests().first().headers.value("authorization"), QByteArray("Bearer "));
        // The first good refresh replaces the configuration message.
        QVERIFY(c->isConnected());
        QVERIFY(!c->connectionError());
    }

    void badConfigFiles_data() {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QString>("mentions");
        QTest::newRow("not JSON") << QByteArray("authToken=abc") << "not valid JSON";
        QTest::newRow("no token") << QByteArray("{\"port\":19400}") << "authToken is missing";
        QTest::newRow("token not a string")
            << QByteArray("{\"authToken\":42}") << "authToken is not a string";
        QTest::newRow("array") << QByteArray("[]") << "is not an object";
        QTest::newRow("empty") << QByteArray("") << "empty";
    }
    void badConfigFiles() {
        QFETCH(QByteArray, contents);
        QFETCH(QString, mentions);
        config->write(contents);
        auto c = client();
        QCOMPARE(c->authToken(), QString());
        QVERIFY(c->connectionError());
        QVERIFY2(c->connectionError()->startsWith(QStringLiteral("Cannot read config: ")),
                 qPrintable(*c->connectionError()));
        QVERIFY2(c->connectionError()->contains(mentions), qPrintable(*c->connectionError()));
        QVERIFY(!c->configurationReadable());
    }

    void byteOrderMarkInConfigAndReply() {
        config->write("\xEF\xBB\xBF{\"authToken\":\"marked\"}");
        auto c = client();
        QCOMPARE(c->authToken(), QStringLiteral("marked"));
        QVERIFY(c->configurationReadable());
        daemon->setReply("GET", "/api/status",
                         {200, "\xEF\xBB\xBF" + FakeDaemon::envelope("{\"services\":[]}")});
        QCoro::waitFor(c->fetchStatus());
        QVERIFY(c->isConnected());
    }

    void configThatIsAFolder() {
        QTemporaryDir dir;
        auto c = client(dir.path());
        QVERIFY(c->connectionError()->contains(QStringLiteral("folder")));
    }

    void statusFailureHidesTheDaemonsMessage() {
        daemon->setReply("GET", "/api/pro/backups",
                         {500, "{\"success\":false,\"error\":{\"code\":\"E\",\"message\":\"boom\"}}"});
        auto c = client();
        const RequestError e = backupsError(*c);
        QCOMPARE(e.kind, RequestError::Kind::Status);
        QCOMPARE(e.code, 500);
        QVERIFY(!e.description.contains(QStringLiteral("boom")));
        QVERIFY(e.description.contains(QStringLiteral("500")));
    }

    void redirectIsNotFollowed() {
        daemon->setReply("GET", "/api/pro/backups", {302, "{}"});
        auto c = client();
        QCOMPARE(backupsError(*c).kind, RequestError::Kind::Status);
        QCOMPARE(daemon->requests().size(), 1);
    }

    void envelopeFailures_data() {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("text");
        const int envelope = int(RequestError::Kind::Envelope);
        const int decoding = int(RequestError::Kind::Decoding);
        QTest::newRow("code without message")
            << 200 << QByteArray("{\"success\":false,\"error\":{\"code\":\"X\"}}") << envelope
            << "Unknown error";
        QTest::newRow("message") << 200
                                 << QByteArray("{\"success\":false,\"error\":{\"message\":\"disk full\"}}")
                                 << envelope << "disk full";
        QTest::newRow("data null") << 200 << QByteArray("{\"success\":true,\"data\":null}") << envelope
                                   << "Unknown error";
        QTest::newRow("only success")
            << 200 << QByteArray("{\"success\":true}") << envelope << "Unknown error";
        QTest::newRow("false with data") << 200 << QByteArray("{\"success\":false,\"data\":{\"backups\":[]}}")
                                         << envelope << "Unknown error";
        QTest::newRow("204 empty") << 204 << QByteArray() << decoding
                                   << "The reply could not be decoded: the body is empty";
        QTest::newRow("wrong data shape")
            << 200 << QByteArray("{\"success\":true,\"data\":{\"backups\":[{\"name\":\"x\"}]}}") << decoding
            << "The reply could not be decoded: data.backups[0].size is missing";
        QTest::newRow("truncated JSON") << 201 << QByteArray("{\"success\":true,\"data\":{\"back") << decoding
                                        << "The reply could not be decoded: not valid JSON";
    }
    void envelopeFailures() {
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        QFETCH(int, kind);
        QFETCH(QString, text);
        daemon->setReply("GET", "/api/pro/backups", {status, body});
        auto c = client();
        const RequestError e = backupsError(*c);
        QCOMPARE(int(e.kind), kind);
        QVERIFY2(e.description.startsWith(text), qPrintable(e.description));
        if (e.kind == RequestError::Kind::Envelope) {
            QCOMPARE(e.domain, QStringLiteral("DaemonClient"));
            QCOMPARE(e.code, -1);
        }
    }

    void transportFailures() {
        auto c = client();
        // Refused: nothing listens any more.
        daemon->stop();
        RequestError e = backupsError(*c);
        QCOMPARE(e.kind, RequestError::Kind::Transport);
        QVERIFY2(e.description.contains(QStringLiteral("refused")), qPrintable(e.description));
    }

    void timeoutIsATransportFailure() {
        daemon->setReply("GET", "/api/pro/backups",
                         {200, FakeDaemon::envelope("{\"backups\":[]}"), std::chrono::milliseconds(3000)});
        auto s = fastSettings(daemon->baseURL(), config->path());
        s.requestTimeout = std::chrono::milliseconds(200);
        DaemonClient c(s, nullptr);
        const RequestError e = backupsError(c);
        QCOMPARE(e.kind, RequestError::Kind::Transport);
        QCOMPARE(e.description, QStringLiteral("The request timed out."));
    }

    void deadlineCoversTheWholeRequest() {
        // A byte every 100 ms never leaves the connection idle, yet the request ends on time.
        FakeDaemon::Reply trickle{200, FakeDaemon::envelope("{\"backups\":[]}")};
        trickle.tricklePause = std::chrono::milliseconds(100);
        daemon->setReply("GET", "/api/pro/backups", trickle);
        auto s = fastSettings(daemon->baseURL(), config->path());
        s.requestTimeout = std::chrono::milliseconds(1000);
        DaemonClient c(s, nullptr);
        QElapsedTimer t;
        t.start();
        const RequestError e = backupsError(c);
        QCOMPARE(e.description, QStringLiteral("The request timed out."));
        QVERIFY2(t.elapsed() >= 950 && t.elapsed() < 2000, qPrintable(QString::number(t.elapsed())));
    }

    void replyCutOffHalfway() {
        FakeDaemon::Reply r{
            200, FakeDaemon::envelope("{\"backups\":[{\"name\":\"a\",\"size\":1,\"created\":\"x\"}]}")};
        r.cutOffHalfway = true;
        daemon->setReply("GET", "/api/pro/backups", r);
        auto c = client();
        QCOMPARE(backupsError(*c).kind, RequestError::Kind::Transport);
    }

    void hugeRepliesAreRefused_data() {
        QTest::addColumn<bool>("withoutLength");
        QTest::newRow("announced length") << false;
        QTest::newRow("streamed until close") << true;
    }
    void hugeRepliesAreRefused() {
        QFETCH(bool, withoutLength);
        FakeDaemon::Reply r{200, QByteArray(33 * 1024 * 1024, ' ')};
        r.withoutLength = withoutLength;
        daemon->setReply("GET", "/api/pro/backups", r);
        auto c = client();
        const RequestError e = backupsError(*c);
        QCOMPARE(e.kind, RequestError::Kind::Transport);
        QVERIFY2(e.description.contains(QStringLiteral("32 MiB")), qPrintable(e.description));
    }

    void onlyThisMachineOverHttp_data() {
        QTest::addColumn<QString>("url");
        QTest::addColumn<int>("port"); // -1: refused
        QTest::newRow("IPv4 loopback") << "http://127.0.0.1:19400/api" << 19400;
        QTest::newRow("another loopback address") << "http://127.4.5.6" << 80;
        QTest::newRow("localhost") << "http://localhost:8025" << 8025;
        QTest::newRow("IPv6 loopback") << "http://[::1]:9/x" << 9;
        QTest::newRow("IPv4-mapped loopback") << "http://[::ffff:127.0.0.1]:7" << 7;
        QTest::newRow("LAN address") << "http://192.168.1.2:19400" << -1;
        QTest::newRow("mapped LAN address") << "http://[::ffff:10.0.0.1]:1" << -1;
        QTest::newRow("IPv6 zone") << "http://[fe80::1%25lo]:1" << -1;
        QTest::newRow("a name") << "http://example.com" << -1;
        QTest::newRow("https") << "https://127.0.0.1" << -1;
        QTest::newRow("no host") << "http:///api" << -1;
    }
    void onlyThisMachineOverHttp() {
        QFETCH(QString, url);
        QFETCH(int, port);
        const std::optional<Endpoint> endpoint = loopbackEndpoint(QUrl(url));
        QCOMPARE(endpoint.has_value(), port >= 0);
        if (endpoint)
            QCOMPARE(int(endpoint->port), port);
    }

    void pathSegments_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("segment");
        QTest::newRow("plain") << "nginx"
                               << "nginx";
        QTest::newRow("unreserved") << "php-fpm_7.4~x"
                                    << "php-fpm_7.4~x";
        QTest::newRow("traversal") << "../config"
                                   << "..%2Fconfig";
        QTest::newRow("query and fragment") << "a?b#c"
                                            << "a%3Fb%23c";
        QTest::newRow("blank and percent") << "a b%"
                                           << "a%20b%25";
        QTest::newRow("non-ASCII") << "caf\u00e9"
                                   << "caf%C3%A9";
        QTest::newRow("three dots are a name") << "..."
                                               << "...";
    }
    void pathSegments() {
        QFETCH(QString, name);
        QFETCH(QString, segment);
        QCOMPARE(DaemonClient::pathSegment(name), std::optional<QString>(segment));
    }

    void hostileIdsStayInsideTheirEndpoint() {
        daemon->setData("DELETE", "/api/vhosts/..%2Fconfig", "{\"deleted\":true}");
        auto c = client();
        QVERIFY(QCoro::waitFor(c->deleteProject(QStringLiteral("../config"))));
        QCOMPARE(daemon->requests().last().target, QByteArray("/api/vhosts/..%2Fconfig"));
        QCoro::waitFor(c->fetchLogs(QStringLiteral("a?b#c"), 5));
        QCOMPARE(daemon->requests().last().target, QByteArray("/api/services/a%3Fb%23c/logs?lines=5"));
    }

    void unusableNamesSendNothing_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("empty") << "";
        QTest::newRow("dot") << ".";
        QTest::newRow("dot dot") << "..";
    }
    void unusableNamesSendNothing() {
        QFETCH(QString, name);
        auto c = client();
        daemon->setData("GET", "/api/status", "{\"services\":[]}");
        QVERIFY(!QCoro::waitFor(c->deleteProject(name)));
        const QString logs = QCoro::waitFor(c->fetchLogs(name, 200));
        QVERIFY2(logs.startsWith(QStringLiteral("Failed to load logs: The name")), qPrintable(logs));
        QCoro::waitFor(c->stopService(name));
        // Only the refresh that follows every service action reached the daemon.
        QCOMPARE(daemon->requests().size(), 1);
        QCOMPARE(daemon->requests().first().target, QByteArray("/api/status"));
    }

    void postJsonSendsTheWholeBody() {
        daemon->setData("POST", "/api/vhosts",
                        "{\"id\":\"p1\",\"name\":\"a\",\"domain\":\"a.test\",\"documentRoot\":\"/w/a\","
                        "\"webServer\":\"nginx\",\"phpVersion\":\"8.2\",\"sslEnabled\":false}");
        auto c = client();
        QVERIFY(
            QCoro::waitFor(c->createProject({QStringLiteral("a"), QStringLiteral("a.test"),
                                             QStringLiteral("nginx"), QStringLiteral("8.2"), false, false})));
        const auto& req = daemon->requests().first();
        QCOMPARE(req.method, QByteArray("POST"));
        QCOMPARE(req.headers.value("content-type"), QByteArray("application/json"));
        QCOMPARE(
            req.body,
            QByteArray("{\"name\":\"a\",\"domain\":\"a.test\",\"webServer\":\"nginx\",\"phpVersion\":\"8.2\","
                       "\"sslEnabled\":false,\"createDatabase\":false}"));
    }

    void concurrentRequestsEachGetTheirOwnReply() {
        daemon->setReply("GET", "/api/pro/backups",
                         {200, FakeDaemon::envelope("{\"backups\":[]}"), std::chrono::milliseconds(200)});
        daemon->setData("GET", "/api/pro/dns",
                        "{\"entries\":[{\"ip\":\"127.0.0.1\",\"hostname\":\"a.test\"}]}");
        auto c = client();
        auto slow = c->fetchBackups();
        auto fast = c->fetchDNS();
        auto dns = QCoro::waitFor(std::move(fast));
        auto backups = QCoro::waitFor(std::move(slow));
        QVERIFY(dns.ok() && backups.ok());
        QCOMPARE(dns.value().first().hostname, QStringLiteral("a.test"));
        QVERIFY(backups.value().isEmpty());
    }

    void clientGoneWhileRequestIsOut() {
        daemon->setReply("GET", "/api/status",
                         {200, FakeDaemon::envelope("{\"services\":[]}"), std::chrono::milliseconds(100)});
        auto c = client();
        auto pending = c->fetchStatus();
        c.reset(); // the window closed
        QCoro::waitFor(std::move(pending));
        QCOMPARE(daemon->count("GET", "/api/status"), 1);
    }
};

QTEST_GUILESS_MAIN(RequestLayerTest)
#include "RequestLayerTest.moc"
