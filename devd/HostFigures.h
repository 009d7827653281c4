#pragma once

#include "DevdOptions.h"
#include "Models.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace brevant::devd {

// Real figures of the machine the stand-in runs on, for /system/info. The parsers take the
// text of the /proc files so that they can be checked on any input.
namespace procfs {
// The first "model name" (or "Hardware", "Processor", "cpu model") of /proc/cpuinfo.
QString cpuModel(const QByteArray& cpuinfo);
// The three load averages of /proc/loadavg; empty when the text is not one.
QList<double> loadAverages(const QByteArray& loadavg);
// Total and available bytes of /proc/meminfo (MemAvailable, or MemFree on old kernels).
std::optional<ByteUsage> memory(const QByteArray& meminfo);
// Whole seconds of /proc/uptime.
std::optional<qint64> uptimeSeconds(const QByteArray& uptime);
} // namespace procfs

// total, free and used with the used share in whole percent (0 for a zero total).
ByteUsage byteUsage(qint64 total, qint64 free);

class HostFigures {
public:
    // `dataDir` is the folder whose disk is reported. Looks up the Node.js version once,
    // waiting at most `nodeTimeoutMs`.
    explicit HostFigures(QString dataDir, FigureMode mode = FigureMode::Real, int nodeTimeoutMs = 2000);

    SystemInfo collect() const;
    // What one /system/info reply carries, after the figure mode.
    SystemInfo reply();
    const QString& nodeVersion() const { return m_nodeVersion; }

private:
    QString m_dataDir;
    FigureMode m_mode;
    std::optional<SystemInfo> m_snapshot;
    qint64 m_replies = 0;
    QString m_nodeVersion;
    OSInfo m_os;
    QString m_cpuModel;
};

} // namespace brevant::devd
