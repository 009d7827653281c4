#pragma once

#include <QWidget>

class QLabel;

namespace brevant {

class Button;
class DaemonClient;

// The full-window screen shown while the daemon is not reachable: warning icon, heading, the
// client's error text (or a fixed sentence), and "Retry Connection".
class ConnectionErrorView : public QWidget {
    Q_OBJECT
public:
    explicit ConnectionErrorView(DaemonClient* client, QWidget* parent = nullptr);

    QString message() const;
    Button* retryButton() const { return m_retry; }

signals:
    void retryClicked();

private:
    void updateMessage();

    DaemonClient* m_client;
    QLabel* m_message;
    Button* m_retry;
};

} // namespace brevant
