// SPDX-License-Identifier: GPL-3.0-or-later
#include "PtyLine.h"

#include <QFile>
#include <QtGlobal>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>

namespace sim {

namespace {

qint32 speedOf(speed_t s) {
  switch (s) {
    case B9600:
      return 9600;
    case B19200:
      return 19200;
    case B38400:
      return 38400;
    case B57600:
      return 57600;
    case B115200:
      return 115200;
    case B230400:
      return 230400;
    case B460800:
      return 460800;
    default:
      return -1;
  }
}

constexpr int kTickMs = 5;
// What the instrument's end reads ahead of the line: a UART's few bytes of
// buffer. The rest waits on the program's side, as it would in its port.
constexpr qsizetype kInputHold = 64;
// The longest the line may catch up after a late tick.
constexpr double kBurstSeconds = 0.05;

}  // namespace

PtyLine::PtyLine() {
  timer_.setTimerType(Qt::PreciseTimer);
  timer_.setInterval(kTickMs);
  QObject::connect(&timer_, &QTimer::timeout, [this] { tick(); });
  clock_.start();
}

PtyLine::~PtyLine() {
  notifier_.reset();
  if (!link_.isEmpty()) QFile::remove(link_);
  if (slave_ >= 0) ::close(slave_);
  if (master_ >= 0) ::close(master_);
}

bool PtyLine::open(const QString& link) {
  master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
  if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) return false;
  const char* name = ::ptsname(master_);
  if (!name) return false;
  device_ = QString::fromLocal8Bit(name);
  slave_ = ::open(name, O_RDWR | O_NOCTTY);
  if (slave_ < 0) return false;
  termios t{};
  ::tcgetattr(slave_, &t);
  ::cfmakeraw(&t);
  ::tcsetattr(slave_, TCSANOW, &t);
  ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
  if (!link.isEmpty()) {
    QFile::remove(link);
    if (!QFile::link(device_, link)) return false;
    link_ = link;
  }
  notifier_ = std::make_unique<QSocketNotifier>(master_, QSocketNotifier::Read);
  QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { readable(); });
  return true;
}

qint32 PtyLine::lineSpeed() const {
  termios t{};
  if (::tcgetattr(slave_, &t) != 0) return -1;
  return speedOf(::cfgetospeed(&t));
}

void PtyLine::readable() {
  char buf[4096];
  if (!paced_ || lineSpeed() <= 0) {
    QByteArray bytes;
    for (;;) {
      const ssize_t n = ::read(master_, buf, sizeof buf);
      if (n <= 0) break;
      bytes.append(buf, n);
    }
    if (!bytes.isEmpty() && received) received(bytes, lineSpeed());
    return;
  }
  // Each byte keeps the speed it was sent at, even if the program changes
  // the speed before the line has carried it.
  const qsizetype room = kInputHold - inQueued_;
  const ssize_t n = room > 0 ? ::read(master_, buf, static_cast<size_t>(room)) : 0;
  if (n > 0) {
    in_.append({QByteArray(buf, n), lineSpeed()});
    inQueued_ += n;
  }
  if (inQueued_ >= kInputHold) notifier_->setEnabled(false);
  if (!timer_.isActive()) {
    lastTickNs_ = clock_.nsecsElapsed();
    timer_.start();
  }
}

void PtyLine::send(const QByteArray& bytes, bool block) {
  if (bytes.isEmpty()) return;
  if (!paced_ || lineSpeed() <= 0) return writeNow(bytes);
  out_ += bytes;
  if (block) outHasBlock_ = true;
  if (!timer_.isActive()) {
    lastTickNs_ = clock_.nsecsElapsed();
    timer_.start();
  }
  // A reply given while bytes are being delivered goes out in that tick.
  if (!inTick_) tick();
}

bool PtyLine::dropBlock() {
  if (!outHasBlock_) return false;
  out_.clear();
  outHasBlock_ = false;
  return true;
}

void PtyLine::refill() {
  const qint64 now = clock_.nsecsElapsed();
  const double seconds = static_cast<double>(now - lastTickNs_) / 1e9;
  lastTickNs_ = now;
  const double perSecond = std::max<qint32>(lineSpeed(), 1) / 10.0;
  const double cap = std::max(64.0, perSecond * kBurstSeconds);
  inCredit_ = std::min(cap, inCredit_ + seconds * perSecond);
  outCredit_ = std::min(cap, outCredit_ + seconds * perSecond);
}

void PtyLine::tick() {
  inTick_ = true;
  refill();
  // The program's bytes, as far as the line has carried them.
  while (!in_.isEmpty() && inCredit_ >= 1.0) {
    Chunk& chunk = in_.first();
    const qsizetype n = std::min<qsizetype>(chunk.bytes.size(), static_cast<qsizetype>(inCredit_));
    const QByteArray part = chunk.bytes.left(n);
    const qint32 baud = chunk.baud;
    chunk.bytes.remove(0, n);
    if (chunk.bytes.isEmpty()) in_.removeFirst();
    inQueued_ -= n;
    inCredit_ -= static_cast<double>(n);
    if (received) received(part, baud);
  }
  if (inQueued_ < kInputHold && notifier_) notifier_->setEnabled(true);
  // The instrument's bytes, as far as the line carries them and the program
  // has room for them.
  const qsizetype n = std::min<qsizetype>(out_.size(), static_cast<qsizetype>(outCredit_));
  if (n > 0) {
    const ssize_t written = ::write(master_, out_.constData(), static_cast<size_t>(n));
    if (written > 0) {
      out_.remove(0, written);
      outCredit_ -= static_cast<double>(written);
    }
  }
  if (out_.isEmpty()) outHasBlock_ = false;
  inTick_ = false;
  if (in_.isEmpty() && out_.isEmpty()) {
    timer_.stop();
    // Idle time gives no head start to the next bytes beyond one burst.
    inCredit_ = 0;
    outCredit_ = 0;
  }
}

void PtyLine::writeNow(const QByteArray& bytes) {
  qsizetype done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(master_, bytes.constData() + done, bytes.size() - done);
    if (n > 0) {
      done += n;
      continue;
    }
    // The terminal's buffer is full (a long file block): wait until the
    // program has read some, rather than drop the rest.
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      pollfd out{master_, POLLOUT, 0};
      if (::poll(&out, 1, 5000) > 0) continue;
    }
    break;
  }
}

}  // namespace sim

#endif
