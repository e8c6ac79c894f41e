// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/register/RegisterSharing.h"

#include <QDir>
#include <QFileInfo>
#include <map>

#include "core/register/Register.h"
#include "core/register/RegisterLocation.h"
#include "core/register/RegisterTexts.h"

namespace karvel {

namespace {

// The local register, only when it exists: sharing never makes one.
bool openLocal(Register& local, const QString& localPath, int language, QString* error) {
  if (!QFileInfo(localPath).isFile()) return false;
  return local.open(localPath, language, error);
}

}  // namespace

ShareOutcome shareWaiting(Register& server, const QString& localPath, int language) {
  ShareOutcome out;
  Register local;
  QString error;
  if (!openLocal(local, localPath, language, &error)) {
    if (!error.isEmpty()) out.problems << error;
    return out;
  }
  RegisterFilter filter;
  filter.pendingServer = server.displayName();
  const auto waiting = local.list(filter, &error);
  if (!waiting) {
    out.problems << error;
    return out;
  }
  std::map<QString, QString> customers;
  if (const auto sites = local.sites(&error))
    for (const RegisterSite& s : *sites) customers[s.name] = s.customer;
  for (std::size_t i = 0; i < waiting->size(); ++i) {
    const RegisterEntry& e = (*waiting)[i];
    auto notSent = [&](const QString& why) {
      out.problems << pick(registertext::kNotSent, language).arg(e.id).arg(e.fileName, why);
      ++out.remaining;
    };
    const std::optional<QByteArray> bytes = local.originalBytes(e.id, &error);
    if (!bytes) {
      notSent(error);
      continue;
    }
    RegisterAddRequest request;
    request.site = e.site;
    request.segment = e.segment;
    request.customer = customers[e.site];
    request.fileName = e.fileName;
    request.bytes = *bytes;
    if (e.dateSource == DateSource::FileTime) request.fileTime = e.date;
    request.technician = e.technician;
    request.note = e.note;
    request.instrument = e.instrument;
    request.filedAt = e.filed;
    request.sourcePath = e.sourcePath;
    if (!server.add(request, &error)) {
      notSent(error);
      if (server.connectionLost()) {
        out.remaining += int(waiting->size() - i - 1);
        break;
      }
      continue;
    }
    // On the server now: only then is the local copy marked shared. A
    // failure here leaves it waiting; sending it again finds it there.
    if (!local.markShared(e.id, &error)) {
      notSent(error);
      continue;
    }
    ++out.sent;
  }
  return out;
}

int waitingCount(const QString& localPath, const QString& serverName, int language) {
  Register local;
  QString error;
  if (!openLocal(local, localPath, language, &error)) return 0;
  RegisterFilter filter;
  filter.pendingServer = serverName;
  const auto waiting = local.list(filter, &error);
  return waiting ? int(waiting->size()) : 0;
}

bool openSharedRegister(Register& reg, const QString& location, const QString& localPath,
                        int language, bool mayCreate, RegisterOpening* opening, QString* error) {
  RegisterOpening unused;
  RegisterOpening& o = opening ? *opening : unused;
  o = RegisterOpening{};
  QString serverError;
  if (reg.open(location, language, &serverError)) {
    if (reg.isServer()) o.serverName = reg.displayName();
    if (reg.isServer() && QFileInfo(localPath).isFile())
      o.shared = shareWaiting(reg, localPath, language);
    return true;
  }
  if (!reg.unreachableAtOpen()) {
    if (error) *error = serverError;
    return false;
  }
  const QString serverName = reg.displayName();
  o.serverName = serverName;
  o.offline = true;
  o.notice = serverError + u'\n' +
             pick(registertext::kWorkingOffline, language).arg(QDir::toNativeSeparators(localPath));
  if (!mayCreate && !QFileInfo::exists(localPath)) {
    if (error)
      *error = serverError + u'\n' +
               pick(registertext::kNoRegister, language).arg(QDir::toNativeSeparators(localPath));
    return false;
  }
  if (mayCreate) QDir().mkpath(QFileInfo(localPath).absolutePath());
  QString localError;
  if (!reg.open(localPath, language, &localError)) {
    if (error) *error = serverError + u'\n' + localError;
    return false;
  }
  reg.setPendingServer(serverName);
  return true;
}

RegisterOpening shareAtStart(const QString& location, const QString& localPath, int language) {
  RegisterOpening opening;
  if (!isServerLocation(location) || !QFileInfo(localPath).isFile()) return opening;
  Register reg;
  QString error;
  if (!openSharedRegister(reg, location.trimmed(), localPath, language, false, &opening, &error))
    opening.shared.problems << error;
  return opening;
}

}  // namespace karvel
