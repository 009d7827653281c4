#pragma once

// An IPv4 or IPv6 address in numeric form, as a URL's host names it. The client only ever talks to
// this machine, so this is all it needs of an address: parse it, tell loopback, and connect to it.

#include <QString>

#include <array>
#include <optional>

struct sockaddr_storage;

namespace brevant {

class HostAddress {
public:
    // 127.0.0.1
    static HostAddress localhost();
    // A dotted IPv4 or an IPv6 address (without brackets or zone); anything else: none.
    static std::optional<HostAddress> parse(const QString& text);

    bool isIPv6() const { return m_v6; }
    // 127.0.0.0/8, ::1, or an IPv4-mapped 127.0.0.0/8.
    bool isLoopback() const;
    // Fills `out` for connect(); returns its length.
    unsigned fill(sockaddr_storage& out, quint16 port) const;

    friend bool operator==(const HostAddress&, const HostAddress&) = default;

private:
    HostAddress() = default;

    bool m_v6 = false;
    std::array<unsigned char, 16> m_bytes{}; // IPv4 in the first four
};

} // namespace brevant
