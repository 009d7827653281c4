#pragma once

#include "kit/PaintedList.h"

#include <QFont>

namespace brevant {

// Paints one hosts-file entry: the IP in a fixed column, then the host name. Rows have no actions.
class HostRowDelegate : public PaintedRowDelegate {
    Q_OBJECT
public:
    explicit HostRowDelegate(PaintedListView* view);

    static constexpr int kSpacing = 2; // between rows, part of each row's height
    int rowHeight() const override { return m_rowHeight; }
    void paintRow(QPainter& p, const QRect& row, const QModelIndex& index,
                  const RowState& state) const override;

private:
    QFont m_font;
    int m_rowHeight;
};

} // namespace brevant
