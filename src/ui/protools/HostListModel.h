#pragma once

#include "Models.h"
#include "kit/IdentityListModel.h"

namespace brevant {

// The hosts-file entries of the DNS editor, in the daemon's order, identified by host name.
class HostListModel : public IdentityListModel<DNSEntry> {
    Q_OBJECT
public:
    enum Role {
        IpRole = Qt::UserRole + 1, // QString; the host name is the display role
    };

    using IdentityListModel::IdentityListModel;

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

protected:
    QString identity(const DNSEntry& e) const override { return e.hostname; }
};

} // namespace brevant
