#pragma once

#include "kit/Sheet.h"

#include <QList>
#include <QPointer>

class QButtonGroup;
class QLineEdit;

namespace brevant {

class Button;
class CMSTile;
class DaemonClient;
class ToolStatus;

// Asks the daemon to create a project with WordPress, Laravel or Drupal installed. The outcome
// goes to the panel's status line, and the dialog closes, whether the install worked or not.
class CMSInstallSheet : public Sheet {
    Q_OBJECT
public:
    struct Option {
        const char* id; // sent to the daemon
        const char* label;
        const char* icon;
    };
    static constexpr Option cmsOptions[] = {
        {"wordpress", "WordPress", "w.circle"},
        {"laravel", "Laravel", "l.circle"},
        {"drupal", "Drupal", "d.circle"},
    };

    CMSInstallSheet(DaemonClient* client, ToolStatus* status, QWidget* parent = nullptr);

    // The chosen system's id; empty until a tile is chosen.
    const QString& selectedCMS() const { return m_selectedCMS; }
    void selectCMS(const QString& id);
    QString projectName() const;
    bool isInstalling() const { return m_isInstalling; }
    // "Install CMS", "Install Laravel", "Installing Laravel...".
    QString installTitle() const;

    // The install button's action.
    void install();

private:
    void setInstalling(bool installing);
    void updateInstallButton();

    QPointer<DaemonClient> m_client;
    QPointer<ToolStatus> m_status;
    QString m_selectedCMS;
    QList<CMSTile*> m_tiles;
    QButtonGroup* m_group;
    QLineEdit* m_name;
    Button* m_install;
    bool m_isInstalling = false;
};

} // namespace brevant
