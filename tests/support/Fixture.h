#pragma once

// The set-up every client and widget test shares: a started FakeDaemon, a configuration file
// holding the token, and a client of both with short timings whose launcher only records.

#include "ConnectionSettings.h"
#include "DaemonClient.h"
#include "FakeDaemon.h"
#include "PlatformProfile.h"
#include "ProcessRunner.h"
#include "TestSupport.h"

#include <QList>
#include <QStringList>

#include <functional>
#include <memory>

namespace brevant::test {

// Records the programs it is asked to run instead of running them; a run takes `duration`,
// during which `onRun` may act.
class RecordingRunner : public ProcessRunner {
public:
    QList<Command> runs;
    std::chrono::milliseconds duration{0};
    std::function<void()> onRun;
    QCoro::Task<void> runAndWait(QString program, QStringList arguments) override;
};

class Fixture {
public:
    explicit Fixture(const QByteArray& token = "test-token");

    // The settings `client` was made with; tests change a copy for a client of their own.
    ConnectionSettings settings() const;
    std::unique_ptr<DaemonClient> makeClient(const ConnectionSettings& settings,
                                             std::shared_ptr<ProcessRunner> runner = nullptr,
                                             PlatformProfile profile = linuxProfile()) const;
    std::unique_ptr<DaemonClient> makeClient() const { return makeClient(settings()); }

    FakeDaemon daemon;
    TempConfig config;
    std::shared_ptr<RecordingRunner> runner = std::make_shared<RecordingRunner>();
    std::unique_ptr<DaemonClient> client;
};

} // namespace brevant::test
