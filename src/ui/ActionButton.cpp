#include "ActionButton.h"

#include "Painting.h"
#include "Theme.h"

#include <QFontMetrics>
#include <QPainter>

namespace brevant {

namespace {
QFont titleFont() {
    return Theme::font(11, QFont::DemiBold);
}
} // namespace

ActionButton::ActionButton(const QString& title, const QColor& color, QWidget* parent)
    : QAbstractButton(parent), m_color(color) {
    setText(title);
    setAccessibleName(title);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize ActionButton::sizeHint() const {
    const QFontMetrics fm(titleFont());
    return {paint::textWidth(titleFont(), text()) + 20, fm.height() + 8};
}

void ActionButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QColor fill = Theme::withOpacity(m_color, 0.85);
    if (isDown())
        fill = fill.darker(115);
    paint::rounded(p, rect(), 5, fill);
    paint::text(p, rect(), text(), titleFont(), Theme::white(), Qt::AlignCenter);
}

} // namespace brevant
