#include "SidebarParts.h"

#include "kit/IconDrawing.h"
#include "kit/Icons.h"
#include "kit/Painting.h"
#include "kit/ServiceListModel.h"
#include "kit/Theme.h"

#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainter>

namespace brevant::sidebar {

namespace {
int lineHeight(const QFont& f) {
    return QFontMetrics(f).height();
}
} // namespace

void paintBadge(QPainter& p, const QRectF& badge) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(badge.topLeft(), badge.bottomRight());
    g.setColorAt(0, Theme::badgeGradientStart());
    g.setColorAt(1, Theme::badgeGradientEnd());
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    const double scale = badge.width() / 32.0;
    p.drawRoundedRect(badge, 8 * scale, 8 * scale);
    // "Bv" in the rounded face, as outlines taken from the application's icon: no font is needed,
    // so the starting screen draws before any is set up.
    IconDrawing::resource(QStringLiteral(":/brevant/badge.svg")).paint(p, badge, Theme::white());
    p.restore();
}

Header::Header(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("sidebarHeader"));
    setAccessibleName(QStringLiteral("Kelvask Brevant"));
    setFixedHeight(14 + 32 + 14);
}

void Header::setCountText(const QString& text) {
    if (text == m_count)
        return;
    m_count = text;
    setAccessibleDescription(text);
    update();
}

void Header::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF badge(16, 14, 32, 32);
    paintBadge(p, badge);

    const QFont title = Theme::font(13, QFont::Bold);
    const QFont count = Theme::font(10, QFont::Medium);
    const double x = badge.right() + 10;
    const double w = width() - 16 - x;
    const double block = lineHeight(title) + 1 + lineHeight(count);
    const double y = (height() - block) / 2.0;
    paint::text(p, QRectF(x, y, w, lineHeight(title)), QStringLiteral("Kelvask Brevant"), title,
                Theme::primary());
    paint::text(p, QRectF(x, y + lineHeight(title) + 1, w, lineHeight(count)), m_count, count,
                Theme::secondary());
}

ServiceLine::ServiceLine(PaintedListView* view)
    : PaintedRowDelegate(view), m_name(Theme::font(12, QFont::DemiBold)),
      m_state(Theme::font(10, QFont::Medium)),
      m_rowHeight(6 + std::max(22, lineHeight(m_name) + 1 + lineHeight(m_state)) + 6 + kGap) {}

void ServiceLine::paintRow(QPainter& p, const QRect& row, const QModelIndex& index, const RowState&) const {
    const QRectF line = QRectF(row).adjusted(0, 0, 0, -kGap);
    const QString name = index.data(ServiceListModel::NameRole).toString();
    const bool running = index.data(ServiceListModel::RunningRole).toBool();
    const QColor accent = Theme::serviceColor(name);
    const QRectF tile(line.left() + 8, line.top() + (line.height() - 22) / 2.0, 22, 22);
    paint::rounded(p, tile, 5, Theme::withOpacity(accent, 0.12));
    Icons::paint(p, tile, index.data(ServiceListModel::IconRole).toString(), 13, accent);

    const double x = tile.right() + 10;
    const double dotX = line.right() - 8 - 7;
    const double w = dotX - 10 - x;
    const double block = lineHeight(m_name) + 1 + lineHeight(m_state);
    const double y = line.top() + (line.height() - block) / 2.0;
    paint::text(p, QRectF(x, y, w, lineHeight(m_name)), index.data(Qt::DisplayRole).toString(), m_name,
                Theme::primary());
    paint::text(p, QRectF(x, y + lineHeight(m_name) + 1, w, lineHeight(m_state)),
                running ? QStringLiteral("Running") : QStringLiteral("Stopped"), m_state,
                running ? Theme::runningGreen() : Theme::secondary());
    paint::dot(p, QPointF(dotX + 3.5, line.center().y()), 7,
               running ? Theme::runningGreen() : Theme::withOpacity(Theme::secondary(), 0.3));
}

NavItem::NavItem(const QString& label, const QString& icon, QWidget* parent)
    : QAbstractButton(parent), m_icon(icon) {
    setText(label);
    setAccessibleName(label);
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void NavItem::setSelected(bool selected) {
    if (selected == m_selected)
        return;
    m_selected = selected;
    update();
}

QSize NavItem::sizeHint() const {
    return {150, 7 + lineHeight(Theme::font(12)) + 7};
}

void NavItem::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    if (m_selected)
        paint::rounded(p, rect(), 6, Theme::withOpacity(Theme::accent(), 0.85));
    const QColor iconColor = m_selected ? Theme::white() : Theme::secondary();
    Icons::paint(p, QRectF(10, 0, 22, height()), m_icon, 12, iconColor);
    const QFont f = Theme::font(12, m_selected ? QFont::DemiBold : QFont::Normal);
    paint::text(p, QRectF(10 + 22 + 10, 0, width() - 52, height()), text(), f,
                m_selected ? Theme::white() : Theme::primary());
    if (paint::showsFocusRing(this))
        paint::focusRing(p, rect(), 6);
}

WebPanelButton::WebPanelButton(QWidget* parent) : QAbstractButton(parent) {
    setText(QStringLiteral("Open Web Panel"));
    setAccessibleName(text());
    setObjectName(QStringLiteral("openWebPanelButton"));
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QSize WebPanelButton::sizeHint() const {
    return {150, 7 + lineHeight(Theme::font(11, QFont::DemiBold)) + 7};
}

void WebPanelButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    paint::rounded(p, rect(), 6, Theme::withOpacity(Theme::primary(), isDown() ? 0.10 : 0.05));
    Icons::paint(p, QRectF(10, 0, 11, height()), QStringLiteral("globe"), 11, Theme::primary());
    const QFont f = Theme::font(11, QFont::DemiBold);
    paint::text(p, QRectF(10 + 11 + 8, 0, width() - 57, height()), text(), f, Theme::primary());
    Icons::paint(p, QRectF(width() - 10 - 10, 0, 10, height()), QStringLiteral("arrow.up.right.square"), 10,
                 Theme::secondary());
    if (paint::showsFocusRing(this))
        paint::focusRing(p, rect(), 6);
}

Footer::Footer(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("sidebarFooter"));
    setFixedHeight(10 + lineHeight(Theme::font(10, QFont::Medium)) + 10);
    setAccessibleName(text());
}

QString Footer::text() const {
    QString t = m_connected ? QStringLiteral("Connected") : QStringLiteral("Disconnected");
    if (!m_ram.isEmpty())
        t += QLatin1Char(' ') + m_ram;
    return t;
}

void Footer::setState(bool connected, const QString& ram) {
    if (connected == m_connected && ram == m_ram)
        return;
    m_connected = connected;
    m_ram = ram;
    setAccessibleName(text());
    update();
}

void Footer::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    paint::dot(p, QPointF(16 + 3, height() / 2.0), 6,
               m_connected ? Theme::runningGreen() : Theme::disconnectedDot());
    const QFont f = Theme::font(10, QFont::Medium);
    paint::text(p, QRectF(16 + 6 + 6, 0, 100, height()),
                m_connected ? QStringLiteral("Connected") : QStringLiteral("Disconnected"), f,
                Theme::secondary());
    if (!m_ram.isEmpty())
        paint::text(p, QRectF(0, 0, width() - 16, height()), m_ram,
                    Theme::font(10, QFont::Medium, Theme::Design::Monospaced), Theme::secondary(),
                    Qt::AlignRight | Qt::AlignVCenter);
}

} // namespace brevant::sidebar
