// The services section under what a broken daemon may send: a status reply of thousands of
// services in which half of them change, and a log that is one 5 MiB line reloaded, each from
// the request over loopback to the repainted view.

#include "DaemonClient.h"
#include "FakeDaemon.h"
#include "Json.h"
#include "TestSupport.h"
#include "UiTestSupport.h"
#include "services/LogView.h"
#include "shell/DashboardView.h"

#include <QApplication>
#include <QCoroTask>
#include <QElapsedTimer>
#include <QImage>

#include <benchmark/benchmark.h>

using namespace brevant;

namespace {

// The reply with every running service stopped and every stopped one running.
QByteArray flipped(QByteArray json) {
    return json.replace("\"running\"", "\"was\"").replace("\"stopped\"", "\"running\"").replace("\"was\"", "\"stopped\"");
}

void BM_StatusApplied(benchmark::State& state) {
    const int count = int(state.range(0));
    const QByteArray replies[2] = {test::FakeDaemon::envelope(test::manyServicesJson(count)),
                                   test::FakeDaemon::envelope(flipped(test::manyServicesJson(count)))};
    test::FakeDaemon daemon;
    daemon.start();
    test::TempConfig config;
    DashboardView view(std::make_unique<DaemonClient>(test::fastSettings(daemon.baseURL(), config.path()), nullptr));
    view.resize(860, 540);
    view.sectionView(); // the sidebar and the services section
    QImage frame(view.size(), QImage::Format_ARGB32_Premultiplied);
    int turn = 0;
    for (auto _ : state) {
        state.PauseTiming();
        daemon.setReply("GET", "/api/status", {200, replies[turn++ % 2]});
        daemon.clearRequests();
        state.ResumeTiming();
        QCoro::waitFor(view.client()->fetchStatus());
        QCoreApplication::processEvents();
        view.render(&frame);
        if (view.client()->services().size() != count)
            state.SkipWithError("reply not applied");
    }
}

// One load of the log sheet (as its 3-s loop makes) when the log is a single 5 MiB line.
void BM_LogReloadOneHugeLine(benchmark::State& state) {
    const auto reply = [](char c) {
        return test::FakeDaemon::envelope("{\"service\":\"redis\",\"logPath\":\"/l/redis.log\",\"content\":\"" +
                                          QByteArray(5 << 20, c) + "\"}");
    };
    const QByteArray replies[2] = {reply('x'), reply('y')};
    test::FakeDaemon daemon;
    daemon.start();
    test::TempConfig config;
    DaemonClient client(test::fastSettings(daemon.baseURL(), config.path()), nullptr);
    LogView sheet(QStringLiteral("redis"), &client, nullptr, std::chrono::hours(1));
    sheet.resize(700, 500);
    QImage frame(sheet.size(), QImage::Format_ARGB32_Premultiplied);
    int turn = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const QChar expected = QLatin1Char(turn % 2 ? 'y' : 'x');
        daemon.setReply("GET", "/api/services/redis/logs", {200, replies[turn++ % 2]});
        daemon.clearRequests();
        state.ResumeTiming();
        sheet.loadLogs();
        QElapsedTimer guard;
        guard.start();
        while (!sheet.logContent().startsWith(expected) && guard.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        sheet.render(&frame);
        if (!sheet.logContent().startsWith(expected))
            state.SkipWithError("log not loaded");
    }
}

} // namespace

BENCHMARK(BM_StatusApplied)->Arg(5'000)->Arg(20'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LogReloadOneHugeLine)->Unit(benchmark::kMillisecond);
