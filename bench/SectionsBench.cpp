// Budgets of the Projects section with 10,000 projects: decoding the reply, building the model,
// opening the section (construction, layout, first paint), the whole way from request to a
// painted list over loopback, and painting one screenful at a scrolled position.

#include "DaemonClient.h"
#include "FakeDaemon.h"
#include "RequestLayer.h"
#include "UiTestSupport.h"
#include "kit/PaintedList.h"
#include "kit/Theme.h"
#include "projects/ProjectListModel.h"
#include "projects/ProjectsView.h"

#include <QApplication>
#include <QCoroTask>
#include <QElapsedTimer>
#include <QImage>
#include <QListView>
#include <QPainter>
#include <QRandomGenerator>
#include <QScrollBar>

#include <benchmark/benchmark.h>

using namespace brevant;

namespace {

constexpr int kProjects = 10'000;
constexpr QSize kContent(610, 520);

QByteArray listEnvelope() {
    return test::FakeDaemon::envelope(test::projectListJson(kProjects));
}

// A client holding the projects, whose daemon has gone, so that every panel's own load fails
// fast and leaves the list alone.
struct LoadedClient {
    test::FakeDaemon daemon;
    test::TempConfig config;
    std::unique_ptr<DaemonClient> client;
    LoadedClient() {
        daemon.start();
        daemon.setReply("GET", "/api/vhosts", {200, listEnvelope()});
        client = std::make_unique<DaemonClient>(test::fastSettings(daemon.baseURL(), config.path()), nullptr);
        QCoro::waitFor(client->fetchProjects());
        daemon.stop();
    }
};

void BM_DecodeProjects(benchmark::State& state) {
    const QByteArray body = listEnvelope();
    for (auto _ : state) {
        Result<ProjectListData> r = decodeEnvelope<ProjectListData>(body);
        if (!r.ok() || r.value().projects.size() != kProjects)
            state.SkipWithError("decoding failed");
        benchmark::DoNotOptimize(r);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * body.size());
}

void BM_BuildModel(benchmark::State& state) {
    LoadedClient loaded;
    const QList<Project> list = loaded.client->projects();
    for (auto _ : state) {
        ProjectListModel model(nullptr);
        model.sync(list);
        benchmark::DoNotOptimize(model.rowCount());
    }
}

// From data in hand to a painted section: what a click on "Projects" costs once the list is there.
void BM_OpenSection(benchmark::State& state) {
    LoadedClient loaded;
    QImage frame(kContent, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        ProjectsView view(loaded.client.get());
        view.resize(kContent);
        view.render(&frame);
        if (view.model()->rowCount() != kProjects)
            state.SkipWithError("list not shown");
        state.PauseTiming();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}

// The whole way: the panel's request, the 2 MB reply over loopback, decoding, the model, the
// switch from the empty state and the first paint of the list.
void BM_RequestToPaintedList(benchmark::State& state) {
    test::FakeDaemon daemon;
    daemon.start();
    daemon.setReply("GET", "/api/vhosts", {200, listEnvelope()});
    test::TempConfig config;
    QImage frame(kContent, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        state.PauseTiming();
        DaemonClient client(test::fastSettings(daemon.baseURL(), config.path()), nullptr);
        state.ResumeTiming();
        ProjectsView view(&client);
        view.resize(kContent);
        QElapsedTimer guard;
        guard.start();
        while (view.model()->rowCount() != kProjects && guard.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        view.render(&frame);
        if (view.model()->rowCount() != kProjects)
            state.SkipWithError("no reply");
        state.PauseTiming();
        daemon.clearRequests();
        state.ResumeTiming();
    }
}

// One scroll frame: jump to a random offset and repaint the visible rows, in a window of the
// minimum size and in a tall one.
void BM_PaintScreenful(benchmark::State& state) {
    LoadedClient loaded;
    ProjectsView view(loaded.client.get());
    view.resize(kContent.width(), int(state.range(0)));
    view.show();
    QCoreApplication::processEvents();
    QListView* list = view.list();
    QScrollBar* bar = list->verticalScrollBar();
    QImage frame(list->viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    auto* random = QRandomGenerator::global();
    for (auto _ : state) {
        bar->setValue(int(random->bounded(bar->maximum() + 1)));
        list->viewport()->render(&frame);
    }
    state.counters["rows"] =
        double(list->viewport()->height()) / list->visualRect(view.model()->index(0)).height();
}

} // namespace

BENCHMARK(BM_DecodeProjects)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuildModel)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OpenSection)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RequestToPaintedList)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintScreenful)->Arg(kContent.height())->Arg(1400)->Unit(benchmark::kMicrosecond);
