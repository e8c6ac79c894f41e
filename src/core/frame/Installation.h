// SPDX-License-Identifier: GPL-3.0-or-later
// Where the program finds its resources and keeps its settings and temporary
// files. Two ways to run, decided at start-up:
// - portable: KARVEL.UIR and the other resources sit beside the program in a
//   folder the user may write: karvel.ini and temporary files go there too
//   (a folder carried on a stick);
// - installed: the program folder cannot be written, or the program is in a
//   bin/ folder with its resources in ../share/karvel: the settings file lives
//   in the user's configuration folder and temporary files in the user's
//   cache folder.
#pragma once

#include <QString>
#include <functional>

namespace karvel {

struct Installation {
  enum class Mode { Portable, Installed };
  Mode mode = Mode::Portable;
  QString programDir;    // the folder of the executable
  QString resourceDir;   // KARVEL.UIR, karvel.xl, bitmap/, help/, toolbar/, samples/
  QString settingsPath;  // karvel.ini
  QString temporaryDir;  // files fetched from the instrument, while they are shown
};

// The per-user folders of the installed mode, and the writability test;
// empty members take the system's (tests give their own).
struct UserFolders {
  QString configDir;  // default: the application's configuration folder (~/.config/karvel)
  QString cacheDir;   // default: the application's cache folder (~/.cache/karvel)
  std::function<bool(const QString& dir)> writable;  // default: folderIsWritable
};

// Whether a file can be made in `dir` (tried, not read off the permission
// bits, so read-only mounts and access lists count).
bool folderIsWritable(const QString& dir);

// Decides the mode for a program in `programDir`. Nothing is created.
Installation locateInstallation(const QString& programDir, const UserFolders& user = {});

// Makes the folders the mode writes into and, in the installed mode, seeds a
// missing settings file from a karvel.ini shipped beside the program or its
// resources. False, with the folder and the reason in `error`, when a folder
// cannot be made (the program still runs; what needs it reports it then).
bool prepareInstallation(const Installation& installation, QString* error);

}  // namespace karvel
