#include "Server.h"

#include "DevdConfig.h"
#include "Names.h"

#include <QWebSocket>

#include <QCoroTimer>

#include <cstdio>
#include <unistd.h>

namespace brevant::devd {

namespace {

// Compares in time independent of where the texts first differ.
bool sameSecret(const QByteArray& a, const QByteArray& b) {
    if (a.size() != b.size())
        return false;
    unsigned char diff = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        diff |= static_cast<unsigned char>(a[i] ^ b[i]);
    return diff == 0;
}

struct Secrets {
    QString mariadbRootPassword;
    static constexpr auto fields() {
        return std::make_tuple(json::field("mariadbRootPassword", &Secrets::mariadbRootPassword));
    }
};

} // namespace

Server::Server(DevdOptions options, QObject* parent) : QObject(parent), m_options(std::move(options)) {
    m_hub = new EventHub(m_options.closeWebSocketsAfter, this);
    m_logSink = [](const QString& line) { std::fprintf(stderr, "%s\n", qPrintable(line)); };
}

Server::~Server() = default;

bool Server::start(QString* why) {
    std::optional<FileOwner> owner;
    if (!chooseConfigOwner(m_options.owner, m_options.sudoUser, ::geteuid(), &owner, why))
        return false;
    std::optional<QString> token = loadOrCreateToken(m_options.configPath, why, owner);
    if (!token)
        return false;
    m_token = *token;
    if (!loadState(why))
        return false;
    registerRoutes();

    HttpHandlers handlers;
    handlers.screen = [this](const RequestHead& head) { return screen(head); };
    handlers.serve = [this](QPointer<HttpConnection> c, RequestHead head, QByteArray body,
                            QElapsedTimer clock) {
        serve(std::move(c), std::move(head), std::move(body), clock);
    };
    handlers.log = [this](const QByteArray& method, const QString& path, int status,
                          const QElapsedTimer& clock) { log(method, path, status, clock); };
    HttpLimits limits;
    limits.timeout = m_options.idleTimeout;
    m_front = new HttpFront(
        limits, std::move(handlers),
        [this](std::unique_ptr<QWebSocket> socket) { m_hub->adopt(std::move(socket)); }, this);
    return m_front->listen(m_options.port, why);
}

bool Server::loadState(QString* why) {
    m_store = std::make_unique<StateStore>(m_options.effectiveDataDir());
    if (!m_store->prepare(why))
        return false;
    m_activity = std::make_unique<ActivityLog>(*m_store);
    m_services = std::make_unique<ServiceSimulator>(*m_store, *m_activity);
    m_projects = std::make_unique<ProjectStore>(*m_store, *m_activity);
    m_hosts = std::make_unique<HostsFile>(*m_store, *m_activity);
    m_backups = std::make_unique<BackupStore>(*m_store, *m_activity);
    if (!m_activity->load(why) || !m_services->load(why) || !m_projects->load(why) || !m_hosts->prepare(why))
        return false;

    std::optional<Secrets> secrets = m_store->load<Secrets>(QStringLiteral("secrets"), why);
    if (!why->isEmpty())
        return false;
    if (!secrets) {
        secrets = Secrets{randomHex(12)};
        if (!m_store->save(QStringLiteral("secrets"), *secrets, why, true))
            return false;
    }
    m_mariadbPassword = secrets->mariadbRootPassword;

    m_figures = std::make_unique<HostFigures>(m_store->root(), m_options.figures);
    m_tools = std::make_unique<ToolRoutes>(*m_projects, *m_hosts, *m_backups, *m_hub);
    return true;
}

quint16 Server::port() const {
    return m_front ? m_front->port() : 0;
}

const QString& Server::nodeVersion() const {
    static const QString none;
    return m_figures ? m_figures->nodeVersion() : none;
}

QString Server::startupLine() const {
    return QStringLiteral("brevant-devd %1 listening on http://127.0.0.1:%2 (data in %3, config %4). "
                          "This is the stand-in daemon: it keeps real state but simulates the services; "
                          "no web server, database or other program is started.")
        .arg(QStringLiteral(BREVANT_DEVD_VERSION))
        .arg(port())
        .arg(dataDir(), m_options.configPath);
}

bool Server::authorized(const RequestHead& head) const {
    const QByteArray header = head.value("authorization");
    const QByteArray scheme = QByteArrayLiteral("bearer ");
    if (header.size() <= scheme.size() || header.left(scheme.size()).toLower() != scheme)
        return false;
    return sameSecret(header.mid(scheme.size()), m_token.toUtf8());
}

std::optional<int> Server::forcedStatus(const QString& path) const {
    if (m_options.failures.isEmpty())
        return std::nullopt;
    if (auto it = m_options.failures.constFind(path); it != m_options.failures.cend())
        return *it;
    if (path.startsWith(QLatin1StringView("/api/"))) {
        if (auto it = m_options.failures.constFind(path.mid(4)); it != m_options.failures.cend())
            return *it;
    }
    return std::nullopt;
}

static Reply injected(int status) {
    return failure(status, QStringLiteral("INJECTED_FAILURE"),
                   QStringLiteral("brevant-devd was told to answer this path with status %1.").arg(status));
}

static Reply unauthorized() {
    return failure(
        401, QStringLiteral("UNAUTHORIZED"),
        QStringLiteral("A valid bearer token is required (see authToken in the configuration file)."));
}

std::optional<Reply> Server::upgradeRefusal(const RequestHead& head) const {
    if (head.path != QLatin1StringView("/ws"))
        return failure(404, QStringLiteral("NOT_FOUND"),
                       QStringLiteral("WebSockets are served at /ws only."));
    if (!authorized(head))
        return unauthorized();
    if (std::optional<int> status = forcedStatus(head.path))
        return injected(*status);
    return std::nullopt;
}

std::optional<Reply> Server::screen(const RequestHead& head) const {
    if (head.isWebSocketUpgrade())
        return upgradeRefusal(head);
    // Before the body: a peer without the token never gets a byte of it buffered.
    if (!authorized(head))
        return unauthorized();
    return std::nullopt;
}

QCoro::Task<void> Server::serve(QPointer<HttpConnection> connection, RequestHead head, QByteArray body,
                                QElapsedTimer clock) {
    QPointer<Server> self(this);
    const QByteArray method = head.method;
    const QString path = head.path;
    Request request;
    request.method = head.method;
    request.path = head.path;
    request.query = head.query;
    request.body = std::move(body);
    Reply reply;
    if (std::optional<int> status = forcedStatus(path)) {
        reply = injected(*status);
    } else if (path.startsWith(QLatin1StringView("/api/"))) {
        request.path = path.mid(4);
        reply = co_await m_router.dispatch(std::move(request));
    } else {
        reply = failure(404, QStringLiteral("NOT_FOUND"), QStringLiteral("The API is served under /api."));
    }
    if (!self)
        co_return;
    if (m_options.delay.count() > 0) {
        const auto delay = m_options.delay;
        co_await QCoro::sleepFor(delay);
        if (!self)
            co_return;
    }
    // 499: the client left before its answer.
    const bool answered = connection && connection->respond(reply);
    log(method, path, answered ? reply.status : 499, clock);
}

void Server::log(const QByteArray& method, const QString& path, int status,
                 const QElapsedTimer& clock) const {
    if (!m_options.logRequests || !m_logSink)
        return;
    // The method, the path and the status only: neither headers, where the token travels, nor
    // the query, where a careless client might put it.
    m_logSink(QStringLiteral("%1 %2 %3 %4 ms")
                  .arg(QString::fromLatin1(method), path)
                  .arg(status)
                  .arg(static_cast<double>(clock.nsecsElapsed()) / 1e6, 0, 'f', 2));
}

} // namespace brevant::devd
