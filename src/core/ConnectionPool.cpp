#include "ConnectionPool.h"

#include "HttpConnection.h"

#include <QCoreApplication>
#include <QPointer>
#include <QThread>

#include <algorithm>

namespace brevant {

ConnectionPool* ConnectionPool::instance() {
    static QPointer<ConnectionPool> pool;
    QCoreApplication* app = QCoreApplication::instance();
    // Sockets belong to the thread of the application's event loop, the one the clients live on.
    if (!app || QCoreApplication::closingDown() || QThread::currentThread() != app->thread())
        return nullptr;
    if (!pool)
        pool = new ConnectionPool(app); // outlives every client, whose requests may outlive it
    return pool->m_closing ? nullptr : pool.data();
}

ConnectionPool::~ConnectionPool() {
    m_closing = true;
    const QList<HttpConnection*> all = m_user + m_background;
    m_user.clear();
    m_background.clear();
    for (HttpConnection* connection : all) {
        connection->disconnect(this);
        delete connection; // ends a request still waiting on it
    }
}

HttpConnection* ConnectionPool::acquire(Lane lane, const HostAddress& address, quint16 port, bool fresh) {
    if (m_closing)
        return nullptr;
    QList<HttpConnection*>& pool = lanePool(lane);
    const QList<HttpConnection*> idle = [&] {
        QList<HttpConnection*> out;
        std::copy_if(pool.cbegin(), pool.cend(), std::back_inserter(out),
                     [](const HttpConnection* c) { return !c->busy(); });
        return out;
    }();
    if (!fresh) {
        // The most recently used first: the least likely to have been closed by the peer.
        for (auto it = idle.crbegin(); it != idle.crend(); ++it)
            if ((*it)->address() == address && (*it)->port() == port && (*it)->usable())
                return *it;
    }
    if (pool.size() >= kMaxConnectionsPerLane) {
        if (idle.isEmpty())
            return nullptr;
        drop(lane, idle.first());
    }
    auto* connection = new HttpConnection(address, port, this);
    connect(connection, &HttpConnection::released, this,
            [this, lane, connection](bool reusable) { released(lane, connection, reusable); });
    connect(connection, &HttpConnection::expired, this, [this, lane, connection] { drop(lane, connection); });
    pool.push_back(connection);
    return connection;
}

void ConnectionPool::released(Lane lane, HttpConnection* connection, bool reusable) {
    const QList<HttpConnection*>& pool = lanePool(lane);
    const auto idle =
        std::count_if(pool.cbegin(), pool.cend(), [](const HttpConnection* c) { return !c->busy(); });
    if (!reusable || idle > kMaxIdlePerLane)
        drop(lane, connection);
}

void ConnectionPool::drop(Lane lane, HttpConnection* connection) {
    if (connection->busy() || !lanePool(lane).removeOne(connection))
        return;
    connection->disconnect(this);
    connection->deleteLater();
}

} // namespace brevant
