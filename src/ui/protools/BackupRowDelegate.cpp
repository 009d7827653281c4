#include "BackupRowDelegate.h"

#include "BackupListModel.h"
#include "kit/Painting.h"
#include "kit/Theme.h"

#include <QFontMetrics>
#include <QPainter>

namespace brevant {

namespace {
constexpr int kBackupPad = 8;
constexpr int kBackupLineGap = 2;
constexpr int kBackupGap = 8;
constexpr int kBackupButtonHeight = 16;
constexpr int kBackupButtonPadX = 7;
const QString kBackupRestore = QStringLiteral("Restore");
} // namespace

BackupRowDelegate::BackupRowDelegate(PaintedListView* view)
    : PaintedRowDelegate(view), m_nameFont(Theme::font(11, QFont::Medium, Theme::Design::Monospaced)),
      m_detailsFont(Theme::font(10)), m_buttonFont(Theme::font(9)),
      m_buttonWidth(paint::textWidth(m_buttonFont, kBackupRestore) + 2 * kBackupButtonPadX) {
    const int column =
        QFontMetrics(m_nameFont).height() + kBackupLineGap + QFontMetrics(m_detailsFont).height();
    m_rowHeight = kBackupPad + std::max(column, kBackupButtonHeight) + kBackupPad + kSpacing;
}

QRect BackupRowDelegate::restoreRect(const QRect& rowRect) const {
    const int boxHeight = rowRect.height() - kSpacing;
    return {rowRect.right() + 1 - kBackupPad - m_buttonWidth,
            rowRect.top() + (boxHeight - kBackupButtonHeight) / 2, m_buttonWidth, kBackupButtonHeight};
}

QList<QRect> BackupRowDelegate::actionRects(const QModelIndex&, const QRect& rowRect) const {
    return {restoreRect(rowRect)};
}

QString BackupRowDelegate::actionDescription(const QModelIndex& index, int) const {
    return kBackupRestore + QLatin1Char(' ') + index.data(Qt::DisplayRole).toString();
}

void BackupRowDelegate::paintRow(QPainter& p, const QRect& row, const QModelIndex& index,
                                 const RowState& state) const {
    const QRect box = row.adjusted(0, 0, 0, -kSpacing);
    paint::rounded(p, box, 6, Theme::withOpacity(Theme::primary(), 0.02));

    // The bordered button, darker while held down.
    const QRectF button = QRectF(restoreRect(row)).adjusted(0.5, 0.5, -0.5, -0.5);
    const QColor fill = Theme::controlBackground();
    p.setPen(QPen(Theme::withOpacity(Theme::primary(), 0.18), 1));
    p.setBrush(state.pressedAction == 0 ? fill.darker(110) : fill);
    p.drawRoundedRect(button, 4, 4);
    paint::text(p, button, kBackupRestore, m_buttonFont, Theme::primary(), Qt::AlignCenter);

    const QFontMetrics nameMetrics(m_nameFont);
    const QFontMetrics detailsMetrics(m_detailsFont);
    const int columnHeight = nameMetrics.height() + kBackupLineGap + detailsMetrics.height();
    const int left = box.left() + kBackupPad;
    const int width = std::max(0, int(button.left()) - kBackupGap - left);
    const int top = box.top() + (box.height() - columnHeight) / 2;
    paint::text(p, QRect(left, top, width, nameMetrics.height()), index.data(Qt::DisplayRole).toString(),
                m_nameFont, Theme::primary());
    paint::text(p, QRect(left, top + nameMetrics.height() + kBackupLineGap, width, detailsMetrics.height()),
                index.data(BackupListModel::DetailsRole).toString(), m_detailsFont, Theme::secondary());
}

} // namespace brevant
