#pragma once

#include "SidebarTab.h"

#include <QList>
#include <QWidget>

namespace brevant {

class DaemonClient;
class PaintedListView;
class ServiceListModel;

namespace sidebar {
class Header;
class NavItem;
class Footer;
} // namespace sidebar

// The dashboard's left column, 210 wide: badge, title and count line; the live service list;
// the section navigation; "Open Web Panel"; the connection footer. The navigation asks for a
// section with tabRequested(); the owner says which one is shown with setSelectedTab(). Up and
// Down move between the navigation entries, Space and Return choose one.
class SidebarView : public QWidget {
    Q_OBJECT
public:
    explicit SidebarView(DaemonClient* client, QWidget* parent = nullptr);

    void setSelectedTab(SidebarTab tab);
    SidebarTab selectedTab() const { return m_selected; }

    QString countText() const;
    // The names the service list shows, in order.
    QStringList listedServices() const;
    PaintedListView* serviceList() const { return m_list; }
    ServiceListModel* serviceModel() const { return m_model; }
    QString footerText() const;
    QString webPanelUrl() const;
    void openWebPanel() const;

    static constexpr int kWidth = 210;

signals:
    void tabRequested(SidebarTab tab);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void updateServices();

    DaemonClient* m_client;
    SidebarTab m_selected = SidebarTab::services;
    sidebar::Header* m_header;
    ServiceListModel* m_model;
    PaintedListView* m_list;
    QList<sidebar::NavItem*> m_nav;
    sidebar::Footer* m_footer;
};

} // namespace brevant
