#pragma once

#include "kit/PaintedList.h"

#include <QFont>

namespace brevant {

// Paints one backup: its name over its size and date, and the "Restore" button, the row's one
// action.
class BackupRowDelegate : public PaintedRowDelegate {
    Q_OBJECT
public:
    explicit BackupRowDelegate(PaintedListView* view);

    static constexpr int kSpacing = 4; // between rows, part of each row's height
    int rowHeight() const override { return m_rowHeight; }
    QList<QRect> actionRects(const QModelIndex& index, const QRect& rowRect) const override;
    QString actionDescription(const QModelIndex& index, int action) const override;
    void paintRow(QPainter& p, const QRect& row, const QModelIndex& index,
                  const RowState& state) const override;

    // Where the "Restore" button of the row drawn in `rowRect` is.
    QRect restoreRect(const QRect& rowRect) const;

private:
    QFont m_nameFont;
    QFont m_detailsFont;
    QFont m_buttonFont;
    int m_buttonWidth;
    int m_rowHeight;
};

} // namespace brevant
