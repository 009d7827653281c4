// The sidebar against the fixture: which services it lists, the count line, the footer, the
// navigation and the web panel link.

#include "UiTestSupport.h"
#include "kit/PaintedList.h"
#include "kit/ServiceListModel.h"
#include "kit/Theme.h"
#include "shell/DashboardView.h"
#include "shell/SidebarParts.h"
#include "shell/SidebarView.h"

#include <QAbstractButton>
#include <QApplication>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>

using namespace brevant;
using namespace brevant::test;

class SidebarTest : public QObject {
    Q_OBJECT
    std::unique_ptr<Fixture> f;
    DashboardView* view = nullptr;

    SidebarView* sidebar() const { return view->findChild<SidebarView*>(); }

    // Serves `services`, refreshes once and waits for the reply to land.
    void showServices(const QList<Svc>& services) {
        f->daemon.setData("GET", "/api/status", statusJson(services));
        // Wait for this reply itself: an earlier one may already have made the client connected.
        QSignalSpy applied(view->client(), &DaemonClient::servicesChanged);
        view->client()->fetchStatus();
        QVERIFY(applied.wait(5000));
        QTRY_VERIFY(view->client()->isConnected());
        QTRY_COMPARE(sidebar()->serviceModel()->rowCount(), sidebar()->listedServices().size());
    }

private slots:
    void initTestCase() { initUiTest(); }
    void init() {
        f = std::make_unique<Fixture>();
        view = new DashboardView(f->makeClient());
        view->show();
        view->sectionView(); // builds the sidebar now rather than after the first frame
    }
    void cleanup() {
        delete view;
        f.reset();
    }

    void filterAndCount_data() {
        QTest::addColumn<QList<Svc>>("services");
        QTest::addColumn<QStringList>("listed");
        QTest::addColumn<QString>("count");
        QTest::newRow("apache runs: nginx hidden")
            << QList<Svc>{{"apache", "running"}, {"nginx", "stopped"}, {"mariadb", "running"}}
            << QStringList{"apache", "mariadb"} << "2/3 active";
        QTest::newRow("both run: neither listed, both counted")
            << QList<Svc>{{"apache", "running"}, {"nginx", "running"}, {"redis", "stopped"}}
            << QStringList{"redis"} << "2/3 active";
        QTest::newRow("neither runs: both listed") << QList<Svc>{{"apache", "stopped"}, {"nginx", "stopped"}}
                                                   << QStringList{"apache", "nginx"} << "0/2 active";
        QTest::newRow("capital Running is stopped") << QList<Svc>{{"nginx", "Running"}, {"apache", "stopped"}}
                                                    << QStringList{"nginx", "apache"} << "0/2 active";
        QTest::newRow("no services") << QList<Svc>{} << QStringList{} << "0/0 active";
    }
    void filterAndCount() {
        QFETCH(QList<Svc>, services);
        QFETCH(QStringList, listed);
        QFETCH(QString, count);
        showServices(services);
        QTRY_COMPARE(sidebar()->listedServices(), listed);
        QCOMPARE(sidebar()->countText(), count);
    }

    void linesFollowStateChanges() {
        showServices({{"mariadb", "running"}, {"redis", "Running"}, {"postgres", "running"}});
        ServiceListModel* lines = sidebar()->serviceModel();
        const auto line = [lines](int row) {
            return lines->index(row).data(Qt::AccessibleTextRole).toString();
        };
        QCOMPARE(lines->rowCount(), 3);
        QCOMPARE(line(0), QStringLiteral("MariaDB, Running"));
        QCOMPARE(line(1), QStringLiteral("Redis, Stopped"));
        QCOMPARE(line(2), QStringLiteral("Postgres, Running"));
        // The same names again: the lines are kept and only their state changes.
        QSignalSpy inserted(lines, &QAbstractItemModel::rowsInserted);
        QSignalSpy reset(lines, &QAbstractItemModel::modelReset);
        showServices({{"mariadb", "stopped"}, {"redis", "running"}, {"postgres", "running"}});
        QCOMPARE(inserted.size() + reset.size(), 0);
        QCOMPARE(line(0), QStringLiteral("MariaDB, Stopped"));
        QCOMPARE(line(1), QStringLiteral("Redis, Running"));
    }

    void lineColours() {
        showServices({{"mariadb", "running"}, {"redis", "stopped"}});
        QVERIFY(QTest::qWaitForWindowExposed(view));
        PaintedListView* list = sidebar()->serviceList();
        const QImage image = list->viewport()->grab().toImage();
        // The 7-pixel dot sits 8 from a line's right edge, centred on the line (above its gap).
        const auto dot = [&](int row) {
            const QRect line = list->visualRect(sidebar()->serviceModel()->index(row)).adjusted(0, 0, 0, -2);
            return QPoint(line.right() - 8 - 3, line.center().y());
        };
        QCOMPARE(image.pixelColor(dot(0)).rgb(), Theme::runningGreen().rgb());
        QVERIFY(image.pixelColor(dot(1)).rgb() != Theme::runningGreen().rgb());
    }

    void footer() {
        QCOMPARE(sidebar()->footerText(), QStringLiteral("Disconnected"));
        showServices({{"redis", "running"}});
        QCOMPARE(sidebar()->footerText(), QStringLiteral("Connected"));
        f->daemon.setData("GET", "/api/system/info",
                          systemInfoJson({8, {1.5}, 1LL << 34, 1LL << 33, 63, 500LL << 30, 212LL << 30, 58}));
        view->client()->fetchSystemInfo();
        QTRY_COMPARE(sidebar()->footerText(), QStringLiteral("Connected 63% RAM"));
        f->daemon.stop();
        view->client()->fetchStatus();
        // The dashboard gives way to the connection screen, the sidebar still knows the state.
        QTRY_COMPARE(sidebar()->footerText(), QStringLiteral("Disconnected 63% RAM"));
    }

    void webPanelUrl() {
        DesktopGuard guard;
        showServices({{"redis", "running"}});
        auto* button = view->findChild<QAbstractButton*>("openWebPanelButton");
        QVERIFY(button);
        QTest::mouseClick(button, Qt::LeftButton);
        f->daemon.setData("GET", "/api/config", configJson({.daemonApi = 19555, .apacheHttp = 8080}));
        view->client()->fetchConfig();
        QTRY_VERIFY(view->client()->appConfig().has_value());
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(guard.desktop().openedUrls,
                 (QList<QUrl>{QUrl("http://127.0.0.1:19400"), QUrl("http://127.0.0.1:19555")}));
    }

    void navigation() {
        showServices({{"redis", "running"}});
        QCOMPARE(view->selectedTab(), SidebarTab::services);
        QVERIFY(view->sectionView()->objectName() == QStringLiteral("servicesView"));
        auto nav = [&](const char* name) {
            auto* item = view->findChild<sidebar::NavItem*>(name);
            Q_ASSERT(item);
            return item;
        };
        QVERIFY(nav("nav-Services")->isSelected());
        QTest::mouseClick(nav("nav-ProTools"), Qt::LeftButton);
        QCOMPARE(view->selectedTab(), SidebarTab::proTools);
        QVERIFY(nav("nav-ProTools")->isSelected());
        QVERIFY(!nav("nav-Services")->isSelected());
        QCOMPARE(view->sectionView()->objectName(), QStringLiteral("proToolsView"));

        // Selecting the selected entry again keeps its view; another section builds afresh.
        QWidget* shown = view->sectionView();
        QTest::mouseClick(nav("nav-ProTools"), Qt::LeftButton);
        QCOMPARE(view->sectionView(), shown);
        QTest::mouseClick(nav("nav-Services"), Qt::LeftButton);
        QCOMPARE(view->sectionView()->objectName(), QStringLiteral("servicesView"));
    }

    void navigationFromTheKeyboard() {
        showServices({{"redis", "running"}});
        auto* services = view->findChild<sidebar::NavItem*>("nav-Services");
        services->setFocus(Qt::TabFocusReason);
        QTest::keyClick(services, Qt::Key_Up); // the first entry stays
        QCOMPARE(QApplication::focusWidget(), services);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("nav-ProTools"));
        QCOMPARE(view->selectedTab(), SidebarTab::services); // moving does not choose
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(view->selectedTab(), SidebarTab::proTools);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        QCOMPARE(view->selectedTab(), SidebarTab::projects);
    }

    // The badge's letters come from the application icon's outlines: white strokes inside the
    // gradient square, and the rounded corners left clear.
    void badgeLetters() {
        QImage image(96, 96, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter p(&image);
        sidebar::paintBadge(p, QRectF(0, 0, 96, 96));
        p.end();
        int white = 0;
        for (int y = 24; y < 72; ++y)
            for (int x = 16; x < 80; ++x)
                white += image.pixelColor(x, y) == QColor(Qt::white);
        QVERIFY2(white > 300 && white < 48 * 64 / 2, qPrintable(QString::number(white)));
        QCOMPARE(image.pixelColor(0, 0).alpha(), 0);
        QVERIFY(image.pixelColor(48, 4).blue() > image.pixelColor(48, 4).red());
    }

    void tabLabels() {
        QStringList labels;
        for (SidebarTab t : kAllSidebarTabs) {
            labels << label(t);
            QCOMPARE(sidebarTabFromLabel(label(t)), std::optional(t));
        }
        QCOMPARE(labels, (QStringList{"Services", "Projects", "Pro Tools", "Settings"}));
        QCOMPARE(sidebarTabFromLabel("services"), std::nullopt);
        QCOMPARE(sidebarTabFromLabel("ProTools"), std::nullopt);
    }
};

QTEST_MAIN(SidebarTest)
#include "SidebarTest.moc"
