#pragma once

#include "ActivityLog.h"
#include "Models.h"
#include "Reply.h"
#include "StateStore.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace brevant::devd {

// The hosts entries the stand-in manages, kept in a hosts-format file of its own data folder
// (never the system's /etc/hosts).
class HostsFile {
public:
    HostsFile(const StateStore& store, ActivityLog& activity) : m_store(store), m_activity(activity) {}

    // One entry per host name, in file order; comments and blank lines are skipped.
    static QList<DNSEntry> parse(const QByteArray& text);

    // Creates the file with the loopback names when it does not exist yet.
    bool prepare(QString* why);
    QList<DNSEntry> entries() const;

    // 400 for an address or host name that is not one, 409 for a host name already listed.
    Outcome<ProActionResult> add(const DNSAddRequest& request);

private:
    const StateStore& m_store;
    ActivityLog& m_activity;
};

} // namespace brevant::devd
