#include "DevdTestSupport.h"

#include "DevdConfig.h"
#include "JsonCodec.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTcpSocket>

namespace brevant::devd::test {

std::optional<QString> RawReply::errorCode() const {
    const auto envelope = json::decode<APIResponse<EmptyRequest>>(body);
    if (!envelope || envelope->success || !envelope->error)
        return std::nullopt;
    return envelope->error->code;
}

TestDaemon::TestDaemon(DevdOptions options) : m_options(std::move(options)) {
    m_options.port = 0;
    m_options.configPath = configPath();
    m_options.dataDir = dataDir();
    QDir().mkpath(scratch());
}

TestDaemon::~TestDaemon() = default;

bool TestDaemon::start(QString* why) {
    m_server = std::make_unique<Server>(m_options);
    m_server->setLogSink([this](const QString& line) { m_logLines.push_back(line); });
    return m_server->start(why);
}

bool TestDaemon::restart(QString* why) {
    m_server.reset();
    return start(why);
}

std::unique_ptr<DaemonClient> TestDaemon::client(const QString& path) const {
    ConnectionSettings settings;
    settings.baseURL = baseURL();
    settings.configPath = path.isEmpty() ? configPath() : path;
    settings.requestTimeout = std::chrono::milliseconds(10'000);
    settings.reconnectDelay = std::chrono::milliseconds(100);
    return std::make_unique<DaemonClient>(settings, nullptr);
}

RawReply TestDaemon::raw(const QByteArray& method, const QString& path, const QByteArray& body) const {
    return raw(method, path, body, QByteArrayLiteral("Bearer ") + token().toUtf8());
}

RawReply TestDaemon::raw(const QByteArray& method, const QString& path, const QByteArray& body,
                         std::optional<QByteArray> authorization) const {
    QNetworkAccessManager manager;
    manager.setProxy(QNetworkProxy::NoProxy);
    QNetworkRequest request(QUrl::fromEncoded((baseURL() + path).toUtf8()));
    if (authorization)
        request.setRawHeader("Authorization", *authorization);
    request.setRawHeader("Content-Type", "application/json");
    QNetworkReply* reply = body.isEmpty() ? manager.sendCustomRequest(request, method)
                                          : manager.sendCustomRequest(request, method, body);
    QSignalSpy finished(reply, &QNetworkReply::finished);
    finished.wait(10'000);
    RawReply out;
    out.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    out.body = reply->readAll();
    delete reply;
    return out;
}

static bool runGit(const QStringList& arguments, const QString& folder, QString* why) {
    QProcess git;
    git.setWorkingDirectory(folder);
    git.start(QStringLiteral("git"), arguments);
    if (!git.waitForFinished(10'000) || git.exitStatus() != QProcess::NormalExit || git.exitCode() != 0) {
        *why = QStringLiteral("git %1: %2")
                   .arg(arguments.join(u' '), QString::fromUtf8(git.readAllStandardError()));
        return false;
    }
    return true;
}

bool makeRepository(const QString& folder, QString* why, const QList<std::pair<QString, QString>>& links) {
    if (!QDir().mkpath(folder) ||
        !writeFileAtomically(folder + QStringLiteral("/index.php"), "<?php echo 'hi';\n", false, why))
        return false;
    for (const auto& [name, target] : links) {
        if (!QFile::link(target, folder + u'/' + name)) {
            *why = QStringLiteral("cannot make the link %1").arg(name);
            return false;
        }
    }
    const QStringList identity = {QStringLiteral("-c"), QStringLiteral("user.name=Test"),
                                  QStringLiteral("-c"), QStringLiteral("user.email=test@example.test")};
    return runGit({QStringLiteral("init"), QStringLiteral("-q")}, folder, why) &&
           runGit({QStringLiteral("add"), QStringLiteral(".")}, folder, why) &&
           runGit(identity + QStringList{QStringLiteral("commit"), QStringLiteral("-q"), QStringLiteral("-m"),
                                         QStringLiteral("first")},
                  folder, why);
}

RawExchange exchange(quint16 port, const QByteArray& bytes, int waitMs) {
    RawExchange out;
    QTcpSocket socket;
    socket.connectToHost(QStringLiteral("127.0.0.1"), port);
    if (!socket.waitForConnected(2000))
        return out;
    QSignalSpy closed(&socket, &QTcpSocket::disconnected);
    socket.write(bytes);
    closed.wait(waitMs);
    out.closed = !closed.isEmpty();
    out.answer = socket.readAll();
    if (out.answer.startsWith("HTTP/1.1 "))
        out.status = out.answer.mid(9, 3).toInt();
    return out;
}

quint16 startProgram(QProcess& process, const QStringList& arguments) {
    process.start(QStringLiteral(BREVANT_DEVD_BINARY), arguments);
    if (!process.waitForStarted(5000))
        return 0;
    QElapsedTimer clock;
    clock.start();
    while (!process.canReadLine() && process.state() == QProcess::Running && clock.elapsed() < 10'000)
        process.waitForReadyRead(100);
    const QRegularExpressionMatch port = QRegularExpression(QStringLiteral("http://127\\.0\\.0\\.1:(\\d+) "))
                                             .match(QString::fromUtf8(process.readLine()));
    return port.hasMatch() ? static_cast<quint16>(port.captured(1).toUInt()) : 0;
}

QString writeForeignConfig(const QString& folder, const QByteArray& token) {
    const QString path = folder + QStringLiteral("/foreign.config.json");
    QString why;
    writeFileAtomically(path, "{\"authToken\":\"" + token + "\"}", false, &why);
    return path;
}

} // namespace brevant::devd::test
