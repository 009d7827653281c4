#include "ProjectListModel.h"

#include "DaemonClient.h"
#include "TextRules.h"

namespace brevant {

ProjectListModel::ProjectListModel(DaemonClient* client, QObject* parent)
    : IdentityListModel<Project>(parent), m_client(client) {
    if (!client)
        return;
    sync(client->projects());
    connect(client, &DaemonClient::projectsChanged, this, [this] {
        if (m_client)
            sync(m_client->projects());
    });
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
        // With repeated ids, every row sharing the last one goes without.
        return !isLastIdentity(index.row());
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

} // namespace brevant
