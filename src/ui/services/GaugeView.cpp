#include "GaugeView.h"

#include "kit/Painting.h"
#include "kit/RingGauge.h"
#include "kit/Theme.h"

#include <QFontMetrics>
#include <QPainter>

namespace brevant {

namespace {
constexpr int kRingToLabels = 8;
QFont labelFont() {
    return Theme::font(11, QFont::DemiBold);
}
QFont detailFont() {
    return Theme::font(10);
}
int labelHeight() {
    return QFontMetrics(labelFont()).height();
}
int detailHeight() {
    return QFontMetrics(detailFont()).height();
}
} // namespace

GaugeView::GaugeView(const QString& label, const QColor& color, QWidget* parent)
    : QWidget(parent), m_label(label), m_ring(new RingGauge(color, this)) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFixedHeight(GaugeView::sizeHint().height()); // this class's own, not a subclass's
    setAccessibleName(label);
}

QSize GaugeView::sizeHint() const {
    return {120, RingGauge::kDiameter + kRingToLabels + labelHeight() + 1 + 2 * (detailHeight() + 1)};
}

void GaugeView::setFigures(int value, const QString& detail, const QString& subDetail) {
    m_ring->setValue(value);
    if (detail == m_detail && subDetail == m_subDetail)
        return;
    m_detail = detail;
    m_subDetail = subDetail;
    setAccessibleDescription(detail + QStringLiteral(", ") + subDetail);
    update(0, RingGauge::kDiameter, width(), height() - RingGauge::kDiameter);
}

void GaugeView::resizeEvent(QResizeEvent*) {
    m_ring->move((width() - RingGauge::kDiameter) / 2, 0);
}

void GaugeView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    int y = RingGauge::kDiameter + kRingToLabels;
    paint::text(p, QRectF(0, y, width(), labelHeight()), m_label, labelFont(), Theme::primary(),
                Qt::AlignCenter);
    y += labelHeight() + 1;
    paint::text(p, QRectF(0, y, width(), detailHeight()), m_detail, detailFont(), Theme::secondary(),
                Qt::AlignCenter);
    y += detailHeight() + 1;
    paint::text(p, QRectF(0, y, width(), detailHeight()), m_subDetail, detailFont(), Theme::secondary(),
                Qt::AlignCenter);
}

} // namespace brevant
