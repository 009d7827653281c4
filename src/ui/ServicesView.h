#pragma once

#include <QWidget>

namespace brevant {

class BorderedButton;
class DaemonClient;
class DashboardView;
class GaugeView;
class ServiceTable;

// The services section: title bar with Start All and Stop All, the strip of host gauges (while
// host figures are known), and the services table. Its state lives in the DashboardView.
class ServicesView : public QWidget {
    Q_OBJECT
public:
    ServicesView(DaemonClient* client, DashboardView* host, QWidget* parent = nullptr);

    GaugeView* cpuGauge() const { return m_cpu; }
    GaugeView* ramGauge() const { return m_ram; }
    GaugeView* diskGauge() const { return m_disk; }
    ServiceTable* table() const { return m_table; }
    bool showsGauges() const;

private:
    void updateServices();
    void updateGauges();
    void updateBusyFlags();
    qint64 apachePort() const;

    DaemonClient* m_client;
    DashboardView* m_host;
    BorderedButton* m_startAll;
    BorderedButton* m_stopAll;
    QWidget* m_gaugeStrip;
    QWidget* m_gaugeDivider;
    GaugeView* m_cpu;
    GaugeView* m_ram;
    GaugeView* m_disk;
    ServiceTable* m_table;
};

} // namespace brevant
