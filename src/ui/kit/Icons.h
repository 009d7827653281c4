#pragma once

// The icons the views name, mapped onto the bundled line icons and tinted when drawn.

#include <QColor>
#include <QPixmap>
#include <QRectF>
#include <QString>

class QPainter;

namespace brevant {

class Icons {
public:
    // The bundled file (without ".svg") that stands for an icon name; empty for an unknown name.
    static QString fileFor(const QString& name);
    // The icon tinted in `color`, `size` device-independent pixels square, cached.
    static QPixmap pixmap(const QString& name, double size, const QColor& color,
                          qreal devicePixelRatio = 1.0);
    // Draws the icon centred in `rect`, `size` pixels square.
    static void paint(QPainter& painter, const QRectF& rect, const QString& name, double size,
                      const QColor& color);
};

} // namespace brevant
