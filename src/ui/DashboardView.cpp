#include "DashboardView.h"

#include "ConnectionErrorView.h"
#include "DaemonClient.h"
#include "Divider.h"
#include "LogView.h"
#include "ProjectsView.h"
#include "ServicesView.h"
#include "SettingsView.h"
#include "SidebarView.h"
#include "Theme.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QStackedWidget>
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

// The parts of the start-up that run as coroutines; they hold the view weakly.
struct StartUp {
    static QCoro::Task<void> run(QPointer<DashboardView> self) {
        const bool ok = co_await self->m_client->ensureDaemonRunning();
        if (self && ok)
            co_await goLive(self);
    }

    static QCoro::Task<void> retry(QPointer<DashboardView> self) {
        const bool ok = co_await self->m_client->ensureDaemonRunning();
        // A window whose start-up gave up would otherwise show the dashboard without polling
        // or live channel: the first success carries on with the rest of the start-up.
        if (self && ok)
            co_await goLive(self);
    }

    // Host figures, configuration, live channel, polling: once per window, whoever gets here first.
    static QCoro::Task<void> goLive(QPointer<DashboardView> self) {
        if (self->m_liveBegun || self->m_closed)
            co_return;
        self->m_liveBegun = true;
        DaemonClient* client = self->m_client.get();
        co_await client->fetchSystemInfo();
        if (!self || self->m_closed)
            co_return;
        co_await client->fetchConfig();
        if (!self || self->m_closed)
            co_return;
        client->connectWebSocket();
        client->startPolling();
    }
};

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

    m_dashboard = new QWidget(m_stack);
    m_dashboard->setObjectName(QStringLiteral("dashboard"));
    auto* row = new QHBoxLayout(m_dashboard);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    m_sidebar = new SidebarView(m_client.get(), this, m_dashboard);
    row->addWidget(m_sidebar);
    row->addWidget(new Divider(Qt::Vertical, 0, m_dashboard));
    auto* content = new QWidget(m_dashboard);
    content->setObjectName(QStringLiteral("mainContentView"));
    m_contentLayout = new QVBoxLayout(content);
    m_contentLayout->setContentsMargins(0, 0, 0, 0);
    row->addWidget(content, 1);
    m_section = buildSection(m_selectedTab);
    m_contentLayout->addWidget(m_section);
    m_stack->addWidget(m_dashboard);

    m_connectionScreen = new ConnectionErrorView(m_client.get(), m_stack);
    connect(m_connectionScreen, &ConnectionErrorView::retryClicked, this, &DashboardView::retryConnection);
    m_stack->addWidget(m_connectionScreen);

    connect(m_client.get(), &DaemonClient::isConnectedChanged, this, &DashboardView::updateLayout);
    updateLayout();
}

QWidget* DashboardView::buildSection(SidebarTab tab) {
    QWidget* parent = m_contentLayout->parentWidget();
    switch (tab) {
    case SidebarTab::services:
        return new ServicesView(m_client.get(), this, parent);
    case SidebarTab::projects:
        return new ProjectsView(m_client.get(), parent);
    case SidebarTab::proTools:
        return placeholder(label(tab), parent);
    case SidebarTab::settings:
        return new SettingsView(m_client.get(), parent);
    }
    return placeholder(label(tab), parent);
}

void DashboardView::updateLayout() {
    QWidget* wanted = m_client->isConnected() ? m_dashboard : static_cast<QWidget*>(m_connectionScreen);
    if (m_stack->currentWidget() != wanted)
        m_stack->setCurrentWidget(wanted);
}

LogView* DashboardView::logSheet() const {
    return m_logSheet.data();
}

bool DashboardView::showsConnectionScreen() const {
    return m_stack->currentWidget() == m_connectionScreen;
}

void DashboardView::selectTab(SidebarTab tab) {
    if (tab == m_selectedTab)
        return;
    m_selectedTab = tab;
    QWidget* old = m_section;
    m_section = buildSection(tab);
    m_contentLayout->replaceWidget(old, m_section);
    delete old;
    emit selectedTabChanged();
}

void DashboardView::startUp() {
    if (m_startupBegun)
        return;
    m_startupBegun = true;
    StartUp::run(this);
}

void DashboardView::retryConnection() {
    StartUp::retry(this);
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

void DashboardView::startAllClicked() {
    if (m_isStartingAll)
        return;
    setStartingAll(true);
    [](QPointer<DashboardView> self) -> QCoro::Task<void> {
        co_await self->m_client->startAll();
        if (self)
            self->setStartingAll(false);
    }(this);
}

void DashboardView::stopAllClicked() {
    if (m_isStoppingAll)
        return;
    setStoppingAll(true);
    [](QPointer<DashboardView> self) -> QCoro::Task<void> {
        co_await self->m_client->stopAll();
        if (self)
            self->setStoppingAll(false);
    }(this);
}

void DashboardView::showLogs(const QString& service) {
    m_selectedLogService = service;
    m_showingLogs = true;
    // Each presentation is a fresh viewer: it starts from "Loading..." with auto-refresh on.
    delete m_logSheet;
    m_logSheet = new LogView(service, m_client.get(), this);
    connect(m_logSheet, &QDialog::finished, this, [this, sheet = m_logSheet] {
        m_showingLogs = false;
        if (sheet)
            sheet->deleteLater();
    });
    m_logSheet->open();
}

} // namespace brevant
