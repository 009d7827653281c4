#include "RequestHead.h"

#include <QUrl>

namespace brevant::devd {

namespace {

constexpr qsizetype kMaxFields = 100;

HttpRefusal badHead(const QString& why) {
    return {400, QStringLiteral("The request is malformed: %1.").arg(why)};
}

// The characters of a token (a method or a field name).
bool isTokenChar(char c) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
        return true;
    return QByteArrayView("!#$%&'*+-.^_`|~").contains(c);
}

bool isToken(QByteArrayView text) {
    if (text.isEmpty())
        return false;
    for (const char c : text) {
        if (!isTokenChar(c))
            return false;
    }
    return true;
}

// Visible characters, spaces and tabs, and bytes above ASCII; never a control character.
bool isFieldValue(QByteArrayView text) {
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if ((u < 0x20 && u != '\t') || u == 0x7f)
            return false;
    }
    return true;
}

bool isTarget(QByteArrayView text) {
    if (!text.startsWith('/'))
        return false;
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u <= 0x20 || u >= 0x7f)
            return false;
    }
    return true;
}

bool hasToken(const QByteArray& list, QByteArrayView token) {
    for (const QByteArray& part : list.split(',')) {
        if (part.trimmed().compare(token, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

} // namespace

QByteArray RequestHead::value(QByteArrayView name) const {
    QByteArray joined;
    bool found = false;
    for (const auto& [key, v] : fields) {
        if (key != name)
            continue;
        if (found)
            joined += ", ";
        joined += v;
        found = true;
    }
    return joined;
}

bool RequestHead::has(QByteArrayView name) const {
    return std::any_of(fields.begin(), fields.end(), [&](const auto& f) { return f.first == name; });
}

bool RequestHead::isWebSocketUpgrade() const {
    return hasToken(value("upgrade"), "websocket") && hasToken(value("connection"), "upgrade");
}

bool RequestHead::closesAfter() const {
    const QByteArray connection = value("connection");
    if (hasToken(connection, "close"))
        return true;
    return minorVersion == 0 && !hasToken(connection, "keep-alive");
}

BodyFraming RequestHead::framing() const {
    const bool chunked = has("transfer-encoding");
    const bool sized = has("content-length");
    if (chunked && sized)
        return badHead(QStringLiteral("it gives both a length and a transfer coding"));
    if (chunked) {
        if (minorVersion == 0)
            return badHead(QStringLiteral("HTTP/1.0 has no transfer coding"));
        if (value("transfer-encoding").trimmed().compare("chunked", Qt::CaseInsensitive) != 0)
            return HttpRefusal{501, QStringLiteral("Only the chunked transfer coding is accepted.")};
        return ChunkedBody{};
    }
    if (!sized)
        return NoBody{};
    // Several Content-Length fields (or a list in one) must all say the same.
    std::optional<qint64> length;
    for (const QByteArray& part : value("content-length").split(',')) {
        const QByteArray digits = part.trimmed();
        bool ok = !digits.isEmpty() && digits.size() <= 18;
        for (const char c : digits)
            ok = ok && c >= '0' && c <= '9';
        const qint64 n = ok ? digits.toLongLong(&ok) : -1;
        if (!ok || (length && *length != n))
            return badHead(QStringLiteral("its Content-Length is not one whole number"));
        length = n;
    }
    return LengthBody{*length};
}

std::variant<RequestHead, HttpRefusal> parseRequestHead(QByteArrayView head) {
    QByteArray text = head.toByteArray();
    if (text.endsWith("\r\n\r\n"))
        text.chop(4);
    const QList<QByteArray> lines = text.split('\n');
    // Every line ends in CR LF; what split() leaves is each line with its CR, the last without.
    auto line = [&](qsizetype i) -> std::optional<QByteArray> {
        const QByteArray& l = lines[i];
        if (i + 1 < lines.size()) {
            if (!l.endsWith('\r'))
                return std::nullopt;
            return l.left(l.size() - 1);
        }
        return l;
    };

    RequestHead request;
    const std::optional<QByteArray> first = line(0);
    if (!first)
        return badHead(QStringLiteral("its lines must end in CR LF"));
    const QList<QByteArray> parts = first->split(' ');
    if (parts.size() != 3 || !isToken(parts[0]) || parts[0].size() > 32)
        return badHead(QStringLiteral("the request line is not \"METHOD /path HTTP/1.1\""));
    if (!isTarget(parts[1]))
        return badHead(QStringLiteral("the target must be a path of visible ASCII characters"));
    if (parts[2] == "HTTP/1.1")
        request.minorVersion = 1;
    else if (parts[2] == "HTTP/1.0")
        request.minorVersion = 0;
    else if (parts[2].startsWith("HTTP/"))
        return HttpRefusal{505, QStringLiteral("Only HTTP/1.0 and HTTP/1.1 are spoken here.")};
    else
        return badHead(QStringLiteral("the request line has no HTTP version"));
    request.method = parts[0];

    const qsizetype question = parts[1].indexOf('?');
    QUrl url;
    url.setPath(QString::fromLatin1(parts[1].left(question < 0 ? parts[1].size() : question)),
                QUrl::TolerantMode);
    if (!url.isValid())
        return badHead(QStringLiteral("its path is not a valid URL path"));
    request.path = url.path(QUrl::FullyEncoded);
    if (question >= 0)
        request.query = QUrlQuery(QString::fromLatin1(parts[1].mid(question + 1)));

    for (qsizetype i = 1; i < lines.size(); ++i) {
        const std::optional<QByteArray> field = line(i);
        if (!field)
            return badHead(QStringLiteral("its lines must end in CR LF"));
        if (field->startsWith(' ') || field->startsWith('\t'))
            return badHead(QStringLiteral("folded header lines are not accepted"));
        const qsizetype colon = field->indexOf(':');
        if (colon <= 0 || !isToken(field->left(colon)))
            return badHead(QStringLiteral("a header line has no valid name"));
        const QByteArray raw = field->mid(colon + 1);
        if (!isFieldValue(raw))
            return badHead(QStringLiteral("a header value holds a control character"));
        const QByteArray value = raw.trimmed(); // only spaces and tabs are left to trim
        if (request.fields.size() == kMaxFields)
            return HttpRefusal{431, QStringLiteral("The request has too many header fields.")};
        request.fields.push_back({field->left(colon).toLower(), value});
    }
    return request;
}

} // namespace brevant::devd
