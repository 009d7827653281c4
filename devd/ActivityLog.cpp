#include "ActivityLog.h"

#include "Names.h"

#include <cstdio>

namespace brevant::devd {

bool ActivityLog::load(QString* why) {
    std::optional<File> file = m_store.load<File>(QStringLiteral("activity"), why);
    if (!why->isEmpty())
        return false;
    if (file) {
        m_nextId = file->nextId;
        m_entries = std::move(file->entries);
    }
    return true;
}

void ActivityLog::record(const QString& action, std::optional<QString> service,
                         std::optional<QString> details) {
    m_entries.prepend(ActivityEntry{m_nextId++, action, std::move(service), std::move(details), isoNow()});
    if (m_entries.size() > kKept)
        m_entries.resize(kKept);
    QString why;
    if (!m_store.save(QStringLiteral("activity"), File{m_nextId, m_entries}, &why))
        std::fprintf(stderr, "brevant-devd: %s\n", qPrintable(why));
}

} // namespace brevant::devd
