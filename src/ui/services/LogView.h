#pragma once

#include "kit/Sheet.h"

#include <QPointer>
#include <QPropertyAnimation>
#include <QTimer>

#include <chrono>

class QLabel;
class QPlainTextEdit;

namespace brevant {

class DaemonClient;
class ToggleSwitch;

// The tail of one service's log, in a sheet: 200 lines once when shown, again on "Refresh", and
// every refresh interval while "Auto-refresh" is on, kept scrolled to the end.
class LogView : public Sheet {
    Q_OBJECT
public:
    LogView(QString serviceName, DaemonClient* client, QWidget* parent = nullptr,
            std::chrono::milliseconds refreshInterval = std::chrono::seconds(3));

    const QString& serviceName() const { return m_serviceName; }
    const QString& logContent() const { return m_logContent; }
    bool autoRefresh() const { return m_autoRefresh; }
    void setAutoRefresh(bool on);
    QString title() const;
    QPlainTextEdit* textArea() const { return m_text; }
    // Loads started so far (initial, refresh, auto-refresh), for the tests of the loop.
    int loadsStarted() const { return m_loadsStarted; }

    // One load: the last 200 lines, or "No log output yet." for an empty log.
    void loadLogs();

    static constexpr int kLines = 200;

protected:
    void showEvent(QShowEvent*) override;
    void done(int result) override;

private:
    void setLogContent(const QString& text);
    void restartLoop();
    void loopTick();
    void scrollToEnd();
    void showContextMenu(const QPoint& at);

    QString m_serviceName;
    QPointer<DaemonClient> m_client;
    QString m_logContent = QStringLiteral("Loading...");
    bool m_autoRefresh = true;
    std::chrono::milliseconds m_interval;

    bool m_started = false;
    bool m_closed = false;
    int m_loopGeneration = 0;
    int m_loadsStarted = 0;
    QTimer m_wait;

    QLabel* m_title;
    ToggleSwitch* m_switch;
    QPlainTextEdit* m_text;
    QPropertyAnimation m_scroll;
};

} // namespace brevant
