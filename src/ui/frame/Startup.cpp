// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/frame/Startup.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QResource>
#include <QTimer>

#include "core/frame/Clock.h"
#include "core/frame/Interaction.h"
#include "core/frame/Settings.h"
#include "ui/frame/AboutDialog.h"
#include "ui/frame/Features.h"
#include "ui/frame/MainWindow.h"
#include "ui/frame/QtInteraction.h"

namespace karvel::ui {

namespace {
// How often handed-over files look again whether the dialog in the way is gone.
constexpr int kHandedRetryMs = 250;
}  // namespace

QString buildDateText(const QDate& date) {
  if (!date.isValid()) return {};
  return QStringLiteral("%1-%2-%3")
      .arg(date.day(), 2, 10, QLatin1Char('0'))
      .arg(date.month(), 2, 10, QLatin1Char('0'))
      .arg(date.year());
}

Application::Application(AppState& state) : state_(state) {}

Application::~Application() { shutdown(); }

bool Application::start(const StartupOptions& options) {
  Interaction& ui = *state_.ui;
  auto* dialogs = dynamic_cast<QtInteraction*>(state_.ui);

  state_.xmlDocument.reset();
  ui.setBusy(true);

  // Portable or installed: where the resources are, where settings and
  // temporary files go.
  const Installation where = locateInstallation(options.programDir, options.userFolders);
  QString unmade;
  if (!prepareInstallation(where, &unmade))
    qWarning("karvel: cannot create the folder %s", qUtf8Printable(unmade));

  // A program already running for this user and display takes the file (or
  // only comes to the front): this start ends before any window shows.
  if (options.singleInstance) {
    QString handed;
    // Absolute: the running program has a working folder of its own.
    if (options.arguments.size() == 2) handed = QFileInfo(options.arguments[1]).absoluteFilePath();
    instance_ = std::make_unique<SingleInstance>(
        options.instanceName.isEmpty() ? instanceNameHere(where) : options.instanceName);
    switch (instance_->claim(handed)) {
      case SingleInstance::Outcome::HandedOver:
        instance_.reset();
        handedOver_ = true;
        ui.setBusy(false);
        return false;
      case SingleInstance::Outcome::Running:
        QObject::connect(instance_.get(), &SingleInstance::requested, instance_.get(),
                         [this](const QString& path) { openHandedOver(path); });
        break;
      case SingleInstance::Outcome::Alone:
        // Runs on its own; the settings file still keeps both programs' values.
        instance_.reset();
        break;
    }
  }

  // Every panel's pictures live in the resource bundle among the resources.
  const QString bundle = QDir(where.resourceDir).filePath(QStringLiteral("KARVEL.UIR"));
  if (!QResource::registerResource(bundle)) {
    ui.message(QString(), QString::fromLatin1(kFatalNoUir));
    ui.setBusy(false);
    return false;
  }
  bundlePath_ = bundle;

  state_.programDir = QDir::toNativeSeparators(where.resourceDir);
  state_.temporaryDir = QDir::toNativeSeparators(where.temporaryDir);
  state_.installed = where.mode == Installation::Mode::Installed;
  const QDateTime modified = QFileInfo(options.programFile).lastModified();
  about_ = new AboutDialog(state_);
  state_.splashPanel = about_;
  about_->setBuildDate(buildDateText(modified.date()),
                       modified.isValid() ? modified.date().year() : QDate::currentDate().year());

  about_->showAsSplash();
  if (dialogs) dialogs->setParent(about_);
  if (state_.clock) state_.clock->wait(kSplashMs);

  window_ = new MainWindow(state_);
  window_->setAboutPanel(about_);
  // The features attach their commands (and the spreadsheet dialog) here.
  if (options.attach) {
    options.attach(*window_);
  } else {
    attachFeatures(*window_);
  }

  state_.settingsPath = QDir::toNativeSeparators(where.settingsPath);
  ChargeConfig(state_, *window_);

  window_->show();
  if (dialogs) dialogs->setParent(window_);
  about_->hide();
  ui.setBusy(false);

  // One argument only, as a file manager passes it: a result file when its
  // path names an .HTM file and no .BUS one (File > Open's test), else a bus
  // definition file whatever its extension. A missing file is ignored without
  // a word.
  if (options.arguments.size() == 2 && QFileInfo(options.arguments[1]).isFile()) {
    const QString& path = options.arguments[1];
    const MainCommands& commands = window_->commands();
    bool opened = true;
    if (!path.contains(QStringLiteral(".BUS"), Qt::CaseInsensitive) &&
        path.contains(QStringLiteral(".HTM"), Qt::CaseInsensitive)) {
      if (commands.openResult) commands.openResult(path);
    } else if (commands.openBus) {
      // A file the loader refused must not join the recent files.
      opened = commands.openBus(path) == 0;
    }
    // Opened from the file manager: Open starts beside it next time.
    if (opened) window_->rememberOpened(path);
  }
  started_ = true;
  // Files handed over during the splash or the first-start questions.
  openHandedPaths();
  return true;
}

void Application::openHandedOver(const QString& path) {
  handedPaths_.append(path);
  openHandedPaths();
}

void Application::openHandedPaths() {
  if (!started_ || !window_ || openingHanded_) return;
  // Not under a dialog the user is answering (nor inside the question an
  // opening asks): once it is closed.
  if (QApplication::activeModalWidget()) {
    QTimer::singleShot(kHandedRetryMs, window_, [this] { openHandedPaths(); });
    return;
  }
  openingHanded_ = true;
  while (!handedPaths_.isEmpty() && window_) {
    const QString path = handedPaths_.takeFirst();
    if (window_->isMinimized())
      window_->setWindowState(window_->windowState() & ~Qt::WindowMinimized);
    window_->show();
    window_->raise();
    window_->activateWindow();
    // A missing file is ignored as on the command line of a first start.
    if (path.isEmpty() || !QFileInfo(path).isFile()) continue;
    if (path.contains(QStringLiteral(".BUS"), Qt::CaseInsensitive) ||
        path.contains(QStringLiteral(".HTM"), Qt::CaseInsensitive)) {
      window_->openPath(path);  // File > Open's way, unsaved edits asked first
    } else if (window_->commands().openBus && window_->commands().openBus(path) == 0) {
      // As a first start does: any other name is a bus definition file.
      window_->rememberOpened(path);
    }
  }
  openingHanded_ = false;
}

void Application::shutdown() {
  // Later starts find nobody from now on and run on their own.
  instance_.reset();
  handedPaths_.clear();
  started_ = false;
  state_.xmlDocument.reset();
  if (state_.sessionOpen && window_ && window_->commands().closeSession) {
    window_->commands().closeSession();
  }
  if (auto* dialogs = dynamic_cast<QtInteraction*>(state_.ui)) dialogs->setParent(nullptr);
  delete state_.excelPanel.data();
  delete window_.data();
  delete about_.data();
  if (!bundlePath_.isEmpty()) {
    QResource::unregisterResource(bundlePath_);
    bundlePath_.clear();
  }
}

}  // namespace karvel::ui
