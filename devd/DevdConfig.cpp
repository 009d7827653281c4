#include "DevdConfig.h"

#include "Names.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace brevant::devd {

bool writeFileAtomically(const QString& path, const QByteArray& bytes, bool ownerOnly, QString* why) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *why = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    // Before any byte is written, so the secret is never readable by others, not even briefly.
    if (ownerOnly && !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        *why = QStringLiteral("cannot restrict the permissions of %1").arg(path);
        file.cancelWriting();
        return false;
    }
    if (file.write(bytes) != bytes.size() || !file.commit()) {
        *why = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

namespace {

std::optional<QString> readToken(const QString& path, QString* why) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *why = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    if (file.size() > 1024 * 1024) {
        *why = QStringLiteral("%1 is too large to be a configuration file").arg(path);
        return std::nullopt;
    }
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
    const QJsonObject object = document.object();
    if (error.error != QJsonParseError::NoError || !document.isObject() ||
        object.value(QLatin1StringView(kMarkerKey)).toString() != QLatin1StringView(kMarkerValue)) {
        *why =
            QStringLiteral("%1 was not created by brevant-devd and probably belongs to a real installation; "
                           "it is left alone. Start with --config pointing elsewhere.")
                .arg(path);
        return std::nullopt;
    }
    const QString token = object.value(QLatin1StringView("authToken")).toString();
    if (!isNonBlank(token)) {
        *why = QStringLiteral("%1 has no authToken; delete the file to get a new one").arg(path);
        return std::nullopt;
    }
    return token;
}

} // namespace

namespace {

// Creates the missing folders of `path` with mode 0755 whatever the umask: the desktop user
// must be able to reach the configuration file inside.
bool makeReachableFolders(const QString& path, QString* why) {
    QStringList missing;
    QString at = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    while (!QFileInfo::exists(at) && !QFileInfo(at).isSymLink()) {
        missing.prepend(at);
        at = QFileInfo(at).absolutePath();
    }
    for (const QString& folder : std::as_const(missing)) {
        if (!QDir().mkdir(folder) ||
            !QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                               QFileDevice::ExeOwner | QFileDevice::ReadGroup |
                                               QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                               QFileDevice::ExeOther)) {
            *why = QStringLiteral("cannot create the folder %1").arg(folder);
            return false;
        }
    }
    return true;
}

} // namespace

std::optional<QString> loadOrCreateToken(const QString& path, QString* why,
                                         const std::optional<FileOwner>& owner) {
    const QFileInfo info(path);
    std::optional<QString> token;
    if (info.exists() || info.isSymLink()) {
        if (info.isDir()) {
            *why = QStringLiteral("%1 is a folder, not a configuration file").arg(path);
            return std::nullopt;
        }
        token = readToken(path, why);
    } else {
        if (!makeReachableFolders(info.absolutePath(), why))
            return std::nullopt;
        token = randomHex(32);
        QJsonObject object;
        object.insert(QStringLiteral("authToken"), *token);
        object.insert(QLatin1StringView(kMarkerKey), QLatin1StringView(kMarkerValue));
        if (!writeFileAtomically(path, QJsonDocument(object).toJson(), true, why))
            return std::nullopt;
    }
    if (token && owner && !giveConfigTo(path, *owner, why))
        return std::nullopt;
    return token;
}

} // namespace brevant::devd
