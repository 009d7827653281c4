// The stand-in's pure rules: names, addresses, /proc parsing, the command line, the router and
// the files it owns.

#include "ActivityLog.h"
#include "BackupStore.h"
#include "ChunkedReader.h"
#include "ConfinedFiles.h"
#include "DevdConfig.h"
#include "DevdOptions.h"
#include "HostFigures.h"
#include "HostsFile.h"
#include "Names.h"
#include "RequestHead.h"
#include "Router.h"
#include "ServiceSimulator.h"
#include "StateStore.h"
#include "ToolRoutes.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

#include <QCoroTask>

using namespace brevant;
using namespace brevant::devd;

class DevdRulesTest : public QObject {
    Q_OBJECT

private slots:
    void plainComponent_data();
    void plainComponent();
    void hostname_data();
    void hostname();
    void ipAddress_data();
    void ipAddress();
    void phpVersion_data();
    void phpVersion();
    void toolDomain_data();
    void toolDomain();
    void cloneName_data();
    void cloneName();
    void backupName_data();
    void backupName();

    void procCpuModel();
    void procLoadAverages_data();
    void procLoadAverages();
    void procMemory();
    void procUptime();
    void byteUsageShares_data();
    void byteUsageShares();

    void hostsParse();
    void requestHead_data();
    void requestHead();
    void requestHeadFields();
    void chunkedBody();
    void options_data();
    void options();
    void optionsDefaultDataDirIsBesideConfig();
    void configOwnerChoice();

    void routerMatchesAndDecodes();
    void routerTellsMissingFromWrongMethod();

    void configCreatedOwnerOnlyWithMarker();
    void configOfRealInstallationIsRefused();
    void configFolderIsRefused();
    void dataFolderOfSomeoneElseIsRefused();
    void dataFolderHasOneWriter();
    void logTailReturnsLastLines();
    void confinedWritesRefuseLinks();
};

void DevdRulesTest::plainComponent_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("plain");
    QTest::newRow("word") << "blog" << true;
    QTest::newRow("dots inside") << "my.site.v2" << true;
    QTest::newRow("leading dot") << ".hidden" << true;
    QTest::newRow("space inside") << "my site" << true;
    QTest::newRow("unicode") << QStringLiteral("caf\u00e9") << true;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("dot") << "." << false;
    QTest::newRow("dot dot") << ".." << false;
    QTest::newRow("slash") << "a/b" << false;
    QTest::newRow("climbing") << "../etc" << false;
    QTest::newRow("backslash") << "a\\b" << false;
    QTest::newRow("NUL") << QString(QStringLiteral("a") + QChar(0) + QStringLiteral("b")) << false;
    QTest::newRow("newline") << "a\nb" << false;
    QTest::newRow("255 bytes") << QString(255, u'x') << true;
    QTest::newRow("256 bytes") << QString(256, u'x') << false;
    QTest::newRow("128 two-byte chars") << QString(128, QChar(0xe9)) << false;
}

void DevdRulesTest::plainComponent() {
    QFETCH(QString, name);
    QFETCH(bool, plain);
    QCOMPARE(isPlainComponent(name), plain);
}

void DevdRulesTest::hostname_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("valid");
    QTest::newRow("single label") << "localhost" << true;
    QTest::newRow("project domain") << "my-site.test" << true;
    QTest::newRow("digits") << "123.example" << true;
    QTest::newRow("upper case") << "MySite.Local" << true;
    QTest::newRow("63-char label") << QString(63, u'a') + ".test" << true;
    QTest::newRow("64-char label") << QString(64, u'a') + ".test" << false;
    QTest::newRow("253 in all") << (QString(63, u'a') + "." + QString(63, u'b') + "." + QString(63, u'c') +
                                    "." + QString(61, u'd'))
                                << true;
    QTest::newRow("254 in all") << (QString(63, u'a') + "." + QString(63, u'b') + "." + QString(63, u'c') +
                                    "." + QString(62, u'd'))
                                << false;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("leading hyphen") << "-site.test" << false;
    QTest::newRow("trailing hyphen") << "site-.test" << false;
    QTest::newRow("empty label") << "site..test" << false;
    QTest::newRow("trailing dot") << "site.test." << false;
    QTest::newRow("underscore") << "my_site.test" << false;
    QTest::newRow("space") << "my site.test" << false;
    QTest::newRow("second name smuggled") << "a.test\nevil.test" << false;
}

void DevdRulesTest::hostname() {
    QFETCH(QString, name);
    QFETCH(bool, valid);
    QCOMPARE(isValidHostname(name), valid);
}

void DevdRulesTest::ipAddress_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::newRow("loopback") << "127.0.0.1" << true;
    QTest::newRow("private") << "192.168.1.20" << true;
    QTest::newRow("ipv6 loopback") << "::1" << true;
    QTest::newRow("ipv6 full") << "2001:db8::8a2e:370:7334" << true;
    QTest::newRow("short ipv4") << "127.1" << false;
    QTest::newRow("octet too big") << "256.0.0.1" << false;
    QTest::newRow("name") << "localhost" << false;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("padded") << " 127.0.0.1" << false;
    QTest::newRow("with host") << "127.0.0.1 evil.test" << false;
    QTest::newRow("any") << "0.0.0.0" << true;
    QTest::newRow("ipv4-mapped") << "::ffff:10.0.0.1" << true;
    // Resolvers read a leading zero as octal: 010.0.0.1 may mean 8.0.0.1.
    QTest::newRow("leading zero") << "010.0.0.1" << false;
    QTest::newRow("zone") << "fe80::1%eth0" << false;
    QTest::newRow("zone with line feed") << "::1%\n1.2.3.4 x.test" << false;
    QTest::newRow("trailing line feed") << "::1\n" << false;
    QTest::newRow("NUL") << QString(QStringLiteral("::1") + QChar(0)) << false;
    QTest::newRow("full-width digits") << QStringLiteral("\uff11\uff12\uff17.0.0.1") << false;
}

void DevdRulesTest::ipAddress() {
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QCOMPARE(isValidIpAddress(text), valid);
}

void DevdRulesTest::phpVersion_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::newRow("major") << "8" << true;
    QTest::newRow("minor") << "8.3" << true;
    QTest::newRow("patch") << "8.3.12" << true;
    QTest::newRow("four parts") << "8.3.1.2" << false;
    QTest::newRow("suffix") << "8.3-fpm" << false;
    QTest::newRow("empty part") << "8..3" << false;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("four digits") << "8.1000" << false;
    QTest::newRow("line feed") << "8.3\n" << false;
    QTest::newRow("NUL") << QString(QStringLiteral("8.3") + QChar(0)) << false;
    QTest::newRow("100 KB") << QString(100'000, u'8') << false;
}

void DevdRulesTest::phpVersion() {
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QCOMPARE(isPhpVersion(text), valid);
}

void DevdRulesTest::toolDomain_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("domain");
    QTest::newRow("plain") << "site"
                           << "site.test";
    QTest::newRow("underscore and case") << "My_Site"
                                         << "my-site.test";
    QTest::newRow("runs and edges") << "--a  b..c--"
                                    << "a-b-c.test";
    QTest::newRow("accented") << QStringLiteral("caf\u00e9") << "caf.test";
    QTest::newRow("nothing usable") << "___"
                                    << "project.test";
    QTest::newRow("long") << QString(70, u'a') << QString(63, u'a') + ".test";
}

void DevdRulesTest::toolDomain() {
    QFETCH(QString, name);
    QFETCH(QString, domain);
    QCOMPARE(ToolRoutes::domainFor(name), domain);
    QVERIFY(isValidHostname(domain));
}

void DevdRulesTest::cloneName_data() {
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("name");
    QTest::newRow("https .git") << "https://github.com/user/site.git"
                                << "site";
    QTest::newRow("https no suffix") << "https://example.org/user/site"
                                     << "site";
    QTest::newRow("trailing slash") << "https://example.org/user/site/"
                                    << "site";
    QTest::newRow("scp-like") << "git@example.org:user/tool.git"
                              << "tool";
    QTest::newRow("scp-like top") << "git@example.org:tool.git"
                                  << "tool";
    QTest::newRow("file url") << "file:///srv/repos/app.git"
                              << "app";
    QTest::newRow("local path") << "/tmp/work/repo"
                                << "repo";
    QTest::newRow("only .git") << "https://example.org/.git"
                               << "";
    QTest::newRow("dot dot") << "/tmp/.."
                             << "..";
}

void DevdRulesTest::cloneName() {
    QFETCH(QString, url);
    QFETCH(QString, name);
    QCOMPARE(ToolRoutes::cloneName(url), name);
}

void DevdRulesTest::backupName_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("valid");
    QTest::newRow("plain") << "backup-20240305-102030.tar.gz" << true;
    QTest::newRow("second in one second") << "backup-20240305-102030-2.tar.gz" << true;
    QTest::newRow("partial") << ".backup-20240305-102030.tar.gz.partial" << false;
    QTest::newRow("other file") << "hosts" << false;
    QTest::newRow("climbing") << "../backup-20240305-102030.tar.gz" << false;
    QTest::newRow("short date") << "backup-2024035-102030.tar.gz" << false;
}

void DevdRulesTest::backupName() {
    QFETCH(QString, name);
    QFETCH(bool, valid);
    QCOMPARE(BackupStore::isBackupName(name), valid);
}

void DevdRulesTest::procCpuModel() {
    const QByteArray x86 = "processor\t: 0\nvendor_id\t: AuthenticAMD\nmodel name\t: AMD EPYC 7B13\n"
                           "processor\t: 1\nmodel name\t: AMD EPYC 7B13\n";
    QCOMPARE(procfs::cpuModel(x86), QStringLiteral("AMD EPYC 7B13"));
    // ARM boards name the chip under "Hardware" and have no "model name".
    const QByteArray arm = "processor\t: 0\nBogoMIPS\t: 108.00\n\nHardware\t: BCM2835\nRevision\t: c03111\n";
    QCOMPARE(procfs::cpuModel(arm), QStringLiteral("BCM2835"));
    QCOMPARE(procfs::cpuModel("processor : 0\nmodel name :   \n"), QString());
    QCOMPARE(procfs::cpuModel(""), QString());
}

void DevdRulesTest::procLoadAverages_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QList<double>>("values");
    QTest::newRow("usual") << QByteArray("0.52 0.58 0.59 1/467 12345\n") << QList<double>{0.52, 0.58, 0.59};
    QTest::newRow("busy") << QByteArray("12.00 8.5 4.25 3/900 1\n") << QList<double>{12.0, 8.5, 4.25};
    QTest::newRow("too short") << QByteArray("0.52 0.58\n") << QList<double>{};
    QTest::newRow("garbage") << QByteArray("a b c d e") << QList<double>{};
    QTest::newRow("empty") << QByteArray() << QList<double>{};
}

void DevdRulesTest::procLoadAverages() {
    QFETCH(QByteArray, text);
    QFETCH(QList<double>, values);
    QCOMPARE(procfs::loadAverages(text), values);
}

void DevdRulesTest::procMemory() {
    const QByteArray modern = "MemTotal:       16000000 kB\nMemFree:         1000000 kB\n"
                              "MemAvailable:    4000000 kB\nBuffers:          100000 kB\n";
    const std::optional<ByteUsage> m = procfs::memory(modern);
    QVERIFY(m);
    QCOMPARE(m->total, 16000000LL * 1024);
    QCOMPARE(m->free, 4000000LL * 1024); // available, not the smaller MemFree
    QCOMPARE(m->used, 12000000LL * 1024);
    QCOMPARE(m->percentUsed, 75);

    // Kernels before 3.14 have no MemAvailable.
    const std::optional<ByteUsage> old = procfs::memory("MemTotal: 1000 kB\nMemFree: 250 kB\n");
    QVERIFY(old);
    QCOMPARE(old->free, 250LL * 1024);
    QCOMPARE(old->percentUsed, 75);

    QVERIFY(!procfs::memory("MemFree: 250 kB\n"));
    QVERIFY(!procfs::memory(""));
}

void DevdRulesTest::procUptime() {
    QCOMPARE(procfs::uptimeSeconds("1368.91 2500.12\n"), std::optional<qint64>(1368));
    QCOMPARE(procfs::uptimeSeconds("0.40 0.10"), std::optional<qint64>(0));
    QVERIFY(!procfs::uptimeSeconds("soon"));
    QVERIFY(!procfs::uptimeSeconds("-5 1"));
}

void DevdRulesTest::byteUsageShares_data() {
    QTest::addColumn<qint64>("total");
    QTest::addColumn<qint64>("free");
    QTest::addColumn<qint64>("used");
    QTest::addColumn<qint64>("percent");
    QTest::newRow("quarter used") << 400LL << 300LL << 100LL << 25LL;
    QTest::newRow("rounds half up") << 200LL << 199LL << 1LL << 1LL;
    QTest::newRow("rounds down") << 1000LL << 996LL << 4LL << 0LL;
    QTest::newRow("full") << 10LL << 0LL << 10LL << 100LL;
    QTest::newRow("zero total") << 0LL << 0LL << 0LL << 0LL;
    QTest::newRow("free above total is clamped") << 10LL << 20LL << 0LL << 0LL;
}

void DevdRulesTest::byteUsageShares() {
    QFETCH(qint64, total);
    QFETCH(qint64, free);
    QFETCH(qint64, used);
    QFETCH(qint64, percent);
    const ByteUsage u = byteUsage(total, free);
    QCOMPARE(u.total, total);
    QCOMPARE(u.used, used);
    QCOMPARE(u.percentUsed, percent);
    QCOMPARE(u.free + u.used, total);
}

void DevdRulesTest::hostsParse() {
    const QByteArray text = "# comment line\n"
                            "127.0.0.1\tlocalhost\n"
                            "\n"
                            "10.0.0.5   one.test two.test  # trailing comment\n"
                            "::1 localhost\n"
                            "lonely\n";
    const QList<DNSEntry> expected = {
        {"127.0.0.1", "localhost"}, {"10.0.0.5", "one.test"}, {"10.0.0.5", "two.test"}, {"::1", "localhost"}};
    QCOMPARE(HostsFile::parse(text), expected);
}

void DevdRulesTest::requestHead_data() {
    QTest::addColumn<QByteArray>("head");
    QTest::addColumn<int>("refusal"); // 0: parsed
    const QByteArray get = "GET /api/status HTTP/1.1\r\n";
    QTest::newRow("plain") << get + "Host: x\r\n\r\n" << 0;
    QTest::newRow("no fields") << get + "\r\n" << 0;
    QTest::newRow("HTTP/1.0") << QByteArray("GET / HTTP/1.0\r\n\r\n") << 0;
    QTest::newRow("HTTP/2.0") << QByteArray("GET / HTTP/2.0\r\n\r\n") << 505;
    QTest::newRow("no version") << QByteArray("GET /\r\n\r\n") << 400;
    QTest::newRow("absolute target") << QByteArray("GET http://x/ HTTP/1.1\r\n\r\n") << 400;
    QTest::newRow("two spaces") << QByteArray("GET  / HTTP/1.1\r\n\r\n") << 400;
    QTest::newRow("control in target") << QByteArray("GET /a\x01b HTTP/1.1\r\n\r\n") << 400;
    QTest::newRow("bare line feed") << get + "Host: x\nX: y\r\n\r\n" << 400;
    QTest::newRow("folded line") << get + "X: a\r\n b\r\n\r\n" << 400;
    QTest::newRow("space before colon") << get + "X : a\r\n\r\n" << 400;
    QTest::newRow("NUL in value") << get + QByteArray("X: a\0b\r\n\r\n", 10) << 400;
    QTest::newRow("CR in value") << get + "X: a\rb\r\n\r\n" << 400;
    QByteArray many = get;
    for (int i = 0; i < 101; ++i)
        many += "X-" + QByteArray::number(i) + ": 1\r\n";
    QTest::newRow("101 fields") << many + "\r\n" << 431;
}

void DevdRulesTest::requestHead() {
    QFETCH(QByteArray, head);
    QFETCH(int, refusal);
    const auto parsed = parseRequestHead(head);
    if (refusal == 0) {
        QVERIFY(std::holds_alternative<RequestHead>(parsed));
        return;
    }
    QVERIFY(std::holds_alternative<HttpRefusal>(parsed));
    QCOMPARE(std::get<HttpRefusal>(parsed).status, refusal);
    QVERIFY(!std::get<HttpRefusal>(parsed).message.isEmpty());
}

void DevdRulesTest::requestHeadFields() {
    auto parse = [](const QByteArray& head) { return std::get<RequestHead>(parseRequestHead(head)); };
    const RequestHead h = parse("POST /api/services/nginx/logs?lines=5&x=%20y HTTP/1.1\r\n"
                                "Authorization:   Bearer abc \r\nX-Twice: 1\r\nx-twice: 2\r\n"
                                "Content-Length: 7\r\n\r\n");
    QCOMPARE(h.method, QByteArray("POST"));
    QCOMPARE(h.path, QStringLiteral("/api/services/nginx/logs"));
    QCOMPARE(h.query.queryItemValue(QStringLiteral("lines")), QStringLiteral("5"));
    QCOMPARE(h.value("authorization"), QByteArray("Bearer abc"));
    QCOMPARE(h.value("x-twice"), QByteArray("1, 2"));
    QVERIFY(!h.closesAfter());
    QCOMPARE(std::get<LengthBody>(h.framing()).length, 7);

    // HTTP/1.0 closes unless asked not to; HTTP/1.1 closes when asked.
    QVERIFY(parse("GET / HTTP/1.0\r\n\r\n").closesAfter());
    QVERIFY(!parse("GET / HTTP/1.0\r\nConnection: Keep-Alive\r\n\r\n").closesAfter());
    QVERIFY(parse("GET / HTTP/1.1\r\nConnection: close\r\n\r\n").closesAfter());
    QVERIFY(parse("GET /ws HTTP/1.1\r\nUpgrade: WebSocket\r\nConnection: keep-alive, Upgrade\r\n\r\n")
                .isWebSocketUpgrade());
    QVERIFY(!parse("GET /ws HTTP/1.1\r\nUpgrade: websocket\r\n\r\n").isWebSocketUpgrade());

    // Framing: anything two parsers could read in two ways is refused.
    auto framing = [&](const QByteArray& fields) {
        return parse("POST / HTTP/1.1\r\n" + fields + "\r\n").framing();
    };
    QVERIFY(std::holds_alternative<NoBody>(framing("")));
    QVERIFY(std::holds_alternative<ChunkedBody>(framing("Transfer-Encoding: Chunked\r\n")));
    QCOMPARE(std::get<LengthBody>(framing("Content-Length: 5\r\nContent-Length: 5\r\n")).length, 5);
    QCOMPARE(std::get<HttpRefusal>(framing("Content-Length: 5\r\nContent-Length: 6\r\n")).status, 400);
    QCOMPARE(std::get<HttpRefusal>(framing("Content-Length: -1\r\n")).status, 400);
    QCOMPARE(std::get<HttpRefusal>(framing("Content-Length: 0x10\r\n")).status, 400);
    QCOMPARE(std::get<HttpRefusal>(framing("Content-Length: 99999999999999999999\r\n")).status, 400);
    QCOMPARE(std::get<HttpRefusal>(framing("Content-Length: 5\r\nTransfer-Encoding: chunked\r\n")).status,
             400);
    QCOMPARE(std::get<HttpRefusal>(framing("Transfer-Encoding: gzip, chunked\r\n")).status, 501);
}

void DevdRulesTest::chunkedBody() {
    // Two chunks, an extension and a trailer; the next request's bytes stay unread.
    QByteArray wire = "5;ext=1\r\nhello\r\n6\r\n world\r\n0\r\nX-Trailer: t\r\n\r\nGET / HTTP/1.1\r\n";
    QBuffer in(&wire);
    in.open(QIODevice::ReadOnly);
    ChunkedReader reader(1024);
    QCOMPARE(reader.readFrom(in), ChunkedReader::State::Done);
    QCOMPARE(reader.body(), QByteArray("hello world"));
    QCOMPARE(in.readAll(), QByteArray("GET / HTTP/1.1\r\n"));

    // Arriving in pieces: More until the end.
    QBuffer pieces;
    pieces.open(QIODevice::ReadWrite);
    ChunkedReader slow(1024);
    const QByteArray whole = "3\r\nabc\r\n0\r\n\r\n";
    for (qsizetype i = 0; i < whole.size(); ++i) {
        const qint64 at = pieces.pos();
        pieces.seek(pieces.size());
        pieces.write(whole.mid(i, 1));
        pieces.seek(at);
        QCOMPARE(slow.readFrom(pieces),
                 i + 1 == whole.size() ? ChunkedReader::State::Done : ChunkedReader::State::More);
    }
    QCOMPARE(slow.body(), QByteArray("abc"));

    auto outcome = [](QByteArray bytes, qint64 limit) {
        QBuffer b(&bytes);
        b.open(QIODevice::ReadOnly);
        ChunkedReader r(limit);
        return r.readFrom(b) == ChunkedReader::State::Failed ? r.refusal().status : 0;
    };
    QCOMPARE(outcome("5\r\nhello\r\n1\r\nx\r\n0\r\n\r\n", 5), 413); // over the limit in total
    QCOMPARE(outcome("fffffffffffffff\r\n", 1024), 413);
    QCOMPARE(outcome("zz\r\n", 1024), 400);
    QCOMPARE(outcome("3\r\nabcX\r\n", 1024), 400); // data longer than announced
    QCOMPARE(outcome("3\nabc\r\n0\r\n\r\n", 1024), 400);
    QCOMPARE(outcome(QByteArray(2000, '1'), 1024), 400); // a size line without end
}

void DevdRulesTest::options_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode"); // -1: a run
    QTest::addColumn<int>("port");
    QTest::newRow("none") << QStringList{} << -1 << 19400;
    QTest::newRow("ephemeral") << QStringList{"--port", "0"} << -1 << 0;
    QTest::newRow("port too big") << QStringList{"--port", "65536"} << 2 << 0;
    QTest::newRow("port not a number") << QStringList{"--port", "http"} << 2 << 0;
    QTest::newRow("fail with status") << QStringList{"--fail", "/api/status=503"} << -1 << 19400;
    QTest::newRow("fail without status") << QStringList{"--fail", "/api/status"} << 2 << 0;
    QTest::newRow("fail status out of range") << QStringList{"--fail", "/api/status=99"} << 2 << 0;
    QTest::newRow("negative delay") << QStringList{"--delay-ms", "-1"} << 2 << 0;
    QTest::newRow("close-ws not a number") << QStringList{"--close-ws-after", "soon"} << 2 << 0;
    QTest::newRow("stray argument") << QStringList{"serve"} << 2 << 0;
    QTest::newRow("unknown option") << QStringList{"--verbose"} << 2 << 0;
    QTest::newRow("help") << QStringList{"--help"} << 0 << 0;
    QTest::newRow("idle timeout") << QStringList{"--idle-timeout", "0.5"} << -1 << 19400;
    QTest::newRow("idle timeout zero") << QStringList{"--idle-timeout", "0"} << 2 << 0;
    QTest::newRow("idle timeout not a number") << QStringList{"--idle-timeout", "soon"} << 2 << 0;
    QTest::newRow("figures still") << QStringList{"--figures", "still"} << -1 << 19400;
    QTest::newRow("figures unknown") << QStringList{"--figures", "random"} << 2 << 0;
    QTest::newRow("owner by name") << QStringList{"--owner", "root"} << -1 << 19400;
    QTest::newRow("owner by uid") << QStringList{"--owner", "0"} << -1 << 19400;
    QTest::newRow("owner unknown") << QStringList{"--owner", "no-such-user-here"} << 2 << 0;
}

void DevdRulesTest::options() {
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(int, port);
    arguments.prepend(QStringLiteral("brevant-devd"));
    const ParsedOptions parsed = parseOptions(arguments);
    if (exitCode >= 0) {
        QVERIFY(std::holds_alternative<OptionsExit>(parsed));
        QCOMPARE(std::get<OptionsExit>(parsed).exitCode, exitCode);
        QVERIFY(!std::get<OptionsExit>(parsed).text.isEmpty());
        return;
    }
    QVERIFY(std::holds_alternative<DevdOptions>(parsed));
    QCOMPARE(std::get<DevdOptions>(parsed).port, port);
}

void DevdRulesTest::optionsDefaultDataDirIsBesideConfig() {
    const ParsedOptions parsed =
        parseOptions({"brevant-devd", "--config", "/srv/x/brevant.config.json", "--fail", "status=500",
                      "--fail", "/ws=403", "--close-ws-after", "0.25", "--delay-ms", "40"});
    QVERIFY(std::holds_alternative<DevdOptions>(parsed));
    const DevdOptions& o = std::get<DevdOptions>(parsed);
    QCOMPARE(o.effectiveDataDir(), QStringLiteral("/srv/x/devd-data"));
    QCOMPARE(o.failures.value(QStringLiteral("/status")), 500); // normalised to a leading slash
    QCOMPARE(o.failures.value(QStringLiteral("/ws")), 403);
    QCOMPARE(o.closeWebSocketsAfter, std::optional<std::chrono::milliseconds>(250));
    QCOMPARE(o.delay, std::chrono::milliseconds(40));
    QCOMPARE(DevdOptions{}.effectiveDataDir(), QStringLiteral("/opt/brevant/devd-data"));
    QCOMPARE(o.idleTimeout, std::chrono::milliseconds(30'000));
    QCOMPARE(o.figures, FigureMode::Real);
    QVERIFY(!o.owner);

    const auto other = std::get<DevdOptions>(
        parseOptions({"brevant-devd", "--idle-timeout", "0.25", "--figures", "changing", "--owner", "root"}));
    QCOMPARE(other.idleTimeout, std::chrono::milliseconds(250));
    QCOMPARE(other.figures, FigureMode::Changing);
    QCOMPARE(other.owner, std::optional<FileOwner>(FileOwner{0, 0}));
}

void DevdRulesTest::configOwnerChoice() {
    const FileOwner alice{1000, 1000}, bob{1001, 1002};
    auto choose = [](std::optional<FileOwner> requested, std::optional<FileOwner> sudo, uid_t euid,
                     std::optional<FileOwner>* chosen) {
        QString why;
        return chooseConfigOwner(requested, sudo, euid, chosen, &why);
    };
    std::optional<FileOwner> chosen;
    QVERIFY(choose(alice, bob, 0, &chosen)); // --owner wins over sudo
    QCOMPARE(chosen, std::optional<FileOwner>(alice));
    QVERIFY(choose(std::nullopt, bob, 0, &chosen)); // through sudo: the invoking user
    QCOMPARE(chosen, std::optional<FileOwner>(bob));
    QVERIFY(choose(std::nullopt, std::nullopt, 0, &chosen)); // plain root keeps the file
    QVERIFY(!chosen);
    QVERIFY(choose(std::nullopt, bob, 1000, &chosen)); // sudo -u alice: alice's own file
    QVERIFY(!chosen);
    QVERIFY(choose(alice, std::nullopt, 1000, &chosen)); // naming oneself asks for nothing
    QVERIFY(!chosen);
    QVERIFY(!choose(bob, std::nullopt, 1000, &chosen)); // only root gives files away

    QCOMPARE(sudoInvoker("1000", "1002"), std::optional<FileOwner>(FileOwner{1000, 1002}));
    QVERIFY(!sudoInvoker("0", "0")); // sudo from a root shell
    QVERIFY(!sudoInvoker("", ""));
    QVERIFY(!sudoInvoker("1000", "x"));
}

static bool put(const QString& path, const QByteArray& bytes) {
    QString why;
    return writeFileAtomically(path, bytes, false, &why);
}

static Reply run(const Router& router, const QByteArray& method, const QString& path) {
    Request r;
    r.method = method;
    r.path = path;
    return QCoro::waitFor(router.dispatch(r));
}

void DevdRulesTest::routerMatchesAndDecodes() {
    Router router;
    QString seen;
    router.add("GET", QStringLiteral("/services/:name/logs"), Router::immediate([&](const Request& r) {
                   seen = r.params.value(QStringLiteral("name"));
                   return Reply{200, "logs"};
               }));
    router.add("POST", QStringLiteral("/services/start-all"), Router::immediate([](const Request&) {
                   return Reply{200, "all"};
               }));

    QCOMPARE(run(router, "GET", "/services/php-fpm/logs").body, QByteArray("logs"));
    QCOMPARE(seen, QStringLiteral("php-fpm"));
    // A segment arrives decoded, so a handler sees what the client meant, "/" included.
    QCOMPARE(run(router, "GET", "/services/a%2F..%2Fb/logs").status, 200);
    QCOMPARE(seen, QStringLiteral("a/../b"));
    QCOMPARE(run(router, "POST", "/services/start-all").body, QByteArray("all"));
}

void DevdRulesTest::routerTellsMissingFromWrongMethod() {
    Router router;
    router.add("DELETE", QStringLiteral("/vhosts/:id"), Router::immediate([](const Request&) {
                   return Reply{200, {}};
               }));
    QCOMPARE(run(router, "GET", "/vhosts/abc").status, 405);
    QCOMPARE(run(router, "DELETE", "/vhosts").status, 404);
    QCOMPARE(run(router, "DELETE", "/vhosts/").status, 404);   // an empty segment is no id
    QCOMPARE(run(router, "DELETE", "/vhosts//x").status, 404); // nor is a doubled slash one
    QCOMPARE(run(router, "DELETE", "/vhosts/abc/x").status, 404);
    const Reply missing = run(router, "GET", "/nothing");
    const auto envelope = json::decode<APIResponse<EmptyRequest>>(missing.body);
    QVERIFY(envelope);
    QVERIFY(!envelope->success);
    QCOMPARE(envelope->error->code, std::optional<QString>(QStringLiteral("NOT_FOUND")));
}

void DevdRulesTest::configCreatedOwnerOnlyWithMarker() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("nested/folder/brevant.config.json"));
    QString why;
    const std::optional<QString> token = loadOrCreateToken(path, &why);
    QVERIFY2(token, qPrintable(why));
    QCOMPARE(token->size(), 64);
    // The owner, group and other bits (the "user" bits only mirror one of them).
    const QFileDevice::Permissions modeBits(0x7077);
    QCOMPARE(QFile::permissions(path) & modeBits, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QJsonObject object = QJsonDocument::fromJson(file.readAll()).object();
    QCOMPARE(object.value(QStringLiteral("authToken")).toString(), *token);
    QCOMPARE(object.value(QLatin1StringView(kMarkerKey)).toString(), QLatin1StringView(kMarkerValue));
    // The client reads the same file: its record must decode.
    file.seek(0);
    QCOMPARE(json::decode<BrevantConfig>(file.readAll())->authToken, *token);

    // A second start reuses the token instead of replacing it.
    QCOMPARE(loadOrCreateToken(path, &why), token);
}

void DevdRulesTest::configOfRealInstallationIsRefused() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("brevant.config.json"));
    const QByteArray real = "{\"authToken\":\"real-secret\",\"port\":19400}";
    QVERIFY(put(path, real));
    QString why;
    QVERIFY(!loadOrCreateToken(path, &why));
    QVERIFY2(why.contains(QStringLiteral("not created by brevant-devd")), qPrintable(why));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), real); // untouched

    // Not JSON at all is not ours either.
    QVERIFY(put(path, "garbage"));
    QVERIFY(!loadOrCreateToken(path, &why));
    // Ours, but without a token: refused rather than silently given a new one.
    QVERIFY(put(path, "{\"createdBy\":\"brevant-devd\"}"));
    QVERIFY(!loadOrCreateToken(path, &why));
    QVERIFY(why.contains(QStringLiteral("no authToken")));
}

void DevdRulesTest::configFolderIsRefused() {
    QTemporaryDir dir;
    QString why;
    QVERIFY(!loadOrCreateToken(dir.path(), &why));
    QVERIFY(why.contains(QStringLiteral("folder")));
}

void DevdRulesTest::dataFolderOfSomeoneElseIsRefused() {
    QTemporaryDir dir;
    QVERIFY(put(dir.filePath(QStringLiteral("thesis.txt")), "mine"));
    QString why;
    QVERIFY(!StateStore(dir.path()).prepare(&why));
    QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("www"))));

    // An empty folder is taken over, and then reopened on the next start.
    QTemporaryDir empty;
    QVERIFY(StateStore(empty.path()).prepare(&why));
    QVERIFY(QFileInfo(empty.filePath(QStringLiteral("www"))).isDir());
    QVERIFY(StateStore(empty.path()).prepare(&why));
}

void DevdRulesTest::dataFolderHasOneWriter() {
    QTemporaryDir dir;
    QString why;
    auto first = std::make_unique<StateStore>(dir.path());
    QVERIFY(first->prepare(&why));
    StateStore second(dir.path());
    QVERIFY(!second.prepare(&why));
    QVERIFY2(why.contains(QStringLiteral("in use")), qPrintable(why));
    first.reset(); // released when the first one stops
    QVERIFY2(second.prepare(&why), qPrintable(why));
}

void DevdRulesTest::logTailReturnsLastLines() {
    QTemporaryDir dir;
    StateStore store(dir.path());
    QString why;
    QVERIFY(store.prepare(&why));
    ActivityLog activity(store);
    ServiceSimulator services(store, activity);
    QVERIFY(services.load(&why));
    for (int i = 0; i < 3; ++i)
        QVERIFY(services.apply(QStringLiteral("redis"), ServiceSimulator::Action::Restart, &why));
    // opened + three restarts
    QCOMPARE(services.tail(QStringLiteral("redis"), 100).count(u'\n'), 4);
    const QString two = services.tail(QStringLiteral("redis"), 2);
    QCOMPARE(two.count(u'\n'), 2);
    QVERIFY(two.endsWith(QStringLiteral("restarted (simulated, port 6379)\n")));
    QVERIFY(!two.contains(QStringLiteral("log opened")));
    QCOMPARE(services.tail(QStringLiteral("redis"), 0), QString());
    QCOMPARE(services.tail(QStringLiteral("apache"), 1).count(u'\n'), 1);
}

void DevdRulesTest::confinedWritesRefuseLinks() {
    QTemporaryDir dir, outside;
    const QString root = dir.path();
    const QString victim = outside.filePath(QStringLiteral("victim.txt"));
    QVERIFY(put(victim, "precious"));
    QString why;
    QVERIFY(confined::makeFolders(root, QStringLiteral("www/site"), &why));
    QVERIFY(confined::writeFile(root, QStringLiteral("www/site/a.txt"), "one", true, &why));
    QCOMPARE(QFile::permissions(root + "/www/site/a.txt") & QFileDevice::Permissions(0x7077),
             QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QVERIFY(confined::writeFile(root, QStringLiteral("www/site/a.txt"), "two", false, &why)); // replaced
    QVERIFY(confined::appendToFile(root, QStringLiteral("www/site/a.txt"), "+", &why));
    QFile a(root + "/www/site/a.txt");
    QVERIFY(a.open(QIODevice::ReadOnly));
    QCOMPARE(a.readAll(), QByteArray("two+"));
    QCOMPARE(QDir(root + "/www/site").entryList(QDir::Hidden | QDir::Files), QStringList{"a.txt"});

    // A link as the file, as a folder on the way, or as the folder to make: refused, never followed.
    QVERIFY(QFile::link(victim, root + "/www/site/notice.txt"));
    QVERIFY(QFile::link(outside.path(), root + "/www/linked"));
    QVERIFY(!confined::writeFile(root, QStringLiteral("www/site/notice.txt"), "x", false, &why));
    QVERIFY2(why.contains(QStringLiteral("symbolic link")), qPrintable(why));
    QVERIFY(!confined::appendToFile(root, QStringLiteral("www/site/notice.txt"), "x", &why));
    QVERIFY(!confined::writeFile(root, QStringLiteral("www/linked/victim.txt"), "x", false, &why));
    QVERIFY(!confined::appendToFile(root, QStringLiteral("www/linked/new.txt"), "x", &why));
    QVERIFY(!confined::makeFolders(root, QStringLiteral("www/linked"), &why));
    QVERIFY(!confined::makeFolders(root, QStringLiteral("www/linked/sub"), &why));
    QVERIFY(!confined::isLinkFree(root, QStringLiteral("www/linked"), &why));
    QVERIFY(!confined::isLinkFree(root, QStringLiteral("www/site/notice.txt"), &why));
    QVERIFY(confined::isLinkFree(root, QStringLiteral("www/site/a.txt"), &why));
    QVERIFY(confined::isLinkFree(root, QStringLiteral("www/missing/deeper"), &why));
    QFile v(victim);
    QVERIFY(v.open(QIODevice::ReadOnly));
    QCOMPARE(v.readAll(), QByteArray("precious"));
    QCOMPARE(QDir(outside.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"victim.txt"});

    // Paths that climb or are not plain are refused before anything is opened.
    for (const char* bad : {"../x", "www/../../x", "/etc/passwd", "www//x", ""})
        QVERIFY2(!confined::writeFile(root, QLatin1StringView(bad), "x", false, &why), bad);
}

QTEST_GUILESS_MAIN(DevdRulesTest)
#include "DevdRulesTest.moc"
