// Budgets of the client: decoding /status of the usual size and of 1,000 services, one whole
// status refresh against the in-process fixture over loopback, and asking the kernel who owns
// the daemon's port (done before every request).

#include "DaemonClient.h"
#include "FakeDaemon.h"
#include "ListenerCheck.h"
#include "RequestLayer.h"
#include "TestSupport.h"

#include <QCoreApplication>
#include <QCoroTask>

#include <benchmark/benchmark.h>

using namespace brevant;

namespace {

QByteArray statusEnvelope(int services) {
    QByteArray body = "{\"success\":true,\"data\":{\"services\":[";
    static const char* names[] = {"apache", "nginx", "mariadb", "php-fpm", "pm2", "mailhog", "redis"};
    for (int i = 0; i < services; ++i) {
        if (i)
            body += ',';
        const QByteArray name = services <= 7 ? QByteArray(names[i]) : "service-" + QByteArray::number(i);
        body += "{\"name\":\"" + name + "\",\"status\":\"" + (i % 2 ? "stopped" : "running") +
                "\",\"pid\":" + QByteArray::number(1000 + i) + ",\"port\":" + QByteArray::number(8000 + i) +
                ",\"uptime\":3600,\"cpu\":0.25,\"memory\":52428800}";
    }
    body += "],\"activity\":[";
    for (int i = 0; i < 10; ++i) {
        if (i)
            body += ',';
        body += "{\"id\":" + QByteArray::number(i) +
                ",\"action\":\"start\",\"service\":\"apache\",\"details\":\"by "
                "user\",\"created_at\":\"2026-12-09T05:00:00Z\"}";
    }
    body += "]}}";
    return body;
}

void decodeStatus(benchmark::State& state, int services) {
    const QByteArray body = statusEnvelope(services);
    for (auto _ : state) {
        Result<StatusData> r = decodeEnvelope<StatusData>(body);
        if (!r.ok() || r.value().services.size() != services)
            state.SkipWithError("decoding failed");
        benchmark::DoNotOptimize(r);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * body.size());
}

void BM_DecodeStatus7(benchmark::State& state) {
    decodeStatus(state, 7);
}
void BM_DecodeStatus1000(benchmark::State& state) {
    decodeStatus(state, 1000);
}

void BM_FetchStatusRoundTrip(benchmark::State& state) {
    test::FakeDaemon daemon;
    daemon.start();
    daemon.setReply("GET", "/api/status", {200, statusEnvelope(7)});
    test::TempConfig config;
    DaemonClient client(test::fastSettings(daemon.baseURL(), config.path()), nullptr);
    for (auto _ : state) {
        QCoro::waitFor(client.fetchStatus());
        if (!client.isConnected())
            state.SkipWithError("not connected");
        daemon.clearRequests();
    }
}

void BM_LoopbackListenerOwners(benchmark::State& state) {
    test::FakeDaemon daemon;
    daemon.start();
    for (auto _ : state) {
        const QList<uint> owners = loopbackListenerOwners(daemon.port());
        if (owners.size() != 1)
            state.SkipWithError("the fixture's listener was not found");
        benchmark::DoNotOptimize(owners);
    }
}

} // namespace

BENCHMARK(BM_DecodeStatus7);
BENCHMARK(BM_DecodeStatus1000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FetchStatusRoundTrip)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoopbackListenerOwners)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
