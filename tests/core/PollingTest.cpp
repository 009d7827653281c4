// Status refresh, host figures and the polling timer.

#include "DaemonClient.h"
#include "Fixture.h"

#include <QCoroTask>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace brevant;
using namespace brevant::test;
using namespace std::chrono_literals;

class PollingTest : public QObject {
    Q_OBJECT
    std::unique_ptr<Fixture> f;

    std::unique_ptr<DaemonClient> client() { return f->makeClient(); }

private slots:
    void init() {
        f = std::make_unique<Fixture>();
        f->daemon.setData("GET", "/api/status", sevenServicesJson());
        f->daemon.setData(
            "GET", "/api/system/info",
            systemInfoJson(
                {8, {1.5, 1.0, 0.9}, 17179869184, 12884901888, 75, 500000000000, 212000000000, 58}));
    }
    void cleanup() { f.reset(); }

    void statusSuccessSetsThreeMembersInOrder() {
        auto c = client();
        QStringList order;
        connect(c.get(), &DaemonClient::servicesChanged, this, [&] { order << "services"; });
        connect(c.get(), &DaemonClient::isConnectedChanged, this, [&] { order << "isConnected"; });
        connect(c.get(), &DaemonClient::connectionErrorChanged, this, [&] { order << "connectionError"; });
        connect(c.get(), &DaemonClient::statusRefreshed, this,
                [&](bool ok) { order << (ok ? "refreshed" : "failed"); });
        QCoro::waitFor(c->fetchStatus());
        QCOMPARE(order, (QStringList{"services", "isConnected", "connectionError", "refreshed"}));
        QCOMPARE(c->services().size(), 7);
        QCOMPARE(c->services().at(2).name, QStringLiteral("mariadb"));
        QVERIFY(c->isConnected());
        // An identical reply notifies again: observers count notifications, not changes.
        QSignalSpy spy(c.get(), &DaemonClient::servicesChanged);
        QCoro::waitFor(c->fetchStatus());
        QCOMPARE(spy.count(), 1);
    }

    void failuresKeepTheLastFigures() {
        auto c = client();
        QCoro::waitFor(c->fetchStatus());
        QCoro::waitFor(c->fetchSystemInfo());
        QVERIFY(c->systemInfo());
        f->daemon.setReply("GET", "/api/status",
                           {200, "{\"success\":true,\"data\":{\"services\":[{\"name\":\"x\"}]}}"});
        f->daemon.setReply("GET", "/api/system/info", {500, {}});
        QSignalSpy refreshed(c.get(), &DaemonClient::statusRefreshed);
        QCoro::waitFor(c->fetchStatus());
        QCoro::waitFor(c->fetchSystemInfo());
        QCOMPARE(refreshed.count(), 1);
        QCOMPARE(refreshed.first().first().toBool(), false);
        QVERIFY(!c->isConnected());
        QCOMPARE(c->connectionError(), std::optional<QString>(QStringLiteral("Cannot connect to daemon")));
        QCOMPARE(c->services().size(), 7);
        QCOMPARE(c->systemInfo()->cpu.cores, 8);
    }

    void emptyServiceListStillCountsAsConnected() {
        f->daemon.setData("GET", "/api/status", "{\"services\":[]}");
        auto c = client();
        QCoro::waitFor(c->fetchStatus());
        QVERIFY(c->isConnected());
        QVERIFY(c->services().isEmpty());
    }

    void pollingWaitsOneIntervalThenAlternates() {
        auto c = client();
        c->startPolling();
        QTest::qWait(60);
        QCOMPARE(f->daemon.requests().size(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(f->daemon.count("GET", "/api/system/info") >= 3, 3000);
        c->stopPolling();
        const auto& reqs = f->daemon.requests();
        // Each tick asks for the status and, after its reply, for the host figures.
        for (qsizetype i = 0; i + 1 < reqs.size(); i += 2) {
            QCOMPARE(reqs[i].path(), QByteArray("/api/status"));
            QCOMPARE(reqs[i + 1].path(), QByteArray("/api/system/info"));
        }
        const auto statuses = f->daemon.requestsTo("/api/status");
        const qint64 gap = statuses[2].atMs - statuses[1].atMs;
        QVERIFY2(gap >= 60 && gap <= 300, qPrintable(QString::number(gap)));
    }

    void realIntervalIsHalfASecond() {
        ConnectionSettings s;
        s.baseURL = f->daemon.baseURL();
        s.configPath = f->config.path();
        QCOMPARE(s.pollInterval, 500ms);
        DaemonClient c(s, nullptr);
        const qint64 started = f->daemon.elapsedMs();
        c.startPolling();
        QTRY_VERIFY_WITH_TIMEOUT(f->daemon.count("GET", "/api/status") == 2, 3000);
        c.stopPolling();
        const auto statuses = f->daemon.requestsTo("/api/status");
        QVERIFY2(statuses[0].atMs - started >= 450, qPrintable(QString::number(statuses[0].atMs - started)));
        const qint64 gap = statuses[1].atMs - statuses[0].atMs;
        QVERIFY2(gap >= 400 && gap <= 700, qPrintable(QString::number(gap)));
    }

    void aSlowDaemonDoesNotHoldBackTicks() {
        f->daemon.setReply("GET", "/api/status", {200, FakeDaemon::envelope(sevenServicesJson()), 450ms});
        auto c = client();
        c->startPolling();
        QTest::qWait(480);
        c->stopPolling();
        // Four ticks in 480 ms at 100 ms, each its own request, none answered yet.
        QVERIFY2(f->daemon.count("GET", "/api/status") >= 3,
                 qPrintable(QString::number(f->daemon.count("GET", "/api/status"))));
        QCOMPARE(f->daemon.count("GET", "/api/system/info"), 0);
    }

    void userActionsGoOutAtOnceWhilePollsPileUp() {
        f->daemon.setReply("GET", "/api/status", {200, FakeDaemon::envelope(sevenServicesJson()), 4000ms});
        f->daemon.setData("POST", "/api/services/start-all", sevenServicesJson());
        f->daemon.setData("GET", "/api/services/nginx/logs",
                          "{\"service\":\"nginx\",\"logPath\":\"/l\",\"content\":\"up\"}");
        auto c = client();
        c->startPolling();
        QTRY_VERIFY(f->daemon.count("GET", "/api/status") >= 8); // more than one pool of connections
        const qint64 clickedAt = f->daemon.elapsedMs();
        auto startAll = c->startAll();
        QTRY_COMPARE(f->daemon.count("POST", "/api/services/start-all"), 1);
        const qint64 reachedAfter = f->daemon.requestsTo("/api/services/start-all").first().atMs - clickedAt;
        QVERIFY2(reachedAfter < 300, qPrintable(QString::number(reachedAfter)));
        QElapsedTimer logs;
        logs.start();
        QCOMPARE(QCoro::waitFor(c->fetchLogs(QStringLiteral("nginx"), 200)), QStringLiteral("up"));
        QVERIFY2(logs.elapsed() < 1000, qPrintable(QString::number(logs.elapsed())));
        c->stopPolling();
        // The action's own refresh follows it, answered as slowly as the polls.
        QCoro::waitFor(std::move(startAll));
        QVERIFY(c->isConnected());
    }

    void startTwiceKeepsOneTimerStopTwiceIsHarmless() {
        auto c = client();
        c->startPolling();
        c->startPolling();
        QCOMPARE(c->findChildren<QTimer*>().size(), 1);
        QTest::qWait(550);
        c->stopPolling();
        c->stopPolling();
        QVERIFY(!c->isPolling());
        const int n = f->daemon.count("GET", "/api/status");
        QVERIFY2(n >= 3 && n <= 6, qPrintable(QString::number(n)));
        QTest::qWait(250);
        QCOMPARE(f->daemon.count("GET", "/api/status"), n);
    }

    void daemonStoppingIsNoticedEveryTick() {
        auto c = client();
        c->startPolling();
        QTRY_VERIFY(c->isConnected() && c->systemInfo()); // the first tick has ended, host figures too
        f->daemon.stop();
        QSignalSpy spy(c.get(), &DaemonClient::isConnectedChanged);
        QTRY_VERIFY(!c->isConnected());
        QTRY_VERIFY(spy.count() >= 3); // set false again on every tick
        QCOMPARE(c->connectionError(), std::optional<QString>(QStringLiteral("Cannot connect to daemon")));
        QCOMPARE(c->services().size(), 7);
        QVERIFY(c->systemInfo());
    }

    void pausedPollingSendsNothingAndRefreshesOnResume() {
        auto settings = f->settings();
        settings.pollInterval = 1000ms; // long, so that a refresh within it can only be the resume's own
        DaemonClient c(settings, nullptr);
        c.startPolling();
        c.setPollingPaused(true);
        QVERIFY(c.isPollingPaused());
        QTest::qWait(1200);
        QCOMPARE(f->daemon.requests().size(), 0);
        const qint64 resumedAt = f->daemon.elapsedMs();
        c.setPollingPaused(false);
        QTRY_VERIFY_WITH_TIMEOUT(f->daemon.count("GET", "/api/system/info") == 1, 900);
        QVERIFY(f->daemon.requestsTo("/api/status").first().atMs - resumedAt < 900);
        c.stopPolling();
        QTest::qWait(100); // let the last tick's requests land
        // Pausing and resuming while not polling starts nothing.
        f->daemon.clearRequests();
        c.setPollingPaused(true);
        c.setPollingPaused(false);
        QTest::qWait(150);
        QCOMPARE(f->daemon.requests().size(), 0);
    }

    void timerDiesWithTheClient() {
        auto c = client();
        c->startPolling();
        c.reset();
        QTest::qWait(250);
        QCOMPARE(f->daemon.requests().size(), 0);
    }
};

QTEST_GUILESS_MAIN(PollingTest)
#include "PollingTest.moc"
