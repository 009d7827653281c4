// brevant-hostile-peer: a daemon stand-in that misbehaves on purpose, for measuring how the panel
// holds up. It listens on 127.0.0.1 (port 19400 unless told), answers /api/status,
// /api/system/info, /api/config, /api/vhosts, /api/databases, the service actions and the logs
// of the seven known services like the daemon, and accepts the live channel at /ws with any token.
//
//     brevant-hostile-peer [--port N] [--after SECONDS] [--for SECONDS] [--log 1] MODE [VALUE]
//
// MODE (VALUE's default in brackets):
//     normal                 behaves well
//     endless-reply          /api/status, /api/system/info and the logs: a reply that never ends,
//                            sent as fast as it is read
//     endless-message        /ws: the upgrade, then one text message that never ends (fragments)
//     endless-frame          /ws: the upgrade, then one text frame announced with an endless length
//     flood [10000]          /ws: that many text messages a second to every open channel
//     trickle                every reply goes out one byte a second, head included
//     chunked [500]          /api/status: a chunked reply of that many MiB, sent as fast as read
//     services [20000]       /api/status lists that many services
//     long-log-line [5]      every log reply is one line of that many MiB
//     slow [4000]            /api/status and /api/system/info answered after that many ms
// --after SECONDS: behave that long first (a panel starts up and polls), then misbehave; open
// channels are closed then when the mode is about the channel, so that they reconnect into it.
// --for SECONDS: misbehave for that long, then behave (replies already under way carry on as
// they started: a trickle keeps trickling, an endless reply keeps streaming).
// --log 1: print every request as it arrives ("<ms> GET /api/status", milliseconds since the
// start) and the moments it starts to misbehave and to behave ("<ms> misbehaving", "<ms> behaving").

#include "FakeDaemon.h"
#include "TestSupport.h"

#include <QCoreApplication>
#include <QTimer>

#include <cstdio>

using namespace brevant::test;
using namespace std::chrono_literals;

namespace {

const char* const kServices[] = {"apache", "nginx", "mariadb", "php-fpm", "pm2", "mailhog", "redis"};

struct Route {
    QByteArray method;
    QByteArray target;
    FakeDaemon::Reply reply;
};

QByteArray logData(const QByteArray& service, const QByteArray& content) {
    return "{\"service\":\"" + service + "\",\"logPath\":\"/opt/brevant/logs/" + service +
           ".log\",\"content\":\"" + content + "\"}";
}

QList<Route> goodRoutes() {
    QList<Route> routes = {
        {"GET", "/api/status", {200, FakeDaemon::envelope(sevenServicesJson())}},
        {"GET",
         "/api/system/info",
         {200, FakeDaemon::envelope(systemInfoJson(
                   {8, {1.5, 1.0, 0.9}, 17179869184, 12884901888, 75, 500000000000, 212000000000, 58}))}},
        {"GET", "/api/config", {200, FakeDaemon::envelope(configJson())}},
        {"GET", "/api/vhosts", {200, FakeDaemon::envelope("{\"projects\":[],\"count\":0}")}},
        {"GET",
         "/api/databases",
         {200,
          FakeDaemon::envelope("{\"connection\":{\"host\":\"127.0.0.1\",\"port\":3306,\"user\":\"root\"}}")}},
        {"POST", "/api/services/start-all", {200, FakeDaemon::envelope(sevenServicesJson())}},
        {"POST", "/api/services/stop-all", {200, FakeDaemon::envelope(sevenServicesJson())}},
    };
    for (const char* name : kServices) {
        const QByteArray base = "/api/services/" + QByteArray(name);
        const QByteArray started = FakeDaemon::envelope("{\"service\":\"" + QByteArray(name) + "\"}");
        routes.push_back({"POST", base + "/start", {200, started}});
        routes.push_back({"POST", base + "/restart", {200, started}});
        routes.push_back({"POST",
                          base + "/stop",
                          {200, FakeDaemon::envelope("{\"service\":\"" + QByteArray(name) +
                                                     "\",\"status\":\"stopped\"}")}});
        routes.push_back(
            {"GET", base + "/logs", {200, FakeDaemon::envelope(logData(name, "started\\nlistening\\n"))}});
    }
    return routes;
}

bool isLog(const Route& r) {
    return r.target.endsWith("/logs");
}

void install(FakeDaemon& peer, const QList<Route>& routes) {
    for (const Route& r : routes)
        peer.setReply(r.method, r.target, r.reply);
}

int usage() {
    std::fputs(
        "usage: brevant-hostile-peer [--port N] [--after SECONDS] [--for SECONDS] [--log 1] MODE [VALUE]\n"
        "modes: normal, endless-reply, endless-message, endless-frame, flood [per second],\n"
        "       trickle, chunked [MiB], services [count], long-log-line [MiB], slow [ms]\n",
        stderr);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments();
    args.removeFirst();
    quint16 port = 19400;
    int hostileSeconds = 0;
    int goodSeconds = 0;
    bool logRequests = false;
    while (args.size() >= 2 && args.first().startsWith(QStringLiteral("--"))) {
        const QString option = args.takeFirst();
        const int value = args.takeFirst().toInt();
        if (option == QLatin1StringView("--port"))
            port = quint16(value);
        else if (option == QLatin1StringView("--for"))
            hostileSeconds = value;
        else if (option == QLatin1StringView("--after"))
            goodSeconds = value;
        else if (option == QLatin1StringView("--log"))
            logRequests = value != 0;
        else
            return usage();
    }
    if (args.isEmpty())
        return usage();
    const QString mode = args.takeFirst();
    const bool hasValue = !args.isEmpty();
    const qint64 value = hasValue ? args.first().toLongLong() : 0;

    FakeDaemon peer;
    // A long run keeps no record; a logging one prints each request and forgets it.
    peer.setRecording(logRequests);
    if (logRequests)
        QObject::connect(&peer, &FakeDaemon::requestReceived, &peer, [&peer] {
            const FakeDaemon::Request& r = peer.requests().constLast();
            std::printf("%lld %s %s\n", r.atMs, r.method.constData(), r.target.constData());
            std::fflush(stdout);
            peer.clearRequests();
        });
    const QList<Route> good = goodRoutes();
    QList<Route> routes = good;
    auto channel = FakeDaemon::EndlessChannel::Off;
    QTimer flood;
    bool floods = false;

    if (mode == QLatin1StringView("normal")) {
    } else if (mode == QLatin1StringView("endless-reply")) {
        for (Route& r : routes)
            if (r.target == "/api/status" || r.target == "/api/system/info" || isLog(r))
                r.reply.streamBytes = FakeDaemon::kEndless;
    } else if (mode == QLatin1StringView("endless-message")) {
        channel = FakeDaemon::EndlessChannel::Fragments;
    } else if (mode == QLatin1StringView("endless-frame")) {
        channel = FakeDaemon::EndlessChannel::OneFrame;
    } else if (mode == QLatin1StringView("flood")) {
        const qint64 perSecond = hasValue ? value : 10'000;
        QObject::connect(&flood, &QTimer::timeout, &peer, [&peer, perSecond] {
            for (qint64 i = 0; i < perSecond / 100; ++i)
                peer.pushText(QStringLiteral("{\"event\":\"services\"}"));
        });
        flood.setInterval(10);
        floods = true;
    } else if (mode == QLatin1StringView("trickle")) {
        for (Route& r : routes)
            r.reply.tricklePause = 1s;
    } else if (mode == QLatin1StringView("chunked")) {
        routes.first().reply.streamBytes = (hasValue ? value : 500) * 1024 * 1024;
    } else if (mode == QLatin1StringView("services")) {
        routes.first().reply.body = FakeDaemon::envelope(manyServicesJson(int(hasValue ? value : 20'000)));
    } else if (mode == QLatin1StringView("long-log-line")) {
        const QByteArray pattern = "GET /index.php HTTP/1.1 200 ";
        QByteArray line;
        const qint64 size = (hasValue ? value : 5) * 1024 * 1024;
        while (line.size() < size)
            line += pattern;
        line.truncate(size);
        for (Route& r : routes)
            if (isLog(r))
                r.reply.body = FakeDaemon::envelope(logData(r.target.split('/').value(3), line));
    } else if (mode == QLatin1StringView("slow")) {
        for (Route& r : routes)
            if (r.target == "/api/status" || r.target == "/api/system/info")
                r.reply.delay = std::chrono::milliseconds(hasValue ? value : 4000);
    } else {
        return usage();
    }
    const auto say = [&](const char* what) {
        if (logRequests)
            std::printf("%lld %s\n", peer.elapsedMs(), what);
        else
            std::printf("brevant-hostile-peer: %s from now on\n", what);
        std::fflush(stdout);
    };
    const auto misbehave = [&] {
        install(peer, routes);
        peer.setEndlessChannel(channel);
        if (channel != FakeDaemon::EndlessChannel::Off)
            peer.closeWebSockets();
        if (floods)
            flood.start();
        say("misbehaving");
    };
    const auto behave = [&] {
        flood.stop();
        peer.setEndlessChannel(FakeDaemon::EndlessChannel::Off);
        install(peer, good);
        say("behaving");
    };
    install(peer, good);

    if (!peer.start(port)) {
        std::fprintf(stderr, "brevant-hostile-peer: cannot listen on 127.0.0.1:%u\n", unsigned(port));
        return 1;
    }
    std::printf("brevant-hostile-peer: %s on 127.0.0.1:%u\n", qPrintable(mode), unsigned(port));
    std::fflush(stdout);
    if (goodSeconds > 0)
        QTimer::singleShot(std::chrono::seconds(goodSeconds), Qt::PreciseTimer, &peer, misbehave);
    else
        misbehave();
    if (hostileSeconds > 0)
        QTimer::singleShot(std::chrono::seconds(goodSeconds + hostileSeconds), Qt::PreciseTimer, &peer,
                           behave);
    return app.exec();
}
