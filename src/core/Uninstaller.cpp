#include "Uninstaller.h"

#include "Awaitables.h"
#include "JsonCodec.h"
#include "Models.h"
#include "RequestLayer.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <QUrl>

namespace brevant {

namespace {

// Sends a body-less POST and waits for its end; the reply and any failure are of no interest.
QCoro::Task<void> postAndWait(OutgoingRequest request) {
    co_await sendRequest(request, QByteArrayLiteral("POST"), std::nullopt);
}

QString readToken(const QString& path) {
    QFile file(path);
    if (!QFileInfo(path).isFile() || file.size() > kMaxReplyBytes || !file.open(QIODevice::ReadOnly))
        return {};
    const auto config = json::decode<BrevantConfig>(file.readAll());
    return config ? config->authToken : QString();
}

OutgoingRequest legacyStopRequest(const UninstallSettings& s) {
    return {QUrl(s.legacyStopAllURL), {}, s.requestTimeout};
}

OutgoingRequest daemonStopRequest(const UninstallSettings& s) {
    OutgoingRequest request{
        QUrl(s.daemonURL + QStringLiteral("/api/services/stop-all")), {}, s.requestTimeout};
    const QString token = readToken(s.configPath);
    if (!token.isEmpty())
        request.headers.append(
            {QByteArrayLiteral("Authorization"), QByteArrayLiteral("Bearer ") + token.toUtf8()});
    request.headers.append({QByteArrayLiteral("Content-Type"), QByteArrayLiteral("application/json")});
    return request;
}

} // namespace

QCoro::Task<UninstallOutcome> uninstallEverything(std::shared_ptr<DesktopServices> desktop,
                                                  PlatformProfile profile, UninstallSettings settings) {
    // The services go first, through both the old stop request and the daemon's own contract:
    // nothing may keep running out of the folders removed below.
    co_await postAndWait(legacyStopRequest(settings));
    co_await postAndWait(daemonStopRequest(settings));
    co_await delay(settings.pause);

    const QString home = desktop->homeDirectory();
    const Command stopAgent = profile.stopUserAgentFor(home);
    // A missing agent only complains, and the program writes no output of its own.
    co_await desktop->runAndWaitDroppingErrors(stopAgent.program, stopAgent.arguments);
    co_await delay(settings.pause);
    desktop->removeFile(profile.userAgentPath(home));

    // The desktop asks for an administrator's password here; a cancelled prompt only complains.
    const Command admin = profile.adminScriptCommand();
    co_await desktop->runAndWaitDroppingErrors(admin.program, admin.arguments);

    // Only the installation folder decides: the other removals may fail without harm.
    UninstallOutcome outcome;
    outcome.succeeded = !desktop->pathExists(settings.installDir);
    if (outcome.succeeded) {
        outcome.message = QStringLiteral(u"\u2705 Kelvask Brevant has been completely uninstalled.");
        QTimer::singleShot(settings.quitDelay, Qt::PreciseTimer, QCoreApplication::instance(),
                           [desktop] { desktop->quit(); });
    } else {
        outcome.message = QStringLiteral(
            u"\u26A0\uFE0F Some files could not be removed. Try manually: sudo rm -rf /opt/brevant");
    }
    co_return outcome;
}

} // namespace brevant
