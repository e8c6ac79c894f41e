// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/frame/MainWindow.h"
#include "ui/frame/WindowPrint.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLibraryInfo>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QStatusBar>
#include <QTableWidget>
#include <QTimer>
#include <QToolBar>
#include <QTranslator>
#include <QUrl>

#include "core/frame/HelpDocument.h"
#include "core/frame/Interaction.h"
#include "core/frame/Langue.h"
#include "core/frame/Messages.h"
#include "core/frame/RecentFiles.h"
#include "core/frame/Texts.h"
#include "ui/frame/AboutDialog.h"
#include "ui/frame/HelpViewer.h"
#include "ui/frame/ScreenFit.h"
#include "ui/frame/SideColumn.h"
#include "ui/frame/ToolbarIcons.h"
#include "ui_MainWindow.h"

namespace karvel::ui {

namespace {

constexpr const char* kItemProperty = "karvelItem";

// The text of the "Error" box for a failure code of a command.
QString failureText(int code) {
  if (code == -12) return QStringLiteral("Out of memory (error %1).").arg(code);
  return QStringLiteral("The operation failed (error %1).").arg(code);
}

// Shows the busy cursor while it lives, when there is an Interaction at all.
class Busy {
 public:
  explicit Busy(AppState& state) : ui_(state.ui) {
    if (ui_) ui_->setBusy(true);
  }
  ~Busy() {
    if (ui_) ui_->setBusy(false);
  }
  Busy(const Busy&) = delete;
  Busy& operator=(const Busy&) = delete;

 private:
  Interaction* ui_;
};

}  // namespace

MainWindow::MainWindow(AppState& state, QWidget* parent)
    : QMainWindow(parent), state_(state), form_(std::make_unique<Ui::MainWindow>()) {
  form_->setupUi(this);
  setWindowTitle(QString::fromUtf8(kVersionText));
  // The toolbar is rebuilt at every language change; it is not for hiding.
  setContextMenuPolicy(Qt::NoContextMenu);
  form_->busTable->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  form_->busTable->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  buildMenuItems();
  // Edit: the bus panel runs these and says when they can run; they have no
  // item number of the dispatcher.
  form_->actionUndo->setShortcuts(QKeySequence::Undo);
  form_->actionRedo->setShortcuts(
      {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
  form_->actionNewSpeed->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F));
  form_->actionNewVoltage->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_V));
  // Options > Connect / Disconnect: the toolbar's connect toggle by keyboard.
  connect(form_->actionConnect, &QAction::triggered, this, [this] { InitCom(); });
  // File > Recent files, before Exit; it has no item number of the dispatcher.
  recentMenu_ = new QMenu(this);
  recentMenu_->setObjectName(QStringLiteral("menuRecent"));
  form_->menuFile->insertMenu(form_->actionExit, recentMenu_);
  form_->menuFile->insertSeparator(form_->actionExit);
  connect(recentMenu_, &QMenu::aboutToShow, this, [this] { fillRecentMenu(); });
  setAcceptDrops(true);
  sessionLabel_ = new QLabel(this);
  sessionLabel_->setObjectName(QStringLiteral("sessionStatus"));
  statusBar()->addPermanentWidget(sessionLabel_);

  state_.mainPanel = this;
  state_.menuBar = menuBar();
  state_.afficheCom = [this](int open) { AfficheCom(open); };
  state_.showDocument = [this](const QString& path) { return showHelpViewer(state_, path); };
  operation_ = std::make_unique<OperationDialog>(this, &state_.language);
  state_.operation = operation_.get();
  state_.operationRunning = [this](bool running) { operationRunning(running); };
}

MainWindow::~MainWindow() {
  state_.afficheCom = nullptr;
  state_.showDocument = nullptr;
  if (state_.operation == operation_.get()) state_.operation = nullptr;
  state_.operationRunning = nullptr;
}

void MainWindow::operationRunning(bool running) {
  dimInstrumentCommands();
  if (running || !quitAfterOperation_) return;
  quitAfterOperation_ = false;
  // Once the operation has unwound, not from inside it.
  QTimer::singleShot(0, this, [this] { Sortir(); });
}

void MainWindow::dimInstrumentCommands() {
  const bool free = state_.operationDepth == 0;
  form_->actionImport->setEnabled(free);
  form_->actionExport->setEnabled(free);
  form_->actionCommunication->setEnabled(free);
  form_->actionConnect->setEnabled(free);
  if (!toolbar_) return;
  const auto actions = toolbar_->actions();
  for (QAction* action : actions) {
    const int n = action->property("karvelToolItem").toInt();
    if (n == item::Import || n == item::Export || action->objectName() == "goButton" ||
        action->objectName() == "stopButton")
      action->setEnabled(free);
  }
}

void MainWindow::buildMenuItems() {
  const std::pair<QAction*, int> items[] = {
      {form_->actionOpen, item::Open},
      {form_->actionSave, item::Save},
      {form_->actionClose, item::Close},
      {form_->actionImport, item::Import},
      {form_->actionExport, item::Export},
      {form_->actionPrint, item::Print},
      {form_->actionExit, item::Exit},
      {form_->actionCommunication, item::Communication},
      {form_->actionFrench, item::FirstLanguage + French},
      {form_->actionEnglish, item::FirstLanguage + English},
      {form_->actionGerman, item::FirstLanguage + German},
      {form_->actionSpanish, item::FirstLanguage + Spanish},
      {form_->actionItalian, item::FirstLanguage + Italian},
      {form_->actionContents, item::Contents},
      {form_->actionAbout, item::About},
  };
  for (const auto& [action, number] : items) {
    action->setProperty(kItemProperty, number);
    connect(action, &QAction::triggered, this, [this, number = number] { GestionMenu(number); });
  }
}

QAction* MainWindow::menuItem(int number) const {
  const auto actions = findChildren<QAction*>();
  for (QAction* action : actions) {
    if (action->property(kItemProperty).toInt() == number) return action;
  }
  return nullptr;
}

void MainWindow::setAboutPanel(AboutDialog* about) { about_ = about; }

// ---- The dispatcher -------------------------------------------------------

void MainWindow::GestionMenu(int number) {
  auto run = [](const std::function<void()>& command) {
    if (command) command();
  };
  switch (number) {
    case item::Open:
      openFile();
      break;
    case item::Save:
      run(commands_.save);
      break;
    case item::Close:
      run(commands_.close);
      break;
    case item::Import:
      if (state_.operationDepth == 0) run(commands_.importFiles);
      break;
    case item::Export:
      if (state_.operationDepth == 0) run(commands_.exportFile);
      break;
    case item::Print:
      printWindow();
      break;
    case item::Exit:
      Sortir();
      break;
    case item::Communication:
      if (state_.operationDepth == 0) run(commands_.communication);
      break;
    case item::FirstLanguage + French:
    case item::FirstLanguage + English:
    case item::FirstLanguage + German:
    case item::FirstLanguage + Spanish:
    case item::FirstLanguage + Italian:
      selectLanguage(number);
      break;
    case item::Contents:
      openContents();
      break;
    case item::About:
      showAbout();
      break;
    default:
      break;
  }
}

void MainWindow::openFile() {
  if (!state_.ui) return;
  FileRequest request;
  // The folder of the last file opened, when there is one.
  const UserMemory memory = loadUserMemory(userMemoryPath(state_.settingsPath));
  if (!memory.lastFolder.isEmpty() && QFileInfo(memory.lastFolder).isDir())
    request.folder = memory.lastFolder;
  request.pattern = state_.lastOpenKind == 1 ? QStringLiteral("*.HTM") : QStringLiteral("*.BUS");
  request.types = {QStringLiteral("BUS files (*.BUS)"), QStringLiteral("HTM files (*.HTM)")};
  request.title = pick(text::kBusFileTitle, state_.language);
  request.confirm = FileRequest::Confirm::Load;
  request.forceExtension = false;
  const FileChoice choice = state_.ui->chooseFile(request);
  if (choice.kind != FileChoice::Kind::Existing) return;

  openPath(choice.path);
}

bool MainWindow::openPath(const QString& path) {
  // A plain substring test, ".BUS" first: C:\x.bus\r1.htm is a bus file.
  if (path.contains(QStringLiteral(".BUS"), Qt::CaseInsensitive)) {
    if (!commands_.openBus) return false;
    const int result = commands_.openBus(path);
    if (result < 0) {
      if (state_.ui) state_.ui->message(QStringLiteral("Error"), failureText(result));
      return false;
    }
    // Kept the edits shown, or refused the file: it is no file opened, and
    // Recent files and the Open folder must not claim it was.
    if (result == kNothingOpened) return false;
    state_.lastOpenKind = 0;
  } else if (path.contains(QStringLiteral(".HTM"), Qt::CaseInsensitive)) {
    if (!commands_.openResult) return false;
    commands_.openResult(path);
    state_.lastOpenKind = 1;
  } else {
    return false;
  }
  rememberOpened(path);
  return true;
}

void MainWindow::rememberOpened(const QString& path) {
  if (state_.settingsPath.isEmpty()) return;
  const QString file = userMemoryPath(state_.settingsPath);
  UserMemory memory = loadUserMemory(file);
  memory.lastFolder = QFileInfo(path).absolutePath();
  memory.recentFiles = withRecentFile(memory.recentFiles, QDir::toNativeSeparators(path));
  saveUserMemory(file, memory);  // a memory that cannot be kept is no loss of work
}

void MainWindow::fillRecentMenu() {
  recentMenu_->clear();
  const UserMemory memory = loadUserMemory(userMemoryPath(state_.settingsPath));
  int n = 0;
  for (const QString& path : memory.recentFiles) {
    ++n;
    QAction* a = recentMenu_->addAction(QStringLiteral("&%1  %2").arg(n).arg(path));
    a->setEnabled(QFileInfo(path).isFile());
    connect(a, &QAction::triggered, this, [this, path] { openPath(path); });
  }
  if (n == 0) recentMenu_->addAction(pick(text::kRecentNone, state_.language))->setEnabled(false);
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
  for (const QUrl& url : event->mimeData()->urls()) {
    const QString path = url.toLocalFile();
    if (path.contains(QStringLiteral(".BUS"), Qt::CaseInsensitive) ||
        path.contains(QStringLiteral(".HTM"), Qt::CaseInsensitive)) {
      event->acceptProposedAction();
      return;
    }
  }
}

void MainWindow::dropEvent(QDropEvent* event) {
  bool opened = false;
  for (const QUrl& url : event->mimeData()->urls()) {
    const QString path = url.toLocalFile();
    if (!path.isEmpty() && QFileInfo(path).isFile()) opened = openPath(path) || opened;
  }
  if (opened) event->acceptProposedAction();
}

void MainWindow::printWindow() {
  if (!state_.ui) return;
  PrintChoice choice;
  choice.colourMode = state_.printOption1;
  choice.duplex = state_.printOption2;
  // The print takes the name of the bus file shown, or the program's.
  choice.documentName = QStringLiteral("KARVEL");
  nameAfterFile(choice, form_->fileField->text());
  if (!state_.ui->choosePrinter(choice)) return;  // cancelled: nothing printed, nothing said

  // The whole window, menu and toolbar included, scaled to fit the page.
  if (!ui::printWindow(*this, choice)) {
    state_.ui->message(QStringLiteral("Error"), pick(text::kPrintFailed, state_.language));
    return;
  }

  // The dialog's choices apply to the next print of this run.
  state_.printOption1 = choice.colourMode;
  state_.printOption2 = choice.duplex;
}

void MainWindow::selectLanguage(int number) {
  Busy busy(state_);
  if (QAction* old = menuItem(item::FirstLanguage + clampLanguage(state_.language))) {
    old->setChecked(false);
  }
  state_.language = number - item::FirstLanguage;
  if (QAction* now = menuItem(number)) now->setChecked(true);
  ChangementLangue();
}

void MainWindow::openContents() {
  if (!state_.ui) return;
  const QString path = programPath(
      state_, QStringLiteral("help/KARVEL_%1.pdf")
                  .arg(QString::fromLatin1(
                      kLanguageCodes[static_cast<std::size_t>(clampLanguage(state_.language))])));
  openHelpDocument(state_, path);
}

void MainWindow::showAbout() {
  if (!about_) about_ = new AboutDialog(state_, this);
  about_->showFromMenu();
}

// ---- Languages and toolbar ------------------------------------------------

namespace {

// Qt's own texts (the buttons of the file, folder and print dialogs, the
// standard message boxes) in the chosen language, from the translations
// that the system ships; English needs none.
void installQtTranslation(int language) {
  static QTranslator* current = nullptr;
  static const char* const codes[] = {"fr", "en", "de", "es", "it"};
  if (current) {
    QCoreApplication::removeTranslator(current);
    delete current;
    current = nullptr;
  }
  if (language == English || !QCoreApplication::instance()) return;
  auto* translator = new QTranslator;
  if (translator->load(QStringLiteral("qtbase_") + QLatin1String(codes[clampLanguage(language)]),
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QCoreApplication::installTranslator(translator);
    current = translator;
  } else {
    delete translator;  // not installed: Qt's texts stay English
  }
}

}  // namespace

void MainWindow::ChangementLangue() {
  const int language = state_.language;
  installQtTranslation(language);
  auto menu = [language](const Text5& text) { return menuText(pick(text, language)); };
  auto plain = [language](const Text5& text) { return pick(text, language); };
  Ui::MainWindow& f = *form_;

  f.menuFile->setTitle(menu(text::kMenuFile));
  f.menuEdit->setTitle(menu(text::kMenuEdit));
  f.actionUndo->setText(menu(text::kItemUndo));
  f.actionRedo->setText(menu(text::kItemRedo));
  f.actionNewSpeed->setText(menu(text::kItemNewSpeed));
  f.actionNewVoltage->setText(menu(text::kItemNewVoltage));
  if (recentMenu_) recentMenu_->setTitle(menu(text::kItemRecent));
  f.menuOptions->setTitle(menu(text::kMenuOptions));
  f.actionOpen->setText(menu(text::kItemOpen));
  f.actionSave->setText(menu(text::kItemSave));
  f.actionClose->setText(menu(text::kItemClose));
  f.actionImport->setText(menu(text::kItemImport));
  f.actionExport->setText(menu(text::kItemExport));
  f.actionPrint->setText(menu(text::kItemPrint));
  f.actionExit->setText(menu(text::kItemExit));
  f.actionCommunication->setText(menu(text::kItemCommunication));
  f.menuLanguage->setTitle(menu(text::kItemLanguage));
  f.actionContents->setText(menu(text::kItemContents));
  f.actionAbout->setText(menu(text::kItemAbout));

  f.fileLabel->setText(plain(text::kLabelFile));
  f.busLabel->setText(plain(text::kLabelBus));
  f.commentLabel->setText(plain(text::kLabelComments));
  if (QTableWidgetItem* header = f.busTable->horizontalHeaderItem(2)) {
    header->setText(plain(text::kColumnWarning));
  } else {
    f.busTable->setHorizontalHeaderItem(2, new QTableWidgetItem(plain(text::kColumnWarning)));
  }
  f.frequencyLabel->setText(plain(text::kLabelFrequency));
  f.bitTimeLabel->setText(plain(text::kLabelBitTime));
  f.maxVoltageLabel->setText(plain(text::kLabelMaxVoltage));
  f.speedNextButton->setText(plain(text::kButtonNext));
  f.voltageNextButton->setText(plain(text::kButtonNext));
  f.speedCaption->setText(plain(text::kCaptionSpeed));
  f.voltageCaption->setText(plain(text::kCaptionVoltage));
  f.speedGroup->setTitle(plain(text::kGroupFrequency));
  f.voltageGroup->setTitle(plain(text::kGroupVoltage));
  nameForScreenReaders();
  fitSideColumn(f);

  // A new toolbar in place of the old one.
  if (toolbar_) {
    removeToolBar(toolbar_);
    toolbar_->hide();
    toolbar_->deleteLater();
  }
  toolbar_ = new QToolBar(this);
  toolbar_->setObjectName(QStringLiteral("toolbar"));
  toolbar_->setMovable(false);
  toolbar_->setFloatable(false);
  toolbar_->setIconSize(QSize(24, 24));
  toolbar_->setToolButtonStyle(Qt::ToolButtonIconOnly);
  addToolBar(Qt::TopToolBarArea, toolbar_);
  state_.toolbar = toolbar_;

  struct Button {
    const char* image;
    const Text5* description;
    int menuItem;
  };
  const Button buttons[] = {
      {"toolbar/open.bmp", &text::kToolOpen, item::Open},
      {"toolbar/save.bmp", &text::kToolSave, item::Save},
      {"toolbar/import.bmp", &text::kToolImport, item::Import},
      {"toolbar/export.bmp", &text::kToolExport, item::Export},
      {"toolbar/print.bmp", &text::kToolPrint, item::Print},
  };
  for (const Button& b : buttons) {
    QAction* action = addToolButton(b.image, plain(*b.description));
    action->setProperty("karvelToolItem", b.menuItem);
    connect(action, &QAction::triggered, this, [this, n = b.menuItem] { GestionMenu(n); });
  }
  toolbar_->addSeparator();
  QAction* help = addToolButton("toolbar/help.bmp", plain(text::kToolHelp));
  connect(help, &QAction::triggered, this, [this] { GestionMenu(item::Contents); });
  toolbar_->addSeparator();
  toolbar_->addSeparator();

  toolbar_->setWindowTitle(plain(text::kNameToolbar));
  toolbar_->setAccessibleName(plain(text::kNameToolbar));

  AfficheCom(state_.sessionOpen);
  dimInstrumentCommands();
  toolbar_->show();
  emit languageChanged();
}

void MainWindow::nameForScreenReaders() {
  const int language = state_.language;
  auto plain = [language](const Text5& text) { return pick(text, language); };
  // A caption's line breaks are for the eye only.
  auto oneLine = [](const QString& text) { return text.simplified(); };
  Ui::MainWindow& f = *form_;
  f.busTable->setAccessibleName(plain(text::kNameBusTable));
  f.busTable->setAccessibleDescription(plain(text::kDescriptionBusTable));
  // Both buttons read "Next >>>": the name says which file comes next, the
  // description repeats the caption above the button.
  f.speedNextButton->setAccessibleName(plain(text::kNameSpeedNext));
  f.speedNextButton->setAccessibleDescription(oneLine(f.speedCaption->text()));
  f.voltageNextButton->setAccessibleName(plain(text::kNameVoltageNext));
  f.voltageNextButton->setAccessibleDescription(oneLine(f.voltageCaption->text()));
  f.busPicture->setAccessibleName(plain(text::kNameBusPicture));
}

QAction* MainWindow::addToolButton(const char* image, const QString& description) {
  QAction* action =
      toolbar_->addAction(toolbarIcon(state_.programDir, QString::fromLatin1(image)), description);
  action->setToolTip(description);
  action->setStatusTip(description);
  return action;
}

void MainWindow::removeLastToolItem() {
  const auto actions = toolbar_->actions();
  if (actions.isEmpty()) return;
  QAction* last = actions.last();
  toolbar_->removeAction(last);
  // The toggle may be removing itself from inside its own click.
  last->deleteLater();
}

void MainWindow::AfficheCom(int open) {
  showSessionStatus(false);
  form_->actionConnect->setText(
      menuText(pick(open ? text::kItemDisconnect : text::kItemConnect, state_.language)));
  form_->actionConnect->setEnabled(state_.operationDepth == 0);
  if (!toolbar_) return;
  // Back to the fixed items whatever the end holds now, so that repeated
  // calls with the same state never add a second toggle.
  while (toolbar_->actions().size() > kToolbarFixedItems) removeLastToolItem();

  const QString description = pick(text::kToolCommunication, state_.language);
  QAction* toggle = addToolButton(open ? "toolbar/go.bmp" : "toolbar/stop.bmp", description);
  toggle->setObjectName(open ? QStringLiteral("goButton") : QStringLiteral("stopButton"));
  toggle->setCheckable(true);
  toggle->setChecked(open != 0);
  connect(toggle, &QAction::triggered, this, [this] { InitCom(); });
  toggle->setEnabled(state_.operationDepth == 0);
  if (!open) return;

  const int type = (state_.connectionType >= RS232 && state_.connectionType <= Ethernet)
                       ? state_.connectionType
                       : USB;
  auto* indicator = new QWidget(toolbar_);
  indicator->setObjectName(QStringLiteral("connectionIndicator"));
  auto* layout = new QHBoxLayout(indicator);
  layout->setContentsMargins(6, 0, 6, 0);
  layout->setSpacing(4);
  auto* picture = new QLabel(indicator);
  picture->setObjectName(QStringLiteral("connectionImage"));
  picture->setPixmap(
      toolbarIcon(state_.programDir, QString::fromLatin1(text::kConnectionImages[type]))
          .pixmap(toolbar_->iconSize()));
  auto* name = new QLabel(QString::fromLatin1(text::kConnectionNames[type]), indicator);
  name->setObjectName(QStringLiteral("connectionName"));
  layout->addWidget(picture);
  layout->addWidget(name);
  QAction* shown = toolbar_->addWidget(indicator);
  shown->setText(name->text());
  shown->setToolTip(name->text());
}

void MainWindow::showSessionStatus(bool opening) {
  if (!sessionLabel_) return;
  sessionLabel_->setText(commands_.sessionStatus ? commands_.sessionStatus(opening) : QString());
}

void MainWindow::InitCom() {
  // One operation at a time on the link.
  if (state_.operationDepth > 0) {
    AfficheCom(state_.sessionOpen);
    return;
  }
  if (!state_.sessionOpen && sessionLabel_) {
    // The search can take seconds: say what is going on before it starts.
    showSessionStatus(true);
    sessionLabel_->repaint();
  }
  if (commands_.toggleSession) commands_.toggleSession();
  // The toggle shows the session as it now is, also after a failed opening.
  AfficheCom(state_.sessionOpen);
}

// ---- Quit ----------------------------------------------------------------

bool MainWindow::Sortir() {
  // The program cannot end under an operation that holds the link: it is
  // stopped, and the quit goes on once it has.
  if (state_.operationDepth > 0) {
    quitAfterOperation_ = true;
    state_.operationStopped = true;
    if (state_.operation == operation_.get()) operation_->askCancel();
    return false;
  }
  // The settings are written first, whatever the answer.
  if (!state_.settingsPath.isEmpty()) saveSettings(state_, windowGeometry());
  if (!state_.ui) return false;
  if (commands_.confirmDiscard && !commands_.confirmDiscard()) return false;
  const int answer = state_.ui->ask(
      pick(text::kQuitTitle, state_.language), pick(text::kQuitQuestion, state_.language),
      {pick(text::kYes, state_.language), pick(text::kNo, state_.language)}, 0, 1);
  if (answer != 0) return false;
  quitRequested_ = true;
  // The spreadsheet side closes before the loop is told to end: once it is,
  // Qt returns from every modal box at once, and its warning would not show.
  if (state_.excelRunning && commands_.closeSpreadsheet) commands_.closeSpreadsheet();
  QCoreApplication::exit(0);
  return true;
}

void MainWindow::closeEvent(QCloseEvent* event) {
  // Only the quit routine ends the program; the shutdown discards the window.
  event->ignore();
  Sortir();
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
  // Qt moves the focus on Tab alone; a table or an editor that keeps Tab for
  // itself lets Ctrl+Tab come up to here, and the user still gets out.
  const bool tab = event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab;
  if (tab && (event->modifiers() & Qt::ControlModifier) &&
      !(event->modifiers() & Qt::AltModifier)) {
    const bool back = event->key() == Qt::Key_Backtab || (event->modifiers() & Qt::ShiftModifier);
    focusNextPrevChild(!back);
    event->accept();
    return;
  }
  QMainWindow::keyPressEvent(event);
}

// ---- Settings window -----------------------------------------------------

WindowGeometry MainWindow::windowGeometry() const {
  WindowGeometry g;
  const QRect r = geometry();
  g.top = r.y();
  g.left = r.x();
  g.height = r.height();
  g.width = r.width();
  g.zoom = isMinimized() ? kZoomMinimised : isMaximized() ? kZoomMaximised : kZoomNormal;
  return g;
}

void MainWindow::placeWindow(const WindowGeometry& g) {
  // Right after a rebuild the numbers are all zero: the window keeps the
  // size it was designed with.
  if (g.width > 0 && g.height > 0) setGeometry(QRect(g.left, g.top, g.width, g.height));
  // A place stored on a larger screen, or on one that is gone, and the
  // designed size on a small screen: the whole window within reach.
  keepOnScreen(*this);
  if (g.zoom == kZoomMaximised) {
    setWindowState(windowState() | Qt::WindowMaximized);
  } else if (g.zoom == kZoomMinimised) {
    setWindowState(windowState() | Qt::WindowMinimized);
  }
}

}  // namespace karvel::ui
