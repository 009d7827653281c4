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

QByteArray sevenServicesJson() {
    return QByteArrayLiteral(
        "{\"services\":["
        "{\"name\":\"apache\",\"status\":\"running\",\"pid\":101,\"port\":8080,\"uptime\":360,\"cpu\":0.5,"
        "\"memory\":52428800},"
        "{\"name\":\"nginx\",\"status\":\"stopped\",\"port\":8081},"
        "{\"name\":\"mariadb\",\"status\":\"running\",\"pid\":103,\"port\":3306,\"uptime\":360,\"cpu\":1.25,"
        "\"memory\":104857600},"
        "{\"name\":\"php-fpm\",\"status\":\"running\",\"pid\":104,\"port\":9000},"
        "{\"name\":\"pm2\",\"status\":\"stopped\",\"port\":9615},"
        "{\"name\":\"mailhog\",\"status\":\"running\",\"pid\":106,\"port\":8025},"
        "{\"name\":\"redis\",\"status\":\"stopped\",\"error\":\"exited\"}],"
        "\"activity\":["
        "{\"id\":1,\"action\":\"start\",\"service\":\"apache\",\"created_at\":\"2026-12-09T05:00:00Z\"},"
        "{\"id\":2,\"action\":\"stop\",\"service\":\"redis\",\"details\":\"by "
        "user\",\"created_at\":\"2026-12-09T05:01:00Z\"}]}");
}

QByteArray manyServicesJson(int count) {
    QByteArray json = "{\"services\":[";
    for (int i = 0; i < count; ++i) {
        if (i)
            json += ',';
        json += "{\"name\":\"service-" + QByteArray::number(i) + "\",\"status\":\"" +
                (i % 2 ? "stopped" : "running") + "\",\"port\":" + QByteArray::number(10000 + i % 50000) +
                '}';
    }
    return json + "]}";
}

QByteArray sampleSystemInfoJson() {
    return QByteArrayLiteral(
        "{\"os\":{\"platform\":\"linux\",\"release\":\"6.1\",\"arch\":\"x64\",\"hostname\":\"h\"},"
        "\"cpu\":{\"model\":\"m\",\"cores\":8,\"loadAverage\":[1.5,1.0,0.9]},"
        "\"memory\":{\"total\":17179869184,\"free\":4294967296,\"used\":12884901888,\"percentUsed\":75},"
        "\"disk\":{\"total\":500000000000,\"free\":212000000000,\"used\":288000000000,\"percentUsed\":58},"
        "\"uptime\":1000,\"nodeVersion\":\"v20.1.0\"}");
}

QByteArray sampleConfigJson() {
    return QByteArrayLiteral(
        "{\"version\":\"1.2.0\",\"defaultWebServer\":\"nginx\",\"defaultPhpVersion\":\"8.3\","
        "\"ports\":{\"apacheHttp\":8080,\"apacheHttps\":8443,\"nginxHttp\":8081,\"nginxHttps\":8444,"
        "\"mariadb\":3306,\"phpFpm\":9000,\"pm2Web\":9615,\"mailhogSmtp\":1025,\"mailhogWeb\":8025,"
        "\"daemonApi\":19400,\"redis\":6379},"
        "\"paths\":{\"wwwRoot\":\"/opt/brevant/www\",\"dataDir\":\"/d\",\"logsDir\":\"/l\",\"confDir\":\"/"
        "c\",\"binDir\":\"/b\"},"
        "\"autoStart\":true,\"bindAddress\":\"127.0.0.1\"}");
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
