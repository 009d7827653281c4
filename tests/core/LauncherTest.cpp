// The launcher: no process while the daemon answers; one process, then the checks, otherwise.

#include "DaemonClient.h"
#include "FakeDaemon.h"
#include "QtProcessRunner.h"
#include "TestSupport.h"

#include "Awaitables.h"
#include <QCoroTask>
#include <QElapsedTimer>
#include <QTest>

using namespace brevant;
using namespace brevant::test;
using namespace std::chrono_literals;

namespace {

// Records every run; the run itself takes `duration`, during which `onRun` may act.
class RecordingRunner : public ProcessRunner {
public:
    QList<Command> runs;
    std::chrono::milliseconds duration{0};
    std::function<void()> onRun;
    QCoro::Task<void> runAndWait(QString program, QStringList arguments) override {
        runs.push_back({program, arguments});
        if (onRun)
            onRun();
        if (duration.count() > 0)
            co_await delay(duration);
    }
};

} // namespace

class LauncherTest : public QObject {
    Q_OBJECT
    FakeDaemon* daemon = nullptr;
    TempConfig* config = nullptr;
    std::shared_ptr<RecordingRunner> runner;

    std::unique_ptr<DaemonClient> client() {
        return std::make_unique<DaemonClient>(fastSettings(daemon->baseURL(), config->path()), runner,
                                              linuxProfile());
    }

private slots:
    void init() {
        daemon = new FakeDaemon;
        QVERIFY(daemon->start());
        config = new TempConfig;
        runner = std::make_shared<RecordingRunner>();
    }
    void cleanup() {
        delete daemon;
        delete config;
    }

    void profilesAreData() {
        QCOMPARE(macProfile().loadDaemon,
                 (Command{"/bin/launchctl", {"load", "/Library/LaunchDaemons/dev.kelvask.brevant.plist"}}));
        QCOMPARE(linuxProfile().loadDaemon, (Command{"systemctl", {"start", "dev.kelvask.brevant.service"}}));
#ifdef Q_OS_LINUX
        QCOMPARE(currentProfile().name, QStringLiteral("Linux"));
#endif
        const auto terminals = linuxProfile().terminalCommandsFor(QStringLiteral("/tmp/x.sh"));
        QCOMPARE(terminals.first(), (Command{"x-terminal-emulator", {"-e", "/tmp/x.sh"}}));
        QCOMPARE(macProfile().terminalCommandsFor("/tmp/x.sh").first().arguments.last(),
                 QStringLiteral("/tmp/x.sh"));
    }

    void answeringDaemonStartsNothing() {
        daemon->setData("GET", "/api/status", "{\"services\":[]}");
        auto c = client();
        QVERIFY(QCoro::waitFor(c->ensureDaemonRunning()));
        QCOMPARE(runner->runs.size(), 0);
        QCOMPARE(daemon->requests().size(), 1);
    }

    void slowButAnsweringDaemonStartsNothing() {
        daemon->setReply("GET", "/api/status", {200, FakeDaemon::envelope("{\"services\":[]}"), 300ms});
        auto c = client();
        QVERIFY(QCoro::waitFor(c->ensureDaemonRunning()));
        QCOMPARE(runner->runs.size(), 0);
    }

    void downDaemonGetsOneLaunchThenTwentyChecks() {
        daemon->stop();
        auto c = client();
        QVERIFY(!QCoro::waitFor(c->ensureDaemonRunning()));
        QCOMPARE(runner->runs.size(), 1);
        QCOMPARE(runner->runs.first(), linuxProfile().loadDaemon);
        QVERIFY(!c->isConnected());
        QCOMPARE(c->connectionError(), std::optional<QString>(QStringLiteral("Cannot connect to daemon")));
    }

    void checksBeginOnlyAfterTheLaunchHasEnded() {
        daemon->setReply("GET", "/api/status", {503, {}});
        runner->duration = 200ms;
        runner->onRun = [this] { daemon->clearRequests(); };
        auto c = client();
        const qint64 before = daemon->elapsedMs();
        QVERIFY(!QCoro::waitFor(c->ensureDaemonRunning()));
        QCOMPARE(daemon->count("GET", "/api/status"), 20);
        QVERIFY(daemon->requests().first().atMs - before >= 200);
    }

    void successOnTheThirdCheck() {
        daemon->setReply("GET", "/api/status", {503, {}});
        auto c = client();
        int statusRequests = 0;
        connect(daemon, &FakeDaemon::requestReceived, this, [&] {
            // request one is the probe; the daemon is up in time for the third check
            if (++statusRequests == 4)
                daemon->setData("GET", "/api/status", "{\"services\":[]}");
        });
        QVERIFY(QCoro::waitFor(c->ensureDaemonRunning()));
        QCOMPARE(daemon->count("GET", "/api/status"), 4);
        QVERIFY(c->isConnected());
    }

    void checksKeepTheRealHalfSecond() {
        daemon->setReply("GET", "/api/status", {503, {}});
        auto s = fastSettings(daemon->baseURL(), config->path());
        s.launcherInterval = ConnectionSettings{}.launcherInterval;
        s.launcherChecks = 2;
        QCOMPARE(s.launcherInterval, 500ms);
        QCOMPARE(ConnectionSettings{}.launcherChecks, 20);
        DaemonClient c(s, runner, linuxProfile());
        QCoro::waitFor(c.ensureDaemonRunning());
        const auto r = daemon->requestsTo("/api/status");
        QCOMPARE(r.size(), 3);
        const qint64 gap = r[2].atMs - r[1].atMs;
        QVERIFY2(gap >= 450 && gap <= 800, qPrintable(QString::number(gap)));
    }

    void missingLaunchToolIsSilent() {
        daemon->stop();
        PlatformProfile p = linuxProfile();
        p.loadDaemon = {QStringLiteral("/nonexistent/launch-tool"), {QStringLiteral("load")}};
        DaemonClient c(fastSettings(daemon->baseURL(), config->path()), defaultProcessRunner(), p);
        QElapsedTimer t;
        t.start();
        QVERIFY(!QCoro::waitFor(c.ensureDaemonRunning()));
        QVERIFY(t.elapsed() < 5000); // no start timeout waited out
    }

    void realRunnerWaitsForTheProgramWithoutBlocking() {
        QtProcessRunner r;
        QElapsedTimer t;
        t.start();
        int ticks = 0;
        QTimer timer;
        connect(&timer, &QTimer::timeout, this, [&] { ++ticks; });
        timer.start(20);
        QCoro::waitFor(r.runAndWait(QStringLiteral("sleep"), {QStringLiteral("0.3")}));
        QVERIFY(t.elapsed() >= 280);
        QVERIFY2(ticks >= 5, "the event loop kept running while the program ran");
        t.restart();
        QCoro::waitFor(r.runAndWait(QStringLiteral("no-such-program-anywhere"), {}));
        QVERIFY(t.elapsed() < 1000);
    }
};

QTEST_GUILESS_MAIN(LauncherTest)
#include "LauncherTest.moc"
