// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/frame/RecentFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace karvel {

namespace {

QString sameFileKey(const QString& path) {
  const QFileInfo info(path);
  const QString canonical = info.canonicalFilePath();
  return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}

}  // namespace

QStringList withRecentFile(QStringList list, const QString& path, int max) {
  const QString key = sameFileKey(path);
  list.removeIf([&](const QString& p) { return sameFileKey(p) == key; });
  list.prepend(path);
  while (list.size() > max) list.removeLast();
  return list;
}

QString userMemoryPath(const QString& settingsPath) {
  return QFileInfo(settingsPath).dir().filePath(QStringLiteral("karvel-user.ini"));
}

UserMemory loadUserMemory(const QString& path) {
  UserMemory memory;
  if (path.isEmpty() || !QFileInfo(path).isFile()) return memory;
  const QSettings file(path, QSettings::IniFormat);
  memory.lastFolder = file.value(QStringLiteral("open/lastFolder")).toString();
  for (const QString& p : file.value(QStringLiteral("open/recentFiles")).toStringList())
    if (!p.isEmpty() && memory.recentFiles.size() < kRecentFilesMax) memory.recentFiles << p;
  return memory;
}

bool saveUserMemory(const QString& path, const UserMemory& memory) {
  if (path.isEmpty()) return false;
  QSettings file(path, QSettings::IniFormat);
  file.setValue(QStringLiteral("open/lastFolder"), memory.lastFolder);
  file.setValue(QStringLiteral("open/recentFiles"), memory.recentFiles);
  file.sync();
  return file.status() == QSettings::NoError;
}

void startBeside(FileRequest& request, const QString& file) {
  const QString path = QDir::fromNativeSeparators(file.trimmed());
  const QFileInfo info(path);
  if (info.fileName().isEmpty()) return;
  request.defaultFile = info.fileName();
  if (info.isAbsolute() && info.dir().exists())
    request.folder = QDir::toNativeSeparators(info.absolutePath());
}

}  // namespace karvel
