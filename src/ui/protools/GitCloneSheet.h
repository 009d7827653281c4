#pragma once

#include "kit/Sheet.h"

#include <QPointer>

class QLineEdit;

namespace brevant {

class Button;
class DaemonClient;
class ToolStatus;

// Asks the daemon to clone a repository into a new project. The outcome goes to the panel's
// status line, and the dialog closes, whether the clone worked or not.
class GitCloneSheet : public Sheet {
    Q_OBJECT
public:
    GitCloneSheet(DaemonClient* client, ToolStatus* status, QWidget* parent = nullptr);

    QString repoURL() const;
    QString projectName() const;
    bool isCloning() const { return m_isCloning; }

    // The clone button's action.
    void clone();

private:
    void setCloning(bool cloning);
    void updateCloneButton();

    QPointer<DaemonClient> m_client;
    QPointer<ToolStatus> m_status;
    QLineEdit* m_url;
    QLineEdit* m_name;
    Button* m_clone;
    bool m_isCloning = false;
};

} // namespace brevant
