#include "StateStore.h"

#include <QDir>
#include <QFileInfo>

namespace brevant::devd {

namespace {
const QString kMarker = QStringLiteral(".brevant-devd");
}

StateStore::StateStore(QString root) : m_root(QDir::cleanPath(std::move(root))) {}

bool StateStore::prepare(QString* why) {
    QDir dir(m_root);
    const QFileInfo info(m_root);
    if (info.exists() && !info.isDir()) {
        *why = QStringLiteral("%1 is not a folder").arg(m_root);
        return false;
    }
    const bool fresh =
        !info.exists() || dir.isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    if (!fresh && !QFileInfo::exists(dir.filePath(kMarker))) {
        *why = QStringLiteral("%1 is not empty and was not created by brevant-devd; it is left alone. "
                              "Choose another folder with --data-dir.")
                   .arg(m_root);
        return false;
    }
    if (!QDir().mkpath(m_root)) {
        *why = QStringLiteral("cannot create the folder %1").arg(m_root);
        return false;
    }
    for (const char* sub : {"www", "backups", "logs", "conf", "bin", "state"}) {
        if (!makeFolders(QLatin1StringView(sub), why))
            return false;
    }
    if (fresh) {
        const QByteArray note = "This folder belongs to brevant-devd, the stand-in daemon.\n";
        if (!writeFile(kMarker, note, false, why))
            return false;
    }
    // A lock left by a stand-in that died is recognised by its process id and taken over.
    m_lock = std::make_unique<QLockFile>(dir.filePath(QStringLiteral("state/.lock")));
    if (!m_lock->tryLock(0)) {
        qint64 pid = 0;
        QString host, app;
        m_lock->getLockInfo(&pid, &host, &app);
        *why = QStringLiteral("%1 is in use by another brevant-devd (process %2)").arg(m_root).arg(pid);
        m_lock.reset();
        return false;
    }
    return true;
}

} // namespace brevant::devd
