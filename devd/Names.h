#pragma once

// The checks and small generators that every part of the stand-in shares: what may become a
// folder name, what is a host name or an address, fresh ids and time stamps.

#include <QDateTime>
#include <QString>

namespace brevant::devd {

// A name that can be used as exactly one path component below a folder of ours: not empty,
// not "." or "..", no "/" or "\\", no control character (NUL included), at most 255 bytes.
bool isPlainComponent(const QString& name);

// A DNS name: dot-separated labels of 1 to 63 letters, digits or hyphens, none starting or
// ending with a hyphen, 253 characters at most. No trailing dot.
bool isValidHostname(const QString& name);

// A plain IPv4 address in four decimal parts without leading zeros ("127.1", "010.0.0.1" are
// not: resolvers read those in other ways) or a plain IPv6 address, with no zone ("fe80::1%eth0"
// is not: a zone only means something on one machine's interfaces, and it is where a line
// break could hide).
bool isValidIpAddress(const QString& text);

// A PHP version as a short text: one to three numbers of up to three digits, joined by dots
// ("8", "8.3", "8.3.12").
bool isPhpVersion(const QString& text);

// `text` as a reply may quote it: cut after 80 characters, so a refused 100 KB field is not
// sent back whole.
QString quoted(const QString& text);

// A text that holds something other than white space.
bool isNonBlank(const QString& text);

// `bytes` random bytes from the system generator, as lower-case hex.
QString randomHex(int bytes);

// ISO 8601 in UTC with milliseconds, e.g. 2024-03-05T10:20:30.123Z.
QString isoTime(const QDateTime& when);
QString isoNow();

} // namespace brevant::devd
