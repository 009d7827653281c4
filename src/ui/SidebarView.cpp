#include "SidebarView.h"

#include "DaemonClient.h"
#include "DashboardView.h"
#include "DesktopServices.h"
#include "Divider.h"
#include "Painting.h"
#include "SidebarParts.h"
#include "TextRules.h"
#include "Theme.h"

#include <QPainter>
#include <QScrollArea>
#include <QUrl>
#include <QVBoxLayout>

namespace brevant {

using namespace sidebar;

SidebarView::SidebarView(DaemonClient* client, DashboardView* host, QWidget* parent)
    : QWidget(parent), m_client(client), m_host(host) {
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

    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("sidebarServiceList"));
    scroll->setAccessibleName(QStringLiteral("Services"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->viewport()->setAutoFillBackground(false);
    auto* listContent = new QWidget(scroll);
    paint::setOpaqueBackground(listContent, Theme::sidebarBackground());
    m_list = new QVBoxLayout(listContent);
    m_list->setContentsMargins(10, 8, 10, 8);
    m_list->setSpacing(2);
    m_list->addStretch(1);
    scroll->setWidget(listContent);
    column->addWidget(scroll, 1);
    column->addWidget(new Divider(Qt::Horizontal, 12, this));

    auto* nav = new QVBoxLayout;
    nav->setContentsMargins(10, 8, 10, 8);
    nav->setSpacing(2);
    for (SidebarTab tab : kAllSidebarTabs) {
        auto* item = new NavItem(label(tab), iconName(tab), this);
        paint::setOpaqueBackground(item, Theme::sidebarBackground());
        item->setObjectName(QStringLiteral("nav-") + label(tab).remove(QLatin1Char(' ')));
        connect(item, &QAbstractButton::clicked, host, [host, tab] { host->selectTab(tab); });
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
    connect(host, &DashboardView::selectedTabChanged, this, &SidebarView::updateSelection);
    updateServices();
    updateFooter();
    updateSelection();
}

QString SidebarView::countText() const {
    return m_header->countText();
}

QStringList SidebarView::listedServices() const {
    QStringList names;
    for (const ServiceLine* line : m_lines)
        names << line->name();
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
    const QList<ServiceStatus> shown = filteredServices(all);
    bool sameNames = shown.size() == m_lines.size();
    for (qsizetype i = 0; sameNames && i < shown.size(); ++i)
        sameNames = shown[i].name == m_lines[i]->name();
    if (!sameNames) {
        qDeleteAll(m_lines);
        m_lines.clear();
        QWidget* content = m_list->parentWidget();
        for (qsizetype i = 0; i < shown.size(); ++i) {
            auto* line = new ServiceLine(shown[i], content);
            paint::setOpaqueBackground(line, Theme::sidebarBackground());
            m_list->insertWidget(int(i), line);
            m_lines.push_back(line);
        }
        return;
    }
    for (qsizetype i = 0; i < shown.size(); ++i)
        m_lines[i]->setService(shown[i]);
}

void SidebarView::updateSelection() {
    for (qsizetype i = 0; i < m_nav.size(); ++i)
        m_nav[i]->setSelected(kAllSidebarTabs[i] == m_host->selectedTab());
}

} // namespace brevant
