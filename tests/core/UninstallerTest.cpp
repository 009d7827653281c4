// The uninstall procedure against two fixture daemons (the old stop address and the daemon) and a
// recording desktop: every step in order with its arguments on both profiles, the pauses, the
// success test, the messages and the quit.

#include "Uninstaller.h"
#include "FakeDaemon.h"
#include "RecordingDesktop.h"
#include "TestSupport.h"

#include <QCoroTask>
#include <QTest>

using namespace brevant;
using namespace brevant::test;
using namespace std::chrono_literals;

namespace {

const QString kSuccess = QStringLiteral(u"\u2705 Kelvask Brevant has been completely uninstalled.");
const QString kFailure =
    QStringLiteral(u"\u26A0\uFE0F Some files could not be removed. Try manually: sudo rm -rf /opt/brevant");
const QString kInstallDir = QStringLiteral("/nonexistent/brevant-install");

} // namespace

Q_DECLARE_METATYPE(brevant::PlatformProfile)

class UninstallerTest : public QObject {
    Q_OBJECT
    FakeDaemon* legacy = nullptr;
    FakeDaemon* daemon = nullptr;
    TempConfig* config = nullptr;
    std::shared_ptr<RecordingDesktop> desktop;

    UninstallSettings fast() const {
        UninstallSettings s;
        s.legacyStopAllURL = legacy->baseURL() + QStringLiteral("/api/v1/services/stop-all");
        s.daemonURL = daemon->baseURL();
        s.configPath = config->path();
        s.installDir = kInstallDir;
        s.requestTimeout = 2s;
        s.pause = 1ms;
        s.quitDelay = 20ms;
        return s;
    }
    UninstallOutcome run(UninstallSettings s,
                         PlatformProfile profile = linuxProfile(QStringLiteral("/usr/local"))) {
        return QCoro::waitFor(uninstallEverything(desktop, std::move(profile), std::move(s)));
    }
    QStringList step(int i) const { return desktop->steps.value(i); }
    qint64 gap(int from, int to) const { return desktop->stepTimes[to] - desktop->stepTimes[from]; }

private slots:
    void init() {
        legacy = new FakeDaemon;
        daemon = new FakeDaemon;
        QVERIFY(legacy->start() && daemon->start());
        config = new TempConfig("secret-token");
        desktop = std::make_shared<RecordingDesktop>();
        // The requests join the desktop's steps, so one list shows the whole order.
        for (FakeDaemon* d : {legacy, daemon})
            connect(d, &FakeDaemon::requestReceived, this, [this, d] {
                desktop->note({QString::fromLatin1(d->requests().last().method),
                               QString::fromLatin1(d->requests().last().path())});
            });
    }
    void cleanup() {
        delete legacy;
        delete daemon;
        delete config;
        desktop.reset();
    }

    void everyStepInOrder_data() {
        QTest::addColumn<PlatformProfile>("profile");
        QTest::addColumn<QList<QStringList>>("commands");
        QTest::newRow("Linux")
            << linuxProfile(QStringLiteral("/usr/local"))
            << QList<QStringList>{
                   {"run quietly", "systemctl", "--user", "disable", "--now", "dev.kelvask.brevant.service"},
                   {"remove", "/home/tester/.config/systemd/user/dev.kelvask.brevant.service"},
                   {"run quietly", "pkexec", "/bin/sh", "-c",
                    "systemctl disable --now dev.kelvask.brevant.service; "
                    "rm -rf '/opt/brevant'; rm -f '/usr/local/bin/brevant'; "
                    "xargs -r -d '\\n' rm -f -- < '/usr/local/share/kelvask-brevant/installed-files'; "
                    "rm -rf '/usr/local/share/kelvask-brevant'; "
                    "dpkg -s kelvask-brevant >/dev/null 2>&1 && dpkg --purge kelvask-brevant"}};
        QTest::newRow("macOS")
            << macProfile()
            << QList<QStringList>{{"run quietly", "/bin/launchctl", "unload",
                                   "/home/tester/Library/LaunchAgents/dev.kelvask.brevant.plist"},
                                  {"remove", "/home/tester/Library/LaunchAgents/dev.kelvask.brevant.plist"},
                                  {"run quietly", "/usr/bin/osascript", "-e",
                                   "do shell script \"/bin/launchctl unload "
                                   "'/Library/LaunchDaemons/dev.kelvask.brevant.plist'; "
                                   "/bin/rm -rf /opt/brevant; /bin/rm -f /usr/local/bin/brevant; "
                                   "/bin/rm -rf '/Applications/Kelvask Brevant.app'; "
                                   "/usr/sbin/pkgutil --forget dev.kelvask.brevant 2>/dev/null\" with "
                                   "administrator privileges"}};
    }
    void everyStepInOrder() {
        QFETCH(PlatformProfile, profile);
        QFETCH(QList<QStringList>, commands);
        const UninstallOutcome outcome = run(fast(), profile);
        QVERIFY(outcome.succeeded);
        QCOMPARE(outcome.message, kSuccess);
        QTRY_COMPARE(desktop->count(QStringLiteral("quit")), 1);

        QList<QStringList> expected = {{"POST", "/api/v1/services/stop-all"},
                                       {"POST", "/api/services/stop-all"}};
        expected += commands;
        expected += QList<QStringList>{{"exists", kInstallDir}, {"quit"}};
        QCOMPARE(desktop->steps, expected);

        // The old request goes bare; the daemon's carries its token.
        const FakeDaemon::Request bare = legacy->requests().first();
        QVERIFY(!bare.headers.contains("authorization"));
        QVERIFY(bare.body.isEmpty());
        QCOMPARE(daemon->requests().first().headers.value("authorization"),
                 QByteArray("Bearer secret-token"));
    }

    void pausesAndWaitsSeparateTheSteps() {
        UninstallSettings s = fast();
        s.pause = 150ms;
        s.quitDelay = 100ms;
        desktop->runDuration = 80ms;
        const qint64 ended = [&] {
            run(s);
            return desktop->now();
        }();
        QCOMPARE(step(2).first(), QStringLiteral("run quietly"));
        QVERIFY2(gap(1, 2) >= 150, "a pause after the stop requests");
        QVERIFY2(gap(2, 3) >= 80 + 150, "the agent's stop is waited for, then a pause");
        QVERIFY2(gap(4, 5) >= 80, "the success test waits for the administrator script");
        QTRY_COMPARE(desktop->count(QStringLiteral("quit")), 1);
        QVERIFY(desktop->stepTimes.last() - ended >= 100);
    }

    // Only the installation folder decides, and a failure schedules no quit: after a failed run
    // the next run repeats every step, and the one quit comes from it, after its own delay.
    void failureThenSecondRun() {
        desktop->existing = {kInstallDir};
        UninstallSettings s = fast();
        s.quitDelay = 50ms;
        const UninstallOutcome failed = run(s);
        QVERIFY(!failed.succeeded);
        QCOMPARE(failed.message, kFailure);
        const QList<QStringList> firstRun = desktop->steps;
        QCOMPARE(firstRun.size(), 6);

        desktop->existing = {linuxProfile().userAgentPath(desktop->homeDirectory())};
        s.quitDelay = 300ms;
        const UninstallOutcome succeeded = run(s);
        QVERIFY(succeeded.succeeded);
        QCOMPARE(succeeded.message, kSuccess);
        QTRY_COMPARE(desktop->count(QStringLiteral("quit")), 1);
        QCOMPARE(desktop->steps.mid(6, 6), firstRun);
        QCOMPARE(desktop->steps.size(), 13);
        QVERIFY(gap(11, 12) >= 300);
    }

    // The window that started the procedure may close while it runs; the quit still comes.
    void quitsAfterTheWindowIsGone() {
        auto* window = new QObject;
        bool applied = false;
        QCoro::connect(uninstallEverything(desktop, linuxProfile(), fast()), window,
                       [&](const UninstallOutcome&) { applied = true; });
        delete window;
        QTRY_COMPARE(desktop->count(QStringLiteral("quit")), 1);
        QVERIFY(!applied);
    }

    void silentOrAbsentDaemonsDoNotStopIt() {
        legacy->stop();
        daemon->setReply("POST", "/api/services/stop-all", {200, "{}", 10s});
        UninstallSettings s = fast();
        s.requestTimeout = 300ms;
        s.configPath = QStringLiteral("/nonexistent/brevant.config.json");
        QElapsedTimer t;
        t.start();
        QVERIFY(run(s).succeeded);
        QVERIFY(t.elapsed() < 5000);
        QVERIFY(t.elapsed() >= 250); // the silent daemon was waited for, up to its (coarse) timeout
        QCOMPARE(daemon->count("POST", "/api/services/stop-all"), 1);
        QVERIFY(!daemon->requests().first().headers.contains("authorization"));
        QCOMPARE(desktop->count(QStringLiteral("run quietly")), 2);
    }

    void realTimings() {
        const UninstallSettings fixed;
        QCOMPARE(fixed.legacyStopAllURL, QStringLiteral("http://127.0.0.1:52425/api/v1/services/stop-all"));
        QCOMPARE(fixed.daemonURL, QStringLiteral("http://127.0.0.1:19400"));
        QCOMPARE(fixed.configPath, QStringLiteral("/opt/brevant/brevant.config.json"));
        QCOMPARE(fixed.installDir, QStringLiteral("/opt/brevant"));
        QCOMPARE(fixed.requestTimeout, 60s);

        UninstallSettings s = fast();
        s.pause = fixed.pause;
        s.quitDelay = fixed.quitDelay;
        run(s);
        QTRY_COMPARE_WITH_TIMEOUT(desktop->count(QStringLiteral("quit")), 1, 5000);
        QVERIFY2(gap(1, 2) >= 1000 && gap(1, 2) < 1500, qPrintable(QString::number(gap(1, 2))));
        QVERIFY2(gap(2, 3) >= 1000 && gap(2, 3) < 1500, qPrintable(QString::number(gap(2, 3))));
        QVERIFY2(gap(5, 6) >= 2000 && gap(5, 6) < 2600, qPrintable(QString::number(gap(5, 6))));
    }
};

QTEST_GUILESS_MAIN(UninstallerTest)
#include "UninstallerTest.moc"
