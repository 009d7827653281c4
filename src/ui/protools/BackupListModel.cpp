#include "BackupListModel.h"

#include "TextRules.h"

namespace brevant {

QString BackupListModel::details(const BackupEntry& backup) {
    return formatSize(backup.size) + QStringLiteral(" \u2022 ") + backup.created.left(10);
}

QVariant BackupListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const BackupEntry& b = item(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return b.name;
    case Qt::AccessibleTextRole:
        return b.name + QStringLiteral(", ") + details(b);
    case DetailsRole:
        return details(b);
    default:
        return {};
    }
}

QHash<int, QByteArray> BackupListModel::roleNames() const {
    auto names = IdentityListModel::roleNames();
    names.insert(DetailsRole, "details");
    return names;
}

} // namespace brevant
