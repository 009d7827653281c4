#include "RingGauge.h"

#include "Theme.h"

#include <QEasingCurve>
#include <QPainter>
#include <QTimerEvent>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace brevant {

RingGauge::RingGauge(const QColor& color, QWidget* parent) : QWidget(parent), m_color(color) {
    setFixedSize(kDiameter, kDiameter);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

double RingGauge::fractionFor(int value) {
    return std::clamp(value, 0, 100) / 100.0;
}

void RingGauge::setValue(int value) {
    if (value == m_value)
        return;
    m_value = value;
    m_face = QPixmap();
    m_from = m_fraction;
    m_to = fractionFor(value);
    // Hidden gauges jump: nobody would see the motion, and it would cost timer ticks.
    if (isVisible()) {
        m_clock.start();
        m_frames.start(kFrameMs, this);
    } else {
        m_frames.stop();
        m_fraction = m_to;
    }
    update();
}

void RingGauge::timerEvent(QTimerEvent* event) {
    if (event->timerId() != m_frames.timerId()) {
        QWidget::timerEvent(event);
        return;
    }
    // The usual ease-in-out: cubic Bézier (0.42, 0) – (0.58, 1).
    static const QEasingCurve easing = [] {
        QEasingCurve curve(QEasingCurve::BezierSpline);
        curve.addCubicBezierSegment(QPointF(0.42, 0.0), QPointF(0.58, 1.0), QPointF(1.0, 1.0));
        return curve;
    }();
    const double progress = std::min(1.0, double(m_clock.elapsed()) / kAnimationMs);
    if (progress >= 1.0) {
        m_frames.stop();
        m_fraction = m_to;
    } else {
        m_fraction = m_from + (m_to - m_from) * easing.valueForProgress(progress);
    }
    // A frame in which the end of the arc would move less than half a device pixel is left out:
    // with small changes (a load going from 12 % to 14 %) that is most of them.
    const double arcPixels = (kDiameter - kLineWidth) * std::numbers::pi * devicePixelRatioF();
    if (!m_frames.isActive() || std::abs(m_fraction - m_paintedFraction) * arcPixels >= 0.5)
        update();
}

void RingGauge::hideEvent(QHideEvent* event) {
    if (m_frames.isActive()) {
        m_frames.stop();
        m_fraction = m_to;
    }
    QWidget::hideEvent(event);
}

void RingGauge::changeEvent(QEvent* event) {
    // The face holds the background and the label colour of the palette it was drawn with.
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ApplicationPaletteChange ||
        event->type() == QEvent::StyleChange)
        m_face = QPixmap();
    QWidget::changeEvent(event);
}

QPixmap RingGauge::renderFace(qreal devicePixelRatio) {
    const double inset = kLineWidth / 2;
    const QRectF circle = QRectF(rect()).adjusted(inset, inset, -inset, -inset);
    // The track alone never changes: a new value draws the number on a copy of it.
    if (m_track.isNull() || m_track.devicePixelRatio() != devicePixelRatio) {
        m_track = QPixmap(QSize(kDiameter, kDiameter) * devicePixelRatio);
        m_track.setDevicePixelRatio(devicePixelRatio);
        m_track.fill(Qt::transparent);
        QPainter p(&m_track);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(Theme::withOpacity(m_color, 0.12), kLineWidth, Qt::SolidLine, Qt::FlatCap));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(circle);
    }
    QPixmap face(m_track.size());
    face.setDevicePixelRatio(devicePixelRatio);
    // Opaque where the widget is, so the number keeps the text rendering of an opaque surface.
    face.fill(autoFillBackground() ? palette().color(backgroundRole()) : QColor(Qt::transparent));
    QPainter p(&face);
    p.drawPixmap(0, 0, m_track);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Theme::primary());
    p.setFont(Theme::font(16, QFont::Bold, Theme::Design::Rounded));
    p.drawText(rect(), Qt::AlignCenter, valueText());
    return face;
}

void RingGauge::paintEvent(QPaintEvent*) {
    const qreal dpr = devicePixelRatioF();
    if (m_face.isNull() || m_face.devicePixelRatio() != dpr)
        m_face = renderFace(dpr);
    QPainter p(this);
    p.drawPixmap(0, 0, m_face);
    m_paintedFraction = m_fraction;
    if (m_fraction <= 0)
        return;
    p.setRenderHint(QPainter::Antialiasing);
    const double inset = kLineWidth / 2;
    const QRectF circle = QRectF(rect()).adjusted(inset, inset, -inset, -inset);
    p.setPen(QPen(m_color, kLineWidth, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    if (m_fraction >= 1.0) {
        p.drawEllipse(circle);
    } else {
        // Qt's angles run counter-clockwise from three o'clock in 1/16 degree.
        p.drawArc(circle, 90 * 16, -qRound(m_fraction * 360 * 16));
    }
}

} // namespace brevant
