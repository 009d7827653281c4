#include "ServicesView.h"

#include "DaemonClient.h"
#include "GaugeView.h"
#include "ServiceTable.h"
#include "TextRules.h"
#include "kit/Button.h"
#include "kit/Divider.h"
#include "kit/Painting.h"
#include "kit/RingGauge.h"
#include "kit/Theme.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace brevant {

namespace {

Divider* gaugeDivider(QWidget* parent) {
    auto* d = new Divider(Qt::Vertical, 0, parent);
    d->setFixedHeight(90);
    return d;
}

} // namespace

ServicesView::ServicesView(DaemonClient* client, QWidget* parent) : QWidget(parent), m_client(client) {
    setObjectName(QStringLiteral("servicesView"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    auto* titleBar = new QHBoxLayout;
    titleBar->setContentsMargins(24, 16, 24, 16);
    auto* title = new QLabel(QStringLiteral("Services"), this);
    title->setObjectName(QStringLiteral("servicesTitle"));
    title->setFont(Theme::font(18, QFont::Bold));
    titleBar->addWidget(title);
    titleBar->addStretch(1);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(8);
    m_startAll = new Button(QStringLiteral("Start All"), Button::Style::Prominent, this);
    m_startAll->setObjectName(QStringLiteral("startAllButton"));
    m_startAll->setTint(Theme::startAllTint());
    m_startAll->setIcon(QStringLiteral("play.fill"), 9);
    m_startAll->setFixedSize(85, 26);
    m_stopAll = new Button(QStringLiteral("Stop All"), Button::Style::Bordered, this);
    m_stopAll->setObjectName(QStringLiteral("stopAllButton"));
    m_stopAll->setIcon(QStringLiteral("stop.fill"), 9);
    m_stopAll->setFixedSize(85, 26);
    buttons->addWidget(m_startAll);
    buttons->addWidget(m_stopAll);
    titleBar->addLayout(buttons);
    column->addLayout(titleBar);
    column->addWidget(new Divider(Qt::Horizontal, 0, this));

    paint::setOpaqueBackground(this, Theme::windowBackground());
    m_gaugeStrip = new QWidget(this);
    paint::setOpaqueBackground(m_gaugeStrip, Theme::gaugeStripBackground());
    m_gaugeStrip->setObjectName(QStringLiteral("gaugeStrip"));
    auto* gauges = new QHBoxLayout(m_gaugeStrip);
    gauges->setContentsMargins(0, 20, 0, 20);
    gauges->setSpacing(0);
    m_cpu = new GaugeView(QStringLiteral("CPU Usage"), Theme::cpuGauge(), m_gaugeStrip);
    m_cpu->setObjectName(QStringLiteral("cpuGauge"));
    m_ram = new GaugeView(QStringLiteral("RAM Usage"), Theme::ramGauge(), m_gaugeStrip);
    m_ram->setObjectName(QStringLiteral("ramGauge"));
    m_disk = new GaugeView(QStringLiteral("Disk Usage"), Theme::diskGauge(), m_gaugeStrip);
    m_disk->setObjectName(QStringLiteral("diskGauge"));
    for (GaugeView* g : {m_cpu, m_ram, m_disk}) {
        paint::setOpaqueBackground(g, Theme::gaugeStripBackground());
        paint::setOpaqueBackground(g->ring(), Theme::gaugeStripBackground());
    }
    gauges->addWidget(m_cpu, 1);
    gauges->addWidget(gaugeDivider(m_gaugeStrip), 0, Qt::AlignVCenter);
    gauges->addWidget(m_ram, 1);
    gauges->addWidget(gaugeDivider(m_gaugeStrip), 0, Qt::AlignVCenter);
    gauges->addWidget(m_disk, 1);
    column->addWidget(m_gaugeStrip);
    m_gaugeDivider = new Divider(Qt::Horizontal, 0, this);
    column->addWidget(m_gaugeDivider);

    m_table = new ServiceTable(apachePort(), this);
    // Row actions start a client operation and let it run: no busy state, a second click sends
    // a second request.
    connect(m_table, &ServiceTable::startRequested, this,
            [this](const QString& name) { m_client->startService(name); });
    connect(m_table, &ServiceTable::stopRequested, this,
            [this](const QString& name) { m_client->stopService(name); });
    connect(m_table, &ServiceTable::restartRequested, this,
            [this](const QString& name) { m_client->restartService(name); });
    connect(m_table, &ServiceTable::logsRequested, this, &ServicesView::logsRequested);
    column->addWidget(m_table, 1);

    connect(m_startAll, &QAbstractButton::clicked, this, &ServicesView::startAllRequested);
    connect(m_stopAll, &QAbstractButton::clicked, this, &ServicesView::stopAllRequested);
    connect(client, &DaemonClient::servicesChanged, this, &ServicesView::updateServices);
    connect(client, &DaemonClient::systemInfoChanged, this, &ServicesView::updateGauges);
    connect(client, &DaemonClient::appConfigChanged, this, [this] { m_table->setApachePort(apachePort()); });

    updateGauges();
    updateServices();
}

qint64 ServicesView::apachePort() const {
    const auto& config = m_client->appConfig();
    return config ? config->ports.apacheHttp : 8080;
}

bool ServicesView::showsGauges() const {
    return !m_gaugeStrip->isHidden();
}

void ServicesView::updateServices() {
    m_table->setServices(filteredServices(m_client->services()));
}

void ServicesView::updateGauges() {
    const auto& info = m_client->systemInfo();
    const bool show = info.has_value();
    if (m_gaugeStrip->isHidden() == show) {
        m_gaugeStrip->setVisible(show);
        m_gaugeDivider->setVisible(show);
    }
    if (!info)
        return;
    m_cpu->setFigures(cpuPercent(*info), QString::number(info->cpu.cores) + QStringLiteral(" Cores Active"),
                      QStringLiteral("Load: ") + QString::asprintf("%.1f", firstLoadAverage(*info)));
    m_ram->setFigures(int(info->memory.percentUsed),
                      formatBytes(info->memory.total) + QStringLiteral(" Total"),
                      formatBytes(info->memory.used) + QStringLiteral(" Used"));
    m_disk->setFigures(int(info->disk.percentUsed), formatBytes(info->disk.total) + QStringLiteral(" SSD"),
                       formatBytes(info->disk.free) + QStringLiteral(" Free"));
}

void ServicesView::setBusyFlags(bool isStartingAll, bool isStoppingAll) {
    m_startAll->setEnabled(!isStartingAll);
    m_startAll->setBusy(isStartingAll);
    m_stopAll->setEnabled(!isStoppingAll);
    m_stopAll->setBusy(isStoppingAll);
}

} // namespace brevant
