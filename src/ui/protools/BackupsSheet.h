#pragma once

#include "Models.h"
#include "kit/Sheet.h"

#include <QPointer>

#include <functional>

class QLabel;

namespace brevant {

class BackupListModel;
class BackupRowDelegate;
class Button;
class DaemonClient;
class PaintedListView;
class Spinner;
class ToolStatus;

// Lists the daemon's backups, creates a new one and restores a chosen one. Outcomes go to the
// panel's status line; the dialog stays open after a create and closes after a good restore.
class BackupsSheet : public Sheet {
    Q_OBJECT
public:
    BackupsSheet(DaemonClient* client, ToolStatus* status, QWidget* parent = nullptr);

    const QList<BackupEntry>& backups() const;
    bool isLoading() const { return m_isLoading; }
    bool isCreating() const { return m_isCreating; }
    BackupListModel* model() const { return m_model; }
    BackupRowDelegate* delegate() const { return m_delegate; }
    PaintedListView* list() const { return m_list; }

    // Loads the list again and then runs `then`; shown means loaded once.
    void loadBackups(std::function<void()> then = {});
    // The create button's action.
    void createBackup();
    // A row's "Restore": no confirmation, no busy state.
    void restore(const QString& name);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void setLoading(bool loading);
    void setCreating(bool creating);

    QPointer<DaemonClient> m_client;
    QPointer<ToolStatus> m_status;
    Button* m_create;
    Spinner* m_spinner;
    PaintedListView* m_list;
    BackupListModel* m_model;
    BackupRowDelegate* m_delegate;
    QLabel* m_empty;
    bool m_isLoading = true;
    bool m_isCreating = false;
    bool m_createHadFocus = false; // when the create began
    bool m_started = false;
};

} // namespace brevant
