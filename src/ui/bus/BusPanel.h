// The bus definition panel of the main window: draws the view model that the
// core's loader fills, carries cell and title edits into the document, and
// runs Open (bus files), Save, Close and the two generator dialogs.
#pragma once

#include <QObject>
#include <QPointer>

#include "core/frame/AppState.h"
#include "core/bus/BusFile.h"

class QDialog;
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

  BusScreen& screen() { return screen_; }
  QWidget* window() const { return window_; }

  // ConvertAndRenderXMLFileInTree on this window.
  int load(const QString& path);
  // File > Close.
  void close();
  // File > Save: asks for the name, applies the extension rule, writes the
  // file through a temporary file and reports a failure.
  void save();
  // Draws the view model into the widgets.
  void render();
  // The generator buttons (CreationFichier): opens the new-speed or the
  // new-voltage dialog as a modal window and returns it.
  QDialog* CreationFichier(bool speed);

 private:
  void modifValXML(int row, int column);
  void ModifTitle();

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
  bool rendering_ = false;
};

// For the features that load a bus file into the main window (start-up,
// File > Open, the import dialog): the panel attached to `mainWindow`.
int ConvertAndRenderXMLFileInTree(AppState& app, QWidget* mainWindow, const QString& path);

}  // namespace karvel::ui
