#include "SidebarView.h"

#include "DaemonClient.h"
#include "DesktopServices.h"
#include "SidebarParts.h"
#include "TextRules.h"
#include "kit/Divider.h"
#include "kit/PaintedList.h"
#include "kit/Painting.h"
#include "kit/ServiceListModel.h"
#include "kit/Theme.h"

#include <QKeyEvent>
#include <QPainter>
#include <QUrl>
#include <QVBoxLayout>

namespace brevant {

using namespace sidebar;

SidebarView::SidebarView(DaemonClient* client, QWidget* parent) : QWidget(parent), m_client(client) {
    setObjectName(QStringLiteral("sidebar"));
    setAccessibleName(QStringLiteral("Sidebar"));
    setFixedWidth(kWidth);
    paint::setOpaqueBackground(this, Theme::sidebarBackground());
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    m_header = new Header(this);
    column->addWidget(m_header);
    column->addWidget(new Divider(Qt::Horizontal, 12, this));

    // A long list scrolls; the window never grows for it, and a peer listing thousands of services
    // costs only the rows on screen.
    m_model = new ServiceListModel(this);
    m_list = new PaintedListView(this);
    m_list->setObjectName(QStringLiteral("sidebarServiceList"));
    m_list->setAccessibleName(QStringLiteral("Services"));
    m_list->setFocusPolicy(Qt::NoFocus); // the lines do nothing when chosen
    m_list->setListMargins(8, 8 - sidebar::ServiceLine::kGap, 10);
    m_list->setRowDelegate(new ServiceLine(m_list));
    m_list->setModel(m_model);
    m_list->setBackground(Theme::sidebarBackground());
    column->addWidget(m_list, 1);
    column->addWidget(new Divider(Qt::Horizontal, 12, this));

    auto* nav = new QVBoxLayout;
    nav->setContentsMargins(10, 8, 10, 8);
    nav->setSpacing(2);
    for (SidebarTab tab : kAllSidebarTabs) {
        auto* item = new NavItem(label(tab), iconName(tab), this);
        paint::setOpaqueBackground(item, Theme::sidebarBackground());
        item->setObjectName(QStringLiteral("nav-") + label(tab).remove(QLatin1Char(' ')));
        item->setSelected(tab == m_selected);
        item->installEventFilter(this);
        connect(item, &QAbstractButton::clicked, this, [this, tab] { emit tabRequested(tab); });
        nav->addWidget(item);
        m_nav.push_back(item);
    }
    column->addLayout(nav);

    auto* web = new QVBoxLayout;
    web->setContentsMargins(10, 0, 10, 4);
    auto* webButton = new WebPanelButton(this);
    connect(webButton, &QAbstractButton::clicked, this, &SidebarView::openWebPanel);
    web->addWidget(webButton);
    column->addLayout(web);
    column->addWidget(new Divider(Qt::Horizontal, 12, this));

    m_footer = new Footer(this);
    paint::setOpaqueBackground(m_footer, Theme::sidebarBackground());
    paint::setOpaqueBackground(m_header, Theme::sidebarBackground());
    column->addWidget(m_footer);

    connect(client, &DaemonClient::servicesChanged, this, &SidebarView::updateServices);
    auto updateFooter = [this] {
        const auto& info = m_client->systemInfo();
        m_footer->setState(m_client->isConnected(),
                           info ? QString::number(info->memory.percentUsed) + QStringLiteral("% RAM")
                                : QString());
    };
    connect(client, &DaemonClient::isConnectedChanged, this, updateFooter);
    connect(client, &DaemonClient::systemInfoChanged, this, updateFooter);
    updateServices();
    updateFooter();
}

void SidebarView::setSelectedTab(SidebarTab tab) {
    m_selected = tab;
    for (qsizetype i = 0; i < m_nav.size(); ++i)
        m_nav[i]->setSelected(kAllSidebarTabs[i] == tab);
}

bool SidebarView::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return false;
    const qsizetype at = m_nav.indexOf(static_cast<NavItem*>(watched));
    if (at < 0)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    switch (key->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down: {
        // The entries form one group: the arrows move within it and stop at its ends.
        const qsizetype next = at + (key->key() == Qt::Key_Down ? 1 : -1);
        if (next >= 0 && next < m_nav.size())
            m_nav[next]->setFocus(Qt::TabFocusReason);
        return true;
    }
    case Qt::Key_Return:
    case Qt::Key_Enter:
        m_nav[at]->click();
        return true;
    default:
        return false;
    }
}

QString SidebarView::countText() const {
    return m_header->countText();
}

QStringList SidebarView::listedServices() const {
    QStringList names;
    for (const ServiceStatus& s : m_model->items())
        names << s.name;
    return names;
}

QString SidebarView::footerText() const {
    return m_footer->text();
}

QString SidebarView::webPanelUrl() const {
    const auto& config = m_client->appConfig();
    const qint64 port = config ? config->ports.daemonApi : 19400;
    return QStringLiteral("http://127.0.0.1:") + QString::number(port);
}

void SidebarView::openWebPanel() const {
    const QUrl url(webPanelUrl(), QUrl::StrictMode);
    if (url.isValid())
        desktopServices().openUrl(url);
}

void SidebarView::updateServices() {
    const QList<ServiceStatus>& all = m_client->services();
    m_header->setCountText(activeCountText(all));
    m_model->sync(filteredServices(all));
}

} // namespace brevant
