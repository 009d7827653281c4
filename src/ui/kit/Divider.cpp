#include "Divider.h"

#include "Theme.h"

#include <QPainter>

namespace brevant {

Divider::Divider(Qt::Orientation orientation, int inset, QWidget* parent)
    : QWidget(parent), m_orientation(orientation), m_inset(inset) {
    if (orientation == Qt::Horizontal) {
        setFixedHeight(1);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    } else {
        setFixedWidth(1);
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    }
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void Divider::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect r = m_orientation == Qt::Horizontal ? QRect(m_inset, 0, width() - 2 * m_inset, 1)
                                                    : QRect(0, m_inset, 1, height() - 2 * m_inset);
    p.fillRect(r, Theme::separator());
}

} // namespace brevant
