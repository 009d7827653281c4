#include "SettingsView.h"

#include "DaemonClient.h"
#include "DesktopServices.h"
#include "SettingsRows.h"
#include "SettingsText.h"
#include "kit/Button.h"
#include "kit/Theme.h"

#include <QScrollArea>
#include <QVBoxLayout>

namespace brevant {

SettingsView::SettingsView(DaemonClient* client, QWidget* parent) : QWidget(parent), m_client(client) {
    setObjectName(QStringLiteral("settingsView"));
    setAccessibleName(QStringLiteral("Settings"));

    auto* content = new QWidget;
    content->setObjectName(QStringLiteral("settingsContent"));
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(16, 16, 16, 16);
    column->setSpacing(16);
    m_general = new SettingsSection(QStringLiteral("General"), content);
    m_ports = new SettingsSection(QStringLiteral("Ports"), content);
    m_database = new SettingsSection(QStringLiteral("Database Connection"), content);
    m_credentials = new SettingsSection(QStringLiteral("Credentials"), content);
    m_paths = new SettingsSection(QStringLiteral("Paths"), content);
    m_system = new SettingsSection(QStringLiteral("System"), content);
    for (SettingsSection* s : {m_general, m_ports, m_database, m_credentials, m_paths, m_system})
        column->addWidget(s);
    column->addStretch(1);
    connect(m_credentials, &SettingsSection::copyRequested, this, &SettingsView::copy);

    auto* scroll = new QScrollArea(this);
    // Only a frame for what it holds: Tab goes to the controls inside, never to the frame itself.
    scroll->setFocusPolicy(Qt::NoFocus);
    scroll->setObjectName(QStringLiteral("settingsScroll"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    // Values elide instead; the panel never scrolls sideways.
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setWidget(content);
    scroll->viewport()->setAutoFillBackground(false);
    content->setAutoFillBackground(false);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(scroll);

    if (client) {
        connect(client, &DaemonClient::appConfigChanged, this, &SettingsView::configChanged);
        connect(client, &DaemonClient::dbConnectionChanged, this, &SettingsView::databaseChanged);
        connect(client, &DaemonClient::credentialsChanged, this, &SettingsView::credentialsChanged);
        connect(client, &DaemonClient::systemInfoChanged, this, &SettingsView::systemChanged);
    }
    configChanged();
    databaseChanged();
    credentialsChanged();
    systemChanged();

    // Configuration first, then the database endpoint.
    if (client)
        QCoro::connect(client->fetchConfig(), this, [this] {
            if (m_client)
                m_client->fetchDatabaseInfo();
        });
}

void SettingsView::configChanged() {
    const auto config = m_client ? m_client->appConfig() : std::nullopt;
    if (!config) {
        m_general->showLoading();
        m_ports->showNothing();
        m_paths->showNothing();
        return;
    }
    m_general->showRows(generalRows(*config));
    m_ports->showRows(portRows(config->ports));
    m_paths->showRows(pathRows(config->paths));
}

void SettingsView::databaseChanged() {
    const auto connection = m_client ? m_client->dbConnection() : std::nullopt;
    if (connection)
        m_database->showRows(databaseRows(*connection));
    else
        m_database->showLoading();
}

void SettingsView::credentialsChanged() {
    if (!m_showCredentials) {
        if (m_credentials->findChild<Button*>(QStringLiteral("showCredentials")))
            return;
        auto* button = Button::compact(QStringLiteral("Show Credentials"), Button::Style::Bordered, 12, 22);
        button->setObjectName(QStringLiteral("showCredentials"));
        button->setIcon(QStringLiteral("eye"), 10);
        connect(button, &QAbstractButton::clicked, this, &SettingsView::revealCredentials);
        m_credentials->showWidget(button);
        return;
    }
    const auto credentials = m_client ? m_client->credentials() : std::nullopt;
    if (credentials)
        m_credentials->showRows(credentialRows(*credentials), SettingsSection::RowKind::Copyable);
    else
        m_credentials->showLoading();
}

void SettingsView::systemChanged() {
    const auto info = m_client ? m_client->systemInfo() : std::nullopt;
    // Polling replaces this twice a second; showRows touches only the values that changed.
    if (info)
        m_system->showRows(systemRows(*info));
    else
        m_system->showNothing();
}

void SettingsView::revealCredentials() {
    if (m_showCredentials)
        return;
    m_showCredentials = true;
    credentialsChanged();
    if (m_client)
        m_client->fetchCredentials();
}

void SettingsView::copy(const QString& value) {
    desktopServices().copyText(value);
}

} // namespace brevant
