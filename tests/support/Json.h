#pragma once

// The daemon's replies as the tests serve them: the `data` members of the envelopes.

#include <QByteArray>
#include <QList>
#include <QMetaType>

namespace brevant::test {

// /status with the seven known services, alternating running and stopped, and two activity entries.
QByteArray sevenServicesJson();

// /status with `count` services named service-0, service-1 …, alternating running and stopped.
QByteArray manyServicesJson(int count);

struct Svc {
    const char* name;
    const char* status;
    int port = 0; // 0: no port
};
QByteArray statusJson(const QList<Svc>& services);

// /system/info; by default 16 GiB of memory at 63 %, 500 GB (decimal) of disk at 41 %, one core.
struct HostFigures {
    int cores = 1;
    QList<double> load{0.5};
    qint64 memTotal = 17179869184;
    qint64 memUsed = 1;
    int memPercent = 63;
    qint64 diskTotal = 500000000000;
    qint64 diskFree = 1;
    int diskPercent = 41;
};
QByteArray systemInfoJson(const HostFigures& figures = {});

// /config with the usual ports and folders.
struct ConfigValues {
    int daemonApi = 19400;
    int apacheHttp = 8080;
    int mailhogWeb = 8025;
    QByteArray webServer = "nginx";
    bool autoStart = false;
};
QByteArray configJson(const ConfigValues& values = {});

QByteArray projectJson(const QByteArray& id, const QByteArray& name, const QByteArray& webServer = "apache",
                       const QByteArray& php = "8.3", bool ssl = false);
QByteArray projectListJson(const QList<QByteArray>& projects);
// `count` projects p0, p1, … named project-0, project-1, …
QByteArray projectListJson(int count);

// /pro/dns with `count` entries 127.0.0.1 site-0.test, site-1.test, …
QByteArray hostsJson(int count);
// /pro/backups with `count` backups backup-0.tar.gz, … of 1536 bytes each, made 2024-03-05.
QByteArray backupsJson(int count);

QByteArray databaseJson();
QByteArray credentialsJson(const QByteArray& token, const QByteArray& password = "s3cret");

} // namespace brevant::test

Q_DECLARE_METATYPE(brevant::test::Svc)
