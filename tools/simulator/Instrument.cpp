// SPDX-License-Identifier: GPL-3.0-or-later
#include "Instrument.h"

#include <QRandomGenerator>

namespace sim {

namespace {

QByteArray unquote(QByteArray text) {
  text = text.trimmed();
  if (text.size() >= 2 && text.startsWith('"') && text.endsWith('"'))
    return text.mid(1, text.size() - 2);
  return text;
}

bool validBaud(qint64 rate) {
  static const qint64 rates[] = {9600, 19200, 38400, 57600, 115200, 230400, 460800};
  for (qint64 r : rates)
    if (r == rate) return true;
  return false;
}

}  // namespace

Instrument::Instrument(Settings settings) : s_(std::move(settings)) {
  blockTimer_.setSingleShot(true);
  QObject::connect(&blockTimer_, &QTimer::timeout, [this] { cutBlock(); });
}

void Instrument::interruptReply() {
  if (!dropBlockUnderWay || !dropBlockUnderWay()) return;
  if (log) log("(file block cut short by a new command)");
  pushError("-410,Query INTERRUPTED");
}

void Instrument::cutBlock() {
  blockTimer_.stop();
  if (!blockWaiting_) return;
  blockWaiting_ = false;
  blockAnnounced_ = false;
  const qsizetype p = input_.startsWith(':') ? 1 : 0;
  const qsizetype hash = input_.indexOf(",#", p);
  const int digits = hash >= 0 && input_.size() > hash + 2 ? input_[hash + 2] - '0' : 0;
  if (input_.mid(p, 10).toUpper() == "MMEM:DATA " && digits >= 1 && digits <= 9 &&
      input_.size() >= hash + 3 + digits) {
    const QByteArray name = unquote(input_.mid(p + 10, hash - p - 10));
    const QByteArray data = input_.mid(hash + 3 + digits);
    if (log)
      log("(block of \"" + name + "\" cut short after " + QByteArray::number(data.size()) +
          " bytes)");
    const QString key = currentFolder();
    if (fault_ != Fault::Silent && !name.isEmpty() && !s_.memoryFull && folderReachable(key))
      files_.folder(key).put(QString::fromLatin1(name), data);
  }
  input_.clear();
}

QByteArray Instrument::identification() const {
  if (!s_.idn.isEmpty()) return s_.idn;
  if (s_.family == 1)
    return s_.identByCode ? "TARVIK,RQ4102,4471052,V5.12" : "TARVIK,RQ4102,SN40811,V5.12";
  return s_.identByCode ? "TARVIK,RQ6102,4472318,V2.03" : "TARVIK,RQ6102,SN60233,V2.03";
}

void Instrument::reply(const QByteArray& text) {
  if (!send) return;
  QByteArray out = text + '\r';
  if (fault_ == Fault::Garbage) {
    out.clear();
    for (int i = 0; i < 12; ++i) {
      char c = static_cast<char>(QRandomGenerator::global()->bounded(1, 256));
      if (c == '\r' || c == '\n') c = '\x7f';
      out += c;
    }
    out += '\r';
  }
  if (fault_ == Fault::CloseMidReply) {
    send(out.left(std::max<qsizetype>(1, out.size() / 2)));
    if (closeLink) closeLink();
    return;
  }
  send(out);
}

void Instrument::replyBlock(const QByteArray& data) {
  const QByteArray length = QByteArray::number(data.size());
  const QByteArray out = '#' + QByteArray::number(length.size()) + length + data + "\r\n";
  if (fault_ == Fault::CloseMidReply) {
    send(out.left(out.size() / 2));
    if (closeLink) closeLink();
    return;
  }
  if (fault_ == Fault::Garbage) {
    reply("garbage");
    return;
  }
  switch (blockFault_) {
    case BlockFault::None:
      if (sendBlock) return sendBlock(out);
      break;
    case BlockFault::Truncated:
      send(out.left(out.size() / 2));
      if (closeLink) closeLink();
      return;
    case BlockFault::Garbage:
      return send("XQ" + data + "\r\n");
    case BlockFault::BadLength:
      return send("#31x2" + data + "\r\n");
    case BlockFault::Huge:
      return send("#9987654321" + data + "\r\n");
  }
  send(out);
}

QString Instrument::currentFolder() const {
  if (s_.family == 1) return QStringLiteral("LOCAL");
  QString dir = dir_;
  if (!dir.startsWith('/')) dir.prepend('/');
  if (storage_ == "SDCARD") return QString(kSdRoot).chopped(1) + dir;
  return dir;
}

bool Instrument::folderReachable(const QString& key) {
  if (key.startsWith(QString(kSdRoot).chopped(1)) && !s_.sdCard) {
    pushError("-200,Execution error;SD card not present");
    return false;
  }
  if (key.startsWith(QString(kSdRoot).chopped(1)) && s_.sdCardUnreadable) {
    pushError("-200,Execution error;SD card unreadable");
    return false;
  }
  return true;
}

void Instrument::receive(const QByteArray& bytes, qint32 lineBaud) {
  if (lineBaud != 0 && !s_.anySpeed && lineBaud != s_.baud) {
    // Wrong speed: the instrument sees framing noise and says nothing.
    input_.clear();
    if (log)
      log("(" + QByteArray::number(bytes.size()) + " bytes at " + QByteArray::number(lineBaud) +
          " baud, not understood)");
    return;
  }
  // A block whose bytes stopped coming long enough ago is over, whatever
  // comes now.
  if (blockWaiting_ && sinceInput_.isValid() && sinceInput_.elapsed() >= s_.blockTimeoutMs)
    cutBlock();
  sinceInput_.start();
  input_ += bytes;
  for (;;) {
    blockWaiting_ = false;
    blockTimer_.stop();
    qsizetype start = 0;
    while (start < input_.size() && (input_[start] == '\r' || input_[start] == '\n')) ++start;
    input_.remove(0, start);
    if (input_.isEmpty()) return;
    const Block block = takeBlockCommand();
    if (block == Block::Taken) {
      blockAnnounced_ = false;
      continue;
    }
    if (block == Block::Incomplete) {
      // Once a block's header has come, the log says that one is arriving,
      // so that a test can stop a send under way without guessing a time.
      if (!blockAnnounced_ && input_.contains(",#")) {
        blockAnnounced_ = true;
        if (log) log("(file block arriving)");
      }
      // Its bytes may hold carriage returns: wait, but not for ever.
      blockWaiting_ = true;
      blockTimer_.start(s_.blockTimeoutMs);
      return;
    }
    qsizetype end = -1;
    for (qsizetype i = 0; i < input_.size(); ++i)
      if (input_[i] == '\r' || input_[i] == '\n') {
        end = i;
        break;
      }
    if (end < 0) {
      if (input_.size() > 1 << 20) input_.clear();  // no endless growth on noise
      return;
    }
    const QByteArray line = input_.left(end);
    input_.remove(0, end + 1);
    if (log) log(line);
    if (fault_ == Fault::Silent) continue;
    execute(line);
  }
}

// "MMEM:DATA "NAME",#<d><length><bytes>": the bytes may hold carriage returns,
// so the block is taken by its length, and waited for until all of it came.
Instrument::Block Instrument::takeBlockCommand() {
  qsizetype p = input_.startsWith(':') ? 1 : 0;
  if (input_.size() < p + 10) return Block::NotBlock;
  if (input_.mid(p, 10).toUpper() != "MMEM:DATA ") return Block::NotBlock;
  const qsizetype hash = input_.indexOf(",#", p);
  const qsizetype lineEnd = input_.indexOf('\r', p);
  if (hash < 0) return lineEnd >= 0 ? Block::NotBlock : Block::Incomplete;
  if (lineEnd >= 0 && lineEnd < hash) return Block::NotBlock;  // an ordinary, malformed line
  if (input_.size() < hash + 3) return Block::Incomplete;
  const int digits = input_[hash + 2] - '0';
  // Not a block after all: taken as a bad command up to the carriage return.
  if (digits < 1 || digits > 9) return Block::NotBlock;
  if (input_.size() < hash + 3 + digits) return Block::Incomplete;
  bool ok = false;
  const qint64 length = input_.mid(hash + 3, digits).toLongLong(&ok);
  if (!ok || length < 0 || length > FileStore::kCapacity) return Block::NotBlock;
  const qsizetype dataStart = hash + 3 + digits;
  if (input_.size() < dataStart + length) return Block::Incomplete;
  const QByteArray name = unquote(input_.mid(p + 10, hash - p - 10));
  const QByteArray data = input_.mid(dataStart, length);
  qsizetype consumed = dataStart + length;
  if (consumed < input_.size() && input_[consumed] == '\r') ++consumed;
  input_.remove(0, consumed);
  if (log) log("MMEM:DATA \"" + name + "\",#<" + QByteArray::number(data.size()) + " bytes>");
  if (fault_ == Fault::Silent) return Block::Taken;
  interruptReply();
  const QString key = currentFolder();
  if (!folderReachable(key)) return Block::Taken;
  if (name.isEmpty()) {
    pushError("-256,File name not found");
    return Block::Taken;
  }
  if (s_.memoryFull) {
    pushError("-254,Media full");
    return Block::Taken;
  }
  files_.folder(key).put(QString::fromLatin1(name), data);
  return Block::Taken;
}

void Instrument::execute(const QByteArray& raw) {
  QByteArray line = raw.trimmed();
  if (line.startsWith(':')) line.remove(0, 1);
  const qsizetype space = line.indexOf(' ');
  const QByteArray header = (space < 0 ? line : line.left(space)).toUpper();
  const QByteArray arg = space < 0 ? QByteArray() : line.mid(space + 1).trimmed();

  interruptReply();
  if (header == "*IDN?") return reply(identification());
  if (header == "*CLS") {
    errors_.clear();
    return;
  }
  if (header == "*OPC?") return reply("1");
  if (header == "*RST") return;
  if (header == "SYST:ERR?") {
    if (errors_.isEmpty()) return reply("0,No error");
    return reply(errors_.takeFirst());
  }
  if (header == "SYST:COMM:SER:BAUD") {
    bool ok = false;
    const qint64 rate = arg.toLongLong(&ok);
    if (!ok || !validBaud(rate)) return pushError("-222,Data out of range");
    if (!s_.fixedSpeed) s_.baud = static_cast<qint32>(rate);
    // A line that fails at the new speed: nothing answers any more.
    if (s_.deafAfterSpeedChange) fault_ = Fault::Silent;
    return;
  }
  if (header == "SYST:COMM:SER:CONT:DTR") return;
  if (header == "FORM:DATA") return;
  if (header == "FORM") {
    hexFormat_ = arg.toUpper().startsWith("HEX");
    return;
  }
  if (header == "TRIG:RUN:STAT?") return reply(QByteArray::number(s_.runState));
  if (header == "TRIG:RUN:STAT") {
    s_.runState = arg.trimmed() == "0" ? 0 : 1;
    return;
  }
  if (header == "ZC:CAL:CONFIG?") {
    if (s_.family != 1) return pushError("-113,Undefined header");
    // Eight characters and the carriage return: "0x" and six hexadecimal digits.
    if (hexFormat_)
      return reply(
          "0x" +
          QByteArray::number(s_.calibration & 0xFFFFFF, 16).toUpper().rightJustified(6, '0'));
    return reply(QByteArray::number(s_.calibration));
  }
  if (header == "TRAC:LIM") {
    traceLimits_ = arg;
    return;
  }
  if (header == "DEV:MOD?") return reply(s_.mode);
  if (header == "DEV:MOD") {
    const QByteArray mode = arg.toUpper();
    if (mode == "BUS" && s_.refuseBus)
      return pushError("-221,Settings conflict;bus analysis not licensed");
    if (mode != "BUS" && mode != "SCOPE" && mode != "METER" && mode != "EYE")
      return pushError("-224,Illegal parameter value");
    s_.mode = mode;
    return;
  }
  if (header == "CALC:TRAN:FREQ?") return reply(QByteArray::number(s_.transform));
  if (header == "CALC:TRAN:FREQ") {
    s_.transform = arg.trimmed() == "1" ? 1 : 0;
    return;
  }

  // File stores.
  if (header == "MMEM:MSIS") {
    const QByteArray name = unquote(arg).toUpper();
    if (name.isEmpty() || name == "LOCAL")
      storage_ = "LOCAL";
    else if (name == "SDCARD" && s_.family == 2)
      storage_ = "SDCARD";
    else
      pushError("-224,Illegal parameter value");
    return;
  }
  if (header == "MMEM:CDIR") {
    if (s_.family == 1) return;
    QString path = QString::fromLatin1(unquote(arg));
    const QString sd = QString(kSdRoot).chopped(1);
    if (path.startsWith(sd, Qt::CaseInsensitive)) {
      storage_ = "SDCARD";
      path = path.mid(sd.size());
    }
    if (!path.startsWith('/')) path.prepend('/');
    while (path.size() > 1 && path.endsWith('/')) path.chop(1);
    if (path != "/" && path.compare("/bus-limits", Qt::CaseInsensitive) != 0 &&
        path.compare("/bus", Qt::CaseInsensitive) != 0)
      return pushError("-256,File name not found");
    dir_ = path.toLower();
    return;
  }
  if (header == "MMEM:CAT?") {
    QString key = currentFolder();
    if (s_.family == 2 && unquote(arg).toUpper() == "LOCAL") key = dir_;
    if (!folderReachable(key))
      return reply(s_.sdCard && s_.sdCardUnreadable ? files_.catalogue(key) : "0,0");
    return reply(files_.catalogue(key));
  }
  if (header == "MEM:CAT?") {
    if (s_.family != 1) return pushError("-113,Undefined header");
    return reply(files_.catalogue(kSecondStore));
  }
  if (header == "MMEM:DEL") {
    const QString key = currentFolder();
    if (!folderReachable(key)) return;
    if (s_.refuseDelete) return pushError("-258,Media protected");
    if (!files_.folder(key).remove(QString::fromLatin1(unquote(arg))))
      pushError("-256,File name not found");
    return;
  }
  if (header == "MMEM:DATA?" || header == "MEM:DATA?") {
    QString key = currentFolder();
    if (header == "MEM:DATA?") {
      if (s_.family != 1) return pushError("-113,Undefined header");
      key = kSecondStore;
    }
    if (!folderReachable(key)) return;
    const QByteArray* data = files_.folder(key).get(QString::fromLatin1(unquote(arg)));
    if (!data) return pushError("-256,File name not found");
    return replyBlock(*data);
  }
  pushError("-113,Undefined header");
}

}  // namespace sim
