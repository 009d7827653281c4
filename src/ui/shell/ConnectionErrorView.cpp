#include "ConnectionErrorView.h"

#include "DaemonClient.h"
#include "kit/Button.h"
#include "kit/IconView.h"
#include "kit/Text.h"
#include "kit/Theme.h"

#include <QLabel>
#include <QVBoxLayout>

namespace brevant {

ConnectionErrorView::ConnectionErrorView(DaemonClient* client, QWidget* parent)
    : QWidget(parent), m_client(client) {
    setObjectName(QStringLiteral("connectionErrorView"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(16, 16, 16, 16);
    column->setSpacing(16);
    column->addStretch(1);

    auto* icon = new IconView(QStringLiteral("exclamationmark.triangle"), 40, Theme::orange(), this);
    icon->setObjectName(QStringLiteral("connectionErrorIcon"));
    icon->setAccessibleName(QStringLiteral("Warning"));
    column->addWidget(icon, 0, Qt::AlignHCenter);

    auto* heading = new QLabel(QStringLiteral("Cannot connect to daemon"), this);
    heading->setObjectName(QStringLiteral("connectionErrorHeading"));
    heading->setFont(Theme::font(13, QFont::Bold));
    column->addWidget(heading, 0, Qt::AlignHCenter);

    m_message = text::label(QString(), Theme::font(11), Theme::secondary(), this);
    m_message->setObjectName(QStringLiteral("connectionErrorMessage"));
    m_message->setAlignment(Qt::AlignHCenter);
    m_message->setWordWrap(true);
    column->addWidget(m_message);

    m_retry = new Button(QStringLiteral("Retry Connection"), Button::Style::Prominent, this);
    m_retry->setObjectName(QStringLiteral("retryConnectionButton"));
    m_retry->setTextFont(Theme::font(13));
    m_retry->setFixedHeight(28);
    column->addWidget(m_retry, 0, Qt::AlignHCenter);
    column->addStretch(1);

    connect(m_retry, &QAbstractButton::clicked, this, &ConnectionErrorView::retryClicked);
    connect(client, &DaemonClient::connectionErrorChanged, this, &ConnectionErrorView::updateMessage);
    updateMessage();
}

QString ConnectionErrorView::message() const {
    return m_message->text();
}

void ConnectionErrorView::updateMessage() {
    const auto& error = m_client->connectionError();
    m_message->setText(error ? *error : QStringLiteral("The Brevant daemon is not running."));
    m_message->setAccessibleName(m_message->text());
}

} // namespace brevant
