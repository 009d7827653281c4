#include "Json.h"

namespace brevant::test {

namespace {
QByteArray n(qint64 v) {
    return QByteArray::number(v);
}
} // namespace

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
        json += "{\"name\":\"service-" + n(i) + "\",\"status\":\"" + (i % 2 ? "stopped" : "running") +
                "\",\"port\":" + n(10000 + i % 50000) + '}';
    }
    return json + "]}";
}

QByteArray statusJson(const QList<Svc>& services) {
    QByteArray out = "{\"services\":[";
    for (qsizetype i = 0; i < services.size(); ++i) {
        const Svc& s = services[i];
        if (i)
            out += ',';
        out += QByteArray("{\"name\":\"") + s.name + "\",\"status\":\"" + s.status + "\"";
        if (s.port)
            out += ",\"port\":" + n(s.port);
        out += '}';
    }
    return out + "]}";
}

QByteArray systemInfoJson(const HostFigures& f) {
    QByteArray loads;
    for (qsizetype i = 0; i < f.load.size(); ++i)
        loads += (i ? "," : "") + QByteArray::number(f.load[i]);
    return "{\"os\":{\"platform\":\"darwin\",\"release\":\"23.1.0\",\"arch\":\"arm64\",\"hostname\":\"dev-"
           "mac\"},"
           "\"cpu\":{\"model\":\"Apple M2\",\"cores\":" +
           n(f.cores) + ",\"loadAverage\":[" + loads + "]},\"memory\":{\"total\":" + n(f.memTotal) +
           ",\"free\":" + n(f.memTotal - f.memUsed) + ",\"used\":" + n(f.memUsed) +
           ",\"percentUsed\":" + n(f.memPercent) + "},\"disk\":{\"total\":" + n(f.diskTotal) +
           ",\"free\":" + n(f.diskFree) + ",\"used\":" + n(f.diskTotal - f.diskFree) +
           ",\"percentUsed\":" + n(f.diskPercent) + "},\"uptime\":100,\"nodeVersion\":\"v20.11.0\"}";
}

QByteArray configJson(const ConfigValues& v) {
    return "{\"version\":\"1.4.2\",\"defaultWebServer\":\"" + v.webServer +
           "\",\"defaultPhpVersion\":\"8.3\",\"ports\":{\"apacheHttp\":" + n(v.apacheHttp) +
           ",\"apacheHttps\":8443,\"nginxHttp\":8081,\"nginxHttps\":8444,\"mariadb\":3306,\"phpFpm\":9000,"
           "\"pm2Web\":9615,\"mailhogSmtp\":1025,\"mailhogWeb\":" +
           n(v.mailhogWeb) + ",\"daemonApi\":" + n(v.daemonApi) +
           ",\"redis\":6379},"
           "\"paths\":{\"wwwRoot\":\"/opt/brevant/www\",\"dataDir\":\"/opt/brevant/data\",\"logsDir\":"
           "\"/opt/brevant/logs\",\"confDir\":\"/opt/brevant/conf\",\"binDir\":\"/opt/brevant/bin\"},"
           "\"autoStart\":" +
           QByteArray(v.autoStart ? "true" : "false") + ",\"bindAddress\":\"127.0.0.1\"}";
}

QByteArray projectJson(const QByteArray& id, const QByteArray& name, const QByteArray& webServer,
                       const QByteArray& php, bool ssl) {
    return "{\"id\":\"" + id + "\",\"name\":\"" + name + "\",\"domain\":\"" + name +
           ".test\",\"documentRoot\":\"/www/" + name + "\",\"webServer\":\"" + webServer +
           "\",\"phpVersion\":\"" + php + "\",\"sslEnabled\":" + (ssl ? "true" : "false") + "}";
}

QByteArray projectListJson(const QList<QByteArray>& projects) {
    QByteArray out = "{\"projects\":[";
    for (qsizetype i = 0; i < projects.size(); ++i)
        out += (i ? "," : "") + projects[i];
    return out + "],\"count\":" + n(projects.size()) + "}";
}

QByteArray projectListJson(int count) {
    QList<QByteArray> list;
    for (int i = 0; i < count; ++i)
        list.push_back(projectJson("p" + n(i), "project-" + n(i)));
    return projectListJson(list);
}

QByteArray hostsJson(int count) {
    QByteArray out = "{\"entries\":[";
    for (int i = 0; i < count; ++i)
        out += QByteArray(i ? "," : "") + "{\"ip\":\"127.0.0.1\",\"hostname\":\"site-" + n(i) + ".test\"}";
    return out + "]}";
}

QByteArray backupsJson(int count) {
    QByteArray out = "{\"backups\":[";
    for (int i = 0; i < count; ++i)
        out += QByteArray(i ? "," : "") + "{\"name\":\"backup-" + n(i) +
               ".tar.gz\",\"size\":1536,\"created\":\"2024-03-05T10:20:30Z\"}";
    return out + "]}";
}

QByteArray databaseJson() {
    return "{\"connection\":{\"host\":\"127.0.0.1\",\"port\":3306,\"user\":\"root\"}}";
}

QByteArray credentialsJson(const QByteArray& token, const QByteArray& password) {
    return "{\"authToken\":\"" + token + "\",\"mariadbRootPassword\":\"" + password + "\"}";
}

} // namespace brevant::test
