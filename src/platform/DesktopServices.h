#pragma once

// The desktop's services that the views call outside the widget toolkit and the HTTP client.
// Every call is fire-and-forget unless its comment says otherwise: no caller reports a failure.
// Only QtCore types here: core's procedures use this interface too.

#include "PlatformProfile.h"
#include "ProcessRunner.h"

#include <QString>

#include <memory>

class QUrl;

namespace brevant {

class DesktopServices : public ProcessRunner {
public:
    // Opens the URL in the default browser.
    virtual void openUrl(const QUrl& url) = 0;
    // Opens a script file in a terminal, trying the profile's terminal commands in turn.
    virtual void openFileInTerminal(const QString& file) = 0;
    // Writes UTF-8 text through a temporary file so a reader never sees half of it.
    virtual void writeTextFileAtomically(const QString& path, const QString& text) = 0;
    // POSIX permission bits, e.g. 0755.
    virtual void setPermissions(const QString& path, int mode) = 0;
    // Afterwards the clipboard holds exactly `text`.
    virtual void copyText(const QString& text) = 0;
    virtual bool pathExists(const QString& path) = 0;
    virtual void removeFile(const QString& path) = 0;
    // The user's home folder, without a trailing slash.
    virtual QString homeDirectory() = 0;
    virtual void quit() = 0;
};

// The instance the views use: the Qt implementation unless a test installed another. These three
// are defined beside the Qt implementation (brevant-platform), which the application links.
DesktopServices& desktopServices();
// The same instance, for work that may outlive the view that started it.
std::shared_ptr<DesktopServices> sharedDesktopServices();
// Installs `services` (nullptr restores the Qt implementation).
void setDesktopServices(std::shared_ptr<DesktopServices> services);

} // namespace brevant
