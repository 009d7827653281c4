#include "ToolCard.h"

#include "kit/Icons.h"
#include "kit/Painting.h"
#include "kit/Theme.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QPainter>
#include <QTextLayout>

namespace brevant {

namespace {
constexpr int kCardPad = 10;
constexpr int kCardTile = 30;
constexpr double kCardTileIcon = 16;
constexpr double kCardChevron = 12;
constexpr int kCardRowGap = 8;
constexpr int kCardColumnGap = 8;
constexpr int kCardLineGap = 1;
constexpr double kCardRadius = 8;

QFont cardTitleFont() {
    return Theme::font(12, QFont::DemiBold);
}
QFont cardCaptionFont() {
    return Theme::font(9, QFont::Medium);
}
QFont cardDescriptionFont() {
    return Theme::font(10);
}
const QString kCardCaption = QStringLiteral("Click to open");
} // namespace

ToolCard::ToolCard(const QString& icon, const QString& title, const QString& description, const QColor& tint,
                   QWidget* parent)
    : QAbstractButton(parent), m_icon(icon), m_description(description), m_tint(tint) {
    setText(title);
    setAccessibleName(title);
    setAccessibleDescription(description);
    // As every button of the design: Tab reaches it, a click does not focus it.
    setFocusPolicy(Qt::TabFocus);
    QSizePolicy policy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

int ToolCard::topRowHeight() const {
    const int texts =
        QFontMetrics(cardTitleFont()).height() + kCardLineGap + QFontMetrics(cardCaptionFont()).height();
    return std::max(kCardTile, texts);
}

QStringList ToolCard::linesFor(int width) const {
    // Wrapped at word boundaries; whatever does not fit in two lines ends the second in an ellipsis.
    const QFont font = cardDescriptionFont();
    const QFontMetrics fm(font);
    const int textWidth = std::max(1, width - 2 * kCardPad);
    QTextLayout layout(m_description, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QStringList lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(textWidth);
        if (lines.size() == 1) {
            lines.push_back(
                fm.elidedText(m_description.mid(line.textStart()).trimmed(), Qt::ElideRight, textWidth));
            break;
        }
        lines.push_back(m_description.mid(line.textStart(), line.textLength()).trimmed());
    }
    layout.endLayout();
    return lines;
}

QStringList ToolCard::descriptionLines() const {
    return linesFor(width());
}

int ToolCard::heightForWidth(int width) const {
    const qsizetype lines = std::max<qsizetype>(1, linesFor(width).size());
    return kCardPad + topRowHeight() + kCardRowGap +
           int(lines) * QFontMetrics(cardDescriptionFont()).height() + kCardPad;
}

QSize ToolCard::sizeHint() const {
    const int w = 2 * kCardPad + kCardTile + kCardColumnGap + paint::textWidth(cardTitleFont(), text()) +
                  kCardColumnGap + int(kCardChevron) + 40;
    return {w, heightForWidth(w)};
}

QSize ToolCard::minimumSizeHint() const {
    const int w = 2 * kCardPad + kCardTile + kCardColumnGap + int(kCardChevron);
    return {w, heightForWidth(w)};
}

void ToolCard::keyPressEvent(QKeyEvent* event) {
    // Return opens the focused tool as Space does.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        event->modifiers() == Qt::NoModifier) {
        animateClick();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

void ToolCard::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    // A plain button: pressed, the whole card dims.
    if (isDown())
        p.setOpacity(0.6);
    const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    p.setPen(QPen(Theme::withOpacity(m_tint, 0.20), 1));
    p.setBrush(Theme::controlBackground());
    p.drawRoundedRect(r, kCardRadius, kCardRadius);

    const int row = topRowHeight();
    const QRectF tile(kCardPad, kCardPad + (row - kCardTile) / 2.0, kCardTile, kCardTile);
    paint::rounded(p, tile, 7, Theme::withOpacity(m_tint, 0.12));
    Icons::paint(p, tile, m_icon, kCardTileIcon, m_tint);

    const QRectF chevron(width() - kCardPad - kCardChevron, kCardPad, kCardChevron, row);
    Icons::paint(p, chevron, QStringLiteral("chevron.right"), kCardChevron, Theme::secondary());

    const int titleHeight = QFontMetrics(cardTitleFont()).height();
    const int captionHeight = QFontMetrics(cardCaptionFont()).height();
    const double textLeft = tile.right() + kCardColumnGap;
    const double textWidth = std::max(0.0, chevron.left() - kCardColumnGap - textLeft);
    const double textTop = kCardPad + (row - (titleHeight + kCardLineGap + captionHeight)) / 2.0;
    paint::text(p, QRectF(textLeft, textTop, textWidth, titleHeight), text(), cardTitleFont(),
                Theme::primary());
    paint::text(p, QRectF(textLeft, textTop + titleHeight + kCardLineGap, textWidth, captionHeight),
                kCardCaption, cardCaptionFont(), Theme::blue());

    const int lineHeight = QFontMetrics(cardDescriptionFont()).height();
    double y = kCardPad + row + kCardRowGap;
    for (const QString& line : descriptionLines()) {
        paint::text(p, QRectF(kCardPad, y, width() - 2 * kCardPad, lineHeight), line, cardDescriptionFont(),
                    Theme::secondary());
        y += lineHeight;
    }
    if (hasFocus())
        paint::focusRing(p, rect(), kCardRadius);
}

} // namespace brevant
