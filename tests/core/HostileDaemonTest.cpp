// A hostile or broken daemon: replies that never end or come one byte at a time, a chunked reply
// of 500 MiB, a channel message without end and a flood of messages. Memory stays bounded, each
// request fails with a clear description, and polling recovers once the daemon behaves again.

#include "DaemonClient.h"
#include "FakeDaemon.h"
#include "TestSupport.h"

#include <QCoroTask>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <functional>

using namespace brevant;
using namespace brevant::test;
using namespace std::chrono_literals;

namespace {
constexpr double kPeakBudgetMiB = 250;
// Far past the budget: the fixture stops feeding, so that a regression fails instead of taking
// the machine's memory.
constexpr double kRunawayMiB = 1500;

double residentMiB() {
    QFile status(QStringLiteral("/proc/self/statm"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    return status.readAll().split(' ').value(1).toDouble() * 4096 / (1024 * 1024);
}
} // namespace

class HostileDaemonTest : public QObject {
    Q_OBJECT
    FakeDaemon* daemon = nullptr;
    TempConfig* config = nullptr;
    QTimer* watchdog = nullptr;
    bool ranAway = false;
    // Where the fixture runs when it must send as fast as the network carries: on the test's own
    // thread it could only send while the client is idle, and a fast peer would go unnoticed.
    QThread* sender = nullptr;

    // Runs `work` on the fixture's thread, waiting for it.
    void onDaemon(const std::function<void()>& work) {
        if (daemon->thread() == QThread::currentThread())
            work();
        else
            QMetaObject::invokeMethod(daemon, work, Qt::BlockingQueuedConnection);
    }
    void sendFromOwnThread() {
        sender = new QThread;
        daemon->moveToThread(sender);
        sender->start();
    }

    // The real deadline and, unless told otherwise, the real pace: overlap as a window sees it.
    std::unique_ptr<DaemonClient> client(std::chrono::milliseconds pollInterval = 500ms) {
        auto s = fastSettings(daemon->baseURL(), config->path());
        s.requestTimeout = ConnectionSettings{}.requestTimeout;
        s.pollInterval = pollInterval;
        return std::make_unique<DaemonClient>(s, nullptr);
    }
    void behave() {
        onDaemon([this] {
            daemon->setData("GET", "/api/status", sevenServicesJson());
            daemon->setData("GET", "/api/system/info", "{}"); // undecodable, which polling ignores
            daemon->setEndlessChannel(FakeDaemon::EndlessChannel::Off);
        });
    }
    // How long a polling client takes to read the daemon as connected once it behaves.
    qint64 recoveryMs(DaemonClient& c) {
        behave();
        QElapsedTimer t;
        t.start();
        if (!QTest::qWaitFor([&] { return c.isConnected(); }, 10'000))
            return -1;
        return t.elapsed();
    }
    void checkPeak(const char* what, double peak) {
        qInfo("%s: peak resident %.0f MiB", what, peak);
        QVERIFY2(!ranAway, "memory ran away; the fixture was stopped");
        QVERIFY2(peak <= kPeakBudgetMiB || !kMemoryBudgetsApply, qPrintable(QString::number(peak)));
    }

private slots:
    void init() {
        daemon = new FakeDaemon;
        QVERIFY(daemon->start());
        config = new TempConfig;
        behave();
        ranAway = false;
        watchdog = new QTimer;
        connect(watchdog, &QTimer::timeout, this, [this] {
            if (residentMiB() > kRunawayMiB && !ranAway) {
                ranAway = true;
                QMetaObject::invokeMethod(daemon, &FakeDaemon::stop);
            }
        });
        watchdog->start(20);
        resetPeakResident();
    }
    void cleanup() {
        delete watchdog;
        if (sender) {
            onDaemon([this] { daemon->moveToThread(QCoreApplication::instance()->thread()); });
            sender->quit();
            sender->wait();
            delete sender;
            sender = nullptr;
        }
        delete daemon;
        delete config;
    }

    void fastRepliesAreCutAt32MiB_data() {
        QTest::addColumn<qint64>("bytes");
        QTest::newRow("endless, fast") << FakeDaemon::kEndless;
        QTest::newRow("chunked 500 MiB") << qint64(500) * 1024 * 1024;
    }
    void fastRepliesAreCutAt32MiB() {
        QFETCH(qint64, bytes);
        FakeDaemon::Reply hostile;
        hostile.streamBytes = bytes;
        daemon->setReply("GET", "/api/status", hostile);
        daemon->setReply("GET", "/api/services/nginx/logs", hostile);
        sendFromOwnThread();
        auto c = client();
        const QString logs = QCoro::waitFor(c->fetchLogs(QStringLiteral("nginx"), 200));
        QCOMPARE(logs,
                 QStringLiteral("Failed to load logs: The reply is larger than 32 MiB; it was not read."));

        c->startPolling();
        QSignalSpy polls(c.get(), &DaemonClient::isConnectedChanged);
        QTRY_VERIFY_WITH_TIMEOUT(polls.count() >= 4 || ranAway, 20'000);
        QVERIFY(!c->isConnected());
        checkPeak(QTest::currentDataTag(), peakResidentMiB());
        const qint64 recovered = recoveryMs(*c);
        qInfo("recovered in %lld ms", recovered);
        QVERIFY2(recovered >= 0 && recovered <= 5000, qPrintable(QString::number(recovered)));
    }

    void largeRepliesAreNotHeldAfterUse() {
        // 20,000 services, about 1.2 MB a reply: nothing of one may outlive its request (its
        // deadline timer once held the body for the whole 60 s).
        daemon->setData("GET", "/api/status", manyServicesJson(20'000));
        auto c = client();
        for (int i = 0; i < 5; ++i)
            QCoro::waitFor(c->fetchStatus());
        QCOMPARE(c->services().size(), 20'000);
        const double settled = residentMiB();
        for (int i = 0; i < 40; ++i)
            QCoro::waitFor(c->fetchStatus());
        const double grown = residentMiB() - settled;
        QVERIFY2(grown < 20 || !kMemoryBudgetsApply, qPrintable(QString::number(grown)));
    }

    void tricklingDaemonHoldsNothingForGood() {
        // One byte every quarter second: the head alone takes half a minute.
        FakeDaemon::Reply trickle{200, FakeDaemon::envelope(sevenServicesJson())};
        trickle.tricklePause = 250ms;
        daemon->setReply("GET", "/api/status", trickle);
        auto c = client(100ms); // recovery must not wait for the 60 s deadline
        c->startPolling();
        QTest::qWait(2000); // twenty ticks pile up behind the trickles
        const int sent = daemon->count("GET", "/api/status");
        const qint64 recovered = recoveryMs(*c);
        qInfo("trickle: %d of about 20 polls sent, recovered in %lld ms", sent, recovered);
        QVERIFY2(sent >= 10, qPrintable(QString::number(sent)));
        QVERIFY2(recovered >= 0 && recovered <= 5000, qPrintable(QString::number(recovered)));
        // A user action is not held up either.
        c->stopAll();
        QTRY_COMPARE_WITH_TIMEOUT(daemon->count("POST", "/api/services/stop-all"), 1, 1000);
    }

    void channelAbuse_data() {
        QTest::addColumn<int>("mode");
        QTest::newRow("message without end") << int(FakeDaemon::EndlessChannel::Fragments);
        QTest::newRow("frame without end") << int(FakeDaemon::EndlessChannel::OneFrame);
        QTest::newRow("10,000 messages a second") << int(FakeDaemon::EndlessChannel::Off);
    }
    void channelAbuse() {
        QFETCH(int, mode);
        daemon->setEndlessChannel(FakeDaemon::EndlessChannel(mode));
        daemon->setReply("GET", "/api/status", {200, FakeDaemon::envelope(sevenServicesJson()), 20ms});
        auto c = client();
        QCoro::waitFor(c->fetchStatus());
        QVERIFY(c->isConnected());
        QTimer flood;
        if (FakeDaemon::EndlessChannel(mode) == FakeDaemon::EndlessChannel::Off) {
            connect(&flood, &QTimer::timeout, this, [this] {
                for (int i = 0; i < 100; ++i)
                    daemon->pushText(QStringLiteral("{\"event\":\"services\"}"));
            });
            flood.start(10);
        }
        c->connectWebSocket();
        QElapsedTimer t;
        t.start();
        if (flood.isActive()) {
            QTest::qWait(3000);
            flood.stop();
            // One refresh at a time: no more than the fixture's 20 ms answers allow, and they end.
            const int refreshes = daemon->count("GET", "/api/status");
            qInfo("flood: %d refreshes in 3 s, peak resident %.0f MiB", refreshes, peakResidentMiB());
            QVERIFY2(refreshes <= 3000 / 20 + 2, qPrintable(QString::number(refreshes)));
            QTest::qWait(200);
            const int settled = daemon->count("GET", "/api/status");
            QTest::qWait(200);
            QCOMPARE(daemon->count("GET", "/api/status"), settled);
        } else {
            // The channel is cut off, counts as lost, and comes back on its own.
            QTRY_VERIFY_WITH_TIMEOUT(!c->isConnected() || ranAway, 20'000);
            QTRY_VERIFY_WITH_TIMEOUT(daemon->webSocketHandshakes() >= 2 || ranAway, 20'000);
            qInfo("%s: cut off and reconnecting after %lld ms", QTest::currentDataTag(), t.elapsed());
        }
        checkPeak(QTest::currentDataTag(), peakResidentMiB());
    }
};

QTEST_GUILESS_MAIN(HostileDaemonTest)
#include "HostileDaemonTest.moc"
