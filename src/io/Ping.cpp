// SPDX-License-Identifier: GPL-3.0-or-later
#include "io/Ping.h"

#include <QDeadlineTimer>
#include <QHostAddress>
#include <QTcpSocket>
#include <algorithm>
#include <cerrno>

#ifdef Q_OS_UNIX
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/ip.h>
#include <netinet/ip_icmp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace karvel::io {

namespace {

// Slices of a wait between two calls of keepGoing.
constexpr int kPingSliceMs = 20;

#ifdef Q_OS_UNIX
quint16 checksum(const unsigned char* data, size_t size) {
  quint32 sum = 0;
  for (size_t i = 0; i + 1 < size; i += 2) sum += static_cast<quint32>(data[i] << 8 | data[i + 1]);
  if (size & 1) sum += static_cast<quint32>(data[size - 1] << 8);
  while (sum >> 16) sum = (sum & 0xFFFF) + (sum >> 16);
  return static_cast<quint16>(~sum);
}

// 1 answered, 0 no answer in time, -1 this kind of socket is not allowed here.
int icmpEcho(const in_addr& target, int type, int timeoutMs,
             const std::function<bool()>& keepGoing) {
  const int fd = ::socket(AF_INET, type, IPPROTO_ICMP);
  if (fd < 0) return -1;
  const quint16 id = static_cast<quint16>(::getpid() & 0xFFFF);
  const quint16 seq = 1;
  unsigned char packet[16] = {8,
                              0,
                              0,
                              0,
                              static_cast<unsigned char>(id >> 8),
                              static_cast<unsigned char>(id),
                              0,
                              seq,
                              'k',
                              'a',
                              'r',
                              'v',
                              'e',
                              'l',
                              0,
                              0};
  const quint16 sum = checksum(packet, sizeof packet);
  packet[2] = static_cast<unsigned char>(sum >> 8);
  packet[3] = static_cast<unsigned char>(sum);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr = target;
  if (::sendto(fd, packet, sizeof packet, 0, reinterpret_cast<sockaddr*>(&addr), sizeof addr) < 0) {
    ::close(fd);
    return 0;
  }
  QDeadlineTimer deadline(timeoutMs);
  int result = 0;
  while (!deadline.hasExpired()) {
    pollfd p{fd, POLLIN, 0};
    qint64 slice = std::max<qint64>(1, deadline.remainingTime());
    if (keepGoing) slice = std::min<qint64>(slice, kPingSliceMs);
    const int ready = ::poll(&p, 1, static_cast<int>(slice));
    if (ready < 0) break;
    if (ready == 0) {
      if (keepGoing && !keepGoing()) break;
      if (!keepGoing) break;
      continue;
    }
    unsigned char reply[1500];
    sockaddr_in from{};
    socklen_t fromSize = sizeof from;
    const ssize_t n =
        ::recvfrom(fd, reply, sizeof reply, 0, reinterpret_cast<sockaddr*>(&from), &fromSize);
    if (n <= 0) continue;
    size_t offset = 0;
    if (type == SOCK_RAW)
      offset = static_cast<size_t>(reply[0] & 0x0F) * 4;  // the IP header comes first
    if (static_cast<size_t>(n) < offset + 8) continue;
    const unsigned char* icmp = reply + offset;
    if (from.sin_addr.s_addr != target.s_addr || icmp[0] != 0)
      continue;  // not an echo reply from it
    // Raw sockets see every echo reply of the machine: match ours. The kernel
    // rewrites the id of datagram pings, so only the sequence is checked there.
    const quint16 replyId = static_cast<quint16>(icmp[4] << 8 | icmp[5]);
    const quint16 replySeq = static_cast<quint16>(icmp[6] << 8 | icmp[7]);
    if (replySeq != seq || (type == SOCK_RAW && replyId != id)) continue;
    result = 1;
    break;
  }
  ::close(fd);
  return result;
}

// The TCP connect of the last resort in slices (a QTcpSocket gives up its
// connection at the end of each wait): 1 when the host accepted or refused.
int tcpProbe(const in_addr& target, quint16 port, int timeoutMs,
             const std::function<bool()>& keepGoing) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return 0;
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr = target;
  addr.sin_port = htons(port);
  int result = 0;
  if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 ||
      errno == ECONNREFUSED) {
    result = 1;
  } else if (errno == EINPROGRESS) {
    QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
      pollfd p{fd, POLLOUT, 0};
      const int ready = ::poll(&p, 1,
                               static_cast<int>(std::min<qint64>(
                                   kPingSliceMs, std::max<qint64>(1, deadline.remainingTime()))));
      if (ready < 0) break;
      if (ready > 0) {
        int error = 0;
        socklen_t size = sizeof error;
        ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size);
        result = (error == 0 || error == ECONNREFUSED) ? 1 : 0;
        break;
      }
      if (!keepGoing()) break;
    }
  }
  ::close(fd);
  return result;
}
#endif

}  // namespace

int InetPing(const QString& host, int* reachable, int timeoutMs, quint16 tcpPort, PingMethod* used,
             const std::function<bool()>& keepGoing) {
  if (reachable) *reachable = 0;
  if (used) *used = PingMethod::None;
  QHostAddress address;
  if (!address.setAddress(host.trimmed()) || address.protocol() != QAbstractSocket::IPv4Protocol)
    return -1;
#ifdef Q_OS_UNIX
  in_addr target{};
  if (::inet_pton(AF_INET, host.trimmed().toLatin1().constData(), &target) != 1) return -1;
  for (const auto& [type, method] : {std::pair{SOCK_DGRAM, PingMethod::IcmpDatagram},
                                     std::pair{SOCK_RAW, PingMethod::IcmpRaw}}) {
    const int r = icmpEcho(target, type, timeoutMs, keepGoing);
    if (r < 0) continue;
    if (used) *used = method;
    if (reachable) *reachable = r;
    return 0;
  }
#endif
#ifdef Q_OS_UNIX
  if (keepGoing) {
    if (used) *used = PingMethod::TcpConnect;
    if (reachable) *reachable = tcpProbe(target, tcpPort, timeoutMs, keepGoing);
    return 0;
  }
#endif
  QTcpSocket socket;
  socket.connectToHost(address, tcpPort);
  const bool connected = socket.waitForConnected(timeoutMs);
  const bool refused = !connected && socket.error() == QAbstractSocket::ConnectionRefusedError;
  socket.abort();
  if (used) *used = PingMethod::TcpConnect;
  if (reachable) *reachable = (connected || refused) ? 1 : 0;
  return 0;
}

}  // namespace karvel::io
