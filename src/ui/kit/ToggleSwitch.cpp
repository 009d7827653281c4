#include "ToggleSwitch.h"

#include "Painting.h"
#include "Theme.h"

#include <QPainter>

namespace brevant {

namespace {
constexpr int kTrackWidth = 26;
constexpr int kTrackHeight = 15;
constexpr int kGap = 6;
QFont labelFont() {
    return Theme::font(11);
}
} // namespace

ToggleSwitch::ToggleSwitch(const QString& label, QWidget* parent) : QAbstractButton(parent) {
    setText(label);
    setAccessibleName(label);
    setCheckable(true);
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize ToggleSwitch::sizeHint() const {
    return {paint::textWidth(labelFont(), text()) + kGap + kTrackWidth, kTrackHeight + 5};
}

void ToggleSwitch::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const int textW = width() - kGap - kTrackWidth;
    paint::text(p, QRectF(0, 0, textW, height()), text(), labelFont(), Theme::primary());
    const QRectF track(width() - kTrackWidth, (height() - kTrackHeight) / 2.0, kTrackWidth, kTrackHeight);
    paint::capsule(p, track, isChecked() ? Theme::accent() : Theme::withOpacity(Theme::primary(), 0.12));
    const double knob = kTrackHeight - 2;
    const double x = isChecked() ? track.right() - 1 - knob : track.left() + 1;
    p.setPen(QPen(QColor(0, 0, 0, 30), 0.5));
    p.setBrush(Theme::white());
    p.drawEllipse(QRectF(x, track.top() + 1, knob, knob));
    if (paint::showsFocusRing(this))
        paint::focusRing(p, track.adjusted(-2, -2, 2, 2), (kTrackHeight + 4) / 2.0);
}

} // namespace brevant
