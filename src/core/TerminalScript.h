#pragma once

// The terminal launcher: a script that puts the stack's own programs first on the search path,
// written where every user can write and therefore opened only once it is proven to be ours.

#include "DesktopServices.h"

#include <QByteArray>
#include <QString>

namespace brevant {

inline constexpr char kTerminalScriptPath[] = "/tmp/brevant-terminal.sh";

// The ten lines of the script, joined by single line feeds, none after the last.
QByteArray terminalScript();

// Writes the script to a new private file beside `path` and renames it over `path`, so a link or
// another user's file there is replaced, never written through. Mode 755. False on any failure.
bool writeTerminalScript(const QString& path);

// True when `path` itself (not a link) is a regular file of the current user, mode 755, holding
// exactly the script.
bool isOwnTerminalScript(const QString& path);

// Writes the script and opens it in a terminal; when anything is not as it should be, opens
// nothing, silently.
void launchTerminal(DesktopServices& desktop, const QString& path = QString::fromLatin1(kTerminalScriptPath));

} // namespace brevant
