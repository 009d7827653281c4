// The launcher: no process while the daemon answers; one process, then the checks, otherwise.

#include "DaemonClient.h"
#include "Fixture.h"
#include "QtProcessRunner.h"

#include "Awaitables.h"
#include <QCoroTask>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>

using namespace brevant;
using namespace brevant::test;
using namespace std::chrono_literals;

class LauncherTest : public QObject {
    Q_OBJECT
    std::unique_ptr<Fixture> f;
    std::shared_ptr<RecordingRunner> runner;

    std::unique_ptr<DaemonClient> client() { return f->makeClient(); }

private slots:
    void init() {
        f = std::make_unique<Fixture>();
        runner = f->runner;
    }
    void cleanup() { f.reset(); }

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
        f->daemon.setData("GET", "/api/status", "{\"services\":[]}");
        auto c = client();
        QVERIFY(QCoro::waitFor(c->ensureDaemonRunning()));
        QCOMPARE(runner->runs.size(), 0);
        QCOMPARE(f->daemon.requests().size(), 1);
    }

    void slowButAnsweringDaemonStartsNothing() {
        f->daemon.setReply("GET", "/api/status", {200, FakeDaemon::envelope("{\"services\":[]}"), 300ms});
        auto c = client();
        QVERIFY(QCoro::waitFor(c->ensureDaemonRunning()));
        QCOMPARE(runner->runs.size(), 0);
    }

    void downDaemonGetsOneLaunchThenTwentyChecks() {
        f->daemon.stop();
        auto c = client();
        QVERIFY(!QCoro::waitFor(c->ensureDaemonRunning()));
        QCOMPARE(runner->runs.size(), 1);
        QCOMPARE(runner->runs.first(), linuxProfile().loadDaemon);
        QVERIFY(!c->isConnected());
        QCOMPARE(c->connectionError(), std::optional<QString>(QStringLiteral("Cannot connect to daemon")));
    }

    void checksBeginOnlyAfterTheLaunchHasEnded() {
        f->daemon.setReply("GET", "/api/status", {503, {}});
        runner->duration = 200ms;
        runner->onRun = [this] { f->daemon.clearRequests(); };
        auto c = client();
        const qint64 before = f->daemon.elapsedMs();
        QVERIFY(!QCoro::waitFor(c->ensureDaemonRunning()));
        QCOMPARE(f->daemon.count("GET", "/api/status"), 20);
        QVERIFY(f->daemon.requests().first().atMs - before >= 200);
    }

    void successOnTheThirdCheck() {
        f->daemon.setReply("GET", "/api/status", {503, {}});
        auto c = client();
        int statusRequests = 0;
        connect(&f->daemon, &FakeDaemon::requestReceived, this, [&] {
            // request one is the probe; the daemon is up in time for the third check
            if (++statusRequests == 4)
                f->daemon.setData("GET", "/api/status", "{\"services\":[]}");
        });
        QVERIFY(QCoro::waitFor(c->ensureDaemonRunning()));
        QCOMPARE(f->daemon.count("GET", "/api/status"), 4);
        QVERIFY(c->isConnected());
    }

    // On a fresh machine the daemon writes its token when it first starts: after the client was
    // made. The launch's checks read it then, and the daemon is reached with it.
    void tokenWrittenByTheLaunchedDaemonIsUsed() {
        f->daemon.stop();
        QVERIFY(QFile::remove(f->config.path()));
        auto c = client();
        QVERIFY(!c->configurationReadable());
        runner->onRun = [this] {
            f->config.write(R"({"authToken":"fresh-token","port":19400})");
            f->daemon.setData("GET", "/api/status", "{\"services\":[]}");
            f->daemon.start();
        };
        QVERIFY(QCoro::waitFor(c->ensureDaemonRunning()));
        QVERIFY(c->configurationReadable());
        QCOMPARE(f->daemon.requests().last().headers.value("authorization"), QByteArray("Bearer fresh-token"));
    }

    void checksKeepTheRealHalfSecond() {
        f->daemon.setReply("GET", "/api/status", {503, {}});
        auto s = f->settings();
        s.launcherInterval = ConnectionSettings{}.launcherInterval;
        s.launcherChecks = 2;
        QCOMPARE(s.launcherInterval, 500ms);
        QCOMPARE(ConnectionSettings{}.launcherChecks, 20);
        DaemonClient c(s, runner, linuxProfile());
        QCoro::waitFor(c.ensureDaemonRunning());
        const auto r = f->daemon.requestsTo("/api/status");
        QCOMPARE(r.size(), 3);
        const qint64 gap = r[2].atMs - r[1].atMs;
        QVERIFY2(gap >= 450 && gap <= 800, qPrintable(QString::number(gap)));
    }

    void missingLaunchToolIsSilent() {
        f->daemon.stop();
        PlatformProfile p = linuxProfile();
        p.loadDaemon = {QStringLiteral("/nonexistent/launch-tool"), {QStringLiteral("load")}};
        DaemonClient c(f->settings(), defaultProcessRunner(), p);
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
