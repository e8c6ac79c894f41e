// SPDX-License-Identifier: GPL-3.0-or-later
// Opening a help document (the program's guide, a bus sheet): with the
// desktop's viewer when it has one for the document's type, else with the
// program's own viewer. A document that is not there is named in a message.
#pragma once

#include <QString>

#include "core/frame/AppState.h"

namespace karvel {

// What became of a request to show a help document.
enum class HelpShown {
  Missing,    // no such file: the message names the path looked for
  Desktop,    // the desktop's viewer took it
  OwnViewer,  // the program's own viewer shows it
  NotShown,   // neither could show it; the user has been told why
};

// Shows the document at `path` (native or '/' separators). Messages go
// through state.ui, in the current language.
HelpShown openHelpDocument(AppState& state, const QString& path);

}  // namespace karvel
