#pragma once

// The connections to the daemon, one pool per lane, shared by every client of the application.
// A request goes out at once on an idle connection to its address or on a new one; nothing waits
// in a queue. A lane holds at most kMaxConnectionsPerLane connections (a trickling daemon keeps
// about 240 of them busy for the full deadline of one polling window) and keeps at most
// kMaxIdlePerLane of them open when idle.

#include "ConnectionSettings.h"
#include "HostAddress.h"

#include <QList>
#include <QObject>

namespace brevant {

class HttpConnection;

class ConnectionPool : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxConnectionsPerLane = 256;
    static constexpr int kMaxIdlePerLane = 8;

    // The application's pool, made on first use; none once the application is going away.
    static ConnectionPool* instance();

    // A connection for one request: an idle one to the same address unless `fresh`, else a new
    // one; none when the lane is full of connections still waiting for their replies.
    HttpConnection* acquire(Lane lane, const HostAddress& address, quint16 port, bool fresh);

    int openConnections(Lane lane) const { return int(lanePool(lane).size()); }

    ~ConnectionPool() override;

private:
    explicit ConnectionPool(QObject* parent) : QObject(parent) {}

    QList<HttpConnection*>& lanePool(Lane lane) { return lane == Lane::User ? m_user : m_background; }
    const QList<HttpConnection*>& lanePool(Lane lane) const {
        return lane == Lane::User ? m_user : m_background;
    }
    void released(Lane lane, HttpConnection* connection, bool reusable);
    void drop(Lane lane, HttpConnection* connection);

    QList<HttpConnection*> m_user;
    QList<HttpConnection*> m_background;
    bool m_closing = false;
};

} // namespace brevant
