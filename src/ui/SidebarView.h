#pragma once

#include "SidebarTab.h"

#include <QList>
#include <QWidget>

class QVBoxLayout;

namespace brevant {

class DaemonClient;
class DashboardView;

namespace sidebar {
class Header;
class ServiceLine;
class NavItem;
class Footer;
} // namespace sidebar

// The dashboard's left column, 210 wide: badge, title and count line; the live service list;
// the section navigation; "Open Web Panel"; the connection footer.
class SidebarView : public QWidget {
    Q_OBJECT
public:
    SidebarView(DaemonClient* client, DashboardView* host, QWidget* parent = nullptr);

    QString countText() const;
    // The names the service list shows, in order.
    QStringList listedServices() const;
    QList<sidebar::ServiceLine*> serviceLines() const { return m_lines; }
    QString footerText() const;
    QString webPanelUrl() const;
    void openWebPanel() const;

    static constexpr int kWidth = 210;

private:
    void updateServices();
    void updateSelection();

    DaemonClient* m_client;
    DashboardView* m_host;
    sidebar::Header* m_header;
    QVBoxLayout* m_list;
    QList<sidebar::ServiceLine*> m_lines;
    QList<sidebar::NavItem*> m_nav;
    sidebar::Footer* m_footer;
};

} // namespace brevant
