#include "MainWindow.h"

#include "shell/DashboardView.h"

#include <QCloseEvent>
#include <QMenuBar>

namespace brevant {

MainWindow::MainWindow(QWidget* parent) : MainWindow(new DashboardView, parent) {}

MainWindow::MainWindow(DashboardView* dashboard, QWidget* parent)
    : QMainWindow(parent), m_dashboard(dashboard) {
    setObjectName(QStringLiteral("mainWindow"));
    setWindowTitle(QStringLiteral("Kelvask Brevant"));
    setAttribute(Qt::WA_DeleteOnClose);
    setCentralWidget(m_dashboard);
    // The default size is the content's; the menu bar, where the desktop puts it in the
    // window, comes on top.
    setContentsMargins(0, kMenuBarRoom, 0, 0);
    m_dashboard->resize(860, 540);
    resize(860, 540 + kMenuBarRoom);
}

void MainWindow::startUp() {
    m_dashboard->startUp();
}

void MainWindow::menusAdded() {
    setContentsMargins(0, 0, 0, 0);
    // A desktop with a menu bar of its own, or another font, takes another height.
    QMenuBar* bar = menuBar();
    const int room = bar->isNativeMenuBar()     ? 0
                     : bar->hasHeightForWidth() ? bar->heightForWidth(width())
                                                : bar->sizeHint().height();
    if (room != kMenuBarRoom)
        resize(width(), height() - kMenuBarRoom + room);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    m_dashboard->windowClosed();
    QMainWindow::closeEvent(event);
}

void MainWindow::updateVisibility() {
    m_dashboard->setWindowVisible(isVisible() && !isMinimized());
}

void MainWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        updateVisibility();
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    updateVisibility();
}

void MainWindow::hideEvent(QHideEvent* event) {
    QMainWindow::hideEvent(event);
    updateVisibility();
}

} // namespace brevant
