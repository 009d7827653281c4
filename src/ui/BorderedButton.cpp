#include "BorderedButton.h"

#include "Icons.h"
#include "Painting.h"
#include "Spinner.h"
#include "Theme.h"

#include <QFontMetrics>
#include <QPainter>

namespace brevant {

namespace {
constexpr int kSpacing = 4;
constexpr int kHorizontalMargin = 10;
} // namespace

BorderedButton::BorderedButton(const QString& title, Style style, QWidget* parent)
    : QAbstractButton(parent), m_style(style), m_font(Theme::font(12, QFont::Medium)) {
    setText(title);
    setAccessibleName(title);
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void BorderedButton::setTint(const QColor& tint) {
    m_tint = tint;
    update();
}

void BorderedButton::setIcon(const QString& iconName, double size) {
    m_icon = iconName;
    m_iconSize = size;
    updateGeometry();
    update();
}

void BorderedButton::setTextFont(const QFont& font) {
    m_font = font;
    updateGeometry();
    update();
}

void BorderedButton::setBusy(bool busy) {
    if (busy == m_busy)
        return;
    m_busy = busy;
    if (busy && !m_spinner) {
        // The design's small spinner, drawn at 70 %.
        m_spinner = new Spinner(16, 0.7, this);
        m_spinner->setColor(m_style == Style::Prominent ? Theme::white() : Theme::secondary());
    }
    if (m_spinner) {
        m_spinner->setVisible(busy);
        resizeEvent(nullptr);
    }
    update();
}

QSize BorderedButton::sizeHint() const {
    const QFontMetrics fm(m_font);
    int w = paint::textWidth(m_font, text()) + 2 * kHorizontalMargin;
    if (!m_icon.isEmpty())
        w += int(m_iconSize) + kSpacing;
    return {w, std::max(fm.height() + 8, 22)};
}

QRectF BorderedButton::contentRect() const {
    // Icon (or spinner) and title, centred as one group.
    const double iconWidth = m_icon.isEmpty() ? 0 : (m_busy ? 16 * 0.7 : m_iconSize) + kSpacing;
    const double w = iconWidth + paint::textWidth(m_font, text());
    return {(width() - w) / 2.0, 0, w, double(height())};
}

void BorderedButton::resizeEvent(QResizeEvent*) {
    if (!m_spinner)
        return;
    const QRectF c = contentRect();
    const QSize s = m_spinner->size();
    m_spinner->move(int(c.left() + 16 * 0.7 / 2 - s.width() / 2.0), (height() - s.height()) / 2);
}

void BorderedButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    if (!isEnabled())
        p.setOpacity(0.5);
    const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QColor label;
    if (m_style == Style::Prominent) {
        QColor fill = m_tint.isValid() ? m_tint : Theme::accent();
        if (isDown())
            fill = fill.darker(115);
        paint::rounded(p, r, 6, fill);
        label = Theme::white();
    } else {
        QColor fill = Theme::controlBackground();
        if (isDown())
            fill = fill.darker(110);
        p.setPen(QPen(Theme::withOpacity(Theme::primary(), 0.18), 1));
        p.setBrush(fill);
        p.drawRoundedRect(r, 6, 6);
        label = Theme::primary();
    }
    const QRectF c = contentRect();
    double x = c.left();
    if (!m_icon.isEmpty()) {
        if (!m_busy)
            Icons::paint(p, QRectF(x, 0, m_iconSize, height()), m_icon, m_iconSize, label);
        x += (m_busy ? 16 * 0.7 : m_iconSize) + kSpacing;
    }
    paint::text(p, QRectF(x, 0, c.right() - x + 1, height()), text(), m_font, label,
                Qt::AlignLeft | Qt::AlignVCenter);
}

} // namespace brevant
