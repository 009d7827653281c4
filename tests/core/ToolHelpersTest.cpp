// The terminal launcher (the script's bytes and mode, and what it refuses to open) and the mail
// catcher's address.

#include "MailCatcher.h"
#include "RecordingDesktop.h"
#include "TerminalScript.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace brevant;
using namespace brevant::test;

namespace {

const QByteArray kScript =
    "#!/bin/bash\n"
    "export PATH=\"/opt/brevant/bin/php/bin:/opt/brevant/bin/node/bin:/opt/brevant/bin/mariadb/bin:$PATH\"\n"
    "cd /opt/brevant/www\n"
    "clear\n"
    "echo \"Kelvask Brevant Terminal\"\n"
    "echo \"PHP: $(php -v 2>/dev/null | head -1)\"\n"
    "echo \"Node: $(node -v 2>/dev/null)\"\n"
    "echo \"MariaDB: $(mysql --version 2>/dev/null)\"\n"
    "echo \"\"\n"
    "exec $SHELL";

QByteArray contents(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

mode_t modeOf(const QString& path) {
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

void writeFile(const QString& path, const QByteArray& bytes, mode_t mode) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
    f.close();
    QCOMPARE(::chmod(QFile::encodeName(path).constData(), mode), 0);
}

// Hands `path` (or the link itself) to the unprivileged user "nobody".
bool giveToNobody(const QString& path) {
    const passwd* nobody = ::getpwnam("nobody");
    return nobody && ::lchown(QFile::encodeName(path).constData(), nobody->pw_uid, nobody->pw_gid) == 0;
}

} // namespace

class ToolHelpersTest : public QObject {
    Q_OBJECT
    QTemporaryDir* dir = nullptr;
    QString path;
    RecordingDesktop desktop;

private slots:
    void init() {
        dir = new QTemporaryDir;
        // Like /tmp: everyone may write, only the owner may replace.
        QCOMPARE(::chmod(QFile::encodeName(dir->path()).constData(), 01777), 0);
        path = dir->filePath(QStringLiteral("brevant-terminal.sh"));
        desktop.steps.clear();
    }
    void cleanup() { delete dir; }

    void scriptBytesAndModeTwiceInARow() {
        QCOMPARE(QString::fromLatin1(kTerminalScriptPath), QStringLiteral("/tmp/brevant-terminal.sh"));
        QCOMPARE(terminalScript(), kScript);
        QCOMPARE(kScript.count('\n'), 9);

        launchTerminal(desktop, path);
        QCOMPARE(contents(path), kScript);
        QCOMPARE(modeOf(path), mode_t(0755));
        // A mode changed in between is restored; no temporary file is left behind.
        QCOMPARE(::chmod(QFile::encodeName(path).constData(), 0600), 0);
        launchTerminal(desktop, path);
        QCOMPARE(modeOf(path), mode_t(0755));
        QCOMPARE(contents(path), kScript);
        QCOMPARE(QDir(dir->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{QStringLiteral("brevant-terminal.sh")});
        QCOMPARE(desktop.steps, (QList<QStringList>{{"terminal", path}, {"terminal", path}}));
    }

    // Whatever was at the path is replaced, never written through; a link's target stays as it was.
    void replacesAFileOrLinkPlantedThere() {
        const QString elsewhere = dir->filePath(QStringLiteral("victim"));
        writeFile(elsewhere, "keep me\n", 0644);
        QVERIFY(QFile::link(elsewhere, path));
        launchTerminal(desktop, path);
        QCOMPARE(contents(elsewhere), QByteArray("keep me\n"));
        QVERIFY(!QFileInfo(path).isSymLink());
        QCOMPARE(contents(path), kScript);
        QCOMPARE(desktop.count(QStringLiteral("terminal")), 1);
    }

    void opensNothingWhenThePathCannotBeOurs() {
        QVERIFY(QDir(dir->path()).mkdir(QStringLiteral("brevant-terminal.sh")));
        launchTerminal(desktop, path);
        QVERIFY(!writeTerminalScript(path));
        launchTerminal(desktop, dir->filePath(QStringLiteral("no-such-folder/brevant-terminal.sh")));
        QCOMPARE(desktop.count(QStringLiteral("terminal")), 0);
    }

    void checkRefusesWhatIsNotExactlyOurs_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("asLink");
        QTest::addColumn<bool>("otherOwner");
        QTest::addColumn<bool>("trusted");
        QTest::newRow("ours") << kScript << 0755 << false << false << true;
        QTest::newRow("mode 775") << kScript << 0775 << false << false << false;
        QTest::newRow("line feed after the last line") << kScript + '\n' << 0755 << false << false << false;
        QTest::newRow("another script") << QByteArray("#!/bin/sh\nid\n") << 0755 << false << false << false;
        QTest::newRow("link to our script") << kScript << 0755 << true << false << false;
        QTest::newRow("another owner's file") << kScript << 0755 << false << true << false;
        QTest::newRow("another owner's link") << kScript << 0755 << true << true << false;
    }
    void checkRefusesWhatIsNotExactlyOurs() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, mode);
        QFETCH(bool, asLink);
        QFETCH(bool, otherOwner);
        QFETCH(bool, trusted);
        if (otherOwner && ::geteuid() != 0)
            QSKIP("handing a file to another owner needs root");
        const QString file = asLink ? dir->filePath(QStringLiteral("target.sh")) : path;
        writeFile(file, bytes, static_cast<mode_t>(mode));
        if (asLink)
            QVERIFY(QFile::link(file, path));
        if (otherOwner)
            QVERIFY(giveToNobody(path));
        QCOMPARE(isOwnTerminalScript(path), trusted);
    }

    // Another user planted a script at the path in a sticky folder: a third, unprivileged user
    // can neither replace it nor be made to open it (run in a child that drops root).
    void anotherUsersPlantedScriptIsNeverOpened() {
        if (::geteuid() != 0)
            QSKIP("handing a file to another owner needs root");
        writeFile(path, "#!/bin/sh\nid\n", 0777);
        QVERIFY(giveToNobody(path));
        const pid_t child = ::fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            if (::setgid(54321) != 0 || ::setuid(54321) != 0)
                ::_exit(100);
            RecordingDesktop user;
            launchTerminal(user, path);
            ::_exit(user.count(QStringLiteral("terminal")));
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status));
        QCOMPARE(WEXITSTATUS(status), 0);
        QCOMPARE(contents(path), QByteArray("#!/bin/sh\nid\n"));
        QVERIFY(QDir(dir->path()).entryList(QDir::Hidden | QDir::Files).size() == 1); // no temporary left
    }

    void mailCatcherAddress_data() {
        QTest::addColumn<bool>("loaded");
        QTest::addColumn<qint64>("port");
        QTest::addColumn<QString>("url");
        QTest::newRow("before the configuration") << false << qint64(0) << "http://localhost:8025";
        QTest::newRow("configured") << true << qint64(8026) << "http://localhost:8026";
        QTest::newRow("highest port") << true << qint64(65535) << "http://localhost:65535";
        QTest::newRow("zero") << true << qint64(0) << QString();
        QTest::newRow("negative") << true << qint64(-1) << QString();
        QTest::newRow("above 65535") << true << qint64(65536) << QString();
    }
    void mailCatcherAddress() {
        QFETCH(bool, loaded);
        QFETCH(qint64, port);
        QFETCH(QString, url);
        std::optional<AppConfig> config;
        if (loaded) {
            config.emplace();
            config->ports.mailhogWeb = port;
        }
        const std::optional<QUrl> got = mailCatcherURL(config);
        QCOMPARE(got ? got->toString() : QString(), url);
    }
};

QTEST_GUILESS_MAIN(ToolHelpersTest)
#include "ToolHelpersTest.moc"
