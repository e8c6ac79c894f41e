// SPDX-License-Identifier: GPL-3.0-or-later
// The import dialog: the files of one kind that the instrument holds, and the
// fetch of one of them into the program (a bus definition file into the main
// window, a result into a results window). `Importer` is the one handler of
// its controls, as the menu and the tests drive it.
#pragma once

#include <QDialog>
#include <QPointer>
#include <memory>

#include "core/frame/AppState.h"

namespace Ui {
class ImportDialog;
}

namespace karvel::ui {

class ImportDialog : public QDialog {
  Q_OBJECT

 public:
  enum class Control { TypeSelector, FileList, FileName, FetchButton, QuitButton };
  enum Event { Commit = 1, ValueChanged = 2, GotFocus = 3, DoubleClick = 4, VerticalScroll = 5 };

  // `mainWindow` receives fetched bus definition files.
  ImportDialog(AppState& state, QWidget* mainWindow);
  ~ImportDialog() override;

  Ui::ImportDialog& form() { return *form_; }

  // Puts the texts of the current language on the dialog.
  void TraducImporter();
  // The handler of every control; returns 0.
  int Importer(Control control, int event);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void listFiles();
  void fetch();
  void quit();

  AppState& state_;
  QPointer<QWidget> mainWindow_;
  std::unique_ptr<Ui::ImportDialog> form_;
  // Set by a scroll of the list: the double click that ends a scroll is not a choice.
  int skipDoubleClick_ = 0;
};

// File > Import once a session is open: the dialog with its texts, the type
// last used and that type's files listed, not yet shown.
ImportDialog* prepareImportDialog(AppState& state, QWidget* mainWindow);
// The same, shown as a modal dialog until it closes.
void showImportDialog(AppState& state, QWidget* mainWindow);

// The file patterns of the two types.
inline constexpr const char* kImportPatterns[] = {"*.BUS", "*.HTM"};

}  // namespace karvel::ui
