#pragma once

// What the program asks of the desktop it runs on, written down as data: the programs and
// their arguments. Every profile is tested as data; only the running platform's is executed.

#include <QList>
#include <QString>
#include <QStringList>

namespace brevant {

// The product's one reverse-DNS label: the daemon's job, the per-user agent, the macOS package
// and every file named after the product (desktop entry, metainfo, icon, systemd unit).
inline constexpr char kProductLabel[] = "dev.kelvask.brevant";
// The name under which Debian's package tool knows the product.
inline constexpr char kPackageName[] = "kelvask-brevant";

struct Command {
    QString program;
    QStringList arguments;
    bool operator==(const Command&) const = default;
};

struct PlatformProfile {
    QString name;
    // Asks the service manager, as the current user, to start the daemon; ends when the request has.
    Command loadDaemon;
    // Terminal programs tried in turn to run a script file; "%1" in an argument stands for the file.
    QList<Command> terminalCommands;

    // Uninstalling. The per-user agent's file, relative to the home folder (starts with "/").
    QString userAgentFile;
    // Stops the per-user agent; "%1" in an argument stands for the agent's file.
    Command stopUserAgent;
    // Shell commands run in this order with administrator rights, each whatever became of the last.
    QStringList adminCommands;
    // Runs a shell command with administrator rights after the desktop's own prompt; "%1" in an
    // argument stands for the administrator commands joined by "; ".
    Command adminScript;

    // The terminal commands with the file filled in.
    QList<Command> terminalCommandsFor(const QString& file) const;
    // The per-user agent's file under `home` (no trailing slash).
    QString userAgentPath(const QString& home) const;
    Command stopUserAgentFor(const QString& home) const;
    Command adminScriptCommand() const;
};

PlatformProfile macProfile();
// `installPrefix` is where the project's own install step put the application; without it, the
// prefix this program was built for.
PlatformProfile linuxProfile(const QString& installPrefix);
PlatformProfile linuxProfile();
// The profile of the platform this program was built for.
const PlatformProfile& currentProfile();

// `text` as one word for /bin/sh, in single quotes.
QString shellQuoted(const QString& text);

} // namespace brevant
