// The value formats of the settings panel, as tables.

#include "SettingsText.h"

#include <QLocale>
#include <QTest>

using namespace brevant;

namespace brevant {
char* toString(const SettingsRow& row) {
    return QTest::toString(row.label + QStringLiteral(" = ") + row.value);
}
} // namespace brevant

class SettingsTextTest : public QObject {
    Q_OBJECT

private slots:
    void usage_data() {
        QTest::addColumn<qint64>("percent");
        QTest::addColumn<qint64>("total");
        QTest::addColumn<QString>("expected");
        constexpr qint64 gib = qint64(1) << 30;
        QTest::newRow("16 GiB") << qint64(63) << 16 * gib << "63% used of 16 GB";
        QTest::newRow("500 GB truncates to 465")
            << qint64(41) << qint64(500'000'000'000) << "41% used of 465 GB";
        QTest::newRow("one byte short of 1 GiB") << qint64(0) << gib - 1 << "0% used of 0 GB";
        QTest::newRow("exactly 1 GiB") << qint64(100) << gib << "100% used of 1 GB";
        QTest::newRow("negative toward zero") << qint64(-5) << -(3 * gib / 2) << "-5% used of -1 GB";
        QTest::newRow("thousands unseparated") << qint64(7) << 2048 * gib << "7% used of 2048 GB";
    }
    void usage() {
        QFETCH(qint64, percent);
        QFETCH(qint64, total);
        QFETCH(QString, expected);
        ByteUsage usage;
        usage.percentUsed = percent;
        usage.total = total;
        QCOMPARE(usageText(usage), expected);
    }

    void cpuAndEnabled() {
        CPUInfo cpu;
        cpu.model = QStringLiteral("Apple M2");
        cpu.cores = 1;
        QCOMPARE(cpuText(cpu), QStringLiteral("Apple M2 (1 cores)"));
        cpu.cores = 12;
        QCOMPARE(cpuText(cpu), QStringLiteral("Apple M2 (12 cores)"));
        QCOMPARE(enabledText(true), QStringLiteral("Enabled"));
        QCOMPARE(enabledText(false), QStringLiteral("Disabled"));
    }

    void generalRowsInOrder() {
        AppConfig c;
        c.version = QStringLiteral("1.4.2");
        c.defaultWebServer = QStringLiteral("NGINX server");
        c.defaultPhpVersion = QStringLiteral("8.2");
        c.bindAddress = QStringLiteral("0.0.0.0");
        c.autoStart = false;
        const QList<SettingsRow> expected{{"Version", "1.4.2"},
                                          {"Web Server", "Nginx Server"},
                                          {"PHP Version", "8.2"},
                                          {"Bind Address", "0.0.0.0"},
                                          {"Auto-start", "Disabled"}};
        QCOMPARE(generalRows(c), expected);
    }

    void portsArePlainDecimalsWithoutRedis() {
        // A grouping locale must not leak into the figures.
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        PortConfig p;
        p.apacheHttp = 8080;
        p.apacheHttps = 18443;
        p.nginxHttp = 1;
        p.nginxHttps = 2;
        p.mariadb = 3306;
        p.phpFpm = 9000;
        p.pm2Web = 9615;
        p.mailhogSmtp = 1025;
        p.mailhogWeb = 8025;
        p.daemonApi = -1;
        p.redis = 6379;
        const QList<SettingsRow> rows = portRows(p);
        QLocale::setDefault(QLocale::c());
        const QList<SettingsRow> expected{
            {"Apache HTTP", "8080"}, {"Apache HTTPS", "18443"}, {"Nginx HTTP", "1"}, {"Nginx HTTPS", "2"},
            {"MariaDB", "3306"},     {"PHP-FPM", "9000"},       {"PM2 Web", "9615"}, {"Mailhog SMTP", "1025"},
            {"Mailhog Web", "8025"}, {"Daemon API", "-1"}};
        QCOMPARE(rows, expected);
    }

    void systemRowsInOrder() {
        SystemInfo s;
        s.os = {QStringLiteral("darwin"), QStringLiteral("23.1.0"), QStringLiteral("arm64"),
                QStringLiteral("dev-mac")};
        s.cpu.model = QStringLiteral("Apple M2");
        s.cpu.cores = 8;
        s.memory.total = qint64(16) << 30;
        s.memory.percentUsed = 63;
        s.disk.total = 500'000'000'000;
        s.disk.percentUsed = 41;
        s.nodeVersion = QStringLiteral("v20.11.0");
        const QList<SettingsRow> expected{{"Hostname", "dev-mac"},         {"Platform", "darwin 23.1.0"},
                                          {"Architecture", "arm64"},       {"CPU", "Apple M2 (8 cores)"},
                                          {"Memory", "63% used of 16 GB"}, {"Disk", "41% used of 465 GB"},
                                          {"Node.js", "v20.11.0"}};
        QCOMPARE(systemRows(s), expected);
    }

    void valuesAsReceived() {
        // Paths, the database endpoint and credentials are never touched up.
        PathConfig p{QStringLiteral(" /www "), QStringLiteral("/Data"), QStringLiteral(""),
                     QStringLiteral("c"), QStringLiteral("b")};
        QCOMPARE(pathRows(p).at(0), (SettingsRow{"Web Root", " /www "}));
        QCOMPARE(pathRows(p).at(1).value, QStringLiteral("/Data"));
        QCOMPARE(pathRows(p).at(4).label, QStringLiteral("Binaries"));
        DBConnection db{QStringLiteral("LocalHost"), 3306, QStringLiteral("Root")};
        const QList<SettingsRow> dbExpected{{"Host", "LocalHost"}, {"Port", "3306"}, {"User", "Root"}};
        QCOMPARE(databaseRows(db), dbExpected);
        CredentialsData cred{QStringLiteral("tok en"), QStringLiteral("pw")};
        const QList<SettingsRow> credExpected{{"Auth Token", "tok en"}, {"MariaDB Root", "pw"}};
        QCOMPARE(credentialRows(cred), credExpected);
    }
};

QTEST_APPLESS_MAIN(SettingsTextTest)
#include "SettingsTextTest.moc"
