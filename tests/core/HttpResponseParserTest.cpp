// The reply parser on its own: a reply reads the same however the network splits it, and a reader
// that takes only what the parser has room for never hands it more than its limits.

#include "HttpResponseParser.h"

#include <QTest>

using namespace brevant;

namespace {

constexpr qint64 kHead = 1024;
constexpr qint64 kBody = 4096;

struct Read {
    HttpResponseParser::State state;
    int status = 0;
    bool keepAlive = false;
    QByteArray body;
};

// Feeds `reply` in pieces of at most `piece` bytes, each also cut to what the parser has room for,
// as a connection reads; then the end of the stream when `closes`.
Read readInPieces(const QByteArray& reply, qsizetype piece, bool closes) {
    HttpResponseParser parser(kHead, kBody);
    qsizetype at = 0;
    while (at < reply.size() && parser.state() == HttpResponseParser::State::Reading) {
        const qsizetype n = std::min<qsizetype>({piece, reply.size() - at, qsizetype(parser.room())});
        if (n <= 0)
            break;
        const qsizetype used = parser.feed(QByteArrayView(reply).sliced(at, n));
        if (used < n && parser.state() == HttpResponseParser::State::Reading)
            return {HttpResponseParser::State::Failed, 0, false, {}}; // it refused bytes it had room for
        at += used;
    }
    if (closes)
        parser.endOfStream();
    return {parser.state(), parser.status(), parser.keepAlive(), parser.takeBody()};
}

} // namespace

class HttpResponseParserTest : public QObject {
    Q_OBJECT

private slots:
    void everySplitReadsTheSame_data() {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<bool>("closes");
        QTest::addColumn<int>("status");
        QTest::addColumn<bool>("keepAlive");
        QTest::addColumn<QByteArray>("body");
        QTest::newRow("length") << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello") << false
                                << 200 << true << QByteArray("hello");
        QTest::newRow("chunked, extension, trailer")
            << QByteArray("HTTP/1.1 201 Created\r\nTransfer-Encoding: gzip, chunked\r\n\r\n"
                          "3;a=b\r\nhel\r\n2\r\nlo\r\n0\r\nX-T: 1\r\n\r\n")
            << false << 201 << true << QByteArray("hello");
        QTest::newRow("interim, then close-delimited")
            << QByteArray("HTTP/1.1 100 Continue\r\n\r\nHTTP/1.0 200 OK\r\nX: y\r\n\r\nhello") << true << 200
            << false << QByteArray("hello");
        QTest::newRow("204 ignores its length")
            << QByteArray("HTTP/1.1 204 No Content\r\nContent-Length: 9\r\n\r\n") << false << 204 << true
            << QByteArray();
        QTest::newRow("both framings: chunked wins, connection ends")
            << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: 99\r\nTransfer-Encoding: chunked\r\n\r\n"
                          "5\r\nhello\r\n0\r\n\r\n")
            << false << 200 << false << QByteArray("hello");
    }
    void everySplitReadsTheSame() {
        QFETCH(QByteArray, reply);
        QFETCH(bool, closes);
        QFETCH(int, status);
        QFETCH(bool, keepAlive);
        QFETCH(QByteArray, body);
        for (qsizetype piece = 1; piece <= reply.size(); ++piece) {
            const Read r = readInPieces(reply, piece, closes);
            QVERIFY2(r.state == HttpResponseParser::State::Done, qPrintable(QString::number(piece)));
            QCOMPARE(r.status, status);
            QCOMPARE(r.keepAlive, keepAlive);
            QCOMPARE(r.body, body);
        }
    }

    void limitsHoldWhateverThePieces_data() {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<int>("failure");
        const int body = int(HttpResponseParser::Failure::BodyTooLarge);
        const int head = int(HttpResponseParser::Failure::HeadTooLarge);
        QTest::newRow("until close") << "HTTP/1.1 200 OK\r\n\r\n" + QByteArray(kBody + 1, 'x') << body;
        QTest::newRow("chunks adding up")
            << "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n" +
                   QByteArray("800\r\n" + QByteArray(0x800, 'x') + "\r\n").repeated(3)
            << body;
        QTest::newRow("announced") << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: 4097\r\n\r\n") << body;
        QTest::newRow("head") << "HTTP/1.1 200 OK\r\nX: " + QByteArray(kHead, 'h') + "\r\n\r\n" << head;
        QTest::newRow("endless interim heads")
            << QByteArray("HTTP/1.1 100 Continue\r\n\r\n").repeated(100) << head;
    }
    void limitsHoldWhateverThePieces() {
        QFETCH(QByteArray, reply);
        QFETCH(int, failure);
        for (const qsizetype piece : {qsizetype(1), qsizetype(7), qsizetype(1000), reply.size()}) {
            HttpResponseParser parser(kHead, kBody);
            qsizetype at = 0;
            while (at < reply.size() && parser.state() == HttpResponseParser::State::Reading) {
                const qsizetype n = std::min<qsizetype>({piece, reply.size() - at, qsizetype(parser.room())});
                at += parser.feed(QByteArrayView(reply).sliced(at, n));
                QVERIFY(parser.bodySize() <= kBody);
            }
            QCOMPARE(int(parser.failure()), failure);
            QCOMPARE(parser.bodySize(), 0); // nothing of a refused reply is held
        }
    }
};

QTEST_APPLESS_MAIN(HttpResponseParserTest)
#include "HttpResponseParserTest.moc"
