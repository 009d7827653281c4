#pragma once

#include "ConnectionSettings.h"
#include "Models.h"
#include "PlatformProfile.h"
#include "ProcessRunner.h"
#include "RequestError.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <QCoroTask>

#include <memory>
#include <optional>

class QTimer;

namespace brevant {

class WebSocketChannel;
struct OutgoingRequest;

// The one model object of a main window: reads the daemon's token, sends every request,
// keeps the published state that the views read, polls, listens to the live channel and
// starts the daemon when it does not answer. Main thread only.
class DaemonClient : public QObject {
    Q_OBJECT
    // Every managed service, in the daemon's order.
    Q_PROPERTY(QList<brevant::ServiceStatus> services READ services NOTIFY servicesChanged)
    // The host figures of the last good /system/info.
    Q_PROPERTY(std::optional<brevant::SystemInfo> systemInfo READ systemInfo NOTIFY systemInfoChanged)
    // Whether the last status refresh reached the daemon (the live channel can clear it).
    Q_PROPERTY(bool isConnected READ isConnected NOTIFY isConnectedChanged)
    // Why the daemon cannot be used, when that is known.
    Q_PROPERTY(std::optional<QString> connectionError READ connectionError NOTIFY connectionErrorChanged)
    // The local projects, as last loaded or changed.
    Q_PROPERTY(QList<brevant::Project> projects READ projects NOTIFY projectsChanged)
    // The daemon's configuration, once loaded.
    Q_PROPERTY(std::optional<brevant::AppConfig> appConfig READ appConfig NOTIFY appConfigChanged)
    // The credentials, once asked for.
    Q_PROPERTY(std::optional<brevant::CredentialsData> credentials READ credentials NOTIFY credentialsChanged)
    // The database endpoint, once loaded.
    Q_PROPERTY(std::optional<brevant::DBConnection> dbConnection READ dbConnection NOTIFY dbConnectionChanged)

public:
    explicit DaemonClient(QObject* parent = nullptr);
    DaemonClient(ConnectionSettings settings, std::shared_ptr<ProcessRunner> runner,
                 PlatformProfile profile = currentProfile(), QObject* parent = nullptr);
    ~DaemonClient() override;

    const QList<ServiceStatus>& services() const { return m_services; }
    const std::optional<SystemInfo>& systemInfo() const { return m_systemInfo; }
    bool isConnected() const { return m_isConnected; }
    const std::optional<QString>& connectionError() const { return m_connectionError; }
    const QList<Project>& projects() const { return m_projects; }
    const std::optional<AppConfig>& appConfig() const { return m_appConfig; }
    const std::optional<CredentialsData>& credentials() const { return m_credentials; }
    const std::optional<DBConnection>& dbConnection() const { return m_dbConnection; }

    const QString& baseURL() const { return m_settings.baseURL; }
    const QString& configPath() const { return m_settings.configPath; }
    const QString& authToken() const { return m_authToken; }
    const ConnectionSettings& settings() const { return m_settings; }
    // Whether construction could read the token from the configuration file.
    bool configurationReadable() const { return m_configurationReadable; }

    // Status and host figures.
    QCoro::Task<void> fetchStatus();
    QCoro::Task<void> fetchSystemInfo();

    // Service control; each refreshes the status afterwards, whatever the outcome.
    QCoro::Task<void> startService(QString name);
    QCoro::Task<void> stopService(QString name);
    QCoro::Task<void> restartService(QString name);
    QCoro::Task<void> startAll();
    QCoro::Task<void> stopAll();
    // The log text, or "Failed to load logs: " and the reason.
    QCoro::Task<QString> fetchLogs(QString service, qint64 lines);

    // Projects and configuration.
    QCoro::Task<void> fetchProjects();
    QCoro::Task<bool> createProject(CreateProjectRequest request);
    QCoro::Task<bool> deleteProject(QString id);
    QCoro::Task<void> fetchConfig();
    QCoro::Task<void> fetchCredentials();
    QCoro::Task<void> fetchDatabaseInfo();

    // Developer tools; these hand the error to the caller.
    QCoro::Task<Result<GitCloneResult>> gitClone(QString url, std::optional<QString> name);
    QCoro::Task<Result<CMSInstallResult>> cmsInstall(QString cms, QString name);
    QCoro::Task<Result<QList<DNSEntry>>> fetchDNS();
    QCoro::Task<Result<ProActionResult>> addDNS(QString ip, QString hostname);
    QCoro::Task<Result<QList<BackupEntry>>> fetchBackups();
    QCoro::Task<Result<BackupResult>> createBackup();
    QCoro::Task<Result<BackupResult>> restoreBackup(QString filename);

    // The live channel.
    void connectWebSocket();

    // Polling: a status refresh, then a host-figure refresh, every poll interval.
    void startPolling();
    void stopPolling(); // also closes the live channel (going away)
    // Pauses the timer without touching the live channel (a hidden window); resuming
    // refreshes at once. Only has an effect while polling runs.
    void setPollingPaused(bool paused);
    bool isPolling() const { return m_pollTimer != nullptr; }
    bool isPollingPaused() const { return m_pollingPaused; }

    // Makes sure the daemon answers, asking the service manager to start it when it does not.
    QCoro::Task<bool> ensureDaemonRunning();

    // The request layer, exposed for the tests of its exact behaviour.
    OutgoingRequest makeRequest(const QString& path) const;
    // One path segment: every byte outside the unreserved characters percent-encoded.
    // Nothing for an empty name, "." or "..", which would address another endpoint.
    static std::optional<QString> pathSegment(const QString& name);

signals:
    void servicesChanged();
    void systemInfoChanged();
    void isConnectedChanged();
    void connectionErrorChanged();
    void projectsChanged();
    void appConfigChanged();
    void credentialsChanged();
    void dbConnectionChanged();
    // At the end of every status refresh, after the published members: whether it reached the daemon.
    void statusRefreshed(bool succeeded);

private:
    template <class T> QCoro::Task<Result<T>> fetch(QString path, QByteArray method, Lane lane = Lane::User);
    template <class T, class B> QCoro::Task<Result<T>> postJSON(QString path, B body);
    template <class T> QCoro::Task<void> actionThenRefresh(std::optional<QString> path);
    QCoro::Task<void> refreshStatus(Lane lane);
    QCoro::Task<void> refreshSystemInfo(Lane lane);
    // Why nothing may be sent to whatever listens on the daemon's port, if that is so.
    std::optional<RequestError> listenerRefusal() const;

    void readConfiguration();
    void handleWebSocketMessage();
    QCoro::Task<void> channelRefreshes();
    void webSocketFailed(WebSocketChannel* socket);
    void pollTick();

    void setServices(QList<ServiceStatus> v);
    void setSystemInfo(std::optional<SystemInfo> v);
    void setIsConnected(bool v);
    void setConnectionError(std::optional<QString> v);
    void setProjects(QList<Project> v);
    void setAppConfig(std::optional<AppConfig> v);
    void setCredentials(std::optional<CredentialsData> v);
    void setDbConnection(std::optional<DBConnection> v);

    ConnectionSettings m_settings;
    std::shared_ptr<ProcessRunner> m_runner;
    PlatformProfile m_profile;

    QList<ServiceStatus> m_services;
    std::optional<SystemInfo> m_systemInfo;
    bool m_isConnected = false;
    std::optional<QString> m_connectionError;
    QList<Project> m_projects;
    std::optional<AppConfig> m_appConfig;
    std::optional<CredentialsData> m_credentials;
    std::optional<DBConnection> m_dbConnection;

    QString m_authToken;
    bool m_configurationReadable = false;
    std::optional<uint> m_configOwner;
    std::optional<quint16> m_loopbackPort; // the daemon's port when its address is this machine's
    bool m_channelRefreshRunning = false;
    bool m_channelRefreshAgain = false;
    QPointer<WebSocketChannel> m_webSocketTask;
    QTimer* m_pollTimer = nullptr;
    bool m_pollingPaused = false;
};

} // namespace brevant
