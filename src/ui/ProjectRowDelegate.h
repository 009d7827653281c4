#pragma once

#include <QCache>
#include <QFont>
#include <QPersistentModelIndex>
#include <QStaticText>
#include <QStyledItemDelegate>

class QListView;

namespace brevant {

// Paints one project row: security icon, name over domain, the two badges and the delete
// button. The delete button is only painted, so the delegate tracks the pointer over it itself
// (hover, press, hand cursor) through an event filter on the list's viewport.
class ProjectRowDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit ProjectRowDelegate(QListView* view);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // Every row has the same height: its content, its padding and the divider's line.
    int rowHeight() const { return m_rowHeight; }
    // Where the delete button of the row drawn in `rowRect` reacts to the pointer.
    static QRect deleteHitRect(const QRect& rowRect);

    // The row whose delete button the pointer is over, if any.
    QModelIndex hoveredDelete() const { return m_hovered; }
    // Re-reads the pointer position; the list calls it when rows move under a still pointer.
    void refreshHover();

signals:
    void deleteRequested(const QString& id);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Line {
        QStaticText text; // elided to fit
        qreal width;
    };
    const Line& line(const QFont& font, const QString& text, int maxWidth) const;
    void drawLine(QPainter& p, const QFont& font, const QRect& box, const QString& text, bool centred) const;
    QModelIndex deleteUnder(const QPoint& viewportPos) const;
    void setHovered(const QModelIndex& index);

    QListView* m_view;
    // Compared before anything else: the viewport still sends events while the view is being
    // destroyed, when calling into the view would be undefined.
    QWidget* m_viewport;
    QFont m_nameFont;
    QFont m_domainFont;
    QFont m_badgeFont;
    int m_rowHeight = 0;
    QPersistentModelIndex m_hovered;
    QPersistentModelIndex m_pressed;
    mutable QCache<QString, Line> m_lines{2000};
};

} // namespace brevant
