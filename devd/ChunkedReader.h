#pragma once

#include "RequestHead.h"

#include <QByteArray>

class QIODevice;

namespace brevant::devd {

// Reads a body sent with the chunked transfer coding, no more than `maxBody` bytes of data, and
// never a byte past its end: what follows on the connection is the next request.
class ChunkedReader {
public:
    enum class State { More, Done, Failed };

    explicit ChunkedReader(qint64 maxBody) : m_maxBody(maxBody) {}

    // Takes what has arrived; More until the last chunk and its trailer are in.
    State readFrom(QIODevice& in);
    const QByteArray& body() const { return m_body; }
    // Why it failed: 400 for a broken coding, 413 for a body over the limit.
    const HttpRefusal& refusal() const { return m_refusal; }

private:
    enum class Step { Size, Data, DataEnd, Trailer };
    State fail(int status, const QString& message);

    qint64 m_maxBody;
    Step m_step = Step::Size;
    qint64 m_remaining = 0;
    qint64 m_trailerBytes = 0;
    QByteArray m_body;
    HttpRefusal m_refusal;
};

} // namespace brevant::devd
