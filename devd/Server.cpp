#include "Server.h"

#include "DevdConfig.h"
#include "Names.h"

#include <QHttpServerRequest>
#include <QTcpServer>
#include <QTcpSocket>
#include <QWebSocket>

#include <QCoroTimer>

#include <cstdio>

namespace brevant::devd {

namespace {

QByteArray methodName(QHttpServerRequest::Method m) {
    switch (m) {
    case QHttpServerRequest::Method::Get:
        return QByteArrayLiteral("GET");
    case QHttpServerRequest::Method::Put:
        return QByteArrayLiteral("PUT");
    case QHttpServerRequest::Method::Delete:
        return QByteArrayLiteral("DELETE");
    case QHttpServerRequest::Method::Post:
        return QByteArrayLiteral("POST");
    case QHttpServerRequest::Method::Head:
        return QByteArrayLiteral("HEAD");
    case QHttpServerRequest::Method::Options:
        return QByteArrayLiteral("OPTIONS");
    case QHttpServerRequest::Method::Patch:
        return QByteArrayLiteral("PATCH");
    case QHttpServerRequest::Method::Connect:
        return QByteArrayLiteral("CONNECT");
    case QHttpServerRequest::Method::Trace:
        return QByteArrayLiteral("TRACE");
    default:
        return QByteArrayLiteral("UNKNOWN");
    }
}

// Both headers, as QtHttpServer's parser wants them before it treats a request as an upgrade;
// with one of them only it is an ordinary request and gets an ordinary answer.
bool isUpgrade(const QHttpServerRequest& request) {
    const bool websocket = request.value(QByteArrayLiteral("upgrade"))
                               .compare(QByteArrayLiteral("websocket"), Qt::CaseInsensitive) == 0;
    return websocket && request.value(QByteArrayLiteral("connection")).toLower().contains("upgrade");
}

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

Server::Server(DevdOptions options, QObject* parent)
    : QAbstractHttpServer(parent), m_options(std::move(options)) {
    m_hub = new EventHub(m_options.closeWebSocketsAfter, this);
    // Connected before any client can come: QtHttpServer accepts upgrades only then.
    connect(this, &QAbstractHttpServer::newWebSocketConnection, this, [this] {
        while (hasPendingWebSocketConnections())
            m_hub->adopt(nextPendingWebSocketConnection());
    });
    m_logSink = [](const QString& line) { std::fprintf(stderr, "%s\n", qPrintable(line)); };
}

Server::~Server() = default;

bool Server::start(QString* why) {
    std::optional<QString> token = loadOrCreateToken(m_options.configPath, why);
    if (!token)
        return false;
    m_token = *token;
    if (!loadState(why))
        return false;
    registerRoutes();

    m_tcp = new QTcpServer(this);
    if (!m_tcp->listen(QHostAddress::LocalHost, m_options.port)) {
        *why =
            QStringLiteral("cannot listen on 127.0.0.1:%1: %2").arg(m_options.port).arg(m_tcp->errorString());
        return false;
    }
    bind(m_tcp);
    return true;
}

bool Server::loadState(QString* why) {
    m_store = std::make_unique<StateStore>(m_options.effectiveDataDir());
    if (!m_store->prepare(why))
        return false;
    m_activity = std::make_unique<ActivityLog>(*m_store);
    m_services = std::make_unique<ServiceSimulator>(*m_store, *m_activity);
    m_projects = std::make_unique<ProjectStore>(*m_store, *m_activity);
    m_hosts = std::make_unique<HostsFile>(m_store->hostsFile(), *m_activity);
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

    m_figures = std::make_unique<HostFigures>(m_store->root());
    m_tools = std::make_unique<ToolRoutes>(*m_projects, *m_hosts, *m_backups, *m_hub);
    return true;
}

quint16 Server::port() const {
    return m_tcp ? m_tcp->serverPort() : 0;
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

bool Server::authorized(const QHttpServerRequest& request) const {
    const QByteArray header = request.value(QByteArrayLiteral("authorization"));
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

std::optional<Reply> Server::upgradeRefusal(const QHttpServerRequest& request) const {
    const QString path = request.url().path(QUrl::FullyEncoded);
    if (path != QLatin1StringView("/ws"))
        return failure(404, QStringLiteral("NOT_FOUND"),
                       QStringLiteral("WebSockets are served at /ws only."));
    if (!authorized(request))
        return unauthorized();
    if (std::optional<int> status = forcedStatus(path))
        return injected(*status);
    return std::nullopt;
}

bool Server::handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) {
    QElapsedTimer clock;
    clock.start();
    const QString path = request.url().path(QUrl::FullyEncoded);
    if (isUpgrade(request)) {
        // Returning false sends QtHttpServer to missingHandler, which answers the refusal.
        if (upgradeRefusal(request))
            return false;
        log("GET", path, 101, clock);
        return true;
    }

    Request r;
    r.method = methodName(request.method());
    r.path = path;
    r.query = request.query();
    r.body = request.body();
    const bool closeAfter =
        request.value(QByteArrayLiteral("connection")).toLower().contains(QByteArrayLiteral("close"));
    // The reply may come later; the socket is watched, so a client that left is not written to.
    serve(std::move(r), QPointer<QTcpSocket>(socket), authorized(request), closeAfter, clock);
    return true;
}

void Server::missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) {
    // Only refused upgrades come here: every other request is handled.
    QElapsedTimer clock;
    clock.start();
    const Reply refusal = upgradeRefusal(request).value_or(
        failure(400, QStringLiteral("BAD_REQUEST"), QStringLiteral("The upgrade could not be accepted.")));
    writeReply(socket, refusal, true, false);
    log(methodName(request.method()), request.url().path(QUrl::FullyEncoded), refusal.status, clock);
}

QCoro::Task<void> Server::serve(Request request, QPointer<QTcpSocket> socket, bool authed, bool closeAfter,
                                QElapsedTimer clock) {
    QPointer<Server> self(this);
    const QByteArray method = request.method;
    const QString path = request.path;
    const QString shown =
        request.query.isEmpty() ? path : path + u'?' + request.query.toString(QUrl::FullyEncoded);
    Reply reply;
    if (!authed) {
        reply = unauthorized();
    } else if (std::optional<int> status = forcedStatus(path)) {
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
    if (!socket || socket->state() != QAbstractSocket::ConnectedState) {
        log(method, shown, 499, clock); // the client left before its answer
        co_return;
    }
    writeReply(socket, reply, closeAfter, method == "HEAD");
    log(method, shown, reply.status, clock);
}

void Server::writeReply(QTcpSocket* socket, const Reply& reply, bool closeAfter, bool headOnly) const {
    QByteArray out;
    out.reserve(160 + reply.body.size());
    out += "HTTP/1.1 ";
    out += QByteArray::number(reply.status);
    out += ' ';
    out += reasonPhrase(reply.status);
    out += "\r\nContent-Type: application/json\r\nContent-Length: ";
    out += QByteArray::number(reply.body.size());
    out += closeAfter ? "\r\nConnection: close\r\n\r\n" : "\r\nConnection: keep-alive\r\n\r\n";
    if (!headOnly)
        out += reply.body;
    socket->write(out);
    if (closeAfter)
        socket->disconnectFromHost(); // after what is buffered has been sent
}

void Server::log(const QByteArray& method, const QString& path, int status,
                 const QElapsedTimer& clock) const {
    if (!m_options.logRequests || !m_logSink)
        return;
    // The path and the status only: headers, where the token travels, are never logged.
    m_logSink(QStringLiteral("%1 %2 %3 %4 ms")
                  .arg(QString::fromLatin1(method), path)
                  .arg(status)
                  .arg(static_cast<double>(clock.nsecsElapsed()) / 1e6, 0, 'f', 2));
}

} // namespace brevant::devd
