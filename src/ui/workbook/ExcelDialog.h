// SPDX-License-Identifier: GPL-3.0-or-later
// The spreadsheet dialog (module excel): Run starts the workbook engine on the
// template "karvel.xl", Export writes the table of the results window that
// opened the dialog into a fresh copy of it and saves it in the working
// folder, Browse picks that folder, Quit closes the dialog. The dialog is made
// once per run and only shown and hidden, so its state carries over between
// openings.
#pragma once

#include <QDialog>
#include <functional>
#include <memory>

#include "core/frame/AppState.h"
#include "core/workbook/SheetApp.h"

namespace Ui {
class ExcelDialog;
}

class QPushButton;

namespace karvel::ui {

class MainWindow;

// Releases the handle held in `handle`, if there is one, and empties the
// variable; releasing twice is therefore harmless.
template <class Handle>
void ClearObjHandle(Handle* handle) {
  if (handle && *handle) handle->reset();
}

class ExcelDialog : public QDialog {
  Q_OBJECT
 public:
  explicit ExcelDialog(AppState& state, QWidget* parent = nullptr);
  ~ExcelDialog() override;

  // The routine of the Run, Browse and Quit buttons; `control` is the button.
  int LancerExcel(QObject* control);
  // The routine of the Export button; does nothing while no results window
  // is named in AppState::exportPanel.
  int ExporterExcel();
  // Closes the open workbook and the engine and releases every handle; shows
  // "EXCEL will be closed" only when a workbook was open and a spreadsheet
  // application was started to show an export.
  void FermetureExcel();
  // Sets the labels in the current language.
  void applyTexts();

  // The "Export to EXCEL" command of a results window: texts, working folder,
  // proposed name and exportPanel set (prepareFor), then the dialog shown modal.
  void exportFrom(QObject* resultWindow);
  void prepareFor(QObject* resultWindow);

  // Whether a workbook is open in the engine (Run done, not shut down since).
  bool workbookOpen() const;
  // Whether a desktop spreadsheet application can show a saved workbook;
  // replaced by tests.
  void setSpreadsheetCheck(std::function<bool()> check) {
    spreadsheetInstalled_ = std::move(check);
  }

  QPushButton* runButton() const;
  QPushButton* exportButton() const;
  QPushButton* quitButton() const;
  QPushButton* browseButton() const;
  QString workingDirText() const;
  void setWorkingDirText(const QString& text);
  QString fileNameText() const;
  void setFileNameText(const QString& text);
  QString messages() const;

 protected:
  // Escape and the window's close box act as Quit.
  void reject() override;

 private:
  enum class Mode { NotStarted, Started, Exporting, Exported };
  void setMode(Mode mode);
  void appendMessage(const QString& text);
  void failExport();

  AppState& state_;
  std::unique_ptr<Ui::ExcelDialog> form_;
  std::function<bool()> spreadsheetInstalled_;
  // A spreadsheet application was started to show an exported workbook.
  bool spreadsheetStarted_ = false;

  // Engine handles: the application and the workbook live from Run to the
  // shut-down; the others are taken during an export.
  SheetAppHandle app_;
  SheetWorkbooksHandle workbooks_;
  SheetWorkbookHandle workbook_;
  SheetCollectionHandle sheets_;
  SheetWorksheetHandle sheet_;
  SheetRangeHandle range_;
};

// The dialog made at start-up (AppState::excelPanel), created on first use
// when there is none yet; it also attaches the results windows' "Export to
// EXCEL" command (AppState::exportResults).
ExcelDialog* LoadExcelPanel(AppState& state, QWidget* parent = nullptr);

// TraducExcel: the dialog's labels in the current language.
void TraducExcel(AppState& state);

// At exit: shuts the engine down when the program started it.
void FermetureExcel(AppState& state);

}  // namespace karvel::ui
