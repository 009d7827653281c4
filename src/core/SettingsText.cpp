#include "SettingsText.h"

#include "TextRules.h"

namespace brevant {

namespace {
// Plain decimal: QString::number never groups digits.
QString decimal(qint64 n) {
    return QString::number(n);
}
SettingsRow row(const char* label, QString value) {
    return {QString::fromLatin1(label), std::move(value)};
}
} // namespace

QString enabledText(bool on) {
    return on ? QStringLiteral("Enabled") : QStringLiteral("Disabled");
}

QString cpuText(const CPUInfo& cpu) {
    return cpu.model + QStringLiteral(" (") + decimal(cpu.cores) + QStringLiteral(" cores)");
}

QString usageText(const ByteUsage& usage) {
    // Integer division truncates toward zero, so 500 GB of disk reads 465.
    constexpr qint64 gib = qint64(1) << 30;
    return decimal(usage.percentUsed) + QStringLiteral("% used of ") + decimal(usage.total / gib) +
           QStringLiteral(" GB");
}

QList<SettingsRow> generalRows(const AppConfig& c) {
    return {row("Version", c.version), row("Web Server", capitalized(c.defaultWebServer)),
            row("PHP Version", c.defaultPhpVersion), row("Bind Address", c.bindAddress),
            row("Auto-start", enabledText(c.autoStart))};
}

QList<SettingsRow> portRows(const PortConfig& p) {
    return {row("Apache HTTP", decimal(p.apacheHttp)), row("Apache HTTPS", decimal(p.apacheHttps)),
            row("Nginx HTTP", decimal(p.nginxHttp)),   row("Nginx HTTPS", decimal(p.nginxHttps)),
            row("MariaDB", decimal(p.mariadb)),        row("PHP-FPM", decimal(p.phpFpm)),
            row("PM2 Web", decimal(p.pm2Web)),         row("Mailhog SMTP", decimal(p.mailhogSmtp)),
            row("Mailhog Web", decimal(p.mailhogWeb)), row("Daemon API", decimal(p.daemonApi))};
}

QList<SettingsRow> databaseRows(const DBConnection& c) {
    return {row("Host", c.host), row("Port", decimal(c.port)), row("User", c.user)};
}

QList<SettingsRow> credentialRows(const CredentialsData& c) {
    return {row("Auth Token", c.authToken), row("MariaDB Root", c.mariadbRootPassword)};
}

QList<SettingsRow> pathRows(const PathConfig& p) {
    return {row("Web Root", p.wwwRoot), row("Data", p.dataDir), row("Logs", p.logsDir),
            row("Config", p.confDir), row("Binaries", p.binDir)};
}

QList<SettingsRow> systemRows(const SystemInfo& s) {
    return {
        row("Hostname", s.os.hostname),     row("Platform", s.os.platform + QLatin1Char(' ') + s.os.release),
        row("Architecture", s.os.arch),     row("CPU", cpuText(s.cpu)),
        row("Memory", usageText(s.memory)), row("Disk", usageText(s.disk)),
        row("Node.js", s.nodeVersion)};
}

} // namespace brevant
