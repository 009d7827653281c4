#include "ServiceListModel.h"

namespace brevant {

ServiceListModel::ServiceListModel(QObject* parent) : IdentityListModel<ServiceStatus>(parent) {}

QString ServiceListModel::stateText(const ServiceStatus& service) {
    return service.isRunning() ? QStringLiteral("Running") : QStringLiteral("Stopped");
}

bool ServiceListModel::sameLook(const ServiceStatus& a, const ServiceStatus& b) const {
    return a.name == b.name && a.status == b.status && a.port == b.port;
}

QVariant ServiceListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const ServiceStatus& s = item(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return s.displayName();
    case Qt::AccessibleTextRole:
        return s.displayName() + QStringLiteral(", ") + stateText(s);
    case NameRole:
        return s.name;
    case RunningRole:
        return s.isRunning();
    case IconRole:
        return s.iconName();
    case DividerRole:
        return !isLastIdentity(index.row());
    default:
        return {};
    }
}

QHash<int, QByteArray> ServiceListModel::roleNames() const {
    auto names = IdentityListModel::roleNames();
    names.insert(NameRole, "name");
    names.insert(RunningRole, "running");
    names.insert(IconRole, "icon");
    names.insert(DividerRole, "divider");
    return names;
}

} // namespace brevant
