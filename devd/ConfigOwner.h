#pragma once

#include <QString>

#include <optional>
#include <sys/types.h>

namespace brevant::devd {

// A user who is to own the configuration file, and so read its token.
struct FileOwner {
    uid_t uid = 0;
    gid_t gid = 0; // the user's primary group
    bool operator==(const FileOwner&) const = default;
};

// The user named `user` (a name or a numeric uid) in the user database; nothing for an unknown one.
std::optional<FileOwner> lookUpUser(const QString& user);

// The user who ran sudo, from its SUDO_UID and SUDO_GID (empty when unset or not numbers); root
// itself counts as nobody.
std::optional<FileOwner> sudoInvoker(const QByteArray& sudoUid, const QByteArray& sudoGid);

// Whom the configuration file is given to, run with the effective uid `euid`:
// - `requested` (--owner) when running as root; when not root, the same user as `euid` asks for
//   nothing, any other user is an error (only root can give a file away);
// - otherwise, as root, the user who ran sudo;
// - otherwise nobody: the file stays with whoever runs the stand-in.
// Returns false, with the reason, on an error.
bool chooseConfigOwner(const std::optional<FileOwner>& requested, const std::optional<FileOwner>& sudo,
                       uid_t euid, std::optional<FileOwner>* chosen, QString* why);

// Gives the file at `path` to `owner` with mode 0600, never through a link.
bool giveConfigTo(const QString& path, const FileOwner& owner, QString* why);

} // namespace brevant::devd
