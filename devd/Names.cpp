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
    QHostAddress address;
    if (text.isEmpty() || text.trimmed() != text || !address.setAddress(text))
        return false;
    if (address.protocol() == QAbstractSocket::IPv4Protocol) {
        // QHostAddress also takes the old short forms ("127.1"); a hosts file wants four parts.
        return text.count(u'.') == 3;
    }
    return address.protocol() == QAbstractSocket::IPv6Protocol;
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
