// The shared text and list rules, as tables.

#include "TextRules.h"

#include <QTest>

using namespace brevant;

namespace {
ServiceStatus svc(const char* name, const char* status) {
    ServiceStatus s;
    s.name = QString::fromLatin1(name);
    s.status = QString::fromLatin1(status);
    return s;
}
QStringList names(const QList<ServiceStatus>& list) {
    QStringList out;
    for (const auto& s : list)
        out << s.name;
    return out;
}
} // namespace

class TextRulesTest : public QObject {
    Q_OBJECT
private slots:
    void formatBytesTable_data() {
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("16 GiB") << qint64(17179869184) << "16GB";
        QTest::newRow("512 MiB") << qint64(536870912) << "512MB";
        QTest::newRow("just under 1 GiB") << qint64(1073741823) << "1024MB";
        QTest::newRow("zero") << qint64(0) << "0MB";
        QTest::newRow("32 GiB") << qint64(34359738368) << "32GB";
        QTest::newRow("24 GiB") << qint64(25769803776) << "24GB";
        QTest::newRow("750 MB free") << qint64(750000000) << "715MB";
        QTest::newRow("1.5 GiB rounds to even") << qint64(1610612736) << "2GB";
    }
    void formatBytesTable() {
        QFETCH(qint64, bytes);
        QFETCH(QString, text);
        QCOMPARE(formatBytes(bytes), text);
    }

    void formatSizeTable_data() {
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("0") << qint64(0) << "0 B";
        QTest::newRow("negative") << qint64(-5) << "-5 B";
        QTest::newRow("1023") << qint64(1023) << "1023 B";
        QTest::newRow("1024") << qint64(1024) << "1 KB";
        QTest::newRow("1536") << qint64(1536) << "1 KB";
        QTest::newRow("1048575") << qint64(1048575) << "1023 KB";
        QTest::newRow("1048576") << qint64(1048576) << "1 MB";
        QTest::newRow("2 MiB - 1") << qint64(2097151) << "1 MB";
        QTest::newRow("5 GiB") << qint64(5368709120) << "5120 MB";
    }
    void formatSizeTable() {
        QFETCH(qint64, bytes);
        QFETCH(QString, text);
        QCOMPARE(formatSize(bytes), text);
    }

    void cpuPercentTable_data() {
        QTest::addColumn<QList<double>>("load");
        QTest::addColumn<qint64>("cores");
        QTest::addColumn<int>("percent");
        QTest::newRow("1.5 on 8") << QList<double>{1.5, 1.0, 0.9} << qint64(8) << 18;
        QTest::newRow("12 on 4 capped") << QList<double>{12} << qint64(4) << 100;
        QTest::newRow("empty load") << QList<double>{} << qint64(4) << 0;
        QTest::newRow("zero cores") << QList<double>{3.0} << qint64(0) << 0;
        QTest::newRow("truncates") << QList<double>{0.999} << qint64(1) << 99;
        QTest::newRow("negative cores") << QList<double>{1.0} << qint64(-4) << -25;
        QTest::newRow("huge negative")
            << QList<double>{-1e300} << qint64(1) << std::numeric_limits<int>::min();
    }
    void cpuPercentTable() {
        QFETCH(QList<double>, load);
        QFETCH(qint64, cores);
        QFETCH(int, percent);
        SystemInfo info;
        info.cpu.loadAverage = load;
        info.cpu.cores = cores;
        QCOMPARE(cpuPercent(info), percent);
    }

    void capitalization_data() {
        QTest::addColumn<QString>("in");
        QTest::addColumn<QString>("out");
        QTest::newRow("mariadb") << "mariadb"
                                 << "Mariadb";
        QTest::newRow("NGINX") << "NGINX"
                               << "Nginx";
        QTest::newRow("words") << "hello  wORLD"
                               << "Hello  World";
        QTest::newRow("hyphen is inside a word") << "php-fpm"
                                                 << "Php-fpm";
        QTest::newRow("empty") << ""
                               << "";
    }
    void capitalization() {
        QFETCH(QString, in);
        QFETCH(QString, out);
        QCOMPARE(capitalized(in), out);
    }

    void serviceFilter() {
        // Only apache runs: nginx is hidden.
        QList<ServiceStatus> s{svc("apache", "running"), svc("nginx", "stopped"), svc("mariadb", "running")};
        QCOMPARE(names(filteredServices(s)), (QStringList{"apache", "mariadb"}));
        QCOMPARE(activeCountText(s), QStringLiteral("2/3 active"));
        // Both run: neither is listed, both are counted.
        s = {svc("apache", "running"), svc("nginx", "running"), svc("redis", "stopped")};
        QCOMPARE(names(filteredServices(s)), (QStringList{"redis"}));
        QCOMPARE(activeCountText(s), QStringLiteral("2/3 active"));
        // Neither runs: both are listed.
        s = {svc("nginx", "stopped"), svc("apache", "Running"), svc("redis", "running")};
        QCOMPARE(names(filteredServices(s)), (QStringList{"nginx", "apache", "redis"}));
        QCOMPARE(runningCount(s), 1);
        // Only the first element of a name decides; every duplicate of the other is hidden.
        s = {svc("nginx", "running"), svc("nginx", "stopped"), svc("apache", "stopped"),
             svc("apache", "running")};
        QCOMPARE(names(filteredServices(s)), (QStringList{"nginx", "nginx"}));
        QCOMPARE(filteredServices({}).size(), 0);
    }

    void shownLog() {
        QCOMPARE(brevant::shownLog(QStringLiteral("a\nb\n")), QStringLiteral("a\nb\n"));
        const QString one = QString(5000, QLatin1Char('x'));
        QCOMPARE(brevant::shownLog(QStringLiteral("start\n") + one + QStringLiteral("\nend"), 2000),
                 QStringLiteral("start\n") + QString(2000, QLatin1Char('x')) +
                     QStringLiteral(" \u2026 (3000 more characters)\nend"));
        // Over the total, the newest lines stay.
        QStringList lines;
        for (int i = 0; i < 10; ++i)
            lines << QStringLiteral("line %1 ..").arg(i);
        QCOMPARE(brevant::shownLog(lines.join(QLatin1Char('\n')), 2000, 25),
                 QStringLiteral("line 8 ..\nline 9 .."));
        // A 5 MiB line costs its first 2,000 characters.
        QVERIFY(brevant::shownLog(QString(5 << 20, QLatin1Char('y'))).size() < 2100);
    }

    void virtualHostCount() {
        QCOMPARE(virtualHostCountText(0), QStringLiteral("0 virtual hosts"));
        QCOMPARE(virtualHostCountText(1), QStringLiteral("1 virtual host"));
        QCOMPARE(virtualHostCountText(12), QStringLiteral("12 virtual hosts"));
    }
};

QTEST_GUILESS_MAIN(TextRulesTest)
#include "TextRulesTest.moc"
