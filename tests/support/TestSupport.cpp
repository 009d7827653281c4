#include "TestSupport.h"

#include <QFile>

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

} // namespace brevant::test
