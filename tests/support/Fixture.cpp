#include "Fixture.h"

#include "Awaitables.h"
#include "PlatformProfile.h"

namespace brevant::test {

QCoro::Task<void> RecordingRunner::runAndWait(QString program, QStringList arguments) {
    runs.push_back({program, arguments});
    if (onRun)
        onRun();
    if (duration.count() > 0)
        co_await delay(duration);
}

Fixture::Fixture(const QByteArray& token) : config(token) {
    daemon.start();
    client = makeClient();
}

ConnectionSettings Fixture::settings() const {
    return fastSettings(daemon.baseURL(), config.path());
}

std::unique_ptr<DaemonClient> Fixture::makeClient(const ConnectionSettings& settings,
                                                  std::shared_ptr<ProcessRunner> runner,
                                                  PlatformProfile profile) const {
    return std::make_unique<DaemonClient>(settings, runner ? std::move(runner) : this->runner,
                                          std::move(profile));
}

} // namespace brevant::test
