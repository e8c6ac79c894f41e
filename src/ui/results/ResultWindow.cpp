// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/results/ResultWindow.h"
#include "ui/frame/WindowPrint.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QStatusBar>

#include "core/frame/Interaction.h"
#include "core/register/RegisterTexts.h"
#include "core/results/ResultCommands.h"
#include "core/results/ResultReader.h"
#include "core/results/ResultTexts.h"
#include "ui/frame/Colours.h"
#include "ui/frame/MainWindow.h"
#include "ui/frame/ScreenFit.h"
#include "ui/results/ResultTableModel.h"
#include "ui/results/TableFocus.h"
#include "ui/results/ToleranceBarDelegate.h"
#include "ui_ResultWindow.h"

namespace karvel::ui {

ResultWindow::ResultWindow(AppState& state, ResultTable table, std::array<QPixmap, 3> icons,
                           QWidget* parent)
    : QMainWindow(parent),
      state_(state),
      language_(state.language),
      table_(std::move(table)),
      form_(std::make_unique<Ui::ResultWindow>()) {
  form_->setupUi(this);
  setAttribute(Qt::WA_DeleteOnClose);
  // The file's texts are never interpreted: whatever markup a result file
  // holds is shown as written.
  for (QLabel* label : {form_->busHeading, form_->verdict, form_->tableLabel}) {
    label->setTextFormat(Qt::PlainText);
    label->setOpenExternalLinks(false);
  }
  applyTexts();
  fill(std::move(icons));

  connect(form_->actionSave, &QAction::triggered, this, &ResultWindow::saveAs);
  connect(form_->actionPrint, &QAction::triggered, this, &ResultWindow::printWindow);
  connect(form_->actionExport, &QAction::triggered, this, &ResultWindow::exportTable);
  connect(form_->actionExit, &QAction::triggered, this, &QWidget::close);
  connect(form_->helpButton, &QToolButton::clicked, this, &ResultWindow::showHelp);
  // F1 asks for help where the user is: the help of this window's bus.
  auto* help = new QAction(this);
  help->setObjectName(QStringLiteral("actionHelp"));
  help->setText(pick(resulttext::kHelpButton, language_));
  help->setShortcut(QKeySequence(Qt::Key_F1));
  help->setShortcutContext(Qt::WindowShortcut);
  connect(help, &QAction::triggered, this, &ResultWindow::showHelp);
  addAction(help);
  // Reading order: the help button beside the heading, the table, the file.
  letTabLeave(*form_->resultsTable);
  setTabOrder(form_->helpButton, form_->resultsTable);
  setTabOrder(form_->resultsTable, form_->sourcePath);
  form_->resultsTable->setFocus();
  // The spreadsheet export may be attached after the window opened.
  connect(form_->menuFile, &QMenu::aboutToShow, this,
          [this] { form_->actionExport->setEnabled(bool(state_.exportResults)); });
  form_->actionExport->setEnabled(bool(state_.exportResults));
  // File in register ..., below the export: the site register files the
  // result when it is attached; dimmed otherwise.
  fileInRegister_ = new QAction(this);
  fileInRegister_->setObjectName(QStringLiteral("actionFileInRegister"));
  fileInRegister_->setText(menuText(pick(registertext::kMenuFileInRegister, language_)));
  {
    const QList<QAction*> items = form_->menuFile->actions();
    const qsizetype exit = items.indexOf(form_->actionExit);
    // Before the separator above Exit, when there is one.
    QAction* before =
        exit > 0 && items[exit - 1]->isSeparator() ? items[exit - 1] : form_->actionExit;
    form_->menuFile->insertAction(before, fileInRegister_);
  }
  connect(fileInRegister_, &QAction::triggered, this, &ResultWindow::fileInRegister);
  connect(form_->menuFile, &QMenu::aboutToShow, this,
          [this] { fileInRegister_->setEnabled(bool(state_.fileInRegister)); });
  fileInRegister_->setEnabled(bool(state_.fileInRegister));
}

// A window deleted without being closed still takes its temporary file along.
ResultWindow::~ResultWindow() {
  if (!temporaryFile_.isEmpty()) QFile::remove(temporaryFile_);
}

QString ResultWindow::sourcePath() const { return table_.sourcePath; }

QString ResultWindow::shownName() const {
  return instrumentName_.isEmpty() ? table_.sourcePath : instrumentName_;
}

void ResultWindow::setInstrumentName(const QString& name) {
  instrumentName_ = name.trimmed();
  showName();
}

void ResultWindow::setOrigin(const QString& origin) {
  origin_ = origin.trimmed();
  showName();
}

// The title, the file field and the date line: what the result is and when
// it was made, never the name of a temporary file.
void ResultWindow::showName() {
  const QString title = resultWindowTitle(shownName(), language_);
  setWindowTitle(origin_.isEmpty() ? title : QStringLiteral("%1 (%2)").arg(title, origin_));
  const QString name = instrumentName_.isEmpty() ? table_.sourcePath : instrumentName_;
  form_->sourcePath->setText(!origin_.isEmpty() ? QStringLiteral("%1 (%2)").arg(name, origin_)
                             : instrumentName_.isEmpty()
                                 ? table_.sourcePath
                                 : pick(resulttext::kFromInstrument, language_).arg(name));
  form_->sourcePath->setCursorPosition(0);
  QString date;
  if (table_.date.isValid()) {
    date = pick(resulttext::kDateLine, language_).arg(resultDateText(table_.date));
  } else if (instrumentName_.isEmpty() && temporaryFile_.isEmpty()) {
    // The user's own file: its time is all there is, and is said to be that.
    const QDateTime modified = QFileInfo(table_.sourcePath).lastModified();
    date = modified.isValid()
               ? pick(resulttext::kDateFileTime, language_).arg(resultDateText(modified))
               : pick(resulttext::kNoDate, language_);
  } else {
    // A fetched file's time is only that of the fetch.
    date = pick(resulttext::kNoDate, language_);
  }
  form_->resultDate->setText(date);
}

// TraducMenu2: the menu and the column headings in the window's language.
void ResultWindow::applyTexts() {
  const ResultWindowTexts texts = TraducMenu2(language_);
  form_->menuFile->setTitle(menuText(texts.fileMenu));
  form_->actionSave->setText(menuText(texts.save));
  form_->actionPrint->setText(menuText(texts.print));
  form_->actionExport->setText(menuText(texts.exportExcel));
  form_->actionExit->setText(menuText(texts.exit));
  form_->helpButton->setToolTip(texts.helpTooltip);
  // A screen reader would say "?": the button says what it opens.
  form_->helpButton->setAccessibleName(texts.helpTooltip);
  form_->helpButton->setAccessibleDescription(pick(resulttext::kHelpDescription, language_));
  form_->resultsTable->setAccessibleName(pick(resulttext::kTableName, language_));
  form_->sourcePath->setAccessibleName(pick(resulttext::kFileFieldName, language_));
}

void ResultWindow::fill(std::array<QPixmap, 3> icons) {
  showName();
  form_->busHeading->setText(table_.busHeading);
  form_->tableLabel->setText(table_.tableLabel);
  form_->verdict->setText(table_.verdict);
  QPalette palette = form_->verdict->palette();
  palette.setColor(QPalette::Window, statusColour(table_.verdictColour));
  palette.setColor(QPalette::WindowText, textColourOn(statusColour(table_.verdictColour)));
  form_->verdict->setPalette(palette);

  QStringList headings = TraducMenu2(language_).columnHeadings;
  headings << pick(resulttext::kColumnMargin, language_);
  model_ = new ResultTableModel(table_, headings, std::move(icons), language_, this);
  QTableView* view = form_->resultsTable;
  // The file's own caption of its table tells which result it holds.
  view->setAccessibleDescription(table_.tableLabel.simplified());
  view->setModel(model_);
  view->setItemDelegateForColumn(ResultTableModel::kMarginColumn,
                                 new ToleranceBarDelegate(table_, view));
  view->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  // The bar takes the room the texts leave.
  view->horizontalHeader()->setStretchLastSection(true);
  view->resizeColumnsToContents();
  view->setColumnWidth(ResultTableModel::kIconColumn, view->iconSize().width() + 12);
  // Only rows holding a line feed need more than one line of height.
  for (std::size_t r = 0; r < table_.rows.size(); ++r) {
    for (const QString& cell : table_.rows[r].cells) {
      if (cell.contains(u'\n')) {
        view->resizeRowToContents(int(r));
        break;
      }
    }
  }

  if (!table_.problemMarker.isEmpty()) {
    auto* note = new QLabel(this);
    note->setObjectName(QStringLiteral("problemNote"));
    note->setTextFormat(Qt::PlainText);
    note->setText(pick(resulttext::kIncomplete, language_).arg(table_.problemMarker));
    statusBar()->addWidget(note, 1);
  }
}

void ResultWindow::saveAs() {
  if (const std::optional<QString> title = saveResultAs(state_, sourcePath(), instrumentName_)) {
    setWindowTitle(*title);
  }
}

void ResultWindow::printWindow() {
  // The results print starts from the dialog's defaults: the options the main
  // window's print remembers are not used here.
  PrintChoice choice;
  nameAfterFile(choice, shownName(), !temporaryFile_.isEmpty());
  // The print dialog and any failure belong to this window, which stays in front.
  DialogOwner owner(*state_.ui, this);
  if (!state_.ui->choosePrinter(choice)) return;
  // The window as it shows on the screen, scaled to fit the page.
  if (!ui::printWindow(*this, choice)) {
    state_.ui->message(
        pick(resulttext::kErrorWord, state_.language),
        pick(resulttext::kCannotPrint, state_.language).arg(printTargetName(choice)));
  }
}

void ResultWindow::exportTable() {
  // The export dialog and its questions belong to this window.
  DialogOwner owner(*state_.ui, this);
  if (state_.exportResults) state_.exportResults(this);
}

void ResultWindow::fileInRegister() {
  // The register's questions belong to this window.
  DialogOwner owner(*state_.ui, this);
  if (state_.fileInRegister) state_.fileInRegister(this);
}

void ResultWindow::showHelp() { HelpDiag(state_, form_->busHeading->text()); }

// Sortir for a results window: nothing is asked; a temporary result fetched
// from the instrument goes with its window. Only a file the program made for
// this window is deleted, whatever the names of the user's own files.
void ResultWindow::closeEvent(QCloseEvent* event) {
  if (!temporaryFile_.isEmpty()) {
    QFile::remove(temporaryFile_);
    temporaryFile_.clear();
  }
  event->accept();
}

void ResultWindow::keyPressEvent(QKeyEvent* event) {
  if (const std::optional<bool> next = ctrlTabDirection(*event)) {
    focusNextPrevChild(*next);
    return;
  }
  QMainWindow::keyPressEvent(event);
}

namespace {

// The window's size and its place in the cascade, on the main window's
// screen, so that it opens wholly on that screen.
void placeInCascade(AppState& state, QWidget& window) {
  const QMargins margins = frameMarginsOf(window);
  const auto* main = qobject_cast<const QWidget*>(state.mainPanel.data());
  const QRect room = availableRoom(main ? main->frameGeometry() : QRect());
  const QSize frame = resultWindowFrameSize(window.size().grownBy(margins),
                                            window.minimumSize().grownBy(margins), room);
  window.resize(frame.shrunkBy(margins));
  window.move(takeResultWindowPosition(state, frame, room));
}

}  // namespace

std::array<QPixmap, 3> loadStatusIcons(const AppState& state) {
  std::array<QPixmap, 3> icons;
  const char* const names[] = {"bitmap/smi-green.bmp", "bitmap/smi-red.bmp",
                               "bitmap/smi-yellow.bmp"};
  for (std::size_t i = 0; i < icons.size(); ++i) {
    QPixmap icon(programPath(state, QString::fromLatin1(names[i])));
    // Bitmaps have no transparency: their white corners take the row's band.
    if (!icon.isNull()) icon.setMask(icon.createMaskFromColor(Qt::white, Qt::MaskInColor));
    icons[i] = icon;
  }
  return icons;
}

ResultWindow* ReadHTMLFile(AppState& state, const QString& path, ResultFile origin,
                           const QString& instrumentName) {
  ResultTable table;
  QString error;
  bool read = false;
  {
    BusyCursor busy(*state.ui);
    read = loadResultFile(path, state.language, table, &error);
  }
  if (!read) {
    if (origin == ResultFile::Temporary) QFile::remove(path);
    state.ui->message(pick(resulttext::kErrorWord, state.language), error);
    return nullptr;
  }
  auto* window = new ResultWindow(state, std::move(table), loadStatusIcons(state));
  if (origin == ResultFile::Temporary) window->setTemporaryFile(path);
  if (!instrumentName.trimmed().isEmpty()) window->setInstrumentName(instrumentName);
  placeInCascade(state, *window);
  // Windows still open when the program ends close as if the user had closed
  // them, so that no temporary result is left behind.
  QObject::connect(qApp, &QCoreApplication::aboutToQuit, window, &QWidget::close);
  window->show();
  return window;
}

}  // namespace karvel::ui
