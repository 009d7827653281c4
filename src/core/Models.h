#pragma once

// The JSON records exchanged with the daemon. Each lists its members once, with its JSON key;
// std::optional marks an optional member.

#include "JsonFields.h"

#include <QList>
#include <QString>

#include <optional>

namespace brevant {

using json::field;

struct APIError {
    std::optional<QString> code;
    std::optional<QString> message;
    static constexpr auto fields() {
        return std::make_tuple(field("code", &APIError::code), field("message", &APIError::message));
    }
    bool operator==(const APIError&) const = default;
};

// The envelope of every daemon reply.
template <class T> struct APIResponse {
    bool success = false;
    std::optional<T> data;
    std::optional<APIError> error;
    static constexpr auto fields() {
        return std::make_tuple(field("success", &APIResponse::success), field("data", &APIResponse::data),
                               field("error", &APIResponse::error));
    }
};

struct ServiceStatus {
    QString name;
    QString status;
    std::optional<qint64> pid;
    std::optional<qint64> port;
    std::optional<qint64> uptime;
    std::optional<double> cpu;
    std::optional<qint64> memory;
    std::optional<QString> error;
    static constexpr auto fields() {
        return std::make_tuple(field("name", &ServiceStatus::name), field("status", &ServiceStatus::status),
                               field("pid", &ServiceStatus::pid), field("port", &ServiceStatus::port),
                               field("uptime", &ServiceStatus::uptime), field("cpu", &ServiceStatus::cpu),
                               field("memory", &ServiceStatus::memory),
                               field("error", &ServiceStatus::error));
    }
    bool operator==(const ServiceStatus&) const = default;

    const QString& id() const { return name; }
    bool isRunning() const { return status == QLatin1StringView("running"); }
    QString displayName() const;
    QString iconName() const;
};

struct ActivityEntry {
    qint64 id = 0;
    QString action;
    std::optional<QString> service;
    std::optional<QString> details;
    QString created_at;
    static constexpr auto fields() {
        return std::make_tuple(field("id", &ActivityEntry::id), field("action", &ActivityEntry::action),
                               field("service", &ActivityEntry::service),
                               field("details", &ActivityEntry::details),
                               field("created_at", &ActivityEntry::created_at));
    }
    bool operator==(const ActivityEntry&) const = default;
};

struct StatusData {
    QList<ServiceStatus> services;
    std::optional<QList<ActivityEntry>> activity;
    static constexpr auto fields() {
        return std::make_tuple(field("services", &StatusData::services),
                               field("activity", &StatusData::activity));
    }
    bool operator==(const StatusData&) const = default;
};

struct OSInfo {
    QString platform;
    QString release;
    QString arch;
    QString hostname;
    static constexpr auto fields() {
        return std::make_tuple(field("platform", &OSInfo::platform), field("release", &OSInfo::release),
                               field("arch", &OSInfo::arch), field("hostname", &OSInfo::hostname));
    }
    bool operator==(const OSInfo&) const = default;
};

struct CPUInfo {
    QString model;
    qint64 cores = 0;
    QList<double> loadAverage;
    static constexpr auto fields() {
        return std::make_tuple(field("model", &CPUInfo::model), field("cores", &CPUInfo::cores),
                               field("loadAverage", &CPUInfo::loadAverage));
    }
    bool operator==(const CPUInfo&) const = default;
};

// Main memory and the main disk report the same four figures.
struct ByteUsage {
    qint64 total = 0;
    qint64 free = 0;
    qint64 used = 0;
    qint64 percentUsed = 0;
    static constexpr auto fields() {
        return std::make_tuple(field("total", &ByteUsage::total), field("free", &ByteUsage::free),
                               field("used", &ByteUsage::used),
                               field("percentUsed", &ByteUsage::percentUsed));
    }
    bool operator==(const ByteUsage&) const = default;
};
using MemoryInfo = ByteUsage;
using DiskInfo = ByteUsage;

struct SystemInfo {
    OSInfo os;
    CPUInfo cpu;
    MemoryInfo memory;
    DiskInfo disk;
    qint64 uptime = 0;
    QString nodeVersion;
    static constexpr auto fields() {
        return std::make_tuple(field("os", &SystemInfo::os), field("cpu", &SystemInfo::cpu),
                               field("memory", &SystemInfo::memory), field("disk", &SystemInfo::disk),
                               field("uptime", &SystemInfo::uptime),
                               field("nodeVersion", &SystemInfo::nodeVersion));
    }
    bool operator==(const SystemInfo&) const = default;
};

struct PortConfig {
    qint64 apacheHttp = 0;
    qint64 apacheHttps = 0;
    qint64 nginxHttp = 0;
    qint64 nginxHttps = 0;
    qint64 mariadb = 0;
    qint64 phpFpm = 0;
    qint64 pm2Web = 0;
    qint64 mailhogSmtp = 0;
    qint64 mailhogWeb = 0;
    qint64 daemonApi = 0;
    std::optional<qint64> redis;
    static constexpr auto fields() {
        return std::make_tuple(
            field("apacheHttp", &PortConfig::apacheHttp), field("apacheHttps", &PortConfig::apacheHttps),
            field("nginxHttp", &PortConfig::nginxHttp), field("nginxHttps", &PortConfig::nginxHttps),
            field("mariadb", &PortConfig::mariadb), field("phpFpm", &PortConfig::phpFpm),
            field("pm2Web", &PortConfig::pm2Web), field("mailhogSmtp", &PortConfig::mailhogSmtp),
            field("mailhogWeb", &PortConfig::mailhogWeb), field("daemonApi", &PortConfig::daemonApi),
            field("redis", &PortConfig::redis));
    }
    bool operator==(const PortConfig&) const = default;
};

struct PathConfig {
    QString wwwRoot;
    QString dataDir;
    QString logsDir;
    QString confDir;
    QString binDir;
    static constexpr auto fields() {
        return std::make_tuple(field("wwwRoot", &PathConfig::wwwRoot), field("dataDir", &PathConfig::dataDir),
                               field("logsDir", &PathConfig::logsDir), field("confDir", &PathConfig::confDir),
                               field("binDir", &PathConfig::binDir));
    }
    bool operator==(const PathConfig&) const = default;
};

struct AppConfig {
    QString version;
    QString defaultWebServer;
    QString defaultPhpVersion;
    PortConfig ports;
    PathConfig paths;
    bool autoStart = false;
    QString bindAddress;
    static constexpr auto fields() {
        return std::make_tuple(
            field("version", &AppConfig::version), field("defaultWebServer", &AppConfig::defaultWebServer),
            field("defaultPhpVersion", &AppConfig::defaultPhpVersion), field("ports", &AppConfig::ports),
            field("paths", &AppConfig::paths), field("autoStart", &AppConfig::autoStart),
            field("bindAddress", &AppConfig::bindAddress));
    }
    bool operator==(const AppConfig&) const = default;
};

struct Project {
    QString id;
    QString name;
    QString domain;
    QString documentRoot;
    QString webServer;
    QString phpVersion;
    bool sslEnabled = false;
    std::optional<QString> databaseName;
    std::optional<QString> createdAt;
    std::optional<QString> updatedAt;
    static constexpr auto fields() {
        return std::make_tuple(
            field("id", &Project::id), field("name", &Project::name), field("domain", &Project::domain),
            field("documentRoot", &Project::documentRoot), field("webServer", &Project::webServer),
            field("phpVersion", &Project::phpVersion), field("sslEnabled", &Project::sslEnabled),
            field("databaseName", &Project::databaseName), field("created_at", &Project::createdAt),
            field("updated_at", &Project::updatedAt));
    }
    bool operator==(const Project&) const = default;
};

struct CreateProjectRequest {
    QString name;
    QString domain;
    QString webServer;
    QString phpVersion;
    bool sslEnabled = false;
    bool createDatabase = false;
    static constexpr auto fields() {
        return std::make_tuple(field("name", &CreateProjectRequest::name),
                               field("domain", &CreateProjectRequest::domain),
                               field("webServer", &CreateProjectRequest::webServer),
                               field("phpVersion", &CreateProjectRequest::phpVersion),
                               field("sslEnabled", &CreateProjectRequest::sslEnabled),
                               field("createDatabase", &CreateProjectRequest::createDatabase));
    }
    bool operator==(const CreateProjectRequest&) const = default;
};

struct ProjectListData {
    QList<Project> projects;
    qint64 count = 0;
    static constexpr auto fields() {
        return std::make_tuple(field("projects", &ProjectListData::projects),
                               field("count", &ProjectListData::count));
    }
    bool operator==(const ProjectListData&) const = default;
};

struct DeleteResult {
    bool deleted = false;
    std::optional<QString> id;
    static constexpr auto fields() {
        return std::make_tuple(field("deleted", &DeleteResult::deleted), field("id", &DeleteResult::id));
    }
    bool operator==(const DeleteResult&) const = default;
};

struct LogData {
    QString service;
    QString logPath;
    QString content;
    static constexpr auto fields() {
        return std::make_tuple(field("service", &LogData::service), field("logPath", &LogData::logPath),
                               field("content", &LogData::content));
    }
    bool operator==(const LogData&) const = default;
};

struct ServiceStartResult {
    QString service;
    std::optional<qint64> pid;
    std::optional<qint64> port;
    static constexpr auto fields() {
        return std::make_tuple(field("service", &ServiceStartResult::service),
                               field("pid", &ServiceStartResult::pid),
                               field("port", &ServiceStartResult::port));
    }
    bool operator==(const ServiceStartResult&) const = default;
};

struct ServiceStopResult {
    QString service;
    QString status;
    static constexpr auto fields() {
        return std::make_tuple(field("service", &ServiceStopResult::service),
                               field("status", &ServiceStopResult::status));
    }
    bool operator==(const ServiceStopResult&) const = default;
};

struct CredentialsData {
    QString authToken;
    QString mariadbRootPassword;
    static constexpr auto fields() {
        return std::make_tuple(field("authToken", &CredentialsData::authToken),
                               field("mariadbRootPassword", &CredentialsData::mariadbRootPassword));
    }
    bool operator==(const CredentialsData&) const = default;
};

struct DBConnection {
    QString host;
    qint64 port = 0;
    QString user;
    static constexpr auto fields() {
        return std::make_tuple(field("host", &DBConnection::host), field("port", &DBConnection::port),
                               field("user", &DBConnection::user));
    }
    bool operator==(const DBConnection&) const = default;
};

struct DatabaseConnectionData {
    DBConnection connection;
    static constexpr auto fields() {
        return std::make_tuple(field("connection", &DatabaseConnectionData::connection));
    }
    bool operator==(const DatabaseConnectionData&) const = default;
};

// The daemon's configuration file as the client reads it: only the token.
struct BrevantConfig {
    QString authToken;
    static constexpr auto fields() { return std::make_tuple(field("authToken", &BrevantConfig::authToken)); }
    bool operator==(const BrevantConfig&) const = default;
};

// Developer tools.

struct GitCloneRequest {
    QString url;
    std::optional<QString> name;
    static constexpr auto fields() {
        return std::make_tuple(field("url", &GitCloneRequest::url), field("name", &GitCloneRequest::name));
    }
    bool operator==(const GitCloneRequest&) const = default;
};

struct GitCloneResult {
    QString projectName;
    QString path;
    QString message;
    static constexpr auto fields() {
        return std::make_tuple(field("projectName", &GitCloneResult::projectName),
                               field("path", &GitCloneResult::path),
                               field("message", &GitCloneResult::message));
    }
    bool operator==(const GitCloneResult&) const = default;
};

struct CMSInstallRequest {
    QString cms;
    QString name;
    static constexpr auto fields() {
        return std::make_tuple(field("cms", &CMSInstallRequest::cms),
                               field("name", &CMSInstallRequest::name));
    }
    bool operator==(const CMSInstallRequest&) const = default;
};

struct CMSInstallResult {
    QString cms;
    QString name;
    QString path;
    QString message;
    static constexpr auto fields() {
        return std::make_tuple(field("cms", &CMSInstallResult::cms), field("name", &CMSInstallResult::name),
                               field("path", &CMSInstallResult::path),
                               field("message", &CMSInstallResult::message));
    }
    bool operator==(const CMSInstallResult&) const = default;
};

struct DNSEntry {
    QString ip;
    QString hostname;
    static constexpr auto fields() {
        return std::make_tuple(field("ip", &DNSEntry::ip), field("hostname", &DNSEntry::hostname));
    }
    bool operator==(const DNSEntry&) const = default;
};

struct DNSData {
    QList<DNSEntry> entries;
    static constexpr auto fields() { return std::make_tuple(field("entries", &DNSData::entries)); }
    bool operator==(const DNSData&) const = default;
};

struct DNSAddRequest {
    QString ip;
    QString hostname;
    static constexpr auto fields() {
        return std::make_tuple(field("ip", &DNSAddRequest::ip), field("hostname", &DNSAddRequest::hostname));
    }
    bool operator==(const DNSAddRequest&) const = default;
};

struct ProActionResult {
    QString message;
    static constexpr auto fields() { return std::make_tuple(field("message", &ProActionResult::message)); }
    bool operator==(const ProActionResult&) const = default;
};

struct BackupEntry {
    QString name;
    qint64 size = 0;
    QString created;
    static constexpr auto fields() {
        return std::make_tuple(field("name", &BackupEntry::name), field("size", &BackupEntry::size),
                               field("created", &BackupEntry::created));
    }
    bool operator==(const BackupEntry&) const = default;
};

struct BackupsData {
    QList<BackupEntry> backups;
    static constexpr auto fields() { return std::make_tuple(field("backups", &BackupsData::backups)); }
    bool operator==(const BackupsData&) const = default;
};

struct BackupResult {
    QString message;
    static constexpr auto fields() { return std::make_tuple(field("message", &BackupResult::message)); }
    bool operator==(const BackupResult&) const = default;
};

struct BackupRestoreRequest {
    QString filename;
    static constexpr auto fields() {
        return std::make_tuple(field("filename", &BackupRestoreRequest::filename));
    }
    bool operator==(const BackupRestoreRequest&) const = default;
};

// The body of a request that carries an empty JSON object.
struct EmptyRequest {
    static constexpr auto fields() { return std::tuple<>(); }
    bool operator==(const EmptyRequest&) const = default;
};

} // namespace brevant
