// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/frame/Installation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace karvel {

namespace {

const QString kBundle = QStringLiteral("KARVEL.UIR");
const QString kSettings = QStringLiteral("karvel.ini");

QString clean(const QString& path) { return QDir::cleanPath(QDir(path).absolutePath()); }

}  // namespace

bool folderIsWritable(const QString& dir) {
  if (!QFileInfo(dir).isDir()) return false;
  QTemporaryFile probe(QDir(dir).filePath(QStringLiteral(".karvel-write-test-XXXXXX")));
  return probe.open();  // removed again when the probe goes
}

Installation locateInstallation(const QString& programDir, const UserFolders& user) {
  Installation out;
  out.programDir = clean(programDir);
  const QString shared = clean(out.programDir + QStringLiteral("/../share/karvel"));
  const bool beside = QFileInfo::exists(QDir(out.programDir).filePath(kBundle));
  const bool linuxLayout = !beside && QFileInfo::exists(QDir(shared).filePath(kBundle));
  out.resourceDir = linuxLayout ? shared : out.programDir;

  const auto writable = user.writable ? user.writable : folderIsWritable;
  if (!linuxLayout && writable(out.programDir)) {
    out.mode = Installation::Mode::Portable;
    out.settingsPath = QDir(out.programDir).filePath(kSettings);
    out.temporaryDir = out.programDir;
    return out;
  }
  out.mode = Installation::Mode::Installed;
  const QString config = !user.configDir.isEmpty()
                             ? user.configDir
                             : QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
  const QString cache = !user.cacheDir.isEmpty()
                            ? user.cacheDir
                            : QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
  out.settingsPath = QDir(clean(config)).filePath(kSettings);
  out.temporaryDir = clean(cache);
  return out;
}

bool prepareInstallation(const Installation& installation, QString* error) {
  if (installation.mode == Installation::Mode::Portable) return true;
  const QString configDir = QFileInfo(installation.settingsPath).absolutePath();
  for (const QString& dir : {configDir, installation.temporaryDir}) {
    if (!QDir().mkpath(dir)) {
      if (error) *error = dir;
      return false;
    }
  }
  if (!QFileInfo::exists(installation.settingsPath)) {
    for (const QString& dir : {installation.resourceDir, installation.programDir}) {
      const QString shipped = QDir(dir).filePath(kSettings);
      if (QFileInfo(shipped).isFile()) {
        QFile::copy(shipped, installation.settingsPath);
        // A copy of a read-only file is read-only: the settings must be writable.
        QFile::setPermissions(installation.settingsPath, QFile::ReadOwner | QFile::WriteOwner |
                                                             QFile::ReadGroup | QFile::ReadOther);
        break;
      }
    }
  }
  return true;
}

}  // namespace karvel
