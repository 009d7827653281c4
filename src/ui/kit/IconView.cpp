#include "IconView.h"

#include "Icons.h"

#include <QPainter>

namespace brevant {

IconView::IconView(const QString& name, double size, const QColor& color, QWidget* parent)
    : QWidget(parent), m_name(name), m_size(size), m_color(color) {
    setFixedSize(IconView::sizeHint());
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void IconView::setIcon(const QString& name, const QColor& color) {
    if (name == m_name && color == m_color)
        return;
    m_name = name;
    m_color = color;
    update();
}

QSize IconView::sizeHint() const {
    const int side = qCeil(m_size);
    return {side, side};
}

void IconView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    Icons::paint(p, rect(), m_name, m_size, m_color);
}

} // namespace brevant
