#pragma once

// What the settings panel shows for each record: labelled rows of plain text. Pure functions.

#include "Models.h"

#include <QList>
#include <QString>

namespace brevant {

struct SettingsRow {
    QString label;
    QString value;
    bool operator==(const SettingsRow&) const = default;
};

// "Enabled" or "Disabled".
QString enabledText(bool on);
// "Apple M2 (8 cores)": the count is never singularised.
QString cpuText(const CPUInfo& cpu);
// "63% used of 16 GB": whole GiB, truncated.
QString usageText(const ByteUsage& usage);

QList<SettingsRow> generalRows(const AppConfig& config);
// The ten fixed ports; redis is not shown.
QList<SettingsRow> portRows(const PortConfig& ports);
QList<SettingsRow> databaseRows(const DBConnection& connection);
QList<SettingsRow> credentialRows(const CredentialsData& credentials);
QList<SettingsRow> pathRows(const PathConfig& paths);
QList<SettingsRow> systemRows(const SystemInfo& info);

} // namespace brevant
