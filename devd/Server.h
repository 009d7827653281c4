#pragma once

#include "ActivityLog.h"
#include "BackupStore.h"
#include "DevdOptions.h"
#include "EventHub.h"
#include "HostFigures.h"
#include "HostsFile.h"
#include "HttpFront.h"
#include "ProjectStore.h"
#include "Router.h"
#include "ServiceSimulator.h"
#include "StateStore.h"
#include "ToolRoutes.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>

namespace brevant::devd {

// The stand-in daemon: /api and /ws on one loopback port. HttpFront reads the requests within
// their limits; the token is checked here from the head alone, before any body is read, then
// come the fault switches, the routes and the answers. A late answer never writes to a
// connection that has gone.
class Server : public QObject {
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

private:
    void registerRoutes(); // ServerRoutes.cpp
    bool loadState(QString* why);
    // What is answered from the head alone: a missing token, a refused upgrade.
    std::optional<Reply> screen(const RequestHead& head) const;
    QCoro::Task<void> serve(QPointer<HttpConnection> connection, RequestHead head, QByteArray body,
                            QElapsedTimer clock);
    bool authorized(const RequestHead& head) const;
    std::optional<int> forcedStatus(const QString& path) const;
    // Why a WebSocket upgrade is refused, or nothing when it may go ahead.
    std::optional<Reply> upgradeRefusal(const RequestHead& head) const;
    void log(const QByteArray& method, const QString& path, int status, const QElapsedTimer& clock) const;

    DevdOptions m_options;
    QString m_token;
    QString m_mariadbPassword;
    HttpFront* m_front = nullptr;
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
