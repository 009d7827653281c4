#pragma once

#include "SidebarTab.h"

#include <QPointer>
#include <QWidget>

#include <memory>
#include <optional>

class QStackedWidget;
class QVBoxLayout;

namespace brevant {

class ConnectionErrorView;
class StartingView;
class DaemonClient;
class LogView;
class SidebarView;

// The root of a main window. Owns the window's DaemonClient, runs its start-up, and shows the
// dashboard (sidebar beside the selected section) while the daemon answers its status requests,
// the connection screen while it does not (or its configuration cannot be read), and a neutral
// starting screen until the first status refresh has finished. A lost live channel alone never
// replaces the dashboard: the sidebar's footer says "Disconnected" until the next refresh.
// Holds the view state that outlives a section: the selected tab, the bulk busy flags, the log sheet.
class DashboardView : public QWidget {
    Q_OBJECT
public:
    explicit DashboardView(QWidget* parent = nullptr);
    // Tests hand in a client of their fixture.
    explicit DashboardView(std::unique_ptr<DaemonClient> client, QWidget* parent = nullptr);
    ~DashboardView() override;

    DaemonClient* client() const { return m_client.get(); }

    // The start-up sequence: ensureDaemonRunning, and only if it answers the host figures, the
    // configuration, the live channel and polling. Runs once; later calls do nothing.
    void startUp();
    // The window goes away: polling and the live channel stop.
    void windowClosed();
    // A minimised or hidden window does not poll; shown again, it refreshes at once.
    void setWindowVisible(bool visible);
    // True once the live part of the start-up (host figures onwards) has begun.
    bool hasGoneLive() const { return m_liveBegun; }

    SidebarTab selectedTab() const { return m_selectedTab; }
    void selectTab(SidebarTab tab);
    // The selected section's view (the dashboard page is built first where it was not yet).
    QWidget* sectionView();
    bool showsConnectionScreen() const;
    // Until the first status refresh has finished: neither the dashboard nor the connection screen.
    bool showsStartingScreen() const;

    // Services section state.
    bool isStartingAll() const { return m_isStartingAll; }
    bool isStoppingAll() const { return m_isStoppingAll; }
    void startAll();
    void stopAll();
    const std::optional<QString>& selectedLogService() const { return m_selectedLogService; }
    bool showingLogs() const { return m_showingLogs; }
    void showLogs(const QString& service);
    LogView* logSheet() const;
    void retryConnection();

protected:
    void paintEvent(QPaintEvent* event) override;

signals:
    void busyFlagsChanged();
    void selectedTabChanged();
    // Once, right after the first frame (the starting screen) is on the screen.
    void firstFramePainted();

private:
    void build();
    // The sidebar and the selected section: built once the first frame is up, or when the
    // dashboard is first shown or asked for, whichever comes first.
    void buildDashboard();
    // The view of a section, built afresh each time it is selected, wired to this view.
    QWidget* buildSection(SidebarTab tab);
    void updateLayout();
    // The connection screen, built when first needed.
    ConnectionErrorView* connectionScreen();
    void setStartingAll(bool v);
    void setStoppingAll(bool v);
    // Host figures, configuration, live channel, polling: once per window, whoever gets here first.
    void goLive();

    std::unique_ptr<DaemonClient> m_client;
    std::optional<QString> m_selectedLogService;
    bool m_showingLogs = false;
    bool m_isStartingAll = false;
    bool m_isStoppingAll = false;
    SidebarTab m_selectedTab = SidebarTab::services;

    bool m_startupBegun = false;
    bool m_liveBegun = false;
    bool m_closed = false;

    QStackedWidget* m_stack = nullptr;
    QWidget* m_dashboard = nullptr;
    SidebarView* m_sidebar = nullptr;
    QVBoxLayout* m_contentLayout = nullptr;
    QWidget* m_section = nullptr;
    bool m_dashboardQueued = false;
    ConnectionErrorView* m_connectionScreen = nullptr;
    StartingView* m_startingScreen = nullptr;
    // The outcome of the last status refresh; none yet at first.
    std::optional<bool> m_statusReached;
    QPointer<LogView> m_logSheet;
};

} // namespace brevant
