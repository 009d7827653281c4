// The developer-tool operations of DaemonClient: they hand every failure to the caller.

#include "DaemonClient.h"

#include "DaemonClientRequests.h"

namespace brevant {

QCoro::Task<Result<GitCloneResult>> DaemonClient::gitClone(QString url, std::optional<QString> name) {
    GitCloneRequest body{std::move(url), std::move(name)};
    co_return co_await postJSON<GitCloneResult>(QStringLiteral("/pro/git/clone"), std::move(body));
}

QCoro::Task<Result<CMSInstallResult>> DaemonClient::cmsInstall(QString cms, QString name) {
    CMSInstallRequest body{std::move(cms), std::move(name)};
    co_return co_await postJSON<CMSInstallResult>(QStringLiteral("/pro/cms/install"), std::move(body));
}

QCoro::Task<Result<QList<DNSEntry>>> DaemonClient::fetchDNS() {
    Result<DNSData> result = co_await fetch<DNSData>(QStringLiteral("/pro/dns"), QByteArrayLiteral("GET"));
    if (!result)
        co_return result.error();
    co_return std::move(result.value().entries);
}

QCoro::Task<Result<ProActionResult>> DaemonClient::addDNS(QString ip, QString hostname) {
    DNSAddRequest body{std::move(ip), std::move(hostname)};
    co_return co_await postJSON<ProActionResult>(QStringLiteral("/pro/dns"), std::move(body));
}

QCoro::Task<Result<QList<BackupEntry>>> DaemonClient::fetchBackups() {
    Result<BackupsData> result =
        co_await fetch<BackupsData>(QStringLiteral("/pro/backups"), QByteArrayLiteral("GET"));
    if (!result)
        co_return result.error();
    co_return std::move(result.value().backups);
}

QCoro::Task<Result<BackupResult>> DaemonClient::createBackup() {
    co_return co_await postJSON<BackupResult>(QStringLiteral("/pro/backup/create"), EmptyRequest{});
}

QCoro::Task<Result<BackupResult>> DaemonClient::restoreBackup(QString filename) {
    BackupRestoreRequest body{std::move(filename)};
    co_return co_await postJSON<BackupResult>(QStringLiteral("/pro/backup/restore"), std::move(body));
}

} // namespace brevant
