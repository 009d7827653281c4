#pragma once

#include "Models.h"

#include <QWidget>

#include <functional>

class QHBoxLayout;

namespace brevant {

class Button;

// One line of the services table: status dot, icon, name, state, port, and the action buttons
// for the service's state. Holds no connection to the daemon; the actions are handed in.
class ServiceRow : public QWidget {
    Q_OBJECT
public:
    struct Actions {
        std::function<void()> onStart;
        std::function<void()> onStop;
        std::function<void()> onRestart;
        std::function<void()> onViewLogs;
    };

    ServiceRow(ServiceStatus service, Actions actions, qint64 apachePort, QWidget* parent = nullptr);

    // Each repaints only when the value differs from the shown one.
    void setService(const ServiceStatus& service);
    void setApachePort(qint64 port) { m_apachePort = port; }

    const ServiceStatus& service() const { return m_service; }
    qint64 apachePort() const { return m_apachePort; }
    bool isHovered() const { return m_isHovered; }
    // The titles of the buttons shown, in order.
    QStringList buttonTitles() const;
    QString adminUrl() const;
    QString stateText() const;
    QString portText() const;

    // Cell widths, shared with the table header.
    static constexpr int kDotCell = 10;
    static constexpr int kIconCell = 24;
    static constexpr int kNameCell = 80;
    static constexpr int kStateCell = 65;
    static constexpr int kPortCell = 50;
    static constexpr int kSpacing = 12;
    static constexpr int kSideMargin = 20;

protected:
    void paintEvent(QPaintEvent*) override;
    void enterEvent(QEnterEvent*) override;
    void leaveEvent(QEvent*) override;

private:
    void rebuildButtons();
    void openAdmin() const;
    Button* addButton(const QString& title, const QColor& color, const char* objectName,
                      std::function<void()> action);

    ServiceStatus m_service;
    Actions m_actions;
    qint64 m_apachePort;
    bool m_isHovered = false;
    QHBoxLayout* m_buttons;
    // The button set is fixed by these two; a change of either rebuilds it.
    bool m_shownRunning = false;
    bool m_shownAdmin = false;
};

} // namespace brevant
