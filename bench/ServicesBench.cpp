// The services section and the sidebar under thousands of services: a status reply in which half
// of them change, from the request over loopback to the dashboard repainted.

#include "DaemonClient.h"
#include "FakeDaemon.h"
#include "Json.h"
#include "TestSupport.h"
#include "UiTestSupport.h"
#include "shell/DashboardView.h"

#include <QApplication>
#include <QCoroTask>
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

} // namespace

BENCHMARK(BM_StatusApplied)->Arg(5'000)->Arg(20'000)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    brevant::test::initUiTest();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
