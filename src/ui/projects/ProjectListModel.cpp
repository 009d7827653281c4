#include "ProjectListModel.h"

#include "DaemonClient.h"
#include "TextRules.h"

namespace brevant {

ProjectListModel::ProjectListModel(DaemonClient* client, QObject* parent)
    : IdentityListModel<Project>(parent), m_client(client) {
    if (!client)
        return;
    IdentityListModel::sync(client->projects());
    connect(client, &DaemonClient::projectsChanged, this, [this] {
        if (m_client)
            sync(m_client->projects());
    });
}

bool ProjectListModel::hasDivider(int row) const {
    // Every row whose id differs from the last project's has one; with duplicate ids, every
    // row sharing the last id goes without.
    return items().at(row).id != items().constLast().id;
}

QVariant ProjectListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const Project& p = item(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return p.name;
    case Qt::AccessibleTextRole:
        return p.name + QStringLiteral(", ") + p.domain;
    case IdRole:
        return p.id;
    case DomainRole:
        return p.domain;
    case SslEnabledRole:
        return p.sslEnabled;
    case SecurityIconRole:
        return p.sslEnabled ? QStringLiteral("lock.shield") : QStringLiteral("globe");
    case WebServerBadgeRole:
        return capitalized(p.webServer);
    case PhpBadgeRole:
        return QStringLiteral("PHP ") + p.phpVersion;
    case DividerRole:
        return hasDivider(index.row());
    default:
        return {};
    }
}

QHash<int, QByteArray> ProjectListModel::roleNames() const {
    auto names = IdentityListModel::roleNames();
    names.insert(IdRole, "id");
    names.insert(DomainRole, "domain");
    names.insert(SslEnabledRole, "sslEnabled");
    names.insert(SecurityIconRole, "securityIcon");
    names.insert(WebServerBadgeRole, "webServerBadge");
    names.insert(PhpBadgeRole, "phpBadge");
    names.insert(DividerRole, "divider");
    return names;
}

void ProjectListModel::sync(const QList<Project>& next) {
    const QString oldLastId = items().isEmpty() ? QString() : items().constLast().id;
    IdentityListModel::sync(next);
    refreshDividers(oldLastId);
}

void ProjectListModel::refreshDividers(const QString& oldLastId) {
    // The divider depends on the last id; when that changed, the rows carrying either id redraw.
    const QList<Project>& projects = items();
    if (projects.isEmpty() || projects.constLast().id == oldLastId)
        return;
    const QString newLastId = projects.constLast().id;
    const QList<int> roles{DividerRole};
    for (int row = 0; row < projects.size(); ++row) {
        const QString& id = projects.at(row).id;
        if (id == oldLastId || id == newLastId)
            emit dataChanged(index(row), index(row), roles);
    }
}

} // namespace brevant
