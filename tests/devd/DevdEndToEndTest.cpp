// The stand-in daemon driven by the panel's own client over loopback: every client operation
// must succeed and decode, and the daemon must keep its promises about tokens, state and paths.

#include "DevdTestSupport.h"

#include "DevdConfig.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QTcpSocket>
#include <QTest>
#include <QThread>
#include <QWebSocket>

#include <QCoroTask>

using namespace brevant;
using namespace brevant::devd;
using namespace brevant::devd::test;

namespace {

const QStringList kServiceOrder = {"apache", "nginx", "mariadb", "php-fpm", "pm2", "mailhog", "redis"};

QStringList namesOf(const QList<ServiceStatus>& services) {
    QStringList names;
    for (const ServiceStatus& s : services)
        names << s.name;
    return names;
}

const ServiceStatus* find(const QList<ServiceStatus>& services, const QString& name) {
    for (const ServiceStatus& s : services) {
        if (s.name == name)
            return &s;
    }
    return nullptr;
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Opens a WebSocket to the daemon with `authorization` and waits until it is open or refused.
struct SocketAttempt {
    std::unique_ptr<QWebSocket> socket = std::make_unique<QWebSocket>();
    bool connected = false;
    QString error;
};

std::unique_ptr<SocketAttempt> openSocket(const TestDaemon& d, const QString& path,
                                          std::optional<QByteArray> authorization) {
    auto attempt = std::make_unique<SocketAttempt>();
    QNetworkRequest request(QUrl(QStringLiteral("ws://127.0.0.1:%1%2").arg(d.port()).arg(path)));
    if (authorization)
        request.setRawHeader("Authorization", *authorization);
    QWebSocket* s = attempt->socket.get();
    QSignalSpy connected(s, &QWebSocket::connected);
    QSignalSpy failed(s, qOverload<QAbstractSocket::SocketError>(&QWebSocket::error));
    QSignalSpy closed(s, &QWebSocket::disconnected);
    s->open(request);
    QElapsedTimer clock;
    clock.start();
    while (connected.size() + failed.size() + closed.size() == 0 && clock.elapsed() < 5000)
        QTest::qWait(5);
    attempt->connected = !connected.isEmpty() && s->state() == QAbstractSocket::ConnectedState;
    attempt->error = s->errorString();
    return attempt;
}

// Sends `head` as it stands on a fresh connection and returns the status of the answer (0: none).
int statusOfRawRequest(quint16 port, const QByteArray& head) {
    QTcpSocket socket;
    socket.connectToHost(QStringLiteral("127.0.0.1"), port);
    if (!socket.waitForConnected(2000))
        return 0;
    socket.write(head);
    QElapsedTimer clock;
    clock.start();
    QByteArray answer;
    while (!answer.contains("\r\n") && clock.elapsed() < 3000) {
        QTest::qWait(5);
        answer += socket.readAll();
    }
    return answer.startsWith("HTTP/1.1 ") ? answer.mid(9, 3).toInt() : 0;
}

} // namespace

class DevdEndToEndTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void statusAndServiceControl();
    void hostFiguresAreReal();
    void logsCarryEveryAction();
    void projectsCreateListDelete();
    void configurationCredentialsDatabase();
    void gitCloneOfLocalRepository();
    void cmsInstallCreatesProjectWithNotice();
    void hostsListAndAdd();
    void backupsCreateListRestore();

    void wrongOrMissingTokenIsRefused();
    void webSocketUpgradeNeedsToken();
    void webSocketSignalsEveryKindOfChange();
    void stateSurvivesRestart();
    void pathTraversalIsRefused();
    void projectRequestsAreValidated();
    void hostsEntriesAreValidated();
    void unknownRoutesAndMethods();
    void faultSwitches();
    void requestLogNeverShowsToken();
    void programStartsOnEphemeralPortAndGuardsForeignConfig();

private:
    std::unique_ptr<TestDaemon> m_daemon;
    std::unique_ptr<DaemonClient> m_client;
};

void DevdEndToEndTest::init() {
    m_daemon = std::make_unique<TestDaemon>();
    QString why;
    QVERIFY2(m_daemon->start(&why), qPrintable(why));
    m_client = m_daemon->client();
}

void DevdEndToEndTest::cleanup() {
    m_client.reset();
    m_daemon.reset();
}

void DevdEndToEndTest::statusAndServiceControl() {
    DaemonClient& c = *m_client;
    QCoro::waitFor(c.fetchStatus());
    QVERIFY(c.isConnected());
    QCOMPARE(namesOf(c.services()), kServiceOrder);
    for (const ServiceStatus& s : c.services()) {
        QCOMPARE(s.status, QStringLiteral("stopped")); // a fresh stand-in starts with nothing running
        QVERIFY(s.port.has_value());
        QVERIFY(!s.pid.has_value()); // nothing runs, so there is no process to name
    }
    QCOMPARE(find(c.services(), "mariadb")->port, std::optional<qint64>(3306));
    QCOMPARE(find(c.services(), "redis")->port, std::optional<qint64>(6379));

    QCoro::waitFor(c.startService("apache"));
    QVERIFY(find(c.services(), "apache")->isRunning());
    QCOMPARE(find(c.services(), "apache")->uptime, std::optional<qint64>(0));
    QVERIFY(!find(c.services(), "nginx")->isRunning());

    QCoro::waitFor(c.restartService("redis"));
    QVERIFY(find(c.services(), "redis")->isRunning());
    QCoro::waitFor(c.stopService("apache"));
    QVERIFY(!find(c.services(), "apache")->isRunning());
    QVERIFY(!find(c.services(), "apache")->uptime.has_value());

    QCoro::waitFor(c.startAll());
    for (const ServiceStatus& s : c.services())
        QVERIFY2(s.isRunning(), qPrintable(s.name));
    QCoro::waitFor(c.stopAll());
    for (const ServiceStatus& s : c.services())
        QVERIFY2(!s.isRunning(), qPrintable(s.name));

    // The actions are listed newest first, with ISO 8601 times.
    const auto status = json::decode<APIResponse<StatusData>>(m_daemon->raw("GET", "/api/status").body);
    QVERIFY(status && status->data && status->data->activity);
    const QList<ActivityEntry>& activity = *status->data->activity;
    QCOMPARE(activity.size(), 5);
    QCOMPARE(activity[0].action, QStringLiteral("stop-all"));
    QCOMPARE(activity[4].action, QStringLiteral("start"));
    QCOMPARE(activity[4].service, std::optional<QString>(QStringLiteral("apache")));
    QVERIFY(activity[0].id > activity[4].id);
    QVERIFY(QDateTime::fromString(activity[0].created_at, Qt::ISODateWithMs).isValid());

    QCOMPARE(m_daemon->raw("POST", "/api/services/postgres/start").status, 404);
    QCOMPARE(m_daemon->raw("POST", "/api/services/Apache/stop").status, 404);
}

void DevdEndToEndTest::hostFiguresAreReal() {
    QCoro::waitFor(m_client->fetchSystemInfo());
    QVERIFY(m_client->systemInfo().has_value());
    const SystemInfo& info = *m_client->systemInfo();
    QCOMPARE(info.os.platform, QStringLiteral("linux"));
    QCOMPARE(info.os.hostname, QSysInfo::machineHostName());
    QVERIFY(!info.os.release.isEmpty() && !info.os.arch.isEmpty());
    QCOMPARE(info.cpu.cores, qint64(QThread::idealThreadCount()));
    QCOMPARE(info.cpu.loadAverage.size(), 3);
    QVERIFY(info.memory.total > 0);
    QCOMPARE(info.memory.used + info.memory.free, info.memory.total);
    QVERIFY(info.memory.percentUsed >= 0 && info.memory.percentUsed <= 100);
    const QStorageInfo disk(m_daemon->dataDir());
    QCOMPARE(info.disk.total, disk.bytesTotal());
    QVERIFY(info.uptime > 0);
    const bool hasNode = !QStandardPaths::findExecutable(QStringLiteral("node")).isEmpty();
    if (hasNode)
        QVERIFY2(info.nodeVersion.startsWith(u'v'), qPrintable(info.nodeVersion));
    else
        QCOMPARE(info.nodeVersion, QStringLiteral("not installed"));
}

void DevdEndToEndTest::logsCarryEveryAction() {
    DaemonClient& c = *m_client;
    QCoro::waitFor(c.startService("nginx"));
    QCoro::waitFor(c.restartService("nginx"));
    QCoro::waitFor(c.stopService("nginx"));
    const QString all = QCoro::waitFor(c.fetchLogs("nginx", 100));
    const QStringList lines = all.split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 4);
    QVERIFY(lines[1].contains(QStringLiteral("[nginx] started")));
    QVERIFY(lines[2].contains(QStringLiteral("restarted")));
    QVERIFY(lines[3].contains(QStringLiteral("stopped")));
    // Each line starts with its ISO 8601 time.
    QVERIFY(QDateTime::fromString(lines[3].section(u' ', 0, 0), Qt::ISODateWithMs).isValid());

    const QString last = QCoro::waitFor(c.fetchLogs("nginx", 2));
    QCOMPARE(last.split(u'\n', Qt::SkipEmptyParts), lines.mid(2));

    const auto raw =
        json::decode<APIResponse<LogData>>(m_daemon->raw("GET", "/api/services/nginx/logs?lines=1").body);
    QVERIFY(raw && raw->data);
    QCOMPARE(raw->data->service, QStringLiteral("nginx"));
    QCOMPARE(raw->data->logPath, m_daemon->dataDir() + "/logs/nginx.log");
    QCOMPARE(m_daemon->raw("GET", "/api/services/nginx/logs?lines=-1").status, 400);
    QCOMPARE(m_daemon->raw("GET", "/api/services/nginx/logs?lines=many").status, 400);
    QCOMPARE(m_daemon->raw("GET", "/api/services/tomcat/logs?lines=1").status, 404);
    QVERIFY(QCoro::waitFor(c.fetchLogs("tomcat", 5)).startsWith(QStringLiteral("Failed to load logs: ")));
}

void DevdEndToEndTest::projectsCreateListDelete() {
    DaemonClient& c = *m_client;
    QVERIFY(QCoro::waitFor(c.createProject({"shop", "shop.test", "nginx", "8.2", false, false})));
    QVERIFY(QCoro::waitFor(c.createProject({"blog", "blog.test", "apache", "8.3", true, true})));
    QCOMPARE(c.projects().size(), 2);
    const Project shop = c.projects()[0];
    QCOMPARE(shop.webServer, QStringLiteral("nginx"));
    QCOMPARE(shop.documentRoot, m_daemon->dataDir() + "/www/shop");
    QVERIFY(QFileInfo(shop.documentRoot).isDir());
    QVERIFY(QRegularExpression("^[0-9a-f]{16}$").match(shop.id).hasMatch());
    QVERIFY(shop.createdAt && QDateTime::fromString(*shop.createdAt, Qt::ISODateWithMs).isValid());
    QVERIFY(!shop.databaseName.has_value());
    QCOMPARE(c.projects()[1].databaseName, std::optional<QString>(QStringLiteral("blog")));
    QVERIFY(c.projects()[1].sslEnabled);

    // The list the daemon keeps is the one the client built.
    const QList<Project> built = c.projects();
    QCoro::waitFor(c.fetchProjects());
    QCOMPARE(c.projects(), built);
    const auto listed = json::decode<APIResponse<ProjectListData>>(m_daemon->raw("GET", "/api/vhosts").body);
    QCOMPARE(listed->data->count, 2);

    QVERIFY(QCoro::waitFor(c.deleteProject(shop.id)));
    QCoro::waitFor(c.fetchProjects());
    QCOMPARE(c.projects().size(), 1);
    QCOMPARE(c.projects()[0].name, QStringLiteral("blog"));
    QVERIFY(QFileInfo(shop.documentRoot).isDir()); // forgotten, not erased
    QVERIFY(!QCoro::waitFor(c.deleteProject(shop.id)));
    QCOMPARE(m_daemon->raw("DELETE", "/api/vhosts/" + shop.id).status, 404);
}

void DevdEndToEndTest::configurationCredentialsDatabase() {
    DaemonClient& c = *m_client;
    QCoro::waitFor(c.fetchConfig());
    QVERIFY(c.appConfig().has_value());
    const AppConfig& config = *c.appConfig();
    QCOMPARE(config.ports.daemonApi, qint64(m_daemon->port()));
    QCOMPARE(config.ports.apacheHttp, 8080);
    QCOMPARE(config.ports.mailhogWeb, 8025);
    QCOMPARE(config.ports.redis, std::optional<qint64>(6379));
    QCOMPARE(config.defaultWebServer, QStringLiteral("apache"));
    QCOMPARE(config.bindAddress, QStringLiteral("127.0.0.1"));
    QVERIFY(!config.autoStart);
    QCOMPARE(config.paths.dataDir, m_daemon->dataDir());
    for (const QString& dir :
         {config.paths.wwwRoot, config.paths.logsDir, config.paths.confDir, config.paths.binDir}) {
        QVERIFY2(dir.startsWith(m_daemon->dataDir() + u'/'), qPrintable(dir));
        QVERIFY2(QFileInfo(dir).isDir(), qPrintable(dir));
    }

    QCoro::waitFor(c.fetchCredentials());
    QVERIFY(c.credentials().has_value());
    QCOMPARE(c.credentials()->authToken, c.authToken());
    QVERIFY(c.credentials()->mariadbRootPassword.size() >= 16);
    QVERIFY(c.credentials()->mariadbRootPassword != c.authToken());
    const QString secrets = m_daemon->dataDir() + "/state/secrets.json";
    QCOMPARE(QFile::permissions(secrets) & QFileDevice::Permissions(0x0077), QFileDevice::Permissions());

    QCoro::waitFor(c.fetchDatabaseInfo());
    QCOMPARE(c.dbConnection(), std::optional<DBConnection>(DBConnection{"127.0.0.1", 3306, "root"}));
}

void DevdEndToEndTest::gitCloneOfLocalRepository() {
    const QString repo = m_daemon->scratch() + "/site-repo";
    QString why;
    QVERIFY2(makeRepository(repo, &why), qPrintable(why));

    // No name: taken from the last path component.
    const Result<GitCloneResult> cloned = QCoro::waitFor(m_client->gitClone(repo, std::nullopt));
    QVERIFY2(cloned.ok(), qPrintable(cloned.ok() ? QString() : cloned.error().description));
    QCOMPARE(cloned.value().projectName, QStringLiteral("site-repo"));
    QCOMPARE(cloned.value().path, m_daemon->dataDir() + "/www/site-repo");
    QVERIFY(QFileInfo(cloned.value().path + "/.git").isDir());
    QCOMPARE(readFile(cloned.value().path + "/index.php"), QByteArray("<?php echo 'hi';\n"));

    // A file:// URL with a name of its own.
    const Result<GitCloneResult> named =
        QCoro::waitFor(m_client->gitClone("file://" + repo, QStringLiteral("copy")));
    QVERIFY(named.ok());
    QCoro::waitFor(m_client->fetchProjects());
    QCOMPARE(m_client->projects().size(), 2);
    QCOMPARE(m_client->projects()[1].domain, QStringLiteral("copy.test"));
    QCOMPARE(m_client->projects()[1].documentRoot, named.value().path);
    // A name that is no host name still gets a domain that is one.
    QVERIFY(QCoro::waitFor(m_client->gitClone(repo, QStringLiteral("My_Site"))).ok());
    QCoro::waitFor(m_client->fetchProjects());
    QCOMPARE(m_client->projects().back().domain, QStringLiteral("my-site.test"));

    // Two clones to one name at once: the second is refused while the first still runs.
    auto first = m_client->gitClone(repo, QStringLiteral("twin"));
    auto second = m_client->gitClone(repo, QStringLiteral("twin"));
    const Result<GitCloneResult> firstDone = QCoro::waitFor(std::move(first));
    const Result<GitCloneResult> secondDone = QCoro::waitFor(std::move(second));
    QCOMPARE(int(firstDone.ok()) + int(secondDone.ok()), 1);
    QCOMPARE((firstDone.ok() ? secondDone : firstDone).error().code, 409);

    // The same name again conflicts; a repository that is not there is git's failure.
    const Result<GitCloneResult> again = QCoro::waitFor(m_client->gitClone(repo, std::nullopt));
    QVERIFY(!again.ok());
    QCOMPARE(again.error().code, 409);
    const RawReply missing = m_daemon->raw(
        "POST", "/api/pro/git/clone", "{\"url\":\"" + (m_daemon->scratch() + "/nowhere").toUtf8() + "\"}");
    QCOMPARE(missing.status, 500);
    QCOMPARE(missing.errorCode(), std::optional<QString>(QStringLiteral("GIT_CLONE_FAILED")));
    QVERIFY2(missing.body.contains("does not exist") || missing.body.contains("not a git repository") ||
                 missing.body.contains("nowhere"),
             missing.body.constData());
    QVERIFY(!QFileInfo::exists(m_daemon->dataDir() + "/www/nowhere"));
    QCOMPARE(m_daemon->raw("POST", "/api/pro/git/clone", "{\"url\":\"--upload-pack=touch /tmp/x\"}").status,
             400);
}

void DevdEndToEndTest::cmsInstallCreatesProjectWithNotice() {
    const Result<CMSInstallResult> installed = QCoro::waitFor(m_client->cmsInstall("wordpress", "press"));
    QVERIFY(installed.ok());
    QCOMPARE(installed.value().cms, QStringLiteral("wordpress"));
    QCOMPARE(installed.value().name, QStringLiteral("press"));
    QVERIFY(installed.value().message.contains(QStringLiteral("downloads nothing")));
    const QByteArray notice = readFile(installed.value().path + "/BREVANT-DEVD-NOTICE.txt");
    QVERIFY(notice.contains("WordPress"));
    QCoro::waitFor(m_client->fetchProjects());
    QCOMPARE(m_client->projects().size(), 1);
    QCOMPARE(m_client->projects()[0].domain, QStringLiteral("press.test"));
    QCOMPARE(m_client->projects()[0].documentRoot, installed.value().path);

    QCOMPARE(QCoro::waitFor(m_client->cmsInstall("joomla", "x")).error().code, 400);
    QCOMPARE(QCoro::waitFor(m_client->cmsInstall("laravel", "press")).error().code, 409);
    QCOMPARE(QCoro::waitFor(m_client->cmsInstall("drupal", "")).error().code, 400);
}

void DevdEndToEndTest::hostsListAndAdd() {
    const Result<QList<DNSEntry>> initial = QCoro::waitFor(m_client->fetchDNS());
    QVERIFY(initial.ok());
    QVERIFY(initial.value().contains(DNSEntry{"127.0.0.1", "localhost"}));
    QVERIFY(QCoro::waitFor(m_client->addDNS("127.0.0.1", "shop.test")).ok());
    QVERIFY(QCoro::waitFor(m_client->addDNS("::1", "api.shop.test")).ok());
    const Result<QList<DNSEntry>> after = QCoro::waitFor(m_client->fetchDNS());
    QCOMPARE(after.value().size(), initial.value().size() + 2);
    QCOMPARE(after.value().back(), (DNSEntry{"::1", "api.shop.test"}));
    // It is the stand-in's own hosts file that changed.
    QVERIFY(readFile(m_daemon->dataDir() + "/hosts").contains("127.0.0.1\tshop.test\n"));
    QVERIFY(!readFile("/etc/hosts").contains("api.shop.test"));
}

void DevdEndToEndTest::backupsCreateListRestore() {
    const QString site = m_daemon->dataDir() + "/www/site";
    QVERIFY(QCoro::waitFor(m_client->createProject({"site", "site.test", "apache", "8.3", false, false})));
    QString why;
    QVERIFY(writeFileAtomically(site + "/index.php", "version 1", false, &why));

    QVERIFY(QCoro::waitFor(m_client->fetchBackups()).value().isEmpty());
    const Result<BackupResult> made = QCoro::waitFor(m_client->createBackup());
    QVERIFY(made.ok());
    const Result<BackupResult> second = QCoro::waitFor(m_client->createBackup());
    QVERIFY(second.ok());
    const QList<BackupEntry> backups = QCoro::waitFor(m_client->fetchBackups()).value();
    QCOMPARE(backups.size(), 2);
    QVERIFY(backups[0].name != backups[1].name); // two in one second still get their own names
    for (const BackupEntry& b : backups) {
        QVERIFY2(BackupStore::isBackupName(b.name), qPrintable(b.name));
        QCOMPARE(b.size, QFileInfo(m_daemon->dataDir() + "/backups/" + b.name).size());
        QVERIFY(b.size > 0);
        QVERIFY(QDateTime::fromString(b.created, Qt::ISODateWithMs).isValid());
        QVERIFY(made.value().message.contains(backups[1].name) || second.value().message.contains(b.name));
    }
    QVERIFY(QDateTime::fromString(backups[0].created, Qt::ISODateWithMs) >=
            QDateTime::fromString(backups[1].created, Qt::ISODateWithMs));

    // The archive is real: a restore brings back what was saved and drops what came after.
    QVERIFY(writeFileAtomically(site + "/index.php", "version 2", false, &why));
    QVERIFY(writeFileAtomically(site + "/later.txt", "new", false, &why));
    const Result<BackupResult> restored = QCoro::waitFor(m_client->restoreBackup(backups[1].name));
    QVERIFY2(restored.ok(), qPrintable(restored.ok() ? QString() : restored.error().description));
    QCOMPARE(readFile(site + "/index.php"), QByteArray("version 1"));
    QVERIFY(!QFileInfo::exists(site + "/later.txt"));
    // Nothing of the restore is left lying beside www/.
    const QStringList leftovers =
        QDir(m_daemon->dataDir()).entryList({".restore-*", ".replaced-*"}, QDir::AllEntries | QDir::Hidden);
    QVERIFY2(leftovers.isEmpty(), qPrintable(leftovers.join(u',')));

    QCOMPARE(m_daemon->raw("POST", "/api/pro/backup/create", "[1]").status, 400);
}

void DevdEndToEndTest::wrongOrMissingTokenIsRefused() {
    const QString foreign = writeForeignConfig(m_daemon->scratch(), "not-the-token");
    const std::unique_ptr<DaemonClient> stranger = m_daemon->client(foreign);
    QCoro::waitFor(stranger->fetchStatus());
    QVERIFY(!stranger->isConnected());
    const Result<QList<BackupEntry>> backups = QCoro::waitFor(stranger->fetchBackups());
    QVERIFY(!backups.ok());
    QCOMPARE(backups.error().code, 401);
    QVERIFY(!QCoro::waitFor(stranger->createProject({"x", "x.test", "apache", "8.3", false, false})));
    QCoro::waitFor(stranger->startService("apache"));
    QCoro::waitFor(m_client->fetchStatus());
    QVERIFY(!find(m_client->services(), "apache")->isRunning()); // the refused start changed nothing

    const RawReply none = m_daemon->raw("GET", "/api/status", {}, std::nullopt);
    QCOMPARE(none.status, 401);
    QCOMPARE(none.errorCode(), std::optional<QString>(QStringLiteral("UNAUTHORIZED")));
    QCOMPARE(m_daemon->raw("GET", "/api/status", {}, "Basic " + m_daemon->token().toUtf8()).status, 401);
    QCOMPARE(m_daemon->raw("GET", "/api/status", {}, "Bearer " + m_daemon->token().toUtf8() + "x").status,
             401);
    QCOMPARE(m_daemon->raw("GET", "/api/status", {}, "Bearer").status, 401);
    // Unknown paths answer 401 too: nothing is revealed without the token.
    QCOMPARE(m_daemon->raw("GET", "/api/nothing", {}, std::nullopt).status, 401);
    QCOMPARE(m_daemon->raw("GET", "/api/status").status, 200);
}

void DevdEndToEndTest::webSocketUpgradeNeedsToken() {
    const auto wrong = openSocket(*m_daemon, "/ws", "Bearer nope");
    QVERIFY(!wrong->connected);
    QVERIFY2(wrong->error.contains(QStringLiteral("401")), qPrintable(wrong->error));
    const auto none = openSocket(*m_daemon, "/ws", std::nullopt);
    QVERIFY(!none->connected);
    QVERIFY2(none->error.contains(QStringLiteral("401")), qPrintable(none->error));
    const auto elsewhere = openSocket(*m_daemon, "/api/status", "Bearer " + m_daemon->token().toUtf8());
    QVERIFY(!elsewhere->connected);

    const auto good = openSocket(*m_daemon, "/ws", "Bearer " + m_daemon->token().toUtf8());
    QVERIFY2(good->connected, qPrintable(good->error));
}

void DevdEndToEndTest::webSocketSignalsEveryKindOfChange() {
    const auto open = openSocket(*m_daemon, "/ws", "Bearer " + m_daemon->token().toUtf8());
    QVERIFY(open->connected);
    QSignalSpy messages(open->socket.get(), &QWebSocket::textMessageReceived);
    auto expectEvent = [&](const char* event) {
        QTRY_COMPARE_WITH_TIMEOUT(messages.size(), 1, 3000);
        QCOMPARE(messages.takeFirst().at(0).toString(), QStringLiteral("{\"event\":\"%1\"}").arg(event));
    };

    QCoro::waitFor(m_client->startService("pm2"));
    expectEvent("services");
    QVERIFY(QCoro::waitFor(m_client->createProject({"p", "p.test", "apache", "8.3", false, false})));
    expectEvent("projects");
    QVERIFY(QCoro::waitFor(m_client->addDNS("127.0.0.1", "p.test")).ok());
    expectEvent("hosts");
    QVERIFY(QCoro::waitFor(m_client->createBackup()).ok());
    expectEvent("backups");
    // A refused change is no change.
    QVERIFY(!QCoro::waitFor(m_client->addDNS("127.0.0.1", "p.test")).ok());
    QCoro::waitFor(m_client->fetchStatus());
    QTest::qWait(50);
    QCOMPARE(messages.size(), 0);

    // The client's own live channel connects and refreshes on those messages.
    QSignalSpy servicesChanged(m_client.get(), &DaemonClient::servicesChanged);
    m_client->connectWebSocket();
    QTRY_VERIFY_WITH_TIMEOUT(m_daemon->logLines().filter(QRegularExpression("^GET /ws 101")).size() == 2,
                             3000);
    m_daemon->raw("POST", "/api/services/mailhog/start");
    QTRY_VERIFY_WITH_TIMEOUT(
        find(m_client->services(), "mailhog") && find(m_client->services(), "mailhog")->isRunning(), 3000);
}

void DevdEndToEndTest::stateSurvivesRestart() {
    DaemonClient& c = *m_client;
    QCoro::waitFor(c.startService("mariadb"));
    QVERIFY(QCoro::waitFor(c.createProject({"keep", "keep.test", "nginx", "8.2", false, false})));
    QVERIFY(QCoro::waitFor(c.addDNS("10.1.2.3", "keep.test")).ok());
    QVERIFY(QCoro::waitFor(c.createBackup()).ok());
    QCoro::waitFor(c.fetchCredentials());
    const CredentialsData credentials = *c.credentials();
    const QList<Project> projects = c.projects();
    const QString log = QCoro::waitFor(c.fetchLogs("mariadb", 50));

    QString why;
    QVERIFY2(m_daemon->restart(&why), qPrintable(why));
    const std::unique_ptr<DaemonClient> after = m_daemon->client();
    QCoro::waitFor(after->fetchStatus());
    QVERIFY(after->isConnected());
    QVERIFY(find(after->services(), "mariadb")->isRunning());
    QVERIFY(!find(after->services(), "apache")->isRunning());
    QCoro::waitFor(after->fetchProjects());
    QCOMPARE(after->projects(), projects);
    QVERIFY(QCoro::waitFor(after->fetchDNS()).value().contains(DNSEntry{"10.1.2.3", "keep.test"}));
    QCOMPARE(QCoro::waitFor(after->fetchBackups()).value().size(), 1);
    QCoro::waitFor(after->fetchCredentials());
    QCOMPARE(*after->credentials(), credentials); // same token, same password
    QCOMPARE(QCoro::waitFor(after->fetchLogs("mariadb", 50)), log);
    const auto status = json::decode<APIResponse<StatusData>>(m_daemon->raw("GET", "/api/status").body);
    QCOMPARE(status->data->activity->size(), 4);
}

void DevdEndToEndTest::pathTraversalIsRefused() {
    QVERIFY(QCoro::waitFor(m_client->createBackup()).ok());
    const QString hostsBefore = QString::fromUtf8(readFile(m_daemon->dataDir() + "/hosts"));
    QCOMPARE(QCoro::waitFor(m_client->restoreBackup("../hosts")).error().code, 400);
    QCOMPARE(QCoro::waitFor(m_client->restoreBackup("/etc/passwd")).error().code, 400);
    QCOMPARE(QCoro::waitFor(m_client->restoreBackup("..")).error().code, 400);
    QCOMPARE(QCoro::waitFor(m_client->restoreBackup("")).error().code, 400);
    QCOMPARE(QCoro::waitFor(m_client->restoreBackup("backup-20000101-000000.tar.gz")).error().code, 404);
    // A file of the backups folder that is not a backup is not restored either.
    QString why;
    QVERIFY(writeFileAtomically(m_daemon->dataDir() + "/backups/notes.tar.gz", "x", false, &why));
    QCOMPARE(QCoro::waitFor(m_client->restoreBackup("notes.tar.gz")).error().code, 404);
    QCOMPARE(QString::fromUtf8(readFile(m_daemon->dataDir() + "/hosts")), hostsBefore);

    QVERIFY(
        QCoro::waitFor(m_client->createProject({"victim", "victim.test", "apache", "8.3", false, false})));
    QCOMPARE(m_daemon->raw("DELETE", "/api/vhosts/..%2F..%2Fstate").status, 400);
    QCOMPARE(m_daemon->raw("DELETE", "/api/vhosts/..").status,
             404); // normalised away by the URL, never an id
    QCoro::waitFor(m_client->fetchProjects());
    QCOMPARE(m_client->projects().size(), 1);

    const QString repo = m_daemon->scratch() + "/repo";
    QVERIFY2(makeRepository(repo, &why), qPrintable(why));
    for (const QString& name : {QStringLiteral("../escape"), QStringLiteral(".."), QStringLiteral("."),
                                QStringLiteral("a/b"), QStringLiteral(" ")}) {
        const Result<GitCloneResult> r = QCoro::waitFor(m_client->gitClone(repo, name));
        QVERIFY2(!r.ok() && r.error().code == 400, qPrintable(name));
    }
    QCOMPARE(QCoro::waitFor(m_client->gitClone(m_daemon->scratch() + "/..", std::nullopt)).error().code, 400);
    QVERIFY(!QFileInfo::exists(m_daemon->dataDir() + "/escape"));
    QCOMPARE(QDir(m_daemon->dataDir() + "/www").entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList{"victim"});
}

void DevdEndToEndTest::projectRequestsAreValidated() {
    auto create = [&](const CreateProjectRequest& r) {
        return m_daemon->raw("POST", "/api/vhosts", json::encode(r).value());
    };
    QCOMPARE(create({"a", "a.test", "apache", "8.3", false, false}).status, 200);
    QCOMPARE(create({"  ", "b.test", "apache", "8.3", false, false}).status, 400);
    QCOMPARE(create({"b", "", "apache", "8.3", false, false}).status, 400);
    QCOMPARE(create({"b", " \t", "apache", "8.3", false, false}).status, 400);
    QCOMPARE(create({"b", "b.test", "iis", "8.3", false, false}).status, 400);
    QCOMPARE(create({"b", "b.test", "Apache", "8.3", false, false}).status, 400);
    QCOMPARE(create({"b", "b.test", "nginx", " ", false, false}).status, 400);
    QCOMPARE(create({"b/c", "b.test", "nginx", "8.3", false, false}).status, 400);
    const RawReply duplicate = create({"b", "A.TEST", "nginx", "8.3", false, false});
    QCOMPARE(duplicate.status, 409);
    QCOMPARE(duplicate.errorCode(), std::optional<QString>(QStringLiteral("CONFLICT")));
    QCOMPARE(create({"a", "other.test", "nginx", "8.3", false, false}).status, 409);
    QCOMPARE(m_daemon->raw("POST", "/api/vhosts", "{\"name\":\"c\",\"domain\":\"c.test\"}").status, 400);
    QCOMPARE(m_daemon->raw("POST", "/api/vhosts", "not json").status, 400);

    // Domains are host names and PHP versions short version texts; nothing else is stored.
    const QString nul(QChar(0));
    for (const CreateProjectRequest& bad : QList<CreateProjectRequest>{
             {"d", "d.test\nevil.test", "nginx", "8.3", false, false},
             {"d", "d" + nul + ".test", "nginx", "8.3", false, false},
             {"d", QString(100'000, u'd'), "nginx", "8.3", false, false},
             {"d", "d_1.test", "nginx", "8.3", false, false},
             {"d", "d.test", "nginx", "8.3\n", false, false},
             {"d", "d.test", "nginx", "8" + nul, false, false},
             {"d", "d.test", "nginx", QString(100'000, u'8'), false, false},
             {"d", "d.test", "nginx", "latest", false, false},
         }) {
        const RawReply refused = create(bad);
        QCOMPARE(refused.status, 400);
        QCOMPARE(refused.errorCode(), std::optional<QString>(QStringLiteral("BAD_REQUEST")));
        QVERIFY(refused.body.size() < 600);
    }
    const QByteArray domainRefusal = create({"d", "d_1.test", "nginx", "8.3", false, false}).body;
    QVERIFY2(domainRefusal.contains("is not a host name"), domainRefusal.constData());
    const QByteArray phpRefusal = create({"d", "d.test", "nginx", "latest", false, false}).body;
    QVERIFY2(phpRefusal.contains("is not a version such as 8.3"), phpRefusal.constData());
    QCOMPARE(create({"d", "d.test", "nginx", "8.3.12", false, false}).status, 200);
    QCOMPARE(
        json::decode<APIResponse<ProjectListData>>(m_daemon->raw("GET", "/api/vhosts").body)->data->count, 2);
}

void DevdEndToEndTest::hostsEntriesAreValidated() {
    auto add = [&](const QString& ip, const QString& host) {
        const Result<ProActionResult> r = QCoro::waitFor(m_client->addDNS(ip, host));
        return r.ok() ? 200 : r.error().code;
    };
    const QByteArray before = readFile(m_daemon->dataDir() + "/hosts");
    QCOMPARE(add("127.1", "a.test"), 400);
    QCOMPARE(add("", "a.test"), 400);
    QCOMPARE(add("999.0.0.1", "a.test"), 400);
    QCOMPARE(add("127.0.0.1", "bad_name.test"), 400);
    QCOMPARE(add("127.0.0.1", "-a.test"), 400);
    QCOMPARE(add("127.0.0.1", QString(64, u'x') + ".test"), 400);
    QCOMPARE(add("127.0.0.1", "a.test\n10.0.0.1 evil.test"), 400);
    // A zone is refused whatever it holds: it is where a line feed could smuggle a second entry.
    QCOMPARE(add("::1%\n1.2.3.4", "x.test"), 400);
    QCOMPARE(add("fe80::1%eth0", "a.test"), 400);
    QCOMPARE(add("010.0.0.1", "a.test"), 400);
    QCOMPARE(add(QString(100'000, u'1'), "a.test"), 400);
    auto refusal = [&](const QString& ip, const QString& host) {
        return m_daemon->raw("POST", "/api/pro/dns", json::encode(DNSAddRequest{ip, host}).value()).body;
    };
    const QByteArray zoned = refusal("::1%\n1.2.3.4", "x.test");
    QVERIFY2(zoned.contains("without a zone"), zoned.constData());
    QVERIFY(refusal("127.0.0.1", QString(100'000, u'x')).size() < 400); // not echoed whole
    QCOMPARE(readFile(m_daemon->dataDir() + "/hosts"), before);
    QCOMPARE(add("fe80::1", "a.test"), 200);
    QCOMPARE(add("127.0.0.1", "A.test"), 409); // host names do not differ by case
    QCOMPARE(add("127.0.0.1", "localhost"), 409);
}

void DevdEndToEndTest::unknownRoutesAndMethods() {
    const RawReply missing = m_daemon->raw("GET", "/api/nothing");
    QCOMPARE(missing.status, 404);
    QCOMPARE(missing.errorCode(), std::optional<QString>(QStringLiteral("NOT_FOUND")));
    QCOMPARE(m_daemon->raw("GET", "/status").status, 404); // outside /api
    QCOMPARE(m_daemon->raw("GET", "/api/status/").status, 404);
    const RawReply wrongMethod = m_daemon->raw("GET", "/api/services/start-all");
    QCOMPARE(wrongMethod.status, 405);
    QCOMPARE(wrongMethod.errorCode(), std::optional<QString>(QStringLiteral("METHOD_NOT_ALLOWED")));
    QCOMPARE(m_daemon->raw("DELETE", "/api/status").status, 405);
    QCOMPARE(m_daemon->raw("POST", "/api/status").status, 405);

    // Half an upgrade (no "Connection: Upgrade") is an ordinary request and is answered as one.
    const QByteArray auth = "Authorization: Bearer " + m_daemon->token().toUtf8() + "\r\n";
    QCOMPARE(statusOfRawRequest(m_daemon->port(),
                                "GET /ws HTTP/1.1\r\nHost: x\r\nUpgrade: websocket\r\n" + auth + "\r\n"),
             404);
    QCOMPARE(statusOfRawRequest(m_daemon->port(), "GET /api/status HTTP/1.1\r\nHost: x\r\n" + auth + "\r\n"),
             200);
}

void DevdEndToEndTest::faultSwitches() {
    cleanup();
    DevdOptions options;
    options.failures.insert(QStringLiteral("/api/status"), 503);
    options.failures.insert(QStringLiteral("/pro/dns"), 500);
    options.delay = std::chrono::milliseconds(150);
    options.closeWebSocketsAfter = std::chrono::milliseconds(200);
    m_daemon = std::make_unique<TestDaemon>(options);
    QString why;
    QVERIFY2(m_daemon->start(&why), qPrintable(why));
    m_client = m_daemon->client();

    QCoro::waitFor(m_client->fetchStatus());
    QVERIFY(!m_client->isConnected());
    const RawReply forced = m_daemon->raw("GET", "/api/status");
    QCOMPARE(forced.status, 503);
    QCOMPARE(forced.errorCode(), std::optional<QString>(QStringLiteral("INJECTED_FAILURE")));
    QCOMPARE(QCoro::waitFor(m_client->fetchDNS()).error().code, 500); // given without /api
    QCOMPARE(m_daemon->raw("GET", "/api/status", {}, std::nullopt).status,
             401); // the token still comes first

    QElapsedTimer clock;
    clock.start();
    QCoro::waitFor(m_client->fetchConfig());
    QVERIFY(m_client->appConfig().has_value());
    QVERIFY2(clock.elapsed() >= 140, qPrintable(QString::number(clock.elapsed())));
    // Late replies do not hold up the daemon: two of them overlap.
    clock.restart();
    auto one = m_client->fetchDatabaseInfo();
    auto two = m_client->fetchCredentials();
    QCoro::waitFor(std::move(one));
    QCoro::waitFor(std::move(two));
    QVERIFY2(clock.elapsed() < 290, qPrintable(QString::number(clock.elapsed())));

    const auto socket = openSocket(*m_daemon, "/ws", "Bearer " + m_daemon->token().toUtf8());
    QVERIFY(socket->connected);
    QSignalSpy closed(socket->socket.get(), &QWebSocket::disconnected);
    QVERIFY(closed.wait(2000));

    // The upgrade itself can be made to fail.
    DevdOptions refusing;
    refusing.failures.insert(QStringLiteral("/ws"), 403);
    TestDaemon other(refusing);
    QVERIFY2(other.start(&why), qPrintable(why));
    const auto forbidden = openSocket(other, "/ws", "Bearer " + other.token().toUtf8());
    QVERIFY(!forbidden->connected);
    QVERIFY2(forbidden->error.contains(QStringLiteral("403")), qPrintable(forbidden->error));
}

void DevdEndToEndTest::requestLogNeverShowsToken() {
    QCoro::waitFor(m_client->fetchStatus());
    QCoro::waitFor(m_client->fetchCredentials()); // the token is in this reply's body
    m_daemon->raw("GET", "/api/nothing", {}, std::nullopt);
    openSocket(*m_daemon, "/ws", "Bearer " + m_daemon->token().toUtf8());
    const QStringList& lines = m_daemon->logLines();
    QCOMPARE(lines.size(), 4);
    const QRegularExpression shape("^(GET|POST|DELETE) \\S+ \\d{3} \\d+\\.\\d\\d ms$");
    for (const QString& line : lines) {
        QVERIFY2(shape.match(line).hasMatch(), qPrintable(line));
        QVERIFY(!line.contains(m_daemon->token()));
    }
    QVERIFY(lines[0].startsWith("GET /api/status 200 "));
    QVERIFY(lines[2].startsWith("GET /api/nothing 401 "));
    QVERIFY(lines[3].startsWith("GET /ws 101 "));

    // A token sent in a query is not logged either: paths are logged without their queries.
    const QString token = m_daemon->token();
    m_daemon->raw("GET", "/api/services/nginx/logs?lines=1&token=" + token);
    m_daemon->raw("GET", "/api/status?token=" + token, {}, std::nullopt);
    QCOMPARE(lines.size(), 6);
    QVERIFY2(lines[4].startsWith("GET /api/services/nginx/logs 200 "), qPrintable(lines[4]));
    QVERIFY2(lines[5].startsWith("GET /api/status 401 "), qPrintable(lines[5]));
    for (const QString& line : lines)
        QVERIFY2(!line.contains(u'?') && !line.contains(token), qPrintable(line));

    // Nor does any file of its data folder hold the token; the configuration file alone does.
    QDirIterator files(m_daemon->dataDir(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    int checked = 0;
    while (files.hasNext()) {
        const QString path = files.next();
        QVERIFY2(!readFile(path).contains(token.toUtf8()), qPrintable(path));
        ++checked;
    }
    QVERIFY(checked >= 10); // state, logs, hosts, marker
    QVERIFY(readFile(m_daemon->configPath()).contains(token.toUtf8()));
}

void DevdEndToEndTest::programStartsOnEphemeralPortAndGuardsForeignConfig() {
    const QString config = m_daemon->scratch() + "/run/brevant.config.json";
    QProcess devd;
    devd.start(QStringLiteral(BREVANT_DEVD_BINARY), {"--port", "0", "--config", config, "--quiet"});
    QVERIFY(devd.waitForStarted(5000));
    QTRY_VERIFY_WITH_TIMEOUT(devd.canReadLine(), 5000);
    const QString line = QString::fromUtf8(devd.readLine());
    const QRegularExpressionMatch port = QRegularExpression("http://127\\.0\\.0\\.1:(\\d+) ").match(line);
    QVERIFY2(port.hasMatch(), qPrintable(line));
    QVERIFY(line.contains("simulates the services"));
    QVERIFY(QFileInfo(m_daemon->scratch() + "/run/devd-data/www").isDir());

    ConnectionSettings settings;
    settings.baseURL = "http://127.0.0.1:" + port.captured(1);
    settings.configPath = config;
    DaemonClient client(settings, nullptr);
    QCoro::waitFor(client.fetchStatus());
    QVERIFY(client.isConnected());
    QCOMPARE(client.services().size(), 7);
    devd.terminate();
    QVERIFY(devd.waitForFinished(5000));

    // A configuration without the marker belongs to a real installation: refused, untouched.
    const QByteArray real = "{\"authToken\":\"the-real-one\"}";
    QString why;
    QVERIFY(writeFileAtomically(config, real, false, &why));
    QProcess refused;
    refused.start(QStringLiteral(BREVANT_DEVD_BINARY), {"--port", "0", "--config", config});
    QVERIFY(refused.waitForFinished(5000));
    QCOMPARE(refused.exitCode(), 1);
    QVERIFY(refused.readAllStandardError().contains("not created by brevant-devd"));
    QCOMPARE(readFile(config), real);
}

QTEST_GUILESS_MAIN(DevdEndToEndTest)
#include "DevdEndToEndTest.moc"
