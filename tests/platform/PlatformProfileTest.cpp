// The profiles as data, on every platform: the terminals, the install prefix, and the Linux
// administrator commands run through a real shell where that is safe (the quoting, the manifest).

#include "PlatformProfile.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace brevant;

namespace {

int runShell(const QStringList& arguments, QByteArray* output = nullptr) {
    QProcess sh;
    sh.start(QStringLiteral("/bin/sh"), arguments);
    sh.waitForFinished();
    if (output)
        *output = sh.readAllStandardOutput();
    return sh.exitStatus() == QProcess::NormalExit ? sh.exitCode() : -1;
}

void touch(const QString& path) {
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
}

} // namespace

class PlatformProfileTest : public QObject {
    Q_OBJECT

private slots:
    void terminals() {
        const QString file = QStringLiteral("/tmp/brevant-terminal.sh");
        QCOMPARE(
            macProfile().terminalCommandsFor(file),
            (QList<Command>{{"/usr/bin/open", {"-a", "/System/Applications/Utilities/Terminal.app", file}}}));
        QCOMPARE(linuxProfile().terminalCommandsFor(file),
                 (QList<Command>{{"x-terminal-emulator", {"-e", file}},
                                 {"gnome-terminal", {"--", file}},
                                 {"konsole", {"-e", file}},
                                 {"xfce4-terminal", {"-x", file}},
                                 {"xterm", {"-e", file}}}));
    }

    void linuxRemovesWhatThisBuildInstalls() {
        QCOMPARE(linuxProfile().adminCommands,
                 linuxProfile(QStringLiteral(BREVANT_INSTALL_PREFIX)).adminCommands);
#ifdef Q_OS_LINUX
        QCOMPARE(currentProfile().adminScript.program, QStringLiteral("pkexec"));
#endif
    }

    void shellQuotingKeepsTextAsOneWord_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("plain") << "/opt/brevant";
        QTest::newRow("space") << "/Applications/Kelvask Brevant.app";
        QTest::newRow("quote") << "it's";
        QTest::newRow("substitution") << "$(touch /tmp/brevant-quoting) `id` $HOME \\n;";
    }
    void shellQuotingKeepsTextAsOneWord() {
        QFETCH(QString, text);
        QByteArray out;
        QCOMPARE(runShell({QStringLiteral("-c"), QStringLiteral("printf %s ") + shellQuoted(text)}, &out), 0);
        QCOMPARE(QString::fromUtf8(out), text);
    }

    // The macOS commands travel inside an AppleScript string: a double quote or a backslash in
    // one would end or bend that string.
    void macCommandsFitInsideTheScriptString() {
        for (const QString& c : macProfile().adminCommands)
            QVERIFY2(!c.contains(QLatin1Char('"')) && !c.contains(QLatin1Char('\\')), qPrintable(c));
    }

    void linuxAdministratorScriptIsValidShell() {
        const Command admin = linuxProfile(QStringLiteral("/usr/local")).adminScriptCommand();
        QCOMPARE(admin.arguments.size(), 3);
        QCOMPARE(runShell({QStringLiteral("-n"), QStringLiteral("-c"), admin.arguments.last()}), 0);
    }

    // The manifest's lines are paths, handed to rm as data: spaces and shell syntax in them do
    // nothing but name a file; files it does not list stay; the product's data folder goes.
    void manifestRemovesExactlyTheListedFiles() {
        QTemporaryDir dir;
        const QString prefix = dir.filePath(QStringLiteral("pre fix's"));
        const QString odd = prefix + QStringLiteral("/share/applications/a $(touch ") +
                            dir.filePath("pwned") + QStringLiteral(").desktop");
        const QString binary = prefix + QStringLiteral("/bin/kelvask-brevant");
        const QString unlisted = prefix + QStringLiteral("/bin/other-program");
        const QString manifest = prefix + QStringLiteral("/share/kelvask-brevant/installed-files");
        for (const QString& f : {odd, binary, unlisted, manifest})
            touch(f);
        QFile m(manifest);
        QVERIFY(m.open(QIODevice::WriteOnly));
        m.write((binary + '\n' + odd + '\n' + manifest + '\n').toUtf8());
        m.close();

        QStringList commands;
        for (const QString& c : linuxProfile(prefix).adminCommands)
            if (c.contains(QStringLiteral("/share/kelvask-brevant")))
                commands.push_back(c);
        QCOMPARE(commands.size(), 2);
        QCOMPARE(runShell({QStringLiteral("-c"), commands.join(QStringLiteral("; "))}), 0);
        QVERIFY(!QFile::exists(binary));
        QVERIFY(!QFile::exists(odd));
        QVERIFY(QFile::exists(unlisted));
        QVERIFY(!QFile::exists(dir.filePath("pwned")));
        QVERIFY(!QFileInfo::exists(prefix + QStringLiteral("/share/kelvask-brevant")));
    }
};

QTEST_GUILESS_MAIN(PlatformProfileTest)
#include "PlatformProfileTest.moc"
