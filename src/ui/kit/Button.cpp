#include "Button.h"

#include "Icons.h"
#include "Painting.h"
#include "Spinner.h"
#include "Theme.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QPainter>

namespace brevant {

namespace {
constexpr int kSpacing = 4;
constexpr double kSpinner = 16;
constexpr double kSpinnerScale = 0.7;
} // namespace

Button::Button(const QString& title, Style style, QWidget* parent)
    : QAbstractButton(parent), m_style(style), m_font(Theme::font(12, QFont::Medium)) {
    setText(title);
    setAccessibleName(title);
    // As on the desktop the design comes from: Tab reaches buttons, a click does not focus them.
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

Button* Button::action(const QString& title, const QColor& color, QWidget* parent) {
    auto* b = new Button(title, Style::Prominent, parent);
    b->setTint(Theme::withOpacity(color, 0.85));
    b->setTextFont(Theme::font(11, QFont::DemiBold));
    b->setCornerRadius(5);
    b->setCursor(Qt::PointingHandCursor);
    return b;
}

Button* Button::compact(const QString& title, Style style, double fontSize, int height, QWidget* parent) {
    auto* b = new Button(title, style, parent);
    b->setTextFont(Theme::font(fontSize, style == Style::Prominent ? QFont::Medium : QFont::Normal));
    b->setCornerRadius(5);
    b->setHorizontalPadding(style == Style::Prominent ? 10 : 8);
    b->setFixedHeight(height);
    return b;
}

Button* Button::icon(const QString& iconName, double size, const QColor& color, const QString& accessibleName,
                     QWidget* parent) {
    auto* b = new Button(QString(), Style::Plain, parent);
    b->setIcon(iconName, size);
    b->setTint(color);
    b->setAccessibleName(accessibleName);
    b->setHorizontalPadding(3);
    const int side = qCeil(size) + 6;
    b->setFixedSize(side, side);
    return b;
}

void Button::setTitle(const QString& title) {
    if (title == text())
        return;
    setText(title);
    setAccessibleName(title);
    updateGeometry();
    resizeEvent(nullptr);
}

void Button::setTint(const QColor& tint) {
    m_tint = tint;
    update();
}

void Button::setIcon(const QString& iconName, double size) {
    m_icon = iconName;
    m_iconSize = size;
    updateGeometry();
    update();
}

void Button::setTextFont(const QFont& font) {
    m_font = font;
    updateGeometry();
    update();
}

void Button::setCornerRadius(double radius) {
    m_radius = radius;
    update();
}

void Button::setHorizontalPadding(int padding) {
    m_padding = padding;
    updateGeometry();
    update();
}

void Button::setBusy(bool busy) {
    if (busy == m_busy)
        return;
    m_busy = busy;
    if (busy && !m_spinner)
        m_spinner = new Spinner(kSpinner, kSpinnerScale, this);
    if (m_spinner) {
        m_spinner->setVisible(busy);
        resizeEvent(nullptr);
    }
    updateGeometry();
    update();
}

double Button::leadingWidth() const {
    if (m_busy)
        return kSpinner * kSpinnerScale + (text().isEmpty() ? 0 : kSpacing);
    if (m_icon.isEmpty())
        return 0;
    return m_iconSize + (text().isEmpty() ? 0 : kSpacing);
}

QSize Button::sizeHint() const {
    const QFontMetrics fm(m_font);
    const int w = paint::textWidth(m_font, text()) + 2 * m_padding + qCeil(leadingWidth());
    return {w, std::max(fm.height() + 8, 22)};
}

QRectF Button::contentRect() const {
    // Icon (or spinner) and title, centred as one group.
    const double w = leadingWidth() + paint::textWidth(m_font, text());
    return {(width() - w) / 2.0, 0, w, double(height())};
}

void Button::resizeEvent(QResizeEvent*) {
    if (!m_spinner)
        return;
    const QRectF c = contentRect();
    const QSize s = m_spinner->size();
    m_spinner->move(int(c.left() + kSpinner * kSpinnerScale / 2 - s.width() / 2.0),
                    (height() - s.height()) / 2);
}

void Button::keyPressEvent(QKeyEvent* event) {
    // Return presses the focused button as Space does.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        event->modifiers() == Qt::NoModifier) {
        if (isEnabled())
            animateClick();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

void Button::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QColor label;
    switch (m_style) {
    case Style::Prominent:
        if (isEnabled()) {
            QColor fill = m_tint.isValid() ? m_tint : Theme::accent();
            paint::rounded(p, r, m_radius, isDown() ? fill.darker(115) : fill);
            label = Theme::white();
        } else {
            paint::rounded(p, r, m_radius, Theme::withOpacity(Theme::primary(), 0.08));
            label = Theme::secondary();
        }
        break;
    case Style::Bordered: {
        const QColor fill = Theme::controlBackground();
        p.setPen(QPen(Theme::withOpacity(Theme::primary(), 0.18), 1));
        p.setBrush(isDown() ? fill.darker(110) : fill);
        p.drawRoundedRect(r, m_radius, m_radius);
        label = isEnabled() ? Theme::primary() : Theme::secondary();
        break;
    }
    case Style::Plain:
        label = m_tint.isValid() ? m_tint : Theme::primary();
        if (isDown() || !isEnabled())
            label = Theme::withOpacity(label, 0.5);
        break;
    }
    if (m_spinner)
        m_spinner->setColor(m_style == Style::Prominent && isEnabled() ? Theme::white() : Theme::secondary());

    const QRectF c = contentRect();
    double x = c.left();
    if (!m_busy && !m_icon.isEmpty())
        Icons::paint(p, QRectF(x, 0, m_iconSize, height()), m_icon, m_iconSize, label);
    x += leadingWidth();
    if (!text().isEmpty())
        paint::text(p, QRectF(x, 0, c.right() - x + 1, height()), text(), m_font, label,
                    Qt::AlignLeft | Qt::AlignVCenter);
    if (paint::showsFocusRing(this))
        paint::focusRing(p, rect(), m_style == Style::Plain ? 4 : m_radius);
}

} // namespace brevant
