#include "PlatformProfile.h"

namespace brevant {

namespace {

Command filledIn(Command c, const QString& value) {
    for (QString& a : c.arguments)
        a.replace(QStringLiteral("%1"), value);
    return c;
}

} // namespace

QList<Command> PlatformProfile::terminalCommandsFor(const QString& file) const {
    QList<Command> out;
    for (const Command& c : terminalCommands)
        out.push_back(filledIn(c, file));
    return out;
}

QString PlatformProfile::userAgentPath(const QString& home) const {
    return home + userAgentFile;
}

Command PlatformProfile::stopUserAgentFor(const QString& home) const {
    return filledIn(stopUserAgent, userAgentPath(home));
}

Command PlatformProfile::adminScriptCommand() const {
    return filledIn(adminScript, adminCommands.join(QStringLiteral("; ")));
}

QString shellQuoted(const QString& text) {
    QString inner = text;
    inner.replace(QStringLiteral("'"), QStringLiteral("'\\''"));
    return QLatin1Char('\'') + inner + QLatin1Char('\'');
}

PlatformProfile macProfile() {
    const QString label = QString::fromLatin1(kProductLabel);
    const QString daemonJob = QStringLiteral("/Library/LaunchDaemons/%1.plist").arg(label);
    PlatformProfile p;
    p.name = QStringLiteral("macOS");
    p.loadDaemon = {QStringLiteral("/bin/launchctl"), {QStringLiteral("load"), daemonJob}};
    p.terminalCommands = {
        {QStringLiteral("/usr/bin/open"),
         {QStringLiteral("-a"), QStringLiteral("/System/Applications/Utilities/Terminal.app"),
          QStringLiteral("%1")}}};

    p.userAgentFile = QStringLiteral("/Library/LaunchAgents/%1.plist").arg(label);
    p.stopUserAgent = {QStringLiteral("/bin/launchctl"), {QStringLiteral("unload"), QStringLiteral("%1")}};
    // The daemon's own job goes first: nothing may keep running out of the removed folder.
    p.adminCommands = {
        QStringLiteral("/bin/launchctl unload '%1'").arg(daemonJob),
        QStringLiteral("/bin/rm -rf /opt/brevant"),
        QStringLiteral("/bin/rm -f /usr/local/bin/brevant"),
        QStringLiteral("/bin/rm -rf '/Applications/Kelvask Brevant.app'"),
        QStringLiteral("/usr/sbin/pkgutil --forget %1 2>/dev/null").arg(label),
    };
    p.adminScript = {
        QStringLiteral("/usr/bin/osascript"),
        {QStringLiteral("-e"), QStringLiteral("do shell script \"%1\" with administrator privileges")}};
    return p;
}

PlatformProfile linuxProfile(const QString& installPrefix) {
    const QString label = QString::fromLatin1(kProductLabel);
    const QString unit = label + QStringLiteral(".service");
    const QString package = QString::fromLatin1(kPackageName);
    const QString dataDir = installPrefix + QStringLiteral("/share/") + package;
    const QString manifest = dataDir + QStringLiteral("/installed-files");
    PlatformProfile p;
    p.name = QStringLiteral("Linux");
    p.loadDaemon = {QStringLiteral("systemctl"), {QStringLiteral("start"), unit}};
    p.terminalCommands = {
        {QStringLiteral("x-terminal-emulator"), {QStringLiteral("-e"), QStringLiteral("%1")}},
        {QStringLiteral("gnome-terminal"), {QStringLiteral("--"), QStringLiteral("%1")}},
        {QStringLiteral("konsole"), {QStringLiteral("-e"), QStringLiteral("%1")}},
        {QStringLiteral("xfce4-terminal"), {QStringLiteral("-x"), QStringLiteral("%1")}},
        {QStringLiteral("xterm"), {QStringLiteral("-e"), QStringLiteral("%1")}},
    };

    p.userAgentFile = QStringLiteral("/.config/systemd/user/") + unit;
    p.stopUserAgent = {QStringLiteral("systemctl"),
                       {QStringLiteral("--user"), QStringLiteral("disable"), QStringLiteral("--now"), unit}};
    // The manifest lists one absolute path per line; xargs hands them to rm as data, never to the shell.
    p.adminCommands = {
        QStringLiteral("systemctl disable --now ") + unit,
        QStringLiteral("rm -rf ") + shellQuoted(QStringLiteral("/opt/brevant")),
        QStringLiteral("rm -f ") + shellQuoted(QStringLiteral("/usr/local/bin/brevant")),
        QStringLiteral("xargs -r -d '\\n' rm -f -- < ") + shellQuoted(manifest),
        QStringLiteral("rm -rf ") + shellQuoted(dataDir),
        QStringLiteral("dpkg -s %1 >/dev/null 2>&1 && dpkg --purge %1").arg(package),
    };
    p.adminScript = {QStringLiteral("pkexec"),
                     {QStringLiteral("/bin/sh"), QStringLiteral("-c"), QStringLiteral("%1")}};
    return p;
}

PlatformProfile linuxProfile() {
    return linuxProfile(QStringLiteral(BREVANT_INSTALL_PREFIX));
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
