#include "PaintedList.h"

#include "Painting.h"
#include "Theme.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

namespace brevant {

PaintedListView::PaintedListView(QWidget* parent) : QListView(parent) {
    setFrameShape(QFrame::NoFrame);
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Tab reaches the list; a click on a row or a button does not move the keyboard focus there.
    setFocusPolicy(Qt::TabFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    // Every row is the same height, which keeps layout and scrolling constant-time at any count.
    setUniformItemSizes(true);
    setMouseTracking(true);
    viewport()->setMouseTracking(true);
    // Opaque, in the window's colour unless told otherwise: a changed row then repaints itself
    // alone, not the list and its ancestors under it.
    setBackground(Theme::windowBackground());
    // The row under a still pointer changes when the list scrolls.
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &PaintedListView::refreshHover);
}

void PaintedListView::setBackground(const QColor& color) {
    QPalette pal = palette();
    pal.setColor(QPalette::Base, color);
    pal.setColor(QPalette::Window, color);
    setPalette(pal);
    setAutoFillBackground(true);
    viewport()->setAutoFillBackground(true);
}

void PaintedListView::setRowDelegate(PaintedRowDelegate* delegate) {
    m_delegate = delegate;
    setItemDelegate(delegate);
}

void PaintedListView::setListMargins(int top, int bottom, int sides) {
    setViewportMargins(sides, top, sides, bottom);
}

void PaintedListView::setModel(QAbstractItemModel* model) {
    QListView::setModel(model);
    if (!model)
        return;
    // ... or when rows come and go under it.
    for (auto signal : {&QAbstractItemModel::rowsRemoved, &QAbstractItemModel::rowsInserted})
        connect(model, signal, this, &PaintedListView::refreshHover);
    connect(model, &QAbstractItemModel::modelReset, this, &PaintedListView::refreshHover);
}

std::pair<QModelIndex, int> PaintedListView::actionAt(const QPoint& pos) const {
    const QModelIndex index = indexAt(pos);
    if (!index.isValid() || !m_delegate)
        return {index, -1};
    const QList<QRect> rects = m_delegate->actionRects(index, visualRect(index));
    for (int i = 0; i < rects.size(); ++i)
        if (rects[i].contains(pos))
            return {index, i};
    return {index, -1};
}

int PaintedListView::focusedAction() const {
    const QModelIndex current = currentIndex();
    if (!current.isValid() || !m_delegate)
        return -1;
    const qsizetype count = m_delegate->actionRects(current, visualRect(current)).size();
    return count == 0 ? -1 : int(std::min<qsizetype>(m_focusedAction, count - 1));
}

void PaintedListView::setFocusedAction(int action) {
    m_focusedAction = std::max(0, action);
    if (currentIndex().isValid())
        update(currentIndex());
    updateAccessibleDescription();
}

void PaintedListView::setHovered(const QModelIndex& index, int action) {
    if (QModelIndex(m_hovered) == index && m_hoveredAction == action)
        return;
    if (m_hovered.isValid())
        update(m_hovered);
    m_hovered = index;
    m_hoveredAction = action;
    if (index.isValid())
        update(index);
    if (action >= 0)
        viewport()->setCursor(Qt::PointingHandCursor);
    else
        viewport()->unsetCursor();
}

void PaintedListView::refreshHover() {
    const QPoint pos = viewport()->mapFromGlobal(QCursor::pos());
    if (!viewport()->underMouse() || !viewport()->rect().contains(pos)) {
        setHovered({}, -1);
        return;
    }
    const auto [index, action] = actionAt(pos);
    setHovered(index, action);
}

void PaintedListView::mouseMoveEvent(QMouseEvent* event) {
    const auto [index, action] = actionAt(event->position().toPoint());
    setHovered(index, action);
    // A press outside any action leaves the list's own behaviour alone.
    if (!m_pressed.isValid())
        QListView::mouseMoveEvent(event);
}

void PaintedListView::mousePressEvent(QMouseEvent* event) {
    const auto [index, action] = actionAt(event->position().toPoint());
    if (event->button() != Qt::LeftButton || action < 0)
        return QListView::mousePressEvent(event);
    setHovered(index, action);
    m_pressed = index;
    m_pressedAction = action;
    update(index);
}

void PaintedListView::mouseDoubleClickEvent(QMouseEvent* event) {
    // A quick second click on a button is another press, as with any button.
    mousePressEvent(event);
}

void PaintedListView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !m_pressed.isValid())
        return QListView::mouseReleaseEvent(event);
    const QModelIndex pressed = m_pressed;
    const int pressedAction = m_pressedAction;
    m_pressed = QPersistentModelIndex();
    m_pressedAction = -1;
    update(pressed);
    // Released elsewhere: no click.
    const auto [index, action] = actionAt(event->position().toPoint());
    if (index == pressed && action == pressedAction)
        emit actionTriggered(pressed, pressedAction);
}

void PaintedListView::keyPressEvent(QKeyEvent* event) {
    const int action = focusedAction();
    switch (event->key()) {
    case Qt::Key_Left:
        if (action > 0)
            setFocusedAction(action - 1);
        return;
    case Qt::Key_Right:
        if (action >= 0 && m_delegate &&
            action + 1 < m_delegate->actionRects(currentIndex(), visualRect(currentIndex())).size())
            setFocusedAction(action + 1);
        return;
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (action >= 0 && event->modifiers() == Qt::NoModifier)
            emit actionTriggered(currentIndex(), action);
        return;
    default:
        QListView::keyPressEvent(event);
    }
}

void PaintedListView::focusInEvent(QFocusEvent* event) {
    QListView::focusInEvent(event);
    if (!currentIndex().isValid() && model() && model()->rowCount() > 0)
        setCurrentIndex(model()->index(0, 0));
    if (currentIndex().isValid()) {
        scrollTo(currentIndex());
        update(currentIndex());
    }
    updateAccessibleDescription();
}

void PaintedListView::focusOutEvent(QFocusEvent* event) {
    QListView::focusOutEvent(event);
    if (currentIndex().isValid())
        update(currentIndex());
}

bool PaintedListView::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::Leave)
        setHovered({}, -1);
    return QListView::viewportEvent(event);
}

void PaintedListView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QListView::currentChanged(current, previous);
    m_focusedAction = 0;
    if (previous.isValid())
        update(previous);
    updateAccessibleDescription();
}

void PaintedListView::dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                                  const QList<int>& roles) {
    // QListView lays every row out again on any change of data, and repaints them all. Rows here
    // all have one height, so a changed value only needs its own rows repainted.
    if (topLeft == bottomRight || !topLeft.isValid() || !bottomRight.isValid())
        return QAbstractItemView::dataChanged(topLeft, bottomRight, roles); // NOLINT(bugprone-parent-virtual-call)
    viewport()->update(visualRect(topLeft).united(visualRect(bottomRight)).intersected(viewport()->rect()));
}

void PaintedListView::updateAccessibleDescription() {
    const int action = focusedAction();
    setAccessibleDescription(action >= 0 ? m_delegate->actionDescription(currentIndex(), action) : QString());
}

PaintedRowDelegate::PaintedRowDelegate(PaintedListView* view) : QStyledItemDelegate(view), m_view(view) {}

QList<QRect> PaintedRowDelegate::actionRects(const QModelIndex&, const QRect&) const {
    return {};
}

QString PaintedRowDelegate::actionDescription(const QModelIndex&, int) const {
    return {};
}

QSize PaintedRowDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
    return {option.rect.width() > 0 ? option.rect.width() : 400, rowHeight()};
}

void PaintedRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
    RowState state;
    const bool hovered = m_view->hoveredIndex() == index;
    state.isHovered = hovered;
    state.hoveredAction = hovered ? m_view->hoveredAction() : -1;
    state.pressedAction = m_view->pressedIndex() == index && state.hoveredAction == m_view->pressedAction()
                              ? m_view->pressedAction()
                              : -1;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setRenderHint(QPainter::TextAntialiasing);
    paintRow(*painter, option.rect, index, state);
    painter->restore();

    if (paint::showsFocusRing(m_view) && m_view->currentIndex() == index) {
        const int action = m_view->focusedAction();
        const QRect ring = action >= 0 ? actionRects(index, option.rect).value(action).adjusted(-2, -2, 2, 2)
                                       : option.rect.adjusted(2, 1, -2, -1);
        paint::focusRing(*painter, ring, action >= 0 ? 5 : 6);
    }
}

} // namespace brevant
