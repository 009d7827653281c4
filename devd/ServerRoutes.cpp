// The routes of the services, projects and configuration; the tools add theirs in ToolRoutes.

#include "Server.h"

namespace brevant::devd {

namespace {

constexpr qint64 kDefaultLogLines = 100;
constexpr qint64 kMaxLogLines = 10'000;
constexpr qsizetype kActivityShown = 20;

Reply unknownService(const QString& name) {
    return failure(404, QStringLiteral("UNKNOWN_SERVICE"),
                   QStringLiteral("There is no service named %1.").arg(name));
}

Reply writeFailed(const QString& why) {
    return failure(500, QStringLiteral("WRITE_FAILED"), why);
}

} // namespace

void Server::registerRoutes() {
    using Action = ServiceSimulator::Action;
    auto status = [this] { return StatusData{m_services->statuses(), m_activity->recent(kActivityShown)}; };

    m_router.add("GET", QStringLiteral("/status"),
                 Router::immediate([status](const Request&) { return success(status()); }));
    m_router.add("GET", QStringLiteral("/system/info"),
                 Router::immediate([this](const Request&) { return success(m_figures->reply()); }));

    auto serviceAction = [this](Action action) {
        return Router::immediate([this, action](const Request& r) {
            const QString name = r.params.value(QStringLiteral("name"));
            if (!m_services->knows(name))
                return unknownService(name);
            QString why;
            if (!m_services->apply(name, action, &why))
                return writeFailed(why);
            m_hub->broadcast(QStringLiteral("services"));
            const ServiceStatus now = m_services->status(name);
            if (action == Action::Stop)
                return success(ServiceStopResult{name, now.status});
            return success(ServiceStartResult{name, std::nullopt, now.port});
        });
    };
    m_router.add("POST", QStringLiteral("/services/:name/start"), serviceAction(Action::Start));
    m_router.add("POST", QStringLiteral("/services/:name/stop"), serviceAction(Action::Stop));
    m_router.add("POST", QStringLiteral("/services/:name/restart"), serviceAction(Action::Restart));

    auto all = [this, status](bool start) {
        return Router::immediate([this, status, start](const Request&) {
            QString why;
            if (!m_services->applyAll(start, &why))
                return writeFailed(why);
            m_hub->broadcast(QStringLiteral("services"));
            return success(status());
        });
    };
    m_router.add("POST", QStringLiteral("/services/start-all"), all(true));
    m_router.add("POST", QStringLiteral("/services/stop-all"), all(false));

    m_router.add("GET", QStringLiteral("/services/:name/logs"), Router::immediate([this](const Request& r) {
                     const QString name = r.params.value(QStringLiteral("name"));
                     if (!m_services->knows(name))
                         return unknownService(name);
                     qint64 lines = kDefaultLogLines;
                     if (r.query.hasQueryItem(QStringLiteral("lines"))) {
                         bool ok = false;
                         lines = r.query.queryItemValue(QStringLiteral("lines")).toLongLong(&ok);
                         if (!ok || lines < 0)
                             return failure(400, QStringLiteral("BAD_REQUEST"),
                                            QStringLiteral("lines must be a whole number of 0 or more."));
                     }
                     lines = std::min(lines, kMaxLogLines);
                     return success(LogData{name, m_services->logPath(name), m_services->tail(name, lines)});
                 }));

    m_router.add("GET", QStringLiteral("/vhosts"), Router::immediate([this](const Request&) {
                     const QList<Project>& list = m_projects->projects();
                     return success(ProjectListData{list, list.size()});
                 }));
    m_router.add("POST", QStringLiteral("/vhosts"), Router::immediate([this](const Request& r) {
                     Reply refused;
                     const std::optional<CreateProjectRequest> body =
                         decodeBody<CreateProjectRequest>(r, refused);
                     if (!body)
                         return refused;
                     const Outcome<Project> created = m_projects->create(*body);
                     if (!created.ok())
                         return created.failure();
                     m_hub->broadcast(QStringLiteral("projects"));
                     return success(created.value());
                 }));
    m_router.add("DELETE", QStringLiteral("/vhosts/:id"), Router::immediate([this](const Request& r) {
                     const Reply reply = m_projects->remove(r.params.value(QStringLiteral("id")));
                     if (reply.status == 200)
                         m_hub->broadcast(QStringLiteral("projects"));
                     return reply;
                 }));

    m_router.add(
        "GET", QStringLiteral("/config"), Router::immediate([this](const Request&) {
            AppConfig c;
            c.version = QStringLiteral(BREVANT_DEVD_VERSION);
            c.defaultWebServer = QStringLiteral("apache");
            c.defaultPhpVersion = QStringLiteral("8.3");
            c.ports = {8080, 8443, 8081, 8444, 3306, 9000, 9615, 1025, 8025, port(), 6379};
            c.paths = {m_store->www(), m_store->root(), m_store->logs(), m_store->conf(), m_store->bin()};
            c.autoStart = false;
            c.bindAddress = QStringLiteral("127.0.0.1");
            return success(c);
        }));
    m_router.add("GET", QStringLiteral("/config/credentials"), Router::immediate([this](const Request&) {
                     return success(CredentialsData{m_token, m_mariadbPassword});
                 }));
    m_router.add("GET", QStringLiteral("/databases"), Router::immediate([](const Request&) {
                     return success(
                         DatabaseConnectionData{{QStringLiteral("127.0.0.1"), 3306, QStringLiteral("root")}});
                 }));

    m_tools->addTo(m_router);
}

} // namespace brevant::devd
