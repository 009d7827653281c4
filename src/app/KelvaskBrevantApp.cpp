#include "KelvaskBrevantApp.h"

#include "AboutBox.h"
#include "AppIdentity.h"
#include "MainWindow.h"
#include "kit/Theme.h"
#include "shell/DashboardView.h"
#include "uninstall/UninstallView.h"

#include <QAction>
#include <QApplication>
#include <QMenuBar>

namespace brevant {

KelvaskBrevantApp::KelvaskBrevantApp(QApplication& app, DashboardFactory factory,
                                     UninstallFactory uninstallFactory)
    : QObject(&app), m_factory(std::move(factory)), m_uninstallFactory(std::move(uninstallFactory)) {
    QApplication::setApplicationName(QStringLiteral("Kelvask Brevant"));
    QApplication::setApplicationDisplayName(QStringLiteral("Kelvask Brevant"));
    QApplication::setApplicationVersion(version());
    QGuiApplication::setDesktopFileName(QLatin1StringView(identity::kDesktopFileName));
    Theme::applyPalette(app);
    app.setFont(Theme::font(13)); // a description only: nothing is looked up until text is laid out

    m_newWindow = new QAction(QStringLiteral("New Window"), this);
    m_newWindow->setObjectName(QStringLiteral("newWindowAction"));
    m_newWindow->setShortcut(QKeySequence::New);
    connect(m_newWindow, &QAction::triggered, this, &KelvaskBrevantApp::openMainWindow);

    m_about = new QAction(QStringLiteral("About Kelvask Brevant"), this);
    m_about->setObjectName(QStringLiteral("aboutAction"));
    m_about->setMenuRole(QAction::AboutRole);
    connect(m_about, &QAction::triggered, this, &KelvaskBrevantApp::showAbout);

    m_uninstall = new QAction(QStringLiteral(u"Uninstall Kelvask Brevant\u2026"), this);
    m_uninstall->setObjectName(QStringLiteral("uninstallAction"));
    // On macOS this keeps it in the application menu, below About.
    m_uninstall->setMenuRole(QAction::ApplicationSpecificRole);
    connect(m_uninstall, &QAction::triggered, this, &KelvaskBrevantApp::openUninstallWindow);

    m_quit = new QAction(QStringLiteral("Quit Kelvask Brevant"), this);
    m_quit->setObjectName(QStringLiteral("quitAction"));
    m_quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    m_quit->setMenuRole(QAction::QuitRole);
    connect(m_quit, &QAction::triggered, this, &KelvaskBrevantApp::quit);
}

KelvaskBrevantApp::~KelvaskBrevantApp() {
    for (const QPointer<MainWindow>& w : m_windows)
        delete w.data();
    delete m_uninstallWindow.data();
}

void KelvaskBrevantApp::finishStartUp() {
    if (m_startUpFinished)
        return;
    m_startUpFinished = true;
    QApplication::setWindowIcon(identity::icon());
}

QString KelvaskBrevantApp::version() {
    return QStringLiteral(BREVANT_VERSION);
}

void KelvaskBrevantApp::addMenus(QMenuBar* bar) {
    // Alt+K and Alt+F open the menus: About and Uninstall have no shortcut of their own.
    QMenu* appMenu = bar->addMenu(QStringLiteral("&Kelvask Brevant"));
    appMenu->addAction(m_about);
    appMenu->addSeparator();
    appMenu->addAction(m_uninstall);
    appMenu->addSeparator();
    appMenu->addAction(m_quit);
    QMenu* file = bar->addMenu(QStringLiteral("&File"));
    file->addAction(m_newWindow);
}

MainWindow* KelvaskBrevantApp::openMainWindow() {
    auto* window = m_factory ? new MainWindow(m_factory()) : new MainWindow;
    // The menus and the window icon come right after the window's first frame: text needs the
    // font set-up, the largest part of a start, and the starting screen has none.
    connect(window->dashboard(), &DashboardView::firstFramePainted, window, [this, window] {
        finishStartUp();
        addMenus(window->menuBar());
        window->menusAdded();
    });
    m_windows.removeAll(nullptr);
    m_windows.push_back(window);
    window->show();
    window->startUp();
    return window;
}

QList<MainWindow*> KelvaskBrevantApp::windows() const {
    QList<MainWindow*> open;
    for (const QPointer<MainWindow>& w : m_windows)
        if (w)
            open.push_back(w);
    return open;
}

UninstallView* KelvaskBrevantApp::openUninstallWindow() {
    finishStartUp();
    if (!m_uninstallWindow) {
        UninstallView* view = m_uninstallFactory ? m_uninstallFactory() : new UninstallView;
        view->setParent(nullptr, Qt::Window);
        view->setWindowTitle(QStringLiteral("Uninstall Kelvask Brevant"));
        view->setFixedSize(420, 280);
        // Closing deletes the view; a running procedure goes on and still quits after success.
        view->setAttribute(Qt::WA_DeleteOnClose);
        connect(view, &UninstallView::dismiss, view, &QWidget::close);
        m_uninstallWindow = view;
    }
    m_uninstallWindow->show();
    m_uninstallWindow->raise();
    m_uninstallWindow->activateWindow();
    return m_uninstallWindow;
}

void KelvaskBrevantApp::showAbout() {
    finishStartUp();
    auto* box = new AboutBox(version(), QApplication::activeWindow());
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->show();
}

void KelvaskBrevantApp::quit() {
    // Closing each window first stops its polling and live channel.
    QApplication::closeAllWindows();
    QCoreApplication::quit();
}

} // namespace brevant
