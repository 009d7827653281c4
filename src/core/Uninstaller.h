#pragma once

// Removes the whole stack from the machine: stops the services, the per-user agent and the
// daemon's job, removes the installation with administrator rights, forgets the package, and
// quits the application when the installation folder is gone.

#include "ConnectionSettings.h"
#include "DesktopServices.h"
#include "PlatformProfile.h"

#include <QString>

#include <QCoroTask>

#include <chrono>
#include <memory>

namespace brevant {

struct UninstallOutcome {
    bool succeeded = false;
    // The line the uninstall window shows.
    QString message;
};

// Where the uninstaller sends its requests, what decides success, and its pauses. The defaults
// are the product's fixed values; only tests construct others.
struct UninstallSettings {
    // The stop request without a token that older daemons answer.
    QString legacyStopAllURL = QStringLiteral("http://127.0.0.1:52425/api/v1/services/stop-all");
    QString daemonURL = ConnectionSettings{}.baseURL;
    QString configPath = ConnectionSettings{}.configPath;
    QString installDir = QStringLiteral("/opt/brevant");
    std::chrono::milliseconds requestTimeout = ConnectionSettings{}.requestTimeout;
    std::chrono::milliseconds pause{1'000};
    std::chrono::milliseconds quitDelay{2'000};
};

// Runs every step in order, each whatever became of the one before, without blocking the event
// loop, and completes on the main thread. After success it has already scheduled the quit through
// `desktop`, which it keeps alive until then: the window that started it may be gone by that time.
QCoro::Task<UninstallOutcome> uninstallEverything(std::shared_ptr<DesktopServices> desktop,
                                                  PlatformProfile profile = currentProfile(),
                                                  UninstallSettings settings = {});

} // namespace brevant
