#include "DaemonClient.h"

#include "DaemonClientRequests.h"
#include "QtProcessRunner.h"
#include "WebSocketChannel.h"

#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <QUrl>

namespace brevant {

DaemonClient::DaemonClient(QObject* parent)
    : DaemonClient(ConnectionSettings{}, defaultProcessRunner(), currentProfile(), parent) {}

DaemonClient::DaemonClient(ConnectionSettings settings, std::shared_ptr<ProcessRunner> runner,
                           PlatformProfile profile, QObject* parent)
    : QObject(parent), m_settings(std::move(settings)),
      m_runner(runner ? std::move(runner) : defaultProcessRunner()), m_profile(std::move(profile)) {
    readConfiguration();
    if (const std::optional<Endpoint> endpoint = loopbackEndpoint(QUrl(m_settings.baseURL)))
        m_loopbackPort = endpoint->port;
}

DaemonClient::~DaemonClient() {
    if (m_webSocketTask) {
        // The socket's own loss must not reach a half-destroyed client.
        m_webSocketTask->disconnect(this);
        m_webSocketTask->abort();
    }
}

void DaemonClient::readConfiguration() {
    const QString& path = m_settings.configPath;
    QString why;
    QFile file(path);
    const QFileInfo info(path);
    if (info.exists())
        m_configOwner = info.ownerId();
    if (info.isDir()) {
        why = QStringLiteral("%1 is a folder, not a file").arg(path);
    } else if (!file.open(QIODevice::ReadOnly)) {
        why = QStringLiteral("%1: %2").arg(path, file.errorString());
    } else if (file.size() > kMaxReplyBytes) {
        why = QStringLiteral("%1 is too large to be a configuration file").arg(path);
    } else {
        const QByteArray text = file.readAll();
        if (auto config = json::decode<BrevantConfig>(text, &why)) {
            m_authToken = config->authToken;
            m_configurationReadable = true;
            return;
        }
        why = QStringLiteral("%1: %2").arg(path, why);
    }
    setConnectionError(QStringLiteral("Cannot read config: ") + why);
}

std::optional<QString> DaemonClient::pathSegment(const QString& name) {
    if (name.isEmpty() || name == QLatin1StringView(".") || name == QLatin1StringView(".."))
        return std::nullopt;
    return QString::fromLatin1(QUrl::toPercentEncoding(name));
}

std::optional<RequestError> DaemonClient::listenerRefusal() const {
    if (!m_loopbackPort || !m_settings.listenerOwners)
        return std::nullopt;
    for (const uint owner : m_settings.listenerOwners(*m_loopbackPort))
        if (owner != 0 && owner != m_configOwner)
            return RequestError::transport(
                QStringLiteral("Could not connect to the daemon: the program listening on port %1 belongs "
                               "neither to root nor to the owner of the configuration file.")
                    .arg(*m_loopbackPort));
    return std::nullopt;
}

OutgoingRequest DaemonClient::makeRequest(const QString& path) const {
    return {QUrl::fromEncoded((m_settings.baseURL + QStringLiteral("/api") + path).toUtf8()),
            {{QByteArrayLiteral("Authorization"), QByteArrayLiteral("Bearer ") + m_authToken.toUtf8()},
             {QByteArrayLiteral("Content-Type"), QByteArrayLiteral("application/json")}},
            m_settings.requestTimeout};
}

// Status and host figures.

QCoro::Task<void> DaemonClient::fetchStatus() {
    return refreshStatus(Lane::User);
}

QCoro::Task<void> DaemonClient::fetchSystemInfo() {
    return refreshSystemInfo(Lane::User);
}

QCoro::Task<void> DaemonClient::refreshStatus(Lane lane) {
    QPointer<DaemonClient> self(this);
    // The daemon writes its token when it first starts, which may be after this client was made
    // (the launcher starts it): until the configuration has been read, each refresh tries again.
    if (!m_configurationReadable)
        readConfiguration();
    Result<StatusData> result =
        co_await fetch<StatusData>(QStringLiteral("/status"), QByteArrayLiteral("GET"), lane);
    if (!self)
        co_return;
    if (result) {
        setServices(std::move(result.value().services));
        setIsConnected(true);
        setConnectionError(std::nullopt);
    } else {
        setIsConnected(false);
        setConnectionError(QStringLiteral("Cannot connect to daemon"));
    }
    emit statusRefreshed(result.ok());
}

QCoro::Task<void> DaemonClient::refreshSystemInfo(Lane lane) {
    QPointer<DaemonClient> self(this);
    Result<SystemInfo> result =
        co_await fetch<SystemInfo>(QStringLiteral("/system/info"), QByteArrayLiteral("GET"), lane);
    if (self && result)
        setSystemInfo(std::move(result).value());
}

// Polling.

void DaemonClient::startPolling() {
    delete m_pollTimer;
    m_pollTimer = new QTimer(this); // a child: it dies with the client and never outlives it
    m_pollTimer->setInterval(m_settings.pollInterval);
    connect(m_pollTimer, &QTimer::timeout, this, &DaemonClient::pollTick);
    if (!m_pollingPaused)
        m_pollTimer->start();
}

void DaemonClient::stopPolling() {
    delete m_pollTimer;
    m_pollTimer = nullptr;
    if (m_webSocketTask)
        m_webSocketTask->close(1001); // going away
}

void DaemonClient::setPollingPaused(bool paused) {
    if (paused == m_pollingPaused)
        return;
    m_pollingPaused = paused;
    if (!m_pollTimer)
        return;
    if (paused) {
        m_pollTimer->stop();
    } else {
        m_pollTimer->start();
        pollTick(); // what changed while hidden shows at once
    }
}

void DaemonClient::pollTick() {
    [](QPointer<DaemonClient> self) -> QCoro::Task<void> {
        co_await self->refreshStatus(Lane::Background);
        if (self)
            co_await self->refreshSystemInfo(Lane::Background);
    }(this);
}

// Service control and logs.

template <class T> QCoro::Task<void> DaemonClient::actionThenRefresh(std::optional<QString> path) {
    QPointer<DaemonClient> self(this);
    if (path)
        co_await fetch<T>(*path, QByteArrayLiteral("POST")); // the outcome shows in the refresh
    if (self)
        co_await fetchStatus();
}

static std::optional<QString> servicePath(const QString& name, const char* action) {
    const auto segment = DaemonClient::pathSegment(name);
    if (!segment)
        return std::nullopt;
    return QStringLiteral("/services/") + *segment + u'/' + QLatin1StringView(action);
}

QCoro::Task<void> DaemonClient::startService(QString name) {
    co_await actionThenRefresh<ServiceStartResult>(servicePath(name, "start"));
}

QCoro::Task<void> DaemonClient::stopService(QString name) {
    co_await actionThenRefresh<ServiceStopResult>(servicePath(name, "stop"));
}

QCoro::Task<void> DaemonClient::restartService(QString name) {
    co_await actionThenRefresh<ServiceStartResult>(servicePath(name, "restart"));
}

QCoro::Task<void> DaemonClient::startAll() {
    co_await actionThenRefresh<StatusData>(QStringLiteral("/services/start-all"));
}

QCoro::Task<void> DaemonClient::stopAll() {
    co_await actionThenRefresh<StatusData>(QStringLiteral("/services/stop-all"));
}

QCoro::Task<QString> DaemonClient::fetchLogs(QString service, qint64 lines) {
    const QString failed = QStringLiteral("Failed to load logs: ");
    const auto segment = pathSegment(service);
    if (!segment)
        co_return failed + invalidPathName(service).description;
    const QString path =
        QStringLiteral("/services/") + *segment + QStringLiteral("/logs?lines=") + QString::number(lines);
    Result<LogData> result = co_await fetch<LogData>(path, QByteArrayLiteral("GET"));
    co_return result ? result.value().content : failed + result.error().description;
}

// Projects and configuration.

QCoro::Task<void> DaemonClient::fetchProjects() {
    QPointer<DaemonClient> self(this);
    Result<ProjectListData> result =
        co_await fetch<ProjectListData>(QStringLiteral("/vhosts"), QByteArrayLiteral("GET"));
    if (self && result)
        setProjects(std::move(result.value().projects));
}

QCoro::Task<bool> DaemonClient::createProject(CreateProjectRequest request) {
    QPointer<DaemonClient> self(this);
    Result<Project> result = co_await postJSON<Project>(QStringLiteral("/vhosts"), std::move(request));
    if (!self || !result)
        co_return false;
    QList<Project> list = m_projects;
    list.push_back(std::move(result).value());
    setProjects(std::move(list));
    co_return true;
}

QCoro::Task<bool> DaemonClient::deleteProject(QString id) {
    const auto segment = pathSegment(id);
    if (!segment)
        co_return false;
    QPointer<DaemonClient> self(this);
    Result<DeleteResult> result =
        co_await fetch<DeleteResult>(QStringLiteral("/vhosts/") + *segment, QByteArrayLiteral("DELETE"));
    if (!self || !result)
        co_return false;
    QList<Project> list = m_projects;
    list.removeIf([&](const Project& p) { return p.id == id; });
    setProjects(std::move(list));
    co_return true;
}

QCoro::Task<void> DaemonClient::fetchConfig() {
    QPointer<DaemonClient> self(this);
    Result<AppConfig> result = co_await fetch<AppConfig>(QStringLiteral("/config"), QByteArrayLiteral("GET"));
    if (self && result)
        setAppConfig(std::move(result).value());
}

QCoro::Task<void> DaemonClient::fetchCredentials() {
    QPointer<DaemonClient> self(this);
    Result<CredentialsData> result =
        co_await fetch<CredentialsData>(QStringLiteral("/config/credentials"), QByteArrayLiteral("GET"));
    if (self && result)
        setCredentials(std::move(result).value());
}

QCoro::Task<void> DaemonClient::fetchDatabaseInfo() {
    QPointer<DaemonClient> self(this);
    Result<DatabaseConnectionData> result =
        co_await fetch<DatabaseConnectionData>(QStringLiteral("/databases"), QByteArrayLiteral("GET"));
    if (self && result)
        setDbConnection(std::move(result.value().connection));
}

// Published members: every assignment notifies, also when the value is unchanged.

void DaemonClient::setServices(QList<ServiceStatus> v) {
    m_services = std::move(v);
    emit servicesChanged();
}
void DaemonClient::setSystemInfo(std::optional<SystemInfo> v) {
    m_systemInfo = std::move(v);
    emit systemInfoChanged();
}
void DaemonClient::setIsConnected(bool v) {
    m_isConnected = v;
    emit isConnectedChanged();
}
void DaemonClient::setConnectionError(std::optional<QString> v) {
    m_connectionError = std::move(v);
    emit connectionErrorChanged();
}
void DaemonClient::setProjects(QList<Project> v) {
    m_projects = std::move(v);
    emit projectsChanged();
}
void DaemonClient::setAppConfig(std::optional<AppConfig> v) {
    m_appConfig = std::move(v);
    emit appConfigChanged();
}
void DaemonClient::setCredentials(std::optional<CredentialsData> v) {
    m_credentials = std::move(v);
    emit credentialsChanged();
}
void DaemonClient::setDbConnection(std::optional<DBConnection> v) {
    m_dbConnection = std::move(v);
    emit dbConnectionChanged();
}

} // namespace brevant
