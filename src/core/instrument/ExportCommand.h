// SPDX-License-Identifier: GPL-3.0-or-later
// File > Export: a bus definition file chosen on the PC sent to the
// instrument's store.
#pragma once

#include <QString>

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
// proposes when it is a file on this PC.
void exportBusFile(AppState& state, TransferProgress* progress = nullptr,
                   const QString& fileShown = QString());

}  // namespace karvel
