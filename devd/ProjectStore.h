#pragma once

#include "ActivityLog.h"
#include "Models.h"
#include "Reply.h"
#include "StateStore.h"

#include <QList>
#include <QSet>

namespace brevant::devd {

// The local projects (virtual hosts): kept in state/projects.json, each with its document root
// www/<name>. A project's name becomes that folder's name, so it must be a plain component.
class ProjectStore {
public:
    ProjectStore(const StateStore& store, ActivityLog& activity) : m_store(store), m_activity(activity) {}

    bool load(QString* why);
    const QList<Project>& projects() const { return m_projects; }

    QString wwwRoot() const { return m_store.www(); }
    QString documentRoot(const QString& name) const { return m_store.www() + u'/' + name; }
    // The document root's folder, made or written into without following a link (a folder kept
    // from a deleted project may hold anything).
    bool makeDocumentRoot(const QString& name, QString* why) const {
        return m_store.makeFolders(QStringLiteral("www/") + name, why);
    }
    bool writeIntoDocumentRoot(const QString& name, const QString& file, const QByteArray& bytes,
                               QString* why) const {
        return m_store.writeFile(QStringLiteral("www/") + name + u'/' + file, bytes, false, why);
    }
    bool documentRootIsLinkFree(const QString& name, QString* why) const {
        return m_store.isLinkFree(QStringLiteral("www/") + name, why);
    }

    // 400 for a request that cannot become a project, 409 for a name or domain in use.
    std::optional<Reply> check(const CreateProjectRequest& request) const;

    // Checks, creates the document root and saves. `source` names the action in the activity list.
    Outcome<Project> create(const CreateProjectRequest& request,
                            const QString& source = QStringLiteral("project"));

    // Forgets the project; its folder stays in www/ (the stand-in never deletes user files).
    Reply remove(const QString& id);

    // A name and domain held for a project that is still being made (a clone in progress), so
    // that a second request for them conflicts at once.
    void reserve(const QString& name, const QString& domain);
    void release(const QString& name, const QString& domain);

private:
    bool nameTaken(const QString& name) const;
    bool domainTaken(const QString& domain) const;

    const StateStore& m_store;
    ActivityLog& m_activity;
    QList<Project> m_projects;
    QSet<QString> m_reservedNames;
    QSet<QString> m_reservedDomains; // lower case
};

} // namespace brevant::devd
