// SPDX-License-Identifier: GPL-3.0-or-later
#include "io/Visa.h"

#include <QDeadlineTimer>
#include <QObject>
#include <QSerialPortInfo>
#include <QTimer>
#include <limits>

#include "io/PortOrder.h"
#include "io/ResourceName.h"
#include "io/SerialTransport.h"
#include "io/TcpTransport.h"

namespace karvel::io {

struct Visa::Object {
  enum class Type { Manager, Instrument, FindList };
  Type type;
  ViSession manager = VI_NULL;  // owning manager (instruments, find lists)

  // Find list.
  QStringList matches;
  int next = 0;

  // Instrument session.
  QString name;
  std::unique_ptr<Transport> transport;
  QByteArray pending;  // arrived, not read yet
  ViAttrState timeoutMs = 2000;
  ViAttrState termChar = '\n';
  bool termCharEnabled = false;
  bool suppressEnd = false;
  ViAttrState endIn = VI_ASRL_END_TERMCHAR;
  ViAttrState endOut = VI_ASRL_END_NONE;
  ViAttrState baud = 9600;
  ViAttrState flow = VI_ASRL_FLOW_NONE;
  ViAttrState dataBits = 8;
  ViAttrState parity = 0;
  ViAttrState stopBits = 10;
  ViAttrState readMode = VI_FLUSH_ON_ACCESS;
  ViAttrState writeMode = VI_FLUSH_WHEN_FULL;
  ViUInt32 readBuf = 4096;
  ViUInt32 writeBuf = 4096;
  // The link reported its own end (peer gone, device removed).
  bool linkClosed = false;
  // A read was given up at a cancel: the rest of its reply is not wanted.
  bool replyAbandoned = false;
};

namespace {

// How soon a handler that could not act on a link's end is told again.
constexpr int kLinkClosedRetryMs = 100;

// The rest of a reply given up at a cancel is taken for over once the line
// has been quiet this long, or once this much time has gone.
constexpr int kAbandonedReplyQuietMs = 30;
constexpr int kAbandonedReplyDrainMs = 400;

// A wait hook with the cancel it was set with, so that one saved and put
// back as a plain function keeps its cancel.
struct HookWithCancel {
  std::function<void()> keepAlive;
  std::function<bool()> cancelled;
  void operator()() const {
    if (keepAlive) keepAlive();
  }
};

// Counts a call of the layer for as long as it runs.
class InCall {
 public:
  explicit InCall(int& calls) : calls_(calls) { ++calls_; }
  ~InCall() { --calls_; }
  InCall(const InCall&) = delete;
  InCall& operator=(const InCall&) = delete;

 private:
  int& calls_;
};

std::unique_ptr<Transport> systemTransport(const ResourceName& name, const QString& description) {
  if (name.kind == ResourceName::Kind::Serial)
    return std::make_unique<SerialTransport>(name.device, description);
  return std::make_unique<TcpTransport>(name.host, name.port);
}

}  // namespace

Visa::Visa()
    : lister_(&Visa::systemSerialPorts),
      transportMaker_(&systemTransport),
      postbox_(std::make_unique<QObject>()) {}

Visa::~Visa() {
  // Instruments first, so their links close before their managers go.
  objects_.clear();
  postbox_.reset();
}

void Visa::noteLinkClosed(ViObject id) {
  Object* s = find(id);
  if (!s || s->linkClosed) return;
  s->linkClosed = true;
  if (linkClosed_) tellLinkClosed(id, 0);
}

void Visa::tellLinkClosed(ViObject id, int delayMs) {
  // Through the event loop: the link may report its end from inside a read
  // or a write, and the handler must not run there.
  QTimer::singleShot(delayMs, postbox_.get(), [this, id] {
    if (!linkClosed_ || !find(id)) return;  // closed by the program meanwhile
    // A copy: the handler may replace itself.
    const LinkClosedHandler handler = linkClosed_;
    if (calls_ > 0 || !handler(id)) tellLinkClosed(id, kLinkClosedRetryMs);
  });
}

LinkFailure Visa::linkLoss(ViSession vi) const {
  const auto it = objects_.find(vi);
  if (it == objects_.end() || !it->second->linkClosed) return {};
  const Object& s = *it->second;
  LinkFailure loss{LinkCause::Lost, s.name, {}, s.transport->lastError()};
  if (const auto parsed = parseResourceName(s.name);
      parsed && parsed->kind == ResourceName::Kind::Serial)
    loss.device = parsed->device;
  return loss;
}

void Visa::setPortLister(PortLister lister) {
  lister_ = lister ? std::move(lister) : PortLister(&Visa::systemSerialPorts);
}

void Visa::setTransportMaker(TransportMaker maker) {
  transportMaker_ = maker ? std::move(maker) : TransportMaker(&systemTransport);
}

QList<SerialPortEntry> Visa::systemSerialPorts() {
  QList<SerialPortEntry> out;
  for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
    out.append({info.systemLocation(), info.description()});
  sortSerialPorts(out);
  return out;
}

Visa::Object* Visa::find(ViObject id) {
  auto it = objects_.find(id);
  return it == objects_.end() ? nullptr : it->second.get();
}

ViObject Visa::add(std::unique_ptr<Object> object) {
  const ViObject id = nextId_++;
  objects_.emplace(id, std::move(object));
  return id;
}

void Visa::setWaitHook(std::function<void()> hook, std::function<bool()> cancelled) {
  if (cancelled) hook = HookWithCancel{std::move(hook), std::move(cancelled)};
  const HookWithCancel* withCancel = hook.target<HookWithCancel>();
  cancelled_ = withCancel ? withCancel->cancelled : std::function<bool()>();
  waitHook_ = std::move(hook);
  sinceHook_.invalidate();
  for (auto& [id, object] : objects_)
    if (object->type == Object::Type::Instrument)
      object->transport->setWaitHook(waitHook_ ? [this] { runWaitHook(); }
                                               : std::function<void()>());
}

void Visa::runWaitHook() {
  if (!waitHook_) return;
  if (sinceHook_.isValid() && sinceHook_.elapsed() < Transport::kWaitHookStepMs) return;
  sinceHook_.start();
  // A copy: the hook may replace itself.
  const auto hook = waitHook_;
  hook();
}

void Visa::emitTrace(TraceEvent event) const {
  if (trace_) trace_(event);
}

void Visa::noteTransfer(const Object& s, ViStatus status) {
  // A cancel is no failure of the link.
  if (status >= VI_SUCCESS || status == VI_ERROR_ABORT) {
    lastFailure_ = {};
    return;
  }
  LinkCause cause = LinkCause::Other;
  if (status == VI_ERROR_TMO)
    cause = LinkCause::TimeOut;
  else if (status == VI_ERROR_CONN_LOST)
    cause = LinkCause::Lost;
  lastFailure_ = {cause, s.name, {}, s.transport->lastError()};
  if (const auto parsed = parseResourceName(s.name);
      parsed && parsed->kind == ResourceName::Kind::Serial)
    lastFailure_.device = parsed->device;
}

ViStatus Visa::viOpenDefaultRM(ViSession* rm) {
  if (!rm) return VI_ERROR_INV_PARAMETER;
  auto object = std::make_unique<Object>();
  object->type = Object::Type::Manager;
  *rm = add(std::move(object));
  return VI_SUCCESS;
}

ViStatus Visa::viFindRsrc(ViSession rm, const QString& expression, ViFindList* list,
                          ViUInt32* count, QString* firstName) {
  if (list) *list = VI_NULL;
  if (count) *count = 0;
  Object* manager = find(rm);
  if (!manager || manager->type != Object::Type::Manager) return VI_ERROR_INV_OBJECT;
  QStringList matches;
  for (const SerialPortEntry& port : lister_()) {
    const QString name = serialResourceName(port.device);
    // A device path stands where a port number would; the expression can only
    // speak of numbers, so a path is matched as if the number were absent.
    QString key = name;
    if (port.device.contains(u'/')) key = QStringLiteral("ASRL::INSTR");
    if (matchesExpression(expression, name) || matchesExpression(expression, key))
      matches.append(name);
  }
  if (matches.isEmpty()) return VI_ERROR_RSRC_NFOUND;
  auto object = std::make_unique<Object>();
  object->type = Object::Type::FindList;
  object->manager = rm;
  object->matches = matches;
  object->next = 1;
  if (firstName) *firstName = matches.first();
  if (count) *count = static_cast<ViUInt32>(matches.size());
  const ViObject id = add(std::move(object));
  if (list) *list = id;
  return VI_SUCCESS;
}

ViStatus Visa::viFindNext(ViFindList list, QString* name) {
  Object* object = find(list);
  if (!object || object->type != Object::Type::FindList) return VI_ERROR_INV_OBJECT;
  if (object->next >= object->matches.size()) return VI_ERROR_RSRC_NFOUND;
  if (name) *name = object->matches[object->next];
  ++object->next;
  return VI_SUCCESS;
}

ViStatus Visa::viOpen(ViSession rm, const QString& name, ViUInt32 accessMode, ViUInt32,
                      ViSession* vi) {
  const InCall inCall(calls_);
  if (vi) *vi = VI_NULL;
  lastOpenError_.clear();
  ViStatus status = VI_SUCCESS;
  const auto done = [&](ViStatus s) {
    emitTrace({TraceEvent::Kind::Open, vi ? *vi : VI_NULL, name.toUtf8(), s, 0, 0});
    return s;
  };
  Object* manager = find(rm);
  if (!manager || manager->type != Object::Type::Manager) return done(VI_ERROR_INV_OBJECT);
  if (!vi) return done(VI_ERROR_INV_PARAMETER);
  if (accessMode != VI_NO_LOCK && accessMode != 1 && accessMode != 4)
    return done(VI_ERROR_INV_ACC_MODE);
  const auto parsed = parseResourceName(name);
  lastFailure_ = {};
  if (!parsed) {
    lastOpenError_ = QStringLiteral("not a resource name: %1").arg(name);
    lastFailure_ = {LinkCause::Malformed, name.trimmed(), {}, {}};
    return done(VI_ERROR_INV_RSRC_NAME);
  }
  auto object = std::make_unique<Object>();
  object->type = Object::Type::Instrument;
  object->manager = rm;
  object->name = parsed->canonical;
  QString description;
  if (parsed->kind == ResourceName::Kind::Serial) {
    for (const SerialPortEntry& port : lister_())
      if (port.device == parsed->device) description = port.description;
  }
  object->transport = transportMaker_(*parsed, description);
  if (!object->transport) {
    lastOpenError_ = QStringLiteral("no link for %1").arg(name);
    lastFailure_ = {LinkCause::Other, name.trimmed(), {}, lastOpenError_};
    return done(VI_ERROR_RSRC_NFOUND);
  }
  status = object->transport->open(connectTimeoutMs_);
  if (status < VI_SUCCESS) {
    lastOpenError_ = object->transport->lastError();
    const bool serial = parsed->kind == ResourceName::Kind::Serial;
    lastFailure_ = {object->transport->lastCause(), name.trimmed(),
                    serial ? parsed->device : QString(), lastOpenError_};
    if (lastFailure_.cause == LinkCause::None) lastFailure_.cause = LinkCause::Other;
    return done(status);
  }
  if (waitHook_) object->transport->setWaitHook([this] { runWaitHook(); });
  Transport* link = object->transport.get();
  *vi = add(std::move(object));
  link->setClosedHandler([this, id = *vi] { noteLinkClosed(id); });
  return done(VI_SUCCESS);
}

void Visa::closeObject(ViObject id) {
  auto it = objects_.find(id);
  if (it == objects_.end()) return;
  if (it->second->type == Object::Type::Manager) {
    // Closing a manager closes everything opened through it.
    std::vector<ViObject> owned;
    for (const auto& [oid, o] : objects_)
      if (o->manager == id) owned.push_back(oid);
    for (ViObject oid : owned) closeObject(oid);
    it = objects_.find(id);
  }
  if (it == objects_.end()) return;
  if (it->second->transport) it->second->transport->close();
  objects_.erase(it);
}

ViStatus Visa::viClose(ViObject object) {
  if (object == VI_NULL) return VI_SUCCESS;  // closing nothing is a harmless no-op
  if (!find(object)) return VI_ERROR_INV_OBJECT;
  emitTrace({TraceEvent::Kind::Close, object, {}, VI_SUCCESS, 0, 0});
  closeObject(object);
  return VI_SUCCESS;
}

ViStatus Visa::viSetAttribute(ViObject id, ViAttr attribute, ViAttrState value) {
  Object* s = find(id);
  if (!s) return VI_ERROR_INV_OBJECT;
  ViStatus status = VI_SUCCESS;
  if (s->type != Object::Type::Instrument) {
    status = VI_ERROR_NSUP_ATTR;
  } else {
    const bool serial = s->transport->isSerial();
    switch (attribute) {
      case VI_ATTR_TMO_VALUE:
        s->timeoutMs = value;
        break;
      case VI_ATTR_TERMCHAR:
        if (value > 0xFF)
          status = VI_ERROR_NSUP_ATTR_STATE;
        else
          s->termChar = value;
        break;
      case VI_ATTR_TERMCHAR_EN:
        s->termCharEnabled = value != 0;
        break;
      case VI_ATTR_SUPPRESS_END_EN:
        s->suppressEnd = value != 0;
        break;
      case VI_ATTR_RD_BUF_OPER_MODE:
        s->readMode = value;
        break;
      case VI_ATTR_WR_BUF_OPER_MODE:
        s->writeMode = value;
        break;
      case VI_ATTR_ASRL_BAUD:
        if (!serial) {
          status = VI_ERROR_NSUP_ATTR;
          break;
        }
        if (value > std::numeric_limits<ViUInt32>::max()) {
          status = VI_ERROR_NSUP_ATTR_STATE;
          break;
        }
        status = s->transport->setBaudRate(static_cast<ViUInt32>(value));
        if (status == VI_SUCCESS) s->baud = value;
        break;
      case VI_ATTR_ASRL_FLOW_CNTRL:
        if (!serial) {
          status = VI_ERROR_NSUP_ATTR;
          break;
        }
        status = s->transport->setFlowControl(value);
        if (status == VI_SUCCESS) s->flow = value;
        break;
      case VI_ATTR_ASRL_END_IN:
        if (!serial) {
          status = VI_ERROR_NSUP_ATTR;
          break;
        }
        if (value > VI_ASRL_END_BREAK)
          status = VI_ERROR_NSUP_ATTR_STATE;
        else
          s->endIn = value;
        break;
      case VI_ATTR_ASRL_END_OUT:
        if (!serial) {
          status = VI_ERROR_NSUP_ATTR;
          break;
        }
        s->endOut = value;
        break;
      case VI_ATTR_RM_SESSION:
      case VI_ATTR_INTF_TYPE:
      case VI_ATTR_INTF_INST_NAME:
      case VI_ATTR_RSRC_NAME:
        status = VI_ERROR_ATTR_READONLY;
        break;
      default:
        status = VI_ERROR_NSUP_ATTR;
        break;
    }
  }
  emitTrace({TraceEvent::Kind::SetAttribute, id, {}, status, attribute, value});
  return status;
}

ViStatus Visa::viGetAttribute(ViObject id, ViAttr attribute, ViAttrState* value) {
  Object* s = find(id);
  if (!s) return VI_ERROR_INV_OBJECT;
  if (!value) return VI_ERROR_INV_PARAMETER;
  if (attribute == VI_ATTR_RM_SESSION) {
    *value = s->type == Object::Type::Manager ? id : s->manager;
    return VI_SUCCESS;
  }
  if (s->type != Object::Type::Instrument) return VI_ERROR_NSUP_ATTR;
  const bool serial = s->transport->isSerial();
  switch (attribute) {
    case VI_ATTR_TMO_VALUE:
      *value = s->timeoutMs;
      break;
    case VI_ATTR_TERMCHAR:
      *value = s->termChar;
      break;
    case VI_ATTR_TERMCHAR_EN:
      *value = s->termCharEnabled;
      break;
    case VI_ATTR_SUPPRESS_END_EN:
      *value = s->suppressEnd;
      break;
    case VI_ATTR_RD_BUF_OPER_MODE:
      *value = s->readMode;
      break;
    case VI_ATTR_WR_BUF_OPER_MODE:
      *value = s->writeMode;
      break;
    case VI_ATTR_INTF_TYPE:
      *value = serial ? VI_INTF_ASRL : VI_INTF_TCPIP;
      break;
    case VI_ATTR_ASRL_BAUD:
      if (!serial) return VI_ERROR_NSUP_ATTR;
      *value = s->baud;
      break;
    case VI_ATTR_ASRL_FLOW_CNTRL:
      if (!serial) return VI_ERROR_NSUP_ATTR;
      *value = s->flow;
      break;
    case VI_ATTR_ASRL_END_IN:
      if (!serial) return VI_ERROR_NSUP_ATTR;
      *value = s->endIn;
      break;
    case VI_ATTR_ASRL_END_OUT:
      if (!serial) return VI_ERROR_NSUP_ATTR;
      *value = s->endOut;
      break;
    case VI_ATTR_ASRL_DATA_BITS:
      if (!serial) return VI_ERROR_NSUP_ATTR;
      *value = s->dataBits;
      break;
    case VI_ATTR_ASRL_PARITY:
      if (!serial) return VI_ERROR_NSUP_ATTR;
      *value = s->parity;
      break;
    case VI_ATTR_ASRL_STOP_BITS:
      if (!serial) return VI_ERROR_NSUP_ATTR;
      *value = s->stopBits;
      break;
    default:
      return VI_ERROR_NSUP_ATTR;
  }
  return VI_SUCCESS;
}

ViStatus Visa::viGetAttribute(ViObject id, ViAttr attribute, QString* value) {
  Object* s = find(id);
  if (!s) return VI_ERROR_INV_OBJECT;
  if (!value) return VI_ERROR_INV_PARAMETER;
  if (s->type != Object::Type::Instrument) return VI_ERROR_NSUP_ATTR;
  switch (attribute) {
    case VI_ATTR_INTF_INST_NAME:
      *value = s->transport->interfaceName().left(255);
      return VI_SUCCESS;
    case VI_ATTR_RSRC_NAME:
      *value = s->name;
      return VI_SUCCESS;
    default:
      return VI_ERROR_NSUP_ATTR;
  }
}

ViStatus Visa::viSetBuf(ViSession vi, ViUInt16 mask, ViUInt32 size) {
  Object* s = find(vi);
  if (!s || s->type != Object::Type::Instrument) return VI_ERROR_INV_OBJECT;
  if (mask == 0 || (mask & ~(VI_READ_BUF | VI_WRITE_BUF)) != 0) return VI_ERROR_INV_MASK;
  if (mask & VI_READ_BUF) s->readBuf = size;
  if (mask & VI_WRITE_BUF) s->writeBuf = size;
  return VI_SUCCESS;
}

ViStatus Visa::viFlush(ViSession vi, ViUInt16 mask) {
  const InCall inCall(calls_);
  Object* s = find(vi);
  if (!s || s->type != Object::Type::Instrument) return VI_ERROR_INV_OBJECT;
  constexpr ViUInt16 known = VI_READ_BUF_DISCARD | VI_IO_IN_BUF_DISCARD | VI_IO_OUT_BUF_DISCARD;
  if (mask == 0 || (mask & ~known) != 0) return VI_ERROR_INV_MASK;
  if (mask & (VI_READ_BUF_DISCARD | VI_IO_IN_BUF_DISCARD)) {
    s->pending.clear();
    s->transport->discardInput();
  }
  if (mask & VI_IO_OUT_BUF_DISCARD) s->transport->discardOutput();
  return VI_SUCCESS;
}

ViStatus Visa::viWrite(ViSession vi, const QByteArray& bytes, ViUInt32* written) {
  const InCall inCall(calls_);
  if (written) *written = 0;
  Object* s = find(vi);
  if (!s || s->type != Object::Type::Instrument) return VI_ERROR_INV_OBJECT;
  if (s->replyAbandoned) {
    // What came of a reply given up at a cancel would be taken for the
    // reply to this command: dropped, and what still comes of it until the
    // line has been quiet a moment (within a bound, for a line that talks on).
    s->replyAbandoned = false;
    s->pending.clear();
    s->transport->discardInput();
    QDeadlineTimer bound(kAbandonedReplyDrainMs);
    QByteArray late;
    while (!bound.hasExpired() && s->transport->receive(late, kAbandonedReplyQuietMs) == VI_SUCCESS)
      late.clear();
  }
  const int timeout = s->timeoutMs >= VI_TMO_INFINITE ? -1 : static_cast<int>(s->timeoutMs);
  ViUInt32 sent = 0;
  const ViStatus status =
      s->transport->write(bytes, timeout < 0 ? 24 * 3600 * 1000 : timeout, &sent);
  if (written) *written = sent;
  noteTransfer(*s, status);
  emitTrace({TraceEvent::Kind::Write, vi, bytes, status, 0, 0});
  return status;
}

ViStatus Visa::readUntil(Object& s, QByteArray* out, ViUInt32 count) {
  out->clear();
  if (count == 0) return VI_SUCCESS_MAX_CNT;
  const bool serial = s.transport->isSerial();
  const bool endsOnTermChar = s.termCharEnabled || (serial && s.endIn == VI_ASRL_END_TERMCHAR);
  // On a socket, END is the end of the data that has arrived.
  const bool endsOnEnd = !serial && !s.suppressEnd;
  const char term = static_cast<char>(s.termChar);
  QDeadlineTimer deadline{QDeadlineTimer::Forever};
  if (s.timeoutMs < VI_TMO_INFINITE) deadline.setRemainingTime(static_cast<qint64>(s.timeoutMs));
  const qsizetype limit = static_cast<qsizetype>(std::min<ViUInt32>(count, 0x7FFFFFF0u));
  // With a wait hook, what the pieces of waiting add up to: a link that
  // answers "nothing came" at once still ends the read after the time-out.
  qint64 piecesLeft =
      deadline.isForever() ? std::numeric_limits<qint64>::max() : static_cast<qint64>(s.timeoutMs);
  for (;;) {
    const qsizetype window = std::min(limit, s.pending.size());
    if (endsOnTermChar) {
      const qsizetype at = s.pending.left(window).indexOf(term);
      if (at >= 0) {
        *out = s.pending.left(at + 1);
        s.pending.remove(0, at + 1);
        return VI_SUCCESS;
      }
    }
    if (s.pending.size() >= limit) {
      *out = s.pending.left(limit);
      s.pending.remove(0, limit);
      return VI_SUCCESS_MAX_CNT;
    }
    if (endsOnEnd && !s.pending.isEmpty()) {
      *out = s.pending;
      s.pending.clear();
      return VI_SUCCESS;
    }
    const qint64 left = deadline.isForever() ? 24LL * 3600 * 1000 : deadline.remainingTime();
    ViStatus status = VI_ERROR_TMO;
    if (cancelled_ && cancelled_()) {
      // Asked before every piece of the wait: a cancel ends it within one.
      status = VI_ERROR_ABORT;
      s.replyAbandoned = true;
    } else if (left > 0) {
      // With a wait hook the wait goes in short pieces, the hook between them.
      const qint64 piece = waitHook_ ? std::min<qint64>(left, Transport::kWaitHookStepMs) : left;
      status = s.transport->receive(s.pending, static_cast<int>(piece));
      if (waitHook_) {
        runWaitHook();
        if (status == VI_ERROR_TMO) {
          piecesLeft -= piece;
          if (piece < left && piecesLeft > 0 && !deadline.hasExpired()) continue;
        }
      }
    }
    if (status != VI_SUCCESS) {
      // What did arrive is handed over with the failure, as VISA does.
      *out = s.pending.left(limit);
      s.pending.remove(0, out->size());
      return status;
    }
  }
}

ViStatus Visa::viRead(ViSession vi, QByteArray* out, ViUInt32 count) {
  const InCall inCall(calls_);
  QByteArray scratch;
  if (!out) out = &scratch;
  out->clear();
  Object* s = find(vi);
  if (!s || s->type != Object::Type::Instrument) return VI_ERROR_INV_OBJECT;
  const ViStatus status = readUntil(*s, out, count);
  noteTransfer(*s, status);
  emitTrace({TraceEvent::Kind::Read, vi, *out, status, 0, 0});
  return status;
}

ViStatus Visa::viScanf(ViSession vi, const char* format, ViInt16* value) {
  const InCall inCall(calls_);
  Object* s = find(vi);
  if (!s || s->type != Object::Type::Instrument) return VI_ERROR_INV_OBJECT;
  if (!format || QByteArray(format) != "%hd" || !value) return VI_ERROR_NSUP_FMT;
  QByteArray text;
  const ViStatus status = readUntil(*s, &text, std::max<ViUInt32>(s->readBuf, 1));
  noteTransfer(*s, status);
  emitTrace({TraceEvent::Kind::Read, vi, text, status, 0, 0});
  if (status < VI_SUCCESS) return status;
  // Flush on access: the rest of what this read took is dropped with it.
  qsizetype i = 0;
  while (i < text.size() &&
         (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n'))
    ++i;
  qsizetype start = i;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  const qsizetype digits = i;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9' && i - digits < 12) ++i;
  if (i == digits) return VI_ERROR_INV_FMT;
  bool ok = false;
  const long long n = text.mid(start, i - start).toLongLong(&ok);
  if (!ok || n < std::numeric_limits<ViInt16>::min() || n > std::numeric_limits<ViInt16>::max())
    return VI_ERROR_INV_FMT;
  *value = static_cast<ViInt16>(n);
  return VI_SUCCESS;
}

QString Visa::statusText(ViStatus status) {
  switch (status) {
    case VI_SUCCESS:
      return QStringLiteral("Operation completed successfully.");
    case VI_SUCCESS_MAX_CNT:
      return QStringLiteral("The number of bytes read is equal to the input count.");
    case VI_SUCCESS_TERM_CHAR:
      return QStringLiteral("The specified termination character was read.");
    case VI_ERROR_TMO:
      return QStringLiteral("Timeout expired before operation completed.");
    case VI_ERROR_ABORT:
      return QStringLiteral("User abort occurred during transfer.");
    case VI_ERROR_RSRC_NFOUND:
      return QStringLiteral(
          "Insufficient location information or resource not present in the system.");
    case VI_ERROR_INV_RSRC_NAME:
      return QStringLiteral("Invalid resource reference specified. Parsing error.");
    case VI_ERROR_RSRC_LOCKED:
      return QStringLiteral(
          "Specified type of lock cannot be obtained, or specified operation cannot be performed, "
          "because the resource is locked.");
    case VI_ERROR_RSRC_BUSY:
      return QStringLiteral("The resource is valid, but VISA cannot currently access it.");
    case VI_ERROR_INV_OBJECT:
      return QStringLiteral("The given session or object reference is invalid.");
    case VI_ERROR_CONN_LOST:
      return QStringLiteral("The connection for the given session has been lost.");
    case VI_ERROR_IO:
      return QStringLiteral("Could not perform operation because of I/O error.");
    case VI_ERROR_NSUP_ATTR:
      return QStringLiteral(
          "The specified attribute is not defined or supported by the referenced resource.");
    case VI_ERROR_NSUP_ATTR_STATE:
      return QStringLiteral(
          "The specified state of the attribute is not valid, or is not supported as defined by "
          "the resource.");
    case VI_ERROR_ATTR_READONLY:
      return QStringLiteral("The specified attribute is read-only.");
    case VI_ERROR_INV_FMT:
      return QStringLiteral("A format specifier in the format string is invalid.");
    case VI_ERROR_NSUP_FMT:
      return QStringLiteral("A format specifier in the format string is not supported.");
    case VI_ERROR_INV_MASK:
      return QStringLiteral("Invalid buffer mask specified.");
    default:
      return QStringLiteral("Status 0x%1")
          .arg(static_cast<quint32>(status), 8, 16, QLatin1Char('0'));
  }
}

}  // namespace karvel::io
