#pragma once

// The painted pieces of the sidebar. Each setter compares with what is shown and repaints only
// on a difference.

#include "Models.h"

#include <QAbstractButton>
#include <QWidget>

namespace brevant::sidebar {

// Badge "Bv", the product title and the count line.
class Header : public QWidget {
    Q_OBJECT
public:
    explicit Header(QWidget* parent = nullptr);
    void setCountText(const QString& text);
    const QString& countText() const { return m_count; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QString m_count;
};

// One service of the list: tinted icon tile, name, state, dot. Not clickable.
class ServiceLine : public QWidget {
    Q_OBJECT
public:
    explicit ServiceLine(const ServiceStatus& service, QWidget* parent = nullptr);
    void setService(const ServiceStatus& service);
    const QString& name() const { return m_name; }
    bool isRunning() const { return m_running; }
    QString stateText() const;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QString m_name;
    QString m_displayName;
    QString m_icon;
    bool m_running = false;
};

// A section entry: icon and label, white on the accent colour while selected.
class NavItem : public QAbstractButton {
    Q_OBJECT
public:
    NavItem(const QString& label, const QString& icon, QWidget* parent = nullptr);
    void setSelected(bool selected);
    bool isSelected() const { return m_selected; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QString m_icon;
    bool m_selected = false;
};

// "Open Web Panel" with its globe and the outward arrow.
class WebPanelButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit WebPanelButton(QWidget* parent = nullptr);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent*) override;
};

// Connection dot and word, and the RAM figure when host figures are known.
class Footer : public QWidget {
    Q_OBJECT
public:
    explicit Footer(QWidget* parent = nullptr);
    void setState(bool connected, const QString& ram);
    QString text() const;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    bool m_connected = false;
    QString m_ram;
};

} // namespace brevant::sidebar
