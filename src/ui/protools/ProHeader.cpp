#include "ProHeader.h"

#include "kit/Text.h"
#include "kit/Theme.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>

namespace brevant {

ProHeader::ProHeader(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("proHeader"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(12, 12, 12, 12);
    row->setSpacing(10);
    QLabel* title =
        text::label(QStringLiteral("Pro Tools"), Theme::font(14, QFont::Bold), Theme::primary(), this);
    title->setObjectName(QStringLiteral("proToolsTitle"));
    row->addWidget(title, 0, Qt::AlignVCenter);
    row->addStretch(1);
}

void ProHeader::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Theme::withOpacity(Theme::green(), 0.20), 1));
    p.setBrush(Theme::withOpacity(Theme::green(), 0.08));
    p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 10, 10);
}

} // namespace brevant
