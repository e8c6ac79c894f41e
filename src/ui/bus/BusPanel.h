// SPDX-License-Identifier: GPL-3.0-or-later
// The bus definition panel of the main window: draws the view model that the
// core's loader fills, carries cell and title edits into the document, and
// runs Open (bus files), Save, Close and the two generator dialogs.
#pragma once

#include <QObject>
#include <QPointer>
#include <functional>

#include "core/bus/BusFile.h"
#include "core/frame/AppState.h"
#include "core/frame/Interaction.h"

class QAction;
class QDialog;
class QUndoStack;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;
class QWidget;

namespace karvel::ui {

class BusPanel : public QObject {
  Q_OBJECT

 public:
  // Attaches to the bus widgets of `window` (found by their object names)
  // and lives as long as the window.
  BusPanel(AppState& app, QWidget* window);

  // The panel attached to a main window, or null.
  static BusPanel* of(QWidget* window);
  // The panel attached to `window`, made and attached when there is none.
  static BusPanel* attachedTo(AppState& app, QWidget* window);

  BusScreen& screen() { return screen_; }
  const BusScreen& screen() const { return screen_; }
  QWidget* window() const { return window_; }

  // ConvertAndRenderXMLFileInTree on this window, once unsaved edits of the
  // document shown are saved or given up (confirmDiscard); 0 without loading
  // when the user cancels.
  int load(const QString& path, bool discardConfirmed = false);
  // File > Close, after confirmDiscard.
  void close();
  // File > Save: asks for the name, applies the extension rule, asks before
  // replacing a file the user did not pick, writes the file through a
  // temporary file and reports a failure. True when the file was written.
  bool save();
  // Before the document shown is dropped: when it has unsaved edits, asks
  // Save / Discard / Cancel. True to go on (saved or discarded).
  bool confirmDiscard();
  // File > Export chose `path`: when it is the file shown and the window
  // holds unsaved edits of it, asks Save and send / Send the saved file /
  // Cancel, since the instrument gets the file as it is on disk. Saved,
  // `path` becomes the file written. False to send nothing.
  bool settleBeforeSending(QString& path);
  // Whether the document differs from its file.
  bool isModified() const;
  // After the document shown was replaced (loaded, closed, generated): no
  // edit is left to undo.
  void forgetEdits();
  // Undo and redo of cell, title and comment edits (Ctrl+Z, Ctrl+Shift+Z / Ctrl+Y).
  QUndoStack& undoStack() { return *undo_; }
  // Draws the view model into the widgets, the file's name into the window's
  // title included.
  void render();
  // After the panel wrote the document to `path` and shows it from there
  // (Save, a generator): the File field, the title and the unsaved state
  // follow that file, and the window keeps it among its recent files.
  void showWritten(const QString& path);
  // What the window does with a file written and shown (its recent files).
  void setFileWrittenHandler(std::function<void(const QString& path)> handler) {
    fileWritten_ = std::move(handler);
  }
  // A file dialog about the file shown starts beside it and proposes its name.
  void startBesideFileShown(FileRequest& request) const;
  // The generator buttons (CreationFichier): opens the new-speed or the
  // new-voltage dialog as a modal window and returns it.
  QDialog* CreationFichier(bool speed);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // A cell's editor committed (its text in the cell): the value stored and
  // the cell formatted.
  void modifValXML(int row, int column);
  // A key typed into a cell's editor: the value stored, the editor left alone.
  void typedIntoCell(int row, int column, const QString& text);
  QString editCell(int row, int column, const QString& text, bool typing);
  // The bus name and comment fields into the document; `typing`: a key was
  // typed, part of the edit that began with the first key in the field.
  void ModifTitle(bool typing);
  // The user left a field or a cell's editor: the next key begins a new edit.
  void endTyping();
  // Escape in a cell's editor: its typing is taken back.
  void dropTyping();
  void showModified();
  void describePicture();

  AppState& app_;
  QWidget* window_;
  BusScreen screen_;
  QLineEdit* fileField_ = nullptr;
  QLineEdit* busField_ = nullptr;
  QLineEdit* commentField_ = nullptr;
  QLabel* busPicture_ = nullptr;
  QTableWidget* busTable_ = nullptr;
  QLineEdit* frequencyField_ = nullptr;
  QLineEdit* bitTimeField_ = nullptr;
  QLineEdit* maxVoltageField_ = nullptr;
  QLabel* speedCaption_ = nullptr;
  QPushButton* speedNextButton_ = nullptr;
  QLabel* voltageCaption_ = nullptr;
  QPushButton* voltageNextButton_ = nullptr;
  QLabel* modifiedLabel_ = nullptr;
  QAction* newSpeedItem_ = nullptr;
  QAction* newVoltageItem_ = nullptr;
  QUndoStack* undo_ = nullptr;
  bool rendering_ = false;
  int typingSession_ = 0;
  QPointer<QWidget> cellEditor_;
  std::function<void(const QString& path)> fileWritten_;
};

// For the features that load a bus file into the main window (start-up,
// File > Open, the import dialog): the panel attached to `mainWindow`.
int ConvertAndRenderXMLFileInTree(AppState& app, QWidget* mainWindow, const QString& path);

}  // namespace karvel::ui
