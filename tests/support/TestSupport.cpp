#include "TestSupport.h"

#include <QFile>
#include <QRegularExpression>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace brevant::test {

TempConfig::TempConfig(const QByteArray& token) {
    write(QByteArrayLiteral("{\"authToken\":\"") + token + QByteArrayLiteral("\",\"port\":19400}"));
}

void TempConfig::write(const QByteArray& contents) const {
    QFile f(path());
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(contents);
}

ConnectionSettings fastSettings(const QString& baseURL, const QString& configPath) {
    ConnectionSettings s;
    s.baseURL = baseURL;
    s.configPath = configPath;
    s.requestTimeout = std::chrono::milliseconds(5'000);
    s.pollInterval = std::chrono::milliseconds(100);
    s.reconnectDelay = std::chrono::milliseconds(150);
    s.launcherChecks = 20;
    s.launcherInterval = std::chrono::milliseconds(10);
    return s;
}

double peakResidentMiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    static const QRegularExpression peak(QStringLiteral("VmHWM:\\s*(\\d+) kB"));
    const auto match = peak.match(QString::fromLatin1(status.readAll()));
    return match.hasMatch() ? match.captured(1).toDouble() / 1024 : -1;
}

void resetPeakResident() {
#ifdef __GLIBC__
    malloc_trim(0); // what earlier tests freed goes back to the system, not into the next peak
#endif
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    if (refs.open(QIODevice::WriteOnly))
        refs.write("5"); // 5: reset the peak resident size to the current one
}

} // namespace brevant::test
