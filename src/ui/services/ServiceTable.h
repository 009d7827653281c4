#pragma once

#include "Models.h"

#include <QList>
#include <QWidget>

namespace brevant {

class PaintedListView;
class ServiceListModel;

// The services table: a header whose cells line up with the rows, then the painted rows
// (ServiceRow) in a list that stays fast at any number of services. The row buttons ask for their
// action with the signals below; Admin opens the database page itself.
class ServiceTable : public QWidget {
    Q_OBJECT
public:
    explicit ServiceTable(qint64 apachePort, QWidget* parent = nullptr);

    // Rows are matched by name: a poll that changes nothing a row shows repaints nothing.
    void setServices(const QList<ServiceStatus>& services);
    void setApachePort(qint64 port) { m_apachePort = port; }
    // "http://localhost:<apache port>/phpmyadmin".
    QString adminUrl() const;

    ServiceListModel* model() const { return m_model; }
    PaintedListView* list() const { return m_list; }
    // The button titles of a row, in order.
    QStringList buttonTitles(int row) const;

signals:
    void startRequested(const QString& service);
    void stopRequested(const QString& service);
    void restartRequested(const QString& service);
    void logsRequested(const QString& service);

private:
    void trigger(const QModelIndex& index, int action);

    qint64 m_apachePort;
    ServiceListModel* m_model;
    PaintedListView* m_list;
};

} // namespace brevant
