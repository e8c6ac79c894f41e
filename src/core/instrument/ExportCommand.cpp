// SPDX-License-Identifier: GPL-3.0-or-later
// File > Export: a bus definition file from the PC into the instrument.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

#include "core/frame/AppState.h"
#include "core/frame/Interaction.h"
#include "core/frame/Langue.h"
#include "core/frame/Messages.h"
#include "core/frame/RecentFiles.h"
#include "core/instrument/Communication.h"
#include "core/instrument/ExportCommand.h"
#include "core/instrument/FileTransfer.h"
#include "core/instrument/TransferTexts.h"

namespace karvel {

namespace {

constexpr qint64 kTagSearchBytes = 250;
constexpr int kMessageImpossible = 27;
constexpr int kMessageName20 = 31;
constexpr int kMessageName28 = 33;

}  // namespace

bool busFileSuitsModel(const QString& path, int model) {
  QFile file(path);
  const QByteArray head =
      file.open(QIODevice::ReadOnly) ? file.read(kTagSearchBytes) : QByteArray();
  const bool tagged = head.toLower().contains("vsofttarvikiv");
  return tagged == (model == kModelRQ6102);
}

void exportBusFile(AppState& state, TransferProgress* progress, const QString& fileShown,
                   const std::function<bool(QString& path)>& settle) {
  if (OpenDev(state) < 0 || !state.ui) return;
  FileRequest request;
  request.pattern = QStringLiteral("*.BUS");
  request.types = {QStringLiteral("BUS files (*.BUS)")};
  request.title = pick(text::kExportTitle, state.language);
  request.confirm = FileRequest::Confirm::Ok;
  request.forceExtension = true;
  // The file shown is the one most often sent. A name fetched from the
  // instrument is no file here: proposing it could pick another of that name.
  const QFileInfo shown(QDir::fromNativeSeparators(fileShown));
  if (!fileShown.isEmpty() && shown.isAbsolute() && shown.isFile()) startBeside(request, fileShown);
  const FileChoice choice = state.ui->chooseFile(request);
  if (choice.kind != FileChoice::Kind::Existing) return;
  QString path = choice.path;
  if (settle && !settle(path)) return;
  state.exportPath = path;
  // The link may have ended while the file was chosen (the user was told):
  // the instrument is asked for again rather than sent to through nothing.
  if (!state.sessionOpen && OpenDev(state) < 0) return;

  state.ui->setBusy(true);
  if (!busFileSuitsModel(state.exportPath, state.instrumentModel)) {
    PopupErreur(state, kMessageImpossible);
    state.ui->setBusy(false);
    return;
  }
  const QString name = instrumentFileName(state.exportPath, state.instrumentModel);
  const SendOutcome outcome = sendFile(state, state.session, state.exportPath, progress);
  state.ui->setBusy(false);
  switch (outcome) {
    case SendOutcome::NotEncodable:
      // Sent anyway, the name would arrive with substitute bytes in it.
      state.ui->message(pick(text::kErrorWord, state.language),
                        pick(text::kNameNotEncodable, state.language)
                            .arg(name, charactersInstrumentCannotHold(name)));
      break;
    case SendOutcome::Refused:
      PopupErreur(state, state.instrumentModel == kModelRQ4102 ? kMessageName20 : kMessageName28);
      break;
    case SendOutcome::Sent: {
      // The user learns that it worked, and under which name it is kept.
      const QString& path = state.exportPath;
      const QString chosen =
          path.mid(std::max(path.lastIndexOf(u'\\'), path.lastIndexOf(u'/')) + 1);
      const QString done = chosen == name
                               ? pick(text::kExportDone, state.language).arg(chosen)
                               : pick(text::kExportDoneAs, state.language).arg(chosen, name);
      state.ui->message(pick(text::kExportTitle, state.language), done);
      break;
    }
    case SendOutcome::Declined:
    case SendOutcome::NotConfirmed:  // message 30 has said so
    case SendOutcome::Cancelled:     // nothing to add, or already told
      break;
  }
}

}  // namespace karvel
