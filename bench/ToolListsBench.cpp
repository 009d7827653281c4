// Budgets of the tool dialogs' lists with 10,000 hosts entries and 10,000 backups: the whole way
// from the dialog's request to its painted list over loopback, the part after the reply (decoding,
// the model, the first paint), and painting one screenful after a jump to a random position.

#include "DaemonClient.h"
#include "FakeDaemon.h"
#include "RequestLayer.h"
#include "UiTestSupport.h"
#include "kit/PaintedList.h"
#include "protools/BackupListModel.h"
#include "protools/BackupsSheet.h"
#include "protools/DNSEditorSheet.h"
#include "protools/HostListModel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QRandomGenerator>
#include <QScrollBar>

#include <benchmark/benchmark.h>

using namespace brevant;

namespace {

constexpr int kRows = 10'000;
constexpr QSize kSheet(480, 380);

// What differs between the two dialogs.
template <class S> struct Tool;
template <> struct Tool<DNSEditorSheet> {
    using Data = DNSData;
    static constexpr const char* path = "/api/pro/dns";
    static QByteArray body() { return test::FakeDaemon::envelope(test::hostsJson(kRows)); }
    static DNSEditorSheet* make(DaemonClient* client) { return new DNSEditorSheet(client); }
    static void load(DNSEditorSheet& s) { s.loadEntries(); }
    static void apply(HostListModel& m, const Data& d) { m.sync(d.entries); }
};
template <> struct Tool<BackupsSheet> {
    using Data = BackupsData;
    static constexpr const char* path = "/api/pro/backups";
    static QByteArray body() { return test::FakeDaemon::envelope(test::backupsJson(kRows)); }
    static BackupsSheet* make(DaemonClient* client) { return new BackupsSheet(client, nullptr); }
    static void load(BackupsSheet& s) { s.loadBackups(); }
    static void apply(BackupListModel& m, const Data& d) { m.sync(d.backups); }
};

// The fixture's daemon serving the dialog's list, and a client of it.
template <class S> struct Daemon {
    test::FakeDaemon daemon;
    test::TempConfig config;
    std::unique_ptr<DaemonClient> client;
    Daemon() {
        daemon.start();
        daemon.setReply("GET", Tool<S>::path, {200, Tool<S>::body()});
        client = std::make_unique<DaemonClient>(test::fastSettings(daemon.baseURL(), config.path()), nullptr);
    }
};

template <class S> bool loaded(S& sheet, int timeoutMs = 5000) {
    QElapsedTimer guard;
    guard.start();
    while (sheet.isLoading() && guard.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    return sheet.model()->rowCount() == kRows;
}

// The dialog's own request, the reply over loopback, decoding, the model and the first paint.
template <class S> void BM_RequestToPaintedList(benchmark::State& state) {
    Daemon<S> d;
    QImage frame(kSheet, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        std::unique_ptr<S> sheet(Tool<S>::make(d.client.get()));
        sheet->resize(kSheet);
        Tool<S>::load(*sheet);
        if (!loaded(*sheet))
            state.SkipWithError("no list");
        sheet->render(&frame);
        state.PauseTiming();
        sheet.reset();
        d.daemon.clearRequests();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}

// From the reply's bytes in hand: decoding, the new list applied to the model, the first paint.
template <class S> void BM_ReplyToPaintedList(benchmark::State& state) {
    const QByteArray body = Tool<S>::body();
    QImage frame(kSheet, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        state.PauseTiming();
        std::unique_ptr<S> sheet(Tool<S>::make(nullptr));
        sheet->resize(kSheet);
        Tool<S>::load(*sheet); // no client: an empty list, the list shown
        sheet->render(&frame);
        state.ResumeTiming();
        Result<typename Tool<S>::Data> data = decodeEnvelope<typename Tool<S>::Data>(body);
        if (!data.ok())
            state.SkipWithError("decoding failed");
        Tool<S>::apply(*sheet->model(), data.value());
        sheet->render(&frame);
        state.PauseTiming();
        sheet.reset();
        state.ResumeTiming();
    }
}

// One scroll frame: jump to a random offset and repaint the visible rows.
template <class S> void BM_PaintScreenful(benchmark::State& state) {
    Daemon<S> d;
    std::unique_ptr<S> sheet(Tool<S>::make(d.client.get()));
    sheet->resize(kSheet);
    Tool<S>::load(*sheet);
    if (!loaded(*sheet))
        state.SkipWithError("no list");
    sheet->show();
    QCoreApplication::processEvents();
    PaintedListView* list = sheet->list();
    QScrollBar* bar = list->verticalScrollBar();
    QImage frame(list->viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    auto* random = QRandomGenerator::global();
    for (auto _ : state) {
        bar->setValue(int(random->bounded(bar->maximum() + 1)));
        list->viewport()->render(&frame);
    }
    state.counters["rows"] = double(list->viewport()->height()) / list->rowDelegate()->rowHeight();
}

} // namespace

BENCHMARK(BM_RequestToPaintedList<DNSEditorSheet>)
    ->Name("BM_RequestToPaintedList/hosts")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RequestToPaintedList<BackupsSheet>)
    ->Name("BM_RequestToPaintedList/backups")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReplyToPaintedList<DNSEditorSheet>)
    ->Name("BM_ReplyToPaintedList/hosts")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReplyToPaintedList<BackupsSheet>)
    ->Name("BM_ReplyToPaintedList/backups")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintScreenful<DNSEditorSheet>)->Name("BM_PaintScreenful/hosts")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PaintScreenful<BackupsSheet>)->Name("BM_PaintScreenful/backups")->Unit(benchmark::kMicrosecond);
