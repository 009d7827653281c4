#pragma once

#include <QListView>
#include <QPersistentModelIndex>
#include <QStyledItemDelegate>

namespace brevant {

class PaintedRowDelegate;

// A list of painted rows: uniform row heights and per-pixel scrolling (constant-time layout at any
// count), no selection, an opaque background. The rows' buttons are only painted; the view
// makes them work: hover and press looks, the hand cursor, a click, and from the keyboard Up/Down
// to move between rows, Left/Right between a row's actions, Space or Return to trigger the focused
// one. The focused row or action carries the kit's focus ring while the list has the focus.
class PaintedListView : public QListView {
    Q_OBJECT
public:
    explicit PaintedListView(QWidget* parent = nullptr);

    void setRowDelegate(PaintedRowDelegate* delegate);
    PaintedRowDelegate* rowDelegate() const { return m_delegate; }
    // The opaque colour under the rows (the window's by default).
    void setBackground(const QColor& color);
    // Room above the first row and below the last, and beside the rows.
    void setListMargins(int top, int bottom, int sides = 0);
    void setModel(QAbstractItemModel* model) override;

    // Where the pointer and the keyboard are, for painting.
    QModelIndex hoveredIndex() const { return m_hovered; }
    int hoveredAction() const { return m_hoveredAction; }
    QModelIndex pressedIndex() const { return m_pressed; }
    int pressedAction() const { return m_pressedAction; }
    // The action of the current row that Space or Return triggers; -1 when it has none.
    int focusedAction() const;
    void setFocusedAction(int action);

    // Re-reads the pointer position: rows may have moved under a still pointer.
    void refreshHover();

signals:
    // A row's action was clicked or triggered from the keyboard.
    void actionTriggered(const QModelIndex& index, int action);

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                     const QList<int>& roles = QList<int>()) override;

private:
    // The row and action under a viewport position; action -1 when none.
    std::pair<QModelIndex, int> actionAt(const QPoint& pos) const;
    void setHovered(const QModelIndex& index, int action);
    void updateAccessibleDescription();

    PaintedRowDelegate* m_delegate = nullptr;
    QPersistentModelIndex m_hovered;
    int m_hoveredAction = -1;
    QPersistentModelIndex m_pressed;
    int m_pressedAction = -1;
    int m_focusedAction = 0;
};

// Paints one row of a PaintedListView. A subclass gives the row height, where a row's actions are
// and how the row looks; the base hands it the pointer and keyboard state and draws the focus ring.
class PaintedRowDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    struct RowState {
        int hoveredAction = -1; // the action under the pointer, if any
        int pressedAction = -1; // the action held down, while the pointer stays on it
        bool isHovered = false; // the pointer is over the row
    };

    explicit PaintedRowDelegate(PaintedListView* view);

    // Every row has this height.
    virtual int rowHeight() const = 0;
    // The clickable areas of the row drawn in `rowRect`, in reading order; none by default.
    virtual QList<QRect> actionRects(const QModelIndex& index, const QRect& rowRect) const;
    // What an action does, for assistive technology ("Restore", "Delete project shop").
    virtual QString actionDescription(const QModelIndex& index, int action) const;
    virtual void paintRow(QPainter& p, const QRect& rowRect, const QModelIndex& index,
                          const RowState& state) const = 0;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const final;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const final;

protected:
    PaintedListView* view() const { return m_view; }

private:
    PaintedListView* m_view;
};

} // namespace brevant
