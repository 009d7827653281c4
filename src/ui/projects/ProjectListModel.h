#pragma once

#include "Models.h"
#include "kit/IdentityListModel.h"

#include <QList>
#include <QPointer>

namespace brevant {

class DaemonClient;

// The client's projects as a list model, identified by id. It keeps its own copy of the list
// (implicitly shared, so free until the client changes it); a delete in a long list keeps the
// scroll position and the hover.
class ProjectListModel : public IdentityListModel<Project> {
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

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

    const Project& project(int row) const { return item(row); }
    const QList<Project>& projects() const { return items(); }

protected:
    QString identity(const Project& p) const override { return p.id; }

private:
    QPointer<DaemonClient> m_client;
};

} // namespace brevant
