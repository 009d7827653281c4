// Measures one main window against a running daemon: CPU and resident memory while idle (shown
// or minimised), repaints during idle polling, and the time from a service change to the
// repaint of its row through the live channel.
//   brevant-idle-probe <daemon base URL> <config path> <seconds> [minimised]

#include "DaemonClient.h"
#include "MainWindow.h"
#include "UiTestSupport.h"
#include "kit/PaintedList.h"
#include "kit/ServiceListModel.h"
#include "services/ServiceTable.h"
#include "shell/DashboardView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTest>
#include <QTimer>

#include <sys/resource.h>

#include <cstdio>

using namespace brevant;
using namespace brevant::test;

namespace {

double cpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

long rssKiB() {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

// Repaints of one widget, with the time of the last.
class RowPaints : public QObject {
public:
    QElapsedTimer* clock = nullptr;
    qint64 lastMs = -1;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint)
            lastMs = clock->elapsed();
        return false;
    }
};

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    initUiTest();
    const QStringList args = app.arguments();
    if (args.size() < 4) {
        std::fprintf(stderr, "usage: %s <base URL> <config path> <seconds> [minimised]\n", argv[0]);
        return 2;
    }
    ConnectionSettings settings;
    settings.baseURL = args[1];
    settings.configPath = args[2];
    const int seconds = args[3].toInt();
    const bool minimised = args.size() > 4 && args[4] == QStringLiteral("minimised");

    auto* view =
        new DashboardView(std::make_unique<DaemonClient>(settings, std::make_shared<RecordingDesktop>()));
    MainWindow window(view);
    window.show();
    view->startUp();
    DaemonClient* client = view->client();
    QElapsedTimer clock;
    clock.start();
    while (!(client->isPolling() && client->systemInfo()) && clock.elapsed() < 10000)
        QTest::qWait(10);
    if (minimised)
        window.setWindowState(Qt::WindowMinimized);
    QTest::qWait(1500); // the rings come to rest

    PaintCounter paints(view);
    const double cpu0 = cpuSeconds();
    clock.restart();
    {
        // A plain event loop: QTest::qWait would wake every few milliseconds and be measured too.
        QEventLoop loop;
        QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
        loop.exec();
    }
    const double cpu = cpuSeconds() - cpu0;
    std::printf("%s for %d s: CPU %.3f %% of one core, %d repaints (%s), RSS %ld KiB\n",
                minimised ? "minimised" : "shown", seconds, 100.0 * cpu / (clock.elapsed() / 1000.0),
                paints.count(), qPrintable(paints.painted().join(',')), rssKiB());
    if (minimised)
        return 0;

    // Live channel: with polling off, a change made through the API reaches the row through the
    // daemon's event and the status refresh it triggers.
    client->setPollingPaused(true);
    QNetworkAccessManager net;
    QByteArray token;
    {
        QFile f(settings.configPath);
        f.open(QIODevice::ReadOnly);
        const QByteArray text = f.readAll();
        const int at = text.indexOf("\"authToken\"");
        const int open = text.indexOf('"', text.indexOf(':', at)) + 1;
        token = text.mid(open, text.indexOf('"', open) - open);
    }
    for (int round = 0; round < 5; ++round) {
        auto* table = view->findChild<ServiceTable*>();
        int at = -1;
        for (int r = 0; table && r < table->model()->rowCount(); ++r)
            if (table->model()->service(r).name == QLatin1StringView("redis"))
                at = r;
        if (at < 0)
            break;
        const auto redis = [table, at] { return table->model()->service(at); };
        const bool running = redis().isRunning();
        RowPaints rowPaints;
        rowPaints.clock = &clock;
        QWidget* rows = table->list()->viewport();
        rows->installEventFilter(&rowPaints);
        QNetworkRequest req(QUrl(settings.baseURL + QStringLiteral("/api/services/redis/") +
                                 (running ? QStringLiteral("stop") : QStringLiteral("start"))));
        req.setRawHeader("Authorization", "Bearer " + token);
        req.setRawHeader("Content-Type", "application/json");
        clock.restart();
        QNetworkReply* reply = net.post(req, QByteArray("{}"));
        qint64 replied = -1;
        QObject::connect(reply, &QNetworkReply::finished, [&] { replied = clock.elapsed(); });
        while (redis().isRunning() == running && clock.elapsed() < 3000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        const qint64 changed = clock.elapsed();
        while (rowPaints.lastMs < 0 && clock.elapsed() < 3000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        std::printf(
            "live change %d: API reply %lld ms, row state %lld ms, row repainted %lld ms after the request\n",
            round, replied, changed, rowPaints.lastMs);
        rows->removeEventFilter(&rowPaints);
        reply->deleteLater();
        QTest::qWait(200);
    }
    return 0;
}
