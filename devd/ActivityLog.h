#pragma once

#include "Models.h"
#include "StateStore.h"

#include <QList>

namespace brevant::devd {

// The recent actions shown with /status, newest first, kept across restarts.
class ActivityLog {
public:
    static constexpr qsizetype kKept = 50;

    explicit ActivityLog(const StateStore& store) : m_store(store) {}

    bool load(QString* why);
    // Adds an entry; a failure to save is reported but the entry stays in memory, since the
    // action it describes has already happened.
    void record(const QString& action, std::optional<QString> service, std::optional<QString> details);
    QList<ActivityEntry> recent(qsizetype count) const { return m_entries.mid(0, count); }

private:
    struct File {
        qint64 nextId = 1;
        QList<ActivityEntry> entries;
        static constexpr auto fields() {
            return std::make_tuple(json::field("nextId", &File::nextId),
                                   json::field("entries", &File::entries));
        }
    };

    const StateStore& m_store;
    qint64 m_nextId = 1;
    QList<ActivityEntry> m_entries;
};

} // namespace brevant::devd
