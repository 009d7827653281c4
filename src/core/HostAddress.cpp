#include "HostAddress.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <cstring>

namespace brevant {

HostAddress HostAddress::localhost() {
    HostAddress a;
    a.m_bytes = {127, 0, 0, 1};
    return a;
}

std::optional<HostAddress> HostAddress::parse(const QString& text) {
    const QByteArray latin = text.toLatin1();
    if (latin.isEmpty() || latin.size() > 45 || latin.contains('\0') || text.size() != latin.size())
        return std::nullopt;
    HostAddress a;
    if (inet_pton(AF_INET, latin.constData(), a.m_bytes.data()) == 1)
        return a;
    if (inet_pton(AF_INET6, latin.constData(), a.m_bytes.data()) == 1) {
        a.m_v6 = true;
        return a;
    }
    return std::nullopt;
}

bool HostAddress::isLoopback() const {
    if (!m_v6)
        return m_bytes[0] == 127;
    static constexpr unsigned char kLoopback[16] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
    static constexpr unsigned char kMapped[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xff, 0xff};
    if (std::equal(m_bytes.begin(), m_bytes.end(), kLoopback))
        return true;
    return std::equal(m_bytes.begin(), m_bytes.begin() + 12, kMapped) && m_bytes[12] == 127;
}

unsigned HostAddress::fill(sockaddr_storage& out, quint16 port) const {
    std::memset(&out, 0, sizeof out);
    if (m_v6) {
        auto& in6 = reinterpret_cast<sockaddr_in6&>(out);
        in6.sin6_family = AF_INET6;
        in6.sin6_port = htons(port);
        std::memcpy(&in6.sin6_addr, m_bytes.data(), 16);
        return sizeof(sockaddr_in6);
    }
    auto& in4 = reinterpret_cast<sockaddr_in&>(out);
    in4.sin_family = AF_INET;
    in4.sin_port = htons(port);
    std::memcpy(&in4.sin_addr, m_bytes.data(), 4);
    return sizeof(sockaddr_in);
}

} // namespace brevant
