// The main window and the application menu, offscreen, over the fixture: sizes, the pause
// while minimised or hidden, New Window with its own client, About, closing.

#include "MainWindow.h"
#include "AboutBox.h"
#include "DaemonClient.h"
#include "KelvaskBrevantApp.h"
#include "UiTestSupport.h"
#include "shell/DashboardView.h"

#include <QAction>
#include <QApplication>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTest>

using namespace brevant;
using namespace brevant::test;

class MainWindowTest : public QObject {
    Q_OBJECT
    std::unique_ptr<Fixture> f;
    KelvaskBrevantApp* shell = nullptr;
    QList<DaemonClient*> clients;

private slots:
    void initTestCase() { initUiTest(); }
    void init() {
        f = std::make_unique<Fixture>();
        f->daemon.setData("GET", "/api/status", statusJson({{"redis", "running"}}));
        f->daemon.setData("GET", "/api/system/info",
                          systemInfoJson({8, {1.0}, 1LL << 34, 1LL << 33, 50, 1LL << 40, 1LL << 39, 50}));
        f->daemon.setData("GET", "/api/config", configJson({.daemonApi = 19400, .apacheHttp = 8080}));
        clients.clear();
        shell = new KelvaskBrevantApp(*qApp, [this] {
            auto* view = new DashboardView(f->makeClient());
            clients << view->client();
            return view;
        });
    }
    void cleanup() {
        delete shell;
        f.reset();
    }

    void sizes() {
        MainWindow* w = shell->openMainWindow();
        QCOMPARE(w->dashboard()->size(), QSize(860, 540));
        QCOMPARE(w->dashboard()->minimumSize(), QSize(820, 520));
        w->resize(400, 300);
        QVERIFY(w->dashboard()->width() >= 820 && w->dashboard()->height() >= 520);
        QCOMPARE(w->windowTitle(), QStringLiteral("Kelvask Brevant"));
    }

    void menus() {
        MainWindow* w = shell->openMainWindow();
        QStringList menus;
        for (QAction* a : w->menuBar()->actions())
            menus << a->text();
        QCOMPARE(menus, (QStringList{"Kelvask Brevant", "File"}));
        QCOMPARE(shell->newWindowAction()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_N));
        QCOMPARE(shell->quitAction()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
        QCOMPARE(shell->aboutAction()->text(), QStringLiteral("About Kelvask Brevant"));
    }

    // Taskbars match the window to the installed desktop entry, and show the badge as its icon.
    void desktopIdentity() {
        MainWindow* w = shell->openMainWindow();
        QCOMPARE(QGuiApplication::desktopFileName(), QStringLiteral("dev.kelvask.brevant"));
        const QImage icon = w->windowIcon().pixmap(64).toImage();
        QCOMPARE(icon.size(), QSize(64, 64));
        // Near the top-left corner, inside the rounding: the gradient's first blue, not the white letters.
        const QColor corner = icon.pixelColor(20, 12);
        QVERIFY2(corner.blue() > corner.red() + 40 && corner.alpha() == 255, qPrintable(corner.name()));
        QCOMPARE(icon.pixelColor(0, 0).alpha(), 0); // the rounded corner is transparent
    }

    void newWindowHasItsOwnClient() {
        MainWindow* first = shell->openMainWindow();
        QTRY_VERIFY(clients.value(0) && clients[0]->isPolling());
        shell->newWindowAction()->trigger();
        QCOMPARE(shell->windows().size(), 2);
        QCOMPARE(clients.size(), 2);
        QVERIFY(clients[0] != clients[1]);
        QTRY_VERIFY(clients[1]->isPolling());
        QTRY_COMPARE(f->daemon.webSocketHandshakes(), 2);

        // Closing one window stops only its polling.
        QPointer<DaemonClient> second = clients[1];
        first->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(shell->windows().size(), 1);
        QVERIFY(second && second->isPolling());
    }

    void closingStopsPolling() {
        MainWindow* w = shell->openMainWindow();
        QTRY_VERIFY(clients.value(0) && clients[0]->isPolling());
        QTRY_COMPARE(f->daemon.openWebSockets(), 1);
        w->close();
        QTRY_COMPARE(f->daemon.openWebSockets(), 0);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(shell->windows().isEmpty());
        const int requests = f->daemon.requests().size();
        QTest::qWait(300);
        QCOMPARE(f->daemon.requests().size(), requests);
    }

    void minimisedWindowDoesNotPoll() {
        MainWindow* w = shell->openMainWindow();
        QTRY_VERIFY(clients.value(0) && clients[0]->isPolling());
        w->setWindowState(Qt::WindowMinimized);
        QTRY_VERIFY(clients[0]->isPollingPaused());
        QTest::qWait(50);
        const int minimised = f->daemon.count("GET", "/api/status");
        QTest::qWait(400);
        QCOMPARE(f->daemon.count("GET", "/api/status"), minimised);
        QCOMPARE(f->daemon.openWebSockets(), 1);
        w->setWindowState(Qt::WindowNoState);
        QTRY_VERIFY(!clients[0]->isPollingPaused());
        QTRY_VERIFY(f->daemon.count("GET", "/api/status") > minimised);

        w->hide();
        QVERIFY(clients[0]->isPollingPaused());
        w->show();
        QVERIFY(!clients[0]->isPollingPaused());
    }

    void about() {
        AboutBox box(KelvaskBrevantApp::version());
        QVERIFY(box.findChild<QWidget*>("aboutVersion"));
        QCOMPARE(KelvaskBrevantApp::version(), QStringLiteral("0.1.0"));
        const QString licences = box.findChild<QPlainTextEdit*>("aboutLicences")->toPlainText();
        // The project's own licence comes first, whole.
        QVERIFY(licences.startsWith(QStringLiteral("== Kelvask Brevant ==\n\nMIT License\n")));
        QVERIFY(licences.contains(QStringLiteral("Permission is hereby granted")));
        QVERIFY(licences.indexOf(QStringLiteral("SOFTWARE.")) <
                licences.indexOf(QStringLiteral("== bootstrap-icons ==")));
        for (const char* package :
             {"bootstrap-icons", "fonts-inter", "fonts-jetbrains-mono", "fonts-quicksand"})
            QVERIFY2(licences.contains(QStringLiteral("== %1 ==").arg(QLatin1StringView(package))), package);
        QVERIFY(licences.contains(QStringLiteral("MIT")) || licences.contains(QStringLiteral("Expat")));
        QVERIFY(licences.contains(QStringLiteral("OFL")) ||
                licences.contains(QStringLiteral("Open Font License")));
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
