#pragma once

// Small helpers shared by the tests.

#include "ConnectionSettings.h"
#include "Json.h"

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

// The process's peak resident memory in MiB since the last reset (Linux; -1 elsewhere).
double peakResidentMiB();
void resetPeakResident();

// Whether resident-memory figures mean anything in this build: AddressSanitizer's shadow memory
// and quarantine inflate them several times over, so memory budgets are checked in plain builds.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kMemoryBudgetsApply = false;
#else
inline constexpr bool kMemoryBudgetsApply = true;
#endif

} // namespace brevant::test
