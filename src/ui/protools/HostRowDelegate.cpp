#include "HostRowDelegate.h"

#include "HostListModel.h"
#include "kit/Painting.h"
#include "kit/Theme.h"

#include <QFontMetrics>

namespace brevant {

namespace {
constexpr int kHostPadX = 8;
constexpr int kHostPadY = 4;
constexpr int kHostIpWidth = 110;
constexpr int kHostGap = 8;
} // namespace

HostRowDelegate::HostRowDelegate(PaintedListView* view)
    : PaintedRowDelegate(view), m_font(Theme::font(11, QFont::Normal, Theme::Design::Monospaced)),
      m_rowHeight(kHostPadY + QFontMetrics(m_font).height() + kHostPadY + kSpacing) {}

void HostRowDelegate::paintRow(QPainter& p, const QRect& row, const QModelIndex& index,
                               const RowState&) const {
    const QRect box = row.adjusted(0, 0, 0, -kSpacing);
    paint::rounded(p, box, 4, Theme::withOpacity(Theme::primary(), 0.02));
    const QRect content = box.adjusted(kHostPadX, kHostPadY, -kHostPadX, -kHostPadY);
    paint::text(p, QRect(content.left(), content.top(), kHostIpWidth, content.height()),
                index.data(HostListModel::IpRole).toString(), m_font, Theme::secondary());
    const int left = content.left() + kHostIpWidth + kHostGap;
    paint::text(p, QRect(left, content.top(), std::max(0, content.right() + 1 - left), content.height()),
                index.data(Qt::DisplayRole).toString(), m_font, Theme::primary());
}

} // namespace brevant
