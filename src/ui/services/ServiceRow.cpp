#include "ServiceRow.h"

#include "kit/Icons.h"
#include "kit/Painting.h"
#include "kit/ServiceListModel.h"
#include "kit/Theme.h"

#include <QFontMetrics>
#include <QPainter>

namespace brevant {

namespace {
constexpr int kRowPadY = 8;
constexpr int kButtonSpacing = 6;
constexpr int kButtonPadX = 10;

QColor colour(ServiceRow::Action a) {
    switch (a) {
    case ServiceRow::Action::Start:
        return Theme::runningGreen();
    case ServiceRow::Action::Stop:
        return Theme::stopButton();
    case ServiceRow::Action::Restart:
        return Theme::restartButton();
    case ServiceRow::Action::Logs:
        return Theme::logsButton();
    case ServiceRow::Action::Admin:
        return Theme::adminButton();
    }
    return Theme::logsButton();
}
} // namespace

ServiceRow::ServiceRow(PaintedListView* view)
    : PaintedRowDelegate(view), m_buttonFont(Theme::font(11, QFont::DemiBold)),
      m_nameFont(Theme::font(13, QFont::DemiBold)), m_stateFont(Theme::font(12, QFont::Medium)),
      m_portFont(Theme::font(12, QFont::Normal, Theme::Design::Monospaced)), m_noPortFont(Theme::font(12)),
      m_buttonHeight(QFontMetrics(m_buttonFont).height() + 8),
      m_rowHeight(kRowPadY + std::max(m_buttonHeight, QFontMetrics(m_nameFont).height()) + kRowPadY + 1) {}

QList<ServiceRow::Action> ServiceRow::actions(const ServiceStatus& s) {
    if (!s.isRunning())
        return {Action::Start, Action::Logs};
    if (s.name == QLatin1StringView("mariadb"))
        return {Action::Stop, Action::Restart, Action::Logs, Action::Admin};
    return {Action::Stop, Action::Restart, Action::Logs};
}

QString ServiceRow::title(Action a) {
    switch (a) {
    case Action::Start:
        return QStringLiteral("Start");
    case Action::Stop:
        return QStringLiteral("Stop");
    case Action::Restart:
        return QStringLiteral("Restart");
    case Action::Logs:
        return QStringLiteral("Logs");
    case Action::Admin:
        return QStringLiteral("Admin");
    }
    return {};
}

QString ServiceRow::portText(const ServiceStatus& s) {
    return s.port ? QStringLiteral(":") + QString::number(*s.port) : QStringLiteral("\u2014");
}

const ServiceStatus& ServiceRow::service(const QModelIndex& index) const {
    return static_cast<const ServiceListModel*>(index.model())->service(index.row());
}

QList<QRect> ServiceRow::actionRects(const QModelIndex& index, const QRect& row) const {
    const QList<Action> list = actions(service(index));
    QList<QRect> rects(list.size());
    const int top = row.top() + (row.height() - 1 - m_buttonHeight) / 2;
    int right = row.right() - kSideMargin + 1;
    for (qsizetype i = list.size() - 1; i >= 0; --i) {
        const int w = paint::textWidth(m_buttonFont, title(list[i])) + 2 * kButtonPadX;
        rects[i] = QRect(right - w, top, w, m_buttonHeight);
        right -= w + kButtonSpacing;
    }
    return rects;
}

QString ServiceRow::actionDescription(const QModelIndex& index, int action) const {
    const ServiceStatus& s = service(index);
    return title(actions(s).value(action)) + QLatin1Char(' ') + s.displayName();
}

void ServiceRow::paintRow(QPainter& p, const QRect& row, const QModelIndex& index,
                          const RowState& state) const {
    const ServiceStatus& s = service(index);
    const bool running = s.isRunning();
    const QRect content = row.adjusted(0, 0, 0, -1);
    if (state.isHovered)
        paint::rounded(p, content, 6, Theme::withOpacity(Theme::primary(), 0.04));
    const double h = content.height();
    const double top = content.top();
    double x = row.left() + kSideMargin;

    const QColor dotFill = running ? Theme::runningGreen() : Theme::withOpacity(Theme::secondary(), 0.3);
    const QColor glow = running ? Theme::withOpacity(Theme::runningGreen(), 0.3) : QColor(Qt::transparent);
    paint::dot(p, QPointF(x + kDotCell / 2.0, top + h / 2), kDotCell, dotFill, glow, 3);
    x += kDotCell + kSpacing;

    const QColor iconColor = running ? Theme::serviceColor(s.name) : Theme::secondary();
    Icons::paint(p, QRectF(x, top, kIconCell, h), s.iconName(), 14, iconColor);
    x += kIconCell + kSpacing;

    paint::text(p, QRectF(x, top, kNameCell, h), s.displayName(), m_nameFont, Theme::primary());
    x += kNameCell + kSpacing;
    paint::text(p, QRectF(x, top, kStateCell, h), ServiceListModel::stateText(s), m_stateFont,
                running ? Theme::runningGreen() : Theme::secondary());
    x += kStateCell + kSpacing;
    if (s.port)
        paint::text(p, QRectF(x, top, kPortCell, h), portText(s), m_portFont, Theme::secondary());
    else
        paint::text(p, QRectF(x, top, kPortCell, h), portText(s), m_noPortFont,
                    Theme::withOpacity(Theme::secondary(), 0.4));

    const QList<Action> list = actions(s);
    const QList<QRect> rects = actionRects(index, row);
    for (qsizetype i = 0; i < list.size(); ++i) {
        QColor fill = Theme::withOpacity(colour(list[i]), 0.85);
        if (state.pressedAction == i)
            fill = fill.darker(115);
        paint::rounded(p, rects[i], 5, fill);
        paint::text(p, rects[i], title(list[i]), m_buttonFont, Theme::white(), Qt::AlignCenter);
    }

    if (index.data(ServiceListModel::DividerRole).toBool())
        p.fillRect(
            QRect(row.left() + kSideMargin, row.bottom(), std::max(0, row.width() - 2 * kSideMargin), 1),
            Theme::separator());
}

} // namespace brevant
