// karvel-sim: a Tarvik instrument on a TCP port or a pseudo-terminal, for the
// tests and for trying the program without hardware.
//
// It prints "tcp <port>" and/or "pty <device>" and then "ready" on its
// standard output. Lines on its standard input change it while it runs:
// "fault none|silent|garbage|close-mid-reply",
// "block-fault none|truncated|garbage|bad-length|huge", "sdcard on|off", "mode NAME",
// "baud N", "quit".
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QHostAddress>
#include <QPointer>
#include <QSocketNotifier>
#include <QTcpServer>
#include <QTcpSocket>
#include <cstdio>
#include <memory>

#include "Instrument.h"

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <poll.h>
#include <cerrno>
#include <termios.h>
#include <unistd.h>
#endif

namespace {

std::optional<sim::BlockFault> parseBlockFault(const QString& text) {
  if (text == "none") return sim::BlockFault::None;
  if (text == "truncated") return sim::BlockFault::Truncated;
  if (text == "garbage") return sim::BlockFault::Garbage;
  if (text == "bad-length") return sim::BlockFault::BadLength;
  if (text == "huge") return sim::BlockFault::Huge;
  return std::nullopt;
}

std::optional<sim::Fault> parseFault(const QString& text) {
  if (text == "none") return sim::Fault::None;
  if (text == "silent") return sim::Fault::Silent;
  if (text == "garbage") return sim::Fault::Garbage;
  if (text == "close-mid-reply") return sim::Fault::CloseMidReply;
  return std::nullopt;
}

QByteArray printable(const QByteArray& bytes) {
  QByteArray out;
  for (char c : bytes) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '\r') out += "\\r";
    else if (c == '\n') out += "\\n";
    else if (u < 32 || u >= 127) out += "\\x" + QByteArray::number(u, 16).rightJustified(2, '0');
    else out += c;
  }
  return out;
}

#ifdef Q_OS_UNIX
qint32 speedOf(speed_t s) {
  switch (s) {
    case B9600: return 9600;
    case B19200: return 19200;
    case B38400: return 38400;
    case B57600: return 57600;
    case B115200: return 115200;
    case B230400: return 230400;
    case B460800: return 460800;
    default: return -1;
  }
}

// A pseudo-terminal whose other end the program opens as a serial port. The
// simulator keeps the other end open too, so the line survives the program
// closing and reopening it, and reads the speed the program set from it.
class Pty {
 public:
  bool open(const QString& link) {
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
    return true;
  }
  ~Pty() {
    if (!link_.isEmpty()) QFile::remove(link_);
    if (slave_ >= 0) ::close(slave_);
    if (master_ >= 0) ::close(master_);
  }
  int fd() const { return master_; }
  QString device() const { return device_; }
  qint32 lineSpeed() const {
    termios t{};
    if (::tcgetattr(slave_, &t) != 0) return -1;
    return speedOf(::cfgetospeed(&t));
  }
  QByteArray readAvailable() {
    QByteArray out;
    char buf[4096];
    for (;;) {
      const ssize_t n = ::read(master_, buf, sizeof buf);
      if (n <= 0) break;
      out.append(buf, n);
    }
    return out;
  }
  void write(const QByteArray& bytes) {
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
  void drain() { readAvailable(); }

 private:
  int master_ = -1;
  int slave_ = -1;
  QString device_;
  QString link_;
};
#endif

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QCommandLineParser p;
  p.setApplicationDescription("Tarvik instrument simulator");
  p.addHelpOption();
  p.addOptions({
      {"family", "Instrument family: 1 (RQ4102) or 2 (RQ6102).", "n", "2"},
      {"ident", "Identification reply names the model by 'code' or only by 'prefix'.", "how",
       "code"},
      {"idn", "Identification reply text (replaces the family's).", "text"},
      {"tcp", "Listen on this TCP port (0: any free port).", "port"},
      {"bind", "Address to listen on.", "address", "127.0.0.1"},
      {"pty", "Serve a pseudo-terminal."},
      {"pty-link", "Also make this symbolic link to the pseudo-terminal.", "path"},
      {"baud", "The instrument's serial speed.", "rate", "115200"},
      {"cdc", "Behave as a USB CDC port: answer at any line speed."},
      {"fixed-speed", "Refuse serial speed changes (answers only at --baud)."},
      {"mode", "Initial instrument mode (BUS, SCOPE, METER, EYE).", "name", "BUS"},
      {"refuse-bus", "Refuse bus-analysis mode."},
      {"calibration", "Calibration word, hexadecimal (first family).", "hex", "800000"},
      {"run", "Acquisition run state (0 or 1).", "n", "1"},
      {"transform", "Frequency transform state (0 or 1).", "n", "0"},
      {"files",
       "Preload the internal memory with the *.BUS and *.HTM files of this folder (repeatable).",
       "dir"},
      {"sd-files",
       "Preload the SD card (second store of the first family) from this folder (repeatable).",
       "dir"},
      {"no-sdcard", "No SD card inserted."},
      {"memory-full", "The stores are full: file blocks are taken, nothing new is stored."},
      {"fault", "Fault to inject: none, silent, garbage, close-mid-reply.", "fault", "none"},
      {"block-fault", "Fault of file data blocks only: none, truncated, garbage, bad-length, huge.",
       "fault", "none"},
      {"log", "Log every command received, with a time stamp, to this file ('-': standard error).",
       "file"},
  });
  p.process(app);

  sim::Settings s;
  s.family = p.value("family") == "1" ? 1 : 2;
  s.identByCode = p.value("ident") != "prefix";
  s.idn = p.value("idn").toLatin1();
  s.baud = p.value("baud").toInt();
  s.fixedSpeed = p.isSet("fixed-speed");
  s.anySpeed = p.isSet("cdc");
  s.mode = p.value("mode").toLatin1().toUpper();
  s.refuseBus = p.isSet("refuse-bus");
  bool ok = false;
  s.calibration = p.value("calibration").toUInt(&ok, 16);
  if (!ok) {
    std::fprintf(stderr, "karvel-sim: bad --calibration\n");
    return 2;
  }
  s.runState = p.value("run") == "0" ? 0 : 1;
  s.transform = p.value("transform") == "1" ? 1 : 0;
  s.sdCard = !p.isSet("no-sdcard");
  s.memoryFull = p.isSet("memory-full");
  const auto fault = parseFault(p.value("fault"));
  if (!fault) {
    std::fprintf(stderr, "karvel-sim: unknown fault %s\n", qPrintable(p.value("fault")));
    return 2;
  }
  const auto blockFault = parseBlockFault(p.value("block-fault"));
  if (!blockFault) {
    std::fprintf(stderr, "karvel-sim: unknown block fault %s\n", qPrintable(p.value("block-fault")));
    return 2;
  }
  if (!p.isSet("tcp") && !p.isSet("pty")) {
    std::fprintf(stderr, "karvel-sim: give --tcp PORT and/or --pty\n");
    return 2;
  }

  sim::Instrument instrument(s);
  instrument.setFault(*fault);
  instrument.setBlockFault(*blockFault);
  for (const QString& dir : p.values("files"))
    instrument.files().preload(dir, s.family, "/", "LOCAL");
  for (const QString& dir : p.values("sd-files"))
    instrument.files().preload(dir, s.family, sim::Instrument::kSdRoot, sim::Instrument::kSecondStore);

  std::unique_ptr<QFile> logFile;
  if (p.isSet("log")) {
    logFile = std::make_unique<QFile>();
    const bool opened = p.value("log") == "-" ? logFile->open(stderr, QIODevice::WriteOnly)
                                              : (logFile->setFileName(p.value("log")),
                                                 logFile->open(QIODevice::WriteOnly | QIODevice::Append));
    if (!opened) {
      std::fprintf(stderr, "karvel-sim: cannot write the log\n");
      return 2;
    }
  }
  instrument.log = [&](const QByteArray& line) {
    if (!logFile) return;
    logFile->write(QDateTime::currentDateTime().toString(Qt::ISODateWithMs).toUtf8() + ' ' + printable(line) + '\n');
    logFile->flush();
  };

  // One link at a time answers: the newest connection, else the pty.
  QPointer<QTcpSocket> client;
  QTcpServer server;
#ifdef Q_OS_UNIX
  Pty pty;
#endif
  auto route = [&](bool toSocket) {
    instrument.send = [&, toSocket](const QByteArray& bytes) {
      if (toSocket) {
        if (client) {
          client->write(bytes);
          client->flush();
        }
      }
#ifdef Q_OS_UNIX
      else {
        pty.write(bytes);
      }
#endif
    };
    instrument.closeLink = [&, toSocket]() {
      if (toSocket && client) client->abort();
#ifdef Q_OS_UNIX
      if (!toSocket) instrument.setFault(sim::Fault::Silent);
#endif
    };
  };

  if (p.isSet("tcp")) {
    const int port = p.value("tcp").toInt();
    if (!server.listen(QHostAddress(p.value("bind")), static_cast<quint16>(port))) {
      std::fprintf(stderr, "karvel-sim: cannot listen: %s\n", qPrintable(server.errorString()));
      return 1;
    }
    QObject::connect(&server, &QTcpServer::newConnection, [&]() {
      while (QTcpSocket* next = server.nextPendingConnection()) {
        if (client) client->abort();
        client = next;
        next->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        instrument.resetLink();
        route(true);
        QObject::connect(next, &QTcpSocket::readyRead, [&, next]() {
          if (client != next) return;
          route(true);
          instrument.receive(next->readAll(), 0);
        });
        QObject::connect(next, &QTcpSocket::disconnected, next, &QObject::deleteLater);
      }
    });
    std::printf("tcp %d\n", server.serverPort());
  }
#ifdef Q_OS_UNIX
  std::unique_ptr<QSocketNotifier> ptyNotifier;
  if (p.isSet("pty")) {
    if (!pty.open(p.value("pty-link"))) {
      std::fprintf(stderr, "karvel-sim: cannot create a pseudo-terminal\n");
      return 1;
    }
    ptyNotifier = std::make_unique<QSocketNotifier>(pty.fd(), QSocketNotifier::Read);
    QObject::connect(ptyNotifier.get(), &QSocketNotifier::activated, [&]() {
      const QByteArray bytes = pty.readAvailable();
      if (bytes.isEmpty()) return;
      route(false);
      instrument.receive(bytes, pty.lineSpeed());
    });
    std::printf("pty %s\n", qPrintable(pty.device()));
  }
  // Control lines on standard input.
  QSocketNotifier control(STDIN_FILENO, QSocketNotifier::Read);
  QByteArray controlInput;
  QObject::connect(&control, &QSocketNotifier::activated, [&]() {
    char buf[512];
    const ssize_t n = ::read(STDIN_FILENO, buf, sizeof buf);
    if (n <= 0) {
      control.setEnabled(false);  // standard input closed: keep serving
      return;
    }
    controlInput.append(buf, n);
    qsizetype nl;
    while ((nl = controlInput.indexOf('\n')) >= 0) {
      const QList<QByteArray> words = controlInput.left(nl).trimmed().split(' ');
      controlInput.remove(0, nl + 1);
      const QByteArray cmd = words.value(0);
      const QByteArray arg = words.value(1);
      bool done = true;
      if (cmd == "quit") {
        QCoreApplication::quit();
      } else if (cmd == "fault" && parseFault(QString::fromLatin1(arg))) {
        instrument.setFault(*parseFault(QString::fromLatin1(arg)));
      } else if (cmd == "block-fault" && parseBlockFault(QString::fromLatin1(arg))) {
        instrument.setBlockFault(*parseBlockFault(QString::fromLatin1(arg)));
      } else if (cmd == "sdcard") {
        instrument.settings().sdCard = arg == "on";
      } else if (cmd == "mode" && !arg.isEmpty()) {
        instrument.settings().mode = arg.toUpper();
      } else if (cmd == "baud" && arg.toInt() > 0) {
        instrument.settings().baud = arg.toInt();
      } else if (!cmd.isEmpty()) {
        done = false;
      }
      std::printf(done ? "ok\n" : "unknown control %s\n", cmd.constData());
      std::fflush(stdout);
    }
  });
#endif
  std::printf("ready\n");
  std::fflush(stdout);
  return app.exec();
}
