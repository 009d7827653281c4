#include "ToolRoutes.h"

#include "DevdConfig.h"
#include "Names.h"
#include "ProcessRun.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace brevant::devd {

namespace {

constexpr std::chrono::minutes kCloneLimit{10};

Reply badRequest(const QString& message) {
    return failure(400, QStringLiteral("BAD_REQUEST"), message);
}

struct CmsChoice {
    const char* id;
    const char* label;
};
constexpr CmsChoice kCms[] = {{"wordpress", "WordPress"}, {"laravel", "Laravel"}, {"drupal", "Drupal"}};

const CmsChoice* findCms(const QString& id) {
    for (const CmsChoice& c : kCms) {
        if (id == QLatin1StringView(c.id))
            return &c;
    }
    return nullptr;
}

// A project made by a tool: served by Apache with the default PHP, under a .test domain.
CreateProjectRequest toolProject(const QString& name, bool withDatabase) {
    return {name,        ToolRoutes::domainFor(name), QStringLiteral("apache"), QStringLiteral("8.3"), false,
            withDatabase};
}

} // namespace

QString ToolRoutes::domainFor(const QString& name) {
    QString label;
    for (const QChar c : name.toLower()) {
        const bool keep = (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9');
        if (keep)
            label += c;
        else if (!label.isEmpty() && !label.endsWith(u'-'))
            label += u'-';
    }
    label.truncate(63);
    while (label.endsWith(u'-'))
        label.chop(1);
    return (label.isEmpty() ? QStringLiteral("project") : label) + QStringLiteral(".test");
}

void ToolRoutes::addTo(Router& router) {
    router.add("POST", QStringLiteral("/pro/git/clone"),
               [this](Request r) { return gitClone(std::move(r)); });
    router.add("POST", QStringLiteral("/pro/cms/install"),
               Router::immediate([this](const Request& r) { return cmsInstall(r); }));
    router.add("GET", QStringLiteral("/pro/dns"),
               Router::immediate([this](const Request& r) { return listHosts(r); }));
    router.add("POST", QStringLiteral("/pro/dns"),
               Router::immediate([this](const Request& r) { return addHost(r); }));
    router.add("GET", QStringLiteral("/pro/backups"),
               Router::immediate([this](const Request& r) { return listBackups(r); }));
    router.add("POST", QStringLiteral("/pro/backup/create"),
               [this](Request r) { return createBackup(std::move(r)); });
    router.add("POST", QStringLiteral("/pro/backup/restore"),
               [this](Request r) { return restoreBackup(std::move(r)); });
}

QString ToolRoutes::cloneName(const QString& url) {
    QString rest = url.trimmed();
    while (rest.endsWith(u'/'))
        rest.chop(1);
    const qsizetype cut = std::max(rest.lastIndexOf(u'/'), rest.lastIndexOf(u':'));
    QString name = rest.mid(cut + 1);
    if (name.endsWith(QLatin1StringView(".git")))
        name.chop(4);
    return name;
}

QCoro::Task<Reply> ToolRoutes::gitClone(Request request) {
    Reply refused;
    const std::optional<GitCloneRequest> body = decodeBody<GitCloneRequest>(request, refused);
    if (!body)
        co_return refused;
    const QString url = body->url;
    if (!isNonBlank(url))
        co_return badRequest(QStringLiteral("A repository URL is needed."));
    if (url.trimmed().startsWith(u'-'))
        co_return badRequest(QStringLiteral("\"%1\" is not a repository URL.").arg(url));
    const QString name = body->name ? *body->name : cloneName(url);
    if (!isNonBlank(name) || !isPlainComponent(name))
        co_return badRequest(
            body->name ? QStringLiteral("The name \"%1\" cannot be a folder name.").arg(name)
                       : QStringLiteral("No project name can be taken from \"%1\"; give one.").arg(url));

    const CreateProjectRequest project = toolProject(name, false);
    if (std::optional<Reply> conflict = m_projects.check(project))
        co_return *conflict;
    const QString target = m_projects.documentRoot(name);
    QString linked;
    if (!m_projects.documentRootIsLinkFree(name, &linked))
        co_return failure(409, QStringLiteral("CONFLICT"), linked + u'.');
    const QDir targetDir(target);
    if (targetDir.exists() &&
        !targetDir.isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
        co_return failure(409, QStringLiteral("CONFLICT"),
                          QStringLiteral("%1 exists and is not empty.").arg(target));
    const QString git = QStandardPaths::findExecutable(QStringLiteral("git"));
    if (git.isEmpty())
        co_return failure(500, QStringLiteral("TOOL_MISSING"),
                          QStringLiteral("git is not installed on this machine."));

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("GIT_TERMINAL_PROMPT"), QStringLiteral("0")); // never wait for a password
    env.insert(QStringLiteral("GIT_ALLOW_PROTOCOL"), QStringLiteral("file:git:http:https:ssh"));

    m_projects.reserve(project.name, project.domain);
    const std::weak_ptr<int> alive = m_alive;
    // Named first: g++ 12 rejects a braced list inside a co_await expression.
    const QStringList arguments = {QStringLiteral("clone"), QStringLiteral("--quiet"), QStringLiteral("--"),
                                   url, target};
    const ProcessOutcome run = co_await runProcess(git, arguments, m_projects.wwwRoot(), kCloneLimit, env);
    if (alive.expired())
        co_return failure(503, QStringLiteral("SHUTTING_DOWN"), QStringLiteral("The daemon is stopping."));
    m_projects.release(project.name, project.domain);
    if (!run.succeeded()) {
        const QString why = run.timedOut   ? QStringLiteral("it took too long and was stopped")
                            : !run.started ? QStringLiteral("git could not be started")
                                           : run.errorTail();
        co_return failure(500, QStringLiteral("GIT_CLONE_FAILED"),
                          QStringLiteral("git clone failed: %1").arg(why));
    }
    const Outcome<Project> created = m_projects.create(project, QStringLiteral("git-clone"));
    if (!created.ok())
        co_return created.failure();
    m_hub.broadcast(QStringLiteral("projects"));
    co_return success(GitCloneResult{
        name, target, QStringLiteral("Cloned %1 into %2 (project %3).").arg(url, target, project.domain)});
}

Reply ToolRoutes::cmsInstall(const Request& request) {
    Reply refused;
    const std::optional<CMSInstallRequest> body = decodeBody<CMSInstallRequest>(request, refused);
    if (!body)
        return refused;
    const CmsChoice* cms = findCms(body->cms);
    if (!cms)
        return badRequest(QStringLiteral("\"%1\" is not one of wordpress, laravel, drupal.").arg(body->cms));
    const Outcome<Project> created = m_projects.create(
        toolProject(body->name, body->cms != QLatin1StringView("laravel")), QStringLiteral("cms-install"));
    if (!created.ok())
        return created.failure();
    const QString label = QString::fromLatin1(cms->label);
    const QString folder = created.value().documentRoot;
    const QByteArray notice =
        QStringLiteral("This project was made by brevant-devd, the stand-in daemon.\n"
                       "The real daemon would install %1 into this folder; the stand-in downloads nothing.\n")
            .arg(label)
            .toUtf8();
    QString why;
    const bool wrote =
        m_projects.writeIntoDocumentRoot(body->name, QStringLiteral("BREVANT-DEVD-NOTICE.txt"), notice, &why);
    m_hub.broadcast(QStringLiteral("projects"));
    QString message = QStringLiteral("Created project %1 (%2) for %3. The stand-in daemon downloads nothing: "
                                     "the folder holds only a notice.")
                          .arg(body->name, created.value().domain, label);
    if (!wrote)
        message += QStringLiteral(" The notice could not be written: ") + why;
    return success(CMSInstallResult{body->cms, body->name, folder, message});
}

Reply ToolRoutes::listHosts(const Request&) {
    return success(DNSData{m_hosts.entries()});
}

Reply ToolRoutes::addHost(const Request& request) {
    Reply refused;
    const std::optional<DNSAddRequest> body = decodeBody<DNSAddRequest>(request, refused);
    if (!body)
        return refused;
    const Outcome<ProActionResult> added = m_hosts.add(*body);
    if (!added.ok())
        return added.failure();
    m_hub.broadcast(QStringLiteral("hosts"));
    return success(added.value());
}

Reply ToolRoutes::listBackups(const Request&) {
    return success(BackupsData{m_backups.list()});
}

QCoro::Task<Reply> ToolRoutes::createBackup(Request request) {
    // The body is an empty object; an empty body is taken as one too.
    if (!request.body.trimmed().isEmpty()) {
        Reply refused;
        if (!decodeBody<EmptyRequest>(request, refused))
            co_return refused;
    }
    const std::weak_ptr<int> alive = m_alive;
    const Outcome<BackupResult> made = co_await m_backups.create();
    if (alive.expired() || !made.ok())
        co_return made.ok() ? success(made.value()) : made.failure();
    m_hub.broadcast(QStringLiteral("backups"));
    co_return success(made.value());
}

QCoro::Task<Reply> ToolRoutes::restoreBackup(Request request) {
    Reply refused;
    const std::optional<BackupRestoreRequest> body = decodeBody<BackupRestoreRequest>(request, refused);
    if (!body)
        co_return refused;
    const std::weak_ptr<int> alive = m_alive;
    const Outcome<BackupResult> restored = co_await m_backups.restore(body->filename);
    if (alive.expired() || !restored.ok())
        co_return restored.ok() ? success(restored.value()) : restored.failure();
    // Projects made after the backup keep a document root, if an empty one.
    for (const Project& p : m_projects.projects()) {
        QString ignored; // a folder that cannot be made shows as missing, as it is
        m_projects.makeDocumentRoot(p.name, &ignored);
    }
    m_hub.broadcast(QStringLiteral("backups"));
    co_return success(restored.value());
}

} // namespace brevant::devd
