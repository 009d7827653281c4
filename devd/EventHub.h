#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <chrono>
#include <memory>
#include <optional>

class QWebSocket;

namespace brevant::devd {

// The open /ws sockets. After every change of state each of them gets one short text message,
// {"event":"<what>"}; the client only takes it as a cue to refresh.
class EventHub : public QObject {
    Q_OBJECT
public:
    explicit EventHub(std::optional<std::chrono::milliseconds> closeAfter, QObject* parent = nullptr);
    ~EventHub() override;

    void adopt(std::unique_ptr<QWebSocket> socket);
    void broadcast(const QString& event);
    qsizetype openCount() const;

private:
    std::optional<std::chrono::milliseconds> m_closeAfter;
    QList<QPointer<QWebSocket>> m_sockets;
};

} // namespace brevant::devd
