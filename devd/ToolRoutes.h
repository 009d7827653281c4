#pragma once

#include "BackupStore.h"
#include "EventHub.h"
#include "HostsFile.h"
#include "ProjectStore.h"
#include "Router.h"

#include <memory>

namespace brevant::devd {

// The developer tools under /pro: Git clone, CMS install, the hosts entries and the backups.
class ToolRoutes {
public:
    ToolRoutes(ProjectStore& projects, HostsFile& hosts, BackupStore& backups, EventHub& hub)
        : m_projects(projects), m_hosts(hosts), m_backups(backups), m_hub(hub) {}

    void addTo(Router& router);

    // The project name a clone of `url` gets when none is given: the last path component
    // without ".git" ("https://host/user/site.git" → "site"); empty when there is none.
    static QString cloneName(const QString& url);
    // The domain a project made by a tool gets: the name as a host-name label, then ".test"
    // ("My_Site" → "my-site.test").
    static QString domainFor(const QString& name);

    QCoro::Task<Reply> gitClone(Request request);
    Reply cmsInstall(const Request& request);
    Reply listHosts(const Request& request);
    Reply addHost(const Request& request);
    Reply listBackups(const Request& request);
    QCoro::Task<Reply> createBackup(Request request);
    QCoro::Task<Reply> restoreBackup(Request request);

private:
    ProjectStore& m_projects;
    HostsFile& m_hosts;
    BackupStore& m_backups;
    EventHub& m_hub;
    std::shared_ptr<int> m_alive = std::make_shared<int>(0);
};

} // namespace brevant::devd
