// The Qt desktop services where they touch the system: the terminal that is chosen and started.

#include "QtDesktopServices.h"

#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTest>

using namespace brevant;

namespace {

// A stand-in terminal: writes its arguments, one a line, to `log`, which appears whole.
QString fakeTerminal(const QTemporaryDir& dir, const QString& name, const QString& log) {
    const QString path = dir.filePath(name);
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    const QByteArray quoted = "'" + log.toUtf8() + "'";
    f.write("#!/bin/sh\nprintf '%s\\n' \"$@\" > " + quoted + ".part && mv " + quoted + ".part " + quoted +
            "\n");
    f.close();
    f.setPermissions(f.permissions() | QFile::ExeOwner | QFile::ExeUser);
    return path;
}

} // namespace

class DesktopServicesTest : public QObject {
    Q_OBJECT

private slots:
    // Missing programs, a plain file without the execute bit and a folder do not count as a terminal.
    void theFirstTerminalThatExistsIsStarted() {
        QTemporaryDir dir;
        const QString log = dir.filePath(QStringLiteral("log"));
        QFile plain(dir.filePath(QStringLiteral("not-executable")));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();
        const QString chosen = fakeTerminal(dir, QStringLiteral("chosen"), log);
        const QString later =
            fakeTerminal(dir, QStringLiteral("later"), dir.filePath(QStringLiteral("later.log")));
        PlatformProfile p = linuxProfile();
        p.terminalCommands = {
            {QStringLiteral("no-such-terminal-anywhere"), {QStringLiteral("-e"), QStringLiteral("%1")}},
            {plain.fileName(), {QStringLiteral("-e"), QStringLiteral("%1")}},
            {dir.path(), {QStringLiteral("-e"), QStringLiteral("%1")}},
            {chosen, {QStringLiteral("--"), QStringLiteral("%1")}},
            {later, {QStringLiteral("-e"), QStringLiteral("%1")}}};
        QtDesktopServices desktop(p);
        QCOMPARE(desktop.terminalFor(QStringLiteral("/tmp/x.sh")),
                 (std::optional<Command>{{chosen, {QStringLiteral("--"), QStringLiteral("/tmp/x.sh")}}}));

        desktop.openFileInTerminal(QStringLiteral("/tmp/x.sh"));
        QTRY_VERIFY(QFile::exists(log));
        QFile f(log);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("--\n/tmp/x.sh\n"));
    }

    void noTerminalIsSilent() {
        PlatformProfile p = linuxProfile();
        p.terminalCommands = {{QStringLiteral("no-such-terminal-anywhere"), {QStringLiteral("%1")}}};
        QtDesktopServices desktop(p);
        QCOMPARE(desktop.terminalFor(QStringLiteral("/tmp/x.sh")), std::nullopt);
        desktop.openFileInTerminal(QStringLiteral("/tmp/x.sh"));
    }
};

QTEST_MAIN(DesktopServicesTest)
#include "DesktopServicesTest.moc"
