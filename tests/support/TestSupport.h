#pragma once

// Small helpers shared by the tests.

#include "ConnectionSettings.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <chrono>

namespace brevant::test {

// A configuration file holding `token`, in a temporary folder that lives as long as this object.
class TempConfig {
public:
    explicit TempConfig(const QByteArray& token = "test-token");
    QString path() const { return m_dir.filePath(QStringLiteral("brevant.config.json")); }
    void write(const QByteArray& contents) const;

private:
    QTemporaryDir m_dir;
};

// Settings for a client of the fixture: short timings so the tests stay quick.
ConnectionSettings fastSettings(const QString& baseURL, const QString& configPath);

// A /status data object with the seven known services, alternating running and stopped.
QByteArray sevenServicesJson();
// A /status data object with `count` services named service-0, service-1 …, alternating states.
QByteArray manyServicesJson(int count);
// A /system/info data object: eight cores, 75 % memory and 58 % disk used.
QByteArray sampleSystemInfoJson();
// A /config data object with every port and path.
QByteArray sampleConfigJson();

// The process's peak resident memory in MiB since the last reset (Linux; -1 elsewhere).
double peakResidentMiB();
void resetPeakResident();

} // namespace brevant::test
