// The live channel: bearer upgrade, one refresh per text message (floods coalesced), loss and
// reconnection.

#include "DaemonClient.h"
#include "Fixture.h"

#include <QCoroTask>
#include <QSignalSpy>
#include <QTest>

using namespace brevant;
using namespace brevant::test;
using namespace std::chrono_literals;

class LiveChannelTest : public QObject {
    Q_OBJECT
    std::unique_ptr<Fixture> f;

    std::unique_ptr<DaemonClient> client() { return f->makeClient(); }
    // A client whose channel is open and whose state reads connected.
    std::unique_ptr<DaemonClient> liveClient() {
        auto c = client();
        QCoro::waitFor(c->fetchStatus());
        c->connectWebSocket();
        if (!QTest::qWaitFor([&] { return f->daemon.openWebSockets() == 1; }, 3000))
            qWarning("channel did not open");
        f->daemon.clearRequests();
        return c;
    }

private slots:
    void init() {
        f = std::make_unique<Fixture>("ws-token");
        f->daemon.setWebSocketToken("ws-token");
        f->daemon.setData("GET", "/api/status", sevenServicesJson());
    }
    void cleanup() { f.reset(); }

    void upgradeCarriesTheBearerTokenOnWs() {
        auto c = liveClient();
        QCOMPARE(f->daemon.webSocketHandshakes(), 1);
        const auto& h = f->daemon.handshakes().first();
        QCOMPARE(h.target, QByteArray("/ws"));
        QCOMPARE(h.headers.value("authorization"), QByteArray("Bearer ws-token"));
        QCOMPARE(h.headers.value("host"), QByteArray("127.0.0.1:") + QByteArray::number(f->daemon.port()));
    }

    void eachTextMessageCausesOneRefresh() {
        auto c = liveClient();
        f->daemon.pushText(QStringLiteral("{\"event\":\"services\"}"));
        QTRY_COMPARE(f->daemon.count("GET", "/api/status"), 1);
        f->daemon.pushText(QString()); // content is never looked at, even when empty
        QTRY_COMPARE(f->daemon.count("GET", "/api/status"), 2);
        // A burst while a refresh is out folds into one refresh that follows it.
        for (int i = 0; i < 10; ++i)
            f->daemon.pushText(QStringLiteral("burst"));
        QTRY_VERIFY(f->daemon.count("GET", "/api/status") >= 3);
        QTest::qWait(100);
        QVERIFY2(f->daemon.requests().size() <= 4, qPrintable(QString::number(f->daemon.requests().size())));
    }

    void aFloodCostsOneRefreshAtATime() {
        f->daemon.setReply("GET", "/api/status", {200, FakeDaemon::envelope(sevenServicesJson()), 100ms});
        auto c = liveClient();
        QSignalSpy refreshed(c.get(), &DaemonClient::statusRefreshed);
        for (int i = 0; i < 2000; ++i)
            f->daemon.pushText(QStringLiteral("flood"));
        QTRY_VERIFY(refreshed.count() >= 2);
        QTest::qWait(300); // room for a wrongly overlapping or endless series to show
        const auto statuses = f->daemon.requestsTo("/api/status");
        QVERIFY2(statuses.size() >= 2 && statuses.size() <= 3, qPrintable(QString::number(statuses.size())));
        for (qsizetype i = 1; i < statuses.size(); ++i)
            QVERIFY2(statuses[i].atMs - statuses[i - 1].atMs >= 90, "two channel refreshes overlapped");
        QCOMPARE(refreshed.count(), statuses.size());
        QVERIFY(refreshed.last().first().toBool());
    }

    void binaryMessagesAreIgnored() {
        auto c = liveClient();
        f->daemon.pushBinary(QByteArray("\x00\x01", 2));
        QTest::qWait(100);
        QCOMPARE(f->daemon.requests().size(), 0);
        f->daemon.pushText(QStringLiteral("x"));
        QTRY_COMPARE(f->daemon.count("GET", "/api/status"), 1);
    }

    void lossClearsConnectedAtOnceAndReconnects() {
        auto c = liveClient();
        QVERIFY(c->isConnected());
        QSignalSpy errors(c.get(), &DaemonClient::connectionErrorChanged);
        f->daemon.closeWebSockets();
        QTRY_VERIFY_WITH_TIMEOUT(!c->isConnected(), 100);
        QVERIFY(!c->connectionError());
        QCOMPARE(errors.count(), 0);
        QTRY_COMPARE(f->daemon.webSocketHandshakes(), 2);
        QTRY_COMPARE(f->daemon.openWebSockets(), 1);
        // The channel never sets connected itself; only a status refresh does.
        QVERIFY(!c->isConnected());
    }

    void reconnectWaitsThreeSeconds() {
        auto s = f->settings();
        s.reconnectDelay = ConnectionSettings{}.reconnectDelay;
        QCOMPARE(s.reconnectDelay, 3000ms);
        DaemonClient c(s, nullptr);
        c.connectWebSocket();
        QTRY_COMPARE(f->daemon.openWebSockets(), 1);
        f->daemon.closeWebSockets();
        const qint64 lostAt = f->daemon.elapsedMs();
        QTRY_VERIFY_WITH_TIMEOUT(f->daemon.webSocketHandshakes() == 2, 5000);
        const qint64 waited = f->daemon.handshakes().last().atMs - lostAt;
        QVERIFY2(waited >= 2900 && waited <= 3600, qPrintable(QString::number(waited)));
    }

    void retriesWithoutEndWhileTheDaemonIsDown() {
        auto c = liveClient();
        f->daemon.stop();
        QSignalSpy spy(c.get(), &DaemonClient::isConnectedChanged);
        // About every 150 ms plus the attempt; no limit and no growing delay.
        QTest::qWait(1200);
        QVERIFY2(spy.count() >= 4, qPrintable(QString::number(spy.count())));
        QVERIFY(!c->isConnected());
        QVERIFY(f->daemon.start());
        QTRY_COMPARE(f->daemon.openWebSockets(), 1);
    }

    void refusedUpgradeIsAFailureThatRetries() {
        f->daemon.setRefuseWebSockets(true);
        auto c = client();
        QSignalSpy spy(c.get(), &DaemonClient::isConnectedChanged);
        c->connectWebSocket();
        QTRY_VERIFY(f->daemon.webSocketHandshakes() >= 3);
        QVERIFY(spy.count() >= 2);
        f->daemon.setRefuseWebSockets(false);
        QTRY_COMPARE(f->daemon.openWebSockets(), 1);
    }

    void stopPollingClosesAndTheChannelComesBack() {
        auto c = liveClient();
        c->startPolling();
        c->stopPolling();
        QTRY_VERIFY(!c->isConnected());
        QTRY_COMPARE(f->daemon.webSocketHandshakes(), 2);
    }

    void replacingTheConnectionClosesTheOldOne() {
        auto c = liveClient();
        c->connectWebSocket();
        QTRY_COMPARE(f->daemon.webSocketHandshakes(), 2);
        QTRY_COMPARE(f->daemon.openWebSockets(), 1);
        QVERIFY(c->isConnected()); // the replaced socket's end is not a loss
        f->daemon.pushText(QStringLiteral("x"));
        QTRY_COMPARE(f->daemon.count("GET", "/api/status"), 1);
        QTest::qWait(50);
        QCOMPARE(f->daemon.count("GET", "/api/status"), 1);
    }

    void nothingHappensAfterTheClientIsGone() {
        auto c = liveClient();
        c.reset();
        QTRY_COMPARE(f->daemon.openWebSockets(), 0);
        QTest::qWait(400);
        QCOMPARE(f->daemon.webSocketHandshakes(), 1);
    }
};

QTEST_GUILESS_MAIN(LiveChannelTest)
#include "LiveChannelTest.moc"
