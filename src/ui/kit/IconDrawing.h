#pragma once

// A bundled line icon read into filled shapes: only what the icon files use (a viewBox and
// <path d="…"> elements with an optional fill-rule), so the panel needs no SVG library.

#include <QByteArrayView>
#include <QColor>
#include <QPainterPath>
#include <QRectF>
#include <QString>
#include <QStringView>

#include <vector>

class QPainter;

namespace brevant {

class IconDrawing {
public:
    struct Shape {
        QPainterPath path;
        Qt::FillRule rule = Qt::WindingFill;
    };

    // Reads an icon file's text. Paths whose data cannot be read are cut at the first bad token.
    static IconDrawing parse(QByteArrayView text);
    // One path's data ("M1 2h3a1 1 0 011 1z"): stops at the first bad token and keeps the segments
    // read before it.
    static QPainterPath parsePathData(QStringView data);
    // The bundled icon `:/brevant/icons/<file>.svg`, read once and kept; empty if there is none.
    static const IconDrawing& bundled(const QString& file);
    // Any bundled picture by its resource path, read once and kept; empty if there is none.
    static const IconDrawing& resource(const QString& path);

    QRectF viewBox() const { return m_viewBox; }
    const std::vector<Shape>& shapes() const { return m_shapes; }
    bool isEmpty() const { return m_shapes.empty() || m_viewBox.isEmpty(); }

    // Fills the shapes in `color`, the viewBox fitted into `target` (centred, aspect kept).
    void paint(QPainter& painter, const QRectF& target, const QColor& color = Qt::black) const;

private:
    QRectF m_viewBox;
    std::vector<Shape> m_shapes;
};

} // namespace brevant
