#include "ListenerCheck.h"

#include <QByteArray>
#include <QFile>

#include <array>
#include <cstring>

#ifdef Q_OS_LINUX
#include <linux/inet_diag.h>
#include <linux/netlink.h>
#include <linux/sock_diag.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace brevant {

namespace {

constexpr QByteArrayView kListenState = "0A";

bool parseNumber(QByteArrayView text, quint32& out, int base = 16) {
    bool ok = false;
    out = text.toUInt(&ok, base);
    return ok;
}

// The kernel prints an address as 32-bit words in host order; copying each word back gives the
// bytes in network order on either endianness.
bool addressBytes(QByteArrayView hex, QByteArray& bytes) {
    if (hex.size() != 8 && hex.size() != 32)
        return false;
    bytes.clear();
    for (qsizetype i = 0; i < hex.size(); i += 8) {
        quint32 word = 0;
        if (!parseNumber(hex.sliced(i, 8), word))
            return false;
        char raw[4];
        std::memcpy(raw, &word, 4);
        bytes.append(raw, 4);
    }
    return true;
}

bool takesLoopbackConnections(const QByteArray& address) {
    static const QByteArray any4(4, '\0');
    static const QByteArray loopback4("\x7f\x00\x00\x01", 4);
    static const QByteArray mapped = QByteArray(10, '\0') + QByteArray("\xff\xff", 2);
    if (address.size() == 4)
        return address == any4 || address == loopback4;
    // IPv6: any address (dual-stack unless the socket says otherwise, which the table does not
    // show), or the IPv4-mapped forms of the two above.
    return address == QByteArray(16, '\0') || address == mapped + any4 || address == mapped + loopback4;
}

// Splits `line` at blanks into at most columns.size() words; the number found.
template <std::size_t N> qsizetype words(QByteArrayView line, std::array<QByteArrayView, N>& columns) {
    qsizetype n = 0;
    qsizetype i = 0;
    while (n < qsizetype(N)) {
        while (i < line.size() && line[i] == ' ')
            ++i;
        if (i == line.size())
            break;
        const qsizetype start = i;
        while (i < line.size() && line[i] != ' ')
            ++i;
        columns[n++] = line.sliced(start, i - start);
    }
    return n;
}

void collect(QByteArrayView table, quint16 port, QList<uint>& owners) {
    qsizetype next = table.indexOf('\n') + 1; // past the column titles
    while (next > 0 && next < table.size()) {
        const qsizetype end = table.indexOf('\n', next);
        const QByteArrayView line = table.sliced(next, (end < 0 ? table.size() : end) - next);
        next = end + 1;
        std::array<QByteArrayView, 8> columns;
        if (words(line, columns) < qsizetype(columns.size()) || columns[3] != kListenState)
            continue;
        const qsizetype colon = columns[1].lastIndexOf(':');
        quint32 localPort = 0;
        quint32 uid = 0;
        QByteArray address;
        if (colon < 0 || !parseNumber(columns[1].sliced(colon + 1), localPort) || localPort != port ||
            !addressBytes(columns[1].first(colon), address) || !parseNumber(columns[7], uid, 10))
            continue;
        if (takesLoopbackConnections(address))
            owners.push_back(uid);
    }
}

#ifdef Q_OS_LINUX
QByteArray readProcFile(const char* path) {
    QFile file(QString::fromLatin1(path));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

// Asks the kernel, over sock_diag, for the TCP listeners of one family on `port`. Unlike the text
// tables, which walk every connection slot of the machine (about 20 ms here), this only visits
// the listeners (tens of microseconds). False when the interface cannot be used.
bool diagnoseListeners(int family, quint16 port, QList<uint>& owners) {
    const int fd = socket(AF_NETLINK, SOCK_DGRAM | SOCK_CLOEXEC, NETLINK_SOCK_DIAG);
    if (fd < 0)
        return false;
    struct {
        nlmsghdr header;
        inet_diag_req_v2 body;
    } request{};
    request.header.nlmsg_len = sizeof request;
    request.header.nlmsg_type = SOCK_DIAG_BY_FAMILY;
    request.header.nlmsg_flags = NLM_F_REQUEST | NLM_F_DUMP;
    request.body.sdiag_family = quint8(family);
    request.body.sdiag_protocol = IPPROTO_TCP;
    request.body.idiag_states = 1u << TCP_LISTEN;
    request.body.id.idiag_sport = htons(port);
    bool ok = send(fd, &request, sizeof request, 0) == ssize_t(sizeof request);
    alignas(nlmsghdr) char buffer[8192];
    for (bool done = !ok; !done;) {
        const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) {
            ok = false;
            break;
        }
        auto length = int(n);
        for (auto* h = reinterpret_cast<nlmsghdr*>(buffer); NLMSG_OK(h, length); h = NLMSG_NEXT(h, length)) {
            if (h->nlmsg_type == NLMSG_DONE || h->nlmsg_type == NLMSG_ERROR) {
                ok = h->nlmsg_type == NLMSG_DONE;
                done = true;
                break;
            }
            const auto* message = static_cast<const inet_diag_msg*>(NLMSG_DATA(h));
            if (ntohs(message->id.idiag_sport) != port || message->idiag_state != TCP_LISTEN)
                continue;
            const QByteArray address(reinterpret_cast<const char*>(message->id.idiag_src),
                                     message->idiag_family == AF_INET ? 4 : 16);
            if (takesLoopbackConnections(address))
                owners.push_back(message->idiag_uid);
        }
    }
    close(fd);
    return ok;
}
#endif

} // namespace

QList<uint> listenerOwnersIn(QByteArrayView tcp4, QByteArrayView tcp6, quint16 port) {
    QList<uint> owners;
    collect(tcp4, port, owners);
    collect(tcp6, port, owners);
    return owners;
}

QList<uint> loopbackListenerOwners(quint16 port) {
#ifdef Q_OS_LINUX
    QList<uint> owners;
    if (diagnoseListeners(AF_INET, port, owners) && diagnoseListeners(AF_INET6, port, owners))
        return owners;
    return listenerOwnersIn(readProcFile("/proc/net/tcp"), readProcFile("/proc/net/tcp6"), port);
#else
    Q_UNUSED(port);
    return {};
#endif
}

} // namespace brevant
