// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/frame/HelpDocument.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include "core/frame/HelpTexts.h"
#include "core/frame/Interaction.h"

namespace karvel {

HelpShown openHelpDocument(AppState& state, const QString& path) {
  const QString file = QDir::fromNativeSeparators(path);
  const QString shown = QDir::toNativeSeparators(QFileInfo(file).absoluteFilePath());
  const int language = state.language;
  if (!QFileInfo(file).isFile()) {
    state.ui->message(pick(text::kHelpWord, language),
                      pick(text::kHelpMissing, language).arg(shown));
    return HelpShown::Missing;
  }
  if (state.ui->openExternally(QUrl::fromLocalFile(file))) return HelpShown::Desktop;
  // No desktop viewer for PDF files (a bare system, a kiosk): the program's
  // own viewer, which reports a document it cannot read itself.
  if (state.showDocument) {
    return state.showDocument(file) ? HelpShown::OwnViewer : HelpShown::NotShown;
  }
  state.ui->message(pick(text::kHelpWord, language),
                    pick(text::kHelpNoViewer, language).arg(shown));
  return HelpShown::NotShown;
}

}  // namespace karvel
