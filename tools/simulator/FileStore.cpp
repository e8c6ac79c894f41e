// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileStore.h"

#include <QDir>
#include <QFile>

namespace sim {

const QByteArray* FileStore::Folder::get(const QString& name) const {
  for (const auto& f : files)
    if (f.first.compare(name, Qt::CaseInsensitive) == 0) return &f.second;
  return nullptr;
}

void FileStore::Folder::put(const QString& name, const QByteArray& bytes) {
  for (auto& f : files)
    if (f.first.compare(name, Qt::CaseInsensitive) == 0) {
      f.second = bytes;
      return;
    }
  files.append({name, bytes});
}

bool FileStore::Folder::remove(const QString& name) {
  for (qsizetype i = 0; i < files.size(); ++i)
    if (files[i].first.compare(name, Qt::CaseInsensitive) == 0) {
      files.removeAt(i);
      return true;
    }
  return false;
}

QByteArray FileStore::catalogue(const QString& key) const {
  const Folder* f = findFolder(key);
  qint64 used = 0;
  QByteArray names;
  if (f)
    for (const auto& file : f->files) {
      used += file.second.size();
      names += ',' + file.first.toLatin1() + ',' + QByteArray::number(file.second.size());
    }
  return QByteArray::number(used) + ',' + QByteArray::number(kCapacity - used) + names;
}

int FileStore::preload(const QString& dir, int family, const QString& root,
                       const QString& flatKey) {
  const QDir d(dir);
  int loaded = 0;
  const auto entries = d.entryInfoList({"*.BUS", "*.bus", "*.HTM", "*.htm", "*.Bus", "*.Htm"},
                                       QDir::Files, QDir::Name);
  for (const QFileInfo& info : entries) {
    QFile file(info.absoluteFilePath());
    if (!file.open(QIODevice::ReadOnly)) continue;
    const QByteArray bytes = file.readAll();
    const bool bus = info.suffix().compare("bus", Qt::CaseInsensitive) == 0;
    if (family == 1) {
      folder(flatKey).put(info.fileName(), bytes);
    } else {
      folder(root + (bus ? "bus-limits" : "bus")).put(info.fileName(), bytes);
    }
    ++loaded;
  }
  return loaded;
}

}  // namespace sim
