#include "HostListModel.h"

namespace brevant {

QVariant HostListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const DNSEntry& e = item(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return e.hostname;
    case Qt::AccessibleTextRole:
        return e.ip + QLatin1Char(' ') + e.hostname;
    case IpRole:
        return e.ip;
    default:
        return {};
    }
}

QHash<int, QByteArray> HostListModel::roleNames() const {
    auto names = IdentityListModel::roleNames();
    names.insert(IpRole, "ip");
    return names;
}

} // namespace brevant
