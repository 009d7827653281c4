#pragma once

#include "kit/PaintedList.h"

#include <QCache>
#include <QFont>
#include <QStaticText>

namespace brevant {

// Paints one project row: security icon, name over domain, the two badges and the delete
// button, the row's one action.
class ProjectRowDelegate : public PaintedRowDelegate {
    Q_OBJECT
public:
    explicit ProjectRowDelegate(PaintedListView* view);

    // Every row has the same height: its content, its padding and the divider's line.
    int rowHeight() const override { return m_rowHeight; }
    QList<QRect> actionRects(const QModelIndex& index, const QRect& rowRect) const override;
    QString actionDescription(const QModelIndex& index, int action) const override;
    void paintRow(QPainter& p, const QRect& row, const QModelIndex& index,
                  const RowState& state) const override;

    // Where the delete button of the row drawn in `rowRect` reacts to the pointer.
    static QRect deleteHitRect(const QRect& rowRect);

    // The row whose delete button the pointer is over, if any.
    QModelIndex hoveredDelete() const;

private:
    struct Line {
        QStaticText text; // elided to fit
        qreal width;
    };
    const Line& line(const QFont& font, const QString& text, int maxWidth) const;
    void drawLine(QPainter& p, const QFont& font, const QRect& box, const QString& text, bool centred) const;

    QFont m_nameFont;
    QFont m_domainFont;
    QFont m_badgeFont;
    int m_rowHeight = 0;
    mutable QCache<QString, Line> m_lines{2000};
};

} // namespace brevant
