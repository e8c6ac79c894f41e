// SPDX-License-Identifier: GPL-3.0-or-later
// Whether an IPv4 host answers, within a time-out: an ICMP echo through a
// datagram socket, else through a raw socket (root only), else a TCP connect
// to `tcpPort` (a refused connection proves the host is there too).
#pragma once

#include <QString>
#include <functional>

namespace karvel::io {

enum class PingMethod { None, IcmpDatagram, IcmpRaw, TcpConnect };

// `reachable` is set to 1 or 0. Returns 0, or -1 when `host` is not a dotted
// IPv4 address. `used` tells which method decided. `keepGoing`, when given,
// runs every few tens of milliseconds of the wait (a program with windows
// repaints them there); false from it gives up the wait (not reachable).
int InetPing(const QString& host, int* reachable, int timeoutMs, quint16 tcpPort = 23,
             PingMethod* used = nullptr, const std::function<bool()>& keepGoing = {});

}  // namespace karvel::io
