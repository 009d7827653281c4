// The root view over the fixture: the start-up sequence and its order, the connection screen
// and its message, the layout switch, and the retry that carries on a failed start-up once.

#include "DaemonClient.h"
#include "UiTestSupport.h"
#include "shell/ConnectionErrorView.h"
#include "shell/DashboardView.h"
#include "shell/SidebarView.h"

#include <QAbstractButton>
#include <QTest>

using namespace brevant;
using namespace brevant::test;
using namespace std::chrono_literals;

class DashboardTest : public QObject {
    Q_OBJECT
    std::unique_ptr<Fixture> f;
    std::shared_ptr<RecordingDesktop> launcher;

    std::unique_ptr<DashboardView> dashboard() {
        auto view = std::make_unique<DashboardView>(f->makeClient(f->settings(), launcher));
        view->show();
        return view;
    }
    void daemonDown() { f->daemon.setReply("GET", "/api/status", {503, "{\"success\":false}"}); }
    void daemonUp() { f->daemon.setData("GET", "/api/status", statusJson({{"redis", "running", 6379}})); }
    QString message(DashboardView& v) { return v.findChild<ConnectionErrorView*>()->message(); }
    void clickRetry(DashboardView& v) {
        QTest::mouseClick(v.findChild<QAbstractButton*>("retryConnectionButton"), Qt::LeftButton);
    }

private slots:
    void initTestCase() { initUiTest(); }
    void init() {
        f = std::make_unique<Fixture>();
        launcher = std::make_shared<RecordingDesktop>();
        f->daemon.setData("GET", "/api/system/info",
                          systemInfoJson({8, {1.0}, 1LL << 34, 1LL << 33, 50, 1LL << 40, 1LL << 39, 50}));
        f->daemon.setData("GET", "/api/config", configJson({.daemonApi = 19400, .apacheHttp = 8080}));
        daemonUp();
    }
    void cleanup() { f.reset(); }

    void startUpInOrder() {
        f->daemon.setReply("GET", "/api/system/info",
                           {200,
                            FakeDaemon::envelope(systemInfoJson(
                                {8, {1.0}, 1LL << 34, 1LL << 33, 50, 1LL << 40, 1LL << 39, 50})),
                            80ms});
        auto view = dashboard();
        QVERIFY(view->showsStartingScreen());
        view->startUp();
        view->startUp(); // once per window
        QTRY_VERIFY(view->client()->isPolling());
        QVERIFY(!view->showsConnectionScreen());
        QTRY_COMPARE(f->daemon.webSocketHandshakes(), 1);
        QList<QByteArray> paths;
        for (const auto& r : f->daemon.requests())
            paths << r.path();
        QCOMPARE(paths.mid(0, 3), (QList<QByteArray>{"/api/status", "/api/system/info", "/api/config"}));
        // The configuration was asked for only after the host figures had arrived.
        const auto config = f->daemon.requestsTo("/api/config").first();
        QVERIFY(config.atMs >= f->daemon.requestsTo("/api/system/info").first().atMs + 75);
        QVERIFY(f->daemon.handshakes().first().atMs >= config.atMs);
        QVERIFY(launcher->runs.isEmpty());
        QTRY_VERIFY(f->daemon.count("GET", "/api/status") >= 3); // polling
    }

    void failedStartUpStaysIdle() {
        daemonDown();
        auto view = dashboard();
        view->startUp();
        QTRY_COMPARE(f->daemon.count("GET", "/api/status"), 21);
        QCOMPARE(launcher->runs.size(), 1);
        QTest::qWait(400);
        QCOMPARE(f->daemon.requests().size(), 21);
        QCOMPARE(f->daemon.webSocketHandshakes(), 0);
        QVERIFY(!view->client()->isPolling());
        QVERIFY(view->showsConnectionScreen());
        QCOMPARE(message(*view), QStringLiteral("Cannot connect to daemon"));
    }

    void connectionScreenMessage() {
        auto view = dashboard();
        QVERIFY(!view->findChild<ConnectionErrorView*>()); // built when first needed
        const ConnectionErrorView screen(view->client());
        QCOMPARE(screen.message(), QStringLiteral("The Brevant daemon is not running."));
        QVERIFY(screen.findChild<QWidget*>("connectionErrorHeading"));

        // An unreadable configuration shows the screen at once: no refresh can succeed.
        f->config.write("not json");
        auto unreadable = dashboard();
        QVERIFY(unreadable->showsConnectionScreen());
        QVERIFY(message(*unreadable).startsWith(QStringLiteral("Cannot read config: ")));
    }

    void noFalseAlarms() {
        // Until the first status reply: the starting screen, not "Cannot connect".
        f->daemon.setReply("GET", "/api/status",
                           {200, FakeDaemon::envelope(statusJson({{"redis", "running"}})), 300ms});
        auto view = dashboard();
        view->startUp();
        QTest::qWait(150);
        QVERIFY(view->showsStartingScreen());
        // The dashboard behind it is built once the first frame is up, while the reply is awaited.
        QVERIFY(view->findChild<SidebarView*>());
        QTRY_VERIFY(view->client()->isPolling());
        QVERIFY(!view->showsStartingScreen() && !view->showsConnectionScreen());

        // The live channel drops while the daemon still answers: the dashboard stays, the footer
        // says so.
        QTRY_COMPARE(f->daemon.openWebSockets(), 1);
        f->daemon.closeWebSockets();
        QTRY_VERIFY(!view->client()->isConnected());
        auto* footer = view->findChild<QWidget*>("sidebarFooter");
        QTRY_VERIFY(footer->accessibleName().startsWith(QStringLiteral("Disconnected")));
        QVERIFY(!view->showsConnectionScreen());

        // A status refresh that fails brings the screen; one that succeeds takes it away.
        daemonDown();
        QTRY_VERIFY(view->showsConnectionScreen());
        daemonUp();
        QTRY_VERIFY(!view->showsConnectionScreen());
    }

    void layoutFollowsConnectionAndKeepsViewState() {
        auto view = dashboard();
        view->client()->fetchStatus();
        QTRY_VERIFY(!view->showsConnectionScreen());
        view->selectTab(SidebarTab::settings);
        daemonDown();
        view->client()->fetchStatus();
        QTRY_VERIFY(view->showsConnectionScreen());
        daemonUp();
        view->client()->fetchStatus();
        QTRY_VERIFY(!view->showsConnectionScreen());
        QCOMPARE(view->selectedTab(), SidebarTab::settings);
    }

    void retryAfterFailedStartUpGoesLiveOnce() {
        daemonDown();
        auto view = dashboard();
        view->startUp();
        QTRY_COMPARE(f->daemon.count("GET", "/api/status"), 21);
        QTest::qWait(50);
        QVERIFY(!view->hasGoneLive());

        daemonUp();
        clickRetry(*view);
        QTRY_VERIFY(!view->showsConnectionScreen());
        QTRY_VERIFY(view->client()->isPolling());
        QTRY_COMPARE(f->daemon.webSocketHandshakes(), 1);
        QCOMPARE(f->daemon.count("GET", "/api/config"), 1);
        QVERIFY(view->client()->appConfig().has_value());

        // Another retry only checks the daemon.
        clickRetry(*view);
        QTest::qWait(300);
        QCOMPARE(f->daemon.count("GET", "/api/config"), 1);
        QCOMPARE(f->daemon.webSocketHandshakes(), 1);
    }

    void retryDuringStartUpGoesLiveOnce() {
        daemonDown();
        auto view = dashboard();
        view->startUp();
        QTRY_VERIFY(f->daemon.count("GET", "/api/status") >= 3); // the launcher is checking
        daemonUp();
        clickRetry(*view);
        // Both the start-up and the retry now find the daemon; only one carries on.
        QTRY_VERIFY(view->client()->isPolling());
        QTest::qWait(300);
        QCOMPARE(f->daemon.count("GET", "/api/config"), 1);
        QCOMPARE(f->daemon.webSocketHandshakes(), 1);
    }

    void closedWindowDoesNotGoLive() {
        f->daemon.setReply("GET", "/api/system/info",
                           {200,
                            FakeDaemon::envelope(systemInfoJson(
                                {8, {1.0}, 1LL << 34, 1LL << 33, 50, 1LL << 40, 1LL << 39, 50})),
                            150ms});
        auto view = dashboard();
        view->startUp();
        QTRY_COMPARE(f->daemon.count("GET", "/api/system/info"), 1);
        view->windowClosed();
        QTest::qWait(400);
        QCOMPARE(f->daemon.count("GET", "/api/config"), 0);
        QVERIFY(!view->client()->isPolling());
        QCOMPARE(f->daemon.webSocketHandshakes(), 0);
    }

    void tabFollowsTheLayoutInEverySection() {
        daemonUp();
        f->daemon.setData("GET", "/api/status",
                          statusJson({{"redis", "running", 6379}, {"mariadb", "stopped", 3306}}));
        f->daemon.setData("GET", "/api/vhosts", projectListJson(3));
        f->daemon.setData("GET", "/api/databases", databaseJson());
        auto view = dashboard();
        view->resize(860, 540);
        view->startUp();
        QTRY_VERIFY(view->client()->isPolling());
        for (SidebarTab tab : kAllSidebarTabs) {
            view->selectTab(tab);
            QTest::qWait(100);
            const QList<QWidget*> chain = tabChain(view->findChild<QWidget*>("nav-Services"));
            // The sidebar first, top to bottom, then the section in reading order; every stop
            // visible.
            QList<QWidget*> sidebar, section;
            for (QWidget* w : chain) {
                QVERIFY2(w->isVisible(), qPrintable(w->objectName()));
                (view->sectionView()->isAncestorOf(w) ? section : sidebar).push_back(w);
                if (!section.isEmpty())
                    QVERIFY2(view->sectionView()->isAncestorOf(w), qPrintable(w->objectName()));
            }
            QCOMPARE(sidebar.size(), 5); // four sections and the web panel
            QString why;
            QVERIFY2(inReadingOrder(sidebar, &why), qPrintable(why));
            QVERIFY2(inReadingOrder(section, &why), qPrintable(label(tab) + QStringLiteral(": ") + why));
            if (tab != SidebarTab::proTools)
                QVERIFY2(!section.isEmpty(), qPrintable(label(tab)));
        }
    }

    void pausedWhileHidden() {
        auto view = dashboard();
        view->startUp();
        QTRY_VERIFY(view->client()->isPolling());
        view->setWindowVisible(false);
        QVERIFY(view->client()->isPollingPaused());
        QTest::qWait(50);
        const int hidden = f->daemon.count("GET", "/api/status");
        QTest::qWait(400);
        QCOMPARE(f->daemon.count("GET", "/api/status"), hidden);
        QCOMPARE(f->daemon.openWebSockets(), 1); // the live channel stays open
        view->setWindowVisible(true);
        QTRY_COMPARE_WITH_TIMEOUT(f->daemon.count("GET", "/api/status"), hidden + 1, 60); // at once
    }
};

QTEST_MAIN(DashboardTest)
#include "DashboardTest.moc"
