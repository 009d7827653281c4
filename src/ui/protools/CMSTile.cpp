#include "CMSTile.h"

#include "kit/Icons.h"
#include "kit/Painting.h"
#include "kit/Theme.h"

#include <QKeyEvent>
#include <QPainter>

namespace brevant {

namespace {
constexpr double kTileIconSize = 22;
constexpr int kTilePadY = 10;
constexpr int kTileSpacing = 6;
constexpr double kTileRadius = 8;

QFont tileLabelFont() {
    return Theme::font(11, QFont::Medium);
}
} // namespace

CMSTile::CMSTile(const QString& id, const QString& label, const QString& icon, QWidget* parent)
    : QAbstractButton(parent), m_id(id), m_icon(icon) {
    setText(label);
    setAccessibleName(label);
    setCheckable(true);
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setMinimumWidth(60);
}

QSize CMSTile::sizeHint() const {
    const int h =
        kTilePadY + int(kTileIconSize) + kTileSpacing + QFontMetrics(tileLabelFont()).height() + kTilePadY;
    return {paint::textWidth(tileLabelFont(), text()) + 20, h};
}

void CMSTile::keyPressEvent(QKeyEvent* event) {
    // Return chooses the focused tile as Space does.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        event->modifiers() == Qt::NoModifier) {
        animateClick();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

void CMSTile::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const bool selected = isChecked();
    // A plain button: pressed, the whole tile dims.
    if (isDown())
        p.setOpacity(0.6);
    const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    p.setPen(QPen(selected ? Theme::blue() : Theme::withOpacity(Theme::primary(), 0.08), 1));
    p.setBrush(selected ? Theme::withOpacity(Theme::blue(), 0.10) : Qt::transparent);
    p.drawRoundedRect(r, kTileRadius, kTileRadius);

    const int labelHeight = QFontMetrics(tileLabelFont()).height();
    const int top = (height() - (int(kTileIconSize) + kTileSpacing + labelHeight)) / 2;
    Icons::paint(p, QRectF(0, top, width(), kTileIconSize), m_icon, kTileIconSize,
                 selected ? Theme::blue() : Theme::secondary());
    paint::text(p, QRectF(4, top + kTileIconSize + kTileSpacing, width() - 8, labelHeight), text(),
                tileLabelFont(), selected ? Theme::primary() : Theme::secondary(), Qt::AlignCenter);
    if (hasFocus())
        paint::focusRing(p, rect(), kTileRadius);
}

} // namespace brevant
