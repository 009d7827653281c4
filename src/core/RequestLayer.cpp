#include "RequestLayer.h"

#include "ConnectionSettings.h"

#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QPointer>

#include <QCoroNetworkReply>

#include <memory>

namespace brevant {

namespace {

constexpr char kTooLarge[] = "brevantTooLarge";

struct LaterDeleter {
    void operator()(QObject* o) const { o->deleteLater(); }
};

void refuseIfTooLarge(QNetworkReply* reply, qint64 size) {
    if (size > kMaxReplyBytes && !reply->property(kTooLarge).toBool()) {
        reply->setProperty(kTooLarge, true);
        reply->abort();
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

QNetworkAccessManager* sharedNetworkManager() {
    static QPointer<QNetworkAccessManager> manager;
    if (!manager) {
        manager = new QNetworkAccessManager(QCoreApplication::instance());
        manager->setProxy(QNetworkProxy::NoProxy);
        manager->setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
    }
    return manager;
}

QCoro::Task<Result<QByteArray>> sendRequest(QNetworkRequest request, QByteArray method,
                                            std::optional<QByteArray> body) {
    QNetworkAccessManager* manager = sharedNetworkManager();
    QNetworkReply* reply = body ? manager->sendCustomRequest(request, method, *body)
                                : manager->sendCustomRequest(request, method);
    // Deleted later: the coroutine resumes inside the reply's own finished() signal.
    const std::unique_ptr<QNetworkReply, LaterDeleter> guard(reply);

    QObject::connect(reply, &QNetworkReply::metaDataChanged, reply, [reply] {
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid())
            refuseIfTooLarge(reply, length.toLongLong());
    });
    QObject::connect(reply, &QNetworkReply::readyRead, reply,
                     [reply] { refuseIfTooLarge(reply, reply->bytesAvailable()); });

    if (!reply->isFinished())
        co_await qCoro(reply).waitForFinished();

    if (reply->property(kTooLarge).toBool())
        co_return RequestError::transport(
            QStringLiteral("The reply is larger than 32 MiB; it was not read."));
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!status.isValid())
        co_return RequestError::transport(transportDescription(reply));
    const int code = status.toInt();
    if (code < 200 || code > 299)
        co_return RequestError::status(code);
    if (reply->error() != QNetworkReply::NoError) // a reply cut off half-way
        co_return RequestError::transport(transportDescription(reply));
    co_return reply->readAll();
}

} // namespace brevant
