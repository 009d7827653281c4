#include "Painting.h"

#include "Theme.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QWidget>

#include <cmath>

namespace brevant::paint {

void rounded(QPainter& p, const QRectF& rect, double radius, const QColor& fill) {
    if (fill.alpha() == 0)
        return;
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawRoundedRect(rect, radius, radius);
    p.restore();
}

void capsule(QPainter& p, const QRectF& rect, const QColor& fill) {
    rounded(p, rect, std::min(rect.width(), rect.height()) / 2.0, fill);
}

void dot(QPainter& p, const QPointF& centre, double diameter, const QColor& fill, const QColor& glow,
         double glowRadius) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    const double r = diameter / 2.0;
    if (glow.isValid() && glow.alpha() > 0 && glowRadius > 0) {
        // A shadow without offset: the colour fades out over glowRadius beyond the edge.
        const double outer = r + glowRadius;
        QRadialGradient g(centre, outer);
        QColor clear = glow;
        clear.setAlpha(0);
        g.setColorAt(0, glow);
        g.setColorAt(r / outer, glow);
        g.setColorAt(1, clear);
        p.setBrush(g);
        p.drawEllipse(centre, outer, outer);
    }
    p.setBrush(fill);
    p.drawEllipse(centre, r, r);
    p.restore();
}

void text(QPainter& p, const QRectF& rect, const QString& s, const QFont& font, const QColor& color,
          Qt::Alignment alignment) {
    p.save();
    p.setFont(font);
    p.setPen(color);
    const QFontMetricsF fm(font);
    const QString shown =
        fm.horizontalAdvance(s) > rect.width() ? fm.elidedText(s, Qt::ElideRight, rect.width()) : s;
    p.drawText(rect, int(alignment) | Qt::TextSingleLine, shown);
    p.restore();
}

void setOpaqueBackground(QWidget* widget, const QColor& color) {
    QPalette pal = widget->palette();
    pal.setColor(widget->backgroundRole(), color); // a button fills with Button, not Window
    widget->setPalette(pal);
    widget->setAutoFillBackground(true);
}

void focusRing(QPainter& p, const QRectF& rect, double radius) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(Qt::NoBrush);
    const QRectF outer = rect.adjusted(1, 1, -1, -1);
    p.setPen(QPen(Theme::withOpacity(Theme::accent(), 0.9), 2));
    p.drawRoundedRect(outer, radius, radius);
    p.setPen(QPen(Theme::withOpacity(Theme::windowBackground(), 0.9), 1));
    const double inner = std::max(0.0, radius - 1.5);
    p.drawRoundedRect(outer.adjusted(1.5, 1.5, -1.5, -1.5), inner, inner);
    p.restore();
}

bool showsFocusRing(const QWidget* widget) {
    return widget->hasFocus() && widget->window()->testAttribute(Qt::WA_KeyboardFocusChange);
}

int textWidth(const QFont& font, const QString& s) {
    return int(std::ceil(QFontMetricsF(font).horizontalAdvance(s)));
}

} // namespace brevant::paint
