// brevant-hostile-probe: the client core alone against a daemon (brevant-hostile-peer, say):
// polls and keeps the live channel as a window does, and prints once a second the resident and
// peak memory, whether the last status refresh reached the daemon and how many refreshes ended,
// and the moment it reads the daemon as connected again after a loss.
//
//     brevant-hostile-probe [--port N] [--seconds S]      (19400 and 30 unless told)

#include "DaemonClient.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

using namespace brevant;

namespace {

// VmRSS and VmHWM from /proc/self/status, in MiB.
std::pair<double, double> memoryMiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    double rss = -1;
    double peak = -1;
    if (status.open(QIODevice::ReadOnly))
        for (const QByteArray& line : status.readAll().split('\n')) {
            const QList<QByteArray> words = line.simplified().split(' ');
            if (words.value(0) == "VmRSS:")
                rss = words.value(1).toDouble() / 1024;
            else if (words.value(0) == "VmHWM:")
                peak = words.value(1).toDouble() / 1024;
        }
    return {rss, peak};
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments();
    args.removeFirst();
    int port = 19400;
    int seconds = 30;
    while (args.size() >= 2) {
        const QString option = args.takeFirst();
        const int value = args.takeFirst().toInt();
        if (option == QLatin1StringView("--port"))
            port = value;
        else if (option == QLatin1StringView("--seconds"))
            seconds = value;
    }
    QTemporaryDir dir;
    const QString configPath = dir.filePath(QStringLiteral("brevant.config.json"));
    QFile config(configPath);
    if (!config.open(QIODevice::WriteOnly) || config.write("{\"authToken\":\"probe\"}") < 0)
        return 1;
    config.close();

    ConnectionSettings settings;
    settings.baseURL = QStringLiteral("http://127.0.0.1:%1").arg(port);
    settings.configPath = configPath;
    DaemonClient client(settings, nullptr);
    int ok = 0;
    int failed = 0;
    QObject::connect(&client, &DaemonClient::statusRefreshed, &client,
                     [&](bool succeeded) { ++(succeeded ? ok : failed); });
    QElapsedTimer clock;
    clock.start();
    bool wasConnected = false;
    QObject::connect(&client, &DaemonClient::isConnectedChanged, &client, [&] {
        if (client.isConnected() && !wasConnected)
            std::printf("%5.2f s  connected\n", double(clock.elapsed()) / 1000);
        wasConnected = client.isConnected();
    });
    client.connectWebSocket();
    client.startPolling();

    QTimer report;
    QObject::connect(&report, &QTimer::timeout, &app, [&] {
        const auto [rss, peak] = memoryMiB();
        std::printf("%5.1f s  resident %6.1f MiB  peak %6.1f MiB  %-12s  refreshes ok %d, failed %d\n",
                    double(clock.elapsed()) / 1000, rss, peak,
                    client.isConnected() ? "connected" : "disconnected", ok, failed);
        std::fflush(stdout);
        if (clock.elapsed() >= seconds * 1000)
            app.quit();
    });
    report.start(1000);
    return app.exec();
}
