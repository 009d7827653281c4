// The services panel over the fixture: gauge texts, the gauge strip's presence, the bulk
// buttons' busy flags, the table's rows and dividers, the row wiring, and the cost of a poll
// that changes nothing and of a ring's animation.

#include "DaemonClient.h"
#include "UiTestSupport.h"
#include "kit/Button.h"
#include "kit/PaintedList.h"
#include "kit/RingGauge.h"
#include "kit/ServiceListModel.h"
#include "services/GaugeView.h"
#include "services/ServiceTable.h"
#include "services/ServicesView.h"
#include "shell/DashboardView.h"

#include <QAbstractButton>
#include <QSignalSpy>
#include <QTest>

using namespace brevant;
using namespace brevant::test;
using namespace std::chrono_literals;

class ServicesPanelTest : public QObject {
    Q_OBJECT
    std::unique_ptr<Fixture> f;
    DashboardView* view = nullptr;

    ServicesView* panel() const { return view->findChild<ServicesView*>(); }
    DaemonClient* client() const { return view->client(); }

    void refresh() {
        client()->fetchStatus();
        QTRY_VERIFY(client()->isConnected());
    }
    void loadSystemInfo(const QByteArray& json) {
        f->daemon.setData("GET", "/api/system/info", json);
        // Wait for the reply itself: an earlier value may already be present.
        QSignalSpy applied(client(), &DaemonClient::systemInfoChanged);
        client()->fetchSystemInfo();
        QVERIFY(applied.wait(5000));
    }

private slots:
    void initTestCase() { initUiTest(); }
    void init() {
        f = std::make_unique<Fixture>();
        f->daemon.setData(
            "GET", "/api/status",
            statusJson({{"apache", "running", 8080}, {"mariadb", "running", 3306}, {"redis", "stopped"}}));
        view = new DashboardView(f->makeClient());
        view->resize(860, 540);
        view->show();
        refresh();
    }
    void cleanup() {
        delete view;
        f.reset();
    }

    void gaugeTexts_data() {
        QTest::addColumn<QByteArray>("info");
        QTest::addColumn<QStringList>("cpu");
        QTest::addColumn<QStringList>("ram");
        QTest::addColumn<QStringList>("disk");
        QTest::newRow("typical")
            << systemInfoJson({8, {1.5, 1.0, 0.9}, 34359738368, 25769803776, 75, 500LL << 30, 750000000, 99})
            << QStringList{"18%", "8 Cores Active", "Load: 1.5"}
            << QStringList{"75%", "32GB Total", "24GB Used"} << QStringList{"99%", "500GB SSD", "715MB Free"};
        QTest::newRow("no load, one core, overfull")
            << systemInfoJson({1, {}, 1LL << 29, 0, 130, 0, 0, -5})
            << QStringList{"0%", "1 Cores Active", "Load: 0.0"}
            << QStringList{"130%", "512MB Total", "0MB Used"} << QStringList{"-5%", "0MB SSD", "0MB Free"};
        QTest::newRow("load over cores")
            << systemInfoJson({4, {12}, 1LL << 30, (1LL << 30) - 1, 99, 1, 1, 1})
            << QStringList{"100%", "4 Cores Active", "Load: 12.0"}
            << QStringList{"99%", "1GB Total", "1024MB Used"} << QStringList{"1%", "0MB SSD", "0MB Free"};
    }
    void gaugeTexts() {
        QFETCH(QByteArray, info);
        QFETCH(QStringList, cpu);
        QFETCH(QStringList, ram);
        QFETCH(QStringList, disk);
        loadSystemInfo(info);
        auto texts = [](GaugeView* g) {
            return QStringList{g->ring()->valueText(), g->detail(), g->subDetail()};
        };
        QCOMPARE(texts(panel()->cpuGauge()), cpu);
        QCOMPARE(texts(panel()->ramGauge()), ram);
        QCOMPARE(texts(panel()->diskGauge()), disk);
        QCOMPARE(panel()->cpuGauge()->label(), QStringLiteral("CPU Usage"));
        QCOMPARE(panel()->ramGauge()->label(), QStringLiteral("RAM Usage"));
        QCOMPARE(panel()->diskGauge()->label(), QStringLiteral("Disk Usage"));
    }

    void gaugeStripOnlyWithHostFigures() {
        QVERIFY(!panel()->showsGauges());
        loadSystemInfo(systemInfoJson({8, {2.4}, 1LL << 34, 11LL << 30, 69, 500LL << 30, 212LL << 30, 58}));
        QVERIFY(panel()->showsGauges());
        // A new panel (the section selected again) shows them from the start.
        view->selectTab(SidebarTab::settings);
        view->selectTab(SidebarTab::services);
        QVERIFY(panel()->showsGauges());
    }

    void ringAnimatesToItsValue() {
        loadSystemInfo(systemInfoJson({8, {2.0}, 1LL << 34, 1LL << 33, 50, 1LL << 40, 1LL << 39, 50}));
        RingGauge* ring = panel()->ramGauge()->ring();
        QTRY_COMPARE(ring->shownFraction(), 0.5);
        loadSystemInfo(systemInfoJson({8, {2.0}, 1LL << 34, 1LL << 33, 90, 1LL << 40, 1LL << 39, 50}));
        QCOMPARE(ring->valueText(), QStringLiteral("90%")); // the number changes at once
        QTRY_VERIFY_WITH_TIMEOUT(ring->shownFraction() > 0.5, 600);
        QVERIFY(ring->shownFraction() < 0.9); // on its way, not there at once
        QTRY_COMPARE_WITH_TIMEOUT(ring->shownFraction(), 0.9, 1000);
    }

    // A frame of the animation repaints the ring alone; the gauge's text is drawn once, for the
    // figure that changed.
    void animationFramesRepaintOnlyTheRing() {
        loadSystemInfo(systemInfoJson({8, {2.0}, 1LL << 34, 1LL << 33, 20, 1LL << 40, 1LL << 39, 50}));
        QVERIFY(QTest::qWaitForWindowExposed(view));
        RingGauge* ring = panel()->ramGauge()->ring();
        QTRY_VERIFY(!ring->isAnimating());
        PaintCounter ringPaints(ring);
        PaintCounter gaugePaints(panel()->ramGauge()); // and its ring
        loadSystemInfo(systemInfoJson({8, {2.0}, 1LL << 34, 3LL << 32, 80, 1LL << 40, 1LL << 39, 50}));
        QVERIFY(ring->isAnimating());
        QTRY_VERIFY(!ring->isAnimating());
        QVERIFY2(ringPaints.count() >= 4, qPrintable(QString::number(ringPaints.count())));
        QCOMPARE(gaugePaints.count() - ringPaints.count(), 1);
    }

    void bulkButtonsBusyIndependently() {
        f->daemon.setReply("POST", "/api/services/start-all",
                           {200, FakeDaemon::envelope(statusJson({{"apache", "running"}})), 400ms});
        f->daemon.setReply("POST", "/api/services/stop-all",
                           {500, FakeDaemon::envelope(statusJson({{"apache", "running"}})), 200ms});
        auto* startAll = view->findChild<Button*>("startAllButton");
        auto* stopAll = view->findChild<Button*>("stopAllButton");
        QTest::mouseClick(startAll, Qt::LeftButton);
        QVERIFY(view->isStartingAll());
        QVERIFY(!startAll->isEnabled());
        QVERIFY(startAll->isBusy());
        QVERIFY(stopAll->isEnabled());
        QTest::mouseClick(stopAll, Qt::LeftButton);
        QVERIFY(view->isStoppingAll());
        QVERIFY(!stopAll->isEnabled());
        // A second click on a busy button sends nothing.
        QTest::mouseClick(startAll, Qt::LeftButton);
        // Stop All fails and still clears its flag; Start All is still in flight then.
        QTRY_VERIFY(!view->isStoppingAll());
        QVERIFY(stopAll->isEnabled() && !stopAll->isBusy());
        QVERIFY(view->isStartingAll());
        QTRY_VERIFY(!view->isStartingAll());
        QVERIFY(startAll->isEnabled() && !startAll->isBusy());
        QCOMPARE(f->daemon.count("POST", "/api/services/start-all"), 1);
        QCOMPARE(f->daemon.count("POST", "/api/services/stop-all"), 1);
    }

    void busyFlagSurvivesSectionSwitch() {
        f->daemon.setReply("POST", "/api/services/start-all",
                           {200, FakeDaemon::envelope(statusJson({{"apache", "running"}})), 300ms});
        QTest::mouseClick(view->findChild<Button*>("startAllButton"), Qt::LeftButton);
        view->selectTab(SidebarTab::projects);
        view->selectTab(SidebarTab::services);
        QVERIFY(!view->findChild<Button*>("startAllButton")->isEnabled());
        QTRY_VERIFY(view->findChild<Button*>("startAllButton")->isEnabled());
    }

    void rowsAndDividers() {
        ServiceTable* table = panel()->table();
        auto dividers = [table] {
            int n = 0;
            for (int row = 0; row < table->model()->rowCount(); ++row)
                n += table->model()->index(row).data(ServiceListModel::DividerRole).toBool();
            return n;
        };
        QCOMPARE(table->model()->rowCount(), 3);
        QCOMPARE(dividers(), 2);
        f->daemon.setData("GET", "/api/status", statusJson({{"redis", "stopped"}}));
        refresh();
        QTRY_COMPARE(table->model()->rowCount(), 1);
        QCOMPARE(dividers(), 0);
        f->daemon.setData("GET", "/api/status", statusJson({}));
        client()->fetchStatus();
        QTRY_COMPARE(table->model()->rowCount(), 0);
        QVERIFY(view->findChild<QWidget*>("serviceTableHeader")->isVisible());
    }

    void rowWiring() {
        f->daemon.setData("POST", "/api/services/redis/start", "{\"service\":\"redis\",\"pid\":7}");
        f->daemon.setData("POST", "/api/services/mariadb/stop",
                          "{\"service\":\"mariadb\",\"status\":\"stopped\"}");
        f->daemon.setData("POST", "/api/services/mariadb/restart", "{\"service\":\"mariadb\"}");
        auto click = [this](const char* name, const char* title) {
            clickServiceButton(panel()->table(), QString::fromLatin1(name), QString::fromLatin1(title));
        };
        QVERIFY(QTest::qWaitForWindowExposed(view));
        click("redis", "Start");
        click("mariadb", "Stop");
        click("mariadb", "Restart");
        QTRY_COMPARE(f->daemon.count("POST", "/api/services/redis/start"), 1);
        QTRY_COMPARE(f->daemon.count("POST", "/api/services/mariadb/stop"), 1);
        QTRY_COMPARE(f->daemon.count("POST", "/api/services/mariadb/restart"), 1);

        click("redis", "Logs");
        QCOMPARE(view->selectedLogService(), std::optional<QString>("redis"));
        QVERIFY(view->showingLogs());
    }

    void apachePortFromConfiguration() {
        ServiceTable* table = panel()->table();
        QCOMPARE(table->adminUrl(), QStringLiteral("http://localhost:8080/phpmyadmin"));
        f->daemon.setData("GET", "/api/config", configJson({.daemonApi = 19400, .apacheHttp = 8888}));
        client()->fetchConfig();
        QTRY_COMPARE(table->adminUrl(), QStringLiteral("http://localhost:8888/phpmyadmin"));
    }

    void unchangedPollRepaintsNothing() {
        loadSystemInfo(systemInfoJson({8, {2.4}, 1LL << 34, 11LL << 30, 69, 500LL << 30, 212LL << 30, 58}));
        QVERIFY(QTest::qWaitForWindowExposed(view));
        QTest::qWait(800); // the rings' animation ends
        PaintCounter paints(view);
        client()->startPolling();
        const int before = f->daemon.count("GET", "/api/system/info");
        QTRY_VERIFY(f->daemon.count("GET", "/api/system/info") >= before + 5);
        QTest::qWait(20);
        QCOMPARE(paints.painted(), QStringList());

        // One changed service repaints its row and its sidebar line, not the whole window.
        f->daemon.setData(
            "GET", "/api/status",
            statusJson({{"apache", "running", 8080}, {"mariadb", "running", 3306}, {"redis", "running"}}));
        ServiceTable* table = panel()->table();
        QWidget* rows = table->list()->viewport();
        const auto rowRect = [table](int row) {
            return table->list()->visualRect(table->model()->index(row));
        };
        QTRY_VERIFY(paints.region(rows).intersects(rowRect(2)));
        client()->stopPolling();
        QVERIFY2(!paints.region(rows).intersects(rowRect(1)),
                 qPrintable(QStringLiteral("%1 painted, row 1 is %2")
                                .arg(QDebug::toString(paints.region(rows)), QDebug::toString(rowRect(1)))));
        const QStringList painted = paints.painted();
        QVERIFY2(!painted.contains("cpuGauge"), qPrintable(painted.join(',')));
    }
};

QTEST_MAIN(ServicesPanelTest)
#include "ServicesPanelTest.moc"
