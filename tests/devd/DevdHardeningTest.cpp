// The stand-in daemon under a hostile or careless peer: links planted in its data folder, bodies
// without a token, endless or silent connections, a thousand idle sockets; and the two things it
// does for the desktop user: the token file it gives them, and host figures held still or moving.

#include "DevdTestSupport.h"

#include "DevdConfig.h"
#include "TextRules.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

#include <QCoroTask>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace brevant;
using namespace brevant::devd;
using namespace brevant::devd::test;

namespace {

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray chunked(const QByteArray& body, qsizetype chunk) {
    QByteArray out;
    for (qsizetype at = 0; at < body.size(); at += chunk) {
        const QByteArray piece = body.mid(at, chunk);
        out += QByteArray::number(piece.size(), 16) + "\r\n" + piece + "\r\n";
    }
    return out + "0\r\n\r\n";
}

qint64 machineUptime() {
    return readFile(QStringLiteral("/proc/uptime")).split(' ').front().toDouble();
}

} // namespace

class DevdHardeningTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void linksOutOfTheDataFolderAreNeverFollowed();
    void headsAndBodiesAreBoundedAndTheTokenComesFirst();
    void silentAndSlowConnectionsAreEnded();
    void thousandIdleConnectionsLeaveRoomForAClient();
    void configurationFileGoesToTheDesktopUser();
    void figuresHeldStillOrChanging();

private:
    // Replaces the daemon and client of the test with ones started with `options`.
    bool restartWith(DevdOptions options);

    std::unique_ptr<TestDaemon> m_daemon;
    std::unique_ptr<DaemonClient> m_client;
};

bool DevdHardeningTest::restartWith(DevdOptions options) {
    cleanup();
    m_daemon = std::make_unique<TestDaemon>(std::move(options));
    QString why;
    if (!m_daemon->start(&why)) {
        qWarning("%s", qPrintable(why));
        return false;
    }
    m_client = m_daemon->client();
    return true;
}

void DevdHardeningTest::init() {
    QVERIFY(restartWith({}));
}

void DevdHardeningTest::cleanup() {
    m_client.reset();
    m_daemon.reset();
}

void DevdHardeningTest::linksOutOfTheDataFolderAreNeverFollowed() {
    const QString victim = m_daemon->scratch() + "/victim.txt";
    const QString www = m_daemon->dataDir() + "/www";
    QString why;
    QVERIFY(writeFileAtomically(victim, "precious", false, &why));

    // A repository whose notice file is a link; cloned, deleted (its folder stays), then a CMS
    // installed under the same name: the notice must not go through the link.
    const QString repo = m_daemon->scratch() + "/linky";
    QVERIFY2(makeRepository(repo, &why, {{"BREVANT-DEVD-NOTICE.txt", victim}}), qPrintable(why));
    QVERIFY(QCoro::waitFor(m_client->gitClone(repo, QStringLiteral("site"))).ok());
    QVERIFY(QFileInfo(www + "/site/BREVANT-DEVD-NOTICE.txt").isSymLink());
    QCoro::waitFor(m_client->fetchProjects());
    QVERIFY(QCoro::waitFor(m_client->deleteProject(m_client->projects().front().id)));
    const Result<CMSInstallResult> installed = QCoro::waitFor(m_client->cmsInstall("wordpress", "site"));
    QVERIFY(installed.ok());
    QVERIFY2(installed.value().message.contains("could not be written"),
             qPrintable(installed.value().message));
    QCOMPARE(readFile(victim), QByteArray("precious"));
    QVERIFY(QFileInfo(www + "/site/BREVANT-DEVD-NOTICE.txt").isSymLink());

    // A document root that is itself a link (as a restore could bring back) is neither made
    // nor cloned into; a log that is a link is not appended to.
    QVERIFY(QFile::link(m_daemon->scratch(), www + "/planted"));
    const auto before = QDir(m_daemon->scratch()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    QVERIFY(
        !QCoro::waitFor(m_client->createProject({"planted", "planted.test", "apache", "8.3", false, false})));
    QCOMPARE(QCoro::waitFor(m_client->gitClone(repo, QStringLiteral("planted"))).error().code, 409);
    QCOMPARE(QDir(m_daemon->scratch()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
    const QString log = m_daemon->dataDir() + "/logs/redis.log";
    QVERIFY(QFile::remove(log) && QFile::link(victim, log));
    QCoro::waitFor(m_client->startService("redis"));
    QCOMPARE(readFile(victim), QByteArray("precious"));
}

void DevdHardeningTest::headsAndBodiesAreBoundedAndTheTokenComesFirst() {
    const quint16 port = m_daemon->port();
    const QByteArray auth = "Authorization: Bearer " + m_daemon->token().toUtf8() + "\r\n";
    const QByteArray post = "POST /api/vhosts HTTP/1.1\r\nHost: x\r\n";

    // Without the token, a 1 GiB body is refused from the head alone: nothing of it is awaited.
    const RawExchange stranger = exchange(port, post + "Content-Length: 1073741824\r\n\r\n");
    QCOMPARE(stranger.status, 401);
    QVERIFY(stranger.closed);
    // With the token, a body over 1 MiB is refused before it is sent; 1 MiB itself is read.
    const RawExchange large = exchange(port, post + auth + "Content-Length: 1048577\r\n\r\n");
    QCOMPARE(large.status, 413);
    QVERIFY(large.closed);
    QVERIFY(large.answer.contains("BODY_TOO_LARGE"));
    const QByteArray mebibyte(1024 * 1024, 'x');
    QCOMPARE(exchange(port, post + auth + "Content-Length: 1048576\r\nConnection: close\r\n\r\n" + mebibyte)
                 .status,
             400); // read whole, then judged by the route: not JSON

    // A chunked body: read within the cap, refused beyond it.
    const QByteArray project = R"({"name":"c","domain":"c.test","webServer":"nginx","phpVersion":"8.2",)"
                               R"("sslEnabled":false,"createDatabase":false})";
    const QByteArray chunkedHead = post + auth + "Transfer-Encoding: chunked\r\nConnection: close\r\n\r\n";
    QCOMPARE(exchange(port, chunkedHead + chunked(project, 16)).status, 200);
    QCOMPARE(m_daemon->raw("GET", "/api/vhosts").body.count("\"c.test\""), 1);
    QCOMPARE(exchange(port, chunkedHead + chunked(mebibyte + "x", 64 * 1024)).status, 413);

    // Heads: too large, malformed.
    const RawExchange huge =
        exchange(port, "GET /api/status HTTP/1.1\r\n" + auth + "X: " + QByteArray(40'000, 'a'));
    QCOMPARE(huge.status, 431);
    QVERIFY(huge.closed);
    QCOMPARE(exchange(port, "GET /api/status HTTP/1.1\r\n" + auth + "X: a\r\n folded\r\n\r\n").status, 400);
    QCOMPARE(exchange(port, "GET /api/status HTTP/2.0\r\n" + auth + "\r\n").status, 505);

    // Two requests in one write: two answers, in order, on one connection.
    const RawExchange two =
        exchange(port, "GET /api/status HTTP/1.1\r\n" + auth + "\r\nGET /api/nothing HTTP/1.1\r\n" + auth +
                           "Connection: close\r\n\r\n");
    QCOMPARE(two.status, 200);
    QVERIFY(two.answer.indexOf("HTTP/1.1 404") > two.answer.indexOf("\r\n\r\n"));
    QVERIFY(two.closed);
}

void DevdHardeningTest::silentAndSlowConnectionsAreEnded() {
    DevdOptions options;
    options.idleTimeout = std::chrono::milliseconds(300);
    QVERIFY(restartWith(options));
    const quint16 port = m_daemon->port();

    QTcpSocket silent;
    QSignalSpy silentClosed(&silent, &QTcpSocket::disconnected);
    silent.connectToHost(QStringLiteral("127.0.0.1"), port);
    QVERIFY(silentClosed.wait(5000));
    QVERIFY(silent.readAll().isEmpty()); // nothing was asked, nothing is said

    const RawExchange halfHead = exchange(port, "GET /api/status HTTP/1.1\r\nHost: x\r\n", 5000);
    QCOMPARE(halfHead.status, 408);
    QVERIFY(halfHead.closed);
    const QByteArray auth = "Authorization: Bearer " + m_daemon->token().toUtf8() + "\r\n";
    const RawExchange halfBody =
        exchange(port, "POST /api/vhosts HTTP/1.1\r\n" + auth + "Content-Length: 100\r\n\r\n{\"na", 5000);
    QCOMPARE(halfBody.status, 408);
    QCOMPARE(m_daemon->logLines().filter(QRegularExpression("^POST /api/vhosts 408 ")).size(), 1);

    // A byte every 40 ms never finishes a head: the limit counts from the start of the request,
    // not from the last byte, so the trickle is cut off long before its 200 bytes are out.
    QTcpSocket trickle;
    QSignalSpy trickleClosed(&trickle, &QTcpSocket::disconnected);
    trickle.connectToHost(QStringLiteral("127.0.0.1"), port);
    QVERIFY(trickle.waitForConnected(2000));
    const QByteArray slow = "GET /api/status HTTP/1.1\r\nX-Slow: " + QByteArray(200, 'a');
    qsizetype sent = 0;
    QTimer drip;
    connect(&drip, &QTimer::timeout, &trickle, [&] {
        if (sent < slow.size() && trickle.state() == QAbstractSocket::ConnectedState)
            trickle.write(slow.mid(sent++, 1));
    });
    drip.start(40);
    QVERIFY(trickleClosed.wait(10'000));
    QVERIFY2(sent < slow.size() / 2, qPrintable(QString::number(sent)));
    QVERIFY(trickle.readAll().startsWith("HTTP/1.1 408"));

    // A client that keeps asking is served on and on.
    QCoro::waitFor(m_client->fetchStatus());
    QVERIFY(m_client->isConnected());
}

void DevdHardeningTest::thousandIdleConnectionsLeaveRoomForAClient() {
    constexpr int kIdle = 1100;
    rlimit own{};
    QVERIFY(::getrlimit(RLIMIT_NOFILE, &own) == 0);
    if (own.rlim_max != RLIM_INFINITY && own.rlim_max < kIdle + 300)
        QSKIP("this process may not open enough sockets for the idle peers");
    own.rlim_cur = own.rlim_max;
    QVERIFY(::setrlimit(RLIMIT_NOFILE, &own) == 0);

    // The program itself, held to the usual limit of 1,024 descriptors, soft and hard.
    QProcess devd;
    devd.setChildProcessModifier([] {
        const rlimit usual{1024, 1024};
        ::setrlimit(RLIMIT_NOFILE, &usual);
    });
    const QString config = m_daemon->scratch() + "/idle/brevant.config.json";
    const quint16 port = startProgram(devd, {"--port", "0", "--config", config, "--quiet"});
    QVERIFY(port != 0);

    std::vector<std::unique_ptr<QTcpSocket>> idle;
    int ended = 0;
    for (int i = 0; i < kIdle; ++i) {
        idle.push_back(std::make_unique<QTcpSocket>());
        connect(idle.back().get(), &QTcpSocket::disconnected, this, [&ended] { ++ended; });
        idle.back()->connectToHost(QStringLiteral("127.0.0.1"), port);
    }
    QTRY_VERIFY_WITH_TIMEOUT(std::none_of(idle.begin(), idle.end(),
                                          [](const auto& s) {
                                              return s->state() == QAbstractSocket::ConnectingState ||
                                                     s->state() == QAbstractSocket::HostLookupState;
                                          }),
                             20'000);
    // More than the limit: the longest-waiting ones were ended to make room.
    QTRY_VERIFY_WITH_TIMEOUT(ended >= kIdle - 1024, 10'000);

    ConnectionSettings settings;
    settings.baseURL = QStringLiteral("http://127.0.0.1:%1").arg(port);
    settings.configPath = config;
    settings.requestTimeout = std::chrono::milliseconds(10'000);
    DaemonClient client(settings, nullptr);
    for (int i = 0; i < 3; ++i) {
        QCoro::waitFor(client.fetchStatus());
        QVERIFY2(client.isConnected(), qPrintable(client.connectionError().value_or(QString())));
    }
    idle.clear();
    devd.terminate();
    QVERIFY(devd.waitForFinished(5000));
}

void DevdHardeningTest::configurationFileGoesToTheDesktopUser() {
    if (::geteuid() != 0)
        QSKIP("giving a file to another user needs root");
    const QString folder = m_daemon->scratch() + "/opt/brevant";
    const QString config = folder + "/brevant.config.json";
    QProcessEnvironment plainRoot = QProcessEnvironment::systemEnvironment();
    plainRoot.remove(QStringLiteral("SUDO_UID"));
    plainRoot.remove(QStringLiteral("SUDO_GID"));
    auto run = [&](const QStringList& extra, const QProcessEnvironment& environment) {
        QProcess devd;
        devd.setProcessEnvironment(environment);
        // A strict umask must not hide the folder from the desktop user.
        devd.setChildProcessModifier([] { ::umask(077); });
        const bool started =
            startProgram(devd, QStringList{"--port", "0", "--config", config, "--quiet"} + extra) != 0;
        devd.terminate();
        devd.waitForFinished(5000);
        return started;
    };
    const auto mode = [](const QString& path) {
        struct stat info {};
        ::stat(QFile::encodeName(path).constData(), &info);
        return info.st_mode & 07777;
    };

    // --owner: a fresh file, 0600, given to that user in a folder anyone may enter.
    QVERIFY(run({"--owner", "nobody"}, plainRoot));
    QCOMPARE(mode(folder), 0755u);
    QCOMPARE(mode(m_daemon->scratch() + "/opt"), 0755u);
    QCOMPARE(mode(config), 0600u);
    QCOMPARE(QFileInfo(config).ownerId(), 65534u);
    QCOMPARE(QFileInfo(config).groupId(), 65534u);
    const QByteArray token = readFile(config);

    // Through sudo: an existing file goes to the user who ran it, token and all kept.
    QProcessEnvironment sudo = plainRoot;
    sudo.insert(QStringLiteral("SUDO_UID"), QStringLiteral("1"));
    sudo.insert(QStringLiteral("SUDO_GID"), QStringLiteral("1"));
    QVERIFY(run({}, sudo));
    QCOMPARE(QFileInfo(config).ownerId(), 1u);
    QCOMPARE(QFileInfo(config).groupId(), 1u);
    QCOMPARE(readFile(config), token);

    // Plain root with neither: the file keeps the owner someone gave it.
    QVERIFY(run({}, plainRoot));
    QCOMPARE(QFileInfo(config).ownerId(), 1u);

    QProcess unknown;
    unknown.start(QStringLiteral(BREVANT_DEVD_BINARY),
                  {"--port", "0", "--config", config, "--owner", "no-such-user-here"});
    QVERIFY(unknown.waitForFinished(5000));
    QCOMPARE(unknown.exitCode(), 2);
    QVERIFY(unknown.readAllStandardError().contains("there is no user no-such-user-here"));
}

void DevdHardeningTest::figuresHeldStillOrChanging() {
    DevdOptions still;
    still.figures = FigureMode::Still;
    QVERIFY(restartWith(still));
    QCoro::waitFor(m_client->fetchSystemInfo());
    const SystemInfo first = m_client->systemInfo().value();
    const QByteArray firstBody = m_daemon->raw("GET", "/api/system/info").body;
    // Once the machine's own uptime has moved on, the replies still say what they said.
    QTRY_VERIFY_WITH_TIMEOUT(machineUptime() > first.uptime + 1, 5000);
    QCoro::waitFor(m_client->fetchSystemInfo());
    QCOMPARE(m_client->systemInfo().value(), first);
    QCOMPARE(m_daemon->raw("GET", "/api/system/info").body, firstBody);

    DevdOptions changing;
    changing.figures = FigureMode::Changing;
    QVERIFY(restartWith(changing));
    QCoro::waitFor(m_client->fetchSystemInfo());
    SystemInfo previous = m_client->systemInfo().value();
    for (int i = 0; i < 6; ++i) {
        QCoro::waitFor(m_client->fetchSystemInfo());
        const SystemInfo now = m_client->systemInfo().value();
        // The two gauges move on every reply; nothing else does.
        QVERIFY(cpuPercent(now) != cpuPercent(previous));
        QVERIFY(now.memory.percentUsed != previous.memory.percentUsed);
        QVERIFY(cpuPercent(now) > 0 && cpuPercent(now) < 100);
        QCOMPARE(now.memory.used + now.memory.free, now.memory.total);
        QCOMPARE(now.os, previous.os);
        QCOMPARE(now.disk, previous.disk);
        QCOMPARE(now.uptime, previous.uptime);
        previous = now;
    }
}

QTEST_GUILESS_MAIN(DevdHardeningTest)
#include "DevdHardeningTest.moc"
