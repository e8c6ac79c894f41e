// Whether an IPv4 host answers, within a time-out: an ICMP echo through a
// datagram socket, else through a raw socket (root only), else a TCP connect
// to `tcpPort` (a refused connection proves the host is there too).
#pragma once

#include <QString>

namespace karvel::io {

enum class PingMethod { None, IcmpDatagram, IcmpRaw, TcpConnect };

// `reachable` is set to 1 or 0. Returns 0, or -1 when `host` is not a dotted
// IPv4 address. `used` tells which method decided.
int InetPing(const QString& host, int* reachable, int timeoutMs, quint16 tcpPort = 23,
             PingMethod* used = nullptr);

}  // namespace karvel::io
