#include "ChunkedReader.h"

#include <QIODevice>

namespace brevant::devd {

namespace {
constexpr qint64 kMaxLine = 1024;        // a size line with its extensions
constexpr qint64 kMaxTrailer = 8 * 1024; // all trailer lines together
} // namespace

ChunkedReader::State ChunkedReader::fail(int status, const QString& message) {
    m_refusal = {status, message};
    return State::Failed;
}

ChunkedReader::State ChunkedReader::readFrom(QIODevice& in) {
    const QString broken = QStringLiteral("The request is malformed: its chunked body is broken.");
    for (;;) {
        switch (m_step) {
        case Step::Size:
        case Step::Trailer: {
            if (!in.canReadLine()) {
                if (in.bytesAvailable() > kMaxLine)
                    return fail(400, broken);
                return State::More;
            }
            const QByteArray line = in.readLine(kMaxLine + 1);
            if (!line.endsWith("\r\n"))
                return fail(400, broken);
            if (m_step == Step::Trailer) {
                m_trailerBytes += line.size();
                if (m_trailerBytes > kMaxTrailer)
                    return fail(400, broken);
                if (line == "\r\n")
                    return State::Done;
                continue;
            }
            // Extensions after ";" carry nothing this server needs.
            QByteArray hex = line.left(line.size() - 2);
            if (const qsizetype semicolon = hex.indexOf(';'); semicolon >= 0)
                hex.truncate(semicolon);
            hex = hex.trimmed();
            bool ok = !hex.isEmpty() && hex.size() <= 15;
            for (const char c : hex)
                ok = ok && QByteArrayView("0123456789abcdefABCDEF").contains(c);
            const qint64 size = ok ? hex.toLongLong(&ok, 16) : -1;
            if (!ok)
                return fail(400, broken);
            if (size > m_maxBody - m_body.size())
                return fail(413, QStringLiteral("The request body is larger than %1 bytes.").arg(m_maxBody));
            m_remaining = size;
            m_step = size == 0 ? Step::Trailer : Step::Data;
            break;
        }
        case Step::Data: {
            const qint64 n = std::min(m_remaining, in.bytesAvailable());
            if (n <= 0)
                return State::More;
            m_body += in.read(n);
            m_remaining -= n;
            if (m_remaining == 0)
                m_step = Step::DataEnd;
            break;
        }
        case Step::DataEnd:
            if (in.bytesAvailable() < 2)
                return State::More;
            if (in.read(2) != "\r\n")
                return fail(400, broken);
            m_step = Step::Size;
            break;
        }
    }
}

} // namespace brevant::devd
