#pragma once

#include "Models.h"
#include "kit/PaintedList.h"

#include <QFont>

namespace brevant {

// Paints one line of the services table: status dot, icon, name, state, port, and the action
// buttons for the service's state, right-aligned; an inset divider under every line but the last.
// The buttons are the row's actions: Stop, Restart, Logs, Admin while running, Start and Logs
// otherwise; Admin only for a running "mariadb".
class ServiceRow : public PaintedRowDelegate {
    Q_OBJECT
public:
    enum class Action { Start, Stop, Restart, Logs, Admin };

    explicit ServiceRow(PaintedListView* view);

    static QList<Action> actions(const ServiceStatus& service);
    static QString title(Action action);
    static QString portText(const ServiceStatus& service);

    int rowHeight() const override { return m_rowHeight; }
    QList<QRect> actionRects(const QModelIndex& index, const QRect& rowRect) const override;
    QString actionDescription(const QModelIndex& index, int action) const override;
    void paintRow(QPainter& p, const QRect& row, const QModelIndex& index,
                  const RowState& state) const override;

    // Cell widths, shared with the table header.
    static constexpr int kDotCell = 10;
    static constexpr int kIconCell = 24;
    static constexpr int kNameCell = 80;
    static constexpr int kStateCell = 65;
    static constexpr int kPortCell = 50;
    static constexpr int kSpacing = 12;
    static constexpr int kSideMargin = 20;

private:
    const ServiceStatus& service(const QModelIndex& index) const;

    QFont m_buttonFont;
    QFont m_nameFont;
    QFont m_stateFont;
    QFont m_portFont;
    QFont m_noPortFont;
    int m_buttonHeight;
    int m_rowHeight;
};

} // namespace brevant
