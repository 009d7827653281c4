#pragma once

#include "uninstall/UninstallView.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <functional>

class QAction;
class QApplication;
class QMenuBar;

namespace brevant {

class DashboardView;
class MainWindow;

// The application: opens main windows (each with its own client) and the one uninstall window,
// and carries the application menu (About, Uninstall, Quit) and the File menu (New Window).
// Keeps no state beyond its open windows.
class KelvaskBrevantApp : public QObject {
    Q_OBJECT
public:
    // Builds the content of each new main window; tests hand in dashboards of their fixture.
    using DashboardFactory = std::function<DashboardView*()>;
    // Builds the content of the uninstall window; tests hand in one that touches nothing.
    using UninstallFactory = std::function<UninstallView*()>;

    explicit KelvaskBrevantApp(QApplication& app, DashboardFactory factory = {},
                               UninstallFactory uninstallFactory = {});
    ~KelvaskBrevantApp() override;

    MainWindow* openMainWindow();
    QList<MainWindow*> windows() const;
    // Opens the uninstall window, or brings the open one to the front.
    UninstallView* openUninstallWindow();
    UninstallView* uninstallWindow() const { return m_uninstallWindow; }
    void showAbout();
    void quit();

    QAction* newWindowAction() const { return m_newWindow; }
    QAction* aboutAction() const { return m_about; }
    QAction* uninstallAction() const { return m_uninstall; }
    QAction* quitAction() const { return m_quit; }

    static QString version();

private:
    void addMenus(QMenuBar* bar);
    // The window icon: once, after the first window's first frame.
    void finishStartUp();

    DashboardFactory m_factory;
    UninstallFactory m_uninstallFactory;
    QAction* m_newWindow;
    QAction* m_about;
    QAction* m_uninstall;
    QAction* m_quit;
    QList<QPointer<MainWindow>> m_windows;
    QPointer<UninstallView> m_uninstallWindow;
    bool m_startUpFinished = false;
};

} // namespace brevant
