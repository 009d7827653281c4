#pragma once

// Who listens on a loopback port. The token goes only to a daemon that belongs to root or to the
// owner of the configuration file: a local user who grabs the port while the daemon is down must
// get neither the token nor the panel's attention.

#include <QByteArrayView>
#include <QList>

namespace brevant {

// The user ids of the sockets listening where a connection to 127.0.0.1:port can land (bound to
// 127.0.0.1, to any address, or to their IPv6 forms), asked of the kernel (sock_diag, else the
// text tables of /proc/net). Empty when none listens or the kernel cannot tell (not Linux).
QList<uint> loopbackListenerOwners(quint16 port);

// The same from the text of /proc/net/tcp and /proc/net/tcp6.
QList<uint> listenerOwnersIn(QByteArrayView tcp4, QByteArrayView tcp6, quint16 port);

} // namespace brevant
