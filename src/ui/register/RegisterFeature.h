// SPDX-License-Identifier: GPL-3.0-or-later
// The site register in the windows: File > Register ... (the register
// window), a results window's "File in register ...", and the import
// dialog's offer to file the result it fetched.
#pragma once

#include <functional>
#include <optional>

#include "core/frame/AppState.h"
#include "core/register/RegisterTypes.h"

namespace karvel::ui {

class MainWindow;
class ResultWindow;
class FileInRegisterDialog;

void attachRegisterFeature(MainWindow& window);

// When the register is a server's: sends the results that wait for it in
// the local register, on a worker thread, and says in the status bar how
// many went. Nothing is said when the server is still away (the register's
// next opening in sight says it).
void shareWaitingAtStart(MainWindow& window);

// Runs the "File in register" dialog; true when the user chose File.
using PlaceChooser = std::function<bool(FileInRegisterDialog& dialog)>;
bool runPlaceDialog(FileInRegisterDialog& dialog);

// The technician's name, asked the first time something is filed and kept
// in the settings file; false when the user cancelled the question.
bool ensureTechnician(AppState& state);

// Files the result of `window` in the windows' register: the place chosen
// in the dialog (the last place of that bus proposed), the technician, then
// the result's original bytes. Tells the user where it went; a result
// filed before is said to be there (where and when) as the dialog opens,
// which then offers only Close and gives that result back. Nothing (and
// nothing written) when the user cancelled or the register refused.
std::optional<RegisterAddOutcome> fileResultInRegister(AppState& state, ResultWindow& window,
                                                       const PlaceChooser& choose = runPlaceDialog);

// The import dialog's offer: asks whether to file the fetched result of
// `window`, and files it on Yes.
void offerFiling(AppState& state, ResultWindow& window,
                 const PlaceChooser& choose = runPlaceDialog);

}  // namespace karvel::ui
