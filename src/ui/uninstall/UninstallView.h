#pragma once

#include "PlatformProfile.h"
#include "Uninstaller.h"

#include <QWidget>

#include <optional>

class QLabel;

namespace brevant {

class Button;

// The content of the uninstall window: the warning, the outcome of the last run, "Cancel" and
// "Uninstall Everything". It has no client; the procedure talks to the daemon and the desktop on
// its own and outlives the view when the window closes while it runs.
class UninstallView : public QWidget {
    Q_OBJECT
public:
    explicit UninstallView(QWidget* parent = nullptr);
    // Tests hand in a profile and settings that touch nothing on the machine.
    UninstallView(PlatformProfile profile, UninstallSettings settings, QWidget* parent = nullptr);

    bool isUninstalling() const { return m_isUninstalling; }
    const std::optional<QString>& result() const { return m_result; }

    // The action of "Uninstall Everything": returns at once, the outcome arrives later.
    void performUninstall();

signals:
    // Cancel or Escape: the window should close. A running procedure goes on without the view.
    void dismiss();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void setUninstalling(bool uninstalling);
    void setResult(std::optional<QString> result);

    PlatformProfile m_profile;
    UninstallSettings m_settings;
    bool m_isUninstalling = false;
    std::optional<QString> m_result;
    QLabel* m_resultLabel = nullptr;
    Button* m_cancel = nullptr;
    Button* m_uninstall = nullptr;
};

} // namespace brevant
