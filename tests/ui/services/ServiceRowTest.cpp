// One service row on its own: texts, button sets, the actions it calls, the Admin link, hover
// and the dot's colours.

#include "services/ServiceRow.h"
#include "UiTestSupport.h"
#include "kit/Button.h"
#include "kit/Theme.h"

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

struct Calls {
    QStringList log;
    ServiceRow::Actions actions() {
        return {[this] { log << "start"; }, [this] { log << "stop"; }, [this] { log << "restart"; },
                [this] { log << "logs"; }};
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
        QFETCH(QString, state);
        QFETCH(QString, portText);
        QFETCH(QStringList, buttons);
        ServiceStatus s = service("", "", port ? std::optional<qint64>(port) : std::nullopt);
        s.name = name;
        s.status = status;
        Calls calls;
        ServiceRow row(s, calls.actions(), 8080);
        QCOMPARE(row.stateText(), state);
        QCOMPARE(row.portText(), portText);
        QCOMPARE(row.buttonTitles(), buttons);
    }

    void buttonsCallTheirActions() {
        Calls calls;
        ServiceRow row(service("mariadb", "running", 3306), calls.actions(), 8080);
        row.show();
        for (const char* b : {"stopButton", "restartButton", "logsButton"})
            QTest::mouseClick(row.findChild<Button*>(b), Qt::LeftButton);
        QCOMPARE(calls.log, (QStringList{"stop", "restart", "logs"}));
        QCOMPARE(row.findChild<Button*>("stopButton")->cursor().shape(), Qt::PointingHandCursor);
    }

    void buttonSetSwitchesWithStatus() {
        Calls calls;
        ServiceRow row(service("mariadb", "running", 3306), calls.actions(), 8080);
        row.show();
        row.setService(service("mariadb", "stopped", 3306));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(row.buttonTitles(), (QStringList{"Start", "Logs"}));
        QVERIFY(!row.findChild<Button*>("adminButton"));
        QTest::mouseClick(row.findChild<Button*>("startButton"), Qt::LeftButton);
        QCOMPARE(calls.log, QStringList{"start"});
        row.setService(service("mariadb", "running", 3306));
        QCOMPARE(row.buttonTitles(), (QStringList{"Stop", "Restart", "Logs", "Admin"}));
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
        Calls calls;
        ServiceRow row(service("mariadb", "running", 3306), calls.actions(), apachePort);
        row.show();
        QTest::mouseClick(row.findChild<Button*>("adminButton"), Qt::LeftButton);
        QCOMPARE(guard.desktop().openedUrls, QList<QUrl>{QUrl(url)});
        QVERIFY(calls.log.isEmpty());
    }

    void unshownFieldsCostNoRepaint() {
        Calls calls;
        ServiceRow row(service("mariadb", "running", 3306), calls.actions(), 8080);
        row.show();
        QVERIFY(QTest::qWaitForWindowExposed(&row));
        QTest::qWait(20);
        PaintCounter paints(&row);
        ServiceStatus busier = service("mariadb", "running", 3306);
        busier.pid = 4242;
        busier.cpu = 12.5;
        busier.uptime = 99;
        row.setService(busier);
        row.setService(busier);
        QTest::qWait(50);
        QCOMPARE(paints.count(), 0);
        row.setService(service("mariadb", "running", 3307));
        QTRY_VERIFY(paints.count() > 0);
    }

    void dotAndHover() {
        Calls calls;
        ServiceRow running(service("redis", "running", 6379), calls.actions(), 8080);
        ServiceRow stopped(service("redis", "stopped", 6379), calls.actions(), 8080);
        running.resize(600, 40);
        stopped.resize(600, 40);
        // The dot's centre: side margin plus half its 10-pixel cell.
        const QPoint centre(ServiceRow::kSideMargin + 5, 20);
        QCOMPARE(running.grab().toImage().pixelColor(centre).rgb(), Theme::runningGreen().rgb());
        const QImage off = stopped.grab().toImage();
        QVERIFY(off.pixelColor(centre).rgb() != Theme::runningGreen().rgb());
        // The glow reaches beyond a running dot's edge, and no glow around a stopped one.
        const QPoint halo(ServiceRow::kSideMargin + 5 + 6, 20);
        QVERIFY(running.grab().toImage().pixelColor(halo) != off.pixelColor(halo));

        QVERIFY(!running.isHovered());
        QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
        QCoreApplication::sendEvent(&running, &enter);
        QVERIFY(running.isHovered());
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(&running, &leave);
        QVERIFY(!running.isHovered());
    }
};

QTEST_MAIN(ServiceRowTest)
#include "ServiceRowTest.moc"
