#pragma once

// A FakeDaemon, a configuration file and a client of both, plus the JSON the sections read.

#include "DaemonClient.h"
#include "FakeDaemon.h"
#include "TestSupport.h"

#include <QByteArray>
#include <QStringList>
#include <QtGlobal>

#include <memory>

// brevant-ui is a static library, so its compiled-in icons and fonts must be pulled in by name.
inline void initBrevantAssets() {
    Q_INIT_RESOURCE(brevant_assets);
}

namespace brevant::test {

struct SectionsFixture {
    FakeDaemon daemon;
    TempConfig config;
    std::unique_ptr<DaemonClient> client;

    SectionsFixture() {
        daemon.start();
        client = std::make_unique<DaemonClient>(fastSettings(daemon.baseURL(), config.path()), nullptr);
    }
};

inline QByteArray projectJson(const QByteArray& id, const QByteArray& name,
                              const QByteArray& webServer = "apache", const QByteArray& php = "8.3",
                              bool ssl = false) {
    return "{\"id\":\"" + id + "\",\"name\":\"" + name + "\",\"domain\":\"" + name +
           ".test\",\"documentRoot\":\"/www/" + name + "\",\"webServer\":\"" + webServer +
           "\",\"phpVersion\":\"" + php + "\",\"sslEnabled\":" + (ssl ? "true" : "false") + "}";
}

inline QByteArray projectListJson(const QList<QByteArray>& projects) {
    QByteArray out = "{\"projects\":[";
    for (qsizetype i = 0; i < projects.size(); ++i)
        out += (i ? "," : "") + projects[i];
    return out + "],\"count\":" + QByteArray::number(projects.size()) + "}";
}

inline QByteArray projectListJson(int count) {
    QList<QByteArray> list;
    for (int i = 0; i < count; ++i)
        list.push_back(projectJson("p" + QByteArray::number(i), "project-" + QByteArray::number(i)));
    return projectListJson(list);
}

inline QByteArray configJson(const QByteArray& webServer = "nginx", bool autoStart = false) {
    return "{\"version\":\"1.4.2\",\"defaultWebServer\":\"" + webServer +
           "\",\"defaultPhpVersion\":\"8.3\","
           "\"ports\":{\"apacheHttp\":8080,\"apacheHttps\":8443,\"nginxHttp\":8081,\"nginxHttps\":8444,"
           "\"mariadb\":3306,\"phpFpm\":9000,\"pm2Web\":9615,\"mailhogSmtp\":1025,\"mailhogWeb\":8025,"
           "\"daemonApi\":19400,\"redis\":6379},"
           "\"paths\":{\"wwwRoot\":\"/opt/brevant/www\",\"dataDir\":\"/opt/brevant/data\",\"logsDir\":"
           "\"/opt/brevant/logs\",\"confDir\":\"/opt/brevant/conf\",\"binDir\":\"/opt/brevant/bin\"},"
           "\"autoStart\":" +
           QByteArray(autoStart ? "true" : "false") + ",\"bindAddress\":\"127.0.0.1\"}";
}

inline QByteArray databaseJson() {
    return "{\"connection\":{\"host\":\"127.0.0.1\",\"port\":3306,\"user\":\"root\"}}";
}

inline QByteArray credentialsJson(const QByteArray& token, const QByteArray& password = "s3cret") {
    return "{\"authToken\":\"" + token + "\",\"mariadbRootPassword\":\"" + password + "\"}";
}

// 16 GiB of memory at 63 %, 500 GB (decimal) of disk at 41 %, one core.
inline QByteArray systemInfoJson(int memoryPercent = 63) {
    return "{\"os\":{\"platform\":\"darwin\",\"release\":\"23.1.0\",\"arch\":\"arm64\",\"hostname\":\"dev-"
           "mac\"},"
           "\"cpu\":{\"model\":\"Apple M2\",\"cores\":1,\"loadAverage\":[0.5]},"
           "\"memory\":{\"total\":17179869184,\"free\":1,\"used\":1,\"percentUsed\":" +
           QByteArray::number(memoryPercent) +
           "},"
           "\"disk\":{\"total\":500000000000,\"free\":1,\"used\":1,\"percentUsed\":41},"
           "\"uptime\":100,\"nodeVersion\":\"v20.11.0\"}";
}

} // namespace brevant::test
