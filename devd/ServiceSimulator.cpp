#include "ServiceSimulator.h"

#include "Names.h"

#include <QFile>

#include <algorithm>
#include <cstdio>

namespace brevant::devd {

ServiceSimulator::ServiceSimulator(const StateStore& store, ActivityLog& activity)
    : m_store(store), m_activity(activity) {}

const QList<ServiceDefinition>& ServiceSimulator::definitions() {
    static const QList<ServiceDefinition> list = {
        {QStringLiteral("apache"), 8080},  {QStringLiteral("nginx"), 8081}, {QStringLiteral("mariadb"), 3306},
        {QStringLiteral("php-fpm"), 9000}, {QStringLiteral("pm2"), 9615},   {QStringLiteral("mailhog"), 8025},
        {QStringLiteral("redis"), 6379},
    };
    return list;
}

std::optional<qint64> ServiceSimulator::portOf(const QString& name) {
    for (const ServiceDefinition& d : definitions()) {
        if (d.name == name)
            return d.port;
    }
    return std::nullopt;
}

bool ServiceSimulator::load(QString* why) {
    std::optional<File> file = m_store.load<File>(QStringLiteral("services"), why);
    if (!why->isEmpty())
        return false;
    for (const ServiceDefinition& d : definitions())
        m_states.insert(d.name, State{});
    if (file) {
        for (const Entry& e : file->services) {
            if (!m_states.contains(e.name))
                continue; // a service this version no longer knows
            State& s = m_states[e.name];
            s.running = e.running;
            if (e.startedAt)
                s.startedAt = QDateTime::fromString(*e.startedAt, Qt::ISODateWithMs);
            if (s.running && !s.startedAt.isValid())
                s.startedAt = QDateTime::currentDateTimeUtc();
        }
    }
    for (const ServiceDefinition& d : definitions()) {
        if (!QFile::exists(logPath(d.name)))
            appendLog(d.name,
                      QStringLiteral("log opened; brevant-devd simulates this service, no program runs"));
    }
    return true;
}

QList<ServiceStatus> ServiceSimulator::statuses() const {
    QList<ServiceStatus> list;
    list.reserve(definitions().size());
    for (const ServiceDefinition& d : definitions())
        list.push_back(status(d.name));
    return list;
}

ServiceStatus ServiceSimulator::status(const QString& name) const {
    ServiceStatus s;
    s.name = name;
    s.port = portOf(name);
    const State state = m_states.value(name);
    // No pid: nothing runs, and a made-up number would point at some other process.
    if (state.running) {
        s.status = QStringLiteral("running");
        s.uptime = std::max<qint64>(0, state.startedAt.secsTo(QDateTime::currentDateTimeUtc()));
    } else {
        s.status = QStringLiteral("stopped");
    }
    return s;
}

QString ServiceSimulator::change(State& state, Action action, qint64 port) {
    const QString simulated = QStringLiteral(" (simulated, port %1)").arg(port);
    switch (action) {
    case Action::Start:
        if (state.running)
            return QStringLiteral("start requested: already running");
        state = State{true, QDateTime::currentDateTimeUtc()};
        return QStringLiteral("started") + simulated;
    case Action::Stop:
        if (!state.running)
            return QStringLiteral("stop requested: already stopped");
        state = State{};
        return QStringLiteral("stopped");
    case Action::Restart:
        state = State{true, QDateTime::currentDateTimeUtc()};
        return QStringLiteral("restarted") + simulated;
    }
    return {};
}

static QString actionWord(ServiceSimulator::Action action) {
    switch (action) {
    case ServiceSimulator::Action::Start:
        return QStringLiteral("start");
    case ServiceSimulator::Action::Stop:
        return QStringLiteral("stop");
    case ServiceSimulator::Action::Restart:
        return QStringLiteral("restart");
    }
    return {};
}

bool ServiceSimulator::apply(const QString& name, Action action, QString* why) {
    QHash<QString, State> next = m_states;
    const QString line = change(next[name], action, portOf(name).value_or(0));
    if (!save(next, why))
        return false;
    m_states = std::move(next);
    appendLog(name, line);
    m_activity.record(actionWord(action), name, line);
    return true;
}

bool ServiceSimulator::applyAll(bool start, QString* why) {
    QHash<QString, State> next = m_states;
    QList<std::pair<QString, QString>> lines;
    for (const ServiceDefinition& d : definitions())
        lines.push_back({d.name, change(next[d.name], start ? Action::Start : Action::Stop, d.port)});
    if (!save(next, why))
        return false;
    m_states = std::move(next);
    for (const auto& [name, line] : lines)
        appendLog(name, line + (start ? QStringLiteral(" [start-all]") : QStringLiteral(" [stop-all]")));
    m_activity.record(start ? QStringLiteral("start-all") : QStringLiteral("stop-all"), std::nullopt,
                      start ? QStringLiteral("every service marked running")
                            : QStringLiteral("every service stopped"));
    return true;
}

bool ServiceSimulator::save(const QHash<QString, State>& states, QString* why) const {
    File file;
    for (const ServiceDefinition& d : definitions()) {
        const State s = states.value(d.name);
        file.services.push_back(Entry{
            d.name, s.running, s.running ? std::optional<QString>(isoTime(s.startedAt)) : std::nullopt});
    }
    return m_store.save(QStringLiteral("services"), file, why);
}

QString ServiceSimulator::logPath(const QString& name) const {
    return m_store.logs() + u'/' + name + QStringLiteral(".log");
}

void ServiceSimulator::appendLog(const QString& name, const QString& text) const {
    const QByteArray line =
        (isoNow() + QStringLiteral(" [") + name + QStringLiteral("] ") + text + u'\n').toUtf8();
    QString why;
    if (!m_store.appendToFile(QStringLiteral("logs/") + name + QStringLiteral(".log"), line, &why))
        std::fprintf(stderr, "brevant-devd: %s\n", qPrintable(why));
}

QString ServiceSimulator::tail(const QString& name, qint64 lines) const {
    if (lines <= 0)
        return {};
    QFile file(logPath(name));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    // Only the end of a long log is read; 8 MiB holds far more lines than anyone asks for.
    constexpr qint64 kWindow = 8 * 1024 * 1024;
    const qint64 start = std::max<qint64>(0, file.size() - kWindow);
    file.seek(start);
    QByteArray text = file.readAll();
    if (start > 0) {
        const qsizetype firstBreak = text.indexOf('\n');
        text = firstBreak < 0 ? QByteArray() : text.mid(firstBreak + 1);
    }
    qsizetype cut = text.size();
    if (cut > 0 && text.endsWith('\n'))
        --cut;
    qint64 found = 0;
    while (cut > 0) {
        const qsizetype prev = text.lastIndexOf('\n', cut - 1);
        if (++found == lines) {
            cut = prev + 1;
            break;
        }
        if (prev < 0) {
            cut = 0;
            break;
        }
        cut = prev;
    }
    return QString::fromUtf8(text.mid(cut));
}

} // namespace brevant::devd
