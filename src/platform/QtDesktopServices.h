#pragma once

#include "DesktopServices.h"
#include "PlatformProfile.h"

#include <optional>

namespace brevant {

// The desktop services through Qt: QDesktopServices, QSaveFile, QClipboard, QProcess.
class QtDesktopServices final : public DesktopServices {
public:
    explicit QtDesktopServices(PlatformProfile profile = currentProfile());

    // The first of the profile's terminal commands whose program exists, with its path found.
    std::optional<Command> terminalFor(const QString& file) const;

    QCoro::Task<void> runAndWait(QString program, QStringList arguments) override;
    QCoro::Task<void> runAndWaitDroppingErrors(QString program, QStringList arguments) override;
    void openUrl(const QUrl& url) override;
    void openFileInTerminal(const QString& file) override;
    void writeTextFileAtomically(const QString& path, const QString& text) override;
    void setPermissions(const QString& path, int mode) override;
    void copyText(const QString& text) override;
    bool pathExists(const QString& path) override;
    void removeFile(const QString& path) override;
    QString homeDirectory() override;
    void quit() override;

private:
    PlatformProfile m_profile;
};

} // namespace brevant
