// brevant-devd: the stand-in daemon. Serves the daemon's API on loopback with real, persistent
// state, while simulating the services instead of running them.

#include "DevdOptions.h"
#include "Server.h"

#include <QCoreApplication>

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

    brevant::devd::DevdOptions options = std::get<brevant::devd::DevdOptions>(parsed);
    // Run through sudo, the configuration file goes to the user who asked (see --owner).
    options.sudoUser = brevant::devd::sudoInvoker(qgetenv("SUDO_UID"), qgetenv("SUDO_GID"));

    brevant::devd::Server server(std::move(options));
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
