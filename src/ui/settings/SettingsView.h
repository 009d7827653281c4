#pragma once

#include <QPointer>
#include <QWidget>

namespace brevant {

class DaemonClient;
class SettingsSection;

// The Settings section: what the daemon reports about itself, read-only, in six titled frames.
// Its only actions reveal the credentials and copy one of them.
class SettingsView : public QWidget {
    Q_OBJECT
public:
    explicit SettingsView(DaemonClient* client, QWidget* parent = nullptr);

    bool showCredentials() const { return m_showCredentials; }

private:
    void revealCredentials();
    void configChanged();
    void databaseChanged();
    void credentialsChanged();
    void systemChanged();
    void copy(const QString& value);

    QPointer<DaemonClient> m_client;
    bool m_showCredentials = false;
    SettingsSection* m_general = nullptr;
    SettingsSection* m_ports = nullptr;
    SettingsSection* m_database = nullptr;
    SettingsSection* m_credentials = nullptr;
    SettingsSection* m_paths = nullptr;
    SettingsSection* m_system = nullptr;
};

} // namespace brevant
