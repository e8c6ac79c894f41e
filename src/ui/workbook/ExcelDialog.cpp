// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/workbook/ExcelDialog.h"

#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QPushButton>
#include <QUrl>
#include <optional>

#include "core/frame/Interaction.h"
#include "core/frame/Messages.h"
#include "core/frame/Texts.h"
#include "core/workbook/SheetExport.h"
#include "ui/frame/LabelledFields.h"
#include "ui/frame/MainWindow.h"
#include "ui/results/ResultWindow.h"
#include "ui_ExcelDialog.h"

namespace karvel::ui {

namespace {

constexpr int kCannotLaunch = 9;
constexpr int kFolderNotFound = 10;
constexpr int kWriteError = 12;
constexpr int kWillBeClosed = 17;

// Folder texts may be typed with "\" or "/".
QString internalPath(QString path) { return path.replace(u'\\', u'/'); }

}  // namespace

ExcelDialog::ExcelDialog(AppState& state, QWidget* parent)
    : QDialog(parent),
      state_(state),
      form_(std::make_unique<Ui::ExcelDialog>()),
      spreadsheetInstalled_(&spreadsheetApplicationInstalled) {
  form_->setupUi(this);
  form_->messageBox->setLineWrapMode(QPlainTextEdit::NoWrap);
  // The messages can be reached and read by keyboard; Tab still moves on.
  form_->messageBox->setTextInteractionFlags(Qt::TextSelectableByMouse |
                                             Qt::TextSelectableByKeyboard);
  for (QPushButton* button : {form_->runButton, form_->browseButton, form_->quitButton})
    connect(button, &QPushButton::clicked, this, [this, button] { LancerExcel(button); });
  connect(form_->exportButton, &QPushButton::clicked, this, [this] { ExporterExcel(); });
  setMode(Mode::NotStarted);
  applyTexts();
}

ExcelDialog::~ExcelDialog() = default;

QPushButton* ExcelDialog::runButton() const { return form_->runButton; }
QPushButton* ExcelDialog::exportButton() const { return form_->exportButton; }
QPushButton* ExcelDialog::quitButton() const { return form_->quitButton; }
QPushButton* ExcelDialog::browseButton() const { return form_->browseButton; }
QString ExcelDialog::workingDirText() const { return form_->workingDirEdit->text(); }
void ExcelDialog::setWorkingDirText(const QString& text) { form_->workingDirEdit->setText(text); }
QString ExcelDialog::fileNameText() const { return form_->fileNameEdit->text(); }
void ExcelDialog::setFileNameText(const QString& text) { form_->fileNameEdit->setText(text); }
QString ExcelDialog::messages() const { return form_->messageBox->toPlainText(); }
bool ExcelDialog::workbookOpen() const { return workbook_ && workbook_->isOpen(); }

void ExcelDialog::applyTexts() {
  const int language = state_.language;
  form_->browseButton->setText(pick(excel::kBrowse, language));
  form_->workingDirLabel->setText(pick(excel::kWorkingDirectory, language));
  form_->runButton->setText(menuText(pick(excel::kRun, language)));
  form_->exportButton->setText(pick(excel::kExport, language));
  form_->quitButton->setText(pick(excel::kQuit, language));
  form_->fileNameLabel->setText(pick(excel::kSheetField, language));
  form_->messageLabel->setText(pick(excel::kMessage, language));
  nameFieldsAfterLabels(this);
}

void ExcelDialog::setMode(Mode mode) {
  const bool notStarted = mode == Mode::NotStarted;
  form_->runButton->setEnabled(notStarted);
  form_->workingDirEdit->setEnabled(notStarted);
  form_->browseButton->setEnabled(notStarted);
  form_->exportButton->setEnabled(mode == Mode::Started || mode == Mode::Exported);
  form_->quitButton->setEnabled(mode != Mode::Exporting);
  // Return presses the step that comes next: Run, then Export.
  form_->runButton->setDefault(notStarted);
  form_->exportButton->setDefault(mode == Mode::Started || mode == Mode::Exported);
  if (mode == Mode::Started) form_->exportButton->setFocus();
  if (mode == Mode::Exported) form_->quitButton->setFocus();
}

void ExcelDialog::appendMessage(const QString& text) {
  // Each message ends with its own line feed; it stays for the whole run.
  QTextCursor end(form_->messageBox->document());
  end.movePosition(QTextCursor::End);
  end.insertText(text);
  form_->messageBox->ensureCursorVisible();
}

void ExcelDialog::prepareFor(QObject* resultWindow) {
  applyTexts();
  form_->workingDirEdit->setText(state_.workingDir);
  const auto* window = qobject_cast<ResultWindow*>(resultWindow);
  state_.sheetFileName = proposedSheetName(window ? window->sourcePath() : QString());
  form_->fileNameEdit->setText(state_.sheetFileName);
  state_.exportPanel = resultWindow;
}

void ExcelDialog::exportFrom(QObject* resultWindow) {
  prepareFor(resultWindow);
  // The dialog opens over the results window it came from, modal to it: as a
  // child of the main window it would bring the main window to the front,
  // over that results window. It goes back afterwards, since a results window
  // takes its children along when it closes and the dialog lives for the run.
  QPointer<QWidget> home = parentWidget();
  auto* owner = qobject_cast<QWidget*>(resultWindow);
  if (owner) owner = owner->window();
  if (owner && owner != home) setParent(owner, windowFlags());
  QPointer<ExcelDialog> self(this);
  exec();
  if (self && owner && parentWidget() != home) setParent(home, windowFlags());
}

int ExcelDialog::LancerExcel(QObject* control) {
  if (control == form_->runButton) {
    state_.workingDir = form_->workingDirEdit->text().left(kTextMax);
    // The folder must be one the program can enter; the typed text is kept
    // either way.
    const QString current = QDir::currentPath();
    // The folder a new settings file proposes (~/karvel/) is made on first
    // use; a folder the user typed is never made behind their back.
    const QString folder = internalPath(state_.workingDir);
    if (QDir::cleanPath(folder) == QDir::cleanPath(internalPath(defaultWorkingDir())))
      QDir().mkpath(folder);
    if (!QDir::setCurrent(folder)) {
      PopupErreur(state_, kFolderNotFound);
      return 0;
    }
    QDir::setCurrent(state_.programDir.isEmpty() ? current : internalPath(state_.programDir));

    SheetAppHandle app;
    if (SheetApp::newApp(&app) != kSheetOk) {
      PopupErreur(state_, kCannotLaunch);
      return 0;
    }
    app->setVisible(true);
    SheetWorkbooksHandle workbooks;
    SheetWorkbookHandle workbook;
    // Without a readable template there is nothing to export into.
    if (app->workbooks(&workbooks) != kSheetOk ||
        workbooks->open(templatePath(state_.programDir), &workbook) != kSheetOk) {
      app->quit();
      PopupErreur(state_, kCannotLaunch);
      return 0;
    }
    // A Run after a failed export starts a new instance.
    ClearObjHandle(&app_);
    app_ = app;
    workbooks_ = workbooks;
    workbook_ = workbook;
    raise();
    activateWindow();
    appendMessage(pick(excel::kReady, state_.language));
    state_.excelRunning = 1;
    setMode(Mode::Started);
  } else if (control == form_->browseButton) {
    QString folder =
        state_.ui->chooseFolder(pick(excel::kFolderTitle, state_.language), QDir::currentPath());
    if (!folder.isEmpty()) {
      folder = QDir::toNativeSeparators(folder);
      // "C:\" is kept as "C:"; a lone "/" stays what it is.
      if (folder.size() > 1 && (folder.endsWith(u'\\') || folder.endsWith(u'/'))) folder.chop(1);
      state_.workingDir = folder.left(kTextMax);
      form_->workingDirEdit->setText(state_.workingDir);
    }
  } else if (control == form_->quitButton) {
    done(QDialog::Rejected);
    state_.exportPanel = nullptr;
  }
  return 0;
}

void ExcelDialog::reject() {
  if (form_->quitButton->isEnabled()) LancerExcel(form_->quitButton);
}

void ExcelDialog::failExport() {
  FermetureExcel();
  PopupErreur(state_, kWriteError);
  setMode(Mode::NotStarted);
}

int ExcelDialog::ExporterExcel() {
  const auto* window = qobject_cast<ResultWindow*>(state_.exportPanel.data());
  if (!window) return 0;

  state_.sheetFileName = form_->fileNameEdit->text().left(excel::kSheetNameMax);
  const QString target = QDir::toNativeSeparators(internalPath(state_.workingDir) + u'/' +
                                                  internalPath(state_.sheetFileName));
  // No name, or the name of a folder: there is no file to write.
  if (state_.sheetFileName.trimmed().isEmpty() || QFileInfo(target).isDir()) {
    PopupErreur(state_, kWriteError);
    return 0;
  }
  // The existing file is only replaced once the new one is complete, so it is
  // not deleted here: a failed save then leaves it as it was.
  if (QFileInfo::exists(target)) {
    const int answer = state_.ui->ask(
        pick(excel::kQuestionTitle, state_.language), pick(excel::kQuestion, state_.language),
        {pick(excel::kYes, state_.language), pick(excel::kNo, state_.language)}, 0, 1);
    if (answer != 0) return 0;
  }

  // Closing the open workbook (the template opened by Run or the previous
  // export) is the test that the engine is still there.
  const int status = workbook_ ? workbook_->close(false) : kSheetGone;
  if (status < 0) {
    failExport();
    return 0;
  }
  setMode(Mode::Exporting);

  const ResultTable& table = window->table();
  std::optional<BusyCursor> busy;
  bool ok = app_ && app_->workbooks(&workbooks_) == kSheetOk &&
            workbooks_->open(templatePath(state_.programDir), &workbook_) == kSheetOk &&
            app_->sheets(&sheets_) == kSheetOk && sheets_->item(1, &sheet_) == kSheetOk;
  if (ok) {
    sheet_->setVisible(-1);
    busy.emplace(*state_.ui);
    // The same sheet as karvel-cli result export writes, widths included.
    ok = exportResultSheet(*sheet_, table, state_.language, &range_) == kSheetOk;
  }
  if (ok) {
    appendMessage(pick(excel::kFormatting, state_.language));
    ok = workbook_->saveAs(target) == kSheetOk;
  }
  if (!ok) {
    // Nothing was written: drop the half-made workbook unsaved, shut the
    // engine down and go back to the state where Run can start again
    // (possibly in another folder).
    busy.reset();
    if (workbook_) workbook_->close(false);
    failExport();
    return 0;
  }
  appendMessage(pick(excel::kSheetReady, state_.language));
  appendMessage(pick(excel::kWorkbookSaved, state_.language).arg(target));
  busy.reset();
  done(QDialog::Accepted);
  setMode(Mode::Exported);
  // The desktop's spreadsheet application shows the new workbook.
  if (spreadsheetInstalled_ && spreadsheetInstalled_() &&
      state_.ui->openExternally(QUrl::fromLocalFile(QDir::fromNativeSeparators(target))))
    spreadsheetStarted_ = true;
  return 0;
}

void ExcelDialog::FermetureExcel() {
  ClearObjHandle(&range_);
  ClearObjHandle(&sheet_);
  ClearObjHandle(&sheets_);
  // Saving writes only changes not saved yet, and never into the template.
  if (workbook_) workbook_->save();
  const int status = workbook_ ? workbook_->close(false) : kSheetGone;
  // Without a spreadsheet application started by the program, there is
  // nothing the user sees that would close.
  if (status >= 0 && spreadsheetStarted_) PopupErreur(state_, kWillBeClosed);
  spreadsheetStarted_ = false;
  if (app_) app_->quit();
  ClearObjHandle(&workbook_);
  ClearObjHandle(&workbooks_);
  ClearObjHandle(&app_);
}

ExcelDialog* LoadExcelPanel(AppState& state, QWidget* parent) {
  auto* dialog = qobject_cast<ExcelDialog*>(state.excelPanel.data());
  if (!dialog) {
    dialog = new ExcelDialog(state, parent);
    state.excelPanel = dialog;
  }
  state.exportResults = [&state](QObject* resultWindow) {
    if (auto* d = qobject_cast<ExcelDialog*>(state.excelPanel.data())) d->exportFrom(resultWindow);
  };
  return dialog;
}

void TraducExcel(AppState& state) {
  if (auto* dialog = qobject_cast<ExcelDialog*>(state.excelPanel.data())) dialog->applyTexts();
}

void FermetureExcel(AppState& state) {
  if (auto* dialog = qobject_cast<ExcelDialog*>(state.excelPanel.data())) dialog->FermetureExcel();
}

}  // namespace karvel::ui
