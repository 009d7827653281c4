#include "ConnectionErrorView.h"

#include "BorderedButton.h"
#include "DaemonClient.h"
#include "Icons.h"
#include "Theme.h"

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

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("connectionErrorIcon"));
    icon->setAccessibleName(QStringLiteral("Warning"));
    icon->setPixmap(
        Icons::pixmap(QStringLiteral("exclamationmark.triangle"), 40, Theme::orange(), devicePixelRatioF()));
    column->addWidget(icon, 0, Qt::AlignHCenter);

    auto* heading = new QLabel(QStringLiteral("Cannot connect to daemon"), this);
    heading->setObjectName(QStringLiteral("connectionErrorHeading"));
    heading->setFont(Theme::font(13, QFont::Bold));
    column->addWidget(heading, 0, Qt::AlignHCenter);

    m_message = new QLabel(this);
    m_message->setObjectName(QStringLiteral("connectionErrorMessage"));
    m_message->setFont(Theme::font(11));
    m_message->setAlignment(Qt::AlignHCenter);
    m_message->setWordWrap(true);
    QPalette pal = m_message->palette();
    pal.setColor(QPalette::WindowText, Theme::secondary());
    m_message->setPalette(pal);
    column->addWidget(m_message);

    m_retry = new BorderedButton(QStringLiteral("Retry Connection"), BorderedButton::Style::Prominent, this);
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
