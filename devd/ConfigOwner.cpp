#include "ConfigOwner.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace brevant::devd {

std::optional<FileOwner> lookUpUser(const QString& user) {
    if (user.isEmpty())
        return std::nullopt;
    bool numeric = false;
    const uint uid = user.toUInt(&numeric);
    const passwd* entry =
        numeric ? ::getpwuid(static_cast<uid_t>(uid)) : ::getpwnam(QFile::encodeName(user).constData());
    if (!entry)
        return std::nullopt;
    return FileOwner{entry->pw_uid, entry->pw_gid};
}

std::optional<FileOwner> sudoInvoker(const QByteArray& sudoUid, const QByteArray& sudoGid) {
    bool uidOk = false, gidOk = false;
    const uint uid = sudoUid.toUInt(&uidOk);
    const uint gid = sudoGid.toUInt(&gidOk);
    if (!uidOk || !gidOk || uid == 0)
        return std::nullopt;
    return FileOwner{static_cast<uid_t>(uid), static_cast<gid_t>(gid)};
}

bool chooseConfigOwner(const std::optional<FileOwner>& requested, const std::optional<FileOwner>& sudo,
                       uid_t euid, std::optional<FileOwner>* chosen, QString* why) {
    chosen->reset();
    if (requested) {
        if (euid == 0) {
            *chosen = requested;
        } else if (requested->uid != euid) {
            *why = QStringLiteral("only root can give the configuration file to another user; run it as root "
                                  "(or through sudo), or without --owner");
            return false;
        }
        return true;
    }
    if (euid == 0 && sudo)
        *chosen = sudo;
    return true;
}

bool giveConfigTo(const QString& path, const FileOwner& owner, QString* why) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        *why = errno == ELOOP ? QStringLiteral("%1 is a symbolic link; its owner is not changed").arg(path)
                              : QStringLiteral("cannot open %1: %2")
                                    .arg(path, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    struct stat info {};
    bool ok = ::fstat(fd, &info) == 0;
    if (ok && !S_ISREG(info.st_mode)) {
        *why = QStringLiteral("%1 is not a regular file").arg(path);
        ::close(fd);
        return false;
    }
    if (ok && (info.st_uid != owner.uid || info.st_gid != owner.gid))
        ok = ::fchown(fd, owner.uid, owner.gid) == 0;
    if (ok && (info.st_mode & 07777) != 0600)
        ok = ::fchmod(fd, 0600) == 0;
    if (!ok)
        *why = QStringLiteral("cannot give %1 to user %2: %3")
                   .arg(path)
                   .arg(owner.uid)
                   .arg(QString::fromLocal8Bit(std::strerror(errno)));
    ::close(fd);
    return ok;
}

} // namespace brevant::devd
