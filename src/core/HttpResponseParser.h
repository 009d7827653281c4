#pragma once

// Reads one HTTP/1.x reply from the bytes a connection hands it, inside fixed limits: the head
// (status line and headers, interim 1xx heads included), a chunked body's framing lines and
// trailers, and the body itself. It says how much it can take at any moment, so that a reader
// never fetches more from the socket than the limits allow, whatever the peer sends.

#include <QByteArray>
#include <QByteArrayList>
#include <QByteArrayView>

namespace brevant {

class HttpResponseParser {
public:
    enum class State { Reading, Done, Failed };
    enum class Failure { None, HeadTooLarge, BodyTooLarge, Malformed, Truncated };

    // `bodyless`: the reply answers a HEAD request and carries no body whatever it announces.
    HttpResponseParser(qint64 maxHeadBytes, qint64 maxBodyBytes, bool bodyless = false);

    // At most how many bytes the parser can take now; 0 once it is done or has failed.
    qint64 room() const;
    // Takes bytes in order; returns how many it used (fewer than given once the reply is complete).
    qsizetype feed(QByteArrayView data);
    // The peer closed the connection: ends a body that runs until the close, else fails.
    void endOfStream();

    State state() const { return m_state; }
    Failure failure() const { return m_failure; }
    bool anyBytes() const { return m_anyBytes; }
    // The final head has been read: status() and keepAlive() hold from then on.
    bool headComplete() const { return m_headComplete; }
    int status() const { return m_status; }
    // Whether the connection may carry another request once this reply is complete.
    bool keepAlive() const { return m_keepAlive; }
    qint64 bodySize() const { return m_bodySize; }
    // The whole body, once; what is left behind holds nothing.
    QByteArray takeBody();
    void dropBody();

private:
    enum class Phase { Head, Length, UntilClose, ChunkSize, ChunkData, ChunkEnd, Trailers, End };

    qsizetype takeLine(QByteArrayView data, qint64 limit, Failure tooLong);
    void lineComplete(QByteArrayView line);
    void headLine(QByteArrayView line);
    bool statusLine(QByteArrayView line);
    void headerLine(QByteArrayView line);
    void headEnded();
    void chunkSizeLine(QByteArrayView line);
    qsizetype takeBody(QByteArrayView data, qint64 count);
    void append(QByteArrayView data);
    void fail(Failure why);
    void finish();

    qint64 m_maxHead;
    qint64 m_maxBody;
    bool m_bodyless;

    State m_state = State::Reading;
    Failure m_failure = Failure::None;
    Phase m_phase = Phase::Head;
    bool m_anyBytes = false;
    QByteArray m_line;      // the line being collected
    qint64 m_headBytes = 0; // of every head and of the trailers, against m_maxHead

    // The head being read.
    bool m_sawStatus = false;
    bool m_headComplete = false;
    bool m_http10 = false;
    int m_status = 0;
    qint64 m_contentLength = -1;
    bool m_conflictingLength = false;
    bool m_transferEncoding = false;
    bool m_chunked = false;
    bool m_connectionClose = false;
    bool m_connectionKeepAlive = false;
    bool m_keepAlive = false;

    qint64 m_remaining = 0; // of the announced length or of the current chunk
    // The body in blocks of fixed capacity (one of the announced length, when there is one): it
    // grows without a reallocation that would hold it twice, and a peer's many small chunks
    // cost no more than their bytes.
    QByteArrayList m_body;
    qint64 m_bodySize = 0;
};

} // namespace brevant
