#include "ProjectRowDelegate.h"

#include "Icons.h"
#include "ProjectListModel.h"
#include "Theme.h"

#include <QCursor>
#include <QListView>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
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

ProjectRowDelegate::ProjectRowDelegate(QListView* view)
    : QStyledItemDelegate(view), m_view(view), m_viewport(view->viewport()),
      m_nameFont(Theme::font(13, QFont::DemiBold)), m_domainFont(Theme::font(11)),
      m_badgeFont(Theme::font(9, QFont::Medium)) {
    const int textColumn = QFontMetrics(m_nameFont).height() + 2 + QFontMetrics(m_domainFont).height();
    const int badge = QFontMetrics(m_badgeFont).height() + 2 * kBadgePadY;
    const int content = qMax(textColumn, qMax(badge, int(kIconSize)));
    m_rowHeight = kPadY + content + kPadY + 1;

    view->viewport()->setMouseTracking(true);
    view->viewport()->installEventFilter(this);
    // The row under a still pointer changes when the list scrolls or changes.
    connect(view->verticalScrollBar(), &QScrollBar::valueChanged, this, &ProjectRowDelegate::refreshHover);
}

QSize ProjectRowDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
    return {option.rect.width() > 0 ? option.rect.width() : 400, m_rowHeight};
}

QRect ProjectRowDelegate::deleteHitRect(const QRect& rowRect) {
    const int contentHeight = rowRect.height() - 2 * kPadY - 1;
    const QPoint c = deleteRect(rowRect, contentHeight).center();
    return {c.x() - kDeleteHit / 2 + 1, c.y() - kDeleteHit / 2 + 1, kDeleteHit, kDeleteHit};
}

void ProjectRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
    QPainter& p = *painter;
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QRect row = option.rect;
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
    const bool pressed = m_pressed.isValid() && m_pressed == index && m_hovered == index;
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
    p.restore();
}

QModelIndex ProjectRowDelegate::deleteUnder(const QPoint& pos) const {
    const QModelIndex index = m_view->indexAt(pos);
    if (index.isValid() && deleteHitRect(m_view->visualRect(index)).contains(pos))
        return index;
    return {};
}

void ProjectRowDelegate::setHovered(const QModelIndex& index) {
    if (QModelIndex(m_hovered) == index)
        return;
    if (m_hovered.isValid())
        m_view->update(m_hovered);
    m_hovered = index;
    if (index.isValid()) {
        m_view->update(index);
        m_view->viewport()->setCursor(Qt::PointingHandCursor);
    } else {
        m_view->viewport()->unsetCursor();
    }
}

void ProjectRowDelegate::refreshHover() {
    QWidget* viewport = m_view->viewport();
    const QPoint pos = viewport->mapFromGlobal(QCursor::pos());
    setHovered(viewport->underMouse() && viewport->rect().contains(pos) ? deleteUnder(pos) : QModelIndex());
}

bool ProjectRowDelegate::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_viewport)
        return false;
    switch (event->type()) {
    case QEvent::MouseMove:
        setHovered(deleteUnder(static_cast<QMouseEvent*>(event)->position().toPoint()));
        return false;
    case QEvent::Leave:
        setHovered({});
        return false;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        auto* me = static_cast<QMouseEvent*>(event);
        const QModelIndex index = deleteUnder(me->position().toPoint());
        if (me->button() != Qt::LeftButton || !index.isValid())
            return false;
        setHovered(index);
        m_pressed = index;
        m_view->update(index);
        return true;
    }
    case QEvent::MouseButtonRelease: {
        auto* me = static_cast<QMouseEvent*>(event);
        if (me->button() != Qt::LeftButton || !m_pressed.isValid())
            return false;
        const QModelIndex pressed = m_pressed;
        m_pressed = QPersistentModelIndex();
        m_view->update(pressed);
        // Released elsewhere: no click, as with any button.
        if (deleteUnder(me->position().toPoint()) == pressed)
            emit deleteRequested(pressed.data(ProjectListModel::IdRole).toString());
        return true;
    }
    default:
        return false;
    }
}

} // namespace brevant
