// The service rows of the table: texts, button sets, the actions they ask for, the Admin link,
// hover, the dot's colours, and that fields no row shows cost no repaint.

#include "services/ServiceRow.h"
#include "UiTestSupport.h"
#include "kit/PaintedList.h"
#include "kit/ServiceListModel.h"
#include "kit/Theme.h"
#include "services/ServiceTable.h"

#include <QSignalSpy>
#include <QTest>

using namespace brevant;
using namespace brevant::test;

namespace {

ServiceStatus service(const char* name, const char* status, std::optional<qint64> port = std::nullopt) {
    ServiceStatus s;
    s.name = QString::fromLatin1(name);
    s.status = QString::fromLatin1(status);
    s.port = port;
    return s;
}

// A shown table of `services` that records what its buttons ask for.
struct Table {
    ServiceTable table{8080};
    QStringList log;
    explicit Table(const QList<ServiceStatus>& services, qint64 apachePort = 8080) : table(apachePort) {
        table.setServices(services);
        table.resize(640, 200);
        table.show();
        QObject::connect(&table, &ServiceTable::startRequested,
                         [this](const QString& s) { log << "start " + s; });
        QObject::connect(&table, &ServiceTable::stopRequested,
                         [this](const QString& s) { log << "stop " + s; });
        QObject::connect(&table, &ServiceTable::restartRequested,
                         [this](const QString& s) { log << "restart " + s; });
        QObject::connect(&table, &ServiceTable::logsRequested,
                         [this](const QString& s) { log << "logs " + s; });
    }
    QRect rowRect(int row) const { return table.list()->visualRect(table.model()->index(row)); }
    QPoint button(int row, const QString& title) const {
        const QModelIndex index = table.model()->index(row);
        const auto rects = table.list()->rowDelegate()->actionRects(index, rowRect(row));
        return rects.value(table.buttonTitles(row).indexOf(title)).center();
    }
    void click(int row, const QString& title) {
        QTest::mouseClick(table.list()->viewport(), Qt::LeftButton, {}, button(row, title));
    }
};

} // namespace

class ServiceRowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { initUiTest(); }

    void cellsAndButtons_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("status");
        QTest::addColumn<int>("port");
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("portText");
        QTest::addColumn<QStringList>("buttons");
        QTest::newRow("mariadb running") << "mariadb"
                                         << "running" << 3306 << "Running"
                                         << ":3306" << QStringList{"Stop", "Restart", "Logs", "Admin"};
        QTest::newRow("mariadb stopped") << "mariadb"
                                         << "stopped" << 3306 << "Stopped"
                                         << ":3306" << QStringList{"Start", "Logs"};
        QTest::newRow("redis without port") << "redis"
                                            << "running" << 0 << "Running"
                                            << "\u2014" << QStringList{"Stop", "Restart", "Logs"};
        QTest::newRow("starting counts as stopped") << "nginx"
                                                    << "starting" << 8081 << "Stopped"
                                                    << ":8081" << QStringList{"Start", "Logs"};
        QTest::newRow("Mariadb is not mariadb") << "Mariadb"
                                                << "running" << 3306 << "Running"
                                                << ":3306" << QStringList{"Stop", "Restart", "Logs"};
    }
    void cellsAndButtons() {
        QFETCH(QString, name);
        QFETCH(QString, status);
        QFETCH(int, port);
        ServiceStatus s = service("", "", port ? std::optional<qint64>(port) : std::nullopt);
        s.name = name;
        s.status = status;
        QTEST(ServiceListModel::stateText(s), "state");
        QTEST(ServiceRow::portText(s), "portText");
        ServiceTable table(8080);
        table.setServices({s});
        QTEST(table.buttonTitles(0), "buttons");
    }

    void buttonsAskForTheirActions() {
        Table t({service("redis", "stopped"), service("mariadb", "running", 3306)});
        QVERIFY(QTest::qWaitForWindowExposed(&t.table));
        for (const char* b : {"Stop", "Restart", "Logs"})
            t.click(1, QString::fromLatin1(b));
        t.click(0, QStringLiteral("Start"));
        QCOMPARE(t.log, (QStringList{"stop mariadb", "restart mariadb", "logs mariadb", "start redis"}));
        // The pointer over a button shows the hand, over the row the hover fill.
        QTest::mouseMove(t.table.list()->viewport(), t.button(1, QStringLiteral("Stop")));
        QTRY_COMPARE(t.table.list()->viewport()->cursor().shape(), Qt::PointingHandCursor);
        QTest::mouseMove(t.table.list()->viewport(), t.rowRect(0).center() - QPoint(200, 0));
        QTRY_COMPARE(t.table.list()->hoveredIndex().row(), 0);
        QCOMPARE(t.table.list()->viewport()->cursor().shape(), Qt::ArrowCursor);
        QCOMPARE(t.table.list()->hoveredAction(), -1);
    }

    void buttonSetSwitchesWithStatus() {
        Table t({service("mariadb", "running", 3306)});
        QVERIFY(QTest::qWaitForWindowExposed(&t.table));
        t.table.setServices({service("mariadb", "stopped", 3306)});
        QCOMPARE(t.table.buttonTitles(0), (QStringList{"Start", "Logs"}));
        t.click(0, QStringLiteral("Start"));
        QCOMPARE(t.log, QStringList{"start mariadb"});
        t.table.setServices({service("mariadb", "running", 3306)});
        QCOMPARE(t.table.buttonTitles(0), (QStringList{"Stop", "Restart", "Logs", "Admin"}));
    }

    void adminOpensPhpMyAdmin_data() {
        QTest::addColumn<int>("apachePort");
        QTest::addColumn<QString>("url");
        QTest::newRow("8080") << 8080 << "http://localhost:8080/phpmyadmin";
        QTest::newRow("80") << 80 << "http://localhost:80/phpmyadmin";
    }
    void adminOpensPhpMyAdmin() {
        QFETCH(int, apachePort);
        QFETCH(QString, url);
        DesktopGuard guard;
        Table t({service("mariadb", "running", 3306)}, apachePort);
        QVERIFY(QTest::qWaitForWindowExposed(&t.table));
        t.click(0, QStringLiteral("Admin"));
        QCOMPARE(guard.desktop().openedUrls, QList<QUrl>{QUrl(url)});
        QVERIFY(t.log.isEmpty());
    }

    void unshownFieldsCostNoRepaint() {
        Table t({service("mariadb", "running", 3306)});
        QVERIFY(QTest::qWaitForWindowExposed(&t.table));
        QTest::qWait(20);
        QSignalSpy changed(t.table.model(), &QAbstractItemModel::dataChanged);
        PaintCounter paints(&t.table);
        ServiceStatus busier = service("mariadb", "running", 3306);
        busier.pid = 4242;
        busier.cpu = 12.5;
        busier.uptime = 99;
        t.table.setServices({busier});
        t.table.setServices({busier});
        QTest::qWait(50);
        QCOMPARE(paints.count(), 0);
        QCOMPARE(changed.size(), 0);
        QCOMPARE(t.table.model()->service(0).pid, std::optional<qint64>(4242)); // still the latest values
        t.table.setServices({service("mariadb", "running", 3307)});
        QCOMPARE(changed.size(), 1);
        QTRY_VERIFY(paints.count() > 0);
    }

    void dotColours() {
        Table t({service("redis", "running", 6379), service("mailhog", "stopped", 8025)});
        QVERIFY(QTest::qWaitForWindowExposed(&t.table));
        const QImage image = t.table.list()->viewport()->grab().toImage();
        // The dot's centre: side margin plus half its 10-pixel cell, in the middle of the line.
        const auto centre = [&](int row) {
            const QRect r = t.rowRect(row);
            return QPoint(ServiceRow::kSideMargin + 5, r.top() + (r.height() - 1) / 2);
        };
        QCOMPARE(image.pixelColor(centre(0)).rgb(), Theme::runningGreen().rgb());
        QVERIFY(image.pixelColor(centre(1)).rgb() != Theme::runningGreen().rgb());
        // The glow reaches beyond a running dot's edge, and no glow around a stopped one.
        const QPoint beyond(6, 0);
        QVERIFY(image.pixelColor(centre(0) + beyond) != image.pixelColor(centre(1) + beyond));
    }
};

QTEST_MAIN(ServiceRowTest)
#include "ServiceRowTest.moc"
