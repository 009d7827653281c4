#include "Spinner.h"

#include "Theme.h"

#include <QPainter>
#include <QTimerEvent>

namespace brevant {

Spinner::Spinner(double diameter, double scale, QWidget* parent)
    : QWidget(parent), m_diameter(diameter), m_scale(scale), m_color(Theme::secondary()) {
    setFixedSize(Spinner::sizeHint());
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAccessibleName(QStringLiteral("In progress"));
}

void Spinner::setColor(const QColor& color) {
    m_color = color;
    update();
}

QSize Spinner::sizeHint() const {
    const int side = qCeil(m_diameter);
    return {side, side};
}

void Spinner::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(width() / 2.0, height() / 2.0);
    p.scale(m_scale, m_scale);
    const double outer = m_diameter / 2.0;
    const double inner = outer * 0.45;
    QPen pen;
    pen.setWidthF(qMax(1.5, m_diameter / 9.0));
    pen.setCapStyle(Qt::RoundCap);
    for (int i = 0; i < 12; ++i) {
        const int age = (m_step - i + 12) % 12;
        pen.setColor(Theme::withOpacity(m_color, 1.0 - age / 13.0));
        p.setPen(pen);
        p.save();
        p.rotate(i * 30.0);
        p.drawLine(QPointF(0, -inner), QPointF(0, -outer + pen.widthF() / 2));
        p.restore();
    }
}

void Spinner::timerEvent(QTimerEvent* event) {
    if (event->timerId() != m_timer.timerId())
        return QWidget::timerEvent(event);
    m_step = (m_step + 1) % 12;
    update();
}

void Spinner::showEvent(QShowEvent*) {
    m_timer.start(80, this);
}
void Spinner::hideEvent(QHideEvent*) {
    m_timer.stop();
}

} // namespace brevant
