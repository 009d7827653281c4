#pragma once

// The painted pieces of the sidebar. Each setter compares with what is shown and repaints only
// on a difference.

#include "kit/PaintedList.h"

#include <QAbstractButton>
#include <QRectF>
#include <QWidget>

class QPainter;

namespace brevant::sidebar {

// The product badge: "Bv" on the blue gradient, in a rounded square of any size.
void paintBadge(QPainter& p, const QRectF& rect);

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

// Paints one service of the list (a row of a ServiceListModel): tinted icon tile, name, state,
// dot. The rows have no actions.
class ServiceLine : public PaintedRowDelegate {
    Q_OBJECT
public:
    explicit ServiceLine(PaintedListView* view);
    int rowHeight() const override { return m_rowHeight; }
    void paintRow(QPainter& p, const QRect& row, const QModelIndex& index,
                  const RowState& state) const override;

    // Room between two lines, part of each row's height.
    static constexpr int kGap = 2;

private:
    QFont m_name;
    QFont m_state;
    int m_rowHeight;
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
