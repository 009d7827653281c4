#include "QtDesktopServices.h"

#include "QtProcessRunner.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <QUrl>

namespace brevant {

QtDesktopServices::QtDesktopServices(PlatformProfile profile) : m_profile(std::move(profile)) {}

QCoro::Task<void> QtDesktopServices::runAndWait(QString program, QStringList arguments) {
    return defaultProcessRunner()->runAndWait(std::move(program), std::move(arguments));
}

QCoro::Task<void> QtDesktopServices::runAndWaitDroppingErrors(QString program, QStringList arguments) {
    return defaultProcessRunner()->runAndWaitDroppingErrors(std::move(program), std::move(arguments));
}

void QtDesktopServices::openUrl(const QUrl& url) {
    QDesktopServices::openUrl(url);
}

std::optional<Command> QtDesktopServices::terminalFor(const QString& file) const {
    for (Command c : m_profile.terminalCommandsFor(file)) {
        c.program = findProgram(c.program);
        if (!c.program.isEmpty())
            return c;
    }
    return std::nullopt;
}

void QtDesktopServices::openFileInTerminal(const QString& file) {
    // Detached: the terminal lives on after this program, and nobody waits for it.
    if (const std::optional<Command> c = terminalFor(file))
        QProcess::startDetached(c->program, c->arguments);
}

void QtDesktopServices::writeTextFileAtomically(const QString& path, const QString& text) {
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return;
    f.write(text.toUtf8());
    f.commit();
}

void QtDesktopServices::setPermissions(const QString& path, int mode) {
    // Qt spells each POSIX bit out: owner, group and other map onto its Owner/Group/Other flags.
    QFileDevice::Permissions p;
    const std::pair<int, QFileDevice::Permission> bits[] = {
        {0400, QFileDevice::ReadOwner}, {0200, QFileDevice::WriteOwner}, {0100, QFileDevice::ExeOwner},
        {0040, QFileDevice::ReadGroup}, {0020, QFileDevice::WriteGroup}, {0010, QFileDevice::ExeGroup},
        {0004, QFileDevice::ReadOther}, {0002, QFileDevice::WriteOther}, {0001, QFileDevice::ExeOther}};
    for (const auto& [bit, flag] : bits)
        if (mode & bit)
            p |= flag;
    // The "user" flags follow the owner's: the process is the owner of what it writes.
    if (mode & 0400)
        p |= QFileDevice::ReadUser;
    if (mode & 0200)
        p |= QFileDevice::WriteUser;
    if (mode & 0100)
        p |= QFileDevice::ExeUser;
    QFile::setPermissions(path, p);
}

void QtDesktopServices::copyText(const QString& text) {
    if (QClipboard* clipboard = QGuiApplication::clipboard()) {
        clipboard->clear();
        clipboard->setText(text);
    }
}

bool QtDesktopServices::pathExists(const QString& path) {
    return QFileInfo::exists(path);
}

void QtDesktopServices::removeFile(const QString& path) {
    if (QFileInfo(path).isDir())
        QDir(path).removeRecursively();
    else
        QFile::remove(path);
}

QString QtDesktopServices::homeDirectory() {
    QString home = QDir::homePath();
    while (home.size() > 1 && home.endsWith(QLatin1Char('/')))
        home.chop(1);
    return home;
}

void QtDesktopServices::quit() {
    QCoreApplication::quit();
}

namespace {
std::shared_ptr<DesktopServices>& installed() {
    static std::shared_ptr<DesktopServices> services;
    return services;
}
} // namespace

std::shared_ptr<DesktopServices> sharedDesktopServices() {
    auto& services = installed();
    if (!services)
        services = std::make_shared<QtDesktopServices>();
    return services;
}

DesktopServices& desktopServices() {
    return *sharedDesktopServices();
}

void setDesktopServices(std::shared_ptr<DesktopServices> services) {
    installed() = std::move(services);
}

} // namespace brevant
