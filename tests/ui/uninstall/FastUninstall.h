#pragma once

// The uninstall procedure as the window tests run it: its requests go to the fixture's daemon,
// success is decided by a folder of the test's own, and the pauses are short. Install a
// RecordingDesktop beside it, so no program is run and nothing is removed.

#include "Fixture.h"
#include "PlatformProfile.h"
#include "Uninstaller.h"

#include <chrono>

namespace brevant::test {

inline const QString kUninstallTestDir = QStringLiteral("/nonexistent/brevant-install");

inline UninstallSettings fastUninstall(const Fixture& f) {
    using namespace std::chrono_literals;
    UninstallSettings s;
    s.legacyStopAllURL = f.daemon.baseURL() + QStringLiteral("/api/v1/services/stop-all");
    s.daemonURL = f.daemon.baseURL();
    s.configPath = f.config.path();
    s.installDir = kUninstallTestDir;
    s.requestTimeout = 2s;
    s.pause = 10ms;
    s.quitDelay = 20ms;
    return s;
}

inline PlatformProfile uninstallTestProfile() {
    return linuxProfile(QStringLiteral("/usr/local"));
}

} // namespace brevant::test
