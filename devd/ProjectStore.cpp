#include "ProjectStore.h"

#include "Names.h"

#include <QDir>

namespace brevant::devd {

bool ProjectStore::load(QString* why) {
    std::optional<ProjectListData> file = m_store.load<ProjectListData>(QStringLiteral("projects"), why);
    if (!why->isEmpty())
        return false;
    if (file)
        m_projects = std::move(file->projects);
    return true;
}

bool ProjectStore::nameTaken(const QString& name) const {
    return m_reservedNames.contains(name) || std::any_of(m_projects.begin(), m_projects.end(),
                                                         [&](const Project& p) { return p.name == name; });
}

bool ProjectStore::domainTaken(const QString& domain) const {
    const QString lower = domain.toLower();
    return m_reservedDomains.contains(lower) ||
           std::any_of(m_projects.begin(), m_projects.end(),
                       [&](const Project& p) { return p.domain.toLower() == lower; });
}

std::optional<Reply> ProjectStore::check(const CreateProjectRequest& request) const {
    const QString bad = QStringLiteral("BAD_REQUEST");
    if (!isNonBlank(request.name))
        return failure(400, bad, QStringLiteral("A project needs a name."));
    if (!isPlainComponent(request.name))
        return failure(
            400, bad,
            QStringLiteral("The name \"%1\" cannot be a folder name: use no \"/\", \"\\\", control "
                           "characters, \".\" or \"..\".")
                .arg(quoted(request.name)));
    if (!isNonBlank(request.domain))
        return failure(400, bad, QStringLiteral("A project needs a domain."));
    if (!isValidHostname(request.domain))
        return failure(400, bad,
                       QStringLiteral("The domain \"%1\" is not a host name: labels of letters, digits and "
                                      "hyphens, 1 to 63 characters each, 253 in all.")
                           .arg(quoted(request.domain)));
    if (request.webServer != QLatin1StringView("apache") && request.webServer != QLatin1StringView("nginx"))
        return failure(400, bad, QStringLiteral("The web server must be \"apache\" or \"nginx\"."));
    if (!isNonBlank(request.phpVersion))
        return failure(400, bad, QStringLiteral("A project needs a PHP version."));
    if (!isPhpVersion(request.phpVersion))
        return failure(400, bad,
                       QStringLiteral("The PHP version \"%1\" is not a version such as 8.3: one to three "
                                      "numbers joined by dots.")
                           .arg(quoted(request.phpVersion)));
    if (domainTaken(request.domain))
        return failure(
            409, QStringLiteral("CONFLICT"),
            QStringLiteral("The domain %1 is already used by another project.").arg(request.domain));
    if (nameTaken(request.name))
        return failure(409, QStringLiteral("CONFLICT"),
                       QStringLiteral("There is already a project named %1.").arg(request.name));
    return std::nullopt;
}

Outcome<Project> ProjectStore::create(const CreateProjectRequest& request, const QString& source) {
    if (std::optional<Reply> refused = check(request))
        return *refused;
    const QString root = documentRoot(request.name);
    QString refused;
    if (!makeDocumentRoot(request.name, &refused))
        return failure(500, QStringLiteral("WRITE_FAILED"),
                       QStringLiteral("Cannot create the folder %1: %2.").arg(root, refused));

    Project p;
    p.id = randomHex(8);
    p.name = request.name;
    p.domain = request.domain;
    p.documentRoot = root;
    p.webServer = request.webServer;
    p.phpVersion = request.phpVersion;
    p.sslEnabled = request.sslEnabled;
    if (request.createDatabase) {
        // Only the name: the stand-in has no database server to create it in.
        QString db = request.name;
        for (QChar& c : db) {
            if (!c.isLetterOrNumber() || c.unicode() > 127)
                c = u'_';
        }
        p.databaseName = db;
    }
    p.createdAt = isoNow();
    p.updatedAt = p.createdAt;

    QList<Project> next = m_projects;
    next.push_back(p);
    QString why;
    if (!m_store.save(QStringLiteral("projects"), ProjectListData{next, next.size()}, &why))
        return failure(500, QStringLiteral("WRITE_FAILED"), why);
    m_projects = std::move(next);
    m_activity.record(source, std::nullopt, QStringLiteral("created project %1 (%2)").arg(p.name, p.domain));
    return p;
}

Reply ProjectStore::remove(const QString& id) {
    if (!isPlainComponent(id))
        return failure(400, QStringLiteral("BAD_REQUEST"),
                       QStringLiteral("\"%1\" is not a project id.").arg(id));
    QList<Project> next = m_projects;
    const auto removed = next.removeIf([&](const Project& p) { return p.id == id; });
    if (removed == 0)
        return failure(404, QStringLiteral("NOT_FOUND"),
                       QStringLiteral("There is no project with the id %1.").arg(id));
    QString why;
    if (!m_store.save(QStringLiteral("projects"), ProjectListData{next, next.size()}, &why))
        return failure(500, QStringLiteral("WRITE_FAILED"), why);
    const auto gone =
        std::find_if(m_projects.begin(), m_projects.end(), [&](const Project& p) { return p.id == id; });
    m_activity.record(QStringLiteral("project-deleted"), std::nullopt,
                      QStringLiteral("removed project %1; its folder was kept").arg(gone->name));
    m_projects = std::move(next);
    return success(DeleteResult{true, id});
}

void ProjectStore::reserve(const QString& name, const QString& domain) {
    m_reservedNames.insert(name);
    m_reservedDomains.insert(domain.toLower());
}

void ProjectStore::release(const QString& name, const QString& domain) {
    m_reservedNames.remove(name);
    m_reservedDomains.remove(domain.toLower());
}

} // namespace brevant::devd
