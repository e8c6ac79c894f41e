// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/Instrument.h"

#include <QCoreApplication>
#include <QRegularExpression>

#include "core/frame/Installation.h"
#include "core/frame/Settings.h"
#include "core/instrument/Communication.h"
#include "core/instrument/LinkReport.h"

namespace karvel::cli {

Instrument::Instrument() {
  state_.ui = &ui_;
  state_.clock = &clock_;
  state_.visa = &visa_;
  // The same settings file as the program's, portable or installed.
  const Installation where = locateInstallation(QCoreApplication::applicationDirPath());
  state_.programDir = where.resourceDir;
  state_.settingsPath = where.settingsPath;
  state_.temporaryDir = where.temporaryDir;
}

Instrument::~Instrument() {
  operation_.reset();
  if (state_.sessionOpen) Tarvik_close(state_, state_.session);
}

void Instrument::prepare(const CommandLine& line) {
  ValeurParDefaut(state_);
  WindowGeometry unused;
  const SettingsLoad load = loadSettings(state_.settingsPath, state_, unused);
  state_.language = line.language(state_.language);
  // Commands go on with what could be read; the user learns which values
  // those were rather than meeting a surprising address.
  const QString warning = settingsLoadMessage(load, state_.settingsPath, state_.language);
  if (!warning.isEmpty()) note(QString(warning).replace(u'\n', u' '));
}

bool Instrument::open(const QString& address) {
  if (!address.isEmpty()) {
    static const QRegularExpression usb(QStringLiteral("^USB\\d*$"),
                                        QRegularExpression::CaseInsensitiveOption);
    if (address.startsWith(QLatin1String("TCPIP"), Qt::CaseInsensitive)) {
      state_.connectionType = Ethernet;
      state_.ethernetAddress = address;
    } else if (usb.match(address).hasMatch()) {
      state_.connectionType = USB;
    } else {
      state_.connectionType = RS232;
      state_.serialAddress = address;
    }
  }
  interrupts_.emplace();
  state_.operation = &watch_;
  operation_.emplace(state_, QString());
  if (OpenDev(state_) == 0) return true;
  if (interrupted()) {
    const QString address = currentAddress(state_);
    stopped(QStringLiteral("the session at %1 was not opened; nothing was fetched or sent")
                .arg(address.isEmpty() ? QStringLiteral("USB") : address));
    return false;
  }
  // The program's own message, its cause and address on the last line.
  const io::LinkFailure failure = lastLinkFailure(state_);
  report(
      {linkKind(failure.cause),
       ui_.messages.isEmpty()
           ? QStringLiteral("the instrument could not be opened at %1").arg(currentAddress(state_))
           : ui_.messages.join(u'\n'),
       {},
       failure.address.isEmpty() ? currentAddress(state_) : failure.address});
  return false;
}

int Instrument::stopped(const QString& left) {
  tellInterrupted(left);
  return kExitInterrupted;
}

int Instrument::linkFailed(const QString& text) {
  const io::LinkFailure failure = lastLinkFailure(state_);
  const QString cause = linkFailureLine(failure, state_.language);
  return report({linkKind(failure.cause),
                 cause.isEmpty() ? text : text + u'\n' + cause,
                 {},
                 failure.address.isEmpty() ? currentAddress(state_) : failure.address});
}

}  // namespace karvel::cli
