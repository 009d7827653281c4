#include "BackupStore.h"

#include "Names.h"
#include "ProcessRun.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>

#include <algorithm>

namespace brevant::devd {

namespace {

constexpr std::chrono::minutes kTarLimit{10};

Reply tarMissing() {
    return failure(500, QStringLiteral("TOOL_MISSING"),
                   QStringLiteral("tar is not installed on this machine."));
}

} // namespace

bool BackupStore::isBackupName(const QString& name) {
    static const QRegularExpression pattern(QStringLiteral("^backup-\\d{8}-\\d{6}(-\\d{1,4})?\\.tar\\.gz$"));
    return pattern.match(name).hasMatch();
}

QList<BackupEntry> BackupStore::list() const {
    const QFileInfoList files = QDir(m_store.backups()).entryInfoList(QDir::Files | QDir::NoDotAndDotDot);
    QList<std::pair<QFileInfo, BackupEntry>> found;
    for (const QFileInfo& f : files) {
        if (isBackupName(f.fileName()))
            found.push_back({f, BackupEntry{f.fileName(), f.size(), isoTime(f.lastModified())}});
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
        if (a.first.lastModified() != b.first.lastModified())
            return a.first.lastModified() > b.first.lastModified();
        return a.second.name > b.second.name;
    });
    QList<BackupEntry> entries;
    for (const auto& [info, entry] : found)
        entries.push_back(entry);
    return entries;
}

QString BackupStore::freshName() const {
    const QString stem =
        QStringLiteral("backup-") + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const QDir dir(m_store.backups());
    for (int n = 1;; ++n) {
        const QString name =
            stem + (n == 1 ? QString() : QStringLiteral("-%1").arg(n)) + QStringLiteral(".tar.gz");
        if (!dir.exists(name) && !m_inProgress.contains(name))
            return name;
    }
}

QCoro::Task<Outcome<BackupResult>> BackupStore::create() {
    const QString tar = QStandardPaths::findExecutable(QStringLiteral("tar"));
    if (tar.isEmpty())
        co_return tarMissing();
    const QString name = freshName();
    const QString target = m_store.backups() + u'/' + name;
    // Written under a hidden name first, so a listing never shows half an archive.
    const QString partial = m_store.backups() + QStringLiteral("/.") + name + QStringLiteral(".partial");
    m_inProgress.insert(name);
    const std::weak_ptr<int> alive = m_alive;

    // Named first: g++ 12 rejects a braced list inside a co_await expression.
    const QStringList arguments = {QStringLiteral("-czf"), partial, QStringLiteral("-C"), m_store.root(),
                                   QStringLiteral("www")};
    const ProcessOutcome run = co_await runProcess(tar, arguments, m_store.root(), kTarLimit);
    if (alive.expired())
        co_return failure(503, QStringLiteral("SHUTTING_DOWN"), QStringLiteral("The daemon is stopping."));
    m_inProgress.remove(name);
    if (!run.succeeded() || !QFile::rename(partial, target)) {
        QFile::remove(partial);
        const QString detail =
            run.succeeded() ? QStringLiteral("the archive could not be moved into place") : run.errorTail();
        co_return failure(500, QStringLiteral("BACKUP_FAILED"),
                          QStringLiteral("The backup failed: %1").arg(detail));
    }
    const qint64 size = QFileInfo(target).size();
    m_activity.record(QStringLiteral("backup-created"), std::nullopt,
                      QStringLiteral("%1 (%2 bytes)").arg(name).arg(size));
    co_return BackupResult{QStringLiteral("Backup %1 created (%2 bytes).").arg(name).arg(size)};
}

QCoro::Task<Outcome<BackupResult>> BackupStore::restore(QString filename) {
    if (!isPlainComponent(filename))
        co_return failure(400, QStringLiteral("BAD_REQUEST"),
                          QStringLiteral("\"%1\" is not the plain file name of a backup.").arg(filename));
    const QString archive = m_store.backups() + u'/' + filename;
    if (!isBackupName(filename) || !QFileInfo(archive).isFile())
        co_return failure(404, QStringLiteral("NOT_FOUND"),
                          QStringLiteral("There is no backup named %1.").arg(filename));
    const QString tar = QStandardPaths::findExecutable(QStringLiteral("tar"));
    if (tar.isEmpty())
        co_return tarMissing();

    // Unpacked beside www/ first: the current files are replaced only by a complete archive.
    const QString suffix = randomHex(6);
    const QString staging = m_store.root() + QStringLiteral("/.restore-") + suffix;
    if (!QDir().mkpath(staging))
        co_return failure(500, QStringLiteral("WRITE_FAILED"),
                          QStringLiteral("Cannot create %1.").arg(staging));
    const std::weak_ptr<int> alive = m_alive;
    const QStringList arguments = {QStringLiteral("-xzf"), archive, QStringLiteral("-C"), staging,
                                   QStringLiteral("--no-same-owner")};
    const ProcessOutcome run = co_await runProcess(tar, arguments, m_store.root(), kTarLimit);
    if (alive.expired())
        co_return failure(503, QStringLiteral("SHUTTING_DOWN"), QStringLiteral("The daemon is stopping."));

    auto fail = [&](const QString& why) -> Outcome<BackupResult> {
        QDir(staging).removeRecursively();
        return failure(500, QStringLiteral("RESTORE_FAILED"),
                       QStringLiteral("The restore failed: %1").arg(why));
    };
    if (!run.succeeded())
        co_return fail(run.errorTail());
    const QString unpacked = staging + QStringLiteral("/www");
    if (!QFileInfo(unpacked).isDir())
        co_return fail(QStringLiteral("the archive holds no www folder"));
    const QString www = m_store.www();
    const QString replaced = m_store.root() + QStringLiteral("/.replaced-") + suffix;
    if (QFileInfo::exists(www) && !QFile::rename(www, replaced))
        co_return fail(QStringLiteral("the current www folder cannot be moved aside"));
    if (!QFile::rename(unpacked, www)) {
        QFile::rename(replaced, www);
        co_return fail(QStringLiteral("the restored folder cannot be moved into place"));
    }
    QDir(replaced).removeRecursively();
    QDir(staging).removeRecursively();
    m_activity.record(QStringLiteral("backup-restored"), std::nullopt, filename);
    co_return BackupResult{QStringLiteral("Restored www/ from %1.").arg(filename)};
}

} // namespace brevant::devd
