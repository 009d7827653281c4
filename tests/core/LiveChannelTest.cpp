// The live channel: bearer upgrade, one refresh per text message (floods coalesced), loss and
// reconnection.

#include "DaemonClient.h"
#include "FakeDaemon.h"
#include "TestSupport.h"

#include <QCoroTask>
#include <QSignalSpy>
#include <QTest>

using namespace brevant;
using namespace brevant::test;
using namespace std::chrono_literals;

class LiveChannelTest : public QObject {
    Q_OBJECT
    FakeDaemon* daemon = nullptr;
    TempConfig* config = nullptr;

    std::unique_ptr<DaemonClient> client() {
        return std::make_unique<DaemonClient>(fastSettings(daemon->baseURL(), config->path()), nullptr);
    }
    // A client whose channel is open and whose state reads connected.
    std::unique_ptr<DaemonClient> liveClient() {
        auto c = client();
        QCoro::waitFor(c->fetchStatus());
        c->connectWebSocket();
        if (!QTest::qWaitFor([&] { return daemon->openWebSockets() == 1; }, 3000))
            qWarning("channel did not open");
        daemon->clearRequests();
        return c;
    }

private slots:
    void init() {
        daemon = new FakeDaemon;
        QVERIFY(daemon->start());
        config = new TempConfig("ws-token");
        daemon->setWebSocketToken("ws-token");
        daemon->setData("GET", "/api/status", sevenServicesJson());
    }
    void cleanup() {
        delete daemon;
        delete config;
    }

    void upgradeCarriesTheBearerTokenOnWs() {
        auto c = liveClient();
        QCOMPARE(daemon->webSocketHandshakes(), 1);
        const auto& h = daemon->handshakes().first();
        QCOMPARE(h.target, QByteArray("/ws"));
        QCOMPARE(h.headers.value("authorization"), QByteArray("Bearer ws-token"));
        QCOMPARE(h.headers.value("host"), QByteArray("127.0.0.1:") + QByteArray::number(daemon->port()));
    }

    void eachTextMessageCausesOneRefresh() {
        auto c = liveClient();
        daemon->pushText(QStringLiteral("{\"event\":\"services\"}"));
        QTRY_COMPARE(daemon->count("GET", "/api/status"), 1);
        daemon->pushText(QString()); // content is never looked at, even when empty
        QTRY_COMPARE(daemon->count("GET", "/api/status"), 2);
        // A burst while a refresh is out folds into one refresh that follows it.
        for (int i = 0; i < 10; ++i)
            daemon->pushText(QStringLiteral("burst"));
        QTRY_VERIFY(daemon->count("GET", "/api/status") >= 3);
        QTest::qWait(100);
        QVERIFY2(daemon->requests().size() <= 4, qPrintable(QString::number(daemon->requests().size())));
    }

    void aFloodCostsOneRefreshAtATime() {
        daemon->setReply("GET", "/api/status", {200, FakeDaemon::envelope(sevenServicesJson()), 100ms});
        auto c = liveClient();
        QSignalSpy refreshed(c.get(), &DaemonClient::statusRefreshed);
        for (int i = 0; i < 2000; ++i)
            daemon->pushText(QStringLiteral("flood"));
        QTRY_VERIFY(refreshed.count() >= 2);
        QTest::qWait(300); // room for a wrongly overlapping or endless series to show
        const auto statuses = daemon->requestsTo("/api/status");
        QVERIFY2(statuses.size() >= 2 && statuses.size() <= 3, qPrintable(QString::number(statuses.size())));
        for (qsizetype i = 1; i < statuses.size(); ++i)
            QVERIFY2(statuses[i].atMs - statuses[i - 1].atMs >= 90, "two channel refreshes overlapped");
        QCOMPARE(refreshed.count(), statuses.size());
        QVERIFY(refreshed.last().first().toBool());
    }

    void binaryMessagesAreIgnored() {
        auto c = liveClient();
        daemon->pushBinary(QByteArray("\x00\x01", 2));
        QTest::qWait(100);
        QCOMPARE(daemon->requests().size(), 0);
        daemon->pushText(QStringLiteral("x"));
        QTRY_COMPARE(daemon->count("GET", "/api/status"), 1);
    }

    void lossClearsConnectedAtOnceAndReconnects() {
        auto c = liveClient();
        QVERIFY(c->isConnected());
        QSignalSpy errors(c.get(), &DaemonClient::connectionErrorChanged);
        daemon->closeWebSockets();
        QTRY_VERIFY_WITH_TIMEOUT(!c->isConnected(), 100);
        QVERIFY(!c->connectionError());
        QCOMPARE(errors.count(), 0);
        QTRY_COMPARE(daemon->webSocketHandshakes(), 2);
        QTRY_COMPARE(daemon->openWebSockets(), 1);
        // The channel never sets connected itself; only a status refresh does.
        QVERIFY(!c->isConnected());
    }

    void reconnectWaitsThreeSeconds() {
        auto s = fastSettings(daemon->baseURL(), config->path());
        s.reconnectDelay = ConnectionSettings{}.reconnectDelay;
        QCOMPARE(s.reconnectDelay, 3000ms);
        DaemonClient c(s, nullptr);
        c.connectWebSocket();
        QTRY_COMPARE(daemon->openWebSockets(), 1);
        daemon->closeWebSockets();
        const qint64 lostAt = daemon->elapsedMs();
        QTRY_VERIFY_WITH_TIMEOUT(daemon->webSocketHandshakes() == 2, 5000);
        const qint64 waited = daemon->handshakes().last().atMs - lostAt;
        QVERIFY2(waited >= 2900 && waited <= 3600, qPrintable(QString::number(waited)));
    }

    void retriesWithoutEndWhileTheDaemonIsDown() {
        auto c = liveClient();
        daemon->stop();
        QSignalSpy spy(c.get(), &DaemonClient::isConnectedChanged);
        // About every 150 ms plus the attempt; no limit and no growing delay.
        QTest::qWait(1200);
        QVERIFY2(spy.count() >= 4, qPrintable(QString::number(spy.count())));
        QVERIFY(!c->isConnected());
        QVERIFY(daemon->start());
        QTRY_COMPARE(daemon->openWebSockets(), 1);
    }

    void refusedUpgradeIsAFailureThatRetries() {
        daemon->setRefuseWebSockets(true);
        auto c = client();
        QSignalSpy spy(c.get(), &DaemonClient::isConnectedChanged);
        c->connectWebSocket();
        QTRY_VERIFY(daemon->webSocketHandshakes() >= 3);
        QVERIFY(spy.count() >= 2);
        daemon->setRefuseWebSockets(false);
        QTRY_COMPARE(daemon->openWebSockets(), 1);
    }

    void stopPollingClosesAndTheChannelComesBack() {
        auto c = liveClient();
        c->startPolling();
        c->stopPolling();
        QTRY_VERIFY(!c->isConnected());
        QTRY_COMPARE(daemon->webSocketHandshakes(), 2);
    }

    void replacingTheConnectionClosesTheOldOne() {
        auto c = liveClient();
        c->connectWebSocket();
        QTRY_COMPARE(daemon->webSocketHandshakes(), 2);
        QTRY_COMPARE(daemon->openWebSockets(), 1);
        QVERIFY(c->isConnected()); // the replaced socket's end is not a loss
        daemon->pushText(QStringLiteral("x"));
        QTRY_COMPARE(daemon->count("GET", "/api/status"), 1);
        QTest::qWait(50);
        QCOMPARE(daemon->count("GET", "/api/status"), 1);
    }

    void nothingHappensAfterTheClientIsGone() {
        auto c = liveClient();
        c.reset();
        QTRY_COMPARE(daemon->openWebSockets(), 0);
        QTest::qWait(400);
        QCOMPARE(daemon->webSocketHandshakes(), 1);
    }
};

QTEST_GUILESS_MAIN(LiveChannelTest)
#include "LiveChannelTest.moc"
