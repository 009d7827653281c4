// devd-load: a bounded measurement of a daemon on loopback. First the latency of single GET
// /api/status requests one after another, then a fixed request rate held for a while over a few
// keep-alive connections, counting every answer that is not a 200.
//
//   devd-load --port N --config PATH [--rate 500] [--seconds 10] [--connections 4] [--path /api/status]

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <deque>
#include <memory>
#include <vector>

namespace {

// One keep-alive connection that sends a request when asked and parses the answers.
class Connection : public QObject {
public:
    Connection(quint16 port, QByteArray request) : m_request(std::move(request)) {
        m_socket.connectToHost(QStringLiteral("127.0.0.1"), port);
        connect(&m_socket, &QTcpSocket::readyRead, this, [this] { read(); });
        connect(&m_socket, &QTcpSocket::disconnected, this, [this] { m_broken = true; });
    }
    bool waitConnected() { return m_socket.waitForConnected(2000); }
    bool idle() const { return m_sentAt.empty() && !m_broken; }
    bool broken() const { return m_broken; }

    void send(qint64 nowNs) {
        m_sentAt.push_back(nowNs);
        m_socket.write(m_request);
    }

    std::function<void(qint64 latencyNs, int status)> onAnswer;
    QElapsedTimer* clock = nullptr;

private:
    void read() {
        m_buffer += m_socket.readAll();
        for (;;) {
            const qsizetype headEnd = m_buffer.indexOf("\r\n\r\n");
            if (headEnd < 0)
                return;
            const QByteArray head = m_buffer.left(headEnd);
            const qsizetype lengthAt = head.toLower().indexOf("content-length:");
            const qint64 length = lengthAt < 0
                                      ? 0
                                      : head.mid(lengthAt + 15, head.indexOf('\r', lengthAt) - lengthAt - 15)
                                            .trimmed()
                                            .toLongLong();
            if (m_buffer.size() < headEnd + 4 + length)
                return;
            const int status = head.mid(9, 3).toInt();
            m_buffer.remove(0, headEnd + 4 + length);
            const qint64 sent = m_sentAt.front();
            m_sentAt.pop_front();
            if (onAnswer)
                onAnswer(clock->nsecsElapsed() - sent, status);
        }
    }

    QTcpSocket m_socket;
    QByteArray m_request;
    QByteArray m_buffer;
    std::deque<qint64> m_sentAt;
    bool m_broken = false;
};

double percentile(std::vector<qint64> v, double p) {
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const size_t i = std::min(v.size() - 1, static_cast<size_t>(p * static_cast<double>(v.size() - 1) + 0.5));
    return static_cast<double>(v[i]) / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption port("port", "Daemon port on 127.0.0.1.", "N", "19400");
    const QCommandLineOption config("config", "Configuration file with authToken.", "PATH",
                                    "/opt/brevant/brevant.config.json");
    const QCommandLineOption rate("rate", "Requests per second in the held phase.", "N", "500");
    const QCommandLineOption seconds("seconds", "Length of the held phase (at most 60).", "S", "10");
    const QCommandLineOption connections("connections", "Keep-alive connections.", "N", "4");
    const QCommandLineOption sequential("sequential", "Requests in the latency phase.", "N", "2000");
    const QCommandLineOption path("path", "Path to request.", "PATH", "/api/status");
    parser.addOptions({port, config, rate, seconds, connections, sequential, path});
    parser.process(app);

    QFile file(parser.value(config));
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "devd-load: cannot read %s\n", qPrintable(file.fileName()));
        return 1;
    }
    const QByteArray token =
        QJsonDocument::fromJson(file.readAll()).object().value("authToken").toString().toUtf8();
    const quint16 p = static_cast<quint16>(parser.value(port).toUInt());
    const QByteArray request = "GET " + parser.value(path).toUtf8() +
                               " HTTP/1.1\r\nHost: 127.0.0.1\r\nAuthorization: Bearer " + token +
                               "\r\nConnection: keep-alive\r\n\r\n";
    const int perSecond = std::max(1, parser.value(rate).toInt());
    const int heldSeconds = std::clamp(parser.value(seconds).toInt(), 1, 60);
    const int connectionCount = std::clamp(parser.value(connections).toInt(), 1, 64);
    const int sequentialCount = std::clamp(parser.value(sequential).toInt(), 10, 100000);

    QElapsedTimer clock;
    clock.start();

    // Phase 1: one request at a time on one connection.
    std::vector<qint64> single;
    int singleErrors = 0;
    {
        Connection c(p, request);
        c.clock = &clock;
        if (!c.waitConnected()) {
            std::fprintf(stderr, "devd-load: cannot connect to 127.0.0.1:%u\n", p);
            return 1;
        }
        QTimer::singleShot(30'000, &app, [&] { app.exit(2); });
        c.onAnswer = [&](qint64 ns, int status) {
            single.push_back(ns);
            if (status != 200)
                ++singleErrors;
            if (static_cast<int>(single.size()) < sequentialCount)
                c.send(clock.nsecsElapsed());
            else
                app.exit(0);
        };
        c.send(clock.nsecsElapsed());
        if (app.exec() != 0) {
            std::fprintf(stderr, "devd-load: the latency phase did not finish\n");
            return 1;
        }
    }
    std::printf("sequential: %zu requests, median %.3f ms, p90 %.3f ms, p99 %.3f ms, errors %d\n",
                single.size(), percentile(single, 0.5), percentile(single, 0.9), percentile(single, 0.99),
                singleErrors);

    // Phase 2: a fixed rate, spread over the connections, for the given time.
    std::vector<std::unique_ptr<Connection>> pool;
    std::vector<qint64> held;
    int heldErrors = 0;
    int sent = 0;
    int skipped = 0; // ticks where every connection was still busy
    for (int i = 0; i < connectionCount; ++i) {
        auto c = std::make_unique<Connection>(p, request);
        c->clock = &clock;
        if (!c->waitConnected()) {
            std::fprintf(stderr, "devd-load: cannot open connection %d\n", i);
            return 1;
        }
        c->onAnswer = [&](qint64 ns, int status) {
            held.push_back(ns);
            if (status != 200)
                ++heldErrors;
        };
        pool.push_back(std::move(c));
    }
    const qint64 start = clock.nsecsElapsed();
    const qint64 interval = 1'000'000'000LL / perSecond;
    const int total = perSecond * heldSeconds;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(1);
    QObject::connect(&ticker, &QTimer::timeout, &app, [&] {
        const qint64 now = clock.nsecsElapsed();
        while (sent < total && start + sent * interval <= now) {
            auto it = std::find_if(pool.begin(), pool.end(), [](const auto& c) { return c->idle(); });
            if (it == pool.end())
                (*std::min_element(pool.begin(), pool.end(),
                                   [](const auto& a, const auto& b) { return a->broken() < b->broken(); }))
                    ->send(now),
                    ++skipped;
            else
                (*it)->send(now);
            ++sent;
        }
        const bool anyBroken =
            std::any_of(pool.begin(), pool.end(), [](const auto& c) { return c->broken(); });
        if (anyBroken || (sent == total && static_cast<int>(held.size()) == total))
            app.exit(anyBroken ? 3 : 0);
    });
    ticker.start();
    QTimer::singleShot((heldSeconds + 10) * 1000, &app, [&] { app.exit(4); });
    const int code = app.exec();
    const double elapsed = static_cast<double>(clock.nsecsElapsed() - start) / 1e9;
    std::printf("held: %d requests sent at %d/s over %d connections in %.2f s, %zu answered, median %.3f ms, "
                "p99 %.3f ms, max %.3f ms, non-200 %d, pipelined %d%s\n",
                sent, perSecond, connectionCount, elapsed, held.size(), percentile(held, 0.5),
                percentile(held, 0.99), percentile(held, 1.0), heldErrors, skipped,
                code == 0 ? "" : " (ABORTED)");
    return code == 0 && heldErrors == 0 && singleErrors == 0 ? 0 : 1;
}
