#pragma once

#include "ActivityLog.h"
#include "Models.h"
#include "StateStore.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

namespace brevant::devd {

struct ServiceDefinition {
    QString name;
    qint64 port = 0;
};

// The seven services of the stack, as a state machine only: starting one runs no program, it
// marks the service running and writes to its log. The state and the logs survive restarts.
class ServiceSimulator {
public:
    enum class Action { Start, Stop, Restart };

    ServiceSimulator(const StateStore& store, ActivityLog& activity);

    // In the order /status lists them.
    static const QList<ServiceDefinition>& definitions();
    static std::optional<qint64> portOf(const QString& name);

    bool load(QString* why);
    bool knows(const QString& name) const { return portOf(name).has_value(); }

    QList<ServiceStatus> statuses() const;
    ServiceStatus status(const QString& name) const;

    // `name` must be known. Returns false, with the reason, when the new state cannot be saved;
    // the state is then unchanged.
    bool apply(const QString& name, Action action, QString* why);
    bool applyAll(bool start, QString* why);

    QString logPath(const QString& name) const;
    // The last `lines` lines of the service's log, each ending in a line break.
    QString tail(const QString& name, qint64 lines) const;

private:
    struct Entry {
        QString name;
        bool running = false;
        std::optional<QString> startedAt;
        static constexpr auto fields() {
            return std::make_tuple(json::field("name", &Entry::name), json::field("running", &Entry::running),
                                   json::field("startedAt", &Entry::startedAt));
        }
    };
    struct File {
        QList<Entry> services;
        static constexpr auto fields() { return std::make_tuple(json::field("services", &File::services)); }
    };
    struct State {
        bool running = false;
        QDateTime startedAt;
    };

    bool save(const QHash<QString, State>& states, QString* why) const;
    void appendLog(const QString& name, const QString& text) const;
    // The change one action makes to one service, with the log line it deserves.
    static QString change(State& state, Action action, qint64 port);

    const StateStore& m_store;
    ActivityLog& m_activity;
    QHash<QString, State> m_states;
};

} // namespace brevant::devd
