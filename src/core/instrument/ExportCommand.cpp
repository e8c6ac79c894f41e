// File > Export: a bus definition file from the PC into the instrument.
#include <QFile>

#include "core/frame/AppState.h"
#include "core/instrument/Communication.h"
#include "core/instrument/ExportCommand.h"
#include "core/instrument/FileTransfer.h"
#include "core/frame/Interaction.h"
#include "core/frame/Langue.h"
#include "core/frame/Messages.h"

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

void exportBusFile(AppState& state, const TransferProgress& progress) {
  if (OpenDev(state) < 0 || !state.ui) return;
  FileRequest request;
  request.pattern = QStringLiteral("*.BUS");
  request.types = {QStringLiteral("BUS files (*.BUS)")};
  request.title = pick(text::kExportTitle, state.language);
  request.confirm = FileRequest::Confirm::Ok;
  request.forceExtension = true;
  const FileChoice choice = state.ui->chooseFile(request);
  if (choice.kind != FileChoice::Kind::Existing) return;
  state.exportPath = choice.path;

  state.ui->setBusy(true);
  if (!busFileSuitsModel(state.exportPath, state.instrumentModel)) {
    PopupErreur(state, kMessageImpossible);
  } else {
    const int result =
        Tarvik_fileTransfer(state, state.session, state.exportPath, 1, 0, 0, 0, progress);
    if (result == kUploadNameNotEncodable) {
      // Sent anyway, the name would arrive with substitute bytes in it.
      const QString name = instrumentFileName(state.exportPath, state.instrumentModel);
      state.ui->setBusy(false);
      state.ui->message(pick(text::kErrorWord, state.language),
                        pick(text::kNameNotEncodable, state.language)
                            .arg(name, charactersInstrumentCannotHold(name)));
      return;
    } else if (result < 0) {
      PopupErreur(state, state.instrumentModel == kModelRQ4102 ? kMessageName20 : kMessageName28);
    }
  }
  state.ui->setBusy(false);
}

}  // namespace karvel
