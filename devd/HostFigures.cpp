#include "HostFigures.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QSysInfo>
#include <QThread>

#include <sys/utsname.h>

#include <cmath>

namespace brevant::devd {

namespace procfs {

QString cpuModel(const QByteArray& cpuinfo) {
    static const QByteArrayList keys = {"model name", "Hardware", "Processor", "cpu model"};
    const QList<QByteArray> lines = cpuinfo.split('\n');
    for (const QByteArray& key : keys) {
        for (const QByteArray& line : lines) {
            const qsizetype colon = line.indexOf(':');
            if (colon < 0 || line.left(colon).trimmed() != key)
                continue;
            const QByteArray value = line.mid(colon + 1).trimmed();
            if (!value.isEmpty())
                return QString::fromUtf8(value);
        }
    }
    return {};
}

QList<double> loadAverages(const QByteArray& loadavg) {
    const QList<QByteArray> parts = loadavg.simplified().split(' ');
    if (parts.size() < 3)
        return {};
    QList<double> values;
    for (int i = 0; i < 3; ++i) {
        bool ok = false;
        const double v = parts[i].toDouble(&ok);
        if (!ok || !std::isfinite(v) || v < 0)
            return {};
        values.push_back(v);
    }
    return values;
}

std::optional<ByteUsage> memory(const QByteArray& meminfo) {
    std::optional<qint64> total, available, free;
    for (const QByteArray& line : meminfo.split('\n')) {
        const qsizetype colon = line.indexOf(':');
        if (colon < 0)
            continue;
        const QByteArray key = line.left(colon).trimmed();
        QList<QByteArray> value = line.mid(colon + 1).simplified().split(' ');
        bool ok = false;
        const qint64 number = value.front().toLongLong(&ok);
        if (!ok || number < 0)
            continue;
        const qint64 bytes = value.size() > 1 && value[1] == "kB" ? number * 1024 : number;
        if (key == "MemTotal")
            total = bytes;
        else if (key == "MemAvailable")
            available = bytes;
        else if (key == "MemFree")
            free = bytes;
    }
    if (!total || (!available && !free))
        return std::nullopt;
    return byteUsage(*total, available ? *available : *free);
}

std::optional<qint64> uptimeSeconds(const QByteArray& uptime) {
    bool ok = false;
    const double seconds = uptime.simplified().split(' ').front().toDouble(&ok);
    if (!ok || !std::isfinite(seconds) || seconds < 0)
        return std::nullopt;
    return static_cast<qint64>(seconds);
}

} // namespace procfs

ByteUsage byteUsage(qint64 total, qint64 free) {
    free = std::clamp<qint64>(free, 0, std::max<qint64>(total, 0));
    const qint64 used = total - free;
    const qint64 percent =
        total > 0 ? std::llround(static_cast<double>(used) * 100.0 / static_cast<double>(total)) : 0;
    return {total, free, used, percent};
}

namespace {

QByteArray readProc(const char* path) {
    QFile file(QString::fromLatin1(path));
    // /proc files report a size of 0; readAll reads them to their end anyway.
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

QString lookUpNodeVersion(int timeoutMs) {
    const QString node = QStandardPaths::findExecutable(QStringLiteral("node"));
    if (node.isEmpty())
        return QStringLiteral("not installed");
    QProcess process;
    process.start(node, {QStringLiteral("--version")});
    if (!process.waitForFinished(timeoutMs) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        process.kill();
        process.waitForFinished(500);
        return QStringLiteral("not installed");
    }
    const QString version = QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    return version.isEmpty() ? QStringLiteral("not installed") : version;
}

} // namespace

HostFigures::HostFigures(QString dataDir, FigureMode mode, int nodeTimeoutMs)
    : m_dataDir(std::move(dataDir)), m_mode(mode) {
    // Runs before the event loop starts: a short, bounded wait at start-up only.
    m_nodeVersion = lookUpNodeVersion(nodeTimeoutMs);
    struct utsname names {};
    if (::uname(&names) == 0) {
        m_os = {QString::fromUtf8(names.sysname).toLower(), QString::fromUtf8(names.release),
                QString::fromUtf8(names.machine), QString::fromUtf8(names.nodename)};
    } else {
        m_os = {QSysInfo::kernelType(), QSysInfo::kernelVersion(), QSysInfo::currentCpuArchitecture(),
                QSysInfo::machineHostName()};
    }
    m_cpuModel = procfs::cpuModel(readProc("/proc/cpuinfo"));
    if (m_cpuModel.isEmpty())
        m_cpuModel = QSysInfo::currentCpuArchitecture();
}

SystemInfo HostFigures::collect() const {
    SystemInfo info;
    info.os = m_os;
    info.cpu.model = m_cpuModel;
    info.cpu.cores = QThread::idealThreadCount();
    info.cpu.loadAverage = procfs::loadAverages(readProc("/proc/loadavg"));
    info.memory = procfs::memory(readProc("/proc/meminfo")).value_or(ByteUsage{});
    const QStorageInfo storage(m_dataDir);
    if (storage.isValid())
        info.disk = byteUsage(storage.bytesTotal(), storage.bytesAvailable());
    info.uptime = procfs::uptimeSeconds(readProc("/proc/uptime")).value_or(0);
    info.nodeVersion = m_nodeVersion;
    return info;
}

SystemInfo HostFigures::reply() {
    if (m_mode == FigureMode::Real)
        return collect();
    if (!m_snapshot)
        m_snapshot = collect();
    SystemInfo info = *m_snapshot;
    if (m_mode == FigureMode::Changing) {
        // Two whole percentages that differ from one reply to the next (the steps are not
        // multiples of the ranges), so a gauge has something new to show every time.
        const qint64 n = m_replies++;
        const qint64 cpuPercent = 10 + (n * 23) % 70;
        const qint64 memoryPercent = 20 + (n * 37) % 60;
        info.cpu.cores = std::max<qint64>(info.cpu.cores, 1);
        // Half a percent above, so the panel's truncating division lands on the whole percentage.
        const double load =
            static_cast<double>(info.cpu.cores) * (static_cast<double>(cpuPercent) + 0.5) / 100.0;
        info.cpu.loadAverage = {load, load, load};
        const qint64 total = std::max<qint64>(info.memory.total, 1024 * 1024 * 1024);
        const qint64 used = total / 100 * memoryPercent;
        info.memory = ByteUsage{total, total - used, used, memoryPercent};
    }
    return info;
}

} // namespace brevant::devd
