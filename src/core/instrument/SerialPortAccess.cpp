// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/instrument/SerialPortAccess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "core/instrument/CommunicationTexts.h"
#include "core/instrument/PortDiscovery.h"

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <vector>
#endif

namespace karvel {

namespace {

#ifdef Q_OS_UNIX
// The account running the program, and whether it is in group `name`.
QString userName() {
  const passwd* pw = ::getpwuid(::geteuid());
  return pw ? QString::fromLocal8Bit(pw->pw_name) : QStringLiteral("$USER");
}

bool inGroup(const char* name) {
  const group* g = ::getgrnam(name);
  if (!g) return false;
  if (::getegid() == g->gr_gid) return true;
  const int count = ::getgroups(0, nullptr);
  if (count <= 0) return false;
  std::vector<gid_t> groups(static_cast<std::size_t>(count));
  const int got = ::getgroups(count, groups.data());
  for (int i = 0; i < got; ++i)
    if (groups[static_cast<std::size_t>(i)] == g->gr_gid) return true;
  return false;
}

QString programName(qint64 pid) {
  QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
  if (!comm.open(QIODevice::ReadOnly)) return {};
  return QString::fromLocal8Bit(comm.read(64)).trimmed();
}

// A UUCP lock file with a live process in it.
QString lockHolder(const QString& device) {
  // Named as serial programs (Qt's among them) name them: the device below
  // /dev with "/" turned into "_" (LCK..ttyUSB0, LCK..pts_3).
  QString name = device.startsWith(QLatin1String("/dev/")) ? device.mid(5) : device;
  name.replace(u'/', u'_');
  for (const char* dir : {"/var/lock", "/run/lock", "/tmp", "/var/tmp"}) {
    QFile lock(QStringLiteral("%1/LCK..%2").arg(QLatin1String(dir), name));
    if (!lock.open(QIODevice::ReadOnly)) continue;
    bool ok = false;
    // The process number is the first line (text) of the lock file.
    const qint64 pid = QString::fromLatin1(lock.readLine(32)).trimmed().toLongLong(&ok);
    if (!ok || pid <= 0 || pid == ::getpid()) continue;
    if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM) {
      const QString name = programName(pid);
      return name.isEmpty() ? QStringLiteral("pid %1").arg(pid) : name;
    }
  }
  return {};
}

// A process with the device open, found through /proc (ours excluded).
QString openedBy(const QString& device) {
  const QString target = QFileInfo(device).canonicalFilePath();
  if (target.isEmpty()) return {};
  const QDir proc(QStringLiteral("/proc"));
  for (const QString& entry : proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
    bool ok = false;
    const qint64 pid = entry.toLongLong(&ok);
    if (!ok || pid == ::getpid()) continue;
    const QDir fds(proc.filePath(entry + QStringLiteral("/fd")));
    for (const QFileInfo& fd : fds.entryInfoList(QDir::System | QDir::NoDotAndDotDot)) {
      if (fd.symLinkTarget() == target) return programName(pid);
    }
  }
  return {};
}
#endif

}  // namespace

PortProblem diagnoseSerialPort(const QString& device, const QString& sysRoot) {
  PortProblem p;
#ifdef Q_OS_UNIX
  const QByteArray path = QFile::encodeName(device);
  struct stat st {};
  if (device.isEmpty() || ::stat(path.constData(), &st) != 0) {
    p.kind = PortProblem::Kind::Missing;
    return p;
  }
  if (::access(path.constData(), R_OK | W_OK) != 0 && errno == EACCES)
    return permissionProblem(device, st.st_mode, st.st_gid, sysRoot);
  p.holder = lockHolder(device);
  if (!p.holder.isEmpty()) {
    p.kind = PortProblem::Kind::Busy;
    return p;
  }
  const int fd = ::open(path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) {
    if (errno == EBUSY) {
      p.kind = PortProblem::Kind::Busy;
      p.holder = openedBy(device);
    } else if (errno == EACCES) {
      p = permissionProblem(device, st.st_mode, st.st_gid, sysRoot);
    }
    return p;
  }
  ::close(fd);
#else
  Q_UNUSED(device);
  Q_UNUSED(sysRoot);
#endif
  return p;
}

PortProblem permissionProblem(const QString& device, unsigned mode, unsigned gid,
                              const QString& sysRoot) {
  PortProblem p;
  p.kind = PortProblem::Kind::Permission;
  p.group = QString::number(gid);
  p.mode = QStringLiteral("%1").arg(mode & 07777u, 4, 8, QLatin1Char('0'));
#ifdef Q_OS_UNIX
  if (const group* g = ::getgrgid(gid)) p.group = QString::fromLocal8Bit(g->gr_name);
  if (const passwd* pw = ::getpwuid(::geteuid())) p.user = QString::fromLocal8Bit(pw->pw_name);
  // Joining a group that may only read (or nothing) changes nothing, and
  // joining root's group would hand the account far more than a port.
  p.groupMayOpen = gid != 0 && (mode & S_IRGRP) && (mode & S_IWGRP);
#else
  p.groupMayOpen = gid != 0 && (mode & 040u) && (mode & 020u);
#endif
  if (!p.groupMayOpen) p.rule = udevRuleFor(device, sysRoot);
  return p;
}

QString udevRuleFor(const QString& device, const QString& sysRoot) {
  // The kernel's name of the device: links such as /dev/serial/by-id/...
  // lead to it.
  QString name = QFileInfo(device).canonicalFilePath();
  if (name.isEmpty()) name = device;
  name = name.startsWith(QLatin1String("/dev/")) ? name.mid(5) : QFileInfo(name).fileName();
  int vid = -1;
  int pid = -1;
  if (usbIdsOfTty(sysRoot, name, &vid, &pid))
    return QStringLiteral(
               "SUBSYSTEM==\"tty\", ATTRS{idVendor}==\"%1\", ATTRS{idProduct}==\"%2\", "
               "GROUP=\"dialout\", MODE=\"0660\"")
        .arg(vid, 4, 16, QLatin1Char('0'))
        .arg(pid, 4, 16, QLatin1Char('0'));
  return QStringLiteral("SUBSYSTEM==\"tty\", KERNEL==\"%1\", GROUP=\"dialout\", MODE=\"0660\"")
      .arg(name);
}

QString portAdvice(const PortProblem& problem, const QString& device, int language) {
  switch (problem.kind) {
    case PortProblem::Kind::Missing:
      return pick(text::kCommPortMissing, language).arg(device);
    case PortProblem::Kind::Permission:
      if (!problem.groupMayOpen && !problem.rule.isEmpty())
        return pick(text::kCommPortPermissionRule, language)
            .arg(device, problem.group, problem.mode, problem.rule,
                 problem.user.isEmpty() ? QStringLiteral("$USER") : problem.user);
      return pick(text::kCommPortPermission, language)
          .arg(device, problem.group.isEmpty() ? QStringLiteral("dialout") : problem.group,
               problem.user.isEmpty() ? QStringLiteral("$USER") : problem.user);
    case PortProblem::Kind::Busy:
      return pick(text::kCommPortBusy, language)
          .arg(device,
               problem.holder.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(problem.holder));
    case PortProblem::Kind::None:
      break;
  }
  return {};
}

QString usbHelp(int language, const QString& sysRoot, const QString& devRoot) {
#ifdef Q_OS_WIN
  Q_UNUSED(sysRoot);
  Q_UNUSED(devRoot);
  return pick(text::kCommHelpUsb, language);
#else
  // No driver to install here: the kernel has them. The port's permissions
  // are what keep a user out.
  QString help = pick(text::kCommHelpUsbLinux, language);
  QStringList ports;
  for (const SerialDevice& port : listSerialDevices(sysRoot, devRoot)) {
    if (port.role == SerialDevice::Role::None) continue;
    QString line = u' ' + port.device;
    if (!port.product.isEmpty()) line += QStringLiteral("  ") + port.product;
    const PortProblem problem = diagnoseSerialPort(port.device, sysRoot);
    line += u'\n' + (problem.kind == PortProblem::Kind::None
                         ? pick(text::kCommUsbPortReady, language).arg(port.device)
                         : portAdvice(problem, port.device, language));
    ports.append(line);
  }
  help += QStringLiteral("\n\n") + pick(text::kCommUsbPortsHeading, language) + u'\n';
  if (!ports.isEmpty()) return help + ports.join(u'\n');
  help += u' ' + pick(text::kCommNoPorts, language) + u'\n';
#ifdef Q_OS_UNIX
  // The administrator opens any port.
  if (::geteuid() != 0 && !inGroup("dialout"))
    return help + pick(text::kCommUsbJoinDialout, language).arg(userName());
#endif
  return help + pick(text::kCommUsbConnect, language);
#endif
}

}  // namespace karvel
