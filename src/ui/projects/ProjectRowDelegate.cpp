#include "ProjectRowDelegate.h"

#include "ProjectListModel.h"
#include "kit/Icons.h"
#include "kit/Theme.h"

#include <QPainter>
#include <QPainterPath>
#include <QStaticText>

namespace brevant {

namespace {
constexpr int kPadX = 16;
constexpr int kPadY = 8;
constexpr int kItemSpacing = 12;
constexpr int kIconBox = 24;
constexpr double kIconSize = 16;
constexpr int kDeleteWidth = 14;
constexpr double kDeleteIcon = 11;
constexpr int kDeleteHit = 22;
constexpr int kBadgePadX = 6;
constexpr int kBadgePadY = 2;
// A badge never takes more than this, whatever the daemon sends.
constexpr int kBadgeMaxWidth = 120;

// The delete button sits right of the padding, centred on the content line.
QRect deleteRect(const QRect& row, int contentHeight) {
    const int top = row.top() + kPadY + (contentHeight - kDeleteWidth) / 2;
    return {row.right() - kPadX - kDeleteWidth + 1, top, kDeleteWidth, kDeleteWidth};
}

int badgeWidth(const QFontMetricsF& fm, const QString& text) {
    // Rounded up from the fractional advance, or elidedText would clip a text that fits.
    const int textWidth = qCeil(fm.horizontalAdvance(text)) + 1;
    return qMin(kBadgeMaxWidth, textWidth + 2 * kBadgePadX);
}

void paintCapsule(QPainter& p, const QRect& r, const QColor& fill) {
    QPainterPath capsule;
    capsule.addRoundedRect(QRectF(r), r.height() / 2.0, r.height() / 2.0);
    p.fillPath(capsule, fill);
}
} // namespace

const ProjectRowDelegate::Line& ProjectRowDelegate::line(const QFont& font, const QString& text,
                                                         int maxWidth) const {
    // Shaping and eliding are most of a row's cost; a scrolled list shows the same texts again.
    const QString key = QString::number(font.pixelSize()) + QLatin1Char('/') +
                        QString::number(font.weight()) + QLatin1Char('/') + QString::number(maxWidth) +
                        QLatin1Char('/') + text;
    if (const Line* cached = m_lines.object(key))
        return *cached;
    const QFontMetricsF fm(font);
    QString shown = text;
    qreal width = fm.horizontalAdvance(text);
    if (width > maxWidth) {
        shown = fm.elidedText(text, Qt::ElideRight, maxWidth);
        width = fm.horizontalAdvance(shown);
    }
    auto* entry = new Line{QStaticText(shown), width};
    entry->text.setTextFormat(Qt::PlainText);
    entry->text.prepare(QTransform(), font);
    m_lines.insert(key, entry);
    return *m_lines.object(key);
}

void ProjectRowDelegate::drawLine(QPainter& p, const QFont& font, const QRect& box, const QString& text,
                                  bool centred) const {
    const Line& l = line(font, text, box.width());
    const QFontMetricsF fm(font);
    const qreal x = centred ? box.left() + (box.width() - l.width) / 2 : box.left();
    const qreal y = box.top() + (box.height() - fm.height()) / 2;
    p.setFont(font);
    p.drawStaticText(QPointF(x, y), l.text);
}

ProjectRowDelegate::ProjectRowDelegate(PaintedListView* view)
    : PaintedRowDelegate(view), m_nameFont(Theme::font(13, QFont::DemiBold)), m_domainFont(Theme::font(11)),
      m_badgeFont(Theme::font(9, QFont::Medium)) {
    const int textColumn = QFontMetrics(m_nameFont).height() + 2 + QFontMetrics(m_domainFont).height();
    const int badge = QFontMetrics(m_badgeFont).height() + 2 * kBadgePadY;
    const int content = qMax(textColumn, qMax(badge, int(kIconSize)));
    m_rowHeight = kPadY + content + kPadY + 1;
}

QList<QRect> ProjectRowDelegate::actionRects(const QModelIndex&, const QRect& rowRect) const {
    return {deleteHitRect(rowRect)};
}

QString ProjectRowDelegate::actionDescription(const QModelIndex& index, int) const {
    return QStringLiteral("Delete ") + index.data(Qt::DisplayRole).toString();
}

QModelIndex ProjectRowDelegate::hoveredDelete() const {
    return view()->hoveredAction() == 0 ? view()->hoveredIndex() : QModelIndex();
}

QRect ProjectRowDelegate::deleteHitRect(const QRect& rowRect) {
    const int contentHeight = rowRect.height() - 2 * kPadY - 1;
    const QPoint c = deleteRect(rowRect, contentHeight).center();
    return {c.x() - kDeleteHit / 2 + 1, c.y() - kDeleteHit / 2 + 1, kDeleteHit, kDeleteHit};
}

void ProjectRowDelegate::paintRow(QPainter& p, const QRect& row, const QModelIndex& index,
                                  const RowState& state) const {
    const int contentHeight = m_rowHeight - 2 * kPadY - 1;
    const int top = row.top() + kPadY;
    const int centreY = top + contentHeight / 2;

    // Security icon.
    const bool ssl = index.data(ProjectListModel::SslEnabledRole).toBool();
    const QRect iconBox(row.left() + kPadX, top, kIconBox, contentHeight);
    Icons::paint(p, iconBox, index.data(ProjectListModel::SecurityIconRole).toString(), kIconSize,
                 ssl ? Theme::green() : Theme::blue());

    // Delete button: dimmed while pressed, like a plain button.
    const QRect del = deleteRect(row, contentHeight);
    const bool pressed = state.pressedAction == 0;
    Icons::paint(p, del, QStringLiteral("trash"), kDeleteIcon,
                 pressed ? Theme::withOpacity(Theme::red(), 0.5) : Theme::red());

    // Badges, right to left.
    const QFontMetrics badgeMetrics(m_badgeFont);
    const int badgeHeight = badgeMetrics.height() + 2 * kBadgePadY;
    const int badgeTop = centreY - badgeHeight / 2;
    const QString php = index.data(ProjectListModel::PhpBadgeRole).toString();
    const QString server = index.data(ProjectListModel::WebServerBadgeRole).toString();
    const QFontMetricsF exactBadgeMetrics(m_badgeFont);
    const int phpWidth = badgeWidth(exactBadgeMetrics, php);
    const int serverWidth = badgeWidth(exactBadgeMetrics, server);
    const QRect phpRect(del.left() - kItemSpacing - phpWidth, badgeTop, phpWidth, badgeHeight);
    const QRect serverRect(phpRect.left() - kItemSpacing - serverWidth, badgeTop, serverWidth, badgeHeight);
    paintCapsule(p, serverRect, Theme::withOpacity(Theme::secondary(), 0.10));
    paintCapsule(p, phpRect, Theme::withOpacity(Theme::purple(), 0.10));
    p.setPen(Theme::primary());
    drawLine(p, m_badgeFont, serverRect.adjusted(kBadgePadX, 0, -kBadgePadX, 0), server, true);
    drawLine(p, m_badgeFont, phpRect.adjusted(kBadgePadX, 0, -kBadgePadX, 0), php, true);

    // Name over domain, each on one line, elided before the badges.
    const int textLeft = iconBox.right() + 1 + kItemSpacing;
    const int textWidth = qMax(0, serverRect.left() - kItemSpacing - textLeft);
    const QFontMetrics nameMetrics(m_nameFont);
    const QFontMetrics domainMetrics(m_domainFont);
    const int columnHeight = nameMetrics.height() + 2 + domainMetrics.height();
    const int columnTop = top + (contentHeight - columnHeight) / 2;
    p.setPen(Theme::primary());
    drawLine(p, m_nameFont, QRect(textLeft, columnTop, textWidth, nameMetrics.height()),
             index.data(Qt::DisplayRole).toString(), false);
    p.setPen(Theme::blue());
    drawLine(p, m_domainFont,
             QRect(textLeft, columnTop + nameMetrics.height() + 2, textWidth, domainMetrics.height()),
             index.data(ProjectListModel::DomainRole).toString(), false);

    if (index.data(ProjectListModel::DividerRole).toBool()) {
        p.setRenderHint(QPainter::Antialiasing, false);
        p.fillRect(QRect(row.left() + kPadX, row.bottom(), qMax(0, row.width() - 2 * kPadX), 1),
                   Theme::separator());
    }
}

} // namespace brevant
