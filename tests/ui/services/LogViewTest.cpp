// The log sheet over the fixture: title, first text, empty and failing logs, the auto-refresh
// loop and its "one more load" on switching off, Escape, and staying scrolled to the end.

#include "services/LogView.h"
#include "DaemonClient.h"
#include "UiTestSupport.h"
#include "kit/ToggleSwitch.h"
#include "services/ServiceTable.h"
#include "shell/DashboardView.h"

#include <QAbstractButton>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>

using namespace brevant;
using namespace brevant::test;
using namespace std::chrono_literals;

namespace {
QByteArray logJson(const QByteArray& service, const QByteArray& content) {
    return "{\"service\":\"" + service + "\",\"logPath\":\"/l/" + service + ".log\",\"content\":\"" +
           content + "\"}";
}
} // namespace

class LogViewTest : public QObject {
    Q_OBJECT
    std::unique_ptr<Fixture> f;
    std::unique_ptr<DaemonClient> client;

    int logRequests(const char* service = "redis") const {
        return f->daemon.count("GET", QByteArray("/api/services/") + service + "/logs");
    }

private slots:
    void initTestCase() { initUiTest(); }
    void init() {
        f = std::make_unique<Fixture>();
        f->daemon.setData("GET", "/api/services/redis/logs", logJson("redis", "line 1\\nline 2"));
        client = f->makeClient();
    }
    void cleanup() {
        client.reset();
        f.reset();
    }

    void titles() {
        QCOMPARE(LogView("redis", client.get()).title(), QStringLiteral("Redis Logs"));
        QCOMPARE(LogView("mariadb", client.get()).title(), QStringLiteral("Mariadb Logs"));
        QCOMPARE(LogView("php-fpm", client.get()).title(), QStringLiteral("Php-fpm Logs"));
    }

    void firstLoad() {
        f->daemon.setReply("GET", "/api/services/redis/logs",
                           {200, FakeDaemon::envelope(logJson("redis", "hello")), 100ms});
        LogView view("redis", client.get());
        QCOMPARE(view.logContent(), QStringLiteral("Loading..."));
        QVERIFY(view.autoRefresh());
        view.show();
        QCOMPARE(view.textArea()->toPlainText(), QStringLiteral("Loading..."));
        QTRY_COMPARE(view.logContent(), QStringLiteral("hello"));
        QCOMPARE(view.textArea()->toPlainText(), QStringLiteral("hello"));
        QCOMPARE(f->daemon.requestsTo("/api/services/redis/logs").first().target,
                 QByteArray("/api/services/redis/logs?lines=200"));
    }

    void emptyAndFailingLogs() {
        f->daemon.setData("GET", "/api/services/redis/logs", logJson("redis", ""));
        {
            LogView view("redis", client.get());
            view.show();
            QTRY_COMPARE(view.logContent(), QStringLiteral("No log output yet."));
        }
        f->daemon.setReply("GET", "/api/services/redis/logs", {404, "{\"success\":false}"});
        LogView view("redis", client.get());
        view.show();
        QTRY_VERIFY(view.logContent().startsWith(QStringLiteral("Failed to load logs: ")));
    }

    void refreshButton() {
        LogView view("redis", client.get(), nullptr, 10s);
        view.show();
        QTRY_COMPARE(logRequests(), 1);
        f->daemon.setData("GET", "/api/services/redis/logs", logJson("redis", "newer"));
        QTest::mouseClick(view.findChild<QAbstractButton*>("refreshButton"), Qt::LeftButton);
        QTRY_COMPARE(view.logContent(), QStringLiteral("newer"));
        QCOMPARE(logRequests(), 2);
    }

    void switchingOffLoadsOnceMore() {
        LogView view("redis", client.get(), nullptr, 300ms);
        view.show();
        QTRY_COMPARE(logRequests(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(logRequests(), 2, 1000); // one cycle of the loop
        QTest::qWait(100);                                 // now inside the next wait
        QTest::mouseClick(view.findChild<ToggleSwitch*>("autoRefreshSwitch"), Qt::LeftButton);
        QVERIFY(!view.autoRefresh());
        QTRY_COMPARE(logRequests(), 3); // the interrupted wait still loads
        QTest::qWait(800);
        QCOMPARE(logRequests(), 3);

        // Switched on again, the next load comes one whole interval later.
        QElapsedTimer clock;
        clock.start();
        view.setAutoRefresh(true);
        QTRY_COMPARE_WITH_TIMEOUT(logRequests(), 4, 1000);
        QVERIFY2(clock.elapsed() >= 280, qPrintable(QString::number(clock.elapsed())));
    }

    void autoRefreshEveryThreeSeconds() {
        LogView view("redis", client.get()); // the real interval
        view.show();
        QTRY_COMPARE_WITH_TIMEOUT(logRequests(), 3, 8000);
        const auto requests = f->daemon.requestsTo("/api/services/redis/logs");
        for (int i = 1; i < 3; ++i) {
            const qint64 gap = requests[i].atMs - requests[i - 1].atMs;
            QVERIFY2(gap >= 2950 && gap < 3800, qPrintable(QString::number(gap)));
        }
    }

    void staysScrolledToTheEnd() {
        QByteArray many;
        for (int i = 0; i < 200; ++i)
            many += "line " + QByteArray::number(i) + "\\n";
        f->daemon.setData("GET", "/api/services/redis/logs", logJson("redis", many));
        LogView view("redis", client.get(), nullptr, 200ms);
        view.show();
        QScrollBar* bar = view.textArea()->verticalScrollBar();
        QTRY_VERIFY(bar->maximum() > 0);
        QTRY_COMPARE(bar->value(), bar->maximum());
        // Scrolled up by the user, the next change brings the end back.
        bar->setValue(0);
        f->daemon.setData("GET", "/api/services/redis/logs", logJson("redis", many + "one more\\n"));
        QTRY_VERIFY(view.logContent().endsWith("one more\n"));
        QTRY_COMPARE(bar->value(), bar->maximum());
    }

    void sheetFromTheDashboard() {
        f->daemon.setData("GET", "/api/status", statusJson({{"redis", "running"}}));
        DashboardView dashboard(f->makeClient());
        dashboard.show();
        dashboard.client()->fetchStatus();
        QTRY_VERIFY(dashboard.client()->isConnected());
        QVERIFY(QTest::qWaitForWindowExposed(&dashboard));
        clickServiceButton(dashboard.findChild<ServiceTable*>(), QStringLiteral("redis"),
                           QStringLiteral("Logs"));
        QVERIFY(dashboard.showingLogs());
        LogView* sheet = dashboard.logSheet();
        QVERIFY(sheet && sheet->isVisible());
        QCOMPARE(sheet->windowModality(), Qt::WindowModal);
        QCOMPARE(sheet->logContent(), QStringLiteral("Loading..."));
        QTRY_COMPARE(sheet->logContent(), QStringLiteral("line 1\nline 2"));

        QTest::keyClick(sheet, Qt::Key_Escape);
        QVERIFY(!sheet->isVisible());
        QVERIFY(!dashboard.showingLogs());
        QCOMPARE(dashboard.selectedLogService(), std::optional<QString>("redis"));

        // Each presentation is a new viewer, starting over.
        dashboard.showLogs("redis");
        QCOMPARE(dashboard.logSheet()->logContent(), QStringLiteral("Loading..."));
        QVERIFY(dashboard.logSheet()->autoRefresh());
        QTest::mouseClick(dashboard.logSheet()->findChild<QAbstractButton*>("closeButton"), Qt::LeftButton);
        QVERIFY(!dashboard.showingLogs());
    }
};

QTEST_MAIN(LogViewTest)
#include "LogViewTest.moc"
