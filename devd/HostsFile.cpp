#include "HostsFile.h"

#include "Names.h"

#include <QFile>

namespace brevant::devd {

QList<DNSEntry> HostsFile::parse(const QByteArray& text) {
    QList<DNSEntry> entries;
    for (QByteArray line : text.split('\n')) {
        const qsizetype hash = line.indexOf('#');
        if (hash >= 0)
            line.truncate(hash);
        const QList<QByteArray> words = line.simplified().split(' ');
        if (words.size() < 2)
            continue;
        const QString ip = QString::fromUtf8(words.front());
        for (qsizetype i = 1; i < words.size(); ++i)
            entries.push_back(DNSEntry{ip, QString::fromUtf8(words[i])});
    }
    return entries;
}

namespace {
const QString kHostsFile = QStringLiteral("hosts");
}

bool HostsFile::prepare(QString* why) {
    if (QFile::exists(m_store.hostsFile()))
        return true;
    const QByteArray seed =
        "# Hosts entries managed by brevant-devd (the stand-in daemon); /etc/hosts is not touched.\n"
        "127.0.0.1\tlocalhost\n"
        "::1\tlocalhost\n";
    return m_store.writeFile(kHostsFile, seed, false, why);
}

QList<DNSEntry> HostsFile::entries() const {
    QFile file(m_store.hostsFile());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return parse(file.readAll());
}

Outcome<ProActionResult> HostsFile::add(const DNSAddRequest& request) {
    const QString bad = QStringLiteral("BAD_REQUEST");
    if (!isValidIpAddress(request.ip))
        return failure(
            400, bad,
            QStringLiteral("\"%1\" is not a plain IPv4 or IPv6 address (four decimal parts such as "
                           "127.0.0.1, or an IPv6 address such as ::1, without a zone).")
                .arg(quoted(request.ip)));
    if (!isValidHostname(request.hostname))
        return failure(
            400, bad,
            QStringLiteral("\"%1\" is not a valid host name (labels of letters, digits and hyphens, "
                           "1 to 63 characters each, 253 in all).")
                .arg(quoted(request.hostname)));
    QFile file(m_store.hostsFile());
    QByteArray text;
    if (file.open(QIODevice::ReadOnly)) {
        text = file.readAll();
        file.close();
    }
    const QString lower = request.hostname.toLower();
    for (const DNSEntry& e : parse(text)) {
        if (e.hostname.toLower() == lower)
            return failure(409, QStringLiteral("CONFLICT"),
                           QStringLiteral("%1 is already listed (as %2).").arg(e.hostname, e.ip));
    }
    if (!text.isEmpty() && !text.endsWith('\n'))
        text += '\n';
    text += (request.ip + u'\t' + request.hostname + u'\n').toUtf8();
    QString why;
    if (!m_store.writeFile(kHostsFile, text, false, &why))
        return failure(500, QStringLiteral("WRITE_FAILED"), why);
    m_activity.record(QStringLiteral("dns-added"), std::nullopt,
                      QStringLiteral("%1 at %2").arg(request.hostname, request.ip));
    return ProActionResult{
        QStringLiteral("Added %1 at %2 to the stand-in's hosts file.").arg(request.hostname, request.ip)};
}

} // namespace brevant::devd
