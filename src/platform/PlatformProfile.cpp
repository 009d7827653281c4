#include "PlatformProfile.h"

namespace brevant {

QList<Command> PlatformProfile::terminalCommandsFor(const QString& file) const {
    QList<Command> out;
    for (Command c : terminalCommands) {
        for (QString& a : c.arguments)
            a.replace(QStringLiteral("%1"), file);
        out.push_back(std::move(c));
    }
    return out;
}

PlatformProfile macProfile() {
    const QString label = QString::fromLatin1(kDaemonLabel);
    PlatformProfile p;
    p.name = QStringLiteral("macOS");
    p.loadDaemon = {QStringLiteral("/bin/launchctl"),
                    {QStringLiteral("load"), QStringLiteral("/Library/LaunchDaemons/%1.plist").arg(label)}};
    p.terminalCommands = {
        {QStringLiteral("/usr/bin/open"),
         {QStringLiteral("-a"), QStringLiteral("/System/Applications/Utilities/Terminal.app"),
          QStringLiteral("%1")}}};
    return p;
}

PlatformProfile linuxProfile() {
    const QString label = QString::fromLatin1(kDaemonLabel);
    PlatformProfile p;
    p.name = QStringLiteral("Linux");
    p.loadDaemon = {QStringLiteral("systemctl"),
                    {QStringLiteral("start"), QStringLiteral("%1.service").arg(label)}};
    p.terminalCommands = {
        {QStringLiteral("x-terminal-emulator"), {QStringLiteral("-e"), QStringLiteral("%1")}},
        {QStringLiteral("gnome-terminal"), {QStringLiteral("--"), QStringLiteral("%1")}},
        {QStringLiteral("konsole"), {QStringLiteral("-e"), QStringLiteral("%1")}},
        {QStringLiteral("xfce4-terminal"), {QStringLiteral("-x"), QStringLiteral("%1")}},
        {QStringLiteral("xterm"), {QStringLiteral("-e"), QStringLiteral("%1")}},
    };
    return p;
}

const PlatformProfile& currentProfile() {
#ifdef Q_OS_MACOS
    static const PlatformProfile profile = macProfile();
#else
    static const PlatformProfile profile = linuxProfile();
#endif
    return profile;
}

} // namespace brevant
