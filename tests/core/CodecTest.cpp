// The record rules: required, optional, null, unknown keys, number types, encoding order.

#include "JsonCodec.h"
#include "Models.h"
#include "TestSupport.h"

#include <QTest>

using namespace brevant;

class CodecTest : public QObject {
    Q_OBJECT

    template <class T> static std::optional<T> decodeText(const char* text, QString* why = nullptr) {
        return json::decode<T>(QByteArray(text), why);
    }

private slots:
    void minimalServiceHasEveryOptionalAbsent() {
        const auto s = decodeText<ServiceStatus>("{\"name\":\"redis\",\"status\":\"running\"}");
        QVERIFY(s);
        QCOMPARE(s->name, QStringLiteral("redis"));
        QVERIFY(!s->pid && !s->port && !s->uptime && !s->cpu && !s->memory && !s->error);
    }

    void nullOptionalIsAbsentButNullRequiredFails() {
        const auto s =
            decodeText<ServiceStatus>("{\"name\":\"a\",\"status\":\"x\",\"port\":null,\"extra\":[1,2]}");
        QVERIFY(s);
        QVERIFY(!s->port);
        QString why;
        QVERIFY(!decodeText<ServiceStatus>("{\"name\":null,\"status\":\"x\"}", &why));
        QCOMPARE(why, QStringLiteral("name is null"));
    }

    void failureNamesTheKeyPath() {
        QString why;
        const QByteArray body = "{\"services\":[{\"name\":\"a\",\"status\":\"running\"},{\"name\":\"b\","
                                "\"status\":\"x\"},{\"name\":\"c\"}]}";
        QVERIFY(!json::decode<StatusData>(body, &why));
        QCOMPARE(why, QStringLiteral("services[2].status is missing"));

        QVERIFY(!decodeText<APIResponse<SystemInfo>>("{\"success\":true,\"data\":{\"os\":{}}}", &why));
        QCOMPARE(why, QStringLiteral("data.os.platform is missing"));

        QVERIFY(!decodeText<CPUInfo>("{\"model\":\"m\",\"cores\":2,\"loadAverage\":[1,\"x\"]}", &why));
        QCOMPARE(why, QStringLiteral("loadAverage[1] is not a number"));
    }

    void activityEntryWithoutCreatedAtFailsTheWholeStatus() {
        QString why;
        QVERIFY(!decodeText<StatusData>("{\"services\":[],\"activity\":[{\"id\":1,\"action\":\"start\"}]}",
                                        &why));
        QCOMPARE(why, QStringLiteral("activity[0].created_at is missing"));
        QVERIFY(!decodeText<StatusData>("{\"activity\":[]}"));
        QVERIFY(decodeText<StatusData>("{\"services\":[]}"));
    }

    void intAcceptsOnlyWholeNumbersThatFit() {
        QVERIFY(decodeText<DBConnection>("{\"host\":\"h\",\"port\":3306,\"user\":\"u\"}"));
        const auto big =
            decodeText<DBConnection>("{\"host\":\"h\",\"port\":9223372036854775807,\"user\":\"u\"}");
        QVERIFY(big);
        QCOMPARE(big->port, std::numeric_limits<qint64>::max());
        const auto neg =
            decodeText<DBConnection>("{\"host\":\"h\",\"port\":-9223372036854775808,\"user\":\"u\"}");
        QVERIFY(neg);
        QCOMPARE(neg->port, std::numeric_limits<qint64>::min());
        QString why;
        QVERIFY(!decodeText<DBConnection>("{\"host\":\"h\",\"port\":3306.5,\"user\":\"u\"}", &why));
        QCOMPARE(why, QStringLiteral("port is not a 64-bit integer"));
        QVERIFY(!decodeText<DBConnection>("{\"host\":\"h\",\"port\":9223372036854775808,\"user\":\"u\"}"));
        QVERIFY(!decodeText<DBConnection>("{\"host\":\"h\",\"port\":1e300,\"user\":\"u\"}"));
        QVERIFY(!decodeText<DBConnection>("{\"host\":\"h\",\"port\":\"3306\",\"user\":\"u\"}"));
        QVERIFY(!decodeText<DBConnection>("{\"host\":\"h\",\"port\":true,\"user\":\"u\"}"));
    }

    void doubleAcceptsIntegers() {
        const auto cpu = decodeText<CPUInfo>("{\"model\":\"m\",\"cores\":8,\"loadAverage\":[2,0.5,1e-3]}");
        QVERIFY(cpu);
        QCOMPARE(cpu->loadAverage, (QList<double>{2.0, 0.5, 0.001}));
        QVERIFY(!decodeText<CPUInfo>("{\"model\":\"m\",\"cores\":8,\"loadAverage\":[null]}"));
    }

    void stringsAndBoolsAreStrict() {
        QVERIFY(!decodeText<ServiceStatus>("{\"name\":1,\"status\":\"x\"}"));
        QVERIFY(!decodeText<DeleteResult>("{\"deleted\":\"true\"}"));
        QVERIFY(!decodeText<DeleteResult>("{\"deleted\":1}"));
        QVERIFY(decodeText<DeleteResult>("{\"deleted\":false}"));
    }

    void portConfigRedisOptionalDaemonApiRequired() {
        const char* withoutRedis =
            "{\"apacheHttp\":8080,\"apacheHttps\":8443,\"nginxHttp\":8081,\"nginxHttps\":8444,"
            "\"mariadb\":3306,\"phpFpm\":9000,\"pm2Web\":9615,\"mailhogSmtp\":1025,\"mailhogWeb\":8025,"
            "\"daemonApi\":19400}";
        const auto ports = decodeText<PortConfig>(withoutRedis);
        QVERIFY(ports);
        QVERIFY(!ports->redis);
        QString why;
        QVERIFY(!decodeText<PortConfig>(
            "{\"apacheHttp\":8080,\"apacheHttps\":8443,\"nginxHttp\":8081,\"nginxHttps\":8444,"
            "\"mariadb\":3306,\"phpFpm\":9000,\"pm2Web\":9615,\"mailhogSmtp\":1025,\"mailhogWeb\":8025}",
            &why));
        QCOMPARE(why, QStringLiteral("daemonApi is missing"));
    }

    void projectTimeStampsUseSnakeCaseKeys() {
        const auto p =
            decodeText<Project>("{\"id\":\"1\",\"name\":\"n\",\"domain\":\"d.test\",\"documentRoot\":\"/w\","
                                "\"webServer\":\"nginx\",\"phpVersion\":\"8.3\",\"sslEnabled\":true,"
                                "\"created_at\":\"2026-01-01\",\"updatedAt\":\"ignored\"}");
        QVERIFY(p);
        QCOMPARE(p->createdAt, std::optional<QString>(QStringLiteral("2026-01-01")));
        QVERIFY(!p->updatedAt);

        Project bare = *p;
        bare.createdAt.reset();
        bare.databaseName.reset();
        const QByteArray encoded = *json::encode(bare);
        QVERIFY(!encoded.contains("created_at"));
        QVERIFY(!encoded.contains("updated_at"));
        QVERIFY(!encoded.contains("null"));
        bare.updatedAt = QStringLiteral("u");
        QVERIFY(json::encode(bare)->contains("\"updated_at\":\"u\""));
    }

    void encodingKeepsDeclarationOrder() {
        const CreateProjectRequest r{QStringLiteral("my \"site\""),
                                     QStringLiteral("site.test"),
                                     QStringLiteral("nginx"),
                                     QStringLiteral("8.2"),
                                     false,
                                     false};
        QCOMPARE(*json::encode(r),
                 QByteArray(
                     "{\"name\":\"my "
                     "\\\"site\\\"\",\"domain\":\"site.test\",\"webServer\":\"nginx\",\"phpVersion\":\"8.2\","
                     "\"sslEnabled\":false,\"createDatabase\":false}"));
        QCOMPARE(*json::encode(GitCloneRequest{QStringLiteral("u"), std::nullopt}),
                 QByteArray("{\"url\":\"u\"}"));
        QCOMPARE(*json::encode(GitCloneRequest{QStringLiteral("u"), QStringLiteral(" ")}),
                 QByteArray("{\"url\":\"u\",\"name\":\" \"}"));
        QCOMPARE(*json::encode(EmptyRequest{}), QByteArray("{}"));
    }

    void encodingEscapesAndRoundTrips() {
        const QString tricky = QStringLiteral("tab\there \\ \u00e9\u4e2d \U0001F600 \x01 end");
        const DNSAddRequest r{tricky, QStringLiteral("line\nbreak")};
        const auto back = json::decode<DNSAddRequest>(*json::encode(r));
        QVERIFY(back);
        QCOMPARE(*back, r);

        SystemInfo info;
        info.cpu.loadAverage = {0.1, 2.5, 1e-7};
        info.memory.total = std::numeric_limits<qint64>::max();
        const auto again = json::decode<SystemInfo>(*json::encode(info));
        QVERIFY(again);
        QCOMPARE(*again, info);
        info.cpu.loadAverage = {std::numeric_limits<double>::infinity()};
        QVERIFY(!json::encode(info)); // not representable in JSON
    }

    void statusRoundTrip() {
        const auto status = json::decode<StatusData>(test::sevenServicesJson());
        QVERIFY(status);
        QCOMPARE(status->services.size(), 7);
        QCOMPARE(status->activity->size(), 2);
        QCOMPARE(status->activity->at(1).details, std::optional<QString>(QStringLiteral("by user")));
        QCOMPARE(json::decode<StatusData>(*json::encode(*status)), status);
    }

    void envelopeOnlySuccess() {
        const auto e = decodeText<APIResponse<StatusData>>("{\"success\":true}");
        QVERIFY(e);
        QVERIFY(e->success && !e->data && !e->error);
        QVERIFY(!decodeText<APIResponse<StatusData>>("{\"data\":{\"services\":[]}}"));
        QVERIFY(!decodeText<APIResponse<StatusData>>("[]"));
    }

    void notJsonIsReadable() {
        QString why;
        QVERIFY(!decodeText<StatusData>("{\"services\": [", &why));
        QVERIFY(why.startsWith(QStringLiteral("not valid JSON")));
        QVERIFY(!decodeText<StatusData>("", &why));
        QCOMPARE(why, QStringLiteral("the body is empty"));
        QVERIFY(!decodeText<StatusData>("\"text\"", &why));
    }

    void byteOrderMarkOnlyAtTheStart() {
        const auto marked = decodeText<BrevantConfig>("\xEF\xBB\xBF{\"authToken\":\"t\"}");
        QVERIFY(marked);
        QCOMPARE(marked->authToken, QStringLiteral("t"));
        QString why;
        QVERIFY(!decodeText<BrevantConfig>("\xEF\xBB\xBF", &why));
        QCOMPARE(why, QStringLiteral("the body is empty"));
        QVERIFY(!decodeText<BrevantConfig>("\xEF\xBB\xBF\xEF\xBB\xBF{\"authToken\":\"t\"}", &why));
        QVERIFY(!decodeText<BrevantConfig>(" \xEF\xBB\xBF{\"authToken\":\"t\"}", &why));
        QVERIFY(why.startsWith(QStringLiteral("not valid JSON")));
    }

    void hostileTextIsRefusedNotCrashedOn() {
        QString why;
        QVERIFY(!json::decode<StatusData>(QByteArray("{\"services\":[]}\0{}", 17), &why));
        QVERIFY(why.contains(QStringLiteral("NUL")));
        QVERIFY(!json::decode<ServiceStatus>("{\"name\":\"\xC3\x28\",\"status\":\"x\"}", &why));
        QVERIFY(why.contains(QStringLiteral("UTF-8")));
        QVERIFY(!json::decode<ServiceStatus>("{\"name\":\"\xED\xA0\x80\",\"status\":\"x\"}")); // a surrogate
        QVERIFY(!json::decode<ServiceStatus>("{\"name\":\"\xC0\xAF\",\"status\":\"x\"}"));     // overlong
        const auto ok =
            json::decode<ServiceStatus>("{\"name\":\"caf\xC3\xA9 \xF0\x9F\x98\x80\",\"status\":\"\\u0000\"}");
        QVERIFY(ok);
        QCOMPARE(ok->name, QStringLiteral("caf\u00e9 \U0001F600"));
        QCOMPARE(ok->status, QString(QChar(0)));
        // Nesting a million deep must not exhaust the stack.
        const QByteArray deep = QByteArray(1'000'000, '[') + QByteArray(1'000'000, ']');
        QVERIFY(!json::decode<StatusData>(deep, &why));
        QCOMPARE(why, QStringLiteral("the value is not an object"));
        QVERIFY(!json::decode<StatusData>("{\"services\":[]} trailing", &why));
        QVERIFY(why.startsWith(QStringLiteral("not valid JSON")));
    }

    void displayNamesAndIcons_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("display");
        QTest::addColumn<QString>("icon");
        QTest::newRow("apache") << "apache"
                                << "Apache"
                                << "globe";
        QTest::newRow("nginx") << "nginx"
                               << "Nginx"
                               << "network";
        QTest::newRow("mariadb") << "mariadb"
                                 << "MariaDB"
                                 << "cylinder";
        QTest::newRow("php-fpm") << "php-fpm"
                                 << "PHP-FPM"
                                 << "chevron.left.forwardslash.chevron.right";
        QTest::newRow("pm2") << "pm2"
                             << "PM2"
                             << "gearshape.2";
        QTest::newRow("mailhog") << "mailhog"
                                 << "Mailhog"
                                 << "envelope";
        QTest::newRow("redis") << "redis"
                               << "Redis"
                               << "cylinder.fill";
        QTest::newRow("capital A is not apache") << "Apache"
                                                 << "Apache"
                                                 << "questionmark.circle";
        QTest::newRow("memcached") << "memcached"
                                   << "Memcached"
                                   << "questionmark.circle";
        QTest::newRow("MYSQL") << "MYSQL"
                               << "Mysql"
                               << "questionmark.circle";
        QTest::newRow("two words") << "my SERVICE"
                                   << "My Service"
                                   << "questionmark.circle";
        QTest::newRow("empty") << ""
                               << ""
                               << "questionmark.circle";
    }
    void displayNamesAndIcons() {
        QFETCH(QString, name);
        QFETCH(QString, display);
        QFETCH(QString, icon);
        ServiceStatus s;
        s.name = name;
        QCOMPARE(s.displayName(), display);
        QCOMPARE(s.iconName(), icon);
        QCOMPARE(s.id(), name);
    }
};

QTEST_GUILESS_MAIN(CodecTest)
#include "CodecTest.moc"
