#pragma once

#include "ConfigOwner.h"

#include <QString>

#include <optional>

namespace brevant::devd {

// The key the stand-in writes into a configuration file it creates. A file without it belongs
// to a real installation and is never touched.
inline constexpr char kMarkerKey[] = "createdBy";
inline constexpr char kMarkerValue[] = "brevant-devd";

// Reads the token from the configuration file at `path`. When there is no file, creates it (and
// the folders it needs, mode 0755) with a fresh random token, mode 0600. With an `owner`, the
// file, new or old, is given to that user with mode 0600, so that user alone can read the token.
// Returns nothing, with the reason in `why`, when the file cannot be read, written or given away,
// or is not the stand-in's own.
std::optional<QString> loadOrCreateToken(const QString& path, QString* why,
                                         const std::optional<FileOwner>& owner = std::nullopt);

// Writes `bytes` to `path` through a temporary file and a rename, so that a reader never sees
// half a file. `ownerOnly` makes it readable by the owner alone.
bool writeFileAtomically(const QString& path, const QByteArray& bytes, bool ownerOnly, QString* why);

} // namespace brevant::devd
