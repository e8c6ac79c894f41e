// SPDX-License-Identifier: GPL-3.0-or-later
// The simulated instrument's file stores.
//
// First family: two flat stores, "LOCAL" (reached with MMEM) and the second
// store (reached with MEM). Second family: the internal memory at "/" and the
// SD card at "/sdcard_p1/", each with the folders "bus-limits" and "bus".
#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>

namespace sim {

class FileStore {
 public:
  // Files of one folder, in the order they were stored; names compare
  // without regard to case, as on the instrument.
  struct Folder {
    QList<QPair<QString, QByteArray>> files;
    const QByteArray* get(const QString& name) const;
    void put(const QString& name, const QByteArray& bytes);
    bool remove(const QString& name);
  };

  // Key: "LOCAL", "MEM" (first family) or "/bus-limits", "/bus",
  // "/sdcard_p1/bus-limits", "/sdcard_p1/bus" (second family).
  Folder& folder(const QString& key) { return folders_[key]; }
  const Folder* findFolder(const QString& key) const {
    auto it = folders_.constFind(key);
    return it == folders_.constEnd() ? nullptr : &it.value();
  }

  // "<used>,<free>,NAME,SIZE,NAME,SIZE": the catalogue text of a folder.
  QByteArray catalogue(const QString& key) const;

  // Loads every *.BUS and *.HTM file of `dir`: first family into "LOCAL"
  // (both kinds), second family bus files into `<root>bus-limits` and result
  // files into `<root>bus`. Returns the number of files loaded.
  int preload(const QString& dir, int family, const QString& root, const QString& flatKey);

  static constexpr qint64 kCapacity = 8 * 1024 * 1024;

 private:
  QMap<QString, Folder> folders_;
};

}  // namespace sim
