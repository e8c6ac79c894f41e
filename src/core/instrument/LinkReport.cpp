// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/instrument/LinkReport.h"

#include "core/frame/AppState.h"
#include "core/instrument/CommunicationTexts.h"
#include "core/instrument/SerialPortAccess.h"
#include "io/Visa.h"

namespace karvel {

using io::LinkCause;

io::LinkFailure lastLinkFailure(const AppState& state) {
  if (state.linkFailure.failed()) return state.linkFailure;
  return state.visa ? state.visa->lastFailure() : io::LinkFailure{};
}

QString linkFailureLine(const io::LinkFailure& failure, int language) {
  const Text5* text = nullptr;
  switch (failure.cause) {
    case LinkCause::None:
      return {};
    case LinkCause::Refused:
      text = &text::kLinkRefused;
      break;
    case LinkCause::Unreachable:
      text = &text::kLinkUnreachable;
      break;
    case LinkCause::UnknownHost:
      text = &text::kLinkUnknownHost;
      break;
    case LinkCause::NoDevice:
      text = &text::kLinkNoDevice;
      break;
    case LinkCause::Permission:
      text = &text::kLinkPermission;
      break;
    case LinkCause::Busy:
      text = &text::kLinkBusy;
      break;
    case LinkCause::Malformed:
      text = &text::kLinkMalformed;
      break;
    case LinkCause::TimeOut:
      text = &text::kLinkTimeOut;
      break;
    case LinkCause::Lost:
      text = &text::kLinkLost;
      break;
    case LinkCause::Unrecognised:
      text = &text::kLinkUnrecognised;
      break;
    case LinkCause::NoPort:
      text = &text::kLinkNoPort;
      break;
    case LinkCause::Other:
      text = &text::kLinkOther;
      break;
    case LinkCause::SpeedChange:
      text = &text::kLinkSpeedChange;
      break;
  }
  QString line = failure.cause == LinkCause::SpeedChange
                     ? pick(*text, language).arg(failure.address, failure.detail) + u'.'
                     : pick(*text, language).arg(failure.address) + u'.';
  if (failure.cause == LinkCause::Other && !failure.detail.isEmpty())
    line.insert(line.size() - 1, QStringLiteral(" (%1)").arg(failure.detail));
  // Who holds the port, or which group may open it, is asked of the system
  // now: that is what the user has to change.
  if ((failure.cause == LinkCause::Permission || failure.cause == LinkCause::Busy) &&
      !failure.device.isEmpty()) {
    PortProblem problem = diagnoseSerialPort(failure.device);
    if (failure.cause == LinkCause::Busy && problem.kind != PortProblem::Kind::Busy) {
      problem = {};
      problem.kind = PortProblem::Kind::Busy;
    }
    if (problem.kind == PortProblem::Kind::Permission || problem.kind == PortProblem::Kind::Busy)
      line += u' ' + portAdvice(problem, failure.device, language);
  }
  return line;
}

}  // namespace karvel
