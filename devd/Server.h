#pragma once

#include "ActivityLog.h"
#include "BackupStore.h"
#include "DevdOptions.h"
#include "EventHub.h"
#include "HostFigures.h"
#include "HostsFile.h"
#include "ProjectStore.h"
#include "Router.h"
#include "ServiceSimulator.h"
#include "StateStore.h"
#include "ToolRoutes.h"

#include <QAbstractHttpServer>
#include <QElapsedTimer>
#include <QPointer>

#include <functional>
#include <memory>

class QTcpServer;

namespace brevant::devd {

// The stand-in daemon: /api and /ws on one loopback port. QtHttpServer parses the requests;
// routing, the token check, the fault switches and the replies are done here, so that a
// refused WebSocket upgrade gets a real 401 and a late reply never writes to a closed socket.
class Server : public QAbstractHttpServer {
    Q_OBJECT
public:
    explicit Server(DevdOptions options, QObject* parent = nullptr);
    ~Server() override;

    // Reads or creates the token, opens the data folder and its state, then listens.
    bool start(QString* why);

    quint16 port() const;
    const QString& token() const { return m_token; }
    QString dataDir() const { return m_store ? m_store->root() : QString(); }
    const QString& nodeVersion() const;
    // The line printed once listening: where, which data, and that nothing real runs.
    QString startupLine() const;

    // Where the one line per request goes; standard error unless replaced.
    void setLogSink(std::function<void(const QString&)> sink) { m_logSink = std::move(sink); }

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override;
    void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override;

private:
    void registerRoutes(); // ServerRoutes.cpp
    bool loadState(QString* why);
    QCoro::Task<void> serve(Request request, QPointer<QTcpSocket> socket, bool authed, bool closeAfter,
                            QElapsedTimer clock);
    bool authorized(const QHttpServerRequest& request) const;
    std::optional<int> forcedStatus(const QString& path) const;
    // Why a WebSocket upgrade is refused, or nothing when it may go ahead.
    std::optional<Reply> upgradeRefusal(const QHttpServerRequest& request) const;
    void writeReply(QTcpSocket* socket, const Reply& reply, bool closeAfter, bool headOnly) const;
    void log(const QByteArray& method, const QString& path, int status, const QElapsedTimer& clock) const;

    DevdOptions m_options;
    QString m_token;
    QString m_mariadbPassword;
    QTcpServer* m_tcp = nullptr;
    std::unique_ptr<StateStore> m_store;
    std::unique_ptr<ActivityLog> m_activity;
    std::unique_ptr<ServiceSimulator> m_services;
    std::unique_ptr<ProjectStore> m_projects;
    std::unique_ptr<HostsFile> m_hosts;
    std::unique_ptr<BackupStore> m_backups;
    std::unique_ptr<HostFigures> m_figures;
    EventHub* m_hub = nullptr;
    std::unique_ptr<ToolRoutes> m_tools;
    Router m_router;
    std::function<void(const QString&)> m_logSink;
};

} // namespace brevant::devd
