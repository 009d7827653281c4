#include "TerminalScript.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace brevant {

namespace {

constexpr mode_t kScriptMode = 0755;

bool writeAll(int fd, const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

// Reads at most `limit` bytes; a longer file reads as limit + 1 bytes, enough to tell it apart.
QByteArray readUpTo(int fd, qsizetype limit) {
    QByteArray out(limit + 1, Qt::Uninitialized);
    qsizetype done = 0;
    while (done < out.size()) {
        const ssize_t n = ::read(fd, out.data() + done, static_cast<size_t>(out.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += n;
    }
    out.truncate(done);
    return out;
}

} // namespace

QByteArray terminalScript() {
    return QByteArrayLiteral(
        "#!/bin/bash\n"
        "export "
        "PATH=\"/opt/brevant/bin/php/bin:/opt/brevant/bin/node/bin:/opt/brevant/bin/mariadb/bin:$PATH\"\n"
        "cd /opt/brevant/www\n"
        "clear\n"
        "echo \"Kelvask Brevant Terminal\"\n"
        "echo \"PHP: $(php -v 2>/dev/null | head -1)\"\n"
        "echo \"Node: $(node -v 2>/dev/null)\"\n"
        "echo \"MariaDB: $(mysql --version 2>/dev/null)\"\n"
        "echo \"\"\n"
        "exec $SHELL");
}

bool writeTerminalScript(const QString& path) {
    const QByteArray target = QFile::encodeName(path);
    // mkostemp creates a new file with O_EXCL: never someone else's, never through a link.
    QByteArray temporary = QFile::encodeName(QFileInfo(path).absolutePath()) + "/.brevant-terminal-XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return false;
    // fchmod, unlike the mode given at creation, is not narrowed by the umask.
    bool ok = writeAll(fd, terminalScript()) && ::fchmod(fd, kScriptMode) == 0;
    ok = ::close(fd) == 0 && ok;
    // rename replaces whatever is at the target, a link included, and never follows it. In a
    // sticky folder it fails on another user's file, which the check before opening then refuses.
    if (ok && ::rename(temporary.constData(), target.constData()) == 0)
        return true;
    ::unlink(temporary.constData());
    return false;
}

bool isOwnTerminalScript(const QString& path) {
    // O_NOFOLLOW refuses a link; O_NONBLOCK keeps a FIFO planted there from stalling the open.
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    // Everything is judged on the opened file itself, so nothing can be swapped in between.
    struct stat st {};
    const QByteArray expected = terminalScript();
    const bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
                    (st.st_mode & 07777) == kScriptMode && readUpTo(fd, expected.size()) == expected;
    ::close(fd);
    return ok;
}

void launchTerminal(DesktopServices& desktop, const QString& path) {
    // A failed write shows in the check: whatever is at the path then is not ours.
    writeTerminalScript(path);
    if (isOwnTerminalScript(path))
        desktop.openFileInTerminal(path);
}

} // namespace brevant
