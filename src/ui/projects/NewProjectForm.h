#pragma once

#include <QPointer>
#include <QWidget>

class QComboBox;
class QLineEdit;

namespace brevant {

class Button;
class DaemonClient;

// The inline form that creates a project. It holds the typed values and the busy flag; the
// Projects view decides when it is shown and hides it on closeRequested().
class NewProjectForm : public QWidget {
    Q_OBJECT
public:
    explicit NewProjectForm(DaemonClient* client, QWidget* parent = nullptr);

    QString newName() const;
    QString newDomain() const;
    QString newWebServer() const;  // the stored value: "apache" or "nginx"
    QString newPhpVersion() const; // "8.3" or "8.2"
    bool isCreating() const { return m_isCreating; }

    // Back to empty fields, Apache and 8.3; leaves the busy flag alone.
    void resetForm();
    // The Create button's action.
    void createProject();

signals:
    // Cancel, or a create the daemon accepted: the form should go away.
    void closeRequested();

protected:
    void paintEvent(QPaintEvent*) override;
    // Escape does what Cancel does.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void setCreating(bool creating);
    void updateCreateButton();
    void returnPressed();
    void cancel();

    QPointer<DaemonClient> m_client;
    QLineEdit* m_name = nullptr;
    QLineEdit* m_domain = nullptr;
    QComboBox* m_webServer = nullptr;
    QComboBox* m_phpVersion = nullptr;
    Button* m_cancel = nullptr;
    Button* m_create = nullptr;
    bool m_isCreating = false;
};

} // namespace brevant
