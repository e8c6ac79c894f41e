// SPDX-License-Identifier: GPL-3.0-or-later
// What the program remembers for the user beside the settings file (which
// keeps its twelve lines): the last folder a file was opened from and the
// files opened last, newest first; and where a file dialog about the file
// shown starts.
#pragma once

#include <QString>
#include <QStringList>

#include "core/frame/Interaction.h"

namespace karvel {

constexpr int kRecentFilesMax = 8;

struct UserMemory {
  QString lastFolder;
  QStringList recentFiles;  // newest first, at most kRecentFilesMax
};

// `path` put first in `list`, once (the same file in another spelling of its
// folder counts as the same), the list cut to `max`.
QStringList withRecentFile(QStringList list, const QString& path, int max = kRecentFilesMax);

// The file beside the settings file that holds the memory ("karvel-user.ini").
QString userMemoryPath(const QString& settingsPath);
UserMemory loadUserMemory(const QString& path);
// False when the file could not be written (nothing else is lost then).
bool saveUserMemory(const QString& path, const UserMemory& memory);

// A file dialog about `file` (the file shown: Save, Backup, Export) starts in
// its folder, when it has one here, and proposes its name. `file` may be a
// bare name, as for a file fetched from the instrument: then only the name.
// An empty `file` leaves the request as it is.
void startBeside(FileRequest& request, const QString& file);

}  // namespace karvel
