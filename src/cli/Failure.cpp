// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/Failure.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>

#include "cli/Console.h"
#include "core/frame/StandardStreams.h"

#ifdef Q_OS_UNIX
#include <unistd.h>

#include <cerrno>
#endif

namespace karvel::cli {

namespace {

bool json = false;

// Whether this account may not read (or write) `path`; a file system
// mounted read-only is no matter of permission.
bool refused(const QString& path, bool write) {
#ifdef Q_OS_UNIX
  if (::access(QFile::encodeName(path).constData(), write ? W_OK : R_OK) == 0) return false;
  return errno == EACCES || errno == EPERM;
#else
  const QFileInfo info(path);
  return write ? !info.isWritable() : !info.isReadable();
#endif
}

}  // namespace

const char* kindName(ErrorKind kind) {
  switch (kind) {
    case ErrorKind::Usage:
      return "usage";
    case ErrorKind::FileNotFound:
      return "file-not-found";
    case ErrorKind::FileUnreadable:
      return "file-unreadable";
    case ErrorKind::FileInvalid:
      return "file-invalid";
    case ErrorKind::FileExists:
      return "file-exists";
    case ErrorKind::CannotWrite:
      return "cannot-write";
    case ErrorKind::LinkRefused:
      return "link-refused";
    case ErrorKind::LinkUnreachable:
      return "link-unreachable";
    case ErrorKind::LinkTimeout:
      return "link-timeout";
    case ErrorKind::LinkLost:
      return "link-lost";
    case ErrorKind::Permission:
      return "permission";
    case ErrorKind::DeviceBusy:
      return "device-busy";
    case ErrorKind::NotOnInstrument:
      return "not-on-instrument";
    case ErrorKind::MemoryFull:
      return "memory-full";
    case ErrorKind::UnsupportedInstrument:
      return "unsupported-instrument";
  }
  return "usage";
}

void setJsonFailures(bool on) { json = on; }
bool jsonFailures() { return json; }

int report(const CliError& error) {
  // A reader that stopped reading wanted no more: nothing to tell (141).
  if (error.kind == ErrorKind::CannotWrite && isStandardStream(error.file) &&
      standardOutputClosed())
    return kExitOutputClosed;
  const QString message = error.message.trimmed();
  if (json) {
    QJsonObject body{{"kind", QString::fromLatin1(kindName(error.kind))}, {"message", message}};
    if (!error.file.isEmpty()) body.insert("file", error.file);
    if (!error.address.isEmpty()) body.insert("address", error.address);
    const QByteArray line =
        QJsonDocument(QJsonObject{{"error", body}}).toJson(QJsonDocument::Compact) + '\n';
    std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stderr);
  } else {
    for (const QString& part : message.split(u'\n', Qt::SkipEmptyParts))
      std::fprintf(stderr, "karvel-cli: %s\n", qUtf8Printable(part.trimmed()));
  }
  std::fflush(stderr);
  return error.kind == ErrorKind::Usage ? kExitUsage : kExitFailure;
}

CliError readError(const QString& path, const QString& message) {
  CliError e{ErrorKind::FileUnreadable, message, path, {}};
  if (isStandardStream(path)) return e;
  const QFileInfo info(path);
  if (!info.exists())
    e.kind = ErrorKind::FileNotFound;
  else if (!info.isDir() && refused(path, false))
    e.kind = ErrorKind::Permission;
  return e;
}

CliError writeError(const QString& path, const QString& message) {
  CliError e{ErrorKind::CannotWrite, message, path, {}};
  if (isStandardStream(path)) return e;
  const QFileInfo info(path);
  const QString folder = info.absolutePath();
  if (!QFileInfo(folder).isDir())
    e.kind = ErrorKind::FileNotFound;
  else if ((info.exists() && !info.isDir() && refused(path, true)) || refused(folder, true))
    e.kind = ErrorKind::Permission;
  return e;
}

ErrorKind linkKind(io::LinkCause cause) {
  using io::LinkCause;
  switch (cause) {
    case LinkCause::Refused:
      return ErrorKind::LinkRefused;
    case LinkCause::Permission:
      return ErrorKind::Permission;
    case LinkCause::Busy:
      return ErrorKind::DeviceBusy;
    case LinkCause::TimeOut:
    case LinkCause::SpeedChange:
      return ErrorKind::LinkTimeout;
    case LinkCause::Lost:
    case LinkCause::Other:
      return ErrorKind::LinkLost;
    case LinkCause::Unrecognised:
      return ErrorKind::UnsupportedInstrument;
    case LinkCause::None:
    case LinkCause::Unreachable:
    case LinkCause::UnknownHost:
    case LinkCause::NoDevice:
    case LinkCause::Malformed:
    case LinkCause::NoPort:
      break;
  }
  return ErrorKind::LinkUnreachable;
}

}  // namespace karvel::cli
