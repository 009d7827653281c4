#pragma once

// Small drawing helpers shared by the painted widgets: rounded and capsule backgrounds, the
// status dot with its glow, single-line text cut to its cell.

#include <QColor>
#include <QFont>
#include <QRectF>
#include <QString>

class QPainter;
class QWidget;

namespace brevant::paint {

void rounded(QPainter& p, const QRectF& rect, double radius, const QColor& fill);
void capsule(QPainter& p, const QRectF& rect, const QColor& fill);
// A filled circle; a visible `glow` adds a soft halo of `glowRadius` around it.
void dot(QPainter& p, const QPointF& centre, double diameter, const QColor& fill, const QColor& glow = {},
         double glowRadius = 0);
// One line of text in `rect`, elided at the end when it does not fit.
void text(QPainter& p, const QRectF& rect, const QString& text, const QFont& font, const QColor& color,
          Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter);
// The width `text` takes in `font`, rounded up.
int textWidth(const QFont& font, const QString& text);

// The keyboard focus ring, drawn just inside `rect`: an accent outline with a thin inner line
// in the window colour, so that it reads on a tinted fill as well as on the window.
void focusRing(QPainter& p, const QRectF& rect, double radius);
// Whether `widget` should show the ring: it has the focus, and the keyboard moved it there (a
// window opening or a click focuses quietly, as on the desktop the design comes from).
bool showsFocusRing(const QWidget* widget);

// Fills the widget with an opaque colour before it paints. Qt then repaints only the widget
// itself when it changes, not every translucent ancestor under it.
void setOpaqueBackground(QWidget* widget, const QColor& color);

} // namespace brevant::paint
