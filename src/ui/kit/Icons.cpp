#include "Icons.h"

#include "IconDrawing.h"
#include "Theme.h"

#include <QHash>
#include <QPainter>

#include <cmath>

namespace brevant {

namespace {

struct Mapping {
    const char* name;
    const char* file;
};

constexpr Mapping kMappings[] = {
    {"server.rack", "hdd-rack"},
    {"folder", "folder"},
    {"gearshape", "gear"},
    {"gearshape.2", "gear-wide-connected"},
    {"globe", "globe"},
    {"network", "diagram-3"},
    {"cylinder", "database"},
    {"cylinder.fill", "database-fill"},
    {"chevron.left.forwardslash.chevron.right", "code-slash"},
    {"envelope", "envelope"},
    {"envelope.badge", "envelope-exclamation"},
    {"questionmark.circle", "question-circle"},
    {"exclamationmark.triangle", "exclamation-triangle"},
    {"play.fill", "play-fill"},
    {"stop.fill", "stop-fill"},
    {"arrow.up.right.square", "box-arrow-up-right"},
    {"doc.text", "file-earmark-text"},
    {"plus", "plus-lg"},
    {"folder.badge.plus", "folder-plus"},
    {"lock.shield", "shield-lock"},
    {"trash", "trash3"},
    {"arrow.triangle.branch", "git"},
    {"square.and.arrow.down.on.square", "box-arrow-in-down"},
    {"externaldrive.badge.timemachine", "clock-history"},
    {"terminal", "terminal"},
    {"chevron.right", "chevron-right"},
    {"exclamationmark.circle", "exclamation-circle"},
    {"checkmark.circle", "check-circle"},
    {"xmark", "x-lg"},
    {"arrow.down.circle", "arrow-down-circle"},
    {"plus.circle", "plus-circle"},
    {"eye", "eye"},
    {"doc.on.doc", "files"},
    {"tools", "tools"},
    // Drawn: a circle with a letter or a glyph inside.
    {"w.circle", "circle"},
    {"l.circle", "circle"},
    {"d.circle", "circle"},
    {"trash.circle", "circle"},
};

void renderInto(QPainter& p, const QString& name, const QString& file, double size) {
    IconDrawing::bundled(file).paint(p, QRectF(0, 0, size, size));
    if (name.size() == 8 && name.endsWith(QStringLiteral(".circle")) &&
        name != QStringLiteral("trash.circle")) {
        QFont f = Theme::font(size * 0.55, QFont::DemiBold);
        p.setFont(f);
        p.setPen(Qt::black);
        p.drawText(QRectF(0, 0, size, size), Qt::AlignCenter, name.left(1).toUpper());
    } else if (name == QStringLiteral("trash.circle")) {
        const double inset = size * 0.27;
        IconDrawing::bundled(QStringLiteral("trash3"))
            .paint(p, QRectF(inset, inset, size - 2 * inset, size - 2 * inset));
    }
}

} // namespace

QString Icons::fileFor(const QString& name) {
    for (const auto& m : kMappings)
        if (name == QLatin1StringView(m.name))
            return QString::fromLatin1(m.file);
    return {};
}

QPixmap Icons::pixmap(const QString& name, double size, const QColor& color, qreal devicePixelRatio) {
    static QHash<QString, QPixmap> cache;
    const QString key =
        QStringLiteral("%1|%2|%3|%4").arg(name).arg(size).arg(color.rgba()).arg(devicePixelRatio);
    if (auto it = cache.constFind(key); it != cache.cend())
        return *it;
    QString file = fileFor(name);
    if (file.isEmpty())
        file = QStringLiteral("question-circle");
    const int pixels = qMax(1, qRound(size * devicePixelRatio));
    QPixmap pm(pixels, pixels);
    pm.fill(Qt::transparent);
    {
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(devicePixelRatio, devicePixelRatio);
        renderInto(p, name, file, size);
        // Tint: keep the shape, replace its colour.
        p.setCompositionMode(QPainter::CompositionMode_SourceIn);
        p.fillRect(QRectF(0, 0, size, size), color);
    }
    pm.setDevicePixelRatio(devicePixelRatio);
    cache.insert(key, pm);
    return pm;
}

void Icons::paint(QPainter& painter, const QRectF& rect, const QString& name, double size,
                  const QColor& color) {
    const qreal dpr = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const QPixmap pm = pixmap(name, size, color, dpr);
    // On whole device pixels: a pixmap drawn between them is resampled and blurs.
    const QPointF topLeft =
        painter.transform().map(QPointF(rect.center().x() - size / 2, rect.center().y() - size / 2));
    const QPointF snapped(std::round(topLeft.x() * dpr) / dpr, std::round(topLeft.y() * dpr) / dpr);
    painter.drawPixmap(painter.transform().inverted().map(snapped), pm);
}

} // namespace brevant
