#include "RingGauge.h"

#include "Theme.h"

#include <QPainter>

#include <algorithm>

namespace brevant {

RingGauge::RingGauge(const QColor& color, QWidget* parent) : QWidget(parent), m_color(color) {
    setFixedSize(kDiameter, kDiameter);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    m_animation.setDuration(600);
    // The usual ease-in-out: cubic Bézier (0.42, 0) – (0.58, 1).
    QEasingCurve curve(QEasingCurve::BezierSpline);
    curve.addCubicBezierSegment(QPointF(0.42, 0.0), QPointF(0.58, 1.0), QPointF(1.0, 1.0));
    m_animation.setEasingCurve(curve);
    connect(&m_animation, &QVariantAnimation::valueChanged, this, [this](const QVariant& v) {
        m_fraction = v.toDouble();
        update();
    });
}

double RingGauge::fractionFor(int value) {
    return std::clamp(value, 0, 100) / 100.0;
}

void RingGauge::setValue(int value) {
    if (value == m_value)
        return;
    m_value = value;
    m_animation.stop();
    m_animation.setStartValue(m_fraction);
    m_animation.setEndValue(fractionFor(value));
    // Hidden gauges jump: nobody would see the motion, and it would cost timer ticks.
    if (isVisible()) {
        m_animation.start();
    } else {
        m_fraction = fractionFor(value);
    }
    update();
}

void RingGauge::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const double inset = kLineWidth / 2;
    const QRectF circle = QRectF(rect()).adjusted(inset, inset, -inset, -inset);

    QPen track(Theme::withOpacity(m_color, 0.12), kLineWidth, Qt::SolidLine, Qt::FlatCap);
    p.setPen(track);
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(circle);

    if (m_fraction > 0) {
        QPen arc(m_color, kLineWidth, Qt::SolidLine, Qt::RoundCap);
        p.setPen(arc);
        // Qt's angles run counter-clockwise from three o'clock in 1/16 degree.
        const int span = -qRound(m_fraction * 360 * 16);
        if (m_fraction >= 1.0)
            p.drawEllipse(circle);
        else
            p.drawArc(circle, 90 * 16, span);
    }

    p.setPen(Theme::primary());
    p.setFont(Theme::font(16, QFont::Bold, Theme::Design::Rounded));
    p.drawText(rect(), Qt::AlignCenter, valueText());
}

} // namespace brevant
