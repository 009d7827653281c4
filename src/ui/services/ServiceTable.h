#pragma once

#include "Models.h"
#include "ServiceRow.h"

#include <QList>
#include <QWidget>

#include <functional>

class QVBoxLayout;

namespace brevant {

class Divider;

// The services table: a header whose cells line up with the rows, then one ServiceRow per
// service with an inset divider between rows (none under the last), in a scroll area.
class ServiceTable : public QWidget {
    Q_OBJECT
public:
    using ActionsFor = std::function<ServiceRow::Actions(const QString& name)>;

    ServiceTable(ActionsFor actionsFor, qint64 apachePort, QWidget* parent = nullptr);

    // Rows are kept while the list names the same services in the same order: a poll that
    // changes nothing touches nothing.
    void setServices(const QList<ServiceStatus>& services);
    void setApachePort(qint64 port);

    QList<ServiceRow*> rows() const { return m_rows; }
    int dividerCount() const { return int(m_dividers.size()); }

private:
    void rebuild(const QList<ServiceStatus>& services);

    ActionsFor m_actionsFor;
    qint64 m_apachePort;
    QVBoxLayout* m_column;
    QList<ServiceRow*> m_rows;
    QList<Divider*> m_dividers;
};

} // namespace brevant
