// brevant-devd: the stand-in daemon. Serves the daemon's API on loopback with real, persistent
// state, while simulating the services instead of running them.

#include "DevdOptions.h"
#include "Server.h"

#include <QCoreApplication>
#include <QLoggingCategory>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("brevant-devd"));
    QCoreApplication::setApplicationVersion(QStringLiteral(BREVANT_DEVD_VERSION));

    const brevant::devd::ParsedOptions parsed = brevant::devd::parseOptions(QCoreApplication::arguments());
    if (const auto* exit = std::get_if<brevant::devd::OptionsExit>(&parsed)) {
        std::fprintf(exit->exitCode == 0 ? stdout : stderr, "%s\n", qPrintable(exit->text));
        return exit->exitCode;
    }

    // A refused WebSocket upgrade makes QtHttpServer warn; the request line already says 401.
    QLoggingCategory::setFilterRules(QStringLiteral("qt.httpserver.warning=false"));

    brevant::devd::Server server(std::get<brevant::devd::DevdOptions>(parsed));
    QString why;
    if (!server.start(&why)) {
        std::fprintf(stderr, "brevant-devd: %s\n", qPrintable(why));
        return 1;
    }
    // Tests read the port from this line, so it goes out at once.
    std::fprintf(stdout, "%s\n", qPrintable(server.startupLine()));
    std::fflush(stdout);
    // SIGTERM may end it at any moment: every state file is replaced whole by a rename.
    return app.exec();
}
