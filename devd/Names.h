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

// An IPv4 or IPv6 address written out in full ("127.1" and "localhost" are not).
bool isValidIpAddress(const QString& text);

// A text that holds something other than white space.
bool isNonBlank(const QString& text);

// `bytes` random bytes from the system generator, as lower-case hex.
QString randomHex(int bytes);

// ISO 8601 in UTC with milliseconds, e.g. 2024-03-05T10:20:30.123Z.
QString isoTime(const QDateTime& when);
QString isoNow();

} // namespace brevant::devd
