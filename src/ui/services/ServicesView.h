#pragma once

#include <QWidget>

namespace brevant {

class Button;
class DaemonClient;
class GaugeView;
class ServiceTable;

// The services section: title bar with Start All and Stop All, the strip of host gauges (while
// host figures are known), and the services table. The bulk busy flags belong to the window, which
// outlives the section: the section asks for the bulk actions and the logs, and shows the flags.
class ServicesView : public QWidget {
    Q_OBJECT
public:
    explicit ServicesView(DaemonClient* client, QWidget* parent = nullptr);

    // Disables the bulk button whose request is in flight and spins its icon.
    void setBusyFlags(bool isStartingAll, bool isStoppingAll);

    GaugeView* cpuGauge() const { return m_cpu; }
    GaugeView* ramGauge() const { return m_ram; }
    GaugeView* diskGauge() const { return m_disk; }
    ServiceTable* table() const { return m_table; }
    bool showsGauges() const;

signals:
    void startAllRequested();
    void stopAllRequested();
    void logsRequested(const QString& service);

private:
    void updateServices();
    void updateGauges();
    qint64 apachePort() const;

    DaemonClient* m_client;
    Button* m_startAll;
    Button* m_stopAll;
    QWidget* m_gaugeStrip;
    QWidget* m_gaugeDivider;
    GaugeView* m_cpu;
    GaugeView* m_ram;
    GaugeView* m_disk;
    ServiceTable* m_table;
};

} // namespace brevant
