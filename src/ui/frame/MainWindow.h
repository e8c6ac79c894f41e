// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: the bus definition view, the main menu with its one
// dispatcher (GestionMenu), the toolbar and the quit routine.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <memory>

#include "core/frame/AppState.h"
#include "core/frame/Settings.h"
#include "ui/frame/MainCommands.h"
#include "ui/frame/OperationDialog.h"

#include <QToolBar>
class QAction;
class QDragEnterEvent;
class QDropEvent;
class QLabel;
class QMenu;

namespace Ui {
class MainWindow;
}

namespace karvel::ui {

class AboutDialog;

// Item numbers of the main menu; the dispatcher receives these.
namespace item {
constexpr int Open = 3;
constexpr int Save = 4;
constexpr int Close = 5;
constexpr int Import = 7;
constexpr int Export = 8;
constexpr int Print = 10;
constexpr int Exit = 12;
constexpr int Communication = 14;
constexpr int FirstLanguage = 17;  // 17 + language index, up to 21
constexpr int Contents = 23;
constexpr int About = 25;
}  // namespace item

// Number of toolbar items before the connection items at its end.
constexpr int kToolbarFixedItems = 8;

class MainWindow : public QMainWindow, public SettingsWindow {
  Q_OBJECT

 public:
  explicit MainWindow(AppState& state, QWidget* parent = nullptr);
  ~MainWindow() override;

  Ui::MainWindow& form() { return *form_; }
  AppState& state() { return state_; }
  MainCommands& commands() { return commands_; }

  // The main menu dispatcher: runs the command of menu item `item`; any
  // other number does nothing.
  void GestionMenu(int item);
  // The menu entry of an item number, or null.
  QAction* menuItem(int item) const;

  // Puts the texts of the current language on the menus and the window and
  // rebuilds the toolbar.
  void ChangementLangue();
  // Sets the end of the toolbar: stop button while no session is open; go
  // button and connection indicator while one is.
  void AfficheCom(int open);
  // The connect toggle of the toolbar.
  void InitCom();
  // The quit routine of the main window: writes the settings, then asks.
  // True when the user confirmed and the event loop was told to end.
  bool Sortir();

  QToolBar* toolbar() const { return toolbar_; }
  // The watcher of the instrument operations started from the windows.
  OperationDialog& operation() { return *operation_; }
  bool quitRequested() const { return quitRequested_; }

  // The about panel the About item shows; the start-up code passes the splash.
  void setAboutPanel(AboutDialog* about);

 signals:
  // After ChangementLangue: parts that keep texts of their own follow it.
  void languageChanged();

 public:
  // SettingsWindow
  WindowGeometry windowGeometry() const override;
  void placeWindow(const WindowGeometry& geometry) override;
  void runMenuItem(int item) override { GestionMenu(item); }

  // Opens `path` by the Open rule (".BUS" in the path: a bus file; else
  // ".HTM": a result) and remembers it among the recent files. False when
  // the path names neither or the file was not opened (a failure, a refused
  // file, or the user kept the unsaved edits shown); nothing is remembered then.
  bool openPath(const QString& path);
  // Keeps `path` among the recent files and its folder as the one Open
  // starts in: a file opened, or a file the program wrote and now shows.
  void rememberOpened(const QString& path);

 protected:
  void closeEvent(QCloseEvent* event) override;
  // Ctrl+Tab and Ctrl+Shift+Tab move on from a control that keeps Tab.
  void keyPressEvent(QKeyEvent* event) override;
  // Bus and result files dropped on the window open as with File > Open.
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void buildMenuItems();
  void openFile();
  void fillRecentMenu();
  void printWindow();
  void selectLanguage(int menuItem);
  void openContents();
  void showAbout();
  QAction* addToolButton(const char* image, const QString& description);
  void removeLastToolItem();
  void showSessionStatus(bool opening);
  // Accessible names and descriptions in the current language.
  void nameForScreenReaders();
  // While an instrument operation runs, the commands that would start
  // another (Import, Export, Communication, the connect toggle) are dimmed.
  void dimInstrumentCommands();
  void operationRunning(bool running);

  AppState& state_;
  std::unique_ptr<Ui::MainWindow> form_;
  MainCommands commands_;
  QPointer<QToolBar> toolbar_;
  QPointer<AboutDialog> about_;
  QMenu* recentMenu_ = nullptr;
  QLabel* sessionLabel_ = nullptr;
  bool quitRequested_ = false;
  std::unique_ptr<OperationDialog> operation_;
  // Exit chosen while an operation ran: asked again once it has stopped.
  bool quitAfterOperation_ = false;
};

}  // namespace karvel::ui
