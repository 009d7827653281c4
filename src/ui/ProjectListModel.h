#pragma once

#include "Models.h"

#include <QAbstractListModel>
#include <QList>
#include <QPointer>

namespace brevant {

class DaemonClient;

// The client's projects as a list model. It keeps its own copy of the list (implicitly shared,
// so free until the client changes it) and turns each change into the smallest model signal it
// can find, so that a delete in a long list keeps the scroll position and the hover.
class ProjectListModel : public QAbstractListModel {
    Q_OBJECT
public:
    enum Role {
        IdRole = Qt::UserRole + 1,
        DomainRole,         // QString
        SslEnabledRole,     // bool
        SecurityIconRole,   // QString icon name: "lock.shield" or "globe"
        WebServerBadgeRole, // QString, capitalised
        PhpBadgeRole,       // QString, "PHP " and the version as stored
        DividerRole,        // bool: a divider is drawn under this row
    };

    explicit ProjectListModel(DaemonClient* client, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

    const Project& project(int row) const { return m_projects.at(row); }
    const QList<Project>& projects() const { return m_projects; }

    // Takes `next` as the new list.
    void sync(const QList<Project>& next);

private:
    bool hasDivider(int row) const;
    void refreshDividers(const QString& oldLastId);

    QPointer<DaemonClient> m_client;
    QList<Project> m_projects;
};

} // namespace brevant
