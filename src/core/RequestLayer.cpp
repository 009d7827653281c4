#include "RequestLayer.h"

#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QPointer>
#include <QTimer>

#include <QCoroNetworkReply>

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

namespace brevant {

namespace {

// A network manager opens at most this many connections to one host and queues the rest.
constexpr int kConnectionsPerManager = 6;
// Bounds the connections of one lane (kConnectionsPerManager each) under a peer that holds them.
constexpr std::size_t kManagersPerLane = 32;
// How much of a reply may wait unread between the network thread and this one. Without a bound,
// the network thread reads as fast as the peer sends and readyRead is held back while more data
// is queued, so a fast endless reply grows without limit before any check can run.
constexpr qint64 kReadBufferBytes = qint64(1024) * 1024;

struct LaterDeleter {
    void operator()(QObject* o) const { o->deleteLater(); }
};

// The managers of one lane. A request goes to one with a free connection, so it never waits
// behind slow replies; a manager beyond the first is let go once its last request has ended.
class ConnectionPool {
public:
    QNetworkAccessManager* acquire() {
        std::erase_if(m_entries, [](const Entry& e) { return !e.manager; }); // the application quit
        auto it = std::find_if(m_entries.begin(), m_entries.end(),
                               [](const Entry& e) { return e.outstanding < kConnectionsPerManager; });
        if (it == m_entries.end() && m_entries.size() < kManagersPerLane) {
            m_entries.push_back({newManager(), 0});
            it = m_entries.end() - 1;
        } else if (it == m_entries.end()) {
            it = std::min_element(m_entries.begin(), m_entries.end(), [](const Entry& a, const Entry& b) {
                return a.outstanding < b.outstanding;
            });
        }
        ++it->outstanding;
        return it->manager;
    }

    void release(QNetworkAccessManager* manager) {
        const auto it = std::find_if(m_entries.begin(), m_entries.end(),
                                     [&](const Entry& e) { return e.manager == manager; });
        if (it == m_entries.end())
            return;
        if (--it->outstanding == 0 && it != m_entries.begin()) {
            it->manager->deleteLater(); // its replies are finished; their own deleteLater is harmless
            m_entries.erase(it);
        }
    }

    std::size_t managers() const { return m_entries.size(); }

private:
    struct Entry {
        QPointer<QNetworkAccessManager> manager;
        int outstanding = 0;
    };

    static QNetworkAccessManager* newManager() {
        // Owned by the application object so that it outlives every window's client (a reply
        // whose manager dies never finishes, stranding its coroutine).
        auto* manager = new QNetworkAccessManager(QCoreApplication::instance());
        manager->setProxy(QNetworkProxy::NoProxy);
        manager->setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
        return manager;
    }

    std::vector<Entry> m_entries;
};

ConnectionPool& pool(Lane lane) {
    static ConnectionPool user;
    static ConnectionPool background;
    return lane == Lane::User ? user : background;
}

// What arrived so far; shared with the reply's handlers, which may outlive the coroutine frame.
struct Download {
    QByteArrayList chunks;
    qint64 size = 0;
    bool tooLarge = false;
    bool timedOut = false;
};

void refuse(QNetworkReply* reply, Download& d) {
    if (!d.tooLarge) {
        d.tooLarge = true;
        d.chunks.clear();
        reply->abort();
    }
}

void drain(QNetworkReply* reply, Download& d) {
    while (!d.tooLarge && reply->bytesAvailable() > 0) {
        // Exactly what is there: a read of a fixed size keeps that much allocated however little
        // arrived, and a peer sending small pieces fast would multiply it.
        QByteArray chunk = reply->read(std::min(reply->bytesAvailable(), kReadBufferBytes));
        d.size += chunk.size();
        if (d.size > kMaxReplyBytes)
            refuse(reply, d);
        else
            d.chunks.push_back(std::move(chunk));
    }
}

QString transportDescription(const QNetworkReply* reply) {
    switch (reply->error()) {
    case QNetworkReply::OperationCanceledError:
        return QStringLiteral("The request timed out.");
    case QNetworkReply::ConnectionRefusedError:
        return QStringLiteral("Could not connect to the daemon: connection refused.");
    case QNetworkReply::RemoteHostClosedError:
        return QStringLiteral("The daemon closed the connection before the reply was complete.");
    default:
        return reply->errorString();
    }
}

} // namespace

QCoro::Task<Result<QByteArray>> sendRequest(QNetworkRequest request, QByteArray method,
                                            std::optional<QByteArray> body, Lane lane) {
    ConnectionPool& lanePool = pool(lane);
    QNetworkAccessManager* manager = lanePool.acquire();
    const QPointer<QNetworkAccessManager> managerGuard(manager);
    QNetworkReply* reply = body ? manager->sendCustomRequest(request, method, *body)
                                : manager->sendCustomRequest(request, method);
    reply->setReadBufferSize(kReadBufferBytes);
    // Deleted later: the coroutine resumes inside the reply's own finished() signal.
    const std::unique_ptr<QNetworkReply, LaterDeleter> guard(reply);
    const auto d = std::make_shared<Download>();

    QObject::connect(reply, &QNetworkReply::metaDataChanged, reply, [reply, d] {
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > kMaxReplyBytes)
            refuse(reply, *d);
    });
    QObject::connect(reply, &QNetworkReply::readyRead, reply, [reply, d] { drain(reply, *d); });
    // An overall deadline: the transfer timeout alone restarts with every byte of a trickle.
    // A timer of the reply's own, so that it and what it holds go with the reply.
    if (request.transferTimeout() > 0) {
        auto* deadline = new QTimer(reply);
        deadline->setSingleShot(true);
        QObject::connect(deadline, &QTimer::timeout, reply, [reply, d] {
            if (!reply->isFinished()) {
                d->timedOut = true;
                reply->abort();
            }
        });
        deadline->start(request.transferTimeout());
    }

    if (!reply->isFinished())
        co_await qCoro(reply).waitForFinished();
    if (managerGuard)
        lanePool.release(managerGuard);
    drain(reply, *d);

    if (d->tooLarge)
        co_return RequestError::transport(
            QStringLiteral("The reply is larger than 32 MiB; it was not read."));
    if (d->timedOut)
        co_return RequestError::transport(QStringLiteral("The request timed out."));
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!status.isValid())
        co_return RequestError::transport(transportDescription(reply));
    const int code = status.toInt();
    if (code < 200 || code > 299)
        co_return RequestError::status(code);
    if (reply->error() != QNetworkReply::NoError) // a reply cut off half-way
        co_return RequestError::transport(transportDescription(reply));
    QByteArrayList chunks = std::exchange(d->chunks, {});
    co_return chunks.size() == 1 ? chunks.first() : chunks.join();
}

} // namespace brevant
