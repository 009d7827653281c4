#pragma once

#include "ConfinedFiles.h"
#include "JsonCodec.h"

#include <QFile>
#include <QLockFile>
#include <QString>

#include <memory>
#include <optional>

namespace brevant::devd {

// The stand-in's data folder: its layout, its ownership marker and the JSON state files in
// state/, each written whole through a rename so that a crash never leaves half a file. Every
// write and every folder it makes inside goes through here and never follows a link.
//
//   www/<project>/   document roots          backups/   archives of www/
//   logs/<svc>.log   service logs            hosts      the hosts entries it manages
//   state/*.json     projects, services, activity, secrets
class StateStore {
public:
    explicit StateStore(QString root);

    // Creates the folder, or takes over an empty one, or reopens one that carries the marker.
    // Refuses any other folder: it belongs to someone else. Also refuses a folder that another
    // running stand-in holds, since two writers would undo each other's changes.
    bool prepare(QString* why);

    const QString& root() const { return m_root; }
    QString www() const { return m_root + QStringLiteral("/www"); }
    QString backups() const { return m_root + QStringLiteral("/backups"); }
    QString logs() const { return m_root + QStringLiteral("/logs"); }
    QString conf() const { return m_root + QStringLiteral("/conf"); }
    QString bin() const { return m_root + QStringLiteral("/bin"); }
    QString hostsFile() const { return m_root + QStringLiteral("/hosts"); }
    QString statePath(const QString& name) const {
        return m_root + QStringLiteral("/state/") + name + ".json";
    }

    // A missing file is an empty optional with `why` left empty; a broken one sets `why`.
    template <class T> std::optional<T> load(const QString& name, QString* why) const {
        QFile file(statePath(name));
        if (!file.exists())
            return std::nullopt;
        if (!file.open(QIODevice::ReadOnly)) {
            *why = QStringLiteral("cannot read %1: %2").arg(file.fileName(), file.errorString());
            return std::nullopt;
        }
        QString problem;
        std::optional<T> value = json::decode<T>(file.readAll(), &problem);
        if (!value)
            *why = QStringLiteral("%1 is damaged (%2); move it away to start afresh")
                       .arg(file.fileName(), problem);
        return value;
    }

    template <class T>
    bool save(const QString& name, const T& value, QString* why, bool ownerOnly = false) const {
        const std::optional<QByteArray> bytes = json::encode(value);
        if (!bytes) {
            *why = QStringLiteral("cannot encode %1").arg(name);
            return false;
        }
        return writeFile(QStringLiteral("state/") + name + QStringLiteral(".json"), *bytes, ownerOnly, why);
    }

    // `relative` is a path below the folder ("www/site/index.php"); see ConfinedFiles.
    bool writeFile(const QString& relative, const QByteArray& bytes, bool ownerOnly, QString* why) const {
        return confined::writeFile(m_root, relative, bytes, ownerOnly, why);
    }
    bool appendToFile(const QString& relative, const QByteArray& bytes, QString* why) const {
        return confined::appendToFile(m_root, relative, bytes, why);
    }
    bool makeFolders(const QString& relative, QString* why) const {
        return confined::makeFolders(m_root, relative, why);
    }
    bool isLinkFree(const QString& relative, QString* why) const {
        return confined::isLinkFree(m_root, relative, why);
    }

private:
    QString m_root;
    std::unique_ptr<QLockFile> m_lock;
};

} // namespace brevant::devd
