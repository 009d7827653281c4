#include "Names.h"

#include <QHostAddress>
#include <QRandomGenerator>

namespace brevant::devd {

bool isPlainComponent(const QString& name) {
    if (name.isEmpty() || name == QLatin1StringView(".") || name == QLatin1StringView(".."))
        return false;
    if (name.toUtf8().size() > 255)
        return false;
    for (const QChar c : name) {
        if (c == u'/' || c == u'\\' || c.category() == QChar::Other_Control)
            return false;
    }
    return true;
}

bool isValidHostname(const QString& name) {
    if (name.isEmpty() || name.size() > 253)
        return false;
    const QStringList labels = name.split(u'.');
    for (const QString& label : labels) {
        if (label.isEmpty() || label.size() > 63)
            return false;
        if (label.startsWith(u'-') || label.endsWith(u'-'))
            return false;
        for (const QChar c : label) {
            const bool ok =
                (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'-';
            if (!ok)
                return false;
        }
    }
    return true;
}

bool isValidIpAddress(const QString& text) {
    if (text.isEmpty() || text.size() > 45)
        return false;
    const bool ipv6 = text.contains(u':');
    for (const QChar c : text) {
        const bool digit = c >= u'0' && c <= u'9';
        const bool hex = (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
        if (!(digit || c == u'.' || (ipv6 && (hex || c == u':'))))
            return false;
    }
    QHostAddress address;
    if (!address.setAddress(text))
        return false;
    if (ipv6)
        return address.protocol() == QAbstractSocket::IPv6Protocol;
    const QStringList parts = text.split(u'.');
    if (parts.size() != 4)
        return false;
    for (const QString& part : parts) {
        if (part.isEmpty() || part.size() > 3 || (part.size() > 1 && part.startsWith(u'0')))
            return false;
    }
    return address.protocol() == QAbstractSocket::IPv4Protocol;
}

bool isPhpVersion(const QString& text) {
    const QStringList parts = text.split(u'.');
    if (parts.size() > 3)
        return false;
    for (const QString& part : parts) {
        if (part.isEmpty() || part.size() > 3)
            return false;
        for (const QChar c : part) {
            if (c < u'0' || c > u'9')
                return false;
        }
    }
    return true;
}

QString quoted(const QString& text) {
    constexpr qsizetype kShown = 80;
    return text.size() > kShown ? text.left(kShown) + QStringLiteral("...") : text;
}

bool isNonBlank(const QString& text) {
    return !text.trimmed().isEmpty();
}

QString randomHex(int bytes) {
    QByteArray raw(bytes, Qt::Uninitialized);
    auto* generator = QRandomGenerator::system();
    for (char& b : raw)
        b = static_cast<char>(generator->bounded(256));
    return QString::fromLatin1(raw.toHex());
}

QString isoTime(const QDateTime& when) {
    return when.toUTC().toString(Qt::ISODateWithMs);
}

QString isoNow() {
    return isoTime(QDateTime::currentDateTimeUtc());
}

} // namespace brevant::devd
