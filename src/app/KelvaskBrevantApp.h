#pragma once

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

// The application: opens main windows (each with its own client) and carries the application
// menu (About, Quit) and the File menu (New Window). Keeps no state beyond its open windows.
class KelvaskBrevantApp : public QObject {
    Q_OBJECT
public:
    // Builds the content of each new main window; tests hand in dashboards of their fixture.
    using DashboardFactory = std::function<DashboardView*()>;

    explicit KelvaskBrevantApp(QApplication& app, DashboardFactory factory = {});
    ~KelvaskBrevantApp() override;

    MainWindow* openMainWindow();
    QList<MainWindow*> windows() const;
    void showAbout();
    void quit();

    QAction* newWindowAction() const { return m_newWindow; }
    QAction* aboutAction() const { return m_about; }
    QAction* quitAction() const { return m_quit; }

    static QString version();

private:
    void addMenus(QMenuBar* bar);

    DashboardFactory m_factory;
    QAction* m_newWindow;
    QAction* m_about;
    QAction* m_quit;
    QList<QPointer<MainWindow>> m_windows;
};

} // namespace brevant
