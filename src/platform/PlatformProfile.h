#pragma once

// What the program asks of the desktop it runs on, written down as data: the programs and
// their arguments. Every profile is tested as data; only the running platform's is executed.

#include <QList>
#include <QString>
#include <QStringList>

namespace brevant {

// The product's one reverse-DNS label, used for the daemon's job and every file named after it.
inline constexpr char kDaemonLabel[] = "dev.kelvask.brevant.daemon";

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

    // The terminal commands with the file filled in.
    QList<Command> terminalCommandsFor(const QString& file) const;
};

PlatformProfile macProfile();
PlatformProfile linuxProfile();
// The profile of the platform this program was built for.
const PlatformProfile& currentProfile();

} // namespace brevant
