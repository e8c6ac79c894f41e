// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/instrument/Communication.h"

#include <QElapsedTimer>

#include "core/frame/AppState.h"
#include "core/frame/Clock.h"
#include "core/frame/Interaction.h"
#include "core/frame/Langue.h"
#include "core/frame/Messages.h"
#include "core/frame/OperationProgress.h"
#include "core/instrument/CommunicationTexts.h"
#include "core/instrument/IdentModelScope.h"
#include "core/instrument/PortDiscovery.h"
#include "core/instrument/ScpiCommands.h"
#include "io/Visa.h"

namespace karvel {

using namespace io;
using io::LinkCause;
using io::LinkFailure;

namespace {

// A pause of the protocol; false when the user cancelled during it.
bool wait(AppState& state, int ms) { return operationWait(state, ms); }

bool stopped(AppState& state) { return operationCancelled(state); }

// An address as the user knows it: without the resource's "::INSTR".
QString shownAddress(const QString& address) {
  QString shown = address;
  if (shown.endsWith(QLatin1String("::INSTR"), Qt::CaseInsensitive)) shown.chop(7);
  return shown;
}

void saySearching(AppState& state, const QString& address, int rate) {
  if (state.operationDepth == 0 || !state.operation) return;
  state.operation->say(
      rate > 0 ? pick(text::kActivitySerialSearch, state.language)
                     .arg(shownAddress(address), QString::number(rate))
               : pick(text::kActivityPortSearch, state.language).arg(shownAddress(address)));
}

void setBusy(AppState& state, bool busy) {
  if (state.ui) state.ui->setBusy(busy);
}

// Settings shared by every probe: time-out, buffers, flush on access and the
// carriage return as termination character.
void probeSetup(Visa& v, ViSession vi, int timeoutMs) {
  v.viSetAttribute(vi, VI_ATTR_TMO_VALUE, static_cast<ViAttrState>(timeoutMs));
  v.viSetBuf(vi, VI_READ_BUF | VI_WRITE_BUF, kFormattedBufferSize);
  v.viSetAttribute(vi, VI_ATTR_WR_BUF_OPER_MODE, VI_FLUSH_ON_ACCESS);
  v.viSetAttribute(vi, VI_ATTR_RD_BUF_OPER_MODE, VI_FLUSH_ON_ACCESS);
}

void serialSetup(Visa& v, ViSession vi) {
  v.viSetAttribute(vi, VI_ATTR_ASRL_FLOW_CNTRL, VI_ASRL_FLOW_RTS_CTS);
  v.viSetAttribute(vi, VI_ATTR_TERMCHAR, kTermChar);
  v.viSetAttribute(vi, VI_ATTR_ASRL_END_IN, VI_ASRL_END_TERMCHAR);
}

// What an earlier session left on the line (the end of a reply or of a block
// that nobody read, after a program was stopped half-way) is dropped before
// the first command, else it is taken for the first reply. A quiet line costs
// one short read; one that keeps talking is told to stop (a new command ends
// a reply under way) and drained, within a bounded time either way.
void dropLeftovers(Visa& v, ViSession vi, int timeoutMs) {
  v.viFlush(vi, VI_READ_BUF_DISCARD | VI_IO_IN_BUF_DISCARD | VI_IO_OUT_BUF_DISCARD);
  v.viSetAttribute(vi, VI_ATTR_TMO_VALUE, kLeftoverQuietMs);
  // False only when bytes still come once `limitMs` is over: a line that
  // fell quiet just then is left alone.
  const auto drain = [&](int limitMs) {
    QElapsedTimer spent;
    spent.start();
    for (;;) {
      const bool late = spent.elapsed() >= limitMs;
      QByteArray junk;
      v.viRead(vi, &junk, kLeftoverReadMax);
      if (junk.isEmpty()) return true;
      if (late) return false;
    }
  };
  if (!drain(kLeftoverTalkMs)) {
    // With its leading carriage return, as the other clears: whatever the
    // instrument half-received before is ended first, not prefixed to it.
    v.viWrite(vi, scpi::kClearAfterBaud);
    drain(kLeftoverTalkMs);
    v.viFlush(vi, VI_READ_BUF_DISCARD | VI_IO_IN_BUF_DISCARD);
  }
  v.viSetAttribute(vi, VI_ATTR_TMO_VALUE, static_cast<ViAttrState>(timeoutMs));
}

// The identification's reply read up to its carriage return within the
// read's time-out, however many packets it comes in: on a socket a read
// otherwise ends with the first bytes that arrive.
ViStatus readWholeReply(Visa& v, ViSession vi, QByteArray* reply) {
  v.viSetAttribute(vi, VI_ATTR_TERMCHAR_EN, VI_TRUE);
  v.viSetAttribute(vi, VI_ATTR_SUPPRESS_END_EN, VI_TRUE);
  const ViStatus read = v.viRead(vi, reply, kIdentifyReadMax);
  v.viSetAttribute(vi, VI_ATTR_TERMCHAR_EN, VI_FALSE);
  v.viSetAttribute(vi, VI_ATTR_SUPPRESS_END_EN, VI_FALSE);
  // A reply longer than the count: its rest is no reply to the next command.
  if (read == VI_SUCCESS_MAX_CNT) v.viFlush(vi, VI_READ_BUF_DISCARD | VI_IO_IN_BUF_DISCARD);
  return read;
}

bool namesSupportedModel(const QByteArray& reply) {
  return (replyContains(reply, "RQ4") && replyContains(reply, "V5.")) ||
         replyContains(reply, "RQ6");
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The leading integer of a reply (0 when there is none).
int leadingInteger(const QByteArray& reply) {
  bool ok = false;
  QByteArray digits;
  qsizetype i = 0;
  while (i < reply.size() && (reply[i] == ' ' || reply[i] == '\r' || reply[i] == '\n')) ++i;
  if (i < reply.size() && (reply[i] == '-' || reply[i] == '+')) digits += reply[i++];
  while (i < reply.size() && reply[i] >= '0' && reply[i] <= '9' && digits.size() < 10)
    digits += reply[i++];
  const int n = digits.toInt(&ok);
  return ok ? n : 0;
}

// A CDC port, open: one identification query at the port's own speed. True
// when identified; `last` receives the identification status.
bool identifyCdc(AppState& state, Visa& v, ViSession vi, int* last, QByteArray* reply) {
  probeSetup(v, vi, kUsbProbeTimeoutMs);
  serialSetup(v, vi);
  dropLeftovers(v, vi, kUsbProbeTimeoutMs);
  v.viWrite(vi, scpi::kIdentify);
  v.viRead(vi, reply, kIdentifyReadMax);
  *last = IdentModelScope(state, *reply, vi);
  return *last == 0;
}

// A bridge port, open: the query at each bridge speed; only a reply with
// "V5." goes to the identification, whose status `last` then receives.
bool identifyBridge(AppState& state, Visa& v, ViSession vi, const QString& resource, int* last,
                    QByteArray* reply) {
  probeSetup(v, vi, kUsbProbeTimeoutMs);
  serialSetup(v, vi);
  for (int rate : kBridgeBaudRates) {
    if (stopped(state)) return false;
    saySearching(state, resource, rate);
    v.viSetAttribute(vi, VI_ATTR_ASRL_BAUD, static_cast<ViAttrState>(rate));
    if (rate == kBridgeBaudRates[0]) dropLeftovers(v, vi, kUsbProbeTimeoutMs);
    v.viWrite(vi, scpi::kIdentify);
    QByteArray answer;
    v.viRead(vi, &answer, kIdentifyReadMax);
    if (answer.isEmpty()) continue;
    if (answer[0] == '\0') answer[0] = ' ';
    *reply = answer;
    if (!replyContains(answer, "V5.")) continue;
    *last = IdentModelScope(state, answer, vi);
    if (*last == 0) return true;
  }
  return false;
}

// Steps 4 and 5 of a USB opening: CDC ports named "Gadget Serial", then the
// bridge devices. Returns 0 with `session` open, or the last status;
// `tried` counts the ports that were asked; `answeredAt` names the last one
// whose answer named no supported instrument.
int searchUsb(AppState& state, Visa& v, ViSession rm, ViSession* session, int* tried,
              QString* answeredAt) {
  int last = -1;
  ViFindList list = VI_NULL;
  ViUInt32 count = 0;
  QString name;
  if (v.viFindRsrc(rm, kSerialSearch, &list, &count, &name) >= VI_SUCCESS) {
    bool more = true;
    while (more && !stopped(state)) {
      saySearching(state, name, 0);
      ViSession vi = VI_NULL;
      if (v.viOpen(rm, name, VI_NO_LOCK, 0, &vi) >= VI_SUCCESS) {
        QString interface;
        const bool cdc = v.viGetAttribute(vi, VI_ATTR_INTF_INST_NAME, &interface) >= VI_SUCCESS &&
                         interface.left(kTextMax).contains(QLatin1String(kCdcInterfaceName),
                                                           Qt::CaseInsensitive);
        QByteArray reply;
        if (cdc) ++*tried;
        if (cdc && identifyCdc(state, v, vi, &last, &reply)) {
          state.usbAddress = name;
          *session = vi;
          v.viClose(list);
          return 0;
        }
        if (!reply.isEmpty()) *answeredAt = name;
        v.viClose(vi);
      }
      more = v.viFindNext(list, &name) >= VI_SUCCESS;
    }
    v.viClose(list);
  }
  if (state.instrumentModel != kModelNone || stopped(state)) return last;

  for (const BridgeDevice& device : listBridgeDevices(state.sysfsRoot, state.deviceRoot)) {
    if (stopped(state)) break;
    ViSession vi = VI_NULL;
    ++*tried;
    const bool opened = !device.resource.isEmpty() &&
                        v.viOpen(rm, device.resource, VI_NO_LOCK, 0, &vi) >= VI_SUCCESS;
    if (!opened) continue;  // fails both tries: passed over
    QByteArray reply;
    if (identifyBridge(state, v, vi, device.resource, &last, &reply)) {
      state.usbAddress = device.resource;
      *session = vi;
      return 0;
    }
    if (!reply.isEmpty()) *answeredAt = device.resource;
    v.viClose(vi);
  }
  return last;
}

// The speed the last serial opening had to keep because the instrument
// refused 115200 (0: none); OpenDev tells the user once the session is open.
int keptBaudRate = 0;

// Whether the instrument answers the identification query at the port's
// present speed, within the time-out in effect.
bool answersHere(Visa& v, ViSession vi) {
  QByteArray reply;
  v.viWrite(vi, scpi::kIdentify);
  return v.viRead(vi, &reply, kIdentifyReadMax) == VI_SUCCESS && namesSupportedModel(reply);
}

// Step 6: the stored address (RS232 or Ethernet).
// `answered` tells whether a whole reply came that named no supported model;
// `lostAt` receives the speed at which an instrument answered before it was
// lost through the change to 115200.
int openAddress(AppState& state, Visa& v, ViSession rm, const QString& address, ViSession* session,
                bool* answered, int* lostAt) {
  ViSession vi = VI_NULL;
  const ViStatus opened = v.viOpen(rm, address, VI_NO_LOCK, 0, &vi);
  if (opened < VI_SUCCESS) {
    v.viClose(rm);
    return opened;
  }
  *session = vi;
  v.viSetAttribute(vi, VI_ATTR_TMO_VALUE, kAddressProbeTimeoutMs);
  v.viSetBuf(vi, VI_READ_BUF | VI_WRITE_BUF, kFormattedBufferSize);
  v.viSetAttribute(vi, VI_ATTR_WR_BUF_OPER_MODE, VI_FLUSH_ON_ACCESS);
  v.viSetAttribute(vi, VI_ATTR_RD_BUF_OPER_MODE, VI_FLUSH_ON_ACCESS);
  v.viSetAttribute(vi, VI_ATTR_TERMCHAR, kTermChar);
  v.viSetAttribute(vi, VI_ATTR_SUPPRESS_END_EN, VI_FALSE);
  ViAttrState type = 0;
  v.viGetAttribute(vi, VI_ATTR_INTF_TYPE, &type);
  int status = opened;

  if (type == VI_INTF_ASRL) {
    serialSetup(v, vi);
    status = -1;
    for (int rate : kBaudRates) {
      if (status == 0) break;
      if (stopped(state)) break;
      saySearching(state, address, rate);
      QByteArray reply;
      v.viSetAttribute(vi, VI_ATTR_ASRL_BAUD, static_cast<ViAttrState>(rate));
      // At the speed the last session most likely left the line at.
      if (rate == kBaudRates[0]) dropLeftovers(v, vi, kAddressProbeTimeoutMs);
      v.viWrite(vi, scpi::kIdentify);
      if (v.viRead(vi, &reply, kIdentifyReadMax) != VI_SUCCESS) continue;
      *answered = true;
      if (!namesSupportedModel(reply)) continue;
      status = IdentModelScope(state, reply, vi);
      if (status != 0) continue;
      // Cancelled once found: the port is closed as after a failure.
      if (stopped(state)) {
        status = -1;
        break;
      }
      if (rate != kBaudRates[0]) {
        v.viWrite(vi, scpi::kBaud115200);
        if (!wait(state, 100)) {
          status = -1;
          break;
        }
        v.viSetAttribute(vi, VI_ATTR_ASRL_BAUD, static_cast<ViAttrState>(kBaudRates[0]));
        v.viWrite(vi, scpi::kClearAfterBaud);
        // An instrument that kept its speed would leave a session whose
        // first command times out: it must answer at the new one, else the
        // port goes back to the speed it answered at.
        if (!answersHere(v, vi)) {
          v.viSetAttribute(vi, VI_ATTR_ASRL_BAUD, static_cast<ViAttrState>(rate));
          if (!answersHere(v, vi)) {
            // Neither speed: another speed would only find it by chance.
            *lostAt = rate;
            status = -1;
            break;
          }
          keptBaudRate = rate;
        }
      }
      v.viWrite(vi, scpi::kDtrOn);
      if (!wait(state, 500)) {
        status = -1;
        break;
      }
      v.viWrite(vi, scpi::kThreeReturns);
    }
  } else if (type == VI_INTF_TCPIP) {
    saySearching(state, address, 0);
    QByteArray reply;
    dropLeftovers(v, vi, kAddressProbeTimeoutMs);
    v.viWrite(vi, scpi::kIdentify);
    const ViStatus read = readWholeReply(v, vi, &reply);
    if (read == VI_SUCCESS && namesSupportedModel(reply)) {
      status = IdentModelScope(state, reply, vi);
    } else if (!reply.isEmpty()) {
      // Something answered that names no supported model: the session
      // opens with the model unknown, and says what answered.
      state.instrumentModel = kModelNone;
      state.identificationReply = reply.left(kUnidentifiedReplyKept);
      status = 0;
    } else {
      // Nothing came within the time-out: nobody to hold a session with.
      status = -1;
    }
    if (stopped(state)) status = -1;
  }
  return status;
}

// Step 8: set-up of the identified instrument. Statuses are not examined: a
// missing reply reads as empty. False when the user cancelled between two
// steps (the session is then closed as after a failure).
bool setUpInstrument(AppState& state, Visa& v, ViSession vi) {
  if (stopped(state)) return false;
  if (state.operationDepth > 0 && state.operation)
    state.operation->say(pick(text::kActivitySetup, state.language));
  v.viSetAttribute(vi, VI_ATTR_TMO_VALUE, kSessionTimeoutMs);
  Tarvik_defaultInstrSetup(state, vi);
  int traceLength = 100000;
  if (state.instrumentModel == kModelRQ4102) {
    QByteArray reply;
    if (stopped(state)) return false;
    v.viWrite(vi, scpi::kRunStateQuery);
    v.viRead(vi, &reply, kReadMax);
    const int running = leadingInteger(reply);
    if (stopped(state)) return false;
    v.viWrite(vi, scpi::kCalibrationQuery);
    if (!wait(state, 500)) return false;
    v.viRead(vi, &reply, kCalibrationReadMax);
    traceLength = traceLengthFromCalibration(reply);
    if (running != 0) {
      if (stopped(state)) return false;
      v.viWrite(vi, scpi::kRestartRun);
      if (!wait(state, 500)) return false;
    }
  }
  if (stopped(state)) return false;
  v.viWrite(vi, QByteArray(scpi::kTraceLimits).replace("%i", QByteArray::number(traceLength - 1)));
  QByteArray mode;
  v.viWrite(vi, scpi::kModeQuery);
  v.viRead(vi, &mode, kReadMax);
  if (stopped(state)) return false;
  if (replyContains(mode, "SCOP") || replyContains(mode, "BUS") || replyContains(mode, "EYE")) {
    QByteArray transform;
    v.viWrite(vi, scpi::kTransformQuery);
    v.viRead(vi, &transform, kReadMax);
    if (!transform.isEmpty() && transform[0] == '1') {
      if (stopped(state)) return false;
      v.viWrite(vi, scpi::kTransformOff);
      if (!wait(state, 1000)) return false;
    }
  } else {
    v.viWrite(vi, scpi::kModeBus);
    if (!wait(state, state.instrumentModel == kModelRQ4102 ? 5000 : 3000)) return false;
  }
  return true;
}

}  // namespace

int probeUsbPort(AppState& state, ViSession rm, const QString& resource, UsbPortKind kind,
                 ViSession* session, QByteArray* reply) {
  state.instrumentModel = kModelNone;
  QByteArray scratch;
  if (!reply) reply = &scratch;
  reply->clear();
  *session = VI_NULL;
  if (!state.visa) return VI_ERROR_SYSTEM_ERROR;
  Visa& v = *state.visa;
  ViSession vi = VI_NULL;
  const ViStatus opened = v.viOpen(rm, resource, VI_NO_LOCK, 0, &vi);
  if (opened < VI_SUCCESS) return opened;
  int last = -1;
  const bool identified = kind == UsbPortKind::Cdc
                              ? identifyCdc(state, v, vi, &last, reply)
                              : identifyBridge(state, v, vi, resource, &last, reply);
  if (identified) {
    *session = vi;
    return 0;
  }
  v.viClose(vi);
  return last;
}

QString currentAddress(const AppState& state) {
  switch (state.connectionType) {
    case USB:
      return state.usbAddress;
    case Ethernet:
      return state.ethernetAddress;
    default:
      return state.serialAddress;
  }
}

QString sessionStatusText(const AppState& state, bool opening) {
  const int l = state.language;
  // USB has no address until the search found the port.
  const QString address = state.connectionType == USB && !state.sessionOpen ? QStringLiteral("USB")
                                                                            : currentAddress(state);
  if (state.sessionOpen) {
    const QString model =
        state.instrumentModel == kModelRQ4102 ? QStringLiteral("RQ4102")
        : state.instrumentModel == kModelRQ6102
            ? QStringLiteral("RQ6102")
            : pick(text::kUnidentifiedInstrument, l).arg(escapedReply(state.identificationReply));
    return pick(text::kSessionOpen, l).arg(model, address);
  }
  if (opening) return pick(text::kSessionOpening, l).arg(address);
  return pick(text::kSessionClosed, l);
}

QString escapedReply(const QByteArray& reply) {
  QByteArray text = reply;
  while (text.endsWith('\r') || text.endsWith('\n')) text.chop(1);
  QString out;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\r')
      out += QLatin1String("\\r");
    else if (c == '\n')
      out += QLatin1String("\\n");
    else if (c == '\t')
      out += QLatin1String("\\t");
    else if (c == '\\')
      out += QLatin1String("\\\\");
    else if (byte < 0x20 || byte >= 0x7F)
      out += QStringLiteral("\\x%1").arg(byte, 2, 16, QLatin1Char('0'));
    else
      out += QLatin1Char(c);
  }
  return out;
}

int traceLengthFromCalibration(const QByteArray& reply) {
  int number = 0;
  if (reply.size() >= 8) {
    const int high = hexDigit(reply[2]);
    const int low = hexDigit(reply[3]);
    if (high >= 0 && low >= 0) number = high * 16 + low;
  }
  return (number & 0x80) ? 50000 : 2500;
}

int Tarvik_defaultInstrSetup(AppState& state, ViSession session) {
  if (state.visa) {
    state.visa->viWrite(session, scpi::kClear);
    state.visa->viWrite(session, scpi::kDataFormat);
  }
  return 0;
}

int Tarvik_init(AppState& state, const QString& address, ViSession* session) {
  state.instrumentModel = kModelNone;
  ViSession scratch = VI_NULL;
  if (!session) session = &scratch;
  *session = VI_NULL;
  state.linkFailure = {};
  if (!state.visa) return VI_ERROR_SYSTEM_ERROR;
  Visa& v = *state.visa;
  v.clearLastFailure();
  keptBaudRate = 0;
  ViSession rm = VI_NULL;
  const ViStatus opened = v.viOpenDefaultRM(&rm);
  if (opened < VI_SUCCESS) return opened;

  int status;
  if (state.connectionType == USB) {
    int tried = 0;
    QString answeredAt;
    status = searchUsb(state, v, rm, session, &tried, &answeredAt);
    if (status != 0) {
      // Nothing stays open after a failed search, the manager included.
      v.viClose(rm);
      *session = VI_NULL;
      // A port that answered as something else says more than the time-outs
      // of the others.
      state.linkFailure = v.lastFailure();
      if (!answeredAt.isEmpty())
        state.linkFailure = {LinkCause::Unrecognised, answeredAt, {}, {}};
      else if (tried == 0)
        state.linkFailure = {LinkCause::NoPort, QStringLiteral("USB"), {}, {}};
      else if (!state.linkFailure.failed())
        state.linkFailure = {LinkCause::Unrecognised, QStringLiteral("USB"), {}, {}};
      return status;
    }
  } else {
    bool answered = false;
    int lostAt = 0;
    status = openAddress(state, v, rm, address, session, &answered, &lostAt);
    if (status != 0) {
      // An answer that named no supported model, else the last thing that
      // went wrong on the link (the opening itself, or the time-outs).
      state.linkFailure = v.lastFailure();
      if (lostAt != 0)
        state.linkFailure = {LinkCause::SpeedChange, address, {}, QString::number(lostAt)};
      else if (answered || !state.linkFailure.failed())
        state.linkFailure = {LinkCause::Unrecognised, address, {}, {}};
      return status;
    }
  }
  // A cancel leaves the session to the caller, which closes it.
  if (!setUpInstrument(state, v, *session)) return -1;
  return 0;
}

ViStatus Tarvik_close(AppState& state, ViSession session) {
  setBusy(state, true);
  ViStatus status = VI_SUCCESS;
  if (state.visa) {
    ViAttrState rm = VI_NULL;
    const bool hasManager =
        state.visa->viGetAttribute(session, VI_ATTR_RM_SESSION, &rm) >= VI_SUCCESS;
    status = state.visa->viClose(session);
    if (hasManager) state.visa->viClose(static_cast<ViSession>(rm));
  }
  // The handle is gone: never reuse it by mistake.
  if (state.session == session) state.session = VI_NULL;
  state.sessionOpen = 0;
  if (state.afficheCom) state.afficheCom(0);
  setBusy(state, false);
  return status;
}

bool sessionLinkClosed(AppState& state, ViSession session) {
  if (!state.sessionOpen || state.session != session || !state.visa) return true;
  // Inside an operation or a transfer a message would come twice, the
  // second time from the operation's own failure.
  if (state.operationDepth > 0 || state.visa->waitHook()) return false;
  state.linkFailure = state.visa->linkLoss(session);
  if (!state.linkFailure.failed())
    state.linkFailure = {LinkCause::Lost, currentAddress(state), {}, {}};
  PopupErreur(state, -1);  // closes the session
  return true;
}

void watchSessionLink(AppState& state) {
  if (!state.visa) return;
  state.visa->setLinkClosedHandler(
      [&state](ViSession session) { return sessionLinkClosed(state, session); });
}

int OpenDev(AppState& state) {
  // Messages come once the operation is over: its dialog is gone, and the
  // communication dialog that message 20 leads to may open.
  if (state.sessionOpen) {
    ViStatus status = VI_ERROR_SYSTEM_ERROR;
    bool cancelled = false;
    {
      OperationScope operation(
          state,
          pick(text::kActivityCheck, state.language).arg(shownAddress(currentAddress(state))));
      if (state.visa) {
        QByteArray reply;
        state.visa->viWrite(state.session, scpi::kIdentify);
        status = state.visa->viRead(state.session, &reply, kIdentifyReadMax);
      }
      cancelled = stopped(state);
    }
    // Given up at the user's cancel: the link did not fail; the session
    // stays, and its next command drops what the reply still brings.
    if (cancelled && status == VI_ERROR_ABORT) return -1;
    if (status != VI_SUCCESS) {
      state.linkFailure = state.visa ? state.visa->lastFailure() : LinkFailure{};
      PopupErreur(state, -1);  // closes the session
      return -1;
    }
    // The instrument answered: the session stays usable, the command that
    // asked for the check is not run.
    return cancelled ? -1 : 0;
  }
  int status = -1;
  bool cancelled = false;
  {
    OperationScope operation(
        state, pick(text::kSessionOpening, state.language)
                   .arg(state.connectionType == USB ? QStringLiteral("USB")
                                                    : shownAddress(currentAddress(state))));
    setBusy(state, true);
    status = Tarvik_init(state, currentAddress(state), &state.session);
    cancelled = stopped(state);
    setBusy(state, false);
    if (status == 0 && !cancelled) {
      state.sessionOpen = 1;
      // Told only now: the main window reads sessionOpen for its status bar,
      // whichever command (toggle, dialog, Import, Export) opened the session.
      if (state.afficheCom) state.afficheCom(1);
    } else {
      Tarvik_close(state, state.session);
    }
  }
  if (status == 0 && !cancelled) {
    // The session works, but slower than the program asked for.
    if (keptBaudRate != 0 && state.ui)
      state.ui->message(pick(text::kCommTitle, state.language),
                        pick(text::kSpeedKept, state.language)
                            .arg(QString::number(kBaudRates[0]), QString::number(keptBaudRate)));
    return 0;
  }
  // The user stopped it: nothing to tell, and the settings stay as they are.
  if (cancelled) {
    state.linkFailure = {};
    return -1;
  }
  PopupErreur(state, status == -2 ? 16 : 20);
  if (state.gestionMenu) state.gestionMenu(14);
  return -1;
}

}  // namespace karvel
