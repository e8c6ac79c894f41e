// SPDX-License-Identifier: GPL-3.0-or-later
// File > Export: a bus definition file chosen on the PC sent to the
// instrument's store.
#pragma once

#include <QString>
#include <functional>

#include "core/instrument/FileStore.h"

namespace karvel {

struct AppState;

// Whether the bus definition file at `path` is meant for `model`: files of the
// second family carry "VSoftTarvikIV" in their first 250 bytes, those of the
// first do not.
bool busFileSuitsModel(const QString& path, int model);

// File > Export: opens the session, asks for a bus definition file and sends
// it to the instrument when it suits the model, telling the user what failed,
// or that it worked. `progress`, when given, watches the send and may cancel it.
// `fileShown`, the bus file the main window shows, is what the dialog
// proposes when it is a file on this PC. `settle`, when given, sees the file
// chosen before it is read: it may save edits the window holds of it (and
// give the path written), or return false to send nothing.
void exportBusFile(AppState& state, TransferProgress* progress = nullptr,
                   const QString& fileShown = QString(),
                   const std::function<bool(QString& path)>& settle = {});

}  // namespace karvel
