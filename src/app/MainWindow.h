#pragma once

#include <QMainWindow>

namespace brevant {

class DashboardView;

// One main window: its DashboardView (and so its own client), 860 × 540 by default, never
// smaller than the dashboard's minimum. Polling pauses while the window is minimised or hidden.
// The menu bar comes after the first frame (see KelvaskBrevantApp); its room is kept free until
// then, so that nothing moves when it comes.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
    // Tests hand in a dashboard built on their fixture.
    explicit MainWindow(DashboardView* dashboard, QWidget* parent = nullptr);

    DashboardView* dashboard() const { return m_dashboard; }
    void startUp();
    // The menus are in the menu bar: it takes the room kept for it.
    void menusAdded();

    // The height of the menu bar in the window, in the application's font.
    static constexpr int kMenuBarRoom = 21;

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void updateVisibility();

    DashboardView* m_dashboard;
};

} // namespace brevant
