#include "ConfinedFiles.h"

#include "Names.h"

#include <QFile>
#include <QStringList>

#include <utility>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace brevant::devd::confined {

namespace {

// A descriptor closed when it goes out of scope.
class Fd {
public:
    explicit Fd(int fd = -1) : m_fd(fd) {}
    Fd(Fd&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    Fd& operator=(Fd&& other) noexcept {
        std::swap(m_fd, other.m_fd);
        return *this;
    }
    ~Fd() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    int get() const { return m_fd; }
    bool ok() const { return m_fd >= 0; }

private:
    int m_fd;
};

QString systemError() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

// The components of `relative`, each a plain name; empty when one is not.
QStringList componentsOf(const QString& relative) {
    const QStringList parts = relative.split(u'/');
    for (const QString& p : parts) {
        if (!isPlainComponent(p))
            return {};
    }
    return parts;
}

enum class Missing { Fail, Create, Stop };

// Opens `root`, then each of `parts` below it as a folder without following links. With
// Missing::Stop a missing component ends the walk early with `reachedEnd` false.
Fd openFolders(const QString& root, const QStringList& parts, Missing missing, QString* why,
               bool* reachedEnd = nullptr) {
    Fd dir(::open(QFile::encodeName(root).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dir.ok()) {
        *why = QStringLiteral("cannot open %1: %2").arg(root, systemError());
        return Fd();
    }
    QString walked = root;
    for (const QString& part : parts) {
        walked += u'/' + part;
        const QByteArray name = QFile::encodeName(part);
        Fd next(::openat(dir.get(), name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!next.ok() && errno == ENOENT && missing == Missing::Stop) {
            if (reachedEnd)
                *reachedEnd = false;
            return dir;
        }
        if (!next.ok() && errno == ENOENT && missing == Missing::Create) {
            if (::mkdirat(dir.get(), name.constData(), 0755) != 0 && errno != EEXIST) {
                *why = QStringLiteral("cannot create %1: %2").arg(walked, systemError());
                return Fd();
            }
            next = Fd(::openat(dir.get(), name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        }
        if (!next.ok()) {
            // O_NOFOLLOW meets a link as ELOOP, O_DIRECTORY a file as ENOTDIR.
            *why = errno == ELOOP ? QStringLiteral("%1 is a symbolic link; it is not followed").arg(walked)
                   : errno == ENOTDIR ? QStringLiteral("%1 is not a folder").arg(walked)
                                      : QStringLiteral("cannot open %1: %2").arg(walked, systemError());
            return Fd();
        }
        dir = std::move(next);
    }
    if (reachedEnd)
        *reachedEnd = true;
    return dir;
}

bool isLink(int dir, const QByteArray& name) {
    struct stat info {};
    return ::fstatat(dir, name.constData(), &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(info.st_mode);
}

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

bool badPath(const QString& relative, QString* why) {
    *why = QStringLiteral("\"%1\" is not a plain path inside the data folder").arg(relative);
    return false;
}

} // namespace

bool makeFolders(const QString& root, const QString& relative, QString* why) {
    const QStringList parts = componentsOf(relative);
    if (parts.isEmpty())
        return badPath(relative, why);
    return openFolders(root, parts, Missing::Create, why).ok();
}

bool isLinkFree(const QString& root, const QString& relative, QString* why) {
    QStringList parts = componentsOf(relative);
    if (parts.isEmpty())
        return badPath(relative, why);
    const QString last = parts.takeLast();
    bool reachedEnd = false;
    const Fd dir = openFolders(root, parts, Missing::Stop, why, &reachedEnd);
    if (!dir.ok())
        return false;
    if (reachedEnd && isLink(dir.get(), QFile::encodeName(last))) {
        *why = QStringLiteral("%1/%2 is a symbolic link; it is not followed").arg(root, relative);
        return false;
    }
    return true;
}

bool writeFile(const QString& root, const QString& relative, const QByteArray& bytes, bool ownerOnly,
               QString* why) {
    QStringList parts = componentsOf(relative);
    if (parts.isEmpty())
        return badPath(relative, why);
    const QByteArray leaf = QFile::encodeName(parts.takeLast());
    const Fd dir = openFolders(root, parts, Missing::Fail, why);
    if (!dir.ok())
        return false;
    const QString shown = root + u'/' + relative;
    if (isLink(dir.get(), leaf)) {
        *why = QStringLiteral("%1 is a symbolic link; it is left alone").arg(shown);
        return false;
    }
    const QByteArray temporary = "." + leaf + ".tmp-" + randomHex(6).toLatin1();
    const Fd file(::openat(dir.get(), temporary.constData(),
                           O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, ownerOnly ? 0600 : 0666));
    if (!file.ok()) {
        *why = QStringLiteral("cannot write %1: %2").arg(shown, systemError());
        return false;
    }
    // The rename makes the new text visible at once; fdatasync first, so a crash never leaves
    // an empty file in its place.
    if (!writeAll(file.get(), bytes) || ::fdatasync(file.get()) != 0 ||
        ::renameat(dir.get(), temporary.constData(), dir.get(), leaf.constData()) != 0) {
        *why = QStringLiteral("cannot write %1: %2").arg(shown, systemError());
        ::unlinkat(dir.get(), temporary.constData(), 0);
        return false;
    }
    return true;
}

bool appendToFile(const QString& root, const QString& relative, const QByteArray& bytes, QString* why) {
    QStringList parts = componentsOf(relative);
    if (parts.isEmpty())
        return badPath(relative, why);
    const QByteArray leaf = QFile::encodeName(parts.takeLast());
    const Fd dir = openFolders(root, parts, Missing::Fail, why);
    if (!dir.ok())
        return false;
    const QString shown = root + u'/' + relative;
    const Fd file(
        ::openat(dir.get(), leaf.constData(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666));
    if (!file.ok()) {
        *why = errno == ELOOP ? QStringLiteral("%1 is a symbolic link; it is not followed").arg(shown)
                              : QStringLiteral("cannot append to %1: %2").arg(shown, systemError());
        return false;
    }
    if (!writeAll(file.get(), bytes)) {
        *why = QStringLiteral("cannot append to %1: %2").arg(shown, systemError());
        return false;
    }
    return true;
}

} // namespace brevant::devd::confined
