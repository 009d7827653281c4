#include "SectionButtons.h"

#include "Icons.h"
#include "Theme.h"

#include <QIcon>
#include <QPushButton>

namespace brevant::buttons {

namespace {
QString rgba(const QColor& c) {
    return QStringLiteral("rgba(%1,%2,%3,%4)").arg(c.red()).arg(c.green()).arg(c.blue()).arg(c.alphaF());
}
} // namespace

QPushButton* prominent(const QString& text, const QColor& tint, double fontSize, int height,
                       QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setFont(Theme::font(fontSize, QFont::Medium));
    b->setFixedHeight(height);
    b->setStyleSheet(
        QStringLiteral("QPushButton { background: %1; color: white; border: none; border-radius: 5px;"
                       " padding: 0px 10px; }"
                       "QPushButton:pressed { background: %2; }"
                       "QPushButton:disabled { background: %3; color: %4; }")
            .arg(rgba(tint), rgba(tint.darker(125)), rgba(Theme::withOpacity(Theme::primary(), 0.08)),
                 rgba(Theme::secondary())));
    return b;
}

QPushButton* bordered(const QString& text, double fontSize, int height, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setFont(Theme::font(fontSize));
    b->setFixedHeight(height);
    b->setStyleSheet(QStringLiteral("QPushButton { background: %1; color: %2; border: 1px solid %3;"
                                    " border-radius: 5px; padding: 0px 8px; }"
                                    "QPushButton:pressed { background: %4; }")
                         .arg(rgba(Theme::controlBackground()), rgba(Theme::primary()),
                              rgba(Theme::withOpacity(Theme::primary(), 0.15)),
                              rgba(Theme::withOpacity(Theme::primary(), 0.10))));
    return b;
}

QPushButton* plainIcon(const QString& iconName, double iconSize, const QColor& color, QWidget* parent) {
    auto* b = new QPushButton(parent);
    b->setIcon(QIcon(Icons::pixmap(iconName, iconSize, color)));
    const int side = qCeil(iconSize);
    b->setIconSize(QSize(side, side));
    b->setFixedSize(side + 6, side + 6);
    b->setFlat(true);
    b->setStyleSheet(QStringLiteral("QPushButton { border: none; background: transparent; padding: 0px; }"));
    return b;
}

void setIcon(QPushButton* button, const QString& iconName, double iconSize, const QColor& color) {
    button->setIcon(QIcon(Icons::pixmap(iconName, iconSize, color)));
    const int side = qCeil(iconSize);
    button->setIconSize(QSize(side, side));
}

} // namespace brevant::buttons
