#include "HttpResponseParser.h"

#include <QList>

#include <algorithm>
#include <limits>

namespace brevant {

namespace {

// A chunk-size line is a handful of hex digits; extensions beyond this are not a daemon's.
constexpr qint64 kMaxChunkLine = 4096;
// The blocks of a body whose length is not announced.
constexpr qint64 kBodyBlockBytes = qint64(1024) * 1024;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

int hexValue(char c) {
    if (isDigit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// A decimal length, or -1 when it is not one; saturates instead of overflowing.
qint64 decimal(QByteArrayView text) {
    if (text.isEmpty())
        return -1;
    qint64 value = 0;
    for (const char c : text) {
        if (!isDigit(c))
            return -1;
        value = value > std::numeric_limits<qint64>::max() / 10 - 1 ? std::numeric_limits<qint64>::max()
                                                                    : value * 10 + (c - '0');
    }
    return value;
}

QList<QByteArray> tokens(QByteArrayView value) {
    QList<QByteArray> out;
    for (const QByteArray& part : value.toByteArray().split(','))
        out.push_back(part.trimmed().toLower());
    return out;
}

} // namespace

HttpResponseParser::HttpResponseParser(qint64 maxHeadBytes, qint64 maxBodyBytes, bool bodyless)
    : m_maxHead(maxHeadBytes), m_maxBody(maxBodyBytes), m_bodyless(bodyless) {}

qint64 HttpResponseParser::room() const {
    if (m_state != State::Reading)
        return 0;
    switch (m_phase) {
    case Phase::Head:
    case Phase::Trailers:
        return std::max<qint64>(1, m_maxHead - m_headBytes + 1);
    case Phase::ChunkSize:
    case Phase::ChunkEnd:
        return std::max<qint64>(1, kMaxChunkLine - m_line.size() + 1);
    case Phase::Length:
    case Phase::ChunkData:
        return m_remaining;
    case Phase::UntilClose:
        return m_maxBody - m_bodySize + 1;
    case Phase::End:
        break;
    }
    return 0;
}

qsizetype HttpResponseParser::feed(QByteArrayView data) {
    if (!data.isEmpty())
        m_anyBytes = true;
    qsizetype used = 0;
    while (m_state == State::Reading && used < data.size()) {
        const QByteArrayView rest = data.sliced(used);
        switch (m_phase) {
        case Phase::Head:
        case Phase::Trailers: {
            const qsizetype n = takeLine(rest, m_maxHead - m_headBytes, Failure::HeadTooLarge);
            m_headBytes += n;
            used += n;
            break;
        }
        case Phase::ChunkSize:
        case Phase::ChunkEnd:
            used += takeLine(rest, kMaxChunkLine, Failure::Malformed);
            break;
        case Phase::Length:
        case Phase::ChunkData:
            used += takeBody(rest, m_remaining);
            break;
        case Phase::UntilClose:
            used += takeBody(rest, rest.size());
            break;
        case Phase::End:
            return used;
        }
    }
    return used;
}

void HttpResponseParser::endOfStream() {
    if (m_state != State::Reading)
        return;
    if (m_phase == Phase::UntilClose)
        finish();
    else
        fail(Failure::Truncated);
}

qsizetype HttpResponseParser::takeLine(QByteArrayView data, qint64 limit, Failure tooLong) {
    const qsizetype end = data.indexOf('\n');
    const qsizetype taken = end < 0 ? data.size() : end + 1;
    if (m_line.size() + taken > limit) {
        fail(tooLong);
        return taken;
    }
    if (end < 0) {
        m_line.append(data);
        return taken;
    }
    m_line.append(data.first(end));
    if (m_line.endsWith('\r'))
        m_line.chop(1);
    const QByteArray line = std::exchange(m_line, {});
    lineComplete(line);
    return taken;
}

void HttpResponseParser::lineComplete(QByteArrayView line) {
    switch (m_phase) {
    case Phase::Head:
        headLine(line);
        break;
    case Phase::ChunkSize:
        chunkSizeLine(line);
        break;
    case Phase::ChunkEnd:
        if (line.isEmpty())
            m_phase = Phase::ChunkSize;
        else
            fail(Failure::Malformed);
        break;
    case Phase::Trailers:
        if (line.isEmpty())
            finish(); // trailers themselves carry nothing the client reads
        break;
    default:
        break;
    }
}

void HttpResponseParser::headLine(QByteArrayView line) {
    if (!m_sawStatus) {
        m_sawStatus = true;
        if (!statusLine(line))
            fail(Failure::Malformed);
    } else if (line.isEmpty()) {
        headEnded();
    } else {
        headerLine(line);
    }
}

bool HttpResponseParser::statusLine(QByteArrayView line) {
    // "HTTP/1.1 200 OK": the version, a blank, three digits, then a blank and a reason or nothing.
    if (line.size() < 12 || !line.startsWith("HTTP/1.") || (line[7] != '0' && line[7] != '1') ||
        line[8] != ' ')
        return false;
    const QByteArrayView code = line.sliced(9, 3);
    if (!std::all_of(code.begin(), code.end(), isDigit) || (line.size() > 12 && line[12] != ' '))
        return false;
    m_http10 = line[7] == '0';
    m_status = int(decimal(code));
    return m_status >= 100;
}

void HttpResponseParser::headerLine(QByteArrayView line) {
    const qsizetype colon = line.indexOf(':');
    // A folded continuation line or a name with blanks could be read in two ways: refused.
    if (colon <= 0 || line.first(colon).contains(' ') || line.first(colon).contains('\t')) {
        fail(Failure::Malformed);
        return;
    }
    const QByteArray name = line.first(colon).toByteArray().toLower();
    const QByteArrayView value = line.sliced(colon + 1).trimmed();
    if (name == "content-length") {
        for (const QByteArray& part : tokens(value)) {
            const qint64 length = decimal(part);
            if (length < 0) {
                fail(Failure::Malformed);
                return;
            }
            if (m_contentLength >= 0 && m_contentLength != length)
                m_conflictingLength = true;
            m_contentLength = length;
        }
    } else if (name == "transfer-encoding") {
        m_transferEncoding = true;
        m_chunked = tokens(value).constLast() == "chunked"; // only a final "chunked" frames the body
    } else if (name == "connection") {
        for (const QByteArray& token : tokens(value)) {
            m_connectionClose = m_connectionClose || token == "close";
            m_connectionKeepAlive = m_connectionKeepAlive || token == "keep-alive";
        }
    }
}

void HttpResponseParser::headEnded() {
    if (m_status < 200 && m_status != 101) {
        // An interim reply ("100 Continue"): the real one follows, within the same head budget.
        m_sawStatus = false;
        m_contentLength = -1;
        m_conflictingLength = m_transferEncoding = m_chunked = false;
        m_connectionClose = m_connectionKeepAlive = false;
        return;
    }
    m_headComplete = true;
    m_keepAlive = m_http10 ? m_connectionKeepAlive && !m_connectionClose : !m_connectionClose;
    if (m_status == 101) { // the connection now speaks something else
        m_keepAlive = false;
        finish();
    } else if (m_bodyless || m_status == 204 || m_status == 304) {
        finish();
    } else if (m_transferEncoding) {
        // Both framings at once is how requests get smuggled: the encoding wins, the connection ends.
        m_keepAlive = m_keepAlive && m_chunked && m_contentLength < 0;
        m_phase = m_chunked ? Phase::ChunkSize : Phase::UntilClose;
    } else if (m_conflictingLength) {
        fail(Failure::Malformed);
    } else if (m_contentLength > m_maxBody) {
        fail(Failure::BodyTooLarge);
    } else if (m_contentLength >= 0) {
        m_remaining = m_contentLength;
        if (m_remaining == 0)
            finish();
        else
            m_phase = Phase::Length;
    } else {
        m_keepAlive = false;
        m_phase = Phase::UntilClose;
    }
}

void HttpResponseParser::chunkSizeLine(QByteArrayView line) {
    qsizetype i = 0;
    qint64 size = 0;
    for (; i < line.size() && hexValue(line[i]) >= 0; ++i) {
        size = size * 16 + hexValue(line[i]);
        if (size > m_maxBody) { // stops before it could overflow
            fail(Failure::BodyTooLarge);
            return;
        }
    }
    // Digits, then nothing, an extension (";name=value") or blanks before one.
    if (i == 0 || (i < line.size() && line[i] != ';' && line[i] != ' ' && line[i] != '\t')) {
        fail(Failure::Malformed);
        return;
    }
    if (size == 0) {
        m_phase = Phase::Trailers;
    } else if (m_bodySize + size > m_maxBody) {
        fail(Failure::BodyTooLarge);
    } else {
        m_remaining = size;
        m_phase = Phase::ChunkData;
    }
}

qsizetype HttpResponseParser::takeBody(QByteArrayView data, qint64 count) {
    const qsizetype n = qsizetype(std::min<qint64>(count, data.size()));
    if (m_bodySize + n > m_maxBody) {
        fail(Failure::BodyTooLarge);
        return n;
    }
    append(data.first(n));
    if (m_phase == Phase::UntilClose)
        return n;
    m_remaining -= n;
    if (m_remaining == 0) {
        if (m_phase == Phase::Length)
            finish();
        else
            m_phase = Phase::ChunkEnd;
    }
    return n;
}

void HttpResponseParser::append(QByteArrayView data) {
    m_bodySize += data.size();
    while (!data.isEmpty()) {
        if (m_body.isEmpty() || m_body.constLast().size() == m_body.constLast().capacity()) {
            m_body.push_back(QByteArray());
            m_body.last().reserve(m_phase == Phase::Length ? m_remaining : kBodyBlockBytes);
        }
        QByteArray& block = m_body.last();
        const qsizetype n = std::min(data.size(), block.capacity() - block.size());
        block.append(data.first(n));
        data = data.sliced(n);
    }
}

QByteArray HttpResponseParser::takeBody() {
    m_bodySize = 0;
    QByteArrayList blocks = std::exchange(m_body, {});
    return blocks.size() == 1 ? std::move(blocks.first()) : blocks.join();
}

void HttpResponseParser::dropBody() {
    m_bodySize = 0;
    m_body = QByteArrayList();
}

void HttpResponseParser::fail(Failure why) {
    m_state = State::Failed;
    m_failure = why;
    dropBody(); // what was read of a refused reply is not kept a moment longer
    m_line = QByteArray();
}

void HttpResponseParser::finish() {
    m_state = State::Done;
    m_phase = Phase::End;
}

} // namespace brevant
