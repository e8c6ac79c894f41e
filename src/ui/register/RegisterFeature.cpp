// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/register/RegisterFeature.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QStatusBar>
#include <QThread>
#include <QTimer>
#include <memory>

#include "core/frame/BoundedRead.h"
#include "core/frame/Interaction.h"
#include "core/frame/Settings.h"
#include "core/register/Register.h"
#include "core/register/RegisterLocation.h"
#include "core/register/RegisterSharing.h"
#include "core/register/RegisterTexts.h"
#include "core/results/ResultReader.h"
#include "core/results/ResultTexts.h"
#include "ui/frame/MainWindow.h"
#include "ui/register/FileInRegisterDialog.h"
#include "ui/register/RegisterWindow.h"
#include "ui/results/ResultWindow.h"
#include "ui_MainWindow.h"

namespace karvel::ui {

bool runPlaceDialog(FileInRegisterDialog& dialog) { return dialog.exec() == QDialog::Accepted; }

bool ensureTechnician(AppState& state) {
  if (!state.technician.trimmed().isEmpty()) return true;
  const std::optional<QString> name =
      state.ui->askText(pick(registertext::kTechnicianTitle, state.language),
                        pick(registertext::kTechnicianQuestion, state.language), QString());
  if (!name) return false;
  // One line, as the settings file keeps it; an empty answer files without
  // a name and asks again next time.
  state.technician = name->simplified().left(kTextMax);
  if (state.technician.isEmpty() || state.settingsPath.isEmpty()) return true;
  if (auto* main = qobject_cast<MainWindow*>(state.mainPanel.data())) {
    saveSettings(state, main->windowGeometry());
  } else if (state.settingsOnDisk) {
    saveSettings(state, state.settingsOnDisk->window);
  }
  return true;
}

std::optional<RegisterAddOutcome> fileResultInRegister(AppState& state, ResultWindow& window,
                                                       const PlaceChooser& choose) {
  const int language = state.language;
  DialogOwner owner(*state.ui, &window);
  Register reg;
  RegisterOpening opening;
  if (!openWindowsRegister(state, reg, &opening)) return std::nullopt;
  const QString title = pick(registertext::kRegisterWord, language);
  if (const QString denied = reg.cannotFileReason(); !denied.isEmpty()) {
    state.ui->message(title, denied);
    return std::nullopt;
  }
  const QString name = QFileInfo(window.shownName()).fileName();
  const QString bus = window.table().busHeading;

  QString error;
  RegisterPlace proposed;
  // Where the last result of this bus went, as the register remembers it.
  if (const std::optional<RegisterEntry> last = reg.lastFiledOfBus(bus, &error)) {
    proposed.site = last->site;
    proposed.segment = last->segment;
  }
  std::vector<RegisterSegment> segments;
  if (auto all = reg.segments(QString(), &error)) segments = std::move(*all);
  FileInRegisterDialog dialog(language, name, bus, std::move(segments), proposed, &window);
  // Filed before (the same bytes, under any name): said as the dialog
  // opens, with where and when, rather than after a place was chosen.
  std::optional<RegisterEntry> filedBefore;
  {
    QFile file(window.sourcePath());
    QByteArray bytes;
    if (file.open(QIODevice::ReadOnly) &&
        readBounded(file, kResultFileMax, &bytes) == BoundedRead::Done)
      filedBefore = reg.entryOfBytes(bytes, &error);
  }
  if (filedBefore) {
    dialog.showAlreadyFiled(*filedBefore);
    choose(dialog);
    RegisterAddOutcome outcome{filedBefore->id, true, filedBefore->site, filedBefore->segment};
    // Offline, the local copy waits for the server too (addFile writes
    // nothing else for bytes it holds).
    if (opening.offline) {
      RegisterAddRequest again;
      again.site = filedBefore->site;
      again.segment = filedBefore->segment;
      again.fileName = name;
      if (!reg.addFile(window.sourcePath(), again, &error)) state.ui->message(title, error);
    }
    return outcome;
  }
  if (!choose(dialog)) return std::nullopt;
  const RegisterPlace place = dialog.place();
  if (!ensureTechnician(state)) return std::nullopt;

  RegisterAddRequest request;
  request.site = place.site;
  request.segment = place.segment;
  request.note = place.note;
  request.fileName = name;
  request.technician = state.technician;
  request.instrument = identityFromReply(window.instrumentIdentification());
  // The user's own file is where the result came from; a temporary file
  // (fetched, or opened from the register) is not.
  if (window.temporaryFile().isEmpty())
    request.sourcePath = QFileInfo(window.sourcePath()).absoluteFilePath();
  std::optional<RegisterAddOutcome> outcome;
  {
    BusyCursor busy(*state.ui);
    outcome = reg.addFile(window.sourcePath(), request, &error);
    if (!outcome && reg.connectionLost()) {
      // The server went away since the register opened: the result goes
      // into the local register, waiting for it, as at an offline opening.
      const QString server = reg.displayName();
      const QString lost = error;
      if (reg.open(localRegisterPathOf(state), language, &error)) {
        reg.setPendingServer(server);
        outcome = reg.addFile(window.sourcePath(), request, &error);
        if (outcome && !state.registerOfflineTold) {
          state.registerOfflineTold = true;
          state.ui->message(title, lost + u'\n' +
                                       pick(registertext::kWorkingOffline, language)
                                           .arg(QDir::toNativeSeparators(reg.path())));
        }
      }
    }
  }
  if (!outcome) {
    state.ui->message(title, error);
    return std::nullopt;
  }
  QString said;
  if (outcome->alreadyFiled) {
    // Where it was filed before, and under which date.
    said = pick(registertext::kAlreadyFiled, language)
               .arg(name)
               .arg(outcome->id)
               .arg(outcome->site, outcome->segment);
    if (const std::optional<RegisterEntry> e = reg.entry(outcome->id, &error))
      said += u'\n' + pick(registertext::kFiledDate, language).arg(resultDateText(e->date));
  } else {
    said = pick(registertext::kFiled, language)
               .arg(name)
               .arg(outcome->id)
               .arg(outcome->site, outcome->segment);
  }
  reg.close();
  reloadRegisterWindows();
  state.ui->message(title, said);
  return outcome;
}

void offerFiling(AppState& state, ResultWindow& window, const PlaceChooser& choose) {
  const int language = state.language;
  DialogOwner owner(*state.ui, &window);
  const int answer = state.ui->ask(
      pick(registertext::kRegisterWord, language),
      pick(registertext::kOfferFiling, language).arg(QFileInfo(window.shownName()).fileName()),
      {pick(registertext::kOfferYes, language), pick(registertext::kOfferNo, language)}, 0, 1);
  if (answer == 0) fileResultInRegister(state, window, choose);
}

void shareWaitingAtStart(MainWindow& window) {
  AppState& state = window.state();
  if (!isServerLocation(state.registerPath)) return;
  const QString location = state.registerPath;
  const QString local = localRegisterPathOf(state);
  const int language = state.language;
  auto outcome = std::make_shared<RegisterOpening>();
  QThread* worker = QThread::create([=] { *outcome = shareAtStart(location, local, language); });
  // The program ends only once the worker is done (4 s at most while the
  // server is away): its connections must close before Qt SQL goes.
  QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, worker,
                   [worker] { worker->wait(); });
  QObject::connect(worker, &QThread::finished, worker, &QObject::deleteLater);
  QObject::connect(worker, &QThread::finished, &window, [&window, outcome, language] {
    if (outcome->shared.sent == 0) return;
    window.statusBar()->showMessage(
        pick(registertext::kSharedNow, language).arg(outcome->shared.sent).arg(outcome->serverName),
        15000);
    reloadRegisterWindows();
  });
  worker->start();
}

void attachRegisterFeature(MainWindow& window) {
  AppState& state = window.state();
  state.fileInRegister = [&state](QObject* resultWindow) {
    if (auto* w = qobject_cast<ResultWindow*>(resultWindow)) fileResultInRegister(state, *w);
  };
  state.offerFiling = [&state](QObject* resultWindow) {
    if (auto* w = qobject_cast<ResultWindow*>(resultWindow)) offerFiling(state, *w);
  };

  // File > Register ..., just above Compare results (which stays next to
  // Recent files), else above Recent files.
  QMenu* file = window.form().menuFile;
  auto* open = new QAction(&window);
  open->setObjectName(QStringLiteral("actionRegister"));
  QAction* before = window.findChild<QAction*>(QStringLiteral("actionCompare"));
  if (!before || !file->actions().contains(before)) {
    auto* recent = window.findChild<QMenu*>(QStringLiteral("menuRecent"));
    before = recent ? recent->menuAction() : window.form().actionExit;
  }
  file->insertAction(before, open);
  auto label = [open, &state] {
    open->setText(menuText(pick(registertext::kMenuRegister, state.language)));
  };
  label();
  QObject::connect(file, &QMenu::aboutToShow, open, label);
  QObject::connect(open, &QAction::triggered, &window, [&state] { openRegisterWindow(state); });

  // Once the window runs (the settings read), what waited for the server.
  QTimer::singleShot(0, &window, [&window] { shareWaitingAtStart(window); });
}

}  // namespace karvel::ui
