#pragma once

// A whole stand-in daemon inside the test process, on a free loopback port, with its
// configuration and data in a temporary folder, and the helpers its tests share.

#include "DaemonClient.h"
#include "DevdOptions.h"
#include "Server.h"

#include <QByteArray>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <optional>

namespace brevant::devd::test {

struct RawReply {
    int status = 0; // 0: no HTTP answer
    QByteArray body;
    // The envelope's error code, when the body is a failure envelope.
    std::optional<QString> errorCode() const;
};

class TestDaemon {
public:
    // `options` may set the fault switches; port, configuration and data folder are the fixture's.
    explicit TestDaemon(DevdOptions options = {});
    ~TestDaemon();

    bool start(QString* why);
    // Stops and starts again on the same folders (and a new port), as after a reboot.
    bool restart(QString* why);

    quint16 port() const { return m_server->port(); }
    QString baseURL() const { return QStringLiteral("http://127.0.0.1:%1").arg(port()); }
    QString configPath() const { return m_dir.filePath(QStringLiteral("etc/brevant.config.json")); }
    QString dataDir() const { return m_dir.filePath(QStringLiteral("data")); }
    QString scratch() const { return m_dir.filePath(QStringLiteral("scratch")); }
    QString token() const { return m_server->token(); }
    const QStringList& logLines() const { return m_logLines; }

    // A client as the panel makes it, reading the token from `configPath` (the daemon's by default).
    std::unique_ptr<DaemonClient> client(const QString& configPath = {}) const;

    // One request over loopback; `token` absent sends no Authorization header.
    RawReply raw(const QByteArray& method, const QString& path, const QByteArray& body = {}) const;
    RawReply raw(const QByteArray& method, const QString& path, const QByteArray& body,
                 std::optional<QByteArray> authorization) const;

private:
    QTemporaryDir m_dir;
    DevdOptions m_options;
    std::unique_ptr<Server> m_server;
    QStringList m_logLines;
};

// A Git repository with one commit holding index.php, made with the system's git in `folder`;
// `links` adds symbolic links to the commit (name in the repository → where it points).
bool makeRepository(const QString& folder, QString* why,
                    const QList<std::pair<QString, QString>>& links = {});

// What came back for bytes sent as they stand on a fresh connection.
struct RawExchange {
    int status = 0;      // of the first answer; 0: none
    bool closed = false; // the daemon ended the connection
    QByteArray answer;
};
// Sends `bytes` and waits until the daemon closes the connection or `waitMs` have passed.
RawExchange exchange(quint16 port, const QByteArray& bytes, int waitMs = 3000);

// Starts the built program with `arguments` (and `environment`, when given) and waits for its
// first line; returns the port it listens on, 0 when it did not start.
quint16 startProgram(QProcess& process, const QStringList& arguments);

// Writes a configuration file with another token, for a client that must be refused.
QString writeForeignConfig(const QString& folder, const QByteArray& token);

} // namespace brevant::devd::test
