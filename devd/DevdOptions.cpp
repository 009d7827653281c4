#include "DevdOptions.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>

#include <cmath>

namespace brevant::devd {

QString DevdOptions::effectiveDataDir() const {
    if (!dataDir.isEmpty())
        return QDir::cleanPath(QFileInfo(dataDir).absoluteFilePath());
    return QDir::cleanPath(QFileInfo(configPath).absoluteDir().filePath(QStringLiteral("devd-data")));
}

namespace {

OptionsExit bad(const QString& text) {
    return {QStringLiteral("brevant-devd: ") + text, 2};
}

// "/api/status=500" or "status=503": the path is normalised to start with "/".
bool addFailure(DevdOptions& options, const QString& rule) {
    const qsizetype eq = rule.lastIndexOf(u'=');
    if (eq <= 0)
        return false;
    QString path = rule.left(eq);
    bool ok = false;
    const int status = rule.mid(eq + 1).toInt(&ok);
    if (!ok || status < 100 || status > 599)
        return false;
    if (!path.startsWith(u'/'))
        path.prepend(u'/');
    options.failures.insert(path, status);
    return true;
}

} // namespace

ParsedOptions parseOptions(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "A stand-in for the Kelvask Brevant daemon: it keeps real state and serves the daemon's API, "
        "but simulates the services instead of running them."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help."));
    const QCommandLineOption version(QStringLiteral("version"), QStringLiteral("Show the version."));
    const QCommandLineOption port(QStringLiteral("port"),
                                  QStringLiteral("Port on 127.0.0.1 (0: any free port)."),
                                  QStringLiteral("N"), QStringLiteral("19400"));
    const QCommandLineOption config(QStringLiteral("config"),
                                    QStringLiteral("The configuration file with the token."),
                                    QStringLiteral("PATH"));
    const QCommandLineOption dataDir(
        QStringLiteral("data-dir"),
        QStringLiteral("Folder for the state (default: devd-data beside the config)."),
        QStringLiteral("PATH"));
    const QCommandLineOption delay(QStringLiteral("delay-ms"),
                                   QStringLiteral("Answer every request N ms late."), QStringLiteral("N"));
    const QCommandLineOption fail(QStringLiteral("fail"),
                                  QStringLiteral("Answer PATH with STATUS (repeatable)."),
                                  QStringLiteral("PATH=STATUS"));
    const QCommandLineOption closeWs(QStringLiteral("close-ws-after"),
                                     QStringLiteral("Close every WebSocket S seconds after it opened."),
                                     QStringLiteral("S"));
    const QCommandLineOption quiet(QStringLiteral("quiet"), QStringLiteral("Do not log requests."));
    const QCommandLineOption idle(
        QStringLiteral("idle-timeout"),
        QStringLiteral("End a connection that has not sent a whole request within S seconds (default 30)."),
        QStringLiteral("S"));
    const QCommandLineOption figures(
        QStringLiteral("figures"),
        QStringLiteral("Host figures: real (default), still (the same on every reply) or changing (CPU and "
                       "memory use change on every reply)."),
        QStringLiteral("MODE"));
    const QCommandLineOption owner(
        QStringLiteral("owner"),
        QStringLiteral("Give the configuration file to USER (a name or uid), mode 0600; needs root."),
        QStringLiteral("USER"));
    parser.addOptions(
        {help, version, port, config, dataDir, delay, fail, closeWs, quiet, idle, figures, owner});

    if (!parser.parse(arguments))
        return bad(parser.errorText());
    if (parser.isSet(help))
        return OptionsExit{parser.helpText(), 0};
    if (parser.isSet(version))
        return OptionsExit{QStringLiteral("brevant-devd " BREVANT_DEVD_VERSION), 0};
    if (!parser.positionalArguments().isEmpty())
        return bad(QStringLiteral("unexpected argument %1").arg(parser.positionalArguments().front()));

    DevdOptions options;
    bool ok = false;
    const uint p = parser.value(port).toUInt(&ok);
    if (!ok || p > 65535)
        return bad(QStringLiteral("--port wants a number from 0 to 65535"));
    options.port = static_cast<quint16>(p);
    if (parser.isSet(config)) {
        if (parser.value(config).isEmpty())
            return bad(QStringLiteral("--config wants a path"));
        options.configPath = parser.value(config);
    }
    if (parser.isSet(dataDir)) {
        if (parser.value(dataDir).isEmpty())
            return bad(QStringLiteral("--data-dir wants a path"));
        options.dataDir = parser.value(dataDir);
    }
    if (parser.isSet(delay)) {
        const int ms = parser.value(delay).toInt(&ok);
        if (!ok || ms < 0)
            return bad(QStringLiteral("--delay-ms wants a number of milliseconds"));
        options.delay = std::chrono::milliseconds(ms);
    }
    for (const QString& rule : parser.values(fail)) {
        if (!addFailure(options, rule))
            return bad(
                QStringLiteral("--fail wants PATH=STATUS with a status from 100 to 599, not %1").arg(rule));
    }
    if (parser.isSet(closeWs)) {
        const double seconds = parser.value(closeWs).toDouble(&ok);
        if (!ok || !std::isfinite(seconds) || seconds < 0 || seconds > 86400)
            return bad(QStringLiteral("--close-ws-after wants a number of seconds"));
        options.closeWebSocketsAfter = std::chrono::milliseconds(std::llround(seconds * 1000));
    }
    options.logRequests = !parser.isSet(quiet);
    if (parser.isSet(idle)) {
        const double seconds = parser.value(idle).toDouble(&ok);
        if (!ok || !std::isfinite(seconds) || seconds < 0.05 || seconds > 86400)
            return bad(QStringLiteral("--idle-timeout wants a number of seconds from 0.05 to 86400"));
        options.idleTimeout = std::chrono::milliseconds(std::llround(seconds * 1000));
    }
    if (parser.isSet(figures)) {
        const QString mode = parser.value(figures);
        if (mode == QLatin1StringView("real"))
            options.figures = FigureMode::Real;
        else if (mode == QLatin1StringView("still"))
            options.figures = FigureMode::Still;
        else if (mode == QLatin1StringView("changing"))
            options.figures = FigureMode::Changing;
        else
            return bad(QStringLiteral("--figures wants real, still or changing, not %1").arg(mode));
    }
    if (parser.isSet(owner)) {
        options.owner = lookUpUser(parser.value(owner));
        if (!options.owner)
            return bad(QStringLiteral("--owner: there is no user %1").arg(parser.value(owner)));
    }
    return options;
}

} // namespace brevant::devd
