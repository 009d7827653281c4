#include "GaugeView.h"

#include "kit/Painting.h"
#include "kit/RingGauge.h"
#include "kit/Theme.h"

#include <QFontMetrics>
#include <QPaintEvent>
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

QRect GaugeView::lineRect(int line) const {
    int y = RingGauge::kDiameter + kRingToLabels;
    if (line == 0)
        return QRect(0, y, width(), labelHeight());
    y += labelHeight() + 1;
    if (line == 2)
        y += detailHeight() + 1;
    return QRect(0, y, width(), detailHeight());
}

void GaugeView::setFigures(int value, const QString& detail, const QString& subDetail) {
    m_ring->setValue(value);
    if (detail == m_detail && subDetail == m_subDetail)
        return;
    // Only the line that changed is drawn again: with figures changing on every poll that is the
    // used memory or the load, not the label and the totals beside it.
    if (detail != m_detail)
        update(lineRect(1));
    if (subDetail != m_subDetail)
        update(lineRect(2));
    m_detail = detail;
    m_subDetail = subDetail;
    setAccessibleDescription(detail + QStringLiteral(", ") + subDetail);
}

void GaugeView::resizeEvent(QResizeEvent*) {
    m_ring->move((width() - RingGauge::kDiameter) / 2, 0);
}

void GaugeView::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    const QString* texts[] = {&m_label, &m_detail, &m_subDetail};
    for (int line = 0; line < 3; ++line) {
        const QRect r = lineRect(line);
        if (!event->rect().intersects(r))
            continue;
        paint::text(p, r, *texts[line], line == 0 ? labelFont() : detailFont(),
                    line == 0 ? Theme::primary() : Theme::secondary(), Qt::AlignCenter);
    }
}

} // namespace brevant
