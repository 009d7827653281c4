// The main window and the application menu, offscreen, over the fixture: sizes, the pause
// while minimised or hidden, New Window with its own client, About, closing, and the uninstall
// window (over a recording desktop).

#include "MainWindow.h"
#include "AboutBox.h"
#include "DaemonClient.h"
#include "FastUninstall.h"
#include "KelvaskBrevantApp.h"
#include "RecordingDesktop.h"
#include "UiTestSupport.h"
#include "kit/Button.h"
#include "shell/DashboardView.h"
#include "uninstall/UninstallView.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
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
    std::shared_ptr<RecordingDesktop> desktop;

    static int uninstallWindows() {
        int n = 0;
        for (QWidget* w : QApplication::topLevelWidgets())
            n += qobject_cast<UninstallView*>(w) != nullptr;
        return n;
    }

private slots:
    void initTestCase() { initUiTest(); }
    void init() {
        f = std::make_unique<Fixture>();
        f->daemon.setData("GET", "/api/status", statusJson({{"redis", "running"}}));
        f->daemon.setData("GET", "/api/system/info",
                          systemInfoJson({8, {1.0}, 1LL << 34, 1LL << 33, 50, 1LL << 40, 1LL << 39, 50}));
        f->daemon.setData("GET", "/api/config", configJson({.daemonApi = 19400, .apacheHttp = 8080}));
        clients.clear();
        desktop = std::make_shared<RecordingDesktop>();
        setDesktopServices(desktop);
        shell = new KelvaskBrevantApp(
            *qApp,
            [this] {
                auto* view = new DashboardView(f->makeClient());
                clients << view->client();
                return view;
            },
            [this] { return new UninstallView(uninstallTestProfile(), fastUninstall(*f)); });
    }
    void cleanup() {
        delete shell;
        setDesktopServices(nullptr);
        desktop.reset();
        f.reset();
    }

    void sizes() {
        MainWindow* w = shell->openMainWindow();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        const QRect before = w->dashboard()->geometry();
        QTRY_VERIFY(!w->menuBar()->actions().isEmpty());
        QCoreApplication::processEvents();
        // The menu bar comes after the first frame into the room kept for it: nothing moves.
        QCOMPARE(w->dashboard()->geometry(), before);
        QCOMPARE(w->dashboard()->size(), QSize(860, 540));
        QCOMPARE(w->dashboard()->minimumSize(), QSize(820, 520));
        w->resize(400, 300);
        QVERIFY(w->dashboard()->width() >= 820 && w->dashboard()->height() >= 520);
        QCOMPARE(w->windowTitle(), QStringLiteral("Kelvask Brevant"));
    }

    void menus() {
        MainWindow* w = shell->openMainWindow();
        QTRY_VERIFY(!w->menuBar()->actions().isEmpty());
        QStringList menus;
        for (QAction* a : w->menuBar()->actions())
            menus << a->text();
        QCOMPARE(menus, (QStringList{"&Kelvask Brevant", "&File"})); // shown without the marks
        QCOMPARE(shell->newWindowAction()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_N));
        QCOMPARE(shell->quitAction()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
        QCOMPARE(shell->aboutAction()->text(), QStringLiteral("About Kelvask Brevant"));

        // From the keyboard: Alt+K opens the application menu, where About and Uninstall are.
        QVERIFY(QTest::qWaitForWindowActive(w));
        QMenu* appMenu = w->menuBar()->actions().first()->menu();
        QTest::keyClick(w, Qt::Key_K, Qt::AltModifier);
        QTRY_VERIFY(appMenu->isVisible());
        QVERIFY(appMenu->actions().contains(shell->aboutAction()));
        QTest::keyClick(appMenu, Qt::Key_Escape);
        QTRY_VERIFY(!appMenu->isVisible());
    }

    // Taskbars match the window to the installed desktop entry, and show the badge as its icon.
    void desktopIdentity() {
        MainWindow* w = shell->openMainWindow();
        QTRY_VERIFY(!w->windowIcon().isNull());
        QCOMPARE(QGuiApplication::desktopFileName(), QStringLiteral("dev.kelvask.brevant"));
        // The desktop shows the display name beside a title that differs from it.
        QCOMPARE(QGuiApplication::applicationDisplayName(), QStringLiteral("Kelvask Brevant"));
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

    // Right after About, between separators; one window however often it is chosen.
    void uninstallCommand() {
        MainWindow* w = shell->openMainWindow();
        QTRY_VERIFY(!w->menuBar()->actions().isEmpty());
        const QList<QAction*> items = w->menuBar()->actions().first()->menu()->actions();
        QCOMPARE(items.size(), 5);
        QCOMPARE(items[0], shell->aboutAction());
        QVERIFY(items[1]->isSeparator());
        QCOMPARE(items[2], shell->uninstallAction());
        QCOMPARE(items[2]->text(), QStringLiteral(u"Uninstall Kelvask Brevant\u2026"));
        QVERIFY(items[3]->isSeparator());
        QCOMPARE(items[4], shell->quitAction());
        QCOMPARE(uninstallWindows(), 0);

        shell->uninstallAction()->trigger();
        QPointer<UninstallView> window = shell->uninstallWindow();
        QVERIFY(window && window->isWindow() && window->isVisible());
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QCOMPARE(window->windowTitle(), QStringLiteral("Uninstall Kelvask Brevant"));
        QCOMPARE(window->size(), QSize(420, 280));
        QCOMPARE(window->minimumSize(), QSize(420, 280));
        QCOMPARE(window->maximumSize(), QSize(420, 280));
        window->resize(600, 400);
        QCOMPARE(window->size(), QSize(420, 280));
        QVERIFY(!window->findChild<DaemonClient*>());

        // Chosen again from the main window: the open one comes to the front.
        w->activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), w);
        shell->uninstallAction()->trigger();
        shell->uninstallAction()->trigger();
        QCOMPARE(shell->uninstallWindow(), window.data());
        QCOMPARE(uninstallWindows(), 1);
        QTRY_COMPARE(QApplication::activeWindow(), window.data());

        // Closed, it is gone; the command then opens a fresh one.
        window->close();
        QTRY_VERIFY(!window);
        QCOMPARE(uninstallWindows(), 0);
        QVERIFY(shell->openUninstallWindow() != nullptr);
        QCOMPARE(uninstallWindows(), 1);
    }

    // Cancel and Escape close the window while the procedure runs; it still finishes and quits.
    void closingWhileUninstalling_data() {
        QTest::addColumn<bool>("escape");
        QTest::newRow("Cancel") << false;
        QTest::newRow("Escape") << true;
    }
    void closingWhileUninstalling() {
        QFETCH(bool, escape);
        // Slow programs, so the window is surely gone before the procedure ends.
        desktop->runDuration = std::chrono::milliseconds(200);
        QPointer<UninstallView> window = shell->openUninstallWindow();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        connect(window, &QObject::destroyed, this, [this] { desktop->note({QStringLiteral("closed")}); });
        auto* cancel = window->findChild<Button*>(QStringLiteral("cancelButton"));
        window->findChild<Button*>(QStringLiteral("uninstallButton"))->click();
        QVERIFY(window->isUninstalling());
        if (escape) {
            cancel->setFocus(Qt::TabFocusReason);
            QTest::keyClick(cancel, Qt::Key_Escape);
        } else {
            QTest::mouseClick(cancel, Qt::LeftButton);
        }
        QTRY_VERIFY(!window);
        QVERIFY(!shell->uninstallWindow());
        QTRY_COMPARE(desktop->count(QStringLiteral("quit")), 1);
        const QStringList kinds = [this] {
            QStringList k;
            for (const QStringList& step : desktop->steps)
                k << step.first();
            return k;
        }();
        QVERIFY2(kinds.indexOf(QStringLiteral("closed")) < kinds.indexOf(QStringLiteral("exists")),
                 qPrintable(kinds.join(QLatin1Char(' '))));
        QCOMPARE(kinds.last(), QStringLiteral("quit"));
        QCOMPARE(f->daemon.count("POST", "/api/services/stop-all"), 1);
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

        // Shown, Return closes it at once: the focus starts on its one button.
        box.show();
        QVERIFY(QTest::qWaitForWindowActive(&box));
        QCOMPARE(QApplication::focusWidget(), box.findChild<QWidget*>("aboutClose"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTRY_VERIFY(!box.isVisible());
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
