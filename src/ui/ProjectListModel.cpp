#include "ProjectListModel.h"

#include "DaemonClient.h"
#include "TextRules.h"

namespace brevant {

ProjectListModel::ProjectListModel(DaemonClient* client, QObject* parent)
    : QAbstractListModel(parent), m_client(client) {
    if (!client)
        return;
    m_projects = client->projects();
    connect(client, &DaemonClient::projectsChanged, this, [this] {
        if (m_client)
            sync(m_client->projects());
    });
}

int ProjectListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_projects.size());
}

bool ProjectListModel::hasDivider(int row) const {
    // Every row whose id differs from the last project's has one; with duplicate ids, every
    // row sharing the last id goes without.
    return m_projects.at(row).id != m_projects.constLast().id;
}

QVariant ProjectListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_projects.size())
        return {};
    const Project& p = m_projects.at(index.row());
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
    auto names = QAbstractListModel::roleNames();
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
    // Common head and tail; what lies between is one removal, one insertion, an in-place change
    // or, failing those, a reset. The client only ever appends one or removes some, so the first
    // two are the usual case, and each costs one pass.
    const qsizetype oldSize = m_projects.size();
    const qsizetype newSize = next.size();
    qsizetype head = 0;
    while (head < oldSize && head < newSize && m_projects.at(head) == next.at(head))
        ++head;
    qsizetype tail = 0;
    while (tail < oldSize - head && tail < newSize - head &&
           m_projects.at(oldSize - 1 - tail) == next.at(newSize - 1 - tail))
        ++tail;
    const qsizetype oldMiddle = oldSize - head - tail;
    const qsizetype newMiddle = newSize - head - tail;
    const QString oldLastId = m_projects.isEmpty() ? QString() : m_projects.constLast().id;

    if (oldMiddle == 0 && newMiddle == 0) {
        m_projects = next;
        return;
    }
    if (oldMiddle == 0) {
        beginInsertRows({}, int(head), int(head + newMiddle - 1));
        m_projects = next;
        endInsertRows();
    } else if (newMiddle == 0) {
        beginRemoveRows({}, int(head), int(head + oldMiddle - 1));
        m_projects = next;
        endRemoveRows();
    } else if (oldMiddle == newMiddle) {
        m_projects = next;
        emit dataChanged(index(int(head)), index(int(head + newMiddle - 1)));
    } else {
        beginResetModel();
        m_projects = next;
        endResetModel();
        return;
    }
    refreshDividers(oldLastId);
}

void ProjectListModel::refreshDividers(const QString& oldLastId) {
    // The divider depends on the last id; when that changed, the rows carrying either id redraw.
    if (m_projects.isEmpty() || m_projects.constLast().id == oldLastId)
        return;
    const QString& newLastId = m_projects.constLast().id;
    const QList<int> roles{DividerRole};
    for (int row = 0; row < m_projects.size(); ++row) {
        const QString& id = m_projects.at(row).id;
        if (id == oldLastId || id == newLastId)
            emit dataChanged(index(row), index(row), roles);
    }
}

} // namespace brevant
