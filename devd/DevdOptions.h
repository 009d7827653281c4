#pragma once

#include "ConfigOwner.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <chrono>
#include <optional>
#include <variant>

namespace brevant::devd {

// What /system/info reports: the machine's figures; one snapshot on every reply; or that snapshot
// with CPU load and memory use that change on every reply.
enum class FigureMode { Real, Still, Changing };

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
    // A connection is ended when a whole request has not arrived this long after it opened or
    // after its last answer.
    std::chrono::milliseconds idleTimeout{30'000};
    FigureMode figures = FigureMode::Real;
    std::optional<FileOwner> owner;    // --owner: who gets the configuration file
    std::optional<FileOwner> sudoUser; // who ran sudo, taken from its variables by main()

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
