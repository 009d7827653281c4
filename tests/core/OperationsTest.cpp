// Service control, logs, projects, configuration and the tool operations against the fixture.

#include "DaemonClient.h"
#include "Fixture.h"

#include <QCoroTask>
#include <QSignalSpy>
#include <QTest>

using namespace brevant;
using namespace brevant::test;

namespace {
QByteArray projectJson(const char* id, const char* name) {
    return QByteArray("{\"id\":\"") + id + "\",\"name\":\"" + name + "\",\"domain\":\"" + name +
           ".test\",\"documentRoot\":\"/"
           "w\",\"webServer\":\"apache\",\"phpVersion\":\"8.3\",\"sslEnabled\":false}";
}
} // namespace

class OperationsTest : public QObject {
    Q_OBJECT
    std::unique_ptr<Fixture> f;
    std::unique_ptr<DaemonClient> c;

private slots:
    void init() {
        f = std::make_unique<Fixture>();
        f->daemon.setData("GET", "/api/status", sevenServicesJson());
        c = f->makeClient();
    }
    void cleanup() {
        c.reset();
        f.reset();
    }

    void serviceActionsThenRefresh_data() {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<QByteArray>("data");
        QTest::newRow("start") << "start" << QByteArray("/api/services/redis/start")
                               << QByteArray("{\"service\":\"redis\",\"pid\":5}");
        QTest::newRow("stop") << "stop" << QByteArray("/api/services/redis/stop")
                              << QByteArray("{\"service\":\"redis\",\"status\":\"stopped\"}");
        QTest::newRow("restart") << "restart" << QByteArray("/api/services/redis/restart")
                                 << QByteArray("{\"service\":\"redis\"}");
        QTest::newRow("start-all") << "startAll" << QByteArray("/api/services/start-all")
                                   << sevenServicesJson();
        QTest::newRow("stop-all") << "stopAll" << QByteArray("/api/services/stop-all") << sevenServicesJson();
    }
    void serviceActionsThenRefresh() {
        QFETCH(QString, action);
        QFETCH(QByteArray, path);
        QFETCH(QByteArray, data);
        auto run = [&] {
            const QString redis = QStringLiteral("redis");
            if (action == "start")
                return c->startService(redis);
            if (action == "stop")
                return c->stopService(redis);
            if (action == "restart")
                return c->restartService(redis);
            if (action == "startAll")
                return c->startAll();
            return c->stopAll();
        };
        f->daemon.setData("POST", path, data);
        QCoro::waitFor(run());
        QCOMPARE(f->daemon.requests().size(), 2);
        QCOMPARE(f->daemon.requests()[0].method, QByteArray("POST"));
        QCOMPARE(f->daemon.requests()[0].target, path);
        QVERIFY(f->daemon.requests()[0].body.isEmpty());
        QCOMPARE(f->daemon.requests()[0].headers.value("content-type"), QByteArray("application/json"));
        QCOMPARE(f->daemon.requests()[1].target, QByteArray("/api/status"));
        QVERIFY(c->isConnected());

        // A failed action is followed by the same refresh, and leaves no message.
        f->daemon.clearRequests();
        f->daemon.setReply("POST", path, {500, "{\"success\":false,\"error\":{\"message\":\"nope\"}}"});
        QCoro::waitFor(run());
        QCOMPARE(f->daemon.requests().size(), 2);
        QCOMPARE(f->daemon.requests()[1].target, QByteArray("/api/status"));
        QVERIFY(!c->connectionError());
    }

    void logs() {
        f->daemon.setData(
            "GET", "/api/services/nginx/logs?lines=200",
            "{\"service\":\"nginx\",\"logPath\":\"/l/nginx.log\",\"content\":\"line 1\\nline 2\"}");
        QCOMPARE(QCoro::waitFor(c->fetchLogs(QStringLiteral("nginx"), 200)),
                 QStringLiteral("line 1\nline 2"));
        QCOMPARE(f->daemon.requests().last().target, QByteArray("/api/services/nginx/logs?lines=200"));
        f->daemon.setData("GET", "/api/services/redis/logs",
                          "{\"service\":\"redis\",\"logPath\":\"/l\",\"content\":\"\"}");
        QCOMPARE(QCoro::waitFor(c->fetchLogs(QStringLiteral("redis"), -3)), QString());
        QCOMPARE(f->daemon.requests().last().target, QByteArray("/api/services/redis/logs?lines=-3"));
        f->daemon.setData("GET", "/api/services/pm2/logs", "{\"service\":\"pm2\",\"content\":\"\"}");
        QCOMPARE(
            QCoro::waitFor(c->fetchLogs(QStringLiteral("pm2"), 1)),
            QStringLiteral("Failed to load logs: The reply could not be decoded: data.logPath is missing"));
        f->daemon.setReply("GET", "/api/services/php-fpm/logs", {200, "{\"success\":true}"});
        QCOMPARE(QCoro::waitFor(c->fetchLogs(QStringLiteral("php-fpm"), 1)),
                 QStringLiteral("Failed to load logs: Unknown error"));
        f->daemon.stop();
        QCOMPARE(QCoro::waitFor(c->fetchLogs(QStringLiteral("nginx"), 200)),
                 QStringLiteral("Failed to load logs: Could not connect to the daemon: connection refused."));
    }

    void projectListIsReplacedInTheDaemonsOrder() {
        f->daemon.setData("GET", "/api/vhosts",
                          "{\"projects\":[" + projectJson("b", "beta") + "," + projectJson("a", "alpha") +
                              "],\"count\":99}");
        QCoro::waitFor(c->fetchProjects());
        QCOMPARE(c->projects().size(), 2);
        QCOMPARE(c->projects().first().id, QStringLiteral("b"));
        f->daemon.setReply("GET", "/api/vhosts", {500, {}});
        QCoro::waitFor(c->fetchProjects());
        QCOMPARE(c->projects().size(), 2);
    }

    void createAppendsWithoutReload() {
        f->daemon.setData("GET", "/api/vhosts",
                          "{\"projects\":[" + projectJson("a", "alpha") + "],\"count\":1}");
        QCoro::waitFor(c->fetchProjects());
        f->daemon.setData("POST", "/api/vhosts", projectJson("a", "again"));
        QSignalSpy spy(c.get(), &DaemonClient::projectsChanged);
        QVERIFY(QCoro::waitFor(c->createProject({"again", "again.test", "apache", "8.3", false, false})));
        QCOMPARE(spy.count(), 1);
        QCOMPARE(c->projects().size(), 2); // the same id twice, as returned
        QCOMPARE(c->projects().last().name, QStringLiteral("again"));
        QCOMPARE(f->daemon.count("GET", "/api/vhosts"), 1);

        f->daemon.setReply("POST", "/api/vhosts",
                           {409, "{\"success\":false,\"error\":{\"message\":\"exists\"}}"});
        QVERIFY(!QCoro::waitFor(c->createProject({"x", "x.test", "apache", "8.3", false, false})));
        QCOMPARE(c->projects().size(), 2);
    }

    void deleteRemovesEveryMatchOnAnySuccess() {
        f->daemon.setData("GET", "/api/vhosts",
                          "{\"projects\":[" + projectJson("a", "one") + "," + projectJson("b", "two") + "," +
                              projectJson("a", "three") + "],\"count\":3}");
        QCoro::waitFor(c->fetchProjects());
        f->daemon.setData("DELETE", "/api/vhosts/a", "{\"deleted\":false}");
        QVERIFY(QCoro::waitFor(c->deleteProject(QStringLiteral("a"))));
        QCOMPARE(c->projects().size(), 1);
        QCOMPARE(c->projects().first().id, QStringLiteral("b"));
        QCOMPARE(f->daemon.requests().last().method, QByteArray("DELETE"));
        QVERIFY(f->daemon.requests().last().body.isEmpty());

        f->daemon.setData("DELETE", "/api/vhosts/zz", "{\"deleted\":true,\"id\":\"zz\"}");
        QVERIFY(QCoro::waitFor(c->deleteProject(QStringLiteral("zz"))));
        QCOMPARE(c->projects().size(), 1);

        f->daemon.setReply("DELETE", "/api/vhosts/b", {200, "{\"success\":true,\"data\":{\"id\":\"b\"}}"});
        QVERIFY(!QCoro::waitFor(c->deleteProject(QStringLiteral("b"))));
        QCOMPARE(c->projects().size(), 1);
    }

    void configurationKeepsTheLastGoodValue() {
        f->daemon.setData("GET", "/api/config", configJson());
        QCoro::waitFor(c->fetchConfig());
        QVERIFY(c->appConfig());
        QCOMPARE(c->appConfig()->ports.redis, std::optional<qint64>(6379));
        QCOMPARE(c->appConfig()->defaultWebServer, QStringLiteral("nginx"));
        f->daemon.setReply("GET", "/api/config", {500, {}});
        QCoro::waitFor(c->fetchConfig());
        QCOMPARE(c->appConfig()->version, QStringLiteral("1.4.2"));

        f->daemon.setData("GET", "/api/databases",
                          "{\"connection\":{\"host\":\"127.0.0.1\",\"port\":3306,\"user\":\"root\"}}");
        QCoro::waitFor(c->fetchDatabaseInfo());
        QCOMPARE(c->dbConnection()->user, QStringLiteral("root"));
        f->daemon.setData("GET", "/api/databases", "{\"connection\":{\"host\":\"db\",\"port\":3307}}");
        QCoro::waitFor(c->fetchDatabaseInfo());
        QCOMPARE(c->dbConnection()->host, QStringLiteral("127.0.0.1"));

        QVERIFY(!c->credentials());
        f->daemon.setData("GET", "/api/config/credentials",
                          "{\"authToken\":\"t0k\",\"mariadbRootPassword\":\"pw\"}");
        QCoro::waitFor(c->fetchCredentials());
        QCOMPARE(c->credentials()->mariadbRootPassword, QStringLiteral("pw"));
    }

    void gitClone() {
        f->daemon.setData("POST", "/api/pro/git/clone",
                          "{\"projectName\":\"repo\",\"path\":\"/w/repo\",\"message\":\"Cloned\"}");
        auto r = QCoro::waitFor(c->gitClone(QStringLiteral("https://example.test/u/repo.git"), std::nullopt));
        QVERIFY(r.ok());
        QCOMPARE(r.value().message, QStringLiteral("Cloned"));
        QCOMPARE(f->daemon.requests().last().body,
                 QByteArray("{\"url\":\"https://example.test/u/repo.git\"}"));
        QCoro::waitFor(c->gitClone(QStringLiteral("u"), QStringLiteral(" ")));
        QCOMPARE(f->daemon.requests().last().body, QByteArray("{\"url\":\"u\",\"name\":\" \"}"));

        f->daemon.setData("POST", "/api/pro/git/clone", "{\"projectName\":\"repo\",\"message\":\"Cloned\"}");
        r = QCoro::waitFor(c->gitClone(QStringLiteral("u"), std::nullopt));
        QVERIFY(!r.ok());
        QCOMPARE(r.error().kind, RequestError::Kind::Decoding);
        QVERIFY(r.error().description.contains(QStringLiteral("data.path is missing")));
    }

    void cmsInstall() {
        f->daemon.setData(
            "POST", "/api/pro/cms/install",
            "{\"cms\":\"laravel\",\"name\":\"app\",\"path\":\"/w/app\",\"message\":\"Installed\"}");
        auto r = QCoro::waitFor(c->cmsInstall(QStringLiteral("laravel"), QStringLiteral("app")));
        QVERIFY(r.ok());
        QCOMPARE(r.value().path, QStringLiteral("/w/app"));
        QCOMPARE(f->daemon.requests().last().body, QByteArray("{\"cms\":\"laravel\",\"name\":\"app\"}"));
        f->daemon.setReply("POST", "/api/pro/cms/install",
                           {200, "{\"success\":false,\"error\":{\"message\":\"Name taken\"}}"});
        r = QCoro::waitFor(c->cmsInstall(QStringLiteral("laravel"), QStringLiteral("app")));
        QCOMPARE(r.error().description, QStringLiteral("Name taken"));
    }

    void hostsEntries() {
        f->daemon.setData("GET", "/api/pro/dns",
                          "{\"entries\":[{\"ip\":\"127.0.0.1\",\"hostname\":\"a.test\"},{\"ip\":\"::1\","
                          "\"hostname\":\"b.test\"}]}");
        auto list = QCoro::waitFor(c->fetchDNS());
        QVERIFY(list.ok());
        QCOMPARE(list.value().size(), 2);
        QCOMPARE(list.value().at(1).ip, QStringLiteral("::1"));
        f->daemon.setData("POST", "/api/pro/dns", "{\"message\":\"Added\"}");
        auto added = QCoro::waitFor(c->addDNS(QStringLiteral("127.0.0.1"), QStringLiteral("c.test")));
        QVERIFY(added.ok());
        QCOMPARE(f->daemon.requests().last().body,
                 QByteArray("{\"ip\":\"127.0.0.1\",\"hostname\":\"c.test\"}"));
    }

    void backups() {
        f->daemon.setData("POST", "/api/pro/backup/create", "{\"message\":\"Backup created\"}");
        auto created = QCoro::waitFor(c->createBackup());
        QVERIFY(created.ok());
        QCOMPARE(f->daemon.requests().last().body, QByteArray("{}"));
        f->daemon.setData("POST", "/api/pro/backup/restore", "{\"message\":\"Restored\"}");
        auto restored = QCoro::waitFor(c->restoreBackup(QStringLiteral("backup-1.tar.gz")));
        QCOMPARE(restored.value().message, QStringLiteral("Restored"));
        QCOMPARE(f->daemon.requests().last().body, QByteArray("{\"filename\":\"backup-1.tar.gz\"}"));
        f->daemon.setData("GET", "/api/pro/backups",
                          "{\"backups\":[{\"name\":\"x\",\"size\":1.5,\"created\":\"c\"}]}");
        auto list = QCoro::waitFor(c->fetchBackups());
        QVERIFY(!list.ok()); // a size is a whole number of bytes
    }
};

QTEST_GUILESS_MAIN(OperationsTest)
#include "OperationsTest.moc"
