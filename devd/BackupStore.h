#pragma once

#include "ActivityLog.h"
#include "Models.h"
#include "Reply.h"
#include "StateStore.h"

#include <QList>
#include <QSet>
#include <QString>

#include <QCoroTask>

#include <memory>

namespace brevant::devd {

// Compressed archives of www/ in backups/, made and unpacked by the system's tar without
// blocking the event loop. Names look like backup-20240305-102030.tar.gz (with -2, -3... when
// two are made within one second).
class BackupStore {
public:
    BackupStore(const StateStore& store, ActivityLog& activity) : m_store(store), m_activity(activity) {}

    static bool isBackupName(const QString& name);

    // Newest first, with real sizes and modification times.
    QList<BackupEntry> list() const;

    QCoro::Task<Outcome<BackupResult>> create();
    // 400 for a name that is not a plain file name, 404 for one that is not a backup here.
    QCoro::Task<Outcome<BackupResult>> restore(QString filename);

private:
    QString freshName() const;

    const StateStore& m_store;
    ActivityLog& m_activity;
    QSet<QString> m_inProgress;
    // Coroutines still out when the store goes away see it expire and touch nothing.
    std::shared_ptr<int> m_alive = std::make_shared<int>(0);
};

} // namespace brevant::devd
