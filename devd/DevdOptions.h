#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <chrono>
#include <optional>
#include <variant>

namespace brevant::devd {

// How one run of the stand-in is set up: where it listens, where its files are, and the fault
// switches that end-to-end tests use.
struct DevdOptions {
    quint16 port = 19400; // 0 picks a free port
    QString configPath = QStringLiteral("/opt/brevant/brevant.config.json");
    QString dataDir;                    // empty: "devd-data" beside the configuration file
    std::chrono::milliseconds delay{0}; // every /api reply this much later
    QHash<QString, int> failures;       // path (with or without /api) → forced status
    std::optional<std::chrono::milliseconds> closeWebSocketsAfter; // from each socket's opening
    bool logRequests = true;

    QString effectiveDataDir() const;
};

// What the command line asked for: a run, or a text to print and leave (help, version, error).
struct OptionsExit {
    QString text;
    int exitCode = 0;
};
using ParsedOptions = std::variant<DevdOptions, OptionsExit>;

// `arguments` includes the program name first, as QCoreApplication::arguments() does.
ParsedOptions parseOptions(const QStringList& arguments);

} // namespace brevant::devd
