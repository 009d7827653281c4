#include "DashboardView.h"

#include "ConnectionErrorView.h"
#include "DaemonClient.h"
#include "SidebarView.h"
#include "StartingView.h"
#include "kit/Divider.h"
#include "kit/Theme.h"
#include "projects/ProjectsView.h"
#include "protools/ProToolsView.h"
#include "services/LogView.h"
#include "services/ServicesView.h"
#include "settings/SettingsView.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace brevant {

namespace {

// A section whose own view has not been built yet: its name, nothing else.
QWidget* placeholder(const QString& name, QWidget* parent) {
    auto* w = new QLabel(name, parent);
    w->setObjectName(QStringLiteral("placeholder-") + QString(name).remove(QLatin1Char(' ')));
    w->setAlignment(Qt::AlignCenter);
    w->setFont(Theme::font(18, QFont::Bold));
    return w;
}

} // namespace

DashboardView::DashboardView(QWidget* parent) : DashboardView(std::make_unique<DaemonClient>(), parent) {}

DashboardView::DashboardView(std::unique_ptr<DaemonClient> client, QWidget* parent)
    : QWidget(parent), m_client(std::move(client)) {
    setObjectName(QStringLiteral("dashboardView"));
    setMinimumSize(820, 520);
    build();
}

DashboardView::~DashboardView() {
    m_closed = true;
    m_client->stopPolling();
    // The views observe the client: they go before it does.
    delete m_logSheet;
    delete m_stack;
}

void DashboardView::build() {
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Theme::windowBackground());
    setPalette(pal);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    m_stack = new QStackedWidget(this);
    outer->addWidget(m_stack);

    // The starting screen alone at first: it has no text, so the window maps and draws before any
    // font is set up. A stack lays out all its pages, so the others come when they are needed.
    m_startingScreen = new StartingView(m_stack);
    m_stack->addWidget(m_startingScreen);

    connect(m_client.get(), &DaemonClient::statusRefreshed, this, [this](bool succeeded) {
        m_statusReached = succeeded;
        updateLayout();
    });
    updateLayout();
}

ConnectionErrorView* DashboardView::connectionScreen() {
    if (!m_connectionScreen) {
        m_connectionScreen = new ConnectionErrorView(m_client.get(), m_stack);
        connect(m_connectionScreen, &ConnectionErrorView::retryClicked, this,
                &DashboardView::retryConnection);
        m_stack->addWidget(m_connectionScreen);
    }
    return m_connectionScreen;
}

void DashboardView::buildDashboard() {
    if (m_dashboard)
        return;
    m_dashboard = new QWidget(m_stack);
    m_dashboard->setObjectName(QStringLiteral("dashboard"));
    auto* row = new QHBoxLayout(m_dashboard);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    m_sidebar = new SidebarView(m_client.get(), m_dashboard);
    connect(m_sidebar, &SidebarView::tabRequested, this, &DashboardView::selectTab);
    row->addWidget(m_sidebar);
    row->addWidget(new Divider(Qt::Vertical, 0, m_dashboard));
    auto* content = new QWidget(m_dashboard);
    content->setObjectName(QStringLiteral("mainContentView"));
    m_contentLayout = new QVBoxLayout(content);
    m_contentLayout->setContentsMargins(0, 0, 0, 0);
    row->addWidget(content, 1);
    m_section = buildSection(m_selectedTab);
    m_contentLayout->addWidget(m_section);
    m_stack->insertWidget(0, m_dashboard);
}

void DashboardView::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    // The window maps and draws its starting screen first; the dashboard behind it is built
    // right after, while the first status request is still under way.
    if (!m_dashboard && !m_dashboardQueued) {
        m_dashboardQueued = true;
        QTimer::singleShot(0, this, [this] {
            emit firstFramePainted();
            buildDashboard();
        });
    }
}

QWidget* DashboardView::sectionView() {
    buildDashboard();
    return m_section;
}

QWidget* DashboardView::buildSection(SidebarTab tab) {
    QWidget* parent = m_contentLayout->parentWidget();
    switch (tab) {
    case SidebarTab::services: {
        auto* view = new ServicesView(m_client.get(), parent);
        view->setBusyFlags(m_isStartingAll, m_isStoppingAll);
        connect(this, &DashboardView::busyFlagsChanged, view,
                [this, view] { view->setBusyFlags(m_isStartingAll, m_isStoppingAll); });
        connect(view, &ServicesView::startAllRequested, this, &DashboardView::startAll);
        connect(view, &ServicesView::stopAllRequested, this, &DashboardView::stopAll);
        connect(view, &ServicesView::logsRequested, this, &DashboardView::showLogs);
        return view;
    }
    case SidebarTab::projects:
        return new ProjectsView(m_client.get(), parent);
    case SidebarTab::proTools:
        return new ProToolsView(m_client.get(), parent);
    case SidebarTab::settings:
        return new SettingsView(m_client.get(), parent);
    }
    return placeholder(label(tab), parent);
}

void DashboardView::updateLayout() {
    QWidget* wanted = nullptr;
    if (!m_client->configurationReadable() || m_statusReached == false)
        wanted = connectionScreen();
    else if (!m_statusReached)
        wanted = m_startingScreen;
    if (!wanted) {
        buildDashboard();
        wanted = m_dashboard;
    }
    if (m_stack->currentWidget() != wanted)
        m_stack->setCurrentWidget(wanted);
}

LogView* DashboardView::logSheet() const {
    return m_logSheet.data();
}

bool DashboardView::showsConnectionScreen() const {
    return m_connectionScreen && m_stack->currentWidget() == m_connectionScreen;
}

bool DashboardView::showsStartingScreen() const {
    return m_stack->currentWidget() == m_startingScreen;
}

void DashboardView::selectTab(SidebarTab tab) {
    if (tab == m_selectedTab)
        return;
    buildDashboard();
    m_selectedTab = tab;
    QWidget* old = m_section;
    m_section = buildSection(tab);
    // The layout hands back the item that held the old view; it is ours to delete.
    delete m_contentLayout->replaceWidget(old, m_section);
    delete old;
    m_sidebar->setSelectedTab(tab);
    emit selectedTabChanged();
}

void DashboardView::startUp() {
    if (m_startupBegun)
        return;
    m_startupBegun = true;
    QCoro::connect(m_client->ensureDaemonRunning(), this, [this](bool ok) {
        if (ok)
            goLive();
    });
}

void DashboardView::retryConnection() {
    // A window whose start-up gave up would otherwise show the dashboard without polling or live
    // channel: the first success carries on with the rest of the start-up.
    QCoro::connect(m_client->ensureDaemonRunning(), this, [this](bool ok) {
        if (ok)
            goLive();
    });
}

void DashboardView::goLive() {
    if (m_liveBegun || m_closed)
        return;
    m_liveBegun = true;
    QCoro::connect(m_client->fetchSystemInfo(), this, [this] {
        if (m_closed)
            return;
        QCoro::connect(m_client->fetchConfig(), this, [this] {
            if (m_closed)
                return;
            m_client->connectWebSocket();
            m_client->startPolling();
        });
    });
}

void DashboardView::windowClosed() {
    m_closed = true;
    m_client->stopPolling();
}

void DashboardView::setWindowVisible(bool visible) {
    m_client->setPollingPaused(!visible);
}

void DashboardView::setStartingAll(bool v) {
    if (v == m_isStartingAll)
        return;
    m_isStartingAll = v;
    emit busyFlagsChanged();
}

void DashboardView::setStoppingAll(bool v) {
    if (v == m_isStoppingAll)
        return;
    m_isStoppingAll = v;
    emit busyFlagsChanged();
}

void DashboardView::startAll() {
    if (m_isStartingAll)
        return;
    setStartingAll(true);
    QCoro::connect(m_client->startAll(), this, [this] { setStartingAll(false); });
}

void DashboardView::stopAll() {
    if (m_isStoppingAll)
        return;
    setStoppingAll(true);
    QCoro::connect(m_client->stopAll(), this, [this] { setStoppingAll(false); });
}

void DashboardView::showLogs(const QString& service) {
    m_selectedLogService = service;
    m_showingLogs = true;
    // Each presentation is a fresh viewer: it starts from "Loading..." with auto-refresh on.
    delete m_logSheet;
    m_logSheet = new LogView(service, m_client.get(), this);
    connect(m_logSheet, &Sheet::dismissed, this, [this] { m_showingLogs = false; });
    m_logSheet->present();
}

} // namespace brevant
