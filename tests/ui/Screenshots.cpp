// Renders the dashboard, the connection screen and the log sheet into PNG files.
//   brevant-screenshots <out-dir> [<daemon base URL> <config path>]
// Without a daemon it serves fixed figures from the in-process FakeDaemon.

#include "DaemonClient.h"
#include "FakeDaemon.h"
#include "TestSupport.h"
#include "UiTestSupport.h"
#include "services/LogView.h"
#include "shell/DashboardView.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTest>

#include <cstdio>

using namespace brevant;
using namespace brevant::test;

namespace {

bool waitFor(const std::function<bool()>& done, int ms = 10000) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < ms)
        QTest::qWait(20);
    return done();
}

bool save(QWidget* w, const QString& path) {
    const bool ok = w->grab().save(path);
    std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(path));
    return ok;
}

void serveFixedFigures(FakeDaemon& daemon) {
    daemon.setData("GET", "/api/status", sevenServicesJson());
    daemon.setData(
        "GET", "/api/system/info",
        systemInfoJson({8, {2.4, 2.1, 1.9}, 1LL << 34, 11LL << 30, 69, 500LL << 30, 212LL << 30, 58}));
    daemon.setData("GET", "/api/config", configJson({.daemonApi = 19400, .apacheHttp = 8080}));
    QByteArray log;
    for (int i = 0; i < 40; ++i)
        log += "2026-12-09 05:" + QByteArray::number(10 + i).rightJustified(2, '0') +
               ":00 [Note] InnoDB: Buffer pool(s) load completed\\n";
    daemon.setData("GET", "/api/services/mariadb/logs",
                   "{\"service\":\"mariadb\",\"logPath\":\"/opt/brevant/logs/mariadb.log\",\"content\":\"" +
                       log + "\"}");
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    initUiTest();
    const QStringList args = app.arguments();
    if (args.size() != 2 && args.size() != 4) {
        std::fprintf(stderr, "usage: %s <out-dir> [<daemon base URL> <config path>]\n", argv[0]);
        return 2;
    }
    const QDir out(args[1]);
    QDir().mkpath(out.path());

    FakeDaemon fake;
    TempConfig fakeConfig;
    ConnectionSettings settings;
    if (args.size() == 4) {
        settings.baseURL = args[2];
        settings.configPath = args[3];
    } else {
        fake.start();
        serveFixedFigures(fake);
        settings.baseURL = fake.baseURL();
        settings.configPath = fakeConfig.path();
    }
    auto launcher = std::make_shared<RecordingDesktop>();
    bool ok = true;

    {
        DashboardView view(std::make_unique<DaemonClient>(settings, launcher));
        view.resize(860, 540);
        view.show();
        view.startUp();
        DaemonClient* c = view.client();
        ok &= waitFor(
            [&] { return c->isPolling() && c->systemInfo() && c->appConfig() && !c->services().isEmpty(); });
        QTest::qWait(900); // the rings come to rest
        ok &= save(&view, out.filePath("dashboard.png"));

        view.showLogs(QStringLiteral("mariadb"));
        LogView* sheet = view.logSheet();
        ok &= waitFor([&] { return sheet->logContent() != QStringLiteral("Loading..."); });
        QTest::qWait(400);
        ok &= save(sheet, out.filePath("logs.png"));
        sheet->close();
    }
    {
        ConnectionSettings nowhere = settings;
        nowhere.baseURL = QStringLiteral("http://127.0.0.1:9");
        nowhere.launcherChecks = 0;
        DashboardView view(std::make_unique<DaemonClient>(nowhere, launcher));
        view.resize(860, 540);
        view.show();
        view.startUp();
        ok &= waitFor([&] { return view.client()->connectionError().has_value(); });
        QTest::qWait(100);
        ok &= save(&view, out.filePath("connection.png"));
    }
    return ok ? 0 : 1;
}
