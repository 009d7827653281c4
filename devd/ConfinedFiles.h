#pragma once

// Writing inside a folder without ever leaving it. Paths are given relative to the folder and
// walked one component at a time, each opened relative to the one before; a component that is
// a symbolic link is refused, never followed. So a link planted in a project's folder (by a
// cloned repository, say) cannot send a write anywhere else.

#include <QByteArray>
#include <QString>

namespace brevant::devd::confined {

// Creates the folders of `relative` that are missing (0755 before the umask). Fails when a
// component is a link or not a folder.
bool makeFolders(const QString& root, const QString& relative, QString* why);

// True when no existing component of `relative` is a link and every existing one but the last
// is a folder; the path need not exist.
bool isLinkFree(const QString& root, const QString& relative, QString* why);

// Replaces the file `relative` whole, through a temporary file and a rename, so a reader never
// sees half of it. Its folder must exist; a link in its place is refused. `ownerOnly`: mode 0600.
bool writeFile(const QString& root, const QString& relative, const QByteArray& bytes, bool ownerOnly,
               QString* why);

// Appends to the file `relative`, creating it; each call's bytes land together at the end.
bool appendToFile(const QString& root, const QString& relative, const QByteArray& bytes, QString* why);

} // namespace brevant::devd::confined
