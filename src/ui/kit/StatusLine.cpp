#include "StatusLine.h"

#include "Button.h"
#include "IconView.h"
#include "Painting.h"
#include "Text.h"
#include "Theme.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>

namespace brevant {

namespace {
constexpr double kIconSize = 12;
} // namespace

StatusLine::StatusLine(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("statusLine"));
    m_icon = new IconView(QStringLiteral("checkmark.circle"), kIconSize, Theme::green(), this);
    m_text = text::label(QString(), Theme::font(11), Theme::green(), this);
    m_text->setObjectName(QStringLiteral("statusMessage"));
    m_text->setWordWrap(true);
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_close = Button::icon(QStringLiteral("xmark"), 9, Theme::secondary(), QStringLiteral("Close"), this);
    m_close->setObjectName(QStringLiteral("statusCloseButton"));
    connect(m_close, &QAbstractButton::clicked, this, &StatusLine::closeRequested);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(8, 8, 8, 8);
    row->setSpacing(8);
    row->addWidget(m_icon, 0, Qt::AlignVCenter);
    row->addWidget(m_text, 1, Qt::AlignVCenter);
    row->addWidget(m_close, 0, Qt::AlignVCenter);
    hide();
}

void StatusLine::setStatus(const std::optional<QString>& message, bool isError) {
    m_isError = isError;
    const QColor color = isError ? Theme::red() : Theme::green();
    m_icon->setIcon(isError ? QStringLiteral("exclamationmark.circle") : QStringLiteral("checkmark.circle"),
                    color);
    text::setColor(m_text, color);
    m_text->setText(message.value_or(QString()));
    setAccessibleName(message.value_or(QString()));
    setVisible(message.has_value());
    update();
}

QString StatusLine::message() const {
    return m_text->text();
}

void StatusLine::paintEvent(QPaintEvent*) {
    QPainter p(this);
    paint::rounded(p, rect(), 6, Theme::withOpacity(m_isError ? Theme::red() : Theme::green(), 0.08));
}

} // namespace brevant
