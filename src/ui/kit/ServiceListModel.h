#pragma once

#include "IdentityListModel.h"
#include "Models.h"

namespace brevant {

// Services as a list model, identified by name, for the sidebar and the services table. Only what
// a row shows counts as a change: a poll that moves a pid or a CPU figure repaints nothing.
class ServiceListModel : public IdentityListModel<ServiceStatus> {
    Q_OBJECT
public:
    enum Role {
        NameRole = Qt::UserRole + 1, // QString, as the daemon names it
        RunningRole,                 // bool
        IconRole,                    // QString icon name
        DividerRole,                 // bool: a divider is drawn under this row
    };

    explicit ServiceListModel(QObject* parent = nullptr);

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;
    const ServiceStatus& service(int row) const { return item(row); }

    // "Running" or "Stopped".
    static QString stateText(const ServiceStatus& service);

protected:
    QString identity(const ServiceStatus& s) const override { return s.name; }
    bool sameLook(const ServiceStatus& a, const ServiceStatus& b) const override;
};

} // namespace brevant
