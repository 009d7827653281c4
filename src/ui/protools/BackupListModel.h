#pragma once

#include "Models.h"
#include "kit/IdentityListModel.h"

namespace brevant {

// The backups of the backup dialog, in the daemon's order, identified by name.
class BackupListModel : public IdentityListModel<BackupEntry> {
    Q_OBJECT
public:
    enum Role {
        DetailsRole = Qt::UserRole + 1, // QString: "1 KB • 2024-03-05"; the name is the display role
    };

    using IdentityListModel::IdentityListModel;

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

    // The size, a bullet and the date part (the first ten characters) of `created`.
    static QString details(const BackupEntry& backup);

protected:
    QString identity(const BackupEntry& b) const override { return b.name; }
};

} // namespace brevant
