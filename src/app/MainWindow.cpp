#include "MainWindow.h"

#include "shell/DashboardView.h"

#include <QCloseEvent>

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
    m_dashboard->resize(860, 540);
    resize(860, 540);
}

void MainWindow::startUp() {
    // The content is 860 × 540 once the menu bar has taken its height.
    resize(860, 540 + (height() - m_dashboard->height()));
    m_dashboard->startUp();
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
